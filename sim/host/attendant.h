// Whoever attends the simulated host: the person at its screen, who answers its questions and
// fills its dialogs, the bank at the other end of its link, and the eyes that read what it shows.
// The host knows nothing of who that is or why; it hands every call the plug-in makes into it,
// every answer it needs and everything it shows to its attendant. A host with none attending
// answers nothing (a question fails the call that asked it) and shows to no one.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/error.h"
#include "automation/object.h"

namespace ax {
class Form;
}

namespace sim {

class Host;

// What the attendant answers when the host needs an answer. Kinds and what they hold:
//   "answer"          verb yes|no|ok|cancel; text = the question it must answer (hasText)
//   "voucher"         verb complete|cancel
//   "pick account"    verb code|cancel; text = the account code
//   "pick purpose"    verb text|cancel; text = the purpose
//   "bank"            verb accept|refuse; text = the reason
//   "cancelpayment"   verb true|false|error; text = the error description
//   "dialog centre"   verb ok|cancel; options date, from, to, unposted, bydate (as written)
//   "dialog bank"     verb ok|cancel; options from, to
//   "picker"          verb ids|cancel; values = the FRecSettIDs
struct Reply {
  std::string kind;
  std::string verb;
  std::string text;
  bool hasText = false;
  std::vector<std::string> values;
  std::map<std::string, std::string> options;
  std::string where;  // where the answer was given, for messages about it
  bool Option(const std::string& key, std::string* value = nullptr) const;
};

// A message the host showed: a message box that asked nothing, or a result display.
struct ShownMessage {
  bool result = false;  // a result display, else a message box
  std::string text;
  int flags = 0;
  std::string title;
};

// A call to one of the host's own components or windows that leaves no other trace (an export,
// a voucher window, a window brought to the front, ...).
struct RecordedCall {
  std::string kind;
  std::vector<std::string> values;
};

class Attendant {
 public:
  virtual ~Attendant() = default;

  // Every call the plug-in makes into a host object, before it runs: object as the host names
  // it, its class, member, call kind and arguments. May raise an ax::AutomationError, which the
  // plug-in then receives as the call's failure.
  virtual void BeforeCall(std::string_view objectName, std::string_view className,
                          std::string_view member, unsigned kind, const ax::Args& args) = 0;
  // An error a call raised to the plug-in (its description).
  virtual void Raised(const std::string& description) = 0;

  // The answer of that kind the host needs now (what names it for a message).
  virtual Reply Answer(std::string_view kind, std::string_view what) = 0;
  // The answer of that kind when one is ready, else none (the bank answers only when told to).
  virtual std::optional<Reply> AnswerIfReady(std::string_view kind) = 0;
  // A question in a message box with buttons: the button pressed (ax::mb ids).
  virtual int Question(const std::string& text, int flags, const std::string& title) = 0;
  // A modal form of the plug-in's: filled and closed by the attendant. keysPressed: the keys
  // queued for it already went down in its own window.
  virtual void PlayForm(Host& host, ax::Form& form, bool keysPressed) = 0;
  // An answer that cannot be carried out (a date that is none, an account the look-up does not
  // offer): the attendant is told and the call that needed it fails.
  [[noreturn]] virtual void Unplayable(const std::string& what) = 0;

  // What the host shows and records.
  virtual void Shown(ShownMessage message) = 0;
  virtual void Reported(const ax::AutomationError& error) = 0;
  virtual void Recorded(RecordedCall call) = 0;
  virtual void SqlSent(std::string_view through, const std::string& sql) = 0;
  // A key the host's resource loader was asked for.
  virtual void LoaderAsked(const std::string& key) = 0;
};

}  // namespace sim
