#include "message_boxes.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "automation/error.h"
#include "automation/runtime.h"
#include "bridge.h"
#include "win_ui.h"
#include "form_windows.h"
#include "window_shots.h"
#include "sim/host/host.h"

namespace via_com {

namespace {

HHOOK hook = nullptr;

// What a message box shows, read from its window.
struct Box {
  std::string title, text;
  std::vector<int> buttons;  // the button ids, in the order of the standard sets
  int icon = 0;              // ax::mb::kCritical, kQuestion, kExclamation, kInformation or 0
  int defaultButton = 0;     // the id of the default button
};

Box Read(HWND dialog) {
  Box box;
  box.title = sccom::Narrow(sccom::WindowText(dialog));
  struct Icon {
    const wchar_t* id;
    int flag;
  };
  static const Icon kIcons[] = {{IDI_HAND, ax::mb::kCritical},
                                {IDI_QUESTION, ax::mb::kQuestion},
                                {IDI_EXCLAMATION, ax::mb::kExclamation},
                                {IDI_ASTERISK, ax::mb::kInformation}};
  std::vector<int> present;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    LONG style = GetWindowLongW(child, GWL_STYLE);
    if (!(style & WS_VISIBLE)) continue;  // a standard button the box does not offer
    std::wstring cls = sccom::WindowClass(child);
    if (lstrcmpiW(cls.c_str(), L"Static") == 0) {
      if ((style & SS_TYPEMASK) == SS_ICON) {
        auto shown = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        for (const Icon& icon : kIcons)
          if (shown && shown == LoadIconW(nullptr, icon.id)) box.icon = icon.flag;
      } else if (box.text.empty()) {
        box.text = sccom::Narrow(sccom::WindowText(child));
      }
    } else if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
      present.push_back(GetDlgCtrlID(child));
    }
  }
  static const int kOrder[] = {IDOK, IDYES, IDNO, IDABORT, IDRETRY, IDIGNORE, IDCANCEL};
  for (int id : kOrder)
    for (int p : present)
      if (p == id) box.buttons.push_back(id);
  LRESULT def = SendMessageW(dialog, DM_GETDEFID, 0, 0);
  if (HIWORD(def) == DC_HASDEFID) box.defaultButton = LOWORD(def);
  return box;
}

// The flags a box with these buttons, icon and default button was shown with.
int FlagsOf(const Box& box) {
  struct Set {
    std::vector<int> ids;
    int flag;
  };
  static const Set kSets[] = {{{IDOK}, MB_OK},
                              {{IDOK, IDCANCEL}, MB_OKCANCEL},
                              {{IDABORT, IDRETRY, IDIGNORE}, MB_ABORTRETRYIGNORE},
                              {{IDYES, IDNO, IDCANCEL}, MB_YESNOCANCEL},
                              {{IDYES, IDNO}, MB_YESNO},
                              {{IDRETRY, IDCANCEL}, MB_RETRYCANCEL}};
  int flags = 0;
  for (const Set& set : kSets) {
    if (set.ids != box.buttons) continue;
    flags = set.flag;
    for (size_t i = 0; i < set.ids.size(); ++i)
      if (set.ids[i] == box.defaultButton) flags |= static_cast<int>(i) * MB_DEFBUTTON2;
  }
  return flags | box.icon;
}

// The library's error reporter shows "Run-time error '<number>':", a blank line and the
// description.
bool IsReportedError(const Box& box, int flags, int32_t* number, std::string* description) {
  static const std::string kHead = "Run-time error '";
  if (flags != ax::mb::kCritical || box.text.compare(0, kHead.size(), kHead) != 0) return false;
  size_t close = box.text.find("':\n\n", kHead.size());
  if (close == std::string::npos) return false;
  char* end = nullptr;
  std::string digits = box.text.substr(kHead.size(), close - kHead.size());
  long value = std::strtol(digits.c_str(), &end, 10);
  if (digits.empty() || *end) return false;
  *number = static_cast<int32_t>(value);
  *description = box.text.substr(close + 4);
  return true;
}

void CALLBACK AnswerAfterShot(HWND dialog, UINT, UINT_PTR timer, DWORD) {
  KillTimer(dialog, timer);
  SaveWindowShot(dialog, "MessageBox");
  auto answer = static_cast<int>(reinterpret_cast<INT_PTR>(RemovePropW(dialog, L"sctav.Answer")));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer)));
}

void Answer(HWND dialog) {
  Box box = Read(dialog);
  int flags = FlagsOf(box);
  int answer = IDCANCEL;
  sim::Host* host = sim::Host::Running();
  try {
    int32_t number = 0;
    std::string description;
    if (!host) {
      std::fprintf(stderr, "via-com: a message box with no simulated host: %s\n", box.text.c_str());
    } else if (IsReportedError(box, flags, &number, &description)) {
      host->ReportError(ax::AutomationError(number, description, box.title));
      answer = IDOK;
    } else {
      answer = host->MessageBox(box.text, flags, box.title);
    }
  } catch (...) {
    // The host's attendant could not answer; it has noted why, and the box is cancelled.
    answer = box.buttons.size() == 1 ? box.buttons[0] : IDCANCEL;
  }
  if (WantWindowShots()) {
    // The box is pictured once it has painted, then answered.
    SetPropW(dialog, L"sctav.Answer", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(answer)));
    SetTimer(dialog, 1, 300, &AnswerAfterShot);
    return;
  }
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer)));
}

// Called after every message a window of this thread was sent: a dialog that has just been
// initialised is a message box, complete with its texts and buttons.
LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (sent->message == WM_INITDIALOG && sccom::WindowClass(sent->hwnd) == L"#32770") Answer(sent->hwnd);
    if (sent->message == WM_SHOWWINDOW) (sent->wParam ? WindowShown : WindowGone)(sent->hwnd);
    if (sent->message == WM_DESTROY) WindowGone(sent->hwnd);
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

bool StartAnsweringMessageBoxes() {
  if (!hook) hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &AfterMessage, nullptr, GetCurrentThreadId());
  return hook != nullptr;
}

void StopAnsweringMessageBoxes() {
  if (hook) UnhookWindowsHookEx(hook);
  hook = nullptr;
}

}  // namespace via_com
