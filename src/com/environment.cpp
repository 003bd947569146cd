// The environment of the plug-in inside a COM host: components come from COM by ProgID, the
// user interface is Win32's, and the host library's routines are served here.
#include "automation/runtime.h"
#include "bridge.h"
#include "host_hook.h"
#include "server.h"
#include "win_ui.h"

namespace sccom {

namespace {

// CreateObject: CLSIDFromProgID and CoCreateInstance for the object's IDispatch. A ProgID
// nothing registers, or a class that cannot be reached, is error 429; a class object that
// fails the creation with an error of its own (an HRESULT and the thread's error object) passes
// that error on.
class ComRegistry final : public ax::ComponentRegistry {
 public:
  ax::Object Create(std::string_view progId) override {
    CLSID clsid;
    std::wstring name = Widen(progId);
    ComPtr<IDispatch> object;
    if (FAILED(CLSIDFromProgID(name.c_str(), &clsid))) {
      throw ax::Error(ax::err::kCantCreate, std::string(progId));
    }
    SetErrorInfo(0, nullptr);
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                  IID_IDispatch, object.put_void());
    if (FAILED(hr)) {
      ComPtr<IErrorInfo> info;
      if (GetErrorInfo(0, info.put()) == S_OK && info) throw ErrorFromErrorInfo(hr, info.get());
      throw ax::Error(ax::err::kCantCreate, std::string(progId));
    }
    if (!object) throw ax::Error(ax::err::kCantCreate, std::string(progId));
    return WrapDispatch(object.get());
  }
};

// The user interface of a simulated host's hook (host_hook.h) for modal forms, the clipboard
// and the window functions; the rest is this library's own, as with any host: message boxes
// (which the host answers through Win32 as its user would), the mouse pointer, the message
// loop, the clock, the process id and the screen.
class HookUi final : public WinUi {
 public:
  void Use(ax::Ui* host) { host_ = host; }
  void SetClipboardPicture(const ax::Picture& picture) override {
    host_->SetClipboardPicture(picture);
  }
  ax::Picture ClipboardPicture() const override { return host_->ClipboardPicture(); }
  void ShowModal(ax::Form& form) override { host_->ShowModal(form); }
  intptr_t GetParent(intptr_t hwnd) override { return host_->GetParent(hwnd); }
  bool IsWindow(intptr_t hwnd) override { return host_->IsWindow(hwnd); }
  bool IsIconic(intptr_t hwnd) override { return host_->IsIconic(hwnd); }
  bool ShowWindow(intptr_t hwnd, int command) override { return host_->ShowWindow(hwnd, command); }
  bool SetForegroundWindow(intptr_t hwnd) override { return host_->SetForegroundWindow(hwnd); }
  bool GetWindowRect(intptr_t hwnd, ax::Rect& rect) override {
    return host_->GetWindowRect(hwnd, rect);
  }
  intptr_t SendMessageA(intptr_t hwnd, uint32_t message, uintptr_t wParam,
                        intptr_t lParam) override {
    return host_->SendMessageA(hwnd, message, wParam, lParam);
  }

 private:
  ax::Ui* host_ = nullptr;
};

// The hook of a simulated host, when the process's executable exports one.
bool FindHostHook(HostHook* hook) {
  HMODULE main = GetModuleHandleW(nullptr);
  if (!main) return false;
  auto function = reinterpret_cast<HostHookFunction>(
      reinterpret_cast<void*>(GetProcAddress(main, kHostHookName)));
  return function && SUCCEEDED(function(hook)) && hook->ui;
}

// The host library's routines as the plug-in needs them: errors shown in a message box, the
// business date taken from the profile. Period dates come from the host's system profile.
class WinHostLibrary final : public ax::HostLibrary {
 public:
  void ReportError(const ax::AutomationError& error) override {
    std::string text = "Run-time error '" + std::to_string(error.Number()) + "':\n\n" +
                       error.Description();
    ax::GetUi().MessageBox(text, ax::mb::kCritical,
                           error.Source().empty() ? "scTAVExt" : error.Source());
  }
  ax::DateValue CentreDate(ax::DateValue profileDate, ax::DateValue today) override {
    (void)today;
    return ax::DateOnly(profileDate);
  }
};

}  // namespace

void EnsureEnvironment() {
  static ComRegistry registry;
  static WinHostLibrary hostLib;
  // A simulated host's hook is asked every time: each scenario runs in a fresh host.
  HostHook hook;
  if (FindHostHook(&hook)) {
    static HookUi hookUi;
    hookUi.Use(hook.ui);
    ax::SetEnvironment({&registry, &hookUi, &hostLib});
    return;
  }
  if (ax::GetEnvironment().registry) return;
  static WinUi ui;
  ax::SetEnvironment({&registry, &ui, &hostLib});
}

}  // namespace sccom
