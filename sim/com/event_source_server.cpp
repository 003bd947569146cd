#include "event_source_server.h"

#include <cstring>
#include <map>

#include "automation/error.h"
#include "bridge.h"
#include "com_object.h"
#include "dispatch_server.h"
#include "type_info_stubs.h"

#include <olectl.h>

namespace sccom {

namespace {

// Type information for a served event source, made from its EventClass: enough for clients
// that name events by DISPID and find interfaces through the class (GetTypeAttr, GetFuncDesc,
// GetNames, GetDocumentation, GetIDsOfNames and the class's implemented types).
class ClassTypeInfo final : public TypeInfoStubs<ComObject<ITypeInfo>> {
 public:
  enum class Kind { Class, Interface, Events };

  ClassTypeInfo(std::shared_ptr<const EventClass> c, Kind kind) : class_(std::move(c)), kind_(kind) {}

  void SetImplemented(ComPtr<ITypeInfo> defaultInterface, ComPtr<ITypeInfo> events) {
    implemented_[0] = std::move(defaultInterface);
    implemented_[1] = std::move(events);
  }

  STDMETHODIMP GetTypeAttr(TYPEATTR** out) override {
    if (!out) return E_POINTER;
    auto* attr = new (std::nothrow) TYPEATTR{};
    if (!attr) return E_OUTOFMEMORY;
    attr->guid = Guid();
    attr->lcid = LOCALE_NEUTRAL;
    attr->memidConstructor = MEMBERID_NIL;
    attr->memidDestructor = MEMBERID_NIL;
    attr->cbSizeVft = 7 * sizeof(void*);
    attr->cbAlignment = sizeof(void*);
    attr->wMajorVerNum = 1;
    switch (kind_) {
      case Kind::Class:
        attr->typekind = TKIND_COCLASS;
        attr->cImplTypes = 2;
        attr->wTypeFlags = TYPEFLAG_FCANCREATE;
        break;
      case Kind::Interface:
        attr->typekind = TKIND_DISPATCH;
        attr->wTypeFlags = TYPEFLAG_FDISPATCHABLE;
        break;
      case Kind::Events:
        attr->typekind = TKIND_DISPATCH;
        attr->wTypeFlags = TYPEFLAG_FDISPATCHABLE;
        attr->cFuncs = static_cast<WORD>(class_->events.size());
        break;
    }
    *out = attr;
    return S_OK;
  }
  STDMETHODIMP_(void) ReleaseTypeAttr(TYPEATTR* attr) override { delete attr; }

  STDMETHODIMP GetFuncDesc(UINT index, FUNCDESC** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (kind_ != Kind::Events || index >= class_->events.size()) return TYPE_E_ELEMENTNOTFOUND;
    const EventDecl& e = class_->events[index];
    auto* desc = new (std::nothrow) FUNCDESC{};
    if (!desc) return E_OUTOFMEMORY;
    desc->memid = static_cast<MEMBERID>(index + 1);
    desc->funckind = FUNC_DISPATCH;
    desc->invkind = INVOKE_FUNC;
    desc->callconv = CC_STDCALL;
    desc->cParams = static_cast<SHORT>(e.params.size());
    desc->elemdescFunc.tdesc.vt = VT_VOID;
    if (!e.params.empty()) {
      desc->lprgelemdescParam = new (std::nothrow) ELEMDESC[e.params.size()]{};
      if (!desc->lprgelemdescParam) {
        delete desc;
        return E_OUTOFMEMORY;
      }
      for (size_t i = 0; i < e.params.size(); ++i) desc->lprgelemdescParam[i].tdesc.vt = VT_VARIANT;
    }
    *out = desc;
    return S_OK;
  }
  STDMETHODIMP_(void) ReleaseFuncDesc(FUNCDESC* desc) override {
    if (!desc) return;
    delete[] desc->lprgelemdescParam;
    delete desc;
  }

  STDMETHODIMP GetNames(MEMBERID id, BSTR* names, UINT max, UINT* count) override {
    if (!names || !count) return E_POINTER;
    *count = 0;
    const EventDecl* e = Event(id);
    if (!e) return TYPE_E_ELEMENTNOTFOUND;
    return Guard(IID_ITypeInfo, [&]() -> HRESULT {
      for (size_t i = 0; i <= e->params.size() && *count < max; ++i) {
        names[(*count)++] = MakeBstr(i == 0 ? e->name : e->params[i - 1]).Detach();
      }
      return S_OK;
    });
  }

  STDMETHODIMP GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override {
    if (!names || !ids) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = MEMBERID_NIL;
    if (count == 0 || kind_ != Kind::Events) return DISP_E_UNKNOWNNAME;
    return Guard(IID_ITypeInfo, [&]() -> HRESULT {
      std::string wanted = Narrow(names[0]);
      for (size_t i = 0; i < class_->events.size(); ++i) {
        if (ax::EqualsNoCase(class_->events[i].name, wanted)) {
          ids[0] = static_cast<MEMBERID>(i + 1);
          return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
      }
      return DISP_E_UNKNOWNNAME;
    });
  }

  STDMETHODIMP GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* context,
                                BSTR* helpFile) override {
    if (doc) *doc = nullptr;
    if (context) *context = 0;
    if (helpFile) *helpFile = nullptr;
    if (!name) return S_OK;
    *name = nullptr;
    if (id == MEMBERID_NIL) {
      return Guard(IID_ITypeInfo, [&]() -> HRESULT {
        *name = MakeBstr(TypeName()).Detach();
        return S_OK;
      });
    }
    const EventDecl* e = Event(id);
    if (!e) return TYPE_E_ELEMENTNOTFOUND;
    return Guard(IID_ITypeInfo, [&]() -> HRESULT {
      *name = MakeBstr(e->name).Detach();
      return S_OK;
    });
  }

  STDMETHODIMP GetRefTypeOfImplType(UINT index, HREFTYPE* ref) override {
    if (!ref) return E_POINTER;
    if (kind_ != Kind::Class || index > 1) return TYPE_E_ELEMENTNOTFOUND;
    *ref = index + 1;
    return S_OK;
  }
  STDMETHODIMP GetImplTypeFlags(UINT index, INT* flags) override {
    if (!flags) return E_POINTER;
    if (kind_ != Kind::Class || index > 1) return TYPE_E_ELEMENTNOTFOUND;
    *flags = index == 0 ? IMPLTYPEFLAG_FDEFAULT : IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
    return S_OK;
  }
  STDMETHODIMP GetRefTypeInfo(HREFTYPE ref, ITypeInfo** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (kind_ != Kind::Class || ref < 1 || ref > 2 || !implemented_[ref - 1]) {
      return TYPE_E_ELEMENTNOTFOUND;
    }
    *out = implemented_[ref - 1].CopyOut();
    return S_OK;
  }

 protected:
  void* Find(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_ITypeInfo) return static_cast<ITypeInfo*>(this);
    return nullptr;
  }

 private:
  GUID Guid() const {
    switch (kind_) {
      case Kind::Class: return class_->classId;
      case Kind::Interface: return class_->interfaceId;
      case Kind::Events: return class_->eventsId;
    }
    return GUID{};
  }
  std::string TypeName() const {
    switch (kind_) {
      case Kind::Class: return class_->name;
      case Kind::Interface: return "_" + class_->name;
      case Kind::Events: return "__" + class_->name;
    }
    return {};
  }
  const EventDecl* Event(MEMBERID id) const {
    if (kind_ != Kind::Events || id < 1 || static_cast<size_t>(id) > class_->events.size()) {
      return nullptr;
    }
    return &class_->events[static_cast<size_t>(id) - 1];
  }

  std::shared_ptr<const EventClass> class_;
  Kind kind_;
  ComPtr<ITypeInfo> implemented_[2];
};

// Forwards the served object's events to one advised COM sink.
class ForwardingSink final : public ax::EventSink {
 public:
  ForwardingSink(ComPtr<IDispatch> sink, std::shared_ptr<const EventClass> c)
      : sink_(std::move(sink)), class_(std::move(c)) {}

  void OnEvent(std::string_view eventName, ax::Args& args) override {
    for (size_t i = 0; i < class_->events.size(); ++i) {
      if (ax::EqualsNoCase(class_->events[i].name, eventName)) {
        // Keep the sink alive for the call even if the handler unadvises it.
        ComPtr<IDispatch> sink = sink_;
        CallDispatch(sink.get(), static_cast<DISPID>(i + 1), ax::kMethod, args);
        return;
      }
    }
  }

 private:
  ComPtr<IDispatch> sink_;
  std::shared_ptr<const EventClass> class_;
};

class EventSourceServer;

// The one connection point; made on request, it keeps its container alive.
class ConnectionPoint final : public ComObject<IConnectionPoint> {
 public:
  explicit ConnectionPoint(EventSourceServer* container);

  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

 protected:
  void* Find(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
      return static_cast<IConnectionPoint*>(this);
    }
    return nullptr;
  }

 private:
  EventSourceServer* container_;
  ComPtr<IUnknown> keepAlive_;
};

class PointEnumerator final : public ComObject<IEnumConnectionPoints> {
 public:
  PointEnumerator(EventSourceServer* container, ULONG position);
  STDMETHODIMP Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override;
  STDMETHODIMP Skip(ULONG count) override {
    position_ += count;
    return position_ <= 1 ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    position_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumConnectionPoints** out) override;

 protected:
  void* Find(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IEnumConnectionPoints) {
      return static_cast<IEnumConnectionPoints*>(this);
    }
    return nullptr;
  }

 private:
  EventSourceServer* container_;
  ComPtr<IUnknown> keepAlive_;
  ULONG position_;
};

// The DISPIDs of an interface's members, the same for every object that has it, as its type
// information promises (clients keep them per type). Kept for the process.
MemberIds& ClassMemberIds(const std::shared_ptr<const EventClass>& c) {
  struct Less {
    bool operator()(const GUID& a, const GUID& b) const { return std::memcmp(&a, &b, sizeof a) < 0; }
  };
  static auto* table = new std::map<GUID, MemberIds, Less>();
  return (*table)[c->interfaceId];
}

class EventSourceServer final
    : public ComObject<IDispatch, IConnectionPointContainer, IProvideClassInfo> {
 public:
  EventSourceServer(ax::DispatchPtr target, std::shared_ptr<const EventClass> c)
      : target_(std::move(target)), class_(std::move(c)), ids_(ClassMemberIds(class_)) {
    auto interfaceInfo = MakeCom<ClassTypeInfo>(class_, ClassTypeInfo::Kind::Interface);
    auto eventsInfo = MakeCom<ClassTypeInfo>(class_, ClassTypeInfo::Kind::Events);
    auto classInfo = MakeCom<ClassTypeInfo>(class_, ClassTypeInfo::Kind::Class);
    classInfo->SetImplemented(ComPtr<ITypeInfo>(interfaceInfo.get()),
                              ComPtr<ITypeInfo>(eventsInfo.get()));
    interfaceInfo_ = ComPtr<ITypeInfo>(interfaceInfo.get());
    classInfo_ = ComPtr<ITypeInfo>(classInfo.get());
  }
  ~EventSourceServer() override {
    // Connections first: each disconnects from the object before its sink goes.
    advised_.clear();
  }

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    *info = interfaceInfo_.CopyOut();
    return S_OK;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return IdsOfNames(ids_, names, count, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* info, UINT*) override {
    return InvokeMember(ids_, target_, id, flags, params, result, info);
  }

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guard(IID_IConnectionPointContainer, [&]() -> HRESULT {
      *out = MakeCom<PointEnumerator>(this, 0).Detach();
      return S_OK;
    });
  }
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualGUID(iid, class_->eventsId)) return CONNECT_E_NOCONNECTION;
    return Guard(IID_IConnectionPointContainer, [&]() -> HRESULT {
      *out = MakeCom<ConnectionPoint>(this).Detach();
      return S_OK;
    });
  }

  // IProvideClassInfo
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = classInfo_.CopyOut();
    return S_OK;
  }

  const GUID& eventsId() const { return class_->eventsId; }

  HRESULT Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(class_->eventsId, dispatch.put_void())) || !dispatch) {
      dispatch = QueryAs<IDispatch>(sink);
      if (!dispatch) return CONNECT_E_CANNOTCONNECT;
    }
    return Guard(IID_IConnectionPoint, [&]() -> HRESULT {
      Advised a;
      a.sink = std::make_unique<ForwardingSink>(dispatch, class_);
      a.connection = target_->Advise(*a.sink);
      DWORD next = ++lastCookie_;
      advised_.emplace(next, std::move(a));
      *cookie = next;
      return S_OK;
    });
  }
  HRESULT Unadvise(DWORD cookie) {
    auto found = advised_.find(cookie);
    if (found == advised_.end()) return CONNECT_E_NOCONNECTION;
    // Taken out of the table first: disconnecting may call back into this object.
    Advised a = std::move(found->second);
    advised_.erase(found);
    a.connection.reset();
    return S_OK;
  }

 protected:
  void* Find(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == class_->interfaceId) {
      return static_cast<IDispatch*>(this);
    }
    if (iid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    if (iid == IID_IProvideClassInfo) return static_cast<IProvideClassInfo*>(this);
    return nullptr;
  }

 private:
  struct Advised {
    std::unique_ptr<ForwardingSink> sink;
    std::unique_ptr<ax::Connection> connection;
    Advised() = default;
    Advised(Advised&&) = default;
    Advised& operator=(Advised&&) = default;
    ~Advised() { connection.reset(); }  // disconnect before the sink goes
  };

  ax::DispatchPtr target_;
  std::shared_ptr<const EventClass> class_;
  ComPtr<ITypeInfo> interfaceInfo_;
  ComPtr<ITypeInfo> classInfo_;
  MemberIds& ids_;
  std::map<DWORD, Advised> advised_;
  DWORD lastCookie_ = 0;
};

ConnectionPoint::ConnectionPoint(EventSourceServer* container)
    : container_(container),
      keepAlive_(static_cast<IConnectionPointContainer*>(container)) {}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = container_->eventsId();
  return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  container_->AddRef();
  *out = container_;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  return container_->Advise(sink, cookie);
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) { return container_->Unadvise(cookie); }

PointEnumerator::PointEnumerator(EventSourceServer* container, ULONG position)
    : container_(container),
      keepAlive_(static_cast<IConnectionPointContainer*>(container)),
      position_(position) {}

STDMETHODIMP PointEnumerator::Next(ULONG count, IConnectionPoint** out, ULONG* fetched) {
  if (!out) return E_POINTER;
  if (fetched) *fetched = 0;
  return Guard(IID_IEnumConnectionPoints, [&]() -> HRESULT {
    ULONG got = 0;
    if (count > 0 && position_ == 0) {
      out[0] = MakeCom<ConnectionPoint>(container_).Detach();
      got = 1;
      position_ = 1;
    }
    if (fetched) *fetched = got;
    return got == count ? S_OK : S_FALSE;
  });
}

STDMETHODIMP PointEnumerator::Clone(IEnumConnectionPoints** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return Guard(IID_IEnumConnectionPoints, [&]() -> HRESULT {
    *out = MakeCom<PointEnumerator>(container_, position_).Detach();
    return S_OK;
  });
}

}  // namespace

ComPtr<IDispatch> ServeEventSource(ax::DispatchPtr target,
                                   std::shared_ptr<const EventClass> eventClass) {
  return ComPtr<IDispatch>::Attach(
      static_cast<IDispatch*>(new EventSourceServer(std::move(target), std::move(eventClass))));
}

}  // namespace sccom
