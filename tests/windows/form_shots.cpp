// Screenshots of the plug-in's four forms and of a message box, rendered by the Win32 user
// interface over the simulated host's demo settlement centre. The plug-in's own commands run on
// the demo data (shot_script.h), so each picture is what a user sees: the dialogs as the
// commands open them, the submission's real result lines, a real refusal. Each window is
// captured a moment after it opens (24-bit BMP in the directory given as the first argument)
// and then closed or confirmed. Run under Xvfb by scripts/windows-screenshots.sh, which turns
// the BMPs into PNGs.
//
// With --keys instead of a directory, the same commands open the same forms and the user plays
// each by the keyboard alone, with real key messages: the focus when the form opens and where
// each Tab takes it, F1 (the form's help), then Esc, or Enter on a form that is confirmed. Each
// form's path is held against what a user of it expects (kExpectedKeys); the tool exits 1 on
// any difference. Message boxes are the simulated host's then (answered OK).
#include "win32.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
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

// A window of the class (visible) or with the caption, found among the windows enumerated.
struct Search {
  const wchar_t* cls;
  const wchar_t* text;  // nullptr: any caption
  HWND found;
};
// An enumeration callback of the system's (stdcall on 32-bit Windows, which a lambda is not).
BOOL CALLBACK Match(HWND hwnd, LPARAM p) {
  auto* s = reinterpret_cast<Search*>(p);
  wchar_t name[64] = {}, caption[64] = {};
  GetClassNameW(hwnd, name, 63);
  GetWindowTextW(hwnd, caption, 63);
  if (lstrcmpiW(name, s->cls) != 0) return TRUE;
  if (s->text ? lstrcmpW(caption, s->text) != 0 : !IsWindowVisible(hwnd)) return TRUE;
  s->found = hwnd;
  return FALSE;
}

// The top-level window of this thread with the class, topmost first.
HWND FindOwn(const wchar_t* cls) {
  Search search{cls, nullptr, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &Match, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Presses the form's button captioned text (the Win32 form shows a command button as a BUTTON
// with its caption).
bool PressButton(HWND form, const std::wstring& text) {
  Search search{L"BUTTON", text.c_str(), nullptr};
  EnumChildWindows(form, &Match, reinterpret_cast<LPARAM>(&search));
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

// ---- The keyboard alone ------------------------------------------------------------------------

// What a user of each form meets by the keyboard: the focus on opening and after each Tab until
// it comes round again, the help F1 opens (its context id), and how the form ends.
struct ExpectedKeys {
  std::string focusPath;  // "txtA > txtB > btnOK > txtA"
  std::string help;       // the help context id F1 shows
  std::string ends;       // "Esc closes" or "Enter confirms"
};
const std::map<std::string, ExpectedKeys>& kExpectedKeys() {
  static const std::map<std::string, ExpectedKeys> expected = {
      // The controls the centre's settings leave disabled (the option, the currency and unit
      // boxes, the bank-or-firm box) are passed over.
      {"dlgBalSum",
       {"chkTransDate > txtStartAcct > btnLookup(0) > txtEndAcct > btnLookup(1) > ChkEdit > "
        "dtpSelDay > btnOK > btnCancel > chkTransDate",
        "460129", "Esc closes"}},
      {"FrmYHGJ", {"dtpDate(0) > dtpDate(1) > btnOK > btnCancel > dtpDate(0)", "460130", "Enter confirms"}},
      // The receipt list alone; the picker has no help of its own.
      {"FrmRecSettList", {"ListRecSett > ListRecSett", "none", "Esc closes"}},
      {"dlgBankSend", {"rtMsg > Command1 > rtMsg", "460131", "Esc closes"}},
  };
  return expected;
}

struct KeyPlay {
  ax::Form* form = nullptr;
  std::string name;
  HWND window = nullptr;  // the form's window, once found
  UINT_PTR timer = 0;
  int phase = 0, ticks = 0;
  std::vector<std::string> path;
  size_t helpBefore = 0;
  std::string help, ends;
};
// The forms being played, by their timers: a form's command may open the next form while the
// first is still up.
std::map<UINT_PTR, KeyPlay*> g_plays;
sim::Harness* g_harness = nullptr;
int g_keyFailures = 0;
std::set<std::string> g_played;  // the forms the keys were played on

// The form's control that holds the focus (a hosted control's own windows count as it).
std::string FocusedControl(HWND window, const ax::Form& form) {
  HWND focus = GetFocus();
  while (focus && GetParent(focus) != window) focus = GetParent(focus);
  if (!focus) return GetFocus() == window ? "the form" : "elsewhere";
  size_t index = static_cast<size_t>(GetDlgCtrlID(focus) - 1000);
  return index < form.ControlOrder().size() ? form.ControlOrder()[index] : "elsewhere";
}
void PostKey(WPARAM key) {
  HWND to = GetFocus();
  PostMessageW(to, WM_KEYDOWN, key, 0);
  PostMessageW(to, WM_KEYUP, key, 0xC0000000);
}
std::vector<std::string> HelpIds() {
  std::vector<std::string> ids;
  for (const sim::RecordedCall& call : g_harness->Calls()) {
    if (call.kind == "help" && !call.values.empty()) ids.push_back(call.values[0]);
  }
  return ids;
}

void CALLBACK PlayKeys(HWND, UINT, UINT_PTR timer, DWORD) {
  auto play = g_plays.find(timer);
  if (play == g_plays.end()) return;
  KeyPlay& k = *play->second;
  if (!k.window) k.window = FindOwn(L"scTAVExtForm");
  HWND window = k.window && IsWindow(k.window) ? k.window : nullptr;
  if (k.phase < 3 && !window) return;
  switch (k.phase) {
    case 0:  // the focus on opening, then Tab
      k.path.push_back(FocusedControl(window, *k.form));
      PostKey(VK_TAB);
      k.phase = 1;
      break;
    case 1:  // where Tab took it; round again, or F1
      k.path.push_back(FocusedControl(window, *k.form));
      if (k.path.back() == k.path.front() || k.path.size() > 16) {
        k.helpBefore = HelpIds().size();
        PostKey(VK_F1);
        k.phase = 2;
      } else {
        PostKey(VK_TAB);
      }
      break;
    case 2: {  // the help shown; then the form's ending key
      std::vector<std::string> ids = HelpIds();
      k.help = ids.size() > k.helpBefore ? ids.back() : "none";
      bool confirm = sccheck::ConfirmAfterCapture(k.name);
      k.ends = confirm ? "Enter confirms" : "Esc closes";
      PostKey(confirm ? VK_RETURN : VK_ESCAPE);
      k.phase = 3;
      break;
    }
    default:  // the form must be gone within two seconds
      if (!window || !IsWindowVisible(window) || !k.form->visible) {
        KillTimer(nullptr, k.timer);
        k.phase = -1;
      } else if (++k.ticks > 10) {
        k.ends = "did not end";
        KillTimer(nullptr, k.timer);
        k.phase = -1;
        PostMessageW(window, WM_CLOSE, 0, 0);
      }
  }
}

// Holds what the user met against what the form's user expects, and says it.
void ReportKeys(const KeyPlay& k) {
  std::string path;
  for (const std::string& name : k.path) path += (path.empty() ? "" : " > ") + name;
  std::printf("form_keys: %s: focus %s; F1 help %s; %s\n", k.name.c_str(), path.c_str(),
              k.help.c_str(), k.ends.c_str());
  g_played.insert(k.name);
  auto expected = kExpectedKeys().find(k.name);
  if (expected == kExpectedKeys().end()) return;
  const ExpectedKeys& e = expected->second;
  if (path != e.focusPath || k.help != e.help || k.ends != e.ends) {
    ++g_keyFailures;
    std::printf("form_keys: FAILED %s: expected focus %s; F1 help %s; %s\n", k.name.c_str(),
                e.focusPath.c_str(), e.help.c_str(), e.ends.c_str());
  }
  std::fflush(stdout);
}

// The simulated host's user interface, except that forms and message boxes are real windows,
// each captured and then answered after a moment. The clock, the window functions and the
// clipboard stay the host's, so the demo's dates and windows are what the plug-in sees.
class ShotUi final : public sccheck::ForwardingUi {
 public:
  ShotUi(ax::Ui& host, bool keys) : ForwardingUi(host), keys_(keys) {}
  void ShowModal(ax::Form& form) override {
    if (keys_) {
      KeyPlay play;
      play.form = &form;
      play.name = form.Name();
      play.timer = SetTimer(nullptr, 0, 200, &PlayKeys);
      g_plays[play.timer] = &play;
      win_.ShowModal(form);
      KillTimer(nullptr, play.timer);
      g_plays.erase(play.timer);
      ReportKeys(play);
      return;
    }
    g_name = sccom::Widen(form.Name());
    g_confirm = sccheck::ConfirmAfterCapture(form.Name())
                    ? sccom::Widen(form.C(sccheck::kConfirmButton).caption)
                    : std::wstring();
    SetTimer(nullptr, 0, g_delay, &Capture);
    win_.ShowModal(form);
  }
  int MessageBox(const std::string& text, int flags, const std::string& title) override {
    if (keys_) return inner_.MessageBox(text, flags, title);
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
  bool keys_;
  sccom::WinUi win_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  g_dir = argc > 1 ? argv[1] : L".";
  const bool keys = g_dir == L"--keys";
  OleInitialize(nullptr);
  int failures = 0;
  {
    sim::Host host;
    ShotUi ui(host, keys);
    ax::SetEnvironment({&host, &ui, &host});
    int number = 0;
    sim::Harness harness(host);
    g_harness = &harness;
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
  for (const auto& [name, expected] : kExpectedKeys()) {
    if (keys && !g_played.count(name)) {
      ++g_keyFailures;
      std::printf("form_keys: FAILED %s was never shown\n", name.c_str());
    }
  }
  const int forms = static_cast<int>(kExpectedKeys().size());
  if (keys) std::printf("form_keys: %d of %d forms as expected\n", forms - g_keyFailures, forms);
  return failures == 0 && g_keyFailures == 0 ? 0 : 1;
}
