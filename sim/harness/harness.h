// The harness: the instructor's console at the simulated host. It attends one host (see
// sim/host/attendant.h) for as long as it lives and is everything the host is not:
//
//   - the scripted user: the answers queued by a scenario (one FIFO per kind), the questions
//     they answer, and the players that fill the plug-in's modal forms from them;
//   - what the user saw, read back by scenarios: messages and result displays, errors the host
//     reported, recorded component calls, SQL the plug-in sent, loader keys and raised errors;
//   - the fault plan, the one funnel every host call passes through: it counts the calls, raises
//     the failures a scenario planted (`fail <object>.<member>`) and the one the sweep asks for
//     (call k), and runs the sweep's hook;
//   - the contract log and the scenario failure (the first one counts) with where it happened.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/host/attendant.h"

namespace sim {

class ContractLog;

// A failure of the scenario itself (an expectation that does not hold, a missing answer, a
// command that cannot run). The runner reports it with file and line.
class ScenarioFailure : public std::runtime_error {
 public:
  explicit ScenarioFailure(const std::string& what) : std::runtime_error(what) {}
};

// Counts every call into the host and makes the calls fail that the run asks to fail.
class FaultPlan {
 public:
  // `fail <object>.<member> ["<description>"] [<number>] [skip <n>]`: the next such call (or,
  // with skip, the one after n more such calls) raises the error.
  void Plant(std::string objectName, std::string member, std::string description, int32_t number,
             int32_t skip = 0);
  // Makes counted call number k (1-based) fail with an automation error; 0 turns it off.
  void FailAt(uint64_t k) { failAt_ = k; }
  // Run at every counted call with its 1-based index; may throw ax::AutomationError.
  using Hook = std::function<void(uint64_t, std::string_view, std::string_view)>;
  void SetHook(Hook hook) { hook_ = std::move(hook); }
  uint64_t Count() const { return count_; }

  // The funnel: counts the call, runs the hook and raises the failure planned for it (noted in
  // the host's transcript).
  void BeforeCall(Host& host, std::string_view objectName, std::string_view member);

 private:
  struct Planted {
    std::string object, member, description;
    int32_t number;
    int32_t skip;  // such calls still let through before the failing one
  };
  uint64_t count_ = 0;
  uint64_t failAt_ = 0;
  Hook hook_;
  std::vector<Planted> planted_;
};

class Harness : public Attendant {
 public:
  // Attends host from now on; the players of the plug-in's forms are registered.
  explicit Harness(Host& host);
  ~Harness() override;
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;

  Host& host() const { return host_; }
  FaultPlan& faults() { return faults_; }

  // ---- where the script is, and its failure ------------------------------------------------
  void SetWhere(std::string where) { where_ = std::move(where); }
  const std::string& Where() const { return where_; }
  std::string ScenarioFile() const;  // the file part of Where()
  // Records a failure of the scenario (the first one counts) and raises an automation error so
  // that the plug-in's code unwinds; the runner stops the file after the current command.
  [[noreturn]] void Fail(const std::string& what);
  std::optional<std::string> TakeFailure();
  // While set, every call the plug-in makes into a host object is noted in the host contract.
  void SetContractLog(ContractLog* log) { contract_ = log; }
  ContractLog* Contract() const { return contract_; }

  // ---- the scripted user ---------------------------------------------------------------------
  void QueueReply(Reply reply);
  // The next answer of that kind; fails the run with "no answer queued for <what>".
  Reply TakeReply(std::string_view kind, std::string_view what);
  // The first answer of that kind that fits, taken from the queue; none when none fits.
  std::optional<Reply> TakeReplyIf(std::string_view kind, const std::function<bool(const Reply&)>& fits);
  size_t QueuedReplies(std::string_view kind) const;
  // Answers left over at the end of a file, as "kind verb (file:line)".
  std::vector<std::string> UnusedReplies() const;
  // Who fills a modal form of the plug-in's, by form name.
  using FormPlayer = std::function<void(Harness&, ax::Form&)>;
  void RegisterFormPlayer(std::string formName, FormPlayer player);

  // ---- checks of the plug-in's work ---------------------------------------------------------
  // What must be true of what the plug-in did (an order has every key the bank maps, a voucher
  // balances): each check answers "" or what is wrong; CheckWork runs them all after every
  // command. RebaseWork, after a file's own data set-up, takes what is there as given.
  using WorkCheck = std::function<std::string(Harness&)>;
  using WorkRebase = std::function<void(Harness&)>;
  void AddWorkCheck(WorkCheck check, WorkRebase rebase = {}) {
    workChecks_.push_back({std::move(check), std::move(rebase)});
  }
  std::string CheckWork();
  void RebaseWork();

  // ---- what the user saw ---------------------------------------------------------------------
  std::deque<ShownMessage>& Messages() { return messages_; }
  const std::vector<ax::AutomationError>& Errors() const { return errors_; }
  std::deque<RecordedCall>& Calls() { return calls_; }
  const std::vector<std::string>& SentSql() const { return sql_; }
  // Every key the resource loader was asked for, and every error description the host raised
  // to the plug-in (a host text, which the plug-in may hand to the loader as well).
  const std::set<std::string>& LoaderKeys() const { return loaderKeys_; }
  const std::set<std::string>& RaisedDescriptions() const { return raised_; }

  // ---- Attendant -----------------------------------------------------------------------------
  void BeforeCall(std::string_view objectName, std::string_view className, std::string_view member,
                  unsigned kind, const ax::Args& args) override;
  void Raised(const std::string& description) override { raised_.insert(description); }
  Reply Answer(std::string_view kind, std::string_view what) override { return TakeReply(kind, what); }
  std::optional<Reply> AnswerIfReady(std::string_view kind) override;
  int Question(const std::string& text, int flags, const std::string& title) override;
  void PlayForm(Host& host, ax::Form& form, bool keysPressed) override;
  [[noreturn]] void Unplayable(const std::string& what) override { Fail(what); }
  void Shown(ShownMessage message) override { messages_.push_back(std::move(message)); }
  void Reported(const ax::AutomationError& error) override { errors_.push_back(error); }
  void Recorded(RecordedCall call) override { calls_.push_back(std::move(call)); }
  void SqlSent(std::string_view, const std::string& sql) override { sql_.push_back(sql); }
  void LoaderAsked(const std::string& key) override { loaderKeys_.insert(key); }

 private:
  Host& host_;
  FaultPlan faults_;
  ContractLog* contract_ = nullptr;
  std::optional<std::string> failure_;
  std::string where_;

  std::deque<Reply> replies_;
  std::vector<std::pair<std::string, FormPlayer>> players_;
  std::vector<std::pair<WorkCheck, WorkRebase>> workChecks_;

  std::deque<ShownMessage> messages_;
  std::vector<ax::AutomationError> errors_;
  std::deque<RecordedCall> calls_;
  std::vector<std::string> sql_;
  std::set<std::string> loaderKeys_;
  std::set<std::string> raised_;
};

// Registers the players of the plug-in's modal forms (sim/harness/players/) and the checks of
// the plug-in's work on the host's components (sim/harness/component_commands.cpp).
void RegisterFormPlayers(Harness& harness);
void RegisterWorkChecks(Harness& harness);
// The keys queued with `press` for this form go down, before its player answers it.
void PressQueuedKeys(Harness& harness, ax::Form& form);
// One key of those: taken from the queue, then what became of it noted (the outcome as the
// transcript says it) for `expect key`. Used where the form's own window takes the key.
struct QueuedKey {
  int16_t keyCode = 0;
  int16_t shift = 0;
};
std::optional<QueuedKey> TakeQueuedKey(Harness& harness, const std::string& formName);
void NoteKey(Harness& harness, const std::string& formName, const QueuedKey& key, const char* outcome,
             bool handled);
// Where the focus is in the form (a control's name, "" for none): as it opens, then after a key.
void NoteFocus(const std::string& formName, const std::string& control, bool opening);
// Then the queued resizes; what the form shows is noted for `expect form`. True when the user
// closed it with its close box instead of answering it.
bool ViewAndClose(Harness& harness, ax::Form& form);

}  // namespace sim
