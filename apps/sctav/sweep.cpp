#include "sweep.h"

#include <cstdlib>
#include <iostream>

#include "sim/harness/fault_sweep.h"

namespace {

const char* kSweepUsage = R"(usage: sctav sweep [--max-runs N | --sample P [--seed S]] [--jobs N] [--timeout S]
                   [--in-process] [-v] FILE...

The fault-injection sweep. Each scenario file runs once unchanged, which counts its host calls
(every member call on a host object and every component creation), then once per call index k
with call k failing with an automation error, each run in a child process of its own. A run
fails the sweep when the process crashes or hangs, when an exception other than an automation
error reached a plug-in entry point or the host, or when a database invariant breaks: a bill's
FBKCommit becomes its FID without a save or a bank payment, a voucher remains for a deleted
bill, a bill and a voucher are linked one way only, or a receipt points at a missing bill.
The scenario's own expectations may fail once a call failed; that is not counted.

options:
  --max-runs N    at most N faulted runs per file (default: every call): the first call of
                  every distinct (line, member) site, then calls spread evenly over the rest
  --sample P      the first call of every site, and P percent of the other calls, picked by
                  the seed: the same seed picks the same runs, so a finding can be replayed
  --seed S        any text (default "0"); CI gives the commit
  --jobs N        runs at the same time (default 1)
  --timeout S     a run still going after S seconds counts as hung (default 60)
  --in-process    no child processes (for a debugger; a crash then ends the sweep)
  -v, --verbose   one line per run
  -h, --help      this text

Prints one line per file and one per finding, then the totals. Exit status: 0 when no run
found anything, 1 otherwise, 2 for wrong usage.
)";

bool Number(const std::vector<std::string>& args, size_t& i, long& out) {
  if (i + 1 >= args.size()) return false;
  char* end = nullptr;
  out = std::strtol(args[i + 1].c_str(), &end, 10);
  if (!end || *end || out < 0) return false;
  ++i;
  return true;
}

}  // namespace

int SweepCommand(const std::vector<std::string>& args) {
  sim::SweepOptions options;
  options.progress = &std::cout;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    long n = 0;
    if (a == "-h" || a == "--help") {
      std::cout << kSweepUsage;
      return 0;
    } else if (a == "-v" || a == "--verbose") {
      options.verbose = true;
    } else if (a == "--sample") {
      char* end = nullptr;
      double p = i + 1 < args.size() ? std::strtod(args[i + 1].c_str(), &end) : -1;
      if (!end || *end || !(p > 0 && p <= 100)) {
        std::cerr << "sctav sweep: --sample needs a percentage above 0, at most 100\n" << kSweepUsage;
        return 2;
      }
      options.sampleShare = p / 100;
      ++i;
    } else if (a == "--seed") {
      if (i + 1 >= args.size()) {
        std::cerr << "sctav sweep: --seed needs a text\n" << kSweepUsage;
        return 2;
      }
      options.seed = args[++i];
    } else if (a == "--in-process") {
      options.isolate = false;
    } else if (a == "--max-runs" || a == "--jobs" || a == "--timeout") {
      if (!Number(args, i, n)) {
        std::cerr << "sctav sweep: " << a << " needs a number\n" << kSweepUsage;
        return 2;
      }
      if (a == "--max-runs") options.maxRuns = static_cast<uint64_t>(n);
      if (a == "--jobs") options.jobs = static_cast<int>(n);
      if (a == "--timeout") options.timeoutSeconds = static_cast<unsigned>(n);
    } else if (a.size() > 1 && a[0] == '-') {
      std::cerr << "sctav sweep: unknown option " << a << "\n" << kSweepUsage;
      return 2;
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) {
    std::cerr << "sctav sweep: no scenario file given\n" << kSweepUsage;
    return 2;
  }
  if (options.sampleShare > 0 && options.maxRuns > 0) {
    std::cerr << "sctav sweep: --sample and --max-runs exclude each other\n" << kSweepUsage;
    return 2;
  }
  if (options.seed.empty()) options.seed = "0";
  if (options.sampleShare > 0)
    std::cout << "sweep: a sample of " << options.sampleShare * 100 << "% beside every site, seed "
              << options.seed << "\n";
  uint64_t calls = 0;
  size_t runs = 0, survived = 0, crashed = 0, foreign = 0, violations = 0, deviated = 0;
  size_t unpassed = 0;
  for (const auto& file : files) {
    sim::ScenarioSweep s = sim::SweepScenarioFile(file, options);
    size_t dev = 0;
    for (const auto& r : s.runs) dev += r.deviated ? 1 : 0;
    std::cout << "sweep " << file << ": " << s.calls << " host calls at " << s.sites
              << " sites, " << s.runs.size() << " runs, " << s.Survived() << " survived, "
              << s.Crashed() << " crashed or hung, " << s.Foreign()
              << " with foreign exceptions, " << s.Violations() << " invariant violations"
              << (dev ? ", " + std::to_string(dev) + " runs took another path" : std::string())
              << (s.baselinePassed ? "" : " (the file fails unchanged)") << "\n";
    if (!s.baselinePassed) ++unpassed;
    calls += s.calls;
    runs += s.runs.size();
    survived += s.Survived();
    crashed += s.Crashed();
    foreign += s.Foreign();
    violations += s.Violations();
    deviated += dev;
  }
  std::cout << "totals: " << files.size() << " scenarios, " << calls << " host calls, " << runs
            << " faulted runs, " << survived << " faults survived, " << crashed
            << " crashes or hangs, " << foreign << " runs with foreign exceptions, "
            << violations << " invariant violations";
  if (deviated) std::cout << ", " << deviated << " runs took another path before the fault";
  if (unpassed) std::cout << ", " << unpassed << " files fail even unchanged";
  std::cout << "\n";
  return crashed == 0 && foreign == 0 && violations == 0 ? 0 : 1;
}
