#include "com_dispatch.h"

#include <atomic>
#include <vector>

#include "automation/error.h"
#include "bridge.h"
#include "module.h"

namespace sccom {

namespace {

std::atomic<bool> g_cacheDispids{true};

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
  ComPtr<IProvideClassInfo> provide = QueryAs<IProvideClassInfo>(dispatch);
  ComPtr<ITypeInfo> classInfo;
  if (provide &&
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
  return CallDispatch(dispatch_.get(), IdOf(member), kind, args);
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
