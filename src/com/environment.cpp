// The environment of the plug-in inside a COM host: components come from COM by ProgID, the
// user interface is Win32's, and the host library's routines are served here.
#include "automation/runtime.h"
#include "bridge.h"
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
  if (ax::GetEnvironment().registry) return;
  static WinUi ui;
  ax::SetEnvironment({&registry, &ui, &hostLib});
}

}  // namespace sccom
