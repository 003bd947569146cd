// The host contract: every host member the plug-in calls, as it calls it. While a log is set on
// the host (Host::SetContractLog), each late-bound call the plug-in makes into a host object is
// noted with the object, its interface, the member, the call kind, the kinds of the arguments
// and which are passed by reference, and the scenario file it came from. Markdown() is the page
// a host integrator reads (docs/host-contract.md, kept current by a unit test).
//
// The other direction: a table of the members the plug-in's procedures are meant to call
// (ExpectedMember, tests/host_contract_expected.h) held against what was noted. Reach() says
// which scenarios reach each expected member; Unexpected() lists the noted calls that no expected
// member covers. Both go by object, interface and member alone, whatever calls were noted.
#pragma once

#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "automation/object.h"

namespace sim {

// A member of the host the plug-in's procedures are meant to call. Object, interface and member
// are written as the contract page names them (the interface "" for the object's own, as for
// CreateObject) and compare without regard to case, as late-bound names do.
struct ExpectedMember {
  // A component by ProgID or the host's own (Bill, List, LmLib, ...); "*" any object, for the
  // record sets, dictionaries and vectors every object may hand over under its own name.
  std::string_view object;
  std::string_view iface;   // the interface it is reached through; "" for the object's own
  std::string_view member;
  // "" any call kind; "get" read or called (method, get); "put"; "put by reference".
  std::string_view call;
  std::string_view usedBy;     // the subsystems whose procedures make the call
  std::string_view unreached;  // "" when a scenario must reach it; else why none can yet
};

// One row of the observed table: a call as noted, with the scenarios that made it.
struct ObservedCall {
  std::string object, iface, member, kind, args;
  std::set<std::string> scenarios;
};

// An expected member with the scenarios that make a call matching it.
struct MemberReach {
  const ExpectedMember* member;
  std::set<std::string> scenarios;
};

class ContractLog {
 public:
  void Note(std::string_view object, std::string_view iface, std::string_view member, unsigned kind,
            const ax::Args& args, const std::string& scenario);
  std::string Markdown() const;
  size_t Members() const;  // distinct object.member pairs
  std::vector<ObservedCall> Calls() const;

  // Each expected member, in the table's order, with the scenarios that reach it.
  std::vector<MemberReach> Reach(std::span<const ExpectedMember> expected) const;
  // The noted calls that match no expected member.
  std::vector<ObservedCall> Unexpected(std::span<const ExpectedMember> expected) const;
  // The expected table against the noted calls (a count line, then the table), then the noted
  // calls outside it.
  std::string ReachMarkdown(std::span<const ExpectedMember> expected) const;

 private:
  // object, interface, member (as written by the plug-in), kind, arguments
  using Key = std::tuple<std::string, std::string, std::string, std::string, std::string>;
  std::map<Key, std::set<std::string>> calls_;
};

// Whether a noted call is one of an expected member: same object, interface (the object's own
// when it is named as the object) and member without regard to case, and a call kind the
// member's call column admits.
bool Matches(const ExpectedMember& expected, const ObservedCall& call);
// Whether a call column is one of "", "get", "put", "put by reference".
bool ValidCallColumn(std::string_view call);

}  // namespace sim
