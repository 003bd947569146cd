#include "dispatch_server.h"

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "automation/error.h"
#include "bridge.h"
#include "reusing_map.h"

namespace sccom {

namespace {

using ServerTable = ReusingMap<const ax::Dispatch*, DispatchServer*>;
ServerTable& Servers() {
  static auto* map = new ServerTable();
  return *map;
}

// The DISPIDs of every served object.
MemberIds& ServedMemberIds() {
  static auto* ids = new MemberIds();  // never destroyed, like the server table
  return *ids;
}

}  // namespace

GUID ServedTypeId(std::string_view className) {
  // The DISPIDs of served objects are handed out in the order members are first asked for, so
  // they hold for this load of the module only: a client must not apply what it learnt from an
  // earlier load (the module unloaded and loaded again in the same process) to this one. The
  // identifier is therefore made from the class name and a value drawn once per load: two 64-bit
  // FNV-1a hashes, differently seeded, laid out as a version 5 style identifier.
  static const uint64_t load = [] {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return static_cast<uint64_t>(now.QuadPart) ^ (static_cast<uint64_t>(GetCurrentProcessId()) << 40);
  }();
  auto fnv = [&](uint64_t hash) {
    for (int i = 0; i < 8; ++i) {
      hash ^= (load >> (8 * i)) & 0xff;
      hash *= 0x100000001b3ULL;
    }
    for (char c : className) {
      hash ^= static_cast<unsigned char>(c);
      hash *= 0x100000001b3ULL;
    }
    return hash;
  };
  uint64_t high = fnv(0xcbf29ce484222325ULL), low = fnv(0x84222325cbf29ce4ULL);
  GUID id;
  id.Data1 = static_cast<uint32_t>(high >> 32);
  id.Data2 = static_cast<uint16_t>(high >> 16);
  id.Data3 = static_cast<uint16_t>((high & 0x0fff) | 0x5000);
  for (int i = 0; i < 8; ++i) id.Data4[i] = static_cast<unsigned char>(low >> (56 - 8 * i));
  id.Data4[0] = static_cast<unsigned char>((id.Data4[0] & 0x3f) | 0x80);
  return id;
}

void ServedTypeInfo::Name(std::string className) {
  name_ = className.empty() ? std::string("Object") : std::move(className);
  attr_ = TYPEATTR{};
  attr_.guid = ServedTypeId(name_);
  attr_.lcid = LOCALE_NEUTRAL;
  attr_.memidConstructor = MEMBERID_NIL;
  attr_.memidDestructor = MEMBERID_NIL;
  attr_.typekind = TKIND_DISPATCH;
  attr_.wTypeFlags = TYPEFLAG_FDISPATCHABLE;
  attr_.cbSizeVft = 7 * sizeof(void*);
  attr_.cbAlignment = sizeof(void*);
  attr_.wMajorVerNum = 1;
}

namespace {

template <class T>
HRESULT NotFound(T* out) {
  if (out) *out = {};
  return TYPE_E_ELEMENTNOTFOUND;
}

}  // namespace

STDMETHODIMP ServedTypeInfo::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_ITypeInfo) return E_NOINTERFACE;
  *out = static_cast<ITypeInfo*>(this);
  AddRef();
  return S_OK;
}

// The attributes live in the object; a client releases them before it releases the object.
STDMETHODIMP ServedTypeInfo::GetTypeAttr(TYPEATTR** out) {
  if (!out) return E_POINTER;
  *out = &attr_;
  return S_OK;
}

STDMETHODIMP ServedTypeInfo::GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* context,
                                              BSTR* helpFile) {
  if (doc) *doc = nullptr;
  if (context) *context = 0;
  if (helpFile) *helpFile = nullptr;
  if (name) *name = nullptr;
  if (id != MEMBERID_NIL) return TYPE_E_ELEMENTNOTFOUND;
  if (!name) return S_OK;
  return Guard(IID_ITypeInfo, [&]() -> HRESULT {
    *name = MakeBstr(name_).Detach();
    return S_OK;
  });
}

STDMETHODIMP ServedTypeInfo::GetFuncDesc(UINT, FUNCDESC** out) { return NotFound(out); }
STDMETHODIMP ServedTypeInfo::GetNames(MEMBERID, BSTR*, UINT, UINT* count) {
  if (count) *count = 0;
  return TYPE_E_ELEMENTNOTFOUND;
}
STDMETHODIMP ServedTypeInfo::GetRefTypeOfImplType(UINT, HREFTYPE* out) { return NotFound(out); }
STDMETHODIMP ServedTypeInfo::GetImplTypeFlags(UINT, INT* out) { return NotFound(out); }
STDMETHODIMP ServedTypeInfo::GetRefTypeInfo(HREFTYPE, ITypeInfo** out) { return NotFound(out); }
STDMETHODIMP ServedTypeInfo::GetIDsOfNames(LPOLESTR*, UINT count, MEMBERID* ids) {
  if (ids)
    for (UINT i = 0; i < count; ++i) ids[i] = MEMBERID_NIL;
  return DISP_E_UNKNOWNNAME;
}

DispatchServer* FindServer(const ax::Dispatch* object) {
  auto found = Servers().find(object);
  return found == Servers().end() ? nullptr : found->second;
}

unsigned CallKindFromFlags(WORD flags) {
  unsigned kind = 0;
  if (flags & DISPATCH_METHOD) kind |= ax::kMethod;
  if (flags & DISPATCH_PROPERTYGET) kind |= ax::kGet;
  if (flags & DISPATCH_PROPERTYPUT) kind |= ax::kPut;
  if (flags & DISPATCH_PROPERTYPUTREF) kind |= ax::kPutRef;
  return kind;
}

void InvokeWithArgs(DISPPARAMS* params, VARIANT* result,
                    const std::function<ax::Variant(ax::Args&)>& fn) {
  const UINT count = params ? params->cArgs : 0;
  const UINT named = params ? params->cNamedArgs : 0;
  if (named > count) throw ax::Error(ax::err::kInvalidCall);
  for (UINT j = 0; j < named; ++j) {
    // The only named argument understood is the value of a property put.
    if (params->rgdispidNamedArgs[j] != DISPID_PROPERTYPUT) throw ax::Error(446);
  }
  // Argument order: positional ones first (rgvarg holds them last to first), then the value
  // of a property put.
  const UINT positional = count - named;
  auto source = [&](UINT i) -> const VARIANT& {
    return i < positional ? params->rgvarg[count - 1 - i] : params->rgvarg[i - positional];
  };

  // By-reference arguments are read into values (whose addresses the handler writes through)
  // and written back when the handler changed them; a call with a few arguments, as the host's
  // per-cell events are, allocates nothing for them.
  std::array<ax::Variant, ax::Args::kInline> inlineValues, inlineOriginal;
  std::vector<ax::Variant> heapValues, heapOriginal;
  ax::Variant* values = inlineValues.data();
  ax::Variant* original = inlineOriginal.data();
  if (count > inlineValues.size()) {
    heapValues.resize(count);
    heapOriginal.resize(count);
    values = heapValues.data();
    original = heapOriginal.data();
  }
  ax::Args args;
  args.reserve(count);
  for (UINT i = 0; i < count; ++i) {
    const VARIANT& in = source(i);
    if (in.vt & VT_BYREF) {
      values[i] = FromVariant(in);
      original[i] = values[i];
      args.push_back(ax::Arg::byRef(values[i]));
    } else {
      args.emplace_back(FromVariant(in));
    }
  }
  ax::Variant returned = fn(args);
  for (UINT i = 0; i < count; ++i) {
    const VARIANT& in = source(i);
    if ((in.vt & VT_BYREF) && !SameValue(original[i], values[i])) WriteBack(in, values[i]);
  }
  if (result) ToVariant(returned, result);
}

DispatchServer::DispatchServer(ax::DispatchPtr target)
    : target_(std::move(target)), ids_(ServedMemberIds()), typeInfo_(*static_cast<IDispatch*>(this)) {
  Servers().Set(target_.get(), this);
}

DispatchServer::~DispatchServer() {
  auto found = Servers().find(target_.get());
  if (found != Servers().end() && found->second == this) Servers().Erase(found);
}

void* DispatchServer::Find(REFIID iid) {
  if (iid == IID_IUnknown || iid == IID_IDispatch) return static_cast<IDispatch*>(this);
  if (iid == kIidAxObject) return static_cast<IAxObject*>(this);
  return nullptr;
}

void STDMETHODCALLTYPE DispatchServer::GetTarget(HMODULE caller, ax::DispatchPtr* out) {
  if (out && caller == module::Handle()) *out = target_;
}

const std::string& MemberIds::NameOf(DISPID id) const {
  static const std::string kDefaultMember = "Item";  // DISPID_VALUE
  static const std::string kNone;
  if (id == DISPID_VALUE) return kDefaultMember;
  if (id < 1 || static_cast<size_t>(id) > names_.size()) return kNone;
  return names_[static_cast<size_t>(id) - 1];
}

DISPID MemberIds::IdOf(const std::string& name) {
  for (size_t i = 0; i < names_.size(); ++i) {
    if (ax::EqualsNoCase(names_[i], name)) return static_cast<DISPID>(i + 1);
  }
  names_.push_back(name);
  return static_cast<DISPID>(names_.size());
}

STDMETHODIMP DispatchServer::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP DispatchServer::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return Guard(IID_IDispatch, [&]() -> HRESULT {
    if (!typeInfo_.Named()) typeInfo_.Name(target_ ? target_->ClassName() : std::string());
    typeInfo_.AddRef();
    *info = &typeInfo_;
    return S_OK;
  });
}

STDMETHODIMP DispatchServer::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                           DISPID* ids) {
  return IdsOfNames(ids_, names, count, ids);
}

STDMETHODIMP DispatchServer::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                    VARIANT* result, EXCEPINFO* info, UINT*) {
  return InvokeMember(ids_, target_, id, flags, params, result, info);
}

HRESULT IdsOfNames(MemberIds& ids, LPOLESTR* names, UINT count, DISPID* out) noexcept {
  if (!names || !out || count == 0) return E_INVALIDARG;
  return Guard(IID_IDispatch, [&]() -> HRESULT {
    out[0] = ids.IdOf(Narrow(names[0]));
    for (UINT i = 1; i < count; ++i) out[i] = DISPID_UNKNOWN;
    return count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
  });
}

HRESULT InvokeMember(const MemberIds& ids, const ax::DispatchPtr& target, DISPID id,
                     WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info) noexcept {
  return Guard(
      IID_IDispatch,
      [&]() -> HRESULT {
        const std::string& name = ids.NameOf(id);
        if (name.empty() || !target) return DISP_E_MEMBERNOTFOUND;
        unsigned kind = CallKindFromFlags(flags);
        InvokeWithArgs(params, result,
                       [&](ax::Args& args) { return target->Invoke(name, kind, args); });
        return S_OK;
      },
      info);
}

}  // namespace sccom
