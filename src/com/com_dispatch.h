// ax::Dispatch over a COM object's IDispatch: late-bound calls by member name with each
// member's DISPID looked up once per type (once per object for an object without type
// information), interface queries by name and event connections through the object's
// connection points.
#pragma once

#include "win32.h"
#include <oaidl.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "automation/object.h"
#include "com_ptr.h"

namespace sccom {

// The DISPIDs of one type by member name (as the caller spells it), found without copying it.
struct MemberNameHash {
  using is_transparent = void;
  size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};
using MemberDispids = std::unordered_map<std::string, DISPID, MemberNameHash, std::equal_to<>>;

class ComDispatch final : public ax::Dispatch {
 public:
  // Use WrapDispatch (bridge.h), which keeps one ComDispatch per COM identity.
  ComDispatch(ComPtr<IDispatch> dispatch, IUnknown* identity);
  ~ComDispatch() override;

  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override;
  // Whether the object is the named interface. The rule:
  //  1. When the registry names an interface identifier for it (value interfaceName under
  //     HKCU, then HKLM, "Software\scTAVExt\HostInterfaces", data "{IID}"), the object is that
  //     interface exactly when QueryInterface for the identifier succeeds.
  //  2. Otherwise the object's type information decides: its class (IProvideClassInfo) or its
  //     dispatch interface (IDispatch::GetTypeInfo) must carry the name, or one of the
  //     interfaces the class lists must; case is ignored, and so is one leading "_" or "I" of
  //     the COM name (a class BillInterface has the default interface _BillInterface).
  bool Supports(std::string_view interfaceName) const override;
  // Advises a sink on every connection point of the object (events.cpp). An object that is
  // not a connection-point container raises 13.
  std::unique_ptr<ax::Connection> Advise(ax::EventSink& sink) override;
  // The name of the object's class, or of its dispatch interface, as TypeName reports it.
  std::string ClassName() const override;

  IDispatch* get() const { return dispatch_.get(); }
  IUnknown* identity() const { return identity_; }

 private:
  DISPID IdOf(std::string_view member);

  ComPtr<IDispatch> dispatch_;
  IUnknown* identity_;  // the canonical IUnknown, used as the identity key only (not owned)
  // Shared by every object of the same type, or this object's own; found on the first call.
  std::shared_ptr<MemberDispids> ids_;
};

// Called by a ComDispatch as it dies, so that WrapDispatch makes a new one next time.
void ForgetWrapper(IUnknown* identity, const ComDispatch* wrapper);

}  // namespace sccom
