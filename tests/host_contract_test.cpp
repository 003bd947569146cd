// docs/host-contract.md lists every host member the plug-in calls in the scenario suite; it is
// generated from the suite itself, so a call the plug-in starts or stops making shows here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/harness/contract.h"
#include "sim/harness/scenario.h"

namespace {

const char* kIntro = R"(# The host contract

Every member of the host the plug-in calls in the scenario suite, as the plug-in calls it: the
object (a component by ProgID, or the host's own: `Bill`, `List`, `LmLib`, `MenuBar`, ...), its
interface where it has one of its own, the member as the plug-in writes it, the call kind, the
kinds of the arguments (`&`: passed by reference, `omitted`: an optional argument left out) and
the scenarios that make the call (up to three). A host that offers these members, with these
arguments, runs the plug-in; the simulated host is checked against this list by every scenario.

Generated from the scenario suite by tests/host_contract_test.cpp; regenerate with
`SCTAV_UPDATE_DOCS=1 build/dev/sctav_tests --gtest_filter=HostContract.*`.

)";

}  // namespace

TEST(HostContract, DocsListEveryHostCallOfTheScenarioSuite) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(SCTAV_SCENARIO_DIR))
    if (e.path().extension() == ".sct") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  sim::ContractLog log;
  sim::ScenarioOptions options;
  options.contract = &log;
  for (const auto& f : files) {
    sim::ScenarioResult r = sim::RunScenarioFile(f.string(), options);
    ASSERT_TRUE(r.passed) << r.failure;
  }
  EXPECT_GT(log.Members(), 50u);
  const std::string page = std::string(kIntro) + log.Markdown();

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
