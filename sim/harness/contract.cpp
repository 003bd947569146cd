#include "sim/harness/contract.h"

#include <filesystem>

#include "sim/host/call_check.h"

namespace sim {

namespace {

const char* CallKindName(unsigned kind) {
  if (kind & ax::kPutRef) return "put by reference";
  if (kind & ax::kPut) return "put";
  if ((kind & ax::kMethod) && (kind & ax::kGet)) return "method or get";
  if (kind & ax::kGet) return "get";
  return "method";
}


}  // namespace

void ContractLog::Note(std::string_view object, std::string_view iface, std::string_view member, unsigned kind,
                       const ax::Args& args, const std::string& scenario) {
  std::string kinds;
  for (const ax::Arg& a : args) {
    if (!kinds.empty()) kinds += ", ";
    kinds += KindName(a.value());
    if (a.isByRef()) kinds += "&";
  }
  std::string file = std::filesystem::path(scenario).filename().string();
  calls_[{std::string(object), std::string(iface), std::string(member), CallKindName(kind), kinds}].insert(file);
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
