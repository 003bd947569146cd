// Checks one late-bound call against what its call sites fix: the number of arguments, which
// are passed by reference, their automation kinds and the constants the callers pass. A wrong
// call raises the automation error a real late-bound call would raise, with a description that
// names the member and what was wrong:
//   450  wrong number of arguments
//   13   an argument of the wrong kind
//   5    a by-value argument where the member takes it by reference, an argument that should
//        have been omitted, a wrong constant or context string
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

#include "automation/object.h"

namespace sim {

class Host;

// The context string the host's shared properties hand out ("PropsString").
std::string ContextString(Host& host);

// The kind of a value as the checks name it: Empty, Null, Boolean, ..., Object ("Nothing" for a
// value that holds no object), "omitted" for an omitted argument.
std::string KindName(ax::VarType type);
std::string KindName(const ax::Variant& v);

class CallCheck {
 public:
  // member: "Class.Member", as the error's source and in every description.
  CallCheck(Host& host, std::string member, const ax::Args& args);

  CallCheck& Count(size_t n);
  CallCheck& Context(size_t i);                    // the host's context string, exactly
  CallCheck& ByRef(size_t i);
  CallCheck& ByValue(size_t i);
  CallCheck& Omitted(size_t i);
  CallCheck& Kind(size_t i, ax::VarType kind);
  CallCheck& Kinds(size_t i, std::initializer_list<ax::VarType> kinds);
  // Kind and value both exact.
  CallCheck& Value(size_t i, const ax::Variant& expected);
  CallCheck& OneOf(size_t i, std::initializer_list<int32_t> values);  // a Long among values
  // A number whose kind the call sites leave open (a bare literal of the caller's): any numeric
  // kind, of that value or among those values.
  CallCheck& Numeric(size_t i);
  CallCheck& Number(size_t i, double expected);
  CallCheck& NumberOneOf(size_t i, std::initializer_list<double> values);

  [[noreturn]] void Wrong(int32_t number, const std::string& what) const;

 private:
  const ax::Variant& At(size_t i) const;

  Host& host_;
  std::string member_;
  const ax::Args& args_;
};

namespace detail {
struct HeldValue {
  ax::Args value;
};
}  // namespace detail

// One value handed over alone (an assigned property, an item of a dictionary the caller built),
// checked as argument 1 of a call would be.
class ValueCheck : private detail::HeldValue, public CallCheck {
 public:
  ValueCheck(Host& host, std::string what, const ax::Variant& v)
      : HeldValue{ax::Args{v}}, CallCheck(host, std::move(what), HeldValue::value) {}
};

}  // namespace sim
