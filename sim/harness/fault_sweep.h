// The fault-injection sweep: proof that no failing host call crashes the host, lets a foreign
// C++ exception loose, or half-writes the settlement centre's data.
//
// For one scenario file the sweep first runs it unchanged and records every counted host call
// (Host::BeforeCall: every member call on a host object and every component creation), then
// runs it again once per chosen call index k with call k failing with an automation error
// (Host::FailCallAt). Each run happens in a child process of its own (fork), so a crash or a
// hang is seen as such and ends only that run. A faulted run keeps going after a command fails
// (the expectations of the file no longer hold once a call failed; what matters is that the
// plug-in returns and the data stay sound), and after every command the database invariants
// are checked:
//
//   - a bill's FBKCommit becomes its FID only when the bill was saved in this run or has a bank
//     payment ('SCTransfer', its bill number);
//   - no voucher names a bill that no longer exists (t_Voucher.FParameter);
//   - links between bills and vouchers go both ways: a bill's FVoucherID names a voucher whose
//     FParameter is the bill, and a voucher's bill names that voucher;
//   - no receipt points at a bill that does not exist (t_scRecSett.FTransBillID).
//
// Each invariant is judged against the state at the start (after the file's own `database` and
// `sql` set-up commands), so data a scenario deliberately sets up is not counted against the
// plug-in. Exceptions other than ax::AutomationError that reached the plug-in's entry points
// are counted through ax::SetForeignExceptionObserver.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace sim {

class Database;

// ---- database invariants ---------------------------------------------------------------------
// Checks the invariants of one run. The state at construction (or at Rebase, after the file's
// own set-up) is the starting point: what was already wrong there is not counted, and a bill
// that already had FBKCommit = FID keeps it legitimately.
class InvariantChecker {
 public:
  explicit InvariantChecker(Database& db);
  void Rebase();
  // The host saved the bill during the run.
  void NoteSave(int64_t fid) { saved_.insert(fid); }
  // Every invariant that does not hold now and did not at the start, as readable lines. A
  // table that does not exist (a scenario may rebuild one) skips its invariants.
  std::vector<std::string> Check();

 private:
  struct Violation {
    std::string key;   // the entity it concerns ("voucher 301", "bill 5", ...)
    std::string text;
  };
  std::vector<Violation> Structural();

  Database& db_;
  std::map<int64_t, int64_t> bkCommit_;  // FID -> FBKCommit at the start
  std::set<std::string> known_;          // keys of violations present at the start
  std::set<int64_t> saved_;              // bills saved during the run
  std::set<int64_t> paid_;               // bills seen with a bank payment during the run
};

// ---- the sweep -----------------------------------------------------------------------------
struct SweepCall {
  std::string member;  // "Bill.GetFieldValue", "FENRMTAVExt.cAcctInfo.CreateObject", ...
  int line = 0;        // the scenario line whose command made the call
};

struct SweepOptions {
  uint64_t maxRuns = 0;           // per scenario; 0 = one run per host call
  // A sample instead (sampleShare > 0): the first call of every site, and of the other calls
  // each with this probability (0..1), picked by the seed, so the same seed picks the same runs.
  double sampleShare = 0;
  std::string seed;
  int jobs = 1;                   // runs at the same time (child processes)
  bool isolate = true;            // fork a child per run; off: in-process (for a debugger)
  unsigned timeoutSeconds = 60;   // a run still going after this long counts as hung
  std::ostream* progress = nullptr;  // one line per scenario, one per finding
  bool verbose = false;           // also one line per run
};

struct SweepRun {
  uint64_t k = 0;
  SweepCall call;
  std::string outcome;                  // "" when the run survived; "crashed: ...", "hung: ..."
  std::vector<std::string> foreign;     // foreign exceptions contained at an entry point
  std::vector<std::string> escaped;     // exceptions that reached the host's command loop
  std::vector<std::string> violations;  // invariants broken (with the line after which)
  bool deviated = false;                // call k was not the call of the counting run
  bool Clean() const { return outcome.empty() && foreign.empty() && escaped.empty() && violations.empty(); }
};

struct ScenarioSweep {
  std::string file;
  uint64_t calls = 0;                // host calls of the unchanged run
  size_t sites = 0;                  // distinct (line, member) pairs among them
  bool baselinePassed = false;       // the unchanged run passed as a scenario
  std::string baselineFailure;
  SweepRun baseline;                 // the unchanged run's own findings (k = 0)
  std::vector<SweepRun> runs;        // one per faulted call index

  size_t Survived() const;           // runs that neither crashed nor hung
  size_t Crashed() const;            // crashed or hung
  size_t Foreign() const;            // runs with a foreign or escaped exception
  size_t Violations() const;         // invariant lines over every run (baseline included)
};

// The call indices to fault: every index when maxRuns is 0 or not smaller than the number of
// calls; otherwise the first call of every distinct (line, member) site, then more indices
// spread evenly over the rest, maxRuns in all (the sites alone spread evenly when they are
// more than maxRuns).
std::vector<uint64_t> ChooseCallIndices(const std::vector<SweepCall>& calls, uint64_t maxRuns);

// The call indices of a seeded sample: the first call of every distinct (line, member) site,
// and each other call when the seed, the file and the call's index hash below share (0..1). The
// same seed and file give the same indices on every machine.
std::vector<uint64_t> ChooseSampledIndices(const std::vector<SweepCall>& calls, double share,
                                           const std::string& seed, const std::string& file);

// Counts and records the host calls of the scenario text run unchanged.
std::vector<SweepCall> RecordHostCalls(const std::string& text, const std::string& name,
                                       bool* passed = nullptr, std::string* failure = nullptr);

// Runs the scenario text once with host call k failing (k = 0: no fault) in this process.
SweepRun RunWithFault(const std::string& text, const std::string& name, uint64_t k);

ScenarioSweep SweepScenarioFile(const std::string& path, const SweepOptions& options);

}  // namespace sim
