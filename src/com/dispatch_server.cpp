#include "dispatch_server.h"

#include <unordered_map>

#include "automation/error.h"
#include "bridge.h"

namespace sccom {

namespace {

std::unordered_map<const ax::Dispatch*, DispatchServer*>& Servers() {
  static auto* map = new std::unordered_map<const ax::Dispatch*, DispatchServer*>();
  return *map;
}

}  // namespace

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
  std::vector<const VARIANT*> sources;
  sources.reserve(count);
  for (UINT k = count; k-- > named;) sources.push_back(&params->rgvarg[k]);
  for (UINT j = 0; j < named; ++j) sources.push_back(&params->rgvarg[j]);

  std::vector<ax::Variant> values(count);
  std::vector<ax::Variant> original(count);
  ax::Args args;
  args.reserve(count);
  for (UINT i = 0; i < count; ++i) {
    values[i] = FromVariant(*sources[i]);
    if (sources[i]->vt & VT_BYREF) {
      original[i] = values[i];
      args.push_back(ax::Arg::byRef(values[i]));
    } else {
      args.push_back(ax::Arg(values[i]));
    }
  }
  ax::Variant returned = fn(args);
  for (UINT i = 0; i < count; ++i) {
    if ((sources[i]->vt & VT_BYREF) && !SameValue(original[i], values[i])) {
      WriteBack(*sources[i], values[i]);
    }
  }
  if (result) ToVariant(returned, result);
}

DispatchServer::DispatchServer(ax::DispatchPtr target) : target_(std::move(target)) {
  Servers()[target_.get()] = this;
}

DispatchServer::~DispatchServer() {
  auto found = Servers().find(target_.get());
  if (found != Servers().end() && found->second == this) Servers().erase(found);
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
  *count = 0;
  return S_OK;
}

STDMETHODIMP DispatchServer::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
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
