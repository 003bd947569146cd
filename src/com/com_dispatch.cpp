#include "com_dispatch.h"

#include <atomic>
#include <cstring>
#include <map>
#include <vector>

#include "automation/error.h"
#include "bridge.h"
#include "module.h"

namespace sccom {

namespace {

std::atomic<bool> g_cacheDispids{true};

// IDispatchEx: objects that may add members of their own at run time (script objects), whose
// DISPIDs belong to the object rather than to its type.
constexpr IID kIidDispatchEx = {0xa6ef9860, 0xc720, 0x11d0, {0x93, 0x37, 0x00, 0xa0, 0xc9, 0x0d, 0xca, 0xa9}};

// A type as its dispatch interface's type information names it.
struct TypeKey {
  GUID guid;
  LCID lcid;
  bool operator<(const TypeKey& o) const {
    int c = std::memcmp(&guid, &o.guid, sizeof guid);
    return c != 0 ? c < 0 : lcid < o.lcid;
  }
};

// Past this many types, new ones keep their DISPIDs per object: a server inventing a type per
// object must not grow the table without end.
constexpr size_t kMaxSharedTypes = 512;

// The DISPID table for an object: the one of its type when its dispatch interface has type
// information with a type identifier, otherwise (or for an IDispatchEx object) its own.
std::shared_ptr<MemberDispids> DispidsFor(IDispatch* dispatch) {
  // Deliberately never destroyed, like the wrapper table: wrappers may die during exit.
  static auto* shared = new std::map<TypeKey, std::shared_ptr<MemberDispids>>();
  UINT count = 0;
  ComPtr<ITypeInfo> info;
  TypeKey key{};
  bool typed = false;
  if (SUCCEEDED(dispatch->GetTypeInfoCount(&count)) && count > 0 &&
      SUCCEEDED(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put())) && info) {
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attr)) && attr) {
      key = TypeKey{attr->guid, attr->lcid};
      typed = !IsEqualGUID(attr->guid, GUID_NULL);
      info->ReleaseTypeAttr(attr);
    }
  }
  if (typed && QueryAs<IUnknown>(dispatch, kIidDispatchEx)) typed = false;
  if (!typed) return std::make_shared<MemberDispids>();
  auto found = shared->find(key);
  if (found != shared->end()) return found->second;
  auto ids = std::make_shared<MemberDispids>();
  if (shared->size() < kMaxSharedTypes) shared->emplace(key, ids);
  return ids;
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
  if (g_cacheDispids) {
    if (!ids_) ids_ = DispidsFor(dispatch_.get());
    auto found = ids_->find(member);
    if (found != ids_->end()) return found->second;
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
  if (g_cacheDispids && ids_) ids_->emplace(std::string(member), id);
  return id;
}

ax::Variant ComDispatch::Invoke(std::string_view member, unsigned kind, ax::Args& args) {
  return CallDispatch(dispatch_.get(), IdOf(member), kind, args);
}

bool ComDispatch::Supports(std::string_view interfaceName) const {
  IID iid;
  if (ConfiguredIid(interfaceName, iid)) {
    return static_cast<bool>(QueryAs<IUnknown>(dispatch_.get(), iid));
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
