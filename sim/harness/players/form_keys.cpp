// Keys the scripted user presses in the plug-in's dialogs.
//
// `press f1|<key code> [shift <n>] [in <form>]` queues a key for the next dialog of the plug-in
// that is shown (or the next one of that name): once the dialog is up, before the user answers
// it, the key goes down. A form with KeyPreview on sees it first in its KeyDown event; one
// without it never sees the key (it goes to the focused control, which does nothing with it).
// `expect key handled|passed` reads what became of the last key: handled when the form's key
// handler cleared the key code and shift state, passed when the key went on to the control.
#include <optional>
#include <string>
#include <vector>

#include "automation/form.h"
#include "sim/harness/harness.h"
#include "sim/harness/scenario.h"
#include "sim/harness/scenario_language.h"
#include "sim/host/host.h"

namespace sim {

using namespace words;

namespace {

struct LastKey {
  bool pressed = false;
  bool handled = false;
  std::string what;  // "F1 in dlgBalSum"
};
LastKey& Last() {
  static LastKey state;
  return state;
}

std::string KeyName(int32_t code) { return code == 112 ? std::string("F1") : "key " + std::to_string(code); }

void PressKey(ScenarioRun& run, const Tokens& t) {
  const char* usage = "press f1|<key code> [shift <n>] [in <form>]";
  Need(t, 2, usage);
  Reply r;
  r.where = run.harness.Where();
  r.kind = "press";
  r.verb = ax::EqualsNoCase(t[1], "f1") ? std::string("112") : std::to_string(Number(t[1], "a key code"));
  if ((t.size() - 2) % 2 != 0) Bad(std::string("usage: ") + usage);
  for (size_t i = 2; i < t.size(); i += 2) {
    if (t[i] == "shift")
      r.options["shift"] = std::to_string(Number(t[i + 1], "a shift state"));
    else if (t[i] == "in")
      r.options["in"] = t[i + 1];
    else
      Bad(std::string("usage: ") + usage);
  }
  run.harness.QueueReply(std::move(r));
}

void ExpectKey(ScenarioRun&, const Tokens& t) {
  Need(t, 3, "expect key handled|passed");
  Max(t, 3, "expect key handled|passed");
  bool want = YesNo(t[2], "handled", "passed");
  const LastKey& last = Last();
  if (!last.pressed) Bad("no key was pressed in a dialog");
  Expect(last.handled == want, last.what + " " + t[2], last.what + (last.handled ? " handled" : " passed"));
}

}  // namespace

// The next key queued for this form (one queued for it by name, or for any form), if any.
std::optional<QueuedKey> TakeQueuedKey(Harness& harness, const std::string& formName) {
  std::optional<Reply> key = harness.TakeReplyIf("press", [&](const Reply& r) {
    std::string in;
    return !r.Option("in", &in) || ax::EqualsNoCase(in, formName);
  });
  if (!key) return std::nullopt;
  std::string shiftText = "0";
  key->Option("shift", &shiftText);
  return QueuedKey{static_cast<int16_t>(std::stoi(key->verb)), static_cast<int16_t>(std::stoi(shiftText))};
}

void NoteKey(Harness& harness, const std::string& formName, const QueuedKey& key, const char* outcome,
             bool handled) {
  LastKey& last = Last();
  last.pressed = true;
  last.handled = handled;
  last.what = KeyName(key.keyCode) + " in " + formName;
  harness.host().Note(Channel::Dialog, "the user presses " + last.what + "; " + outcome);
}

// The keys queued for this form go down one by one, in the order queued.
void PressQueuedKeys(Harness& harness, ax::Form& form) {
  while (std::optional<QueuedKey> key = TakeQueuedKey(harness, form.Name())) {
    if (!form.keyPreview) {
      NoteKey(harness, form.Name(), *key, "the form does not preview keys", false);
      continue;
    }
    int16_t keyCode = key->keyCode, shift = key->shift;
    form.Form_KeyDown(keyCode, shift);
    bool handled = keyCode == 0 && shift == 0;
    NoteKey(harness, form.Name(), *key,
            handled ? "the form's key handler handled it" : "the form's key handler passed it on", handled);
  }
}

void RegisterFormKeys(Harness&) { Last() = LastKey(); }

std::vector<ScenarioCommand> FormKeyCommands() {
  return {{ScenarioCommand::Section::Answers, "press",
           {{"press f1|<key code> [shift <n>] [in <form>]", "a key pressed in the next dialog of the plug-in shown (or the next one of that form name: dlgBalSum, FrmYHGJ, FrmRecSettList, dlgBankSend) once it is up, before it is answered; the form's KeyDown sees it only when the form previews keys"}}, PressKey},
          {ScenarioCommand::Section::Expectations, "expect key",
           {{"expect key handled|passed", "the last key pressed in a dialog: handled (the form's key handler cleared the key code and shift state) or passed on to the focused control"}}, ExpectKey}};
}

}  // namespace sim
