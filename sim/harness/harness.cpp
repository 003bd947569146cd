#include "sim/harness/harness.h"

#include <algorithm>

#include "automation/error.h"
#include "automation/form.h"
#include "automation/runtime.h"
#include "sim/harness/contract.h"
#include "sim/host/host.h"

namespace sim {

// ---- the fault plan ---------------------------------------------------------------------------

void FaultPlan::Plant(std::string objectName, std::string member, std::string description,
                      int32_t number, int32_t skip) {
  if (description.empty()) description = objectName + "." + member + " failed";
  planted_.push_back(
      {std::move(objectName), std::move(member), std::move(description), number, skip});
}

void FaultPlan::BeforeCall(Host& host, std::string_view objectName, std::string_view member) {
  ++count_;
  if (hook_) hook_(count_, objectName, member);
  if (failAt_ != 0 && count_ == failAt_) {
    std::string what = std::string(objectName) + "." + std::string(member);
    host.Note(Channel::Error, "injected failure of call " + std::to_string(count_) + " (" + what + ")");
    throw ax::AutomationError(ax::err::kAppDefined, "Injected failure of " + what,
                              std::string(objectName));
  }
  for (auto it = planted_.begin(); it != planted_.end(); ++it) {
    if (ax::EqualsNoCase(it->object, objectName) && ax::EqualsNoCase(it->member, member)) {
      if (it->skip > 0) {
        --it->skip;
        continue;
      }
      Planted p = *it;
      planted_.erase(it);
      host.Note(Channel::Error, "planted failure of " + p.object + "." + p.member + ": " + p.description);
      throw ax::AutomationError(p.number, p.description, std::string(objectName));
    }
  }
}

// ---- the harness ------------------------------------------------------------------------------

Harness::Harness(Host& host) : host_(host) {
  host_.Attend(this);
  RegisterFormPlayers(*this);
  RegisterWorkChecks(*this);
}

std::string Harness::CheckWork() {
  for (auto& [check, rebase] : workChecks_)
    if (std::string wrong = check(*this); !wrong.empty()) return wrong;
  return {};
}

void Harness::RebaseWork() {
  for (auto& [check, rebase] : workChecks_)
    if (rebase) rebase(*this);
}

Harness::~Harness() { host_.Attend(nullptr); }

std::string Harness::ScenarioFile() const {
  size_t colon = where_.rfind(':');
  return colon == std::string::npos ? where_ : where_.substr(0, colon);
}

void Harness::Fail(const std::string& what) {
  if (!failure_) failure_ = what;
  host_.Note(Channel::Error, "scenario failure: " + what);
  throw ax::AutomationError(ax::err::kInternal, what, "sctav");
}

std::optional<std::string> Harness::TakeFailure() {
  auto f = std::move(failure_);
  failure_.reset();
  return f;
}

void Harness::BeforeCall(std::string_view objectName, std::string_view className,
                         std::string_view member, unsigned kind, const ax::Args& args) {
  faults_.BeforeCall(host_, objectName, member);
  if (contract_) contract_->Note(objectName, className, member, kind, args, ScenarioFile());
}

// ---- the scripted user ------------------------------------------------------------------------

void Harness::QueueReply(Reply reply) { replies_.push_back(std::move(reply)); }

Reply Harness::TakeReply(std::string_view kind, std::string_view what) {
  for (auto it = replies_.begin(); it != replies_.end(); ++it) {
    if (it->kind == kind) {
      Reply r = std::move(*it);
      replies_.erase(it);
      return r;
    }
  }
  Fail("no answer queued for " + std::string(what));
}

std::optional<Reply> Harness::TakeReplyIf(std::string_view kind,
                                          const std::function<bool(const Reply&)>& fits) {
  for (auto it = replies_.begin(); it != replies_.end(); ++it) {
    if (it->kind == kind && fits(*it)) {
      Reply r = std::move(*it);
      replies_.erase(it);
      return r;
    }
  }
  return std::nullopt;
}

std::optional<Reply> Harness::AnswerIfReady(std::string_view kind) {
  if (QueuedReplies(kind) == 0) return std::nullopt;
  return TakeReply(kind, kind);
}

size_t Harness::QueuedReplies(std::string_view kind) const {
  return static_cast<size_t>(
      std::count_if(replies_.begin(), replies_.end(), [&](const Reply& r) { return r.kind == kind; }));
}

std::vector<std::string> Harness::UnusedReplies() const {
  std::vector<std::string> out;
  for (const auto& r : replies_) out.push_back(r.kind + " " + r.verb + " (" + r.where + ")");
  return out;
}

void Harness::RegisterFormPlayer(std::string formName, FormPlayer player) {
  for (auto& [name, p] : players_) {
    if (ax::EqualsNoCase(name, formName)) {
      p = std::move(player);
      return;
    }
  }
  players_.emplace_back(std::move(formName), std::move(player));
}

void Harness::PlayForm(Host&, ax::Form& form, bool keysPressed) {
  for (const auto& [name, player] : players_) {
    if (ax::EqualsNoCase(name, form.Name())) {
      if (!keysPressed) PressQueuedKeys(*this, form);
      // A key confirmed or closed it: nothing is left to answer.
      if (!form.visible || !form.loaded) return;
      if (ViewAndClose(*this, form)) return;
      player(*this, form);
      return;
    }
  }
  Fail("not available yet: " + form.Name());
}

namespace {

int ButtonOf(const std::string& verb) {
  if (verb == "yes") return ax::mb::kIdYes;
  if (verb == "no") return ax::mb::kIdNo;
  if (verb == "ok") return ax::mb::kIdOk;
  if (verb == "cancel") return ax::mb::kIdCancel;
  return 0;
}

bool Fits(int buttons, int id) {
  switch (buttons) {
    case ax::mb::kOkCancel: return id == ax::mb::kIdOk || id == ax::mb::kIdCancel;
    case ax::mb::kYesNoCancel: return id == ax::mb::kIdYes || id == ax::mb::kIdNo || id == ax::mb::kIdCancel;
    case ax::mb::kYesNo: return id == ax::mb::kIdYes || id == ax::mb::kIdNo;
    case 5: return id == ax::mb::kIdCancel;  // retry / cancel: only cancel can be scripted
    default: return false;
  }
}

}  // namespace

int Harness::Question(const std::string& text, int flags, const std::string&) {
  Reply r = TakeReply("answer", "the question \"" + text + "\"");
  if (r.hasText && host_.Shown(r.text) != text)
    Fail("the question asked was \"" + text + "\", but the answer queued at " + r.where +
         " is for \"" + host_.Shown(r.text) + "\"");
  int id = ButtonOf(r.verb);
  if (!Fits(flags & 0xF, id))
    Fail("the answer " + r.verb + " (" + r.where + ") does not fit the buttons of \"" + text + "\"");
  return id;
}

}  // namespace sim
