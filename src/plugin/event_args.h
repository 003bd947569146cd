// Reading event parameters as the handlers' declared types, and writing by-reference Booleans
// back only when a handler changed them (an untouched Cancel keeps the host's own value).
#pragma once

#include <cstddef>
#include <string_view>

#include "automation/object.h"
#include "automation/variant.h"

namespace sc {

inline ax::Object EventObject(ax::Args& args, size_t i) {
  return i < args.size() ? ax::Object::FromVariantOrNothing(args[i].value()) : ax::Object();
}

inline int32_t EventLong(ax::Args& args, size_t i) {
  return i < args.size() && !args[i].value().isMissing() ? ax::CLng(args[i].value()) : 0;
}

// A Boolean event parameter passed by reference.
class BoolParam {
 public:
  BoolParam(ax::Args& args, size_t i) : arg_(i < args.size() ? &args[i] : nullptr) {
    if (arg_ && !arg_->value().isMissing()) original_ = ax::IsTrue(arg_->value());
    value = original_;
  }
  ~BoolParam() = default;
  void WriteBack() {
    if (arg_ && value != original_) arg_->value() = ax::Variant(value);
  }
  bool value = false;

 private:
  ax::Arg* arg_;
  bool original_ = false;
};

// A Variant event parameter passed by reference (written back in place).
inline ax::Variant& EventRef(ax::Args& args, size_t i, ax::Variant& fallback) {
  return i < args.size() ? args[i].value() : fallback;
}

// The two menu events every class handles, with the same parameters; false for other events.
template <class PluginT>
bool RouteMenuEvent(PluginT& plugin, std::string_view eventName, ax::Args& args) {
  if (eventName == "MenuBarInitialize") {
    plugin.MenuBarInitialize(EventObject(args, 0));
    return true;
  }
  if (eventName == "MenuBarClick") {
    BoolParam cancel(args, 1);
    plugin.MenuBarClick(EventObject(args, 0), cancel.value);
    cancel.WriteBack();
    return true;
  }
  return false;
}

}  // namespace sc
