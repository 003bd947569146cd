// `sctav --via-com` (Windows build): the simulated host creates the plug-in's classes by ProgID
// through CoCreateInstance from the registered scTAVExt.dll and hands them its bill and list
// windows as COM event sources (IDispatch, type information, a connection point), so that the
// plug-in's calls, events and by-reference arguments all cross real COM. The DLL creates the
// host's components by ProgID through COM (host_classes.h) and shows its message boxes and forms
// as its own windows, which this executable answers and plays through Win32 (message_boxes.h,
// form_windows.h); its clock and its window functions on the host's windows lead to the
// simulated host (host_imports.h). Nothing but COM and Win32 lies between the two.
#include "via_com.h"

#ifdef _WIN32

#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "automation/error.h"
#include "automation/form.h"
#include "bridge.h"
#include "event_source_server.h"
#include "form_windows.h"
#include "host_classes.h"
#include "message_boxes.h"
#include "host_imports.h"
#include "plugin/plugin_class.h"
#include "sim/host/bill_window.h"
#include "sim/host/host.h"
#include "sim/host/list_window.h"

namespace via_com {

namespace {

bool active = false;
int leaked = 0;

constexpr GUID MakeGuid(uint32_t a, uint16_t last) {
  return GUID{a, 0x7a31, 0x4d52, {0x8e, 0x6c, 0x2b, 0x90, 0x51, 0x3f, 0x00, static_cast<uint8_t>(last)}};
}

// The host's window interfaces as COM sees them: class, default interface, event interface.
std::shared_ptr<const sccom::EventClass> BillClass() {
  static const auto c = std::make_shared<const sccom::EventClass>(sccom::EventClass{
      "BillInterface", MakeGuid(0x1c0d5e10, 1), MakeGuid(0x1c0d5e10, 2), MakeGuid(0x1c0d5e10, 3),
      {{"MenuBarInitialize", {"oMenuBar"}},
       {"AfterNewBill", {}},
       {"BeforLoadBillFillData", {}},
       {"AfterLoadBill", {}},
       {"BeginEdit", {"dct", "Col", "Row"}},
       {"Change", {"dct", "dctFld", "Col", "Row", "Cancel"}},
       {"MenuBarClick", {"oTool", "Cancel"}},
       {"BeforeSave", {"bCancel"}},
       {"AfterSave", {"bSaved"}}}});
  return c;
}

std::shared_ptr<const sccom::EventClass> ListClass() {
  static const auto c = std::make_shared<const sccom::EventClass>(sccom::EventClass{
      "ListInterface", MakeGuid(0x1c0d5e11, 1), MakeGuid(0x1c0d5e11, 2), MakeGuid(0x1c0d5e11, 3),
      {{"MenuBarInitialize", {"oMenuBar"}},
       {"ListFillRow", {"lRow", "RowData", "HeadDict", "CellData", "BackColor", "ContinueRaise"}},
       {"MenuBarClick", {"oTool", "Cancel"}}}});
  return c;
}

// A plug-in class living in the DLL, as the simulated host holds it. Show with one of the
// host's windows hands the DLL the window served as an event source; every other call goes
// through the bridge as it is.
class ComPlugin final : public ax::Dispatch {
 public:
  explicit ComPlugin(sccom::ComPtr<IDispatch> object)
      : object_(std::move(object)), wrapped_(sccom::WrapDispatch(object_.get())) {}

  ~ComPlugin() override {
    // The class goes first; the host's window must then be back to our reference alone.
    wrapped_ = ax::Object();
    object_ = sccom::ComPtr<IDispatch>();
    if (served_) {
      served_->AddRef();
      ULONG count = served_->Release();
      if (count != 1) {
        ++leaked;
        std::fprintf(stderr, "via-com: the plug-in kept %lu reference(s) to a host window\n",
                     static_cast<unsigned long>(count - 1));
      }
    }
  }

  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override {
    if (ax::EqualsNoCase(member, "Show") && (kind & ax::kMethod) && args.size() == 1 &&
        args[0].value().isObject() && args[0].value().asObject()) {
      const ax::DispatchPtr& target = args[0].value().asObject();
      std::shared_ptr<const sccom::EventClass> c;
      if (std::dynamic_pointer_cast<sim::BillWindow>(target)) c = BillClass();
      if (std::dynamic_pointer_cast<sim::ListWindow>(target)) c = ListClass();
      if (c) {
        ShowWindowObject(sccom::ServeEventSource(target, c));
        return {};
      }
    }
    return wrapped_.ptr()->Invoke(member, kind, args);
  }
  bool Supports(std::string_view name) const override { return wrapped_.ptr()->Supports(name); }
  std::string ClassName() const override { return wrapped_.ptr()->ClassName(); }

 private:
  void ShowWindowObject(sccom::ComPtr<IDispatch> served) {
    wchar_t name[] = L"Show";
    LPOLESTR names[] = {name};
    DISPID id = DISPID_UNKNOWN;
    sccom::ThrowIfFailed(
        object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), "Show");
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_DISPATCH;
    arg.pdispVal = served.get();
    DISPPARAMS params{&arg, nullptr, 1, 0};
    EXCEPINFO info{};
    HRESULT hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                 nullptr, &info, nullptr);
    if (hr == DISP_E_EXCEPTION) sccom::ThrowInvokeError(hr, info);
    sccom::ThrowIfFailed(hr, "Show");
    served_ = std::move(served);
  }

  sccom::ComPtr<IDispatch> object_;
  ax::Object wrapped_;
  sccom::ComPtr<IDispatch> served_;
};

bool IsPluginProgId(std::string_view progId) {
  return ax::EqualsNoCase(progId, sc::kProgIdBill) || ax::EqualsNoCase(progId, sc::kProgIdList) ||
         ax::EqualsNoCase(progId, sc::kProgIdList1);
}

// The host's components are COM classes from the first plug-in class on: every host of the
// run registers the same ones.
bool hostClassesRegistered = false;

ax::DispatchPtr CreateThroughCom(std::string_view progId) {
  if (!IsPluginProgId(progId)) return nullptr;
  if (!hostClassesRegistered) {
    sim::Host* host = sim::Host::Running();
    std::string why = host ? RegisterHostClasses(host->ProgIds()) : "no simulated host is running";
    if (!why.empty()) throw ax::AutomationError(ax::err::kCantCreate, why, std::string(progId));
    hostClassesRegistered = true;
  }
  std::wstring name = sccom::Widen(progId);
  CLSID clsid;
  sccom::ComPtr<IDispatch> object;
  HRESULT hr = CLSIDFromProgID(name.c_str(), &clsid);
  if (SUCCEEDED(hr)) {
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void());
  }
  if (FAILED(hr) || !object) {
    char code[16];
    std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(hr));
    throw ax::AutomationError(ax::err::kCantCreate,
                              ax::StandardDescription(ax::err::kCantCreate) + " (0x" + code + ")",
                              std::string(progId));
  }
  if (!PointLibraryAtHost()) {
    throw ax::AutomationError(ax::err::kCantCreate,
                              "scTAVExt.dll lacks an import of the clock or window functions the host answers",
                              std::string(progId));
  }
  return std::make_shared<ComPlugin>(std::move(object));
}

}  // namespace

std::string Start() {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) return "CoInitializeEx failed";
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(sccom::Widen(sc::kProgIdBill).c_str(), &clsid))) {
    CoUninitialize();
    return std::string(sc::kProgIdBill) + " is not registered (regsvr32 scTAVExt.dll)";
  }
  // The DLL's message boxes are windows: without a display (and no null display driver) none
  // can be made, and every box would answer Cancel unseen.
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (!probe) {
    CoUninitialize();
    return "no window can be made here: run it on a display, or under Wine with the null display "
           "driver (HKCU\\Software\\Wine\\Drivers, Graphics=null)";
  }
  DestroyWindow(probe);
  if (!StartAnsweringMessageBoxes()) {
    CoUninitialize();
    return "cannot watch this thread's message boxes (SetWindowsHookEx)";
  }
  if (!StartDrivingForms()) {
    StopAnsweringMessageBoxes();
    CoUninitialize();
    return "cannot make the window that plays the plug-in's forms";
  }
  sim::Host::SetPluginFactory(&CreateThroughCom);
  sim::Host::SetProcessId(GetCurrentProcessId());
  UseSystemPlatform();
  active = true;
  return {};
}

bool Active() { return active; }

void AfterScenario() {
  if (active) CoFreeUnusedLibrariesEx(0, 0);
}

int LeakedReferences() { return leaked; }

void Stop() {
  if (!active) return;
  sim::Host::SetPluginFactory({});
  CoFreeUnusedLibrariesEx(0, 0);
  RevokeHostClasses();
  hostClassesRegistered = false;
  StopUsingSystemPlatform();
  StopDrivingForms();
  StopAnsweringMessageBoxes();
  CoUninitialize();
  active = false;
}

}  // namespace via_com

#else

namespace via_com {

std::string Start() { return "--via-com needs the Windows build of sctav (preset mingw64-sim)"; }
bool Active() { return false; }
void AfterScenario() {}
int LeakedReferences() { return 0; }
void Stop() {}

}  // namespace via_com

#endif
