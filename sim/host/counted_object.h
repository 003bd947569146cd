// A host object the host hands over inside an event (a record set, a dictionary, a column
// description) or that the plug-in reaches through one: every call is counted and may be made
// to fail, as calls on the host's own objects are. Objects the calls return are handed over
// the same way, each by one counted object while this one lives (a record set's Fields answer
// by the same object every time, as the host's own do).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "automation/object.h"

namespace sim {

class Host;

class CountedObject : public ax::Dispatch {
 public:
  CountedObject(Host& host, std::string objectName, ax::DispatchPtr inner);
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override;
  bool Supports(std::string_view interfaceName) const override { return inner_->Supports(interfaceName); }
  std::unique_ptr<ax::Connection> Advise(ax::EventSink& sink) override { return inner_->Advise(sink); }
  std::string ClassName() const override { return inner_->ClassName(); }
  const ax::DispatchPtr& Inner() const { return inner_; }

 private:
  Host& host_;
  std::string objectName_;
  ax::DispatchPtr inner_;
  // The counted objects last handed out for the objects the calls returned, by the returned
  // object (held, so its address cannot be taken by another), replaced oldest first.
  std::array<std::pair<ax::DispatchPtr, ax::DispatchPtr>, 8> handedOut_;
  size_t nextHandedOut_ = 0;
  ax::Variant HandOut(ax::Variant result);
};

// v itself, or for an object that is not yet a counted host object, a counted one around it
// (objectName answers to `fail`).
ax::Variant Counted(Host& host, std::string_view objectName, const ax::Variant& v);

}  // namespace sim
