#include "sim/host/call_check.h"

#include "automation/error.h"
#include "sim/host/host.h"

namespace sim {

std::string ContextString(Host& host) {
  int32_t user = host.CurrentUser();
  return "Language=" + host.Language() + ";UserID=" + std::to_string(user) +
         ";UserName=" + host.UserName(user) + ";DBName=demo;";
}

std::string KindName(ax::VarType t) {
  switch (t) {
    case ax::VarType::Empty: return "Empty";
    case ax::VarType::Null: return "Null";
    case ax::VarType::Boolean: return "Boolean";
    case ax::VarType::Integer: return "Integer";
    case ax::VarType::Long: return "Long";
    case ax::VarType::Double: return "Double";
    case ax::VarType::Currency: return "Currency";
    case ax::VarType::Date: return "Date";
    case ax::VarType::String: return "String";
    case ax::VarType::Object: return "Object";
    case ax::VarType::Missing: return "omitted";
  }
  return "?";
}

std::string KindName(const ax::Variant& v) {
  if (v.type() == ax::VarType::Object && !v.asObject()) return "Nothing";
  return KindName(v.type());
}

namespace {

std::string Position(size_t i) { return "argument " + std::to_string(i + 1); }

}  // namespace

CallCheck::CallCheck(Host& host, std::string member, const ax::Args& args)
    : host_(host), member_(std::move(member)), args_(args) {}

void CallCheck::Wrong(int32_t number, const std::string& what) const {
  throw ax::AutomationError(number, member_ + ": " + what, member_);
}

const ax::Variant& CallCheck::At(size_t i) const { return ax::ArgAt(args_, i); }

CallCheck& CallCheck::Count(size_t n) {
  if (args_.size() != n)
    Wrong(ax::err::kWrongArgs, std::to_string(n) + " arguments expected, " +
                                   std::to_string(args_.size()) + " given");
  return *this;
}

CallCheck& CallCheck::Context(size_t i) {
  Kind(i, ax::VarType::String);
  if (At(i).asString() != ContextString(host_))
    Wrong(ax::err::kInvalidCall, Position(i) + " is not the context string");
  return *this;
}

CallCheck& CallCheck::ByRef(size_t i) {
  if (i >= args_.size() || !args_[i].isByRef())
    Wrong(ax::err::kInvalidCall, Position(i) + " must be passed by reference");
  return *this;
}

CallCheck& CallCheck::ByValue(size_t i) {
  if (i < args_.size() && args_[i].isByRef())
    Wrong(ax::err::kInvalidCall, Position(i) + " is passed by value");
  return *this;
}

CallCheck& CallCheck::Omitted(size_t i) {
  if (!At(i).isMissing())
    Wrong(ax::err::kInvalidCall, Position(i) + " must be omitted, " + KindName(At(i)) + " given");
  return *this;
}

CallCheck& CallCheck::Kind(size_t i, ax::VarType kind) { return Kinds(i, {kind}); }

CallCheck& CallCheck::Kinds(size_t i, std::initializer_list<ax::VarType> kinds) {
  const ax::Variant& v = At(i);
  for (ax::VarType k : kinds)
    if (v.type() == k) return *this;
  std::string expected;
  for (ax::VarType k : kinds) expected += (expected.empty() ? "" : " or ") + KindName(k);
  Wrong(ax::err::kTypeMismatch, Position(i) + " must be " + expected + ", " + KindName(v) + " given");
}

CallCheck& CallCheck::Value(size_t i, const ax::Variant& expected) {
  Kind(i, expected.type());
  const ax::Variant& v = At(i);
  if (!ax::VarEqual(v, expected))
    Wrong(ax::err::kInvalidCall,
          Position(i) + " must be " + ax::DisplayText(expected) + ", " + ax::DisplayText(v) + " given");
  return *this;
}

CallCheck& CallCheck::OneOf(size_t i, std::initializer_list<int32_t> values) {
  Kind(i, ax::VarType::Long);
  int32_t v = At(i).asLong();
  std::string allowed;
  for (int32_t x : values) {
    if (x == v) return *this;
    allowed += (allowed.empty() ? "" : " or ") + std::to_string(x);
  }
  Wrong(ax::err::kInvalidCall, Position(i) + " must be " + allowed + ", " + std::to_string(v) + " given");
}

CallCheck& CallCheck::Numeric(size_t i) {
  return Kinds(i, {ax::VarType::Integer, ax::VarType::Long, ax::VarType::Double, ax::VarType::Currency});
}

CallCheck& CallCheck::Number(size_t i, double expected) { return NumberOneOf(i, {expected}); }

CallCheck& CallCheck::NumberOneOf(size_t i, std::initializer_list<double> values) {
  Numeric(i);
  const double v = ax::CDbl(At(i));
  std::string allowed;
  for (double x : values) {
    if (x == v) return *this;
    allowed += (allowed.empty() ? "" : " or ") + ax::DisplayText(ax::Variant(x));
  }
  Wrong(ax::err::kInvalidCall, Position(i) + " must be " + allowed + ", " + ax::DisplayText(At(i)) + " given");
}

}  // namespace sim
