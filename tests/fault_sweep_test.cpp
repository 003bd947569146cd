// The fault-injection sweep: which calls it faults, the database invariants it checks, and a
// faulted run that survives and reports what broke.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "automation/error.h"
#include "sim/harness/fault_sweep.h"
#include "sim/host/host.h"

namespace {

std::vector<sim::SweepCall> Calls(const std::vector<std::pair<int, const char*>>& list) {
  std::vector<sim::SweepCall> out;
  for (const auto& [line, member] : list) out.push_back({member, line});
  return out;
}

TEST(FaultSweep, ChoosesEveryCallOrTheFirstOfEverySiteThenSpreadsTheRest) {
  const auto calls = Calls({{1, "A.x"}, {1, "A.x"}, {1, "A.y"}, {2, "A.x"}, {2, "A.x"},
                            {2, "A.x"}, {2, "A.x"}, {3, "B.z"}, {3, "B.z"}, {3, "B.z"}});
  struct Case {
    const char* name;
    uint64_t maxRuns;
    std::vector<uint64_t> expected;
  } cases[] = {
      {"no limit: every call", 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"limit above the calls: every call", 10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"the four sites, then the rest spread", 6, {1, 2, 3, 4, 7, 8}},
      {"exactly the sites", 4, {1, 3, 4, 8}},
      {"fewer than the sites: the sites spread", 2, {1, 4}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(sim::ChooseCallIndices(calls, c.maxRuns), c.expected) << c.name;
}

// The seeded sample keeps every site, picks the same other calls for the same seed and file,
// and others for another seed; its share is what it says.
TEST(FaultSweep, SampleKeepsEverySiteAndIsTheSameForTheSameSeed) {
  std::vector<sim::SweepCall> calls = Calls({{1, "A.x"}, {2, "A.y"}, {3, "B.z"}});
  for (int i = 0; i < 3000; ++i) calls.push_back({"A.x", 1});
  const auto sample = sim::ChooseSampledIndices(calls, 0.1, "abc", "f.sct");
  ASSERT_GE(sample.size(), 3u);
  EXPECT_EQ(std::vector<uint64_t>(sample.begin(), sample.begin() + 3),
            (std::vector<uint64_t>{1, 2, 3}));
  EXPECT_TRUE(std::is_sorted(sample.begin(), sample.end()));
  EXPECT_NEAR(static_cast<double>(sample.size() - 3), 300.0, 60.0);
  EXPECT_EQ(sim::ChooseSampledIndices(calls, 0.1, "abc", "f.sct"), sample);
  EXPECT_NE(sim::ChooseSampledIndices(calls, 0.1, "abd", "f.sct"), sample);
  EXPECT_NE(sim::ChooseSampledIndices(calls, 0.1, "abc", "g.sct"), sample);
  EXPECT_EQ(sim::ChooseSampledIndices(calls, 1.0, "abc", "f.sct").size(), calls.size());
  // A share too small to pick any other call still fails every site once.
  EXPECT_EQ(sim::ChooseSampledIndices(calls, 1e-12, "abc", "f.sct"),
            (std::vector<uint64_t>{1, 2, 3}));
}

// Each case changes the demo database in one way; the checker must report exactly that.
TEST(FaultSweep, InvariantsReportWhatChangedAfterTheStart) {
  struct Case {
    const char* name;
    const char* sql;
    std::vector<int64_t> saved;
    const char* expected;  // a part of a line reported, or "" for none
  } cases[] = {
      {"nothing changed", "", {}, ""},
      {"FBKCommit cleared", "update t_scTransfer set FBKCommit=0 where FID=3",
       {}, ""},
      {"the bill was saved", "update t_scTransfer set FBKCommit=FID where FID=6", {6},
       ""},
      {"a new bill committed unsaved",
       "update t_scTransfer set FBKCommit=FID where FID=6", {},
       "bill HB000006 (FID 6) got FBKCommit = FID without a save or a bank payment"},
      {"a new bill with a bank payment",
       "update t_scTransfer set FBKCommit=FID where FID=6\r\ninsert into t_BK_Payment (FSource, "
       "FSourceNumber) values ('SCTransfer', 'HB000006')",
       {}, ""},
      {"a bill deleted under its voucher", "delete from t_scTransfer where FID=5", {},
       "voucher 301 remains for bill 5, which was deleted"},
      {"a bill pointing at a missing voucher", "update t_scTransfer set FVoucherID=399 where FID=2",
       {}, "bill HB000002 (FID 2) points at voucher 399, which does not exist"},
      {"a voucher naming another bill", "update t_Voucher set FParameter=2 where FVoucherID=301",
       {}, "bill HB000005 (FID 5) points at voucher 301, which names bill 2"},
      {"a voucher whose bill points elsewhere", "update t_scTransfer set FVoucherID=0 where FID=5",
       {}, "voucher 301 names bill HB000005 (FID 5), which points at voucher 0"},
      {"a receipt pointing at a missing bill", "update t_scRecSett set FTransBillID=77 where FRecSettID=601",
       {}, "receipt 601 points at bill 77, which does not exist"},
  };
  for (const auto& c : cases) {
    sim::Host host;
    host.Db().Execute(
        "insert into t_scTransfer (FID, FBillNo, FPayAcctID, FRecAcctID, FCyID, FAmt) values "
        "(6, 'HB000006', 101, 102, 1, 10)");
    sim::InvariantChecker checker(host.Db());
    if (*c.sql) host.Db().Execute(c.sql);
    for (int64_t fid : c.saved) checker.NoteSave(fid);
    std::vector<std::string> found = checker.Check();
    if (!*c.expected) {
      EXPECT_TRUE(found.empty()) << c.name << ": " << (found.empty() ? "" : found[0]);
    } else {
      bool seen = false;
      for (const auto& line : found) seen = seen || line.find(c.expected) != std::string::npos;
      EXPECT_TRUE(seen) << c.name << ": " << (found.empty() ? "nothing reported" : found[0]);
    }
  }
}

TEST(FaultSweep, WhatWasWrongAtTheStartIsNotCounted) {
  sim::Host host;
  host.Db().Execute("update t_scTransfer set FVoucherID=0 where FID=5");  // voucher 301 one way
  sim::InvariantChecker checker(host.Db());
  EXPECT_TRUE(checker.Check().empty());
  // The same voucher linked one way differently is still the voucher known to be wrong.
  host.Db().Execute("update t_scTransfer set FVoucherID=302 where FID=5");
  host.Db().Execute("insert into t_Voucher (FVoucherID, FParameter) values (302, 5)");
  EXPECT_TRUE(checker.Check().empty());
  // A table a scenario dropped skips its invariants.
  host.Db().Execute("drop table t_scRecSett");
  EXPECT_TRUE(checker.Check().empty());
}

const char* kScenario =
    "# A bill saved with a failing call somewhere.\n"
    "new bill\n"
    "edit FPayAcctID \"01.001\"\n"
    "edit FRecAcctID \"01.002\"\n"
    "edit FAmt \"100\"\n"
    "save\n"
    "expect field FID \"6\"\n";

TEST(FaultSweep, AFaultedRunSurvivesAndNamesTheFailedCall) {
  bool passed = false;
  std::string failure;
  std::vector<sim::SweepCall> calls = sim::RecordHostCalls(kScenario, "t.sct", &passed, &failure);
  ASSERT_TRUE(passed) << failure;
  ASSERT_GT(calls.size(), 10u);
  EXPECT_EQ(calls.front().line, 2);  // opening the window makes the first calls

  sim::SweepRun unchanged = sim::RunWithFault(kScenario, "t.sct", 0);
  EXPECT_TRUE(unchanged.Clean());
  for (uint64_t k : {uint64_t{1}, uint64_t{calls.size() / 2}, uint64_t{calls.size()}}) {
    sim::SweepRun run = sim::RunWithFault(kScenario, "t.sct", k);
    EXPECT_EQ(run.call.member, calls[k - 1].member) << "call " << k;
    EXPECT_EQ(run.call.line, calls[k - 1].line) << "call " << k;
    EXPECT_TRUE(run.Clean()) << "call " << k << ": "
                             << (run.violations.empty() ? "" : run.violations[0]);
  }
}

TEST(FaultSweep, ASweepInChildProcessesCountsEveryRun) {
  sim::SweepOptions options;
  options.maxRuns = 5;
  options.jobs = 2;
  std::string path = ::testing::TempDir() + "fault_sweep_test.sct";
  {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(kScenario, f);
    std::fclose(f);
  }
  sim::ScenarioSweep sweep = sim::SweepScenarioFile(path, options);
  EXPECT_TRUE(sweep.baselinePassed) << sweep.baselineFailure;
  EXPECT_EQ(sweep.runs.size(), 5u);
  EXPECT_EQ(sweep.Survived(), 5u);
  EXPECT_EQ(sweep.Crashed(), 0u);
  EXPECT_EQ(sweep.Violations(), 0u);
  std::remove(path.c_str());
}

}  // namespace
