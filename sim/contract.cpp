#include "sim/contract.h"

#include <filesystem>

namespace sim {

namespace {

const char* KindName(unsigned kind) {
  if (kind & ax::kPutRef) return "put by reference";
  if (kind & ax::kPut) return "put";
  if ((kind & ax::kMethod) && (kind & ax::kGet)) return "method or get";
  if (kind & ax::kGet) return "get";
  return "method";
}

const char* TypeName(const ax::Variant& v) {
  switch (v.type()) {
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

}  // namespace

void ContractLog::Note(std::string_view object, std::string_view iface, std::string_view member, unsigned kind,
                       const ax::Args& args, const std::string& scenario) {
  std::string kinds;
  for (const ax::Arg& a : args) {
    if (!kinds.empty()) kinds += ", ";
    kinds += TypeName(a.value());
    if (a.isByRef()) kinds += "&";
  }
  std::string file = std::filesystem::path(scenario).filename().string();
  calls_[{std::string(object), std::string(iface), std::string(member), KindName(kind), kinds}].insert(file);
}

size_t ContractLog::Members() const {
  std::set<std::pair<std::string, std::string>> members;
  for (const auto& [key, files] : calls_) members.insert({std::get<0>(key), std::get<2>(key)});
  return members.size();
}

std::string ContractLog::Markdown() const {
  std::string out =
      "| Object | Interface | Member | Call | Arguments (& by reference) | Scenarios |\n"
      "|---|---|---|---|---|---|\n";
  for (const auto& [key, files] : calls_) {
    const auto& [object, iface, member, kind, args] = key;
    std::string list;
    size_t shown = 0;
    for (const auto& f : files) {
      if (shown++ == 3) {
        list += " and " + std::to_string(files.size() - 3) + " more";
        break;
      }
      list += (list.empty() ? "" : ", ") + f;
    }
    out += "| " + object + " | " + (iface == object ? std::string() : iface) + " | `" + member + "` | " + kind +
           " | " + (args.empty() ? std::string("none") : args) + " | " + list + " |\n";
  }
  return out;
}

}  // namespace sim
