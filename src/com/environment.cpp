// The environment of the plug-in inside a COM host: components come from COM by ProgID, the
// user interface is Win32's, and the host library's routines are served here.
#include "automation/runtime.h"
#include "bridge.h"
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

// The host library's routines as the plug-in needs them: errors shown in a message box, the
// business date taken from the profile, accounting periods as calendar months.
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
  ax::DateValue PeriodDate(int32_t year, int32_t period) override {
    if (period < 1) period = 1;
    if (period > 12) period = 12;
    return ax::MakeDate(year, period, 1);
  }
};

}  // namespace

void EnsureEnvironment() {
  if (ax::GetEnvironment().registry) return;
  static ComRegistry registry;
  static WinUi ui;
  static WinHostLibrary hostLib;
  ax::SetEnvironment({&registry, &ui, &hostLib});
}

}  // namespace sccom
