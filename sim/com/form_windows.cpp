#include "form_windows.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "automation/error.h"
#include "automation/form.h"
#include "automation/variant.h"
#include "bankcollect/FrmRecSettList.h"
#include "bankcollect/FrmYHGJ.h"
#include "banksubmit/dlgBankSend.h"
#include "bridge.h"
#include "sim/harness/harness.h"
#include "sim/host/components/receipt_list.h"
#include "sim/host/host.h"
#include "translist/dlgBalSum.h"
#include "win_ui.h"
#include "window_shots.h"

namespace via_com {

namespace {

HWND driver = nullptr;
UINT formUpMessage = 0;   // wParam: the form's window, just shown
UINT playedMessage = 0;   // wParam: the form's window, its player done

using sccom::Px;
using sccom::Twips;
// The window's name in its form, or "" for a window that has none.
std::string NameOf(HWND hwnd) {
  wchar_t name[128] = {};
  LRESULT n = SendMessageW(hwnd, sccom::ControlNameMessage(), 128, reinterpret_cast<LPARAM>(name));
  if (n <= 0 || n >= 128) return {};
  return sccom::Narrow(name);
}

// The kind of control a window of the form is, as the form describes its controls.
std::string KindOf(HWND child) {
  const std::wstring cls = sccom::WindowClass(child);
  const LONG style = GetWindowLongW(child, GWL_STYLE);
  if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
    switch (style & BS_TYPEMASK) {
      case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE: return "CheckBox";
      case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON: return "OptionButton";
      case BS_GROUPBOX: return "Frame";
      default: return "CommandButton";
    }
  }
  if (lstrcmpiW(cls.c_str(), L"Edit") == 0) return "TextBox";
  if (lstrcmpiW(cls.c_str(), RICHEDIT_CLASSW) == 0 || lstrcmpiW(cls.c_str(), L"RichEdit50W") == 0) {
    return "RichTextBox";
  }
  if (lstrcmpiW(cls.c_str(), L"ComboBox") == 0) return "ComboBox";
  if (lstrcmpiW(cls.c_str(), DATETIMEPICK_CLASSW) == 0) return "DTPicker";
  // A static that takes the focus holds a hosted control; any other is a label.
  return (style & WS_TABSTOP) ? "ActiveX" : "Label";
}

// Multi-line text: every line break is "\r\n", in the window as in the form's text (whatever
// break the window itself keeps).
std::wstring CrLfLines(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'\r' && text[i] != L'\n') {
      out += text[i];
      continue;
    }
    out += L"\r\n";
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
  }
  return out;
}

ax::Variant DateOf(const SYSTEMTIME& t) { return ax::MakeDate(t.wYear, t.wMonth, t.wDay); }
SYSTEMTIME SystemTimeOf(const ax::Variant& v) {
  int y, m, d, h, mi, s;
  ax::SplitDate(ax::CDate(v), y, m, d, h, mi, s);
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(y);
  t.wMonth = static_cast<WORD>(m);
  t.wDay = static_cast<WORD>(d);
  return t;
}

// The frame each form of the plug-in was designed with (Width - ScaleWidth, Height -
// ScaleHeight): a form's Width and Height are its inner area and that frame, whatever the
// system's frames measure, so a user who drags a form to a size drags its inner area to that
// size less this frame.
bool DesignedFrame(const std::string& name, int32_t& width, int32_t& height) {
  std::unique_ptr<ax::Form> form;
  if (ax::EqualsNoCase(name, "dlgBalSum")) form = std::make_unique<sc::dlgBalSum>();
  if (ax::EqualsNoCase(name, "FrmYHGJ")) form = std::make_unique<sc::FrmYHGJ>();
  if (ax::EqualsNoCase(name, "FrmRecSettList")) form = std::make_unique<sc::FrmRecSettList>();
  if (ax::EqualsNoCase(name, "dlgBankSend")) form = std::make_unique<sc::dlgBankSend>();
  if (!form) return false;
  width = form->width - form->scaleWidth;
  height = form->height - form->scaleHeight;
  return true;
}

// A form as the user finds it in its window: read from the windows before the player looks,
// and after every action; what the player changed goes to the windows before each action.
class WindowForm final : public ax::Form {
 public:
  WindowForm(HWND hwnd, const std::string& name) : ax::Form(name), hwnd_(hwnd) {
    loaded = true;
    visible = true;
    if (!DesignedFrame(name, frameWidth_, frameHeight_)) {
      RECT outer{}, inner{};
      GetWindowRect(hwnd, &outer);
      GetClientRect(hwnd, &inner);
      frameWidth_ = Twips((outer.right - outer.left) - inner.right);
      frameHeight_ = Twips((outer.bottom - outer.top) - inner.bottom);
    }
    Read();
  }

  void Click(const std::string& control) override {
    Write();
    HWND child = WindowOf(control);
    if (child && IsWindowEnabled(child)) SendMessageW(child, BM_CLICK, 0, 0);
    Read();
  }

  // The user drags the window until its inner area is the form's ScaleWidth x ScaleHeight; a
  // window with no inner area left is minimised.
  void Form_Resize() override {
    Write();
    if (!IsWindow(hwnd_)) return;
    if (scaleWidth <= 0 || scaleHeight <= 0) {
      if (!IsIconic(hwnd_)) ShowWindow(hwnd_, SW_MINIMIZE);
      Read();
      return;
    }
    if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    RECT inner{};
    GetClientRect(hwnd_, &inner);
    const int width = Px(std::max(0, scaleWidth)), height = Px(std::max(0, scaleHeight));
    if (inner.right != width || inner.bottom != height) {
      RECT outer{0, 0, width, height};
      AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE)));
      SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Read();
  }

  // Unloading it is the user closing it with the window's close box.
  void Form_Unload() override {
    Write();
    if (IsWindow(hwnd_)) SendMessageW(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0);
  }

  // An event of a hosted control: the control raises it to the form that hosts it.
  void ControlEvent(const std::string& control, const std::string& event, ax::Args& args) override {
    Write();
    if (auto list = C(control).activeX.As<sim::ReceiptList>()) list->RaiseEvent(event, args);
    Read();
  }

 private:
  struct Shown {
    std::string text;
    ax::Variant value;
    int32_t listIndex = -1;
  };

  HWND WindowOf(const std::string& control) const {
    auto it = windows_.find(control);
    return it == windows_.end() || !IsWindow(it->second) ? nullptr : it->second;
  }

  void Read() {
    // A form its handlers hid or unloaded is no longer on the screen.
    visible = IsWindow(hwnd_) && IsWindowVisible(hwnd_);
    if (!IsWindow(hwnd_)) return;
    caption = sccom::Narrow(sccom::WindowText(hwnd_));
    hasCloseButton = (GetWindowLongW(hwnd_, GWL_STYLE) & WS_SYSMENU) != 0;
    RECT inner{};
    GetClientRect(hwnd_, &inner);
    scaleWidth = Twips(inner.right);
    scaleHeight = Twips(inner.bottom);
    width = scaleWidth + frameWidth_;
    height = scaleHeight + frameHeight_;
    int32_t tab = 0;
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      std::string name = NameOf(child);
      if (name.empty()) continue;
      if (!HasControl(name)) AddControl(name, KindOf(child));
      windows_[name] = child;
      ReadControl(C(name), child);
      C(name).tabIndex = tab++;
    }
  }

  void ReadControl(ax::Control& c, HWND child) {
    const std::string& kind = c.Kind();
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    c.enabled = IsWindowEnabled(child) != FALSE;
    c.visible = (style & WS_VISIBLE) != 0;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    c.left = Twips(r.left);
    c.top = Twips(r.top);
    c.width = Twips(r.right - r.left);
    c.height = Twips(r.bottom - r.top);
    c.locked = (kind == "TextBox" || kind == "RichTextBox") && (style & ES_READONLY);
    c.isDefault = kind == "CommandButton" && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    if (kind == "Label" || kind == "CommandButton" || kind == "Frame" || kind == "CheckBox" ||
        kind == "OptionButton") {
      c.caption = sccom::Narrow(sccom::WindowText(child));
    }
    if (kind == "TextBox") c.text = sccom::Narrow(sccom::WindowText(child));
    if (kind == "RichTextBox") c.text = sccom::Narrow(CrLfLines(sccom::WindowText(child)));
    if (kind == "CheckBox") {
      LRESULT state = SendMessageW(child, BM_GETCHECK, 0, 0);
      c.value = int32_t{state == BST_CHECKED ? 1 : state == BST_INDETERMINATE ? 2 : 0};
    }
    if (kind == "OptionButton") c.value = SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (kind == "ComboBox") {
      c.items.clear();
      LRESULT count = SendMessageW(child, CB_GETCOUNT, 0, 0);
      for (LRESULT i = 0; i < count; ++i) {
        LRESULT n = SendMessageW(child, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<size_t>(std::max<LRESULT>(n, 0)) + 1, L'\0');
        SendMessageW(child, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(std::max<LRESULT>(n, 0)));
        c.AddItem(sccom::Narrow(text),
                  static_cast<int32_t>(SendMessageW(child, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
      }
      LRESULT at = SendMessageW(child, CB_GETCURSEL, 0, 0);
      c.listIndex = at == CB_ERR ? -1 : static_cast<int32_t>(at);
      c.text = c.listIndex >= 0 ? c.items[static_cast<size_t>(c.listIndex)].text : std::string();
    }
    if (kind == "DTPicker") {
      SYSTEMTIME t{};
      c.value = SendMessageW(child, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) == GDT_VALID
                    ? DateOf(t)
                    : ax::Variant();
      SYSTEMTIME range[2] = {};
      c.minDate = (SendMessageW(child, DTM_GETRANGE, 0, reinterpret_cast<LPARAM>(range)) & GDTR_MIN)
                      ? DateOf(range[0])
                      : ax::Variant();
    }
    if (kind == "ActiveX") c.activeX = ax::Object(sim::LastReceiptList().lock());
    shown_[c.Name()] = {c.text, c.value, c.listIndex};
  }

  // What the player changed, typed and clicked into the windows.
  void Write() {
    for (const auto& [name, child] : windows_) {
      if (!IsWindow(child)) continue;
      ax::Control& c = C(name);
      const Shown& was = shown_[name];
      const std::string& kind = c.Kind();
      if ((kind == "TextBox" || kind == "RichTextBox") && c.text != was.text) {
        std::wstring text = kind == "TextBox" ? sccom::Widen(c.text) : CrLfLines(sccom::Widen(c.text));
        SetWindowTextW(child, text.c_str());
      }
      if (kind == "CheckBox" && !ax::VarEqual(c.value, was.value)) {
        int now = c.value.isEmpty() || c.value.isNull() ? 0 : ax::CLng(c.value);
        int before = was.value.isEmpty() || was.value.isNull() ? 0 : ax::CLng(was.value);
        if (now <= 1 && before <= 1) {
          SendMessageW(child, BM_CLICK, 0, 0);  // the user clicks the box
        } else {
          SendMessageW(child, BM_SETCHECK, now == 2 ? BST_INDETERMINATE : now ? BST_CHECKED : BST_UNCHECKED, 0);
        }
      }
      if (kind == "OptionButton" && ax::IsTrue(c.value) && !ax::IsTrue(was.value)) {
        SendMessageW(child, BM_CLICK, 0, 0);
      }
      if (kind == "DTPicker" && !c.value.isEmpty() && !c.value.isNull() &&
          (was.value.isEmpty() || was.value.isNull() || !ax::VarEqual(c.value, was.value))) {
        SYSTEMTIME t = SystemTimeOf(c.value);
        SendMessageW(child, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
      }
      if (kind == "ComboBox" && c.listIndex != was.listIndex) {
        SendMessageW(child, CB_SETCURSEL, static_cast<WPARAM>(c.listIndex), 0);
        SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(child));
      }
      shown_[name] = {c.text, c.value, c.listIndex};
    }
  }

  HWND hwnd_;
  int32_t frameWidth_ = 0, frameHeight_ = 0;
  std::map<std::string, HWND> windows_;
  std::map<std::string, Shown> shown_;
};

// A form being played: its key in flight, if any.
struct Session {
  std::string name;
  bool opened = false;    // its focus as it opened is noted
  sim::QueuedKey key;
  HWND target = nullptr;  // the window the key went to
  std::string focusBefore;
  bool reached = false;   // the key reached that window
  bool clicked = false;   // a button of the form was pressed meanwhile
  bool inFlight = false;  // a key went down whose outcome is not noted yet
  BYTE keyboard[256] = {};
};

// The control of the form that has the focus, "" for none.
std::string FocusIn(HWND form) {
  HWND focus = GetFocus();
  if (!focus || !IsChild(form, focus)) return {};
  while (GetParent(focus) != form) focus = GetParent(focus);
  return NameOf(focus);
}


std::map<HWND, Session>& Sessions() {
  static std::map<HWND, Session> sessions;
  return sessions;
}

sim::Harness* HarnessOf(sim::Host* host) {
  return host ? dynamic_cast<sim::Harness*>(&host->attendant()) : nullptr;
}

LRESULT CALLBACK WatchKey(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                          DWORD_PTR data) {
  auto* session = reinterpret_cast<Session*>(data);
  // The key reached the window, or the dialog manager asked the window about it (Tab).
  if ((message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && static_cast<int>(wParam) == session->key.keyCode) {
    session->reached = true;
  }
  if (message == WM_GETDLGCODE && lParam && reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN &&
      static_cast<int>(reinterpret_cast<const MSG*>(lParam)->wParam) == session->key.keyCode) {
    session->reached = true;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) session->clicked = true;
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &WatchKey, id);
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Closes a form the user could not answer, so that the DLL's modal loop ends.
void CloseUnanswered(HWND form) {
  if (IsWindow(form)) SendMessageW(form, WM_CLOSE, 0, 0);
}

// The player answers the form read from its windows; the failure of a player is the harness's
// to report, and the form is closed.
void Play(HWND form, const std::string& name) {
  sim::Host* host = sim::Host::Running();
  sim::Harness* harness = HarnessOf(host);
  if (!harness) {
    std::fprintf(stderr, "via-com: the form %s with no scripted user\n", name.c_str());
    CloseUnanswered(form);
    return;
  }
  try {
    SaveWindowShot(form, name);
    WindowForm window(form, name);
    host->ShowModalAfterKeys(window, true);
  } catch (...) {
    CloseUnanswered(form);
    return;
  }
  // A form its player left open (an answer the form refused) is closed once its loop has
  // looked at it again.
  PostMessageW(driver, playedMessage, reinterpret_cast<WPARAM>(form), 0);
}

// The next key queued for the form goes to the window with the focus, through the DLL's loop;
// with none left, the form is played.
void NextKey(HWND form) {
  auto it = Sessions().find(form);
  if (it == Sessions().end()) return;
  Session& session = it->second;
  sim::Harness* harness = HarnessOf(sim::Host::Running());
  std::optional<sim::QueuedKey> key;
  if (!session.opened) {
    sim::NoteFocus(session.name, FocusIn(form), true);
    session.opened = true;
  }
  if (harness) key = sim::TakeQueuedKey(*harness, session.name);
  if (!key) {
    std::string name = session.name;
    Sessions().erase(it);
    // A key confirmed or closed it: nothing is left to answer.
    if (IsWindowVisible(form)) Play(form, name);
    return;
  }
  session.key = *key;
  session.inFlight = true;
  session.reached = false;
  session.clicked = false;
  session.focusBefore = FocusIn(form);
  HWND focus = GetFocus();
  session.target = focus && IsChild(form, focus) ? focus : form;
  SetWindowSubclass(session.target, &WatchKey, 1, reinterpret_cast<DWORD_PTR>(&session));
  if (session.target != form) SetWindowSubclass(form, &WatchKey, 1, reinterpret_cast<DWORD_PTR>(&session));
  GetKeyboardState(session.keyboard);
  BYTE state[256];
  std::copy(std::begin(session.keyboard), std::end(session.keyboard), state);
  state[VK_SHIFT] = (key->shift & 1) ? 0x80 : 0;
  state[VK_CONTROL] = (key->shift & 2) ? 0x80 : 0;
  state[VK_MENU] = (key->shift & 4) ? 0x80 : 0;
  SetKeyboardState(state);
  const auto vk = static_cast<WPARAM>(key->keyCode);
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC)) << 16;
  // With Alt down a key is a system key, which the dialog manager reads for access keys.
  const bool alt = (key->shift & 4) != 0;
  const LPARAM context = alt ? LPARAM{1} << 29 : 0;
  PostMessageW(session.target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1 | scan | context);
  PostMessageW(session.target, alt ? WM_SYSKEYUP : WM_KEYUP, vk,
               static_cast<LPARAM>(0xC0000001u) | scan | context);
  // Its outcome is read once the DLL's loop has taken it and everything it posted (a WM_CLOSE
  // for Esc): a timer comes only when no posted message is left.
  SetTimer(driver, reinterpret_cast<UINT_PTR>(form), USER_TIMER_MINIMUM, nullptr);
}

void Resume(HWND form);

// What became of the key in flight; gone: the form is leaving the screen.
void FinishKey(HWND form, Session& session, bool gone) {
  session.inFlight = false;
  SetKeyboardState(session.keyboard);
  if (IsWindow(session.target)) RemoveWindowSubclass(session.target, &WatchKey, 1);
  if (IsWindow(form)) RemoveWindowSubclass(form, &WatchKey, 1);
  // A key may open another of the plug-in's forms on top (Enter on a form whose OK leads to the
  // next): this one waits, disabled, until that one is done.
  const bool covered = IsWindow(form) && !IsWindowEnabled(form);
  const bool open = !gone && IsWindow(form) && IsWindowVisible(form) && !covered;
  const std::string focus = open ? FocusIn(form) : std::string();
  // A key the form's handler took goes nowhere: it reaches no window, moves no focus, presses
  // no button and closes nothing.
  const bool handled = !session.reached && !session.clicked && open && focus == session.focusBefore;
  if (sim::Harness* harness = HarnessOf(sim::Host::Running())) {
    sim::NoteKey(*harness, session.name, session.key,
                 handled ? "the form's key handler handled it" : "the key went on", handled);
  }
  if (open) sim::NoteFocus(session.name, focus, false);
}

void KeyDone(HWND form) {
  auto it = Sessions().find(form);
  if (it == Sessions().end()) return;
  if (it->second.inFlight) FinishKey(form, it->second, false);
  Resume(form);
}

// The form's next key, once no other form is up on it.
void Resume(HWND form) {
  if (!IsWindow(form)) {
    Sessions().erase(form);
    return;
  }
  if (!IsWindowEnabled(form)) {
    SetTimer(driver, reinterpret_cast<UINT_PTR>(form), 10, nullptr);
    return;
  }
  NextKey(form);
}

LRESULT CALLBACK DriverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    KillTimer(hwnd, wParam);
    HWND form = reinterpret_cast<HWND>(wParam);
    try {
      KeyDone(form);
    } catch (...) {
      Sessions().erase(form);
      CloseUnanswered(form);
    }
    return 0;
  }
  if (message != formUpMessage && message != playedMessage) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  HWND form = reinterpret_cast<HWND>(wParam);
  // Nothing may escape into the DLL's message loop.
  try {
    if (message == formUpMessage && IsWindow(form)) {
      std::string name = NameOf(form);
      if (name.empty() || Sessions().count(form)) return 0;
      Sessions()[form].name = name;
      NextKey(form);
    } else if (message == playedMessage) {
      CloseUnanswered(form);
    }
  } catch (...) {
    Sessions().erase(form);
    CloseUnanswered(form);
  }
  return 0;
}

}  // namespace

bool StartDrivingForms() {
  if (driver) return true;
  formUpMessage = RegisterWindowMessageW(L"sctav.FormUp");
  playedMessage = RegisterWindowMessageW(L"sctav.FormPlayed");
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &DriverProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"sctavFormDriver";
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  driver = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           wc.hInstance, nullptr);
  return driver != nullptr;
}

void StopDrivingForms() {
  if (driver) DestroyWindow(driver);
  driver = nullptr;
  Sessions().clear();
}

void WindowGone(HWND hwnd) {
  auto it = Sessions().find(hwnd);
  if (it == Sessions().end()) return;
  try {
    if (it->second.inFlight) FinishKey(hwnd, it->second, true);
  } catch (...) {
    // The harness has noted its own failure.
  }
  Sessions().erase(hwnd);
}

void WindowShown(HWND hwnd) {
  if (!driver || (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) return;
  PostMessageW(driver, formUpMessage, reinterpret_cast<WPARAM>(hwnd), 0);
}

}  // namespace via_com
