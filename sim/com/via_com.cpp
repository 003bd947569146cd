// `sctav --via-com` (Windows build): the simulated host creates the plug-in's classes by ProgID
// through CoCreateInstance from the registered scTAVExt.dll and hands them its bill and list
// windows as COM event sources (IDispatch, type information, a connection point), so that the
// plug-in's calls, events and by-reference arguments all cross real COM. The DLL creates the
// host's components by ProgID through COM (host_classes.h), shows its message boxes as its
// own windows, which this executable answers through Win32 (message_boxes.h), and reaches the
// rest of the host's user interface through the hook this executable exports
// (src/com/host_hook.h).
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
#include "host_classes.h"
#include "host_hook.h"
#include "message_boxes.h"
#include "wall_clock.h"
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
  if (!SetLibraryClock()) {
    throw ax::AutomationError(ax::err::kCantCreate,
                              "scTAVExt.dll imports no GetLocalTime to set its clock by",
                              std::string(progId));
  }
  return std::make_shared<ComPlugin>(std::move(object));
}

// The host's user interface as the DLL gets it: the DLL asks it for modal forms, the clipboard
// and the window functions only (host_hook.h). Controls hosted on the plug-in's forms were
// created inside the DLL through COM, so the DLL holds them as COM objects; while a form is
// shown, the host's form drivers get the host's own objects back (the DLL's copy of the bridge
// holds the IDispatch this executable serves), and the form gets its own handles back after.
class ViaComUi final : public ax::Ui {
 public:
  int MessageBox(const std::string& text, int flags, const std::string& title) override {
    return Host().MessageBox(text, flags, title);
  }
  void SetMousePointer(int pointer) override { Host().SetMousePointer(pointer); }
  int MousePointer() const override { return Host().MousePointer(); }
  void DoEvents() override { Host().DoEvents(); }
  void SetClipboardPicture(const ax::Picture& picture) override {
    Host().SetClipboardPicture(picture);
  }
  ax::Picture ClipboardPicture() const override { return Host().ClipboardPicture(); }
  void ShowModal(ax::Form& form) override {
    std::vector<std::pair<ax::Control*, ax::Object>> swapped;
    struct Restore {
      std::vector<std::pair<ax::Control*, ax::Object>>& list;
      ~Restore() {
        for (auto& [control, original] : list) control->activeX = original;
      }
    } restore{swapped};
    for (const std::string& name : form.ControlOrder()) {
      ax::Control& control = form.C(name);
      if (!control.activeX.ptr()) continue;
      ax::Object own = sccom::WrapDispatch(sccom::ExposeDispatch(control.activeX.ptr()).get());
      if (own.ptr() == control.activeX.ptr()) continue;
      swapped.emplace_back(&control, control.activeX);
      control.activeX = own;
    }
    Host().ShowModal(form);
  }
  double Timer() override { return Host().Timer(); }
  ax::DateValue Now() override { return Host().Now(); }
  uint32_t CurrentProcessId() override { return Host().CurrentProcessId(); }
  intptr_t GetParent(intptr_t hwnd) override { return Host().GetParent(hwnd); }
  bool IsWindow(intptr_t hwnd) override { return Host().IsWindow(hwnd); }
  bool IsIconic(intptr_t hwnd) override { return Host().IsIconic(hwnd); }
  bool ShowWindow(intptr_t hwnd, int command) override { return Host().ShowWindow(hwnd, command); }
  bool SetForegroundWindow(intptr_t hwnd) override { return Host().SetForegroundWindow(hwnd); }
  bool GetWindowRect(intptr_t hwnd, ax::Rect& rect) override {
    return Host().GetWindowRect(hwnd, rect);
  }
  intptr_t SendMessageA(intptr_t hwnd, uint32_t message, uintptr_t wParam,
                        intptr_t lParam) override {
    return Host().SendMessageA(hwnd, message, wParam, lParam);
  }
  int32_t ScreenWidth() override { return Host().ScreenWidth(); }
  int32_t ScreenHeight() override { return Host().ScreenHeight(); }

 private:
  static sim::Host& Host() {
    sim::Host* host = sim::Host::Running();
    if (!host) throw ax::AutomationError(ax::err::kInvalidCall, "no simulated host", "sctav");
    return *host;
  }
};

ViaComUi viaComUi;

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
  sim::Host::SetPluginFactory(&CreateThroughCom);
  sim::Host::SetProcessId(GetCurrentProcessId());
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
  StopAnsweringMessageBoxes();
  CoUninitialize();
  active = false;
}

}  // namespace via_com

// The hook scTAVExt.dll looks for in the process's executable (src/com/host_hook.h).
extern "C" __declspec(dllexport) HRESULT STDMETHODCALLTYPE scTAVExtHostHook(sccom::HostHook* out) {
  if (!via_com::Active() || !out || out->size != sizeof(sccom::HostHook)) return E_INVALIDARG;
  sim::Host* host = sim::Host::Running();
  if (!host) return E_UNEXPECTED;
  out->ui = &via_com::viaComUi;
  return S_OK;
}

#else

namespace via_com {

std::string Start() { return "--via-com needs the Windows build of sctav (preset mingw64-sim)"; }
bool Active() { return false; }
void AfterScenario() {}
int LeakedReferences() { return 0; }
void Stop() {}

}  // namespace via_com

#endif
