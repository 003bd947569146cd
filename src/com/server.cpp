// The three plug-in classes as COM objects, their class factory and the type library.
#include "server.h"

#include "automation/error.h"
#include "automation/runtime.h"
#include "bridge.h"
#include "com_object.h"
#include "dispatch_server.h"
#include "guids.h"
#include "module.h"
#include "plugin/plugin_class.h"
#include "scTAVExt_h.h"

namespace sccom {

namespace {

// The DISPID of Show in the type library (scTAVExt.idl).
constexpr DISPID kDispidShow = 1;

// The type information for guid from the library's type library.
HRESULT TypeInfoOf(REFGUID guid, ITypeInfo** info) {
  ComPtr<ITypeLib> library = TypeLibrary();
  if (!library) return TYPE_E_CANTLOADLIBRARY;
  return library->GetTypeInfoOfGuid(guid, info);
}

// One instance of a plug-in class: the core's class behind one of the default interfaces.
// The interfaces differ only in their identifier, so one template serves all three.
template <class Interface>
class PluginObject final : public ComObject<Interface, ISupportErrorInfo, IProvideClassInfo> {
 public:
  PluginObject(const ClassEntry& entry, ax::DispatchPtr plugin)
      : entry_(entry), plugin_(std::move(plugin)) {}

  // The default interface's own member: early-bound callers come here.
  STDMETHODIMP Show(IDispatch* hostObject) override {
    return Guard(*entry_.iid, [&]() -> HRESULT {
      ax::Args args{ax::Arg(ax::Variant(WrapDispatch(hostObject).ptr()))};
      plugin_->Invoke("Show", ax::kMethod, args);
      return S_OK;
    });
  }

  // IDispatch: late-bound callers. Show's argument is converted as it comes, so that anything
  // but the host's object fails in the class's own binding with error 13.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return Guard(*entry_.iid, [&]() -> HRESULT {
      *count = 1;
      return S_OK;
    });
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return Guard(*entry_.iid, [&]() -> HRESULT { return TypeInfoOf(*entry_.iid, info); });
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return Guard(*entry_.iid, [&]() -> HRESULT {
      if (CompareStringOrdinal(names[0], -1, L"Show", -1, TRUE) != CSTR_EQUAL) {
        return DISP_E_UNKNOWNNAME;
      }
      ids[0] = kDispidShow;
      // Show's one parameter may be named.
      HRESULT hr = S_OK;
      for (UINT i = 1; i < count; ++i) {
        if (CompareStringOrdinal(names[i], -1, entry_.parameter, -1, TRUE) == CSTR_EQUAL) {
          ids[i] = 0;
        } else {
          hr = DISP_E_UNKNOWNNAME;
        }
      }
      return hr;
    });
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* info, UINT*) override {
    return Guard(
        *entry_.iid,
        [&]() -> HRESULT {
          if (id != kDispidShow || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
          // A call naming Show's parameter passes it positionally.
          DISPPARAMS positional{};
          if (params) {
            positional = *params;
            if (positional.cNamedArgs == 1 && positional.rgdispidNamedArgs[0] == 0) {
              positional.cNamedArgs = 0;
              positional.rgdispidNamedArgs = nullptr;
            }
          }
          // Show takes exactly one argument; late-bound callers see error 450 for this.
          if (!params || positional.cArgs != 1) return DISP_E_BADPARAMCOUNT;
          InvokeWithArgs(params ? &positional : nullptr, result, [&](ax::Args& args) {
            return plugin_->Invoke("Show", ax::kMethod, args);
          });
          return S_OK;
        },
        info);
  }

  // ISupportErrorInfo
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override {
    return IsEqualGUID(iid, *entry_.iid) ? S_OK : S_FALSE;
  }

  // IProvideClassInfo
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    return Guard(*entry_.iid, [&]() -> HRESULT { return TypeInfoOf(*entry_.clsid, info); });
  }

 protected:
  void* Find(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == *entry_.iid) {
      return static_cast<Interface*>(this);
    }
    if (iid == IID_ISupportErrorInfo) return static_cast<ISupportErrorInfo*>(this);
    if (iid == IID_IProvideClassInfo) return static_cast<IProvideClassInfo*>(this);
    return nullptr;
  }

 private:
  const ClassEntry& entry_;
  // Released with this object: the class's termination (its destructor, which cannot throw)
  // unbinds the host object.
  ax::DispatchPtr plugin_;
};

template <class Interface>
HRESULT CreatePlugin(const ClassEntry& entry, REFIID iid, void** out) {
  EnsureEnvironment();
  ax::DispatchPtr plugin = sc::CreatePluginClass(entry.progId);
  if (!plugin) return CLASS_E_CLASSNOTAVAILABLE;
  ComPtr<PluginObject<Interface>> object = MakeCom<PluginObject<Interface>>(entry, plugin);
  return object->QueryInterface(iid, out);
}

const ClassEntry kClasses[] = {
    {L"scTransferBillExt", sc::kProgIdBill, L"oBillInterface", &kClsidBill, &kIidBill,
     &CreatePlugin<_scTransferBillExt>},
    {L"scTransferListExt", sc::kProgIdList, L"oListInterface", &kClsidList, &kIidList,
     &CreatePlugin<_scTransferListExt>},
    {L"scTransferListExt1", sc::kProgIdList1, L"oListInterface", &kClsidList1, &kIidList1,
     &CreatePlugin<_scTransferListExt1>},
};

class ClassFactory final : public ComObject<IClassFactory> {
 public:
  explicit ClassFactory(const ClassEntry& entry) : entry_(entry) {}

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return Guard(IID_IClassFactory, [&] { return entry_.create(entry_, iid, out); });
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    module::Lock(lock != FALSE);
    return S_OK;
  }

 protected:
  void* Find(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) return static_cast<IClassFactory*>(this);
    return nullptr;
  }

 private:
  const ClassEntry& entry_;
};

ComPtr<ITypeLib>*& TypeLibrarySlot() {
  static ComPtr<ITypeLib>* slot = nullptr;
  return slot;
}

}  // namespace

const ClassEntry* Classes(size_t* count) {
  *count = std::size(kClasses);
  return kClasses;
}

const ClassEntry* FindClass(REFCLSID clsid) {
  for (const ClassEntry& entry : kClasses) {
    if (IsEqualGUID(clsid, *entry.clsid)) return &entry;
  }
  return nullptr;
}

ComPtr<ITypeLib> TypeLibrary() {
  ComPtr<ITypeLib>*& slot = TypeLibrarySlot();
  if (!slot) {
    ComPtr<ITypeLib> library;
    if (FAILED(LoadTypeLibEx(module::Path().c_str(), REGKIND_NONE, library.put()))) return {};
    slot = new ComPtr<ITypeLib>(std::move(library));
  }
  return *slot;
}

void ReleaseTypeLibrary() {
  ComPtr<ITypeLib>*& slot = TypeLibrarySlot();
  delete slot;
  slot = nullptr;
}

HRESULT GetClassFactory(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  const ClassEntry* entry = FindClass(clsid);
  if (!entry) return CLASS_E_CLASSNOTAVAILABLE;
  return Guard(IID_IClassFactory, [&] {
    ComPtr<ClassFactory> factory = MakeCom<ClassFactory>(*entry);
    return factory->QueryInterface(iid, out);
  });
}

}  // namespace sccom
