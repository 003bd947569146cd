// The plug-in's dialogs opened by scTAVExt.dll itself, loaded as a host loads it: the library is
// loaded, its list class is shown the host's list and a menu command opens a dialog; COM may
// unload the library once it is idle and load it again later, in the same process.
#include <gtest/gtest.h>

#include "win32.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "automation/error.h"
#include "automation/runtime.h"
#include "bridge.h"
#include "com_object.h"
#include "event_source_server.h"
#include "fake_components.h"
#include "guids.h"

namespace sccom {
namespace {

// The host's list window: its List, and the menu click it raises.
class FakeList final : public ax::Dispatch {
 public:
  class Link : public ax::Connection {
   public:
    Link(FakeList& list, ax::EventSink* sink) : list_(list), sink_(sink) {}
    ~Link() override { std::erase(list_.sinks, sink_); }

   private:
    FakeList& list_;
    ax::EventSink* sink_;
  };
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args&) override {
    if (ax::EqualsNoCase(member, "List")) return ax::Variant(list);
    if (kind & ax::kPut) return {};  // the list's filter
    throw ax::Error(ax::err::kNoMember);
  }
  std::unique_ptr<ax::Connection> Advise(ax::EventSink& sink) override {
    sinks.push_back(&sink);
    return std::make_unique<Link>(*this, &sink);
  }
  void Click(const std::string& key) {
    auto tool = std::make_shared<Component>("Tool", [key](std::string_view member, unsigned, ax::Args&) {
      if (ax::EqualsNoCase(member, "Key")) return ax::Variant(key);
      throw ax::Error(ax::err::kNoMember);
    });
    ax::Variant cancel(false);
    ax::Args args{ax::Object(tool), ax::ref(cancel)};
    for (ax::EventSink* s : std::vector<ax::EventSink*>(sinks)) s->OnEvent("MenuBarClick", args);
  }
  std::string ClassName() const override { return "ListInterface"; }
  std::vector<ax::EventSink*> sinks;
  ax::DispatchPtr list = std::make_shared<Component>(
      "List", [](std::string_view, unsigned, ax::Args&) -> ax::Variant { throw ax::Error(ax::err::kNoMember); });
};

std::shared_ptr<const EventClass> ListClass() {
  static const auto c = std::make_shared<const EventClass>(EventClass{
      "ListInterface",
      {0x5d3c1a20, 0x2222, 0x4c2b, {0x9a, 0x02, 0, 0, 0, 0, 0, 0x01}},
      {0x5d3c1a20, 0x2222, 0x4c2b, {0x9a, 0x02, 0, 0, 0, 0, 0, 0x02}},
      {0x5d3c1a20, 0x2222, 0x4c2b, {0x9a, 0x02, 0, 0, 0, 0, 0, 0x03}},
      {{"MenuBarClick", {"oTool", "Cancel"}}}});
  return c;
}

// What the user saw of the dialog, looked at from inside its modal loop.
struct Seen {
  bool opened = false;
  std::wstring caption;
};
Seen g_seen;

void CALLBACK LookAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND form = FindWindowW(L"scTAVExtForm", nullptr);
  g_seen.opened = form != nullptr;
  if (!form) return;
  wchar_t text[128] = {};
  GetWindowTextW(form, text, 127);
  g_seen.caption = text;
  PostMessageW(form, WM_CLOSE, 0, 0);
}

// The DLL as the host's COM runtime holds it.
class LoadedDll {
 public:
  LoadedDll() : module_(LoadLibraryW(L"scTAVExt.dll")) {}
  ~LoadedDll() { Unload(); }
  // As CoFreeUnusedLibraries: the library goes when it says it may.
  bool Unload() {
    if (!module_) return false;
    auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
    bool may = canUnload && canUnload() == S_OK;
    FreeLibrary(module_);
    module_ = nullptr;
    return may;
  }
  explicit operator bool() const { return module_ != nullptr; }

  ComPtr<IDispatch> Create(const GUID& clsid) {
    auto get = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    ComPtr<IDispatch> object;
    if (get && SUCCEEDED(get(clsid, IID_IClassFactory, factory.put_void()))) {
      factory->CreateInstance(nullptr, IID_IDispatch, object.put_void());
    }
    return object;
  }

 private:
  HMODULE module_;
};

HRESULT Show(IDispatch* plugin, IDispatch* host) {
  DISPID id = 0;
  wchar_t name[] = L"Show";
  LPOLESTR names[] = {name};
  HRESULT hr = plugin->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  VARIANTARG arg;
  VariantInit(&arg);
  arg.vt = VT_DISPATCH;
  arg.pdispVal = host;
  DISPPARAMS params{&arg, nullptr, 1, 0};
  EXCEPINFO info{};
  hr = plugin->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &info, nullptr);
  Bstr::Attach(info.bstrDescription);
  Bstr::Attach(info.bstrSource);
  Bstr::Attach(info.bstrHelpFile);
  return hr;
}

TEST(WinForms, DialogsStillOpenAfterTheDllWasUnloadedAndLoadedAgain) {
  // The components every dialog's loading asks for: the user's language and the font loader.
  RegisteredComponent language(
      L"LmLangInfo.LangInfo", {0x5d3c1a20, 0x3333, 0x4c2b, {0x9a, 0x03, 0, 0, 0, 0, 0, 0x01}},
      std::make_shared<Component>("LangInfo", [](std::string_view member, unsigned, ax::Args&) {
        if (ax::EqualsNoCase(member, "CurrentLanguage")) return ax::Variant("chs");
        throw ax::Error(ax::err::kNoMember);
      }));
  std::vector<std::string> fonts;  // every font the loader set
  RegisteredComponent fontLoader(
      L"FrmRes.FrmResLoader", {0x5d3c1a20, 0x3333, 0x4c2b, {0x9a, 0x03, 0, 0, 0, 0, 0, 0x02}},
      std::make_shared<Component>("FrmResLoader", [&fonts](std::string_view member, unsigned, ax::Args& args) {
        if (ax::EqualsNoCase(member, "SetFrmFont")) {
          // As a form's font loader: the form's font, then each control's.
          ax::Object form(args.at(0).value());
          std::vector<ax::Object> all{form.GetObj("Font")};
          ax::Object controls = form.GetObj("Controls");
          for (int32_t i = 0; i < ax::CLng(controls.Get("Count")); ++i) {
            all.push_back(controls.ItemObj(i).GetObj("Font"));
          }
          for (const ax::Object& font : all) {
            font.Put("Name", "Microsoft YaHei");
            font.Put("Size", 10.5);
            font.Put("Bold", false);
            font.Put("Charset", int32_t{134});
            fonts.push_back(ax::CStr(font.Get("Name")) + " " + ax::CStr(font.Get("Size")));
          }
          // Like many a component, it leaves its last error behind.
          SetLastError(ERROR_FILE_NOT_FOUND);
          return ax::Variant();
        }
        throw ax::Error(ax::err::kNoMember);
      }));
  for (int load = 1; load <= 2; ++load) {
    SCOPED_TRACE("load " + std::to_string(load));
    LoadedDll dll;
    ASSERT_TRUE(dll) << "scTAVExt.dll is not beside the tests";
    {
      auto list = std::make_shared<FakeList>();
      ComPtr<IDispatch> served = ServeEventSource(list, ListClass());
      ComPtr<IDispatch> plugin = dll.Create(kClsidList);
      ASSERT_TRUE(plugin);
      // Without the host's security component the list's account filter fails; the class is
      // bound all the same.
      Show(plugin.get(), served.get());
      ASSERT_EQ(list->sinks.size(), 1u) << "Show did not connect the class to the list";
      for (int shown = 1; shown <= 2; ++shown) {
        g_seen = {};
        UINT_PTR timer = SetTimer(nullptr, 0, 300, &LookAndClose);
        list->Click("mnuscBankCollect");  // the bank collection dialog, modal
        KillTimer(nullptr, timer);
        EXPECT_TRUE(g_seen.opened) << "the bank collection dialog did not open, time " << shown;
        EXPECT_EQ(Narrow(g_seen.caption), "银行主动归集查询");
        // The dialog's own font and those of its ten controls.
        EXPECT_EQ(fonts.size(), 11u);
        EXPECT_EQ(fonts.empty() ? "" : fonts.back(), "Microsoft YaHei 10.5");
        fonts.clear();
      }
    }
    EXPECT_EQ(FindWindowW(L"scTAVExtForm", nullptr), nullptr) << "the dialog's window stays";
    HMODULE loaded = GetModuleHandleW(L"scTAVExt.dll");
    EXPECT_TRUE(dll.Unload()) << "the idle library would not unload";
    EXPECT_EQ(GetModuleHandleW(L"scTAVExt.dll"), nullptr) << "the library stays loaded";
    // A class outlives its module: left behind, the next load at the same address would find
    // it registered, with a window procedure of the unloaded code.
    WNDCLASSEXW left{};
    left.cbSize = sizeof(left);
    EXPECT_FALSE(GetClassInfoExW(loaded, L"scTAVExtForm", &left))
        << "the forms' window class stays registered after the library was unloaded";
  }
}

}  // namespace
}  // namespace sccom
