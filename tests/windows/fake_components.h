// Host components for the Windows checks: an automation object answering by member name, and
// such an object made creatable by ProgID for this process (class object and ProgID key), as the
// plug-in's dialogs create the host's components while they load.
#pragma once

#include "win32.h"

#include <functional>
#include <memory>
#include <string>

#include "automation/error.h"
#include "automation/object.h"
#include "bridge.h"
#include "com_object.h"

namespace sccom {

// A host component answering by member name.
class Component final : public ax::Dispatch {
 public:
  using Handler = std::function<ax::Variant(std::string_view member, unsigned kind, ax::Args&)>;
  Component(std::string name, Handler handler) : name_(std::move(name)), handler_(std::move(handler)) {}
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override {
    return handler_(member, kind, args);
  }
  std::string ClassName() const override { return name_; }

 private:
  std::string name_;
  Handler handler_;
};

// The host's components the dialogs' loading creates, registered for this process only: a
// class object (CoRegisterClassObject) under a ProgID written to the registry for the test.
class RegisteredComponent {
 public:
  RegisteredComponent(const wchar_t* progId, const GUID& clsid, ax::DispatchPtr object)
      : progId_(progId) {
    factory_ = MakeCom<Factory>(std::move(object));
    wchar_t text[64];
    StringFromGUID2(clsid, text, 64);
    std::wstring key = progId_ + L"\\CLSID";
    RegSetValueW(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, text,
                 static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    CoRegisterClassObject(clsid, factory_.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
  }
  ~RegisteredComponent() {
    CoRevokeClassObject(cookie_);
    std::wstring key = progId_ + L"\\CLSID";
    RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, progId_.c_str());
  }

 private:
  class Factory final : public ComObject<IClassFactory> {
   public:
    explicit Factory(ax::DispatchPtr object) : object_(std::move(object)) {}
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
      if (outer) return CLASS_E_NOAGGREGATION;
      return ExposeDispatch(object_)->QueryInterface(iid, out);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

   private:
    void* Find(REFIID iid) override {
      if (iid == IID_IUnknown || iid == IID_IClassFactory) return static_cast<IClassFactory*>(this);
      return nullptr;
    }
    ax::DispatchPtr object_;
  };

  std::wstring progId_;
  ComPtr<Factory> factory_;
  DWORD cookie_ = 0;
};

}  // namespace sccom
