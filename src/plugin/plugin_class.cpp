#include "plugin/plugin_class.h"

#include "automation/error.h"
#include "plugin/scTransferBillExt.h"
#include "plugin/scTransferListExt.h"
#include "plugin/scTransferListExt1.h"

namespace sc {

void EventSource::Bind(const ax::Variant& hostObject, std::string_view interfaceName,
                       ax::EventSink& sink) {
  // Only the host's own interface may be stored: anything else is a type mismatch and the
  // class stays unbound, as a typed assignment would leave it.
  if (!hostObject.isObject() || !hostObject.asObject()) throw ax::Error(ax::err::kTypeMismatch);
  ax::Object candidate(hostObject.asObject());
  if (!candidate.Supports(interfaceName)) throw ax::Error(ax::err::kTypeMismatch);
  // The old connection goes before the new one is made: a host whose connection point takes
  // one sink at a time refuses a second one, even for the same object shown again. A binding
  // that then fails leaves the class unbound.
  Unbind();
  std::unique_ptr<ax::Connection> connection = candidate.Advise(sink);
  obj_ = std::move(candidate);
  conn_ = std::move(connection);
}

void EventSource::Unbind() {
  conn_.reset();  // disconnect before releasing the host object
  obj_.Reset();
}

ax::Variant PluginClass::Invoke(std::string_view member, unsigned kind, ax::Args& args) {
  if (ax::EqualsNoCase(member, "Show") && (kind & ax::kMethod)) {
    if (args.size() != 1) throw ax::Error(ax::err::kWrongArgs);
    try {
      Show(args[0].value());
    } catch (...) {
      throw ax::ToAutomationError(std::current_exception());
    }
    return {};
  }
  throw ax::AutomationError(ax::err::kNoMember, ax::StandardDescription(ax::err::kNoMember),
                            "scTAVExt." + ClassName());
}

void PluginClass::OnEvent(std::string_view eventName, ax::Args& args) {
  try {
    HandleEvent(eventName, args);
  } catch (...) {
    // Whatever a handler let through goes back to the host as an automation error.
    throw ax::ToAutomationError(std::current_exception());
  }
}

ax::DispatchPtr CreatePluginClass(std::string_view progId) {
  if (ax::EqualsNoCase(progId, kProgIdBill)) return std::make_shared<scTransferBillExt>();
  if (ax::EqualsNoCase(progId, kProgIdList)) return std::make_shared<scTransferListExt>();
  if (ax::EqualsNoCase(progId, kProgIdList1)) return std::make_shared<scTransferListExt1>();
  return nullptr;
}

void UnloadLibrary() { ax::RunUnloadHooks(); }

}  // namespace sc
