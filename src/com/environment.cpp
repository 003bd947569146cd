// The environment of the plug-in inside a COM host: components come from COM by ProgID, the
// user interface is Win32's, and the host library's routines are served here.
#include "automation/runtime.h"
#include "bridge.h"
#include "host_hook.h"
#include "server.h"
#include "win_ui.h"

namespace sccom {

namespace {

// CreateObject: CLSIDFromProgID and CoCreateInstance for the object's IDispatch.
class ComRegistry final : public ax::ComponentRegistry {
 public:
  ax::Object Create(std::string_view progId) override {
    CLSID clsid;
    std::wstring name = Widen(progId);
    ComPtr<IDispatch> object;
    if (FAILED(CLSIDFromProgID(name.c_str(), &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IDispatch, object.put_void())) ||
        !object) {
      throw ax::Error(ax::err::kCantCreate, std::string(progId));
    }
    return WrapDispatch(object.get());
  }
};

// CreateObject with a simulated host's hook (host_hook.h): the host's components first, then
// COM.
class HookRegistry final : public ax::ComponentRegistry {
 public:
  void Use(const HostHook& hook) { create_ = hook.createObject; }
  ax::Object Create(std::string_view progId) override {
    if (create_) {
      std::wstring name = Widen(progId);
      IDispatch* raw = nullptr;
      EXCEPINFO info{};
      HRESULT hr = create_(name.c_str(), &raw, &info);
      ComPtr<IDispatch> object = ComPtr<IDispatch>::Attach(raw);
      if (hr == DISP_E_EXCEPTION) ThrowInvokeError(hr, info);
      if (hr != REGDB_E_CLASSNOTREG) {
        ThrowIfFailed(hr, progId);
        if (!object) throw ax::Error(ax::err::kCantCreate, std::string(progId));
        return WrapDispatch(object.get());
      }
    }
    return com_.Create(progId);
  }

 private:
  CreateObjectFunction create_ = nullptr;
  ComRegistry com_;
};

// The hook of a simulated host, when the process's executable exports one.
bool FindHostHook(HostHook* hook) {
  HMODULE main = GetModuleHandleW(nullptr);
  if (!main) return false;
  auto function = reinterpret_cast<HostHookFunction>(
      reinterpret_cast<void*>(GetProcAddress(main, kHostHookName)));
  return function && SUCCEEDED(function(hook)) && hook->ui && hook->hostLibrary &&
         hook->createObject;
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
  // A simulated host's hook is asked every time: each scenario runs in a fresh host.
  HostHook hook;
  if (FindHostHook(&hook)) {
    static HookRegistry hookRegistry;
    hookRegistry.Use(hook);
    ax::SetEnvironment({&hookRegistry, hook.ui, hook.hostLibrary});
    return;
  }
  if (ax::GetEnvironment().registry) return;
  static ComRegistry registry;
  static WinUi ui;
  static WinHostLibrary hostLib;
  ax::SetEnvironment({&registry, &ui, &hostLib});
}

}  // namespace sccom
