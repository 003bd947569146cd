// Events of a COM object, without knowing its event interfaces at build time: every connection
// point the object offers gets a sink that answers for that point's interface; the DISPIDs the
// object raises are named through the object's type information and handed to the
// ax::EventSink by name, with by-reference parameters written back.
#include <map>
#include <vector>

#include "automation/error.h"
#include "bridge.h"
#include "com_dispatch.h"
#include "com_object.h"
#include "dispatch_server.h"
#include "module.h"

#include <ocidl.h>

namespace sccom {

namespace {

using EventNames = std::map<DISPID, std::string>;

// Run-time error 459, "Object or class does not support the set of events".
constexpr int32_t kNoEvents = 459;

// The type information of the source interface iid: through the object's class, or else the
// type library its dispatch interface belongs to.
ComPtr<ITypeInfo> SourceTypeInfo(IDispatch* object, REFIID iid) {
  ComPtr<IProvideClassInfo> provide = QueryAs<IProvideClassInfo>(object);
  ComPtr<ITypeInfo> classInfo;
  if (provide &&
      SUCCEEDED(provide->GetClassInfo(classInfo.put())) && classInfo) {
    TYPEATTR* attr = nullptr;
    WORD count = 0;
    if (SUCCEEDED(classInfo->GetTypeAttr(&attr)) && attr) {
      count = attr->cImplTypes;
      classInfo->ReleaseTypeAttr(attr);
    }
    for (UINT i = 0; i < count; ++i) {
      HREFTYPE ref = 0;
      ComPtr<ITypeInfo> info;
      if (FAILED(classInfo->GetRefTypeOfImplType(i, &ref)) ||
          FAILED(classInfo->GetRefTypeInfo(ref, info.put())) || !info) {
        continue;
      }
      TYPEATTR* implAttr = nullptr;
      if (SUCCEEDED(info->GetTypeAttr(&implAttr)) && implAttr) {
        bool match = IsEqualGUID(implAttr->guid, iid);
        info->ReleaseTypeAttr(implAttr);
        if (match) return info;
      }
    }
  }
  UINT count = 0;
  ComPtr<ITypeInfo> own;
  ComPtr<ITypeLib> library;
  UINT index = 0;
  ComPtr<ITypeInfo> info;
  if (SUCCEEDED(object->GetTypeInfoCount(&count)) && count > 0 &&
      SUCCEEDED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, own.put())) && own &&
      SUCCEEDED(own->GetContainingTypeLib(library.put(), &index)) && library &&
      SUCCEEDED(library->GetTypeInfoOfGuid(iid, info.put()))) {
    return info;
  }
  return {};
}

// DISPID -> event name for every function of the event interface.
EventNames NamesOf(ITypeInfo* info) {
  EventNames names;
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr)) || !attr) return names;
  WORD functions = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < functions; ++i) {
    FUNCDESC* function = nullptr;
    if (FAILED(info->GetFuncDesc(i, &function)) || !function) continue;
    MEMBERID id = function->memid;
    info->ReleaseFuncDesc(function);
    Bstr name;
    UINT got = 0;
    if (SUCCEEDED(info->GetNames(id, name.put(), 1, &got)) && got == 1) {
      names[id] = Narrow(name.view());
    }
  }
  return names;
}

// The object advised on one connection point. It outlives its connection when the source keeps
// a reference; from Disconnect on it ignores what still arrives.
class EventSinkObject final : public ComObject<IDispatch> {
 public:
  EventSinkObject(IID iid, EventNames names, ax::EventSink* sink)
      : iid_(iid), names_(std::move(names)), sink_(sink) {}

  void Disconnect() { sink_ = nullptr; }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!names || !ids) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return Guard(iid_, [&]() -> HRESULT {
      if (count == 0) return S_OK;
      std::string wanted = Narrow(names[0]);
      for (const auto& [id, name] : names_) {
        if (ax::EqualsNoCase(name, wanted)) ids[0] = id;
      }
      return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    });
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* info, UINT*) override {
    if (result) VariantInit(result);
    // Keep this sink alive while the handler runs, even if the handler releases the source.
    ComPtr<IDispatch> self(this);
    return Guard(
        iid_,
        [&]() -> HRESULT {
          auto found = names_.find(id);
          // Events nobody handles, and events after disconnection, are accepted and ignored.
          if (found == names_.end() || !sink_) return S_OK;
          const std::string& name = found->second;
          InvokeWithArgs(params, nullptr, [&](ax::Args& args) {
            if (sink_) sink_->OnEvent(name, args);
            return ax::Variant();
          });
          return S_OK;
        },
        info);
  }

 protected:
  void* Find(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == iid_) {
      return static_cast<IDispatch*>(this);
    }
    return nullptr;
  }

 private:
  IID iid_;
  EventNames names_;
  ax::EventSink* sink_;
};

class ComConnection final : public ax::Connection {
 public:
  struct Advised {
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    ComPtr<EventSinkObject> sink;
  };

  void Add(Advised advised) { advised_.push_back(std::move(advised)); }
  bool empty() const { return advised_.empty(); }

  ~ComConnection() override {
    for (Advised& a : advised_) {
      a.sink->Disconnect();
      if (module::Detaching()) {
        // The source may be gone with the process; do not call it.
        a.point.Abandon();
        continue;
      }
      a.point->Unadvise(a.cookie);
    }
  }

 private:
  std::vector<Advised> advised_;
};

}  // namespace

std::unique_ptr<ax::Connection> ComDispatch::Advise(ax::EventSink& sink) {
  ComPtr<IConnectionPointContainer> container = dispatch_.As<IConnectionPointContainer>();
  if (!container) {
    throw ax::Error(ax::err::kTypeMismatch);
  }
  ComPtr<IEnumConnectionPoints> points;
  ThrowIfFailed(container->EnumConnectionPoints(points.put()));
  auto connection = std::make_unique<ComConnection>();
  for (;;) {
    ComPtr<IConnectionPoint> point;
    ULONG fetched = 0;
    if (points->Next(1, point.put(), &fetched) != S_OK || fetched != 1 || !point) break;
    IID iid;
    if (FAILED(point->GetConnectionInterface(&iid))) continue;
    ComPtr<ITypeInfo> info = SourceTypeInfo(dispatch_.get(), iid);
    // Without names the events could not be routed; such a point stays unadvised.
    if (!info) continue;
    ComPtr<EventSinkObject> sinkObject = MakeCom<EventSinkObject>(iid, NamesOf(info.get()), &sink);
    DWORD cookie = 0;
    ComPtr<IUnknown> unknown = sinkObject.As<IUnknown>();
    if (FAILED(point->Advise(unknown.get(), &cookie))) continue;
    connection->Add({std::move(point), cookie, std::move(sinkObject)});
  }
  // Bound with no event connected, the class would never hear from the object.
  if (connection->empty()) {
    throw ax::AutomationError(kNoEvents, "Object or class does not support the set of events",
                              ClassName());
  }
  return connection;
}

}  // namespace sccom
