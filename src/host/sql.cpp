#include "host/sql.h"

#include <cmath>
#include <cstdio>

#include "automation/error.h"

namespace sc::host {

std::string SqlStr(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '\'';
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  out += '\'';
  return out;
}

std::string SqlStr(const ax::Variant& value) {
  if (value.isNull() || value.isEmpty() || value.isMissing()) return "''";
  return SqlStr(std::string_view(ax::CStr(value)));
}

std::string SqlNum(int32_t n) { return std::to_string(n); }

std::string SqlNum(double d) {
  if (!std::isfinite(d)) throw ax::Error(ax::err::kOverflow);
  std::string text = ax::CStr(ax::Variant(d));
  if (text.find_first_of("Ee") == std::string::npos) return text;
  // Very large or very small values: write them out in full.
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.15f", d);
  std::string fixed = buf;
  while (!fixed.empty() && fixed.back() == '0') fixed.pop_back();
  if (!fixed.empty() && fixed.back() == '.') fixed.pop_back();
  return fixed;
}

std::string SqlNum(const ax::Variant& value) {
  switch (value.type()) {
    case ax::VarType::Null:
      throw ax::Error(ax::err::kInvalidNull);
    case ax::VarType::Boolean:
      return value.asBool() ? "-1" : "0";
    case ax::VarType::Integer:
    case ax::VarType::Long:
      return SqlNum(ax::CLng(value));
    case ax::VarType::Empty:
      return "0";
    default:
      break;
  }
  // Double, Currency, Date and numeric text: CDbl raises 13 for anything that is not a number.
  double d = ax::CDbl(value);
  if (d == std::trunc(d) && std::fabs(d) <= 2147483647.0) return SqlNum(static_cast<int32_t>(d));
  return SqlNum(d);
}

}  // namespace sc::host
