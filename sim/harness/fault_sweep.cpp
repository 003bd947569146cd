#include "sim/harness/fault_sweep.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "automation/error.h"
#include "sim/host/database.h"
#include "sim/harness/harness.h"
#include "sim/host/host.h"
#include "sim/harness/scenario.h"

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace sim {

// ---- database invariants ---------------------------------------------------------------------

namespace {

int64_t AsId(const ax::Variant& v) {
  if (v.isNull() || v.isEmpty()) return 0;
  try {
    return static_cast<int64_t>(ax::CDbl(v));
  } catch (const ax::AutomationError&) {
    return 0;
  }
}

std::string Text(const ax::Variant& v) { return v.isNull() ? "NULL" : ax::DisplayText(v); }

// The rows of a query, or none when a table it reads does not exist.
Rows TryQuery(Database& db, const std::string& sql) {
  try {
    return db.QueryNative(sql);
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace

InvariantChecker::InvariantChecker(Database& db) : db_(db) { Rebase(); }

void InvariantChecker::Rebase() {
  bkCommit_.clear();
  known_.clear();
  for (const auto& r : TryQuery(db_, "SELECT FID, FBKCommit FROM t_scTransfer").data)
    bkCommit_[AsId(r[0])] = AsId(r[1]);
  for (const auto& v : Structural()) known_.insert(v.key);
}

std::vector<InvariantChecker::Violation> InvariantChecker::Structural() {
  std::vector<Violation> out;
  Rows orphans = TryQuery(db_,
      "SELECT v.FVoucherID, v.FParameter FROM t_Voucher v WHERE v.FParameter > 0 AND NOT EXISTS "
      "(SELECT 1 FROM t_scTransfer b WHERE b.FID = v.FParameter) ORDER BY v.FVoucherID");
  for (const auto& r : orphans.data)
    out.push_back({"orphan voucher " + Text(r[0]),
                   "voucher " + Text(r[0]) + " remains for bill " + Text(r[1]) +
                       ", which was deleted"});
  Rows billSide = TryQuery(db_,
      "SELECT b.FID, b.FBillNo, b.FVoucherID, v.FVoucherID, v.FParameter FROM t_scTransfer b "
      "LEFT JOIN t_Voucher v ON v.FVoucherID = b.FVoucherID WHERE b.FVoucherID > 0 AND "
      "(v.FVoucherID IS NULL OR v.FParameter IS NULL OR v.FParameter <> b.FID) ORDER BY b.FID");
  for (const auto& r : billSide.data) {
    std::string bill = "bill " + Text(r[1]) + " (FID " + Text(r[0]) + ")";
    out.push_back({"bill link " + Text(r[0]),
                   r[3].isNull() ? bill + " points at voucher " + Text(r[2]) + ", which does not exist"
                                 : bill + " points at voucher " + Text(r[2]) + ", which names bill " +
                                       Text(r[4])});
  }
  Rows voucherSide = TryQuery(db_,
      "SELECT v.FVoucherID, b.FID, b.FBillNo, b.FVoucherID FROM t_Voucher v JOIN t_scTransfer b "
      "ON b.FID = v.FParameter WHERE v.FParameter > 0 AND b.FVoucherID <> v.FVoucherID "
      "ORDER BY v.FVoucherID");
  for (const auto& r : voucherSide.data)
    out.push_back({"voucher link " + Text(r[0]),
                   "voucher " + Text(r[0]) + " names bill " + Text(r[2]) + " (FID " + Text(r[1]) +
                       "), which points at voucher " + Text(r[3])});
  Rows receipts = TryQuery(db_,
      "SELECT r.FRecSettID, r.FTransBillID FROM t_scRecSett r WHERE r.FTransBillID > 0 AND NOT "
      "EXISTS (SELECT 1 FROM t_scTransfer b WHERE b.FID = r.FTransBillID) ORDER BY r.FRecSettID");
  for (const auto& r : receipts.data)
    out.push_back({"receipt " + Text(r[0]), "receipt " + Text(r[0]) + " points at bill " +
                                                Text(r[1]) + ", which does not exist"});
  return out;
}

std::vector<std::string> InvariantChecker::Check() {
  std::vector<std::string> out;
  // A bank payment, once seen, makes the bill's FBKCommit legitimate for the rest of the run:
  // withdrawing it may remove the payment row and leaves FBKCommit as it is.
  for (const auto& r : TryQuery(db_,
           "SELECT b.FID FROM t_scTransfer b JOIN t_BK_Payment p ON p.FSource = 'SCTransfer' AND "
           "p.FSourceNumber = b.FBillNo AND p.FInterID > 0").data)
    paid_.insert(AsId(r[0]));
  for (const auto& r : TryQuery(db_,
           "SELECT FID, FBillNo FROM t_scTransfer WHERE FBKCommit = FID ORDER BY FID").data) {
    int64_t fid = AsId(r[0]);
    auto was = bkCommit_.find(fid);
    if (was != bkCommit_.end() && was->second == fid) continue;
    if (saved_.count(fid) || paid_.count(fid)) continue;
    out.push_back("bill " + Text(r[1]) + " (FID " + Text(r[0]) +
                  ") got FBKCommit = FID without a save or a bank payment");
  }
  for (auto& v : Structural())
    if (!known_.count(v.key)) out.push_back(std::move(v.text));
  return out;
}

// ---- choosing the calls to fault --------------------------------------------------------------

namespace {

std::vector<uint64_t> Spread(const std::vector<uint64_t>& from, uint64_t count) {
  std::vector<uint64_t> out;
  if (count == 0 || from.empty()) return out;
  if (count >= from.size()) return from;
  for (uint64_t i = 0; i < count; ++i) out.push_back(from[i * from.size() / count]);
  return out;
}

// The first call of every distinct (line, member) site, and the other calls, by index.
void SplitAtSites(const std::vector<SweepCall>& calls, std::vector<uint64_t>& firsts,
                  std::vector<uint64_t>& rest) {
  std::set<std::pair<int, std::string>> seen;
  for (uint64_t i = 1; i <= calls.size(); ++i) {
    const SweepCall& c = calls[i - 1];
    (seen.insert({c.line, c.member}).second ? firsts : rest).push_back(i);
  }
}

// FNV-1a over the text, then a SplitMix64 finish with the index: the same on every machine.
uint64_t SampleHash(const std::string& text, uint64_t index) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
  uint64_t z = h + index * 0x9e3779b97f4a7c15ull;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

}  // namespace

std::vector<uint64_t> ChooseSampledIndices(const std::vector<SweepCall>& calls, double share,
                                           const std::string& seed, const std::string& file) {
  std::vector<uint64_t> out, rest;
  SplitAtSites(calls, out, rest);
  const std::string key = seed + '\n' + file;
  // The top 53 bits as a fraction in [0, 1).
  for (uint64_t k : rest)
    if (static_cast<double>(SampleHash(key, k) >> 11) * 0x1.0p-53 < share) out.push_back(k);
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<uint64_t> ChooseCallIndices(const std::vector<SweepCall>& calls, uint64_t maxRuns) {
  std::vector<uint64_t> all;
  for (uint64_t i = 1; i <= calls.size(); ++i) all.push_back(i);
  if (maxRuns == 0 || calls.size() <= maxRuns) return all;
  std::vector<uint64_t> firsts, rest;
  SplitAtSites(calls, firsts, rest);
  if (firsts.size() >= maxRuns) return Spread(firsts, maxRuns);
  std::vector<uint64_t> out = firsts;
  for (uint64_t k : Spread(rest, maxRuns - firsts.size())) out.push_back(k);
  std::sort(out.begin(), out.end());
  return out;
}

// ---- running a scenario with one failing call -------------------------------------------------

namespace {

std::vector<std::string>* g_foreign = nullptr;

void CountForeign(const char* what) {
  if (g_foreign && g_foreign->size() < 20) g_foreign->push_back(what ? what : "");
}

// Bills the host saved, from its transcript ("window 2: saved bill HB000006 (FID 6)").
void CollectSaves(const Transcript& transcript, size_t& readPos, InvariantChecker& checker) {
  const auto& entries = transcript.Entries();
  for (; readPos < entries.size(); ++readPos) {
    const TranscriptEntry& e = entries[readPos];
    if (e.channel != Channel::Host || e.text.find(": saved bill ") == std::string::npos) continue;
    size_t at = e.text.rfind("(FID ");
    if (at == std::string::npos) continue;
    checker.NoteSave(std::atoll(e.text.c_str() + at + 5));
  }
}

// Plays the file's commands against a host. onCall sees every counted call with the current
// line; after every command, afterCommand(line, commandWord).
template <class AfterCommand>
void PlayLines(Harness& harness, const std::string& text, const std::string& name, int& lineNo,
               SweepRun* run, AfterCommand&& afterCommand, std::string* firstFailure) {
  ScenarioRun scenario(harness.host(), harness);
  ForEachScriptLine(text, name, lineNo, [&](const ScriptLine& line) {
    LineOutcome outcome = scenario.Line(line);
    if (run && !outcome.internal.empty()) run->escaped.push_back(line.where + ": " + outcome.internal);
    if (!outcome.failure.empty() && firstFailure && firstFailure->empty())
      *firstFailure = line.where + ": " + line.text + "\n    " + outcome.failure;
    afterCommand(line.number, outcome.word);
    return true;
  });
}

}  // namespace

std::vector<SweepCall> RecordHostCalls(const std::string& text, const std::string& name,
                                       bool* passed, std::string* failure) {
  std::vector<SweepCall> calls;
  std::string first;
  {
    int lineNo = 0;  // before the host: its hook reads it until the host is gone
    Host host;
    Harness harness(host);
    harness.faults().SetHook([&](uint64_t, std::string_view object, std::string_view member) {
      calls.push_back({std::string(object) + "." + std::string(member), lineNo});
    });
    PlayLines(harness, text, name, lineNo, nullptr, [](int, const std::string&) {}, &first);
    lineNo = 0;  // calls made while the windows close belong to no line
    host.CloseAll();
    harness.faults().SetHook({});
  }
  if (passed) *passed = first.empty();
  if (failure) *failure = first;
  return calls;
}

SweepRun RunWithFault(const std::string& text, const std::string& name, uint64_t k) {
  SweepRun run;
  run.k = k;
  std::vector<std::string> foreign;
  g_foreign = &foreign;
  ax::SetForeignExceptionObserver(&CountForeign);
  int lineNo = 0;  // before the host: its hook reads it until the host is gone
  try {
    Host host;
    Harness harness(host);
    harness.faults().SetHook([&](uint64_t index, std::string_view object, std::string_view member) {
      if (index == k) run.call = {std::string(object) + "." + std::string(member), lineNo};
    });
    harness.faults().FailAt(k);
    InvariantChecker checker(host.Db());
    size_t readPos = 0;
    std::set<std::string> reported;
    auto check = [&](const std::string& where) {
      CollectSaves(host.transcript(), readPos, checker);
      for (auto& v : checker.Check())
        if (reported.insert(v).second) run.violations.push_back(where + ": " + v);
    };
    PlayLines(
        harness, text, name, lineNo, &run,
        [&](int line, const std::string& word) {
          // The file's own data set-up is the new starting point.
          if (word == "database" || word == "sql") checker.Rebase();
          check(name + ":" + std::to_string(line));
        },
        nullptr);
    lineNo = 0;
    try {
      host.CloseAll();
    } catch (const std::exception& e) {
      run.escaped.push_back(name + ": closing the windows: " + e.what());
    }
    check(name + ": after closing the windows");
  } catch (const std::exception& e) {
    run.escaped.push_back(name + ": " + e.what());
  }
  ax::SetForeignExceptionObserver(nullptr);
  g_foreign = nullptr;
  run.foreign = std::move(foreign);
  return run;
}

// ---- the sweep of one file --------------------------------------------------------------------

size_t ScenarioSweep::Survived() const {
  return static_cast<size_t>(std::count_if(runs.begin(), runs.end(),
                                           [](const SweepRun& r) { return r.outcome.empty(); }));
}
size_t ScenarioSweep::Crashed() const { return runs.size() - Survived() + (baseline.outcome.empty() ? 0 : 1); }
size_t ScenarioSweep::Foreign() const {
  size_t n = (!baseline.foreign.empty() || !baseline.escaped.empty()) ? 1 : 0;
  for (const auto& r : runs) n += (!r.foreign.empty() || !r.escaped.empty()) ? 1 : 0;
  return n;
}
size_t ScenarioSweep::Violations() const {
  size_t n = baseline.violations.size();
  for (const auto& r : runs) n += r.violations.size();
  return n;
}

namespace {

#ifndef _WIN32

std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  return s;
}

// A run in a child process: its findings come back through a pipe, one per line.
struct Child {
  pid_t pid = -1;
  int fd = -1;
  uint64_t k = 0;
};

Child Start(const std::string& text, const std::string& name, uint64_t k, unsigned timeout) {
  std::cout.flush();
  std::cerr.flush();
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    close(fds[0]);
    alarm(timeout);
    SweepRun run = RunWithFault(text, name, k);
    std::string out = "C\t" + OneLine(run.call.member) + "\t" + std::to_string(run.call.line) + "\n";
    for (const auto& f : run.foreign) out += "F\t" + OneLine(f) + "\n";
    for (const auto& e : run.escaped) out += "E\t" + OneLine(e) + "\n";
    for (const auto& v : run.violations) out += "V\t" + OneLine(v) + "\n";
    out += "END\n";
    size_t done = 0;
    while (done < out.size()) {
      ssize_t n = write(fds[1], out.data() + done, out.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    close(fds[1]);
    _exit(0);
  }
  close(fds[1]);
  return {pid, fds[0], k};
}

SweepRun Finish(const Child& child, unsigned timeout) {
  std::string data;
  char buf[4096];
  for (;;) {
    ssize_t n = read(child.fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  close(child.fd);
  int status = 0;
  while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
  }
  SweepRun run;
  run.k = child.k;
  bool ended = false;
  std::istringstream in(data);
  std::string line;
  while (std::getline(in, line)) {
    if (line == "END") {
      ended = true;
      continue;
    }
    size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::string tag = line.substr(0, tab), rest = line.substr(tab + 1);
    if (tag == "C") {
      size_t t2 = rest.rfind('\t');
      run.call.member = rest.substr(0, t2);
      run.call.line = t2 == std::string::npos ? 0 : std::atoi(rest.c_str() + t2 + 1);
    } else if (tag == "F") {
      run.foreign.push_back(rest);
    } else if (tag == "E") {
      run.escaped.push_back(rest);
    } else if (tag == "V") {
      run.violations.push_back(rest);
    }
  }
  if (WIFSIGNALED(status)) {
    int sig = WTERMSIG(status);
    run.outcome = sig == SIGALRM ? "hung: still running after " + std::to_string(timeout) + " s"
                                 : "crashed: signal " + std::to_string(sig) + " (" + strsignal(sig) + ")";
  } else if (!ended || (WIFEXITED(status) && WEXITSTATUS(status) != 0)) {
    run.outcome = "crashed: exit status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  }
  return run;
}

#endif

void Report(std::ostream* out, const std::string& file, const SweepRun& run) {
  if (!out) return;
  std::string head = "  FAULT " + file + ": " +
                     (run.k ? "call " + std::to_string(run.k) + " (" + run.call.member + ", line " +
                                  std::to_string(run.call.line) + ") failing"
                            : std::string("the unchanged run"));
  if (!run.outcome.empty()) *out << head << ": " << run.outcome << "\n";
  for (const auto& f : run.foreign) *out << head << ": foreign exception contained: " << f << "\n";
  for (const auto& e : run.escaped) *out << head << ": exception reached the host: " << e << "\n";
  for (const auto& v : run.violations) *out << head << ": invariant broken after " << v << "\n";
}

}  // namespace

ScenarioSweep SweepScenarioFile(const std::string& path, const SweepOptions& options) {
  ScenarioSweep sweep;
  sweep.file = path;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    sweep.baselineFailure = path + ": cannot read the file";
    sweep.baseline.outcome = "cannot read the file";
    return sweep;
  }
  std::ostringstream buf;
  buf << in.rdbuf();
  const std::string text = buf.str();

  std::vector<SweepCall> calls =
      RecordHostCalls(text, path, &sweep.baselinePassed, &sweep.baselineFailure);
  sweep.calls = calls.size();
  std::set<std::pair<int, std::string>> sites;
  for (const auto& c : calls) sites.insert({c.line, c.member});
  sweep.sites = sites.size();
  std::vector<uint64_t> chosen =
      options.sampleShare > 0
          ? ChooseSampledIndices(calls, options.sampleShare, options.seed,
                                 std::filesystem::path(path).filename().string())
          : ChooseCallIndices(calls, options.maxRuns);

  auto accept = [&](SweepRun run) {
    if (run.k > 0 && run.k <= calls.size()) {
      const SweepCall& expected = calls[run.k - 1];
      run.deviated = run.outcome.empty() &&
                     (run.call.member != expected.member || run.call.line != expected.line);
      if (run.call.member.empty()) run.call = expected;
    }
    if (options.progress && options.verbose)
      *options.progress << "    run k=" << run.k << " " << run.call.member << " line "
                        << run.call.line << (run.Clean() ? " ok" : " FINDINGS") << "\n";
    Report(options.progress, path, run);
    if (run.k == 0)
      sweep.baseline = std::move(run);
    else
      sweep.runs.push_back(std::move(run));
  };

  std::vector<uint64_t> order;
  order.push_back(0);  // the unchanged run's own invariants and exceptions
  order.insert(order.end(), chosen.begin(), chosen.end());
#ifndef _WIN32
  if (options.isolate) {
    std::deque<Child> running;
    size_t next = 0;
    int jobs = std::max(1, options.jobs);
    while (next < order.size() || !running.empty()) {
      while (next < order.size() && static_cast<int>(running.size()) < jobs)
        running.push_back(Start(text, path, order[next++], options.timeoutSeconds));
      Child oldest = running.front();
      running.pop_front();
      accept(Finish(oldest, options.timeoutSeconds));
    }
  } else
#endif
  {
    for (uint64_t k : order) accept(RunWithFault(text, path, k));
  }
  std::sort(sweep.runs.begin(), sweep.runs.end(),
            [](const SweepRun& a, const SweepRun& b) { return a.k < b.k; });
  return sweep;
}

}  // namespace sim
