// The other direction of event binding: an automation object that raises events (an
// ax::Dispatch whose Advise connects an ax::EventSink), served as a COM object the way a host
// serves its bill or list interface: a class with type information (IProvideClassInfo), a
// dispatch interface whose members are called by name, and one connection point for its event
// interface. Used where this code plays the host (the Windows build of the simulated host and
// the bridge's own checks); the plug-in never needs it.
#pragma once

#include "win32.h"

#include <memory>
#include <string>
#include <vector>

#include "automation/object.h"
#include "com_ptr.h"

namespace sccom {

struct EventDecl {
  std::string name;                 // "BeforeSave"
  std::vector<std::string> params;  // {"bCancel"}
};

// The COM identity of a served event source: the class "BillInterface" with the default
// interface "_BillInterface" and the source interface "__BillInterface". Event n of events
// gets DISPID n + 1.
struct EventClass {
  std::string name;
  GUID classId{};
  GUID interfaceId{};
  GUID eventsId{};
  std::vector<EventDecl> events;
};

ComPtr<IDispatch> ServeEventSource(ax::DispatchPtr target,
                                   std::shared_ptr<const EventClass> eventClass);

}  // namespace sccom
