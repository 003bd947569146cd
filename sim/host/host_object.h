// Base of every object the simulated host hands to the plug-in (windows, their sub-objects,
// menu bars, tools and every component created by ProgID).
//
// Invoke is final: each call goes through the host's one funnel (Host::Call), which hands it to
// the attendant first (who may make it fail), and is then dispatched to the member table that
// the derived class filled in its constructor.
//
// Object names (what a planted failure names): components use their ProgID; the bill window and all its
// sub-objects (BillForm, FieldControls, pages, controls) are "Bill"; the list window and its
// sub-objects (List, dataSrv, Parent) are "List", and so are the objects the windows hand
// over in events (counted through sim::CountedObject); the data library and its User are "LmLib";
// menu bars and their collections are "MenuBar", bands "Band", tools "Tool".
// What a member returns that is not a host object of its own (a record set, a dictionary, a
// vector) is handed over counted under the object's name (sim::Counted), and so is every object
// reached through it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/object.h"

namespace sim {

class Host;

// The error number a host component raises for errors of its own (vbObjectError + 1).
constexpr int32_t kComponentError = -2147221503;

class HostObject : public ax::Dispatch {
 public:
  HostObject(Host& host, std::string objectName, std::string className = {});
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) final;
  std::string ClassName() const override { return className_; }

  const std::string& ObjectName() const { return objectName_; }
  Host& host() const { return host_; }

 protected:
  using Handler = ax::MemberTable::Handler;
  // A member handling every call kind itself.
  void Member(std::string name, Handler handler);
  // A property: get returns the value; put (when given) receives the assigned value. A put on
  // a property without setter raises 450; arguments other than the assigned value are ignored.
  void Property(std::string name, std::function<ax::Variant()> get,
                std::function<void(const ax::Variant&)> put = {});
  // A method whose result is the handler's (arguments as passed).
  void Method(std::string name, std::function<ax::Variant(ax::Args&)> fn);

 private:
  Host& host_;
  std::string objectName_;
  std::string className_;
  ax::MemberTable members_;
};

// A host object assembled from members at run time (sub-objects, small collections).
class BasicObject : public HostObject {
 public:
  using HostObject::HostObject;
  using HostObject::Member;
  using HostObject::Method;
  using HostObject::Property;
};

// The event side of a host object: the sinks connected with Advise. Disconnecting (destroying
// the Connection) is safe whether the source still lives or not.
class EventHub {
 public:
  std::unique_ptr<ax::Connection> Connect(ax::EventSink& sink);
  bool HasSinks() const;
  // Calls every connected sink in connection order. An AutomationError from a sink propagates
  // to the caller after the remaining sinks were skipped.
  void Raise(std::string_view eventName, ax::Args& args);

 private:
  struct Slot {
    ax::EventSink* sink = nullptr;
  };
  std::vector<std::shared_ptr<Slot>> slots_;
};

// Argument helpers for members: argument i as text / Long / Boolean, with a default when it is
// omitted or absent.
std::string ArgText(const ax::Args& args, size_t i, const std::string& dflt = {});
int32_t ArgLong(const ax::Args& args, size_t i, int32_t dflt = 0);
bool ArgBool(const ax::Args& args, size_t i, bool dflt = false);
bool ArgGiven(const ax::Args& args, size_t i);

}  // namespace sim
