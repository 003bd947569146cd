// The host contract: every host member the plug-in calls, as it calls it. While a log is set on
// the host (Host::SetContractLog), each late-bound call the plug-in makes into a host object is
// noted with the object, its interface, the member, the call kind, the kinds of the arguments
// and which are passed by reference, and the scenario file it came from. Markdown() is the page
// a host integrator reads (docs/host-contract.md, kept current by a unit test).
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>

#include "automation/object.h"

namespace sim {

class ContractLog {
 public:
  void Note(std::string_view object, std::string_view iface, std::string_view member, unsigned kind,
            const ax::Args& args, const std::string& scenario);
  std::string Markdown() const;
  size_t Members() const;  // distinct object.member pairs

 private:
  // object, interface, member (as written by the plug-in), kind, arguments
  using Key = std::tuple<std::string, std::string, std::string, std::string, std::string>;
  std::map<Key, std::set<std::string>> calls_;
};

}  // namespace sim
