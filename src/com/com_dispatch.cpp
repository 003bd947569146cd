#include "com_dispatch.h"

#include <vector>

#include "automation/error.h"
#include "bridge.h"
#include "module.h"

namespace sccom {

namespace {

bool g_cacheDispids = true;

WORD FlagsFromKind(unsigned kind) {
  WORD flags = 0;
  if (kind & ax::kMethod) flags |= DISPATCH_METHOD;
  if (kind & ax::kGet) flags |= DISPATCH_PROPERTYGET;
  if (kind & ax::kPut) flags |= DISPATCH_PROPERTYPUT;
  if (kind & ax::kPutRef) flags |= DISPATCH_PROPERTYPUTREF;
  return flags ? flags : static_cast<WORD>(DISPATCH_METHOD);
}

// The name of a type (MEMBERID_NIL documentation), "" when unavailable.
std::string TypeName(ITypeInfo* info) {
  if (!info) return {};
  Bstr name;
  if (FAILED(info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr)))
    return {};
  return Narrow(name.view());
}

// Names that type information reports for an object: its class and the interfaces the class
// lists, or else its dispatch interface.
std::vector<std::string> TypeNames(IDispatch* dispatch) {
  std::vector<std::string> names;
  ComPtr<IProvideClassInfo> provide;
  ComPtr<ITypeInfo> classInfo;
  if (SUCCEEDED(dispatch->QueryInterface(IID_IProvideClassInfo, provide.put_void())) && provide &&
      SUCCEEDED(provide->GetClassInfo(classInfo.put())) && classInfo) {
    names.push_back(TypeName(classInfo.get()));
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(classInfo->GetTypeAttr(&attr)) && attr) {
      WORD count = attr->cImplTypes;
      classInfo->ReleaseTypeAttr(attr);
      for (UINT i = 0; i < count; ++i) {
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> implemented;
        if (SUCCEEDED(classInfo->GetRefTypeOfImplType(i, &ref)) &&
            SUCCEEDED(classInfo->GetRefTypeInfo(ref, implemented.put()))) {
          names.push_back(TypeName(implemented.get()));
        }
      }
    }
  }
  UINT count = 0;
  ComPtr<ITypeInfo> info;
  if (SUCCEEDED(dispatch->GetTypeInfoCount(&count)) && count > 0 &&
      SUCCEEDED(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put())) && info) {
    names.push_back(TypeName(info.get()));
  }
  return names;
}

bool NameMatches(std::string comName, std::string_view wanted) {
  if (ax::EqualsNoCase(comName, wanted)) return true;
  if (!comName.empty() && (comName[0] == '_' || comName[0] == 'I')) {
    return ax::EqualsNoCase(std::string_view(comName).substr(1), wanted);
  }
  return false;
}

// The interface identifier configured for an interface name, if any.
bool ConfiguredIid(std::string_view interfaceName, IID& iid) {
  std::wstring name = Widen(interfaceName);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    wchar_t text[64] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    if (RegGetValueW(root, L"Software\\scTAVExt\\HostInterfaces", name.c_str(), RRF_RT_REG_SZ,
                     nullptr, text, &size) == ERROR_SUCCESS &&
        SUCCEEDED(IIDFromString(text, &iid))) {
      return true;
    }
  }
  return false;
}

}  // namespace

void SetDispidCacheEnabled(bool enabled) { g_cacheDispids = enabled; }

ComDispatch::ComDispatch(ComPtr<IDispatch> dispatch, IUnknown* identity)
    : dispatch_(std::move(dispatch)), identity_(identity) {}

ComDispatch::~ComDispatch() {
  ForgetWrapper(identity_, this);
  // Held by a cache while the process exits: the object's server may be gone already.
  if (module::Detaching()) dispatch_.Abandon();
}

DISPID ComDispatch::IdOf(std::string_view member) {
  std::string key(member);
  if (g_cacheDispids) {
    auto found = ids_.find(key);
    if (found != ids_.end()) return found->second;
  }
  std::wstring name = Widen(member);
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) {
    if (hr == DISP_E_UNKNOWNNAME || hr == DISP_E_MEMBERNOTFOUND) {
      throw ax::AutomationError(ax::err::kNoMember,
                                ax::StandardDescription(ax::err::kNoMember), ClassName());
    }
    ThrowIfFailed(hr);
  }
  if (g_cacheDispids) ids_.emplace(std::move(key), id);
  return id;
}

ax::Variant ComDispatch::Invoke(std::string_view member, unsigned kind, ax::Args& args) {
  const DISPID id = IdOf(member);
  const size_t count = args.size();
  // values[i] owns argument i; slots hold them in reverse order, by-reference ones as typed
  // references into values[i] so the callee writes straight into them.
  std::vector<Var> values(count);
  std::vector<VARIANTARG> slots(count);
  for (size_t i = 0; i < count; ++i) {
    ToVariant(args[i].value(), values[i].get());
    VARIANTARG& slot = slots[count - 1 - i];
    VariantInit(&slot);
    if (!args[i].isByRef()) {
      slot = *values[i];  // a shallow view; values[i] keeps ownership
      continue;
    }
    VARTYPE type = values[i]->vt;
    if (type == VT_EMPTY || type == VT_NULL || type == VT_ERROR || (type & VT_ARRAY)) {
      slot.vt = VT_VARIANT | VT_BYREF;
      slot.pvarVal = values[i].get();
    } else {
      slot.vt = static_cast<VARTYPE>(type | VT_BYREF);
      slot.byref = &values[i]->llVal;  // every scalar, BSTR and pointer starts here
    }
  }
  const bool put = (kind & (ax::kPut | ax::kPutRef)) != 0;
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{slots.data(), put ? &putId : nullptr, static_cast<UINT>(count),
                    put ? 1u : 0u};
  if (count == 0) params.rgvarg = nullptr;
  Var result;
  EXCEPINFO info{};
  UINT argError = 0;
  HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, FlagsFromKind(kind), &params,
                                 put ? nullptr : result.get(), &info, &argError);
  if (FAILED(hr)) ThrowInvokeError(hr, info);
  for (size_t i = 0; i < count; ++i) {
    if (args[i].isByRef()) args[i].value() = FromVariant(*values[i]);
  }
  return FromVariant(*result);
}

bool ComDispatch::Supports(std::string_view interfaceName) const {
  IID iid;
  if (ConfiguredIid(interfaceName, iid)) {
    ComPtr<IUnknown> found;
    return SUCCEEDED(dispatch_->QueryInterface(iid, found.put_void())) && found;
  }
  for (const std::string& name : TypeNames(dispatch_.get())) {
    if (NameMatches(name, interfaceName)) return true;
  }
  return false;
}

std::string ComDispatch::ClassName() const {
  std::vector<std::string> names = TypeNames(dispatch_.get());
  // The class name first; a dispatch interface's leading "I" or "_" is not part of it.
  if (names.empty() || names.front().empty()) return "Object";
  std::string name = names.front();
  if (names.size() == 1 && (name[0] == '_' || name[0] == 'I') && name.size() > 1) name.erase(0, 1);
  return name;
}

}  // namespace sccom
