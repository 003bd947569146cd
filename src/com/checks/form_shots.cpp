// Screenshots of the plug-in's four forms and of a message box, rendered by the Win32 user
// interface over the simulated host's demo settlement centre. Each window is captured a moment
// after it opens (24-bit BMP in the directory given as the first argument) and then closed.
// Run under Xvfb by scripts/windows-screenshots.sh, which turns the BMPs into PNGs.
#include "win32.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "automation/runtime.h"
#include "bankcollect/FrmRecSettList.h"
#include "bankcollect/FrmYHGJ.h"
#include "banksubmit/dlgBankSend.h"
#include "bridge.h"
#include "sim/host.h"
#include "translist/dlgBalSum.h"
#include "win_ui.h"

namespace {

std::wstring g_dir;
std::wstring g_name;
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
  } else {
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
}

// Real windows and message boxes, each captured and closed after a moment.
class ShotUi : public sccom::WinUi {
 public:
  void ShowModal(ax::Form& form) override {
    g_name = sccom::Widen(form.Name());
    SetTimer(nullptr, 0, g_delay, &Capture);
    WinUi::ShowModal(form);
  }
  int MessageBox(const std::string& text, int flags, const std::string& title) override {
    g_name = L"MessageBox";
    SetTimer(nullptr, 0, g_delay, &Capture);
    return WinUi::MessageBox(text, flags, title);
  }
};

template <class F>
void Shot(const char* what, F&& show) {
  try {
    show();
  } catch (...) {
    ax::AutomationError e = ax::ToAutomationError(std::current_exception());
    std::fprintf(stderr, "form_shots: %s failed: %d %s\n", what, static_cast<int>(e.Number()),
                 e.Description().c_str());
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  g_dir = argc > 1 ? argv[1] : L".";
  OleInitialize(nullptr);
  sim::Host host;
  ShotUi ui;
  ax::SetEnvironment({&host, &ui, &host});

  Shot("dlgBalSum", [] { sc::dlgBalSum::Instance().ShowModal(); });
  Shot("FrmYHGJ", [] {
    sc::FrmYHGJ form;
    form.ShowModal();
  });
  Shot("FrmRecSettList", [] {
    sc::FrmRecSettList form;
    form.ShowModal();
  });
  Shot("dlgBankSend", [] {
    sc::dlgBankSend::ShowMsg("划拨单[HB000001]提交银行成功\n划拨单[HB000002]提交银行成功\n"
                             "划拨单[HB000003]提交失败：账户余额不足");
  });
  Shot("MessageBox", [&] { ui.MessageBox("确定划拨单资料无误进行审核吗？", 36, "Norvia提示"); });

  ax::SetEnvironment({&host, &host, &host});
  OleUninitialize();
  return 0;
}
