// The three public classes share one shape: an automation object whose only method is Show,
// which binds the host's bill or list interface as an event source, and an event sink that
// receives that object's events until the class is released.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "automation/object.h"
#include "automation/runtime.h"

namespace sc {

inline constexpr std::string_view kProgIdBill = "scTAVExt.scTransferBillExt";
inline constexpr std::string_view kProgIdList = "scTAVExt.scTransferListExt";
inline constexpr std::string_view kProgIdList1 = "scTAVExt.scTransferListExt1";

// Interface names the host objects answer to in a query (QueryInterface).
inline constexpr std::string_view kBillInterface = "BillInterface";
inline constexpr std::string_view kListInterface = "ListInterface";

// A host object held "with events": storing it connects the sink to its events, setting it to
// Nothing disconnects and releases it.
class EventSource {
 public:
  // Queries the object for the interface and connects the sink. An object that is not the
  // interface (or not an object at all) raises 13 "Type mismatch" and leaves this unbound.
  void Bind(const ax::Variant& hostObject, std::string_view interfaceName, ax::EventSink& sink);
  void Unbind();
  const ax::Object& Get() const { return obj_; }
  bool IsBound() const { return !obj_.IsNothing(); }

 private:
  ax::Object obj_;
  std::unique_ptr<ax::Connection> conn_;
};

class PluginClass : public ax::Dispatch, public ax::EventSink {
 public:
  // Members callable by the host: only Show.
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override;
  // The event entry point: routes to the class's handlers; lets only AutomationError out.
  void OnEvent(std::string_view eventName, ax::Args& args) final;

  virtual void Show(const ax::Variant& hostObject) = 0;

 protected:
  // Class-specific routing; returns false for events the class does not handle.
  virtual bool HandleEvent(std::string_view eventName, ax::Args& args) = 0;
};

// Creates one of the three classes by ProgID (case-insensitive); nullptr when unknown.
ax::DispatchPtr CreatePluginClass(std::string_view progId);

// Drops every process-wide cache of the library, as when the library unloads.
void UnloadLibrary();

}  // namespace sc
