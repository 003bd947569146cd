// docs/host-contract.md lists every host member the plug-in calls in the scenario suite, and holds
// the members the plug-in's procedures are meant to call (tests/host_contract_expected.h) against
// those calls. It is generated from the suite itself, so a call the plug-in starts making shows
// on the page, and one it stops making fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "host_contract_expected.h"
#include "sim/harness/contract.h"
#include "sim/harness/scenario.h"

namespace {

const char* kIntro = R"(# The host contract

What the plug-in asks of its host, in two tables generated from the scenario suite by
tests/host_contract_test.cpp; regenerate with
`SCTAV_UPDATE_DOCS=1 build/dev/sctav_tests --gtest_filter=HostContract.*`.

- [Observed calls](#observed-calls): every member of the host the plug-in calls in the suite, as
  it calls it.
- [Expected members](#expected-members): every member the plug-in's procedures are meant to
  call, held against the observed calls, so that a call the plug-in fails to make shows.

## Observed calls

Every member of the host the plug-in calls in the scenario suite, as the plug-in calls it: the
object (a component by ProgID, or the host's own: `Bill`, `List`, `LmLib`, `MenuBar`, ...), its
interface where it has one of its own, the member as the plug-in writes it, the call kind, the
kinds of the arguments (`&`: passed by reference, `omitted`: an optional argument left out) and
the scenarios that make the call (up to three). A host that offers these members, with these
arguments, runs the plug-in; the simulated host is checked against this list by every scenario.

)";

const char* kExpectedIntro = R"(
## Expected members

Every host member the plug-in's procedures are meant to call (the interfaces and components the
host fixes, and what each procedure calls on them): the object, the interface it is reached
through, the member, the call where it matters (`get`: read or called, `put`, `put by
reference`) and the subsystems whose procedures make the call. Where an operation has no member
name of the host's ("the selection", "a bill operation run by numeric code", the receipt list's
members), the row names the member the plug-in calls. The table is kept in tests/host_contract_expected.h.

Each row is held against the observed calls above (object, interface and member without regard
to case, as late-bound names compare): how many scenarios reach it and the first three, or
**never reached by any scenario**. The test fails when an expected member is reached by no
scenario, so a call the plug-in stops making fails the build, unless the table marks the member
as knowingly unreached and says why (the reason is shown in the row); it fails as well when a
member so marked is reached.

Not in the table, because the contract log does not note them as calls into a host object yet:
the members of the record sets that data calls return and of the host library's dictionaries
and vectors. The observed calls that no expected member covers are listed after the table; a
call the log starts noting shows there until the table lists its member.

)";

// The suite is played once per process, with the contract log set.
class HostContract : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(SCTAV_SCENARIO_DIR))
      if (e.path().extension() == ".sct") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    log_ = std::make_unique<sim::ContractLog>();
    sim::ScenarioOptions options;
    options.contract = log_.get();
    for (const auto& f : files) {
      sim::ScenarioResult r = sim::RunScenarioFile(f.string(), options);
      if (!r.passed) failure_ += f.filename().string() + ": " + r.failure + "\n";
    }
  }
  static void TearDownTestSuite() { log_.reset(); }

  void SetUp() override { ASSERT_EQ(failure_, "") << "the scenario suite must pass"; }

  static std::unique_ptr<sim::ContractLog> log_;
  static std::string failure_;
};

std::unique_ptr<sim::ContractLog> HostContract::log_;
std::string HostContract::failure_;

std::string Name(const sim::ExpectedMember& m) {
  std::string name = std::string(m.object) + (m.iface.empty() ? "" : " (" + std::string(m.iface) + ")") + "." +
                     std::string(m.member);
  if (!m.call.empty()) name += " [" + std::string(m.call) + "]";
  return name;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

TEST_F(HostContract, ExpectedTableNamesEachMemberOnce) {
  std::set<std::tuple<std::string, std::string, std::string, std::string>> seen;
  for (const sim::ExpectedMember& m : host_contract::kExpectedMembers) {
    EXPECT_FALSE(m.object.empty() || m.member.empty()) << Name(m);
    EXPECT_TRUE(sim::ValidCallColumn(m.call)) << Name(m) << ": call must be \"\", get, put or put by reference";
    EXPECT_FALSE(m.usedBy.empty()) << Name(m) << ": which subsystem makes the call?";
    EXPECT_TRUE(seen.insert({Lower(m.object), Lower(m.iface), Lower(m.member), std::string(m.call)}).second)
        << Name(m) << " is listed twice";
  }
}

TEST_F(HostContract, DocsListEveryHostCallOfTheScenarioSuite) {
  EXPECT_GT(log_->Members(), 50u);
  const std::string page = std::string(kIntro) + log_->Markdown() + kExpectedIntro +
                           log_->ReachMarkdown(host_contract::kExpectedMembers);

  const std::string path = std::string(SCTAV_SCENARIO_DIR) + "/../docs/host-contract.md";
  std::ifstream in(path, std::ios::binary);
  std::stringstream current;
  if (in) current << in.rdbuf();
  if (current.str() != page && std::getenv("SCTAV_UPDATE_DOCS")) {
    std::ofstream(path, std::ios::binary) << page;
    return;
  }
  EXPECT_EQ(current.str(), page) << "docs/host-contract.md is stale: run SCTAV_UPDATE_DOCS=1 "
                                    "build/dev/sctav_tests --gtest_filter=HostContract.*";
}

// A member the plug-in is meant to call and no scenario reaches is a call the plug-in fails to
// make (or a path no scenario drives): either way it must be said in the table.
TEST_F(HostContract, EveryExpectedMemberIsReachedByTheSuite) {
  for (const sim::MemberReach& r : log_->Reach(host_contract::kExpectedMembers)) {
    const sim::ExpectedMember& m = *r.member;
    if (m.unreached.empty()) {
      EXPECT_FALSE(r.scenarios.empty())
          << Name(m) << " (used by " << m.usedBy
          << ") is reached by no scenario: the plug-in no longer makes this call, or no scenario drives "
             "it. Make a scenario reach it, or mark it knowingly unreached with the reason in "
             "tests/host_contract_expected.h";
    } else {
      EXPECT_TRUE(r.scenarios.empty())
          << Name(m) << " is marked knowingly unreached (" << m.unreached << ") but "
          << r.scenarios.size() << " scenario(s) reach it, " << *r.scenarios.begin()
          << " first: drop the mark in tests/host_contract_expected.h";
    }
  }
}
