// Modal forms: a form model (ax::Form) rendered as a Win32 window. Every control of the model
// becomes a child window of the matching class; before a handler of the form runs, what the user
// changed is read back into the model, and after it the model is shown again. Clicks, key presses
// (with KeyPreview), resizing, closing and the events of hosted ActiveX controls reach the
// form's handlers. A handler's error is reported through the host library and the form stays.
#include "win32.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "automation/error.h"
#include "automation/form.h"
#include "automation/runtime.h"
#include "bridge.h"
#include "com_dispatch.h"
#include "module.h"
#include "win_ui.h"

namespace sccom {

namespace {

constexpr wchar_t kFormClass[] = L"scTAVExtForm";
constexpr int kFirstControlId = 1000;

void SetTextIfChanged(HWND hwnd, const std::wstring& text) {
  if (WindowText(hwnd) != text) SetWindowTextW(hwnd, text.c_str());
}

// Multi-line text: "\n" in the model, "\r\n" in the window.
std::wstring ToWindowLines(const std::string& text) {
  std::wstring in = Widen(text), out;
  for (wchar_t c : in) {
    if (c == L'\n') out += L'\r';
    if (c != L'\r') out += c;
  }
  return out;
}
std::string FromWindowLines(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r') {
      out += L'\n';
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else {
      out += text[i];
    }
  }
  return Narrow(out);
}

SYSTEMTIME ToSystemTime(ax::DateValue d) {
  int y, m, day, h, mi, s;
  ax::SplitDate(d, y, m, day, h, mi, s);
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(y);
  t.wMonth = static_cast<WORD>(m);
  t.wDay = static_cast<WORD>(day);
  return t;
}

// Copies a name into the buffer of a "WM_GETCONTROLNAME" message.
LRESULT AnswerName(const std::string& name, WPARAM size, LPARAM buffer) {
  std::wstring wide = Widen(name);
  auto* out = reinterpret_cast<wchar_t*>(buffer);
  if (out && size > 0) {
    size_t n = std::min(wide.size(), static_cast<size_t>(size) - 1);
    std::copy_n(wide.begin(), n, out);
    out[n] = L'\0';
  }
  return static_cast<LRESULT>(wide.size());
}

// A control's window answers its name; the control is the model's, which outlives the window.
LRESULT CALLBACK NamedControl(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              UINT_PTR id, DWORD_PTR control) {
  if (message == ControlNameMessage()) {
    return AnswerName(reinterpret_cast<const ax::Control*>(control)->Name(), wParam, lParam);
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &NamedControl, id);
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// The ActiveX control container of the system's ATL, when there is one.
struct AtlHost {
  using Init = BOOL(WINAPI*)();
  using Attach = HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**);
  Attach attach = nullptr;

  static const AtlHost& Get() {
    static const AtlHost host = [] {
      AtlHost h;
      for (const wchar_t* name : {L"atl.dll", L"atl110.dll", L"atl100.dll"}) {
        HMODULE atl = LoadLibraryW(name);
        if (!atl) continue;
        auto init = reinterpret_cast<Init>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
        auto attach =
            reinterpret_cast<Attach>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxAttachControl")));
        if (init && attach && init()) {
          h.attach = attach;
          break;
        }
      }
      return h;
    }();
    return host;
  }
};

// Hosts a control in the window: the container ATL made for it, or why there is none. Only an
// object that is a control (IOleObject) is offered to the container: some containers fault on
// any other object.
HRESULT HostControl(IDispatch* control, HWND window, ComPtr<IUnknown>& container) {
  if (!AtlHost::Get().attach) return REGDB_E_CLASSNOTREG;
  if (!QueryAs<IOleObject>(control)) return E_NOINTERFACE;
  HRESULT hr = AtlHost::Get().attach(control, window, container.put());
  if (SUCCEEDED(hr) && !container) hr = E_FAIL;
  return hr;
}

// Routes a hosted control's events to the form, as every handler of the form is raised.
class ControlEventSink final : public ax::EventSink {
 public:
  using Handler = std::function<void(std::string_view eventName, ax::Args& args)>;
  explicit ControlEventSink(Handler handler) : handler_(std::move(handler)) {}
  void OnEvent(std::string_view eventName, ax::Args& args) override { handler_(eventName, args); }

 private:
  Handler handler_;
};

class FormWindow {
 public:
  explicit FormWindow(ax::Form& form) : form_(form) {}
  ~FormWindow() {
    events_.clear();
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    children_.clear();  // the containers go after their windows
    if (font_) DeleteObject(font_);
  }

  void Run();

 private:
  struct Child {
    Child(std::string n, HWND h) : name(std::move(n)), hwnd(h) {}
    std::string name;
    HWND hwnd = nullptr;
    std::vector<ax::ComboItem> shownItems;  // what the combo box lists now
    ComPtr<IUnknown> container;             // of a hosted control, while the window lives
    ComPtr<IOleInPlaceActiveObject> active;  // the hosted control's keyboard, when it has one
  };

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static void RegisterClassOnce();
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Create(HWND owner);
  void CreateChild(ax::Control& c, int id);
  void Push();  // model -> windows
  void Pull();  // windows -> model
  // Runs a handler of the form between a Pull and a Push; reports its error.
  template <class F>
  void Raise(F&& handler);
  bool PreviewKey(const MSG& msg);
  // A key for a hosted control goes to the control first (its accelerators, arrows, Enter).
  bool ControlKey(MSG& msg);
  // Tab in a locked box moves on to the next control (Shift+Tab back), as it does everywhere
  // else: a multi-line box would otherwise take the key as text.
  bool TabsOut(const MSG& msg);
  // Enter presses the focused button, else the default one; Esc presses the cancel button, or
  // closes a form without one.
  bool DialogKey(const MSG& msg);
  const Child* ChildOf(HWND hwnd) const;  // the control a window belongs to
  void Press(const Child& button);
  void FocusFirst();  // the first control in tab order that takes the focus

  ax::Form& form_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  int32_t frameWidth_ = 0, frameHeight_ = 0;  // the form's Width - ScaleWidth, Height - ScaleHeight
  std::vector<Child> children_;
  std::vector<std::unique_ptr<ControlEventSink>> sinks_;
  std::vector<std::unique_ptr<ax::Connection>> events_;
};

void FormWindow::CreateChild(ax::Control& c, int id) {
  const std::string& kind = c.Kind();
  const wchar_t* cls = L"STATIC";
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  int extraHeight = 0;
  std::wstring text = Widen(c.caption);
  if (kind == "Label") {
    style |= SS_LEFT;  // "&" marks the access key of the control after the label
  } else if (kind == "CommandButton") {
    cls = L"BUTTON";
    style |= (c.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
  } else if (kind == "CheckBox") {
    cls = L"BUTTON";
    style |= BS_AUTOCHECKBOX | WS_TABSTOP;
  } else if (kind == "OptionButton") {
    cls = L"BUTTON";
    style |= BS_AUTORADIOBUTTON | WS_TABSTOP;
  } else if (kind == "Frame") {
    cls = L"BUTTON";
    style |= BS_GROUPBOX;
  } else if (kind == "TextBox") {
    cls = L"EDIT";
    style |= ES_AUTOHSCROLL | WS_TABSTOP | (c.locked ? ES_READONLY : 0);
    exStyle = WS_EX_CLIENTEDGE;
    text = Widen(c.text);
  } else if (kind == "RichTextBox") {
    cls = RICHEDIT_CLASSW;
    style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP | (c.locked ? ES_READONLY : 0);
    exStyle = WS_EX_CLIENTEDGE;
    text = ToWindowLines(c.text);
  } else if (kind == "ComboBox") {
    cls = L"COMBOBOX";
    style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    extraHeight = 200;  // room for the drop-down list
    text.clear();
  } else if (kind == "DTPicker") {
    cls = DATETIMEPICK_CLASSW;
    style |= DTS_SHORTDATEFORMAT | WS_TABSTOP;
    text.clear();
  } else if (kind == "ImageList") {
    children_.emplace_back(c.Name(), nullptr);
    return;
  } else if (kind == "ActiveX") {
    style |= SS_CENTER | WS_TABSTOP;
    text = L"[" + Widen(c.activeX.IsNothing() ? c.Name() : c.activeX.TypeName()) + L"]";
  }
  HWND child = CreateWindowExW(exStyle, cls, text.c_str(), style, Px(c.left), Px(c.top),
                               Px(c.width), Px(c.height) + extraHeight, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               module::Handle(), nullptr);
  if (child && font_) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (child) SetWindowSubclass(child, &NamedControl, 1, reinterpret_cast<DWORD_PTR>(&c));
  children_.emplace_back(c.Name(), child);
  if (kind == "ActiveX" && child && !c.activeX.IsNothing()) {
    // Host the control the plug-in created. Where it cannot be hosted, the placeholder stays
    // and says why.
    auto* com = dynamic_cast<ComDispatch*>(c.activeX.ptr().get());
    Child& hosted = children_.back();
    HRESULT hr = com ? HostControl(com->get(), child, hosted.container) : E_NOINTERFACE;
    if (SUCCEEDED(hr)) {
      SetWindowTextW(child, L"");
      hosted.active = QueryAs<IOleInPlaceActiveObject>(com->get());
    } else {
      wchar_t code[16];
      swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
      std::wstring why = Widen(SystemMessage(hr));
      SetWindowTextW(child, (text + L"\r\n" + (why.empty() ? code : why + L" (" + code + L")")).c_str());
    }
    const std::string name = c.Name();
    auto sink = std::make_unique<ControlEventSink>([this, name](std::string_view event, ax::Args& args) {
      Raise([&] { form_.ControlEvent(name, std::string(event), args); });
    });
    try {
      events_.push_back(c.activeX.Advise(*sink));
      sinks_.push_back(std::move(sink));
    } catch (const ax::AutomationError&) {
      // A control without events has nothing to route.
    }
  }
}

// The window class of the forms, registered by this load of the module. A class outlives the
// module that registered it: a host that unloads the DLL and loads it again would otherwise find
// the old class, whose window procedure may point where the module no longer is.
ATOM g_formClass = 0;

}  // namespace

int ScreenDpi() {
  static const int dpi = [] {
    HDC dc = GetDC(nullptr);
    int value = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return value > 0 ? value : 96;
  }();
  return dpi;
}
int Px(int32_t twips) { return MulDiv(twips, ScreenDpi(), 1440); }
int32_t Twips(int px) { return MulDiv(px, 1440, ScreenDpi()); }

std::wstring WindowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(n > 0 ? n : 0));
  return text;
}

std::wstring WindowClass(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 63);
  return name;
}

UINT ControlNameMessage() {
  static const UINT message = RegisterWindowMessageW(L"WM_GETCONTROLNAME");
  return message;
}

void UnregisterFormClass() {
  if (g_formClass && UnregisterClassW(kFormClass, module::Handle())) g_formClass = 0;
}

namespace {

void FormWindow::RegisterClassOnce() {
  if (g_formClass) return;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  LoadLibraryW(L"riched20.dll");
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &FormWindow::Proc;
  wc.hInstance = module::Handle();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFormClass;
  ATOM atom = RegisterClassExW(&wc);
  DWORD error = atom ? ERROR_SUCCESS : GetLastError();
  if (!atom && error == ERROR_CLASS_ALREADY_EXISTS) {
    // Left by an earlier load of the module at the same address that was not unregistered:
    // ours replaces it.
    if (UnregisterClassW(kFormClass, module::Handle())) {
      atom = RegisterClassExW(&wc);
      error = atom ? ERROR_SUCCESS : GetLastError();
    } else {
      error = GetLastError();
    }
  }
  if (!atom) {
    ThrowIfFailed(HRESULT_FROM_WIN32(error ? error : ERROR_CLASS_DOES_NOT_EXIST), "RegisterClassEx");
  }
  g_formClass = atom;
}

void FormWindow::Create(HWND owner) {
  RegisterClassOnce();
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    font_ = CreateFontIndirectW(&metrics.lfMessageFont);
  }
  DWORD style = WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX;
  if (form_.hasCloseButton) style |= WS_SYSMENU;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  // The controls are laid out in the inner area: the window gets that area whole, with the
  // system's frame around it, so that nothing placed inside is cut.
  frameWidth_ = std::max(0, form_.width - form_.scaleWidth);
  frameHeight_ = std::max(0, form_.height - form_.scaleHeight);
  RECT outer{0, 0, Px(form_.width - frameWidth_), Px(form_.height - frameHeight_)};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  int width = outer.right - outer.left, height = outer.bottom - outer.top;
  int x = Px(form_.left), y = Px(form_.top);
  if (form_.left == 0 && form_.top == 0) {
    x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  }
  hwnd_ = CreateWindowExW(exStyle, kFormClass, Widen(form_.caption).c_str(), style, x, y, width,
                          height, owner, nullptr, module::Handle(), this);
  if (!hwnd_) ThrowIfFailed(HRESULT_FROM_WIN32(GetLastError()), "CreateWindowEx");
  int id = kFirstControlId;
  for (const std::string& name : form_.ControlOrder()) CreateChild(form_.C(name), id++);
  // The windows' order is the tab order.
  std::vector<const Child*> tabOrder;
  for (const Child& child : children_) {
    if (child.hwnd) tabOrder.push_back(&child);
  }
  std::stable_sort(tabOrder.begin(), tabOrder.end(), [this](const Child* a, const Child* b) {
    return form_.C(a->name).tabIndex < form_.C(b->name).tabIndex;
  });
  HWND previous = HWND_TOP;
  for (const Child* child : tabOrder) {
    SetWindowPos(child->hwnd, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = child->hwnd;
  }
  // Frames go beneath every other control, so that they never paint over what they contain.
  for (const Child& child : children_) {
    if (child.hwnd && form_.C(child.name).Kind() == "Frame") {
      SetWindowPos(child.hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  Push();
}

void FormWindow::Push() {
  // A form its handler hid or unloaded goes from the screen at once, before its loop ends.
  if (!form_.visible && IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
  SetTextIfChanged(hwnd_, Widen(form_.caption));
  for (Child& child : children_) {
    if (!child.hwnd) continue;
    ax::Control& c = form_.C(child.name);
    const std::string& kind = c.Kind();
    int extra = kind == "ComboBox" ? 200 : 0;
    RECT r{};
    GetWindowRect(child.hwnd, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    if (r.left != Px(c.left) || r.top != Px(c.top) || r.right - r.left != Px(c.width) ||
        r.bottom - r.top != Px(c.height) + extra) {
      MoveWindow(child.hwnd, Px(c.left), Px(c.top), Px(c.width), Px(c.height) + extra, TRUE);
    }
    EnableWindow(child.hwnd, c.enabled);
    ShowWindow(child.hwnd, c.visible ? SW_SHOWNA : SW_HIDE);
    if (kind == "Label" || kind == "CommandButton" || kind == "Frame" || kind == "CheckBox" ||
        kind == "OptionButton") {
      SetTextIfChanged(child.hwnd, Widen(c.caption));
    }
    if (kind == "TextBox" || kind == "RichTextBox") {
      bool readOnly = (GetWindowLongW(child.hwnd, GWL_STYLE) & ES_READONLY) != 0;
      if (readOnly != c.locked) SendMessageW(child.hwnd, EM_SETREADONLY, c.locked, 0);
    }
    if (kind == "TextBox") SetTextIfChanged(child.hwnd, Widen(c.text));
    if (kind == "RichTextBox") SetTextIfChanged(child.hwnd, ToWindowLines(c.text));
    if (kind == "CheckBox") {
      int state = c.value.isEmpty() || c.value.isNull() ? 0 : ax::CLng(c.value);
      SendMessageW(child.hwnd, BM_SETCHECK,
                   state == 1 ? BST_CHECKED : state == 2 ? BST_INDETERMINATE : BST_UNCHECKED, 0);
    }
    if (kind == "OptionButton") {
      SendMessageW(child.hwnd, BM_SETCHECK, ax::IsTrue(c.value) ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    if (kind == "ComboBox") {
      bool same = child.shownItems.size() == c.items.size();
      for (size_t i = 0; same && i < c.items.size(); ++i) {
        same = child.shownItems[i].text == c.items[i].text;
      }
      if (!same) {
        SendMessageW(child.hwnd, CB_RESETCONTENT, 0, 0);
        for (const ax::ComboItem& item : c.items) {
          std::wstring text = Widen(item.text);
          LRESULT at = SendMessageW(child.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
          SendMessageW(child.hwnd, CB_SETITEMDATA, static_cast<WPARAM>(at), item.itemData);
        }
        child.shownItems = c.items;
      }
      SendMessageW(child.hwnd, CB_SETCURSEL, static_cast<WPARAM>(c.listIndex), 0);
    }
    if (kind == "DTPicker") {
      if (!c.minDate.isEmpty() && !c.minDate.isNull()) {
        SYSTEMTIME range[2] = {ToSystemTime(ax::CDate(c.minDate)), {}};
        SendMessageW(child.hwnd, DTM_SETRANGE, GDTR_MIN, reinterpret_cast<LPARAM>(range));
      }
      if (!c.value.isEmpty() && !c.value.isNull()) {
        SYSTEMTIME t = ToSystemTime(ax::CDate(c.value));
        SendMessageW(child.hwnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
      }
    }
  }
}

void FormWindow::Pull() {
  for (Child& child : children_) {
    if (!child.hwnd) continue;
    ax::Control& c = form_.C(child.name);
    const std::string& kind = c.Kind();
    // A locked box keeps the model's text.
    if (kind == "TextBox" && !c.locked) c.text = Narrow(WindowText(child.hwnd));
    if (kind == "RichTextBox" && !c.locked) c.text = FromWindowLines(WindowText(child.hwnd));
    if (kind == "CheckBox") {
      LRESULT state = SendMessageW(child.hwnd, BM_GETCHECK, 0, 0);
      c.value = int32_t{state == BST_CHECKED ? 1 : state == BST_INDETERMINATE ? 2 : 0};
    }
    if (kind == "OptionButton") {
      c.value = SendMessageW(child.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    if (kind == "ComboBox") {
      LRESULT at = SendMessageW(child.hwnd, CB_GETCURSEL, 0, 0);
      c.listIndex = at == CB_ERR ? -1 : static_cast<int32_t>(at);
      if (c.listIndex >= 0 && static_cast<size_t>(c.listIndex) < c.items.size()) {
        c.text = c.items[static_cast<size_t>(c.listIndex)].text;
      }
    }
    if (kind == "DTPicker") {
      SYSTEMTIME t{};
      if (SendMessageW(child.hwnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) == GDT_VALID) {
        c.value = ax::MakeDate(t.wYear, t.wMonth, t.wDay);
      }
    }
  }
  // The window's size is the form's: its inner area, and the frame as the form was designed.
  RECT client{};
  GetClientRect(hwnd_, &client);
  form_.scaleWidth = Twips(client.right);
  form_.scaleHeight = Twips(client.bottom);
  form_.width = form_.scaleWidth + frameWidth_;
  form_.height = form_.scaleHeight + frameHeight_;
}

template <class F>
void FormWindow::Raise(F&& handler) {
  try {
    Pull();
    handler();
  } catch (...) {
    // An error a handler did not trap is shown, as the host shows its own; the form stays.
    ax::AutomationError e = ax::ToAutomationError(std::current_exception());
    ax::TryCall([&] { ax::GetHostLib().ReportError(e); });
  }
  ax::TryCall([&] {
    if (IsWindow(hwnd_)) Push();
  });
  // Wake the modal loop so that it sees a form the handler hid or unloaded.
  if (IsWindow(hwnd_)) PostMessageW(hwnd_, WM_NULL, 0, 0);
}

LRESULT CALLBACK FormWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self || self->hwnd_ != hwnd) return DefWindowProcW(hwnd, message, wParam, lParam);
  // Nothing may escape into the system's window code.
  LRESULT result = 0;
  if (!ax::TryCall([&] { result = self->Handle(message, wParam, lParam); })) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return result;
}

LRESULT FormWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == ControlNameMessage()) return AnswerName(form_.Name(), wParam, lParam);
  switch (message) {
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      int code = HIWORD(wParam);
      size_t index = static_cast<size_t>(id - kFirstControlId);
      if (id >= kFirstControlId && index < children_.size()) {
        const std::string name = children_[index].name;
        const std::string& kind = form_.C(name).Kind();
        bool click = (code == BN_CLICKED && (kind == "CommandButton" || kind == "CheckBox" ||
                                             kind == "OptionButton")) ||
                     (code == CBN_SELCHANGE && kind == "ComboBox");
        if (click) Raise([&] { form_.Click(name); });
        return 0;
      }
      if (id == IDCANCEL || id == IDOK) return 0;  // Esc and Enter belong to the form's keys
      break;
    }
    case WM_SIZE:
      Raise([&] { form_.Form_Resize(); });
      return 0;
    case WM_SETCURSOR:
      if (ax::GetEnvironment().ui && ax::GetUi().MousePointer() == 11) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_NEXTDLGCTL: {
      // As a dialog's own procedure does: the system's dialog keys (a label's access key among
      // them) move the focus with this message, which only dialogs answer by themselves.
      HWND focus = GetFocus();
      HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                 : GetNextDlgTabItem(hwnd_, focus == hwnd_ ? nullptr : focus, wParam != 0);
      if (next && IsChild(hwnd_, next)) {
        if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
        SetFocus(next);
      }
      return 0;
    }
    case WM_CLOSE:
      // Closing the window unloads the form, which ends its modal showing.
      Raise([&] { form_.Unload(); });
      return 0;
    default: break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool FormWindow::PreviewKey(const MSG& msg) {
  if (!form_.keyPreview || msg.message != WM_KEYDOWN) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  int16_t keyCode = static_cast<int16_t>(msg.wParam);
  int16_t shift = static_cast<int16_t>((GetKeyState(VK_SHIFT) < 0 ? 1 : 0) |
                                       (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                                       (GetKeyState(VK_MENU) < 0 ? 4 : 0));
  Raise([&] { form_.Form_KeyDown(keyCode, shift); });
  return keyCode == 0;  // the form consumed the key
}

bool FormWindow::ControlKey(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  const Child* child = ChildOf(msg.hwnd);
  return child && child->active && child->active->TranslateAccelerator(&msg) == S_OK;
}

bool FormWindow::TabsOut(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
  for (const Child& child : children_) {
    if (child.hwnd != msg.hwnd || !form_.C(child.name).locked) continue;
    HWND next = GetNextDlgTabItem(hwnd_, msg.hwnd, GetKeyState(VK_SHIFT) < 0);
    if (next) SetFocus(next);
    return true;
  }
  return false;
}

const FormWindow::Child* FormWindow::ChildOf(HWND hwnd) const {
  while (hwnd && GetParent(hwnd) != hwnd_) hwnd = GetParent(hwnd);
  for (const Child& child : children_) {
    if (hwnd && child.hwnd == hwnd) return &child;
  }
  return nullptr;
}

void FormWindow::Press(const Child& button) {
  if (button.hwnd && IsWindowVisible(button.hwnd) && IsWindowEnabled(button.hwnd)) {
    SendMessageW(button.hwnd, BM_CLICK, 0, 0);
  }
}

bool FormWindow::DialogKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE)) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  if (const Child* focused = ChildOf(msg.hwnd)) {
    const ax::Control& c = form_.C(focused->name);
    // An open drop-down takes its own Enter and Esc; an editable multi-line box takes Enter.
    if (c.Kind() == "ComboBox" && SendMessageW(focused->hwnd, CB_GETDROPPEDSTATE, 0, 0)) return false;
    if (c.Kind() == "DTPicker") {
      // Some date pickers keep their calendar window while it is closed: open means shown.
      HWND calendar = reinterpret_cast<HWND>(SendMessageW(focused->hwnd, DTM_GETMONTHCAL, 0, 0));
      if (calendar && IsWindowVisible(calendar)) return false;
    }
    if (msg.wParam == VK_RETURN && c.Kind() == "RichTextBox" && !c.locked) return false;
    if (msg.wParam == VK_RETURN && c.Kind() == "CommandButton") {
      Press(*focused);
      return true;
    }
  }
  for (const Child& child : children_) {
    const ax::Control& c = form_.C(child.name);
    if (c.Kind() == "CommandButton" && (msg.wParam == VK_RETURN ? c.isDefault : c.isCancel)) {
      Press(child);
      return true;
    }
  }
  if (msg.wParam == VK_ESCAPE) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  return true;
}

void FormWindow::FocusFirst() {
  const Child* first = nullptr;
  for (const Child& child : children_) {
    if (!child.hwnd || !(GetWindowLongW(child.hwnd, GWL_STYLE) & WS_TABSTOP) ||
        !IsWindowVisible(child.hwnd) || !IsWindowEnabled(child.hwnd)) {
      continue;
    }
    if (!first || form_.C(child.name).tabIndex < form_.C(first->name).tabIndex) first = &child;
  }
  if (first) SetFocus(first->hwnd);
}

void FormWindow::Run() {
  HWND owner = GetActiveWindow();
  Create(owner);
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  FocusFirst();
  MSG msg;
  while (form_.visible && IsWindow(hwnd_)) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the host's own loop
      break;
    }
    if (got < 0) break;
    if (PreviewKey(msg)) continue;
    if (ControlKey(msg)) continue;
    if (TabsOut(msg)) continue;
    if (DialogKey(msg)) continue;
    if (IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (owner) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  if (IsWindow(hwnd_)) {
    Pull();
    DestroyWindow(hwnd_);
  }
  hwnd_ = nullptr;
}

}  // namespace

void WinUi::ShowModal(ax::Form& form) {
  FormWindow window(form);
  window.Run();
}

}  // namespace sccom
