// A host object the host hands over inside an event (a record set, a dictionary, a column
// description) or that the plug-in reaches through one: every call is counted and may be made
// to fail, as calls on the host's own objects are. Objects the calls return are handed over
// the same way, each by one counted object while this one lives (a record set's Fields answer
// by the same object every time, as the host's own do).
#pragma once

#include <array>
#include <cstddef>
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

// The object a counted object counts, or v itself.
ax::Variant Uncounted(const ax::Variant& v);

// For the length of one call into the host: the counted objects among its arguments are read
// as the objects they count, so the host works on its own objects and its own reading of them
// is not a call of the plug-in's. Return() gives each by-reference argument its counted object
// back, and a counted one around an object the host put there; on an error the by-reference
// arguments get their counted objects back as they were.
class HandedBack {
 public:
  HandedBack(Host& host, std::string_view objectName, ax::Args& args);
  HandedBack(const HandedBack&) = delete;
  HandedBack& operator=(const HandedBack&) = delete;
  ~HandedBack();
  void Return();

 private:
  struct Slot {
    ax::Variant* ref = nullptr;  // the caller's variable
    ax::DispatchPtr counted;     // what it held (null: it held no counted object)
  };
  Host& host_;
  std::string_view objectName_;
  std::array<Slot, 4> slots_;    // by-reference arguments; more than four are left as given
  size_t used_ = 0;
  bool returned_ = false;
};

}  // namespace sim
