#include "sim/harness/contract.h"

#include <filesystem>

#include "automation/variant.h"
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

// The first three scenarios, and how many more.
std::string ScenarioList(const std::set<std::string>& files) {
  std::string list;
  size_t shown = 0;
  for (const auto& f : files) {
    if (shown++ == 3) {
      list += " and " + std::to_string(files.size() - 3) + " more";
      break;
    }
    list += (list.empty() ? "" : ", ") + f;
  }
  return list;
}

// The interface as the page shows it: "" when it is the object's own.
std::string_view ShownInterface(const std::string& object, const std::string& iface) {
  return ax::EqualsNoCase(iface, object) ? std::string_view() : std::string_view(iface);
}

bool KindAdmitted(std::string_view call, std::string_view kind) {
  if (call.empty()) return true;
  if (call == "get") return kind == "method" || kind == "get" || kind == "method or get";
  return call == kind;
}

}  // namespace

bool ValidCallColumn(std::string_view call) {
  return call.empty() || call == "get" || call == "put" || call == "put by reference";
}

bool Matches(const ExpectedMember& expected, const ObservedCall& call) {
  return (expected.object == "*" || ax::EqualsNoCase(expected.object, call.object)) &&
         ax::EqualsNoCase(expected.iface, ShownInterface(call.object, call.iface)) &&
         ax::EqualsNoCase(expected.member, call.member) && KindAdmitted(expected.call, call.kind);
}

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

std::vector<ObservedCall> ContractLog::Calls() const {
  std::vector<ObservedCall> calls;
  calls.reserve(calls_.size());
  for (const auto& [key, files] : calls_) {
    const auto& [object, iface, member, kind, args] = key;
    calls.push_back({object, iface, member, kind, args, files});
  }
  return calls;
}

std::string ContractLog::Markdown() const {
  std::string out =
      "| Object | Interface | Member | Call | Arguments (& by reference) | Scenarios |\n"
      "|---|---|---|---|---|---|\n";
  for (const ObservedCall& c : Calls())
    out += "| " + c.object + " | " + std::string(ShownInterface(c.object, c.iface)) + " | `" + c.member + "` | " +
           c.kind + " | " + (c.args.empty() ? std::string("none") : c.args) + " | " + ScenarioList(c.scenarios) +
           " |\n";
  return out;
}

std::vector<MemberReach> ContractLog::Reach(std::span<const ExpectedMember> expected) const {
  const std::vector<ObservedCall> calls = Calls();
  std::vector<MemberReach> reach;
  reach.reserve(expected.size());
  for (const ExpectedMember& e : expected) {
    MemberReach r{&e, {}};
    for (const ObservedCall& c : calls)
      if (Matches(e, c)) r.scenarios.insert(c.scenarios.begin(), c.scenarios.end());
    reach.push_back(std::move(r));
  }
  return reach;
}

std::vector<ObservedCall> ContractLog::Unexpected(std::span<const ExpectedMember> expected) const {
  std::vector<ObservedCall> outside;
  for (ObservedCall& c : Calls()) {
    bool covered = false;
    for (const ExpectedMember& e : expected) covered = covered || Matches(e, c);
    if (!covered) outside.push_back(std::move(c));
  }
  return outside;
}

std::string ContractLog::ReachMarkdown(std::span<const ExpectedMember> expected) const {
  const std::vector<MemberReach> reach = Reach(expected);
  size_t reached = 0, known = 0;
  for (const MemberReach& r : reach) {
    if (!r.scenarios.empty()) ++reached;
    else if (!r.member->unreached.empty()) ++known;
  }
  const size_t unreached = reach.size() - reached;
  std::string out = std::to_string(reach.size()) + " expected members: " + std::to_string(reached) +
                    " reached by the suite, " + std::to_string(unreached) + " never reached by any scenario (" +
                    std::to_string(known) + " of them knowingly, with the reason given).\n\n";
  out +=
      "| Object | Interface | Member | Call | Used by | Reached by |\n"
      "|---|---|---|---|---|---|\n";
  for (const MemberReach& r : reach) {
    const ExpectedMember& e = *r.member;
    std::string by;
    if (!r.scenarios.empty()) {
      by = std::to_string(r.scenarios.size()) + (r.scenarios.size() == 1 ? " scenario: " : " scenarios: ") +
           ScenarioList(r.scenarios);
    } else {
      by = "**never reached by any scenario**";
      if (!e.unreached.empty()) by += " (knowingly: " + std::string(e.unreached) + ")";
    }
    out += "| " + std::string(e.object) + " | " + std::string(e.iface) + " | `" + std::string(e.member) + "` | " +
           std::string(e.call) + " | " + std::string(e.usedBy) + " | " + by + " |\n";
  }

  const std::vector<ObservedCall> outside = Unexpected(expected);
  out += "\n### Observed calls outside the expected table\n\n";
  if (outside.empty()) {
    out += "None: every observed call is one of an expected member.\n";
    return out;
  }
  out +=
      "| Object | Interface | Member | Call | Arguments (& by reference) | Scenarios |\n"
      "|---|---|---|---|---|---|\n";
  for (const ObservedCall& c : outside)
    out += "| " + c.object + " | " + std::string(ShownInterface(c.object, c.iface)) + " | `" + c.member + "` | " +
           c.kind + " | " + (c.args.empty() ? std::string("none") : c.args) + " | " + ScenarioList(c.scenarios) +
           " |\n";
  return out;
}

}  // namespace sim
