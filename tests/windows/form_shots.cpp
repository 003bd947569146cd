// Screenshots of the plug-in's four forms and of a message box, rendered by the Win32 user
// interface over the simulated host's demo settlement centre. The plug-in's own commands run on
// the demo data (shot_script.h), so each picture is what a user sees: the dialogs as the
// commands open them, the submission's real result lines, a real refusal. Each window is
// captured a moment after it opens (24-bit BMP in the directory given as the first argument)
// and then closed or confirmed. Run under Xvfb by scripts/windows-screenshots.sh, which turns
// the BMPs into PNGs.
#include "win32.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "automation/runtime.h"
#include "bridge.h"
#include "forwarding_ui.h"
#include "shot_script.h"
#include "sim/host/host.h"
#include "sim/harness/harness.h"
#include "sim/harness/scenario.h"
#include "win_ui.h"

namespace {

std::wstring g_dir;
std::wstring g_name;
std::wstring g_confirm;  // caption of the button that confirms the form shown, "" to close it
UINT g_delay = 1500;

bool SaveBmp(HWND hwnd, const std::wstring& path) {
  RECT r{};
  if (!GetWindowRect(hwnd, &r)) return false;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bitmap);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  int stride = ((w * 3 + 3) / 4) * 4;
  std::vector<char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(h));
  GetDIBits(mem, bitmap, 0, static_cast<UINT>(h), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
  std::ofstream out(path.c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof(file));
  out.write(reinterpret_cast<const char*>(&info), sizeof(info));
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return static_cast<bool>(out);
}

// The top-level window of this thread with the class, topmost first.
HWND FindOwn(const wchar_t* cls) {
  struct Search {
    const wchar_t* cls;
    HWND found;
  } search{cls, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 63);
        if (IsWindowVisible(hwnd) && lstrcmpiW(name, s->cls) == 0) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Presses the form's button captioned text (the Win32 form shows a command button as a BUTTON
// with its caption).
bool PressButton(HWND form, const std::wstring& text) {
  struct Search {
    const wchar_t* text;
    HWND found;
  } search{text.c_str(), nullptr};
  EnumChildWindows(
      form,
      [](HWND hwnd, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t cls[16] = {}, caption[64] = {};
        GetClassNameW(hwnd, cls, 15);
        GetWindowTextW(hwnd, caption, 63);
        if (lstrcmpiW(cls, L"BUTTON") == 0 && lstrcmpW(caption, s->text) == 0) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  if (!search.found) return false;
  PostMessageW(search.found, BM_CLICK, 0, 0);
  return true;
}

void CALLBACK Capture(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  bool box = g_name == L"MessageBox";
  HWND window = FindOwn(box ? L"#32770" : L"scTAVExtForm");
  if (!window) {
    std::fprintf(stderr, "form_shots: no window for %ls\n", g_name.c_str());
    return;
  }
  SetForegroundWindow(window);
  std::wstring path = g_dir + L"\\" + g_name + L".bmp";
  std::fprintf(stdout, "form_shots: %ls %s\n", path.c_str(), SaveBmp(window, path) ? "saved" : "FAILED");
  std::fflush(stdout);
  if (box) {
    PostMessageW(window, WM_COMMAND, IDOK, 0);
  } else if (!g_confirm.empty() && PressButton(window, g_confirm)) {
    // confirmed: the command goes on
  } else {
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
}

// The simulated host's user interface, except that forms and message boxes are real windows,
// each captured and then answered after a moment. The clock, the window functions and the
// clipboard stay the host's, so the demo's dates and windows are what the plug-in sees.
class ShotUi final : public sccheck::ForwardingUi {
 public:
  explicit ShotUi(ax::Ui& host) : ForwardingUi(host) {}
  void ShowModal(ax::Form& form) override {
    g_name = sccom::Widen(form.Name());
    g_confirm = sccheck::ConfirmAfterCapture(form.Name())
                    ? sccom::Widen(form.C(sccheck::kConfirmButton).caption)
                    : std::wstring();
    SetTimer(nullptr, 0, g_delay, &Capture);
    win_.ShowModal(form);
  }
  int MessageBox(const std::string& text, int flags, const std::string& title) override {
    g_name = L"MessageBox";
    SetTimer(nullptr, 0, g_delay, &Capture);
    return win_.MessageBox(text, flags, title);
  }
  void DoEvents() override {
    win_.DoEvents();
    inner_.DoEvents();
  }
  int32_t ScreenWidth() override { return win_.ScreenWidth(); }
  int32_t ScreenHeight() override { return win_.ScreenHeight(); }

 private:
  sccom::WinUi win_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  g_dir = argc > 1 ? argv[1] : L".";
  OleInitialize(nullptr);
  int failures = 0;
  {
    sim::Host host;
    ShotUi ui(host);
    ax::SetEnvironment({&host, &ui, &host});
    int number = 0;
    sim::Harness harness(host);
    sim::ScenarioRun run(host, harness);
    for (const char* text : sccheck::kShotScript) {
      sim::ScriptLine line{++number, text, "form_shots:" + std::to_string(number)};
      sim::LineOutcome outcome = run.Line(line);
      if (!outcome.failure.empty()) {
        ++failures;
        std::fprintf(stderr, "form_shots: %s: %s\n", text, outcome.failure.c_str());
      }
    }
    ax::SetEnvironment({&host, &host, &host});
  }
  OleUninitialize();
  return failures == 0 ? 0 : 1;
}
