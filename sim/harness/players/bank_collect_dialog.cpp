// The scripted user's part in the bank-collection query dialog (FrmYHGJ).
//
// `dialog bank [from D] [to D] ok|cancel`: the dialog shows its start and end dates; the user
// changes the dates given and presses 确定 or 取消. `expect bankdialog <from> <to>` checks the
// dates the last bank-collection dialog showed when it opened.
#include <string>
#include <vector>

#include "automation/error.h"
#include "automation/form.h"
#include "automation/variant.h"
#include "sim/harness/harness.h"
#include "sim/host/host.h"
#include "sim/harness/scenario.h"
#include "sim/harness/scenario_language.h"

namespace sim {

namespace {

struct ShownDates {
  bool shown = false;
  std::string from, to;
};
ShownDates& LastShown() {
  static ShownDates state;
  return state;
}

std::string PickerText(ax::Form& form, const char* picker) {
  const ax::Variant& value = form.C(picker).value;
  if (value.isEmpty() || value.isNull()) return "(empty)";
  return ax::Format(value, "yyyy-mm-dd");
}

// A date typed into a picker; anything else is a mistake in the scenario.
ax::DateValue DateOption(Harness& harness, const Reply& reply, const std::string& text) {
  try {
    ax::DateValue d = ax::CDate(text);
    if (ax::FormatDate(d, "yyyy-mm-dd") == text) return d;
  } catch (const ax::AutomationError&) {
  }
  harness.Fail("\"" + text + "\" is not a date YYYY-MM-DD (" + reply.where + ")");
}

void DriveBankDialog(Harness& harness, ax::Form& form) {
  Host& host = harness.host();
  ShownDates& shown = LastShown();
  shown.shown = true;
  shown.from = PickerText(form, "dtpDate(0)");
  shown.to = PickerText(form, "dtpDate(1)");
  host.Note(Channel::Dialog, "the bank collection dialog shows " + shown.from + " to " + shown.to);

  Reply reply = harness.TakeReply("dialog bank", "the bank collection dialog");
  std::string text;
  if (reply.Option("from", &text)) form.C("dtpDate(0)").value = DateOption(harness, reply, text);
  if (reply.Option("to", &text)) form.C("dtpDate(1)").value = DateOption(harness, reply, text);
  if (reply.verb == "ok") {
    host.Note(Channel::Dialog, "the bank collection dialog queries " + PickerText(form, "dtpDate(0)") +
                                   " to " + PickerText(form, "dtpDate(1)"));
    form.Click("btnOK");
  } else {
    host.Note(Channel::Dialog, "the bank collection dialog is cancelled");
    form.Click("btnCancel");
  }
}

void ExpectBankDialog(ScenarioRun&, const Tokens& line) {
  const Tokens tokens(line.begin() + 2, line.end());
  if (tokens.size() != 2) throw ScenarioFailure("expect bankdialog needs <from> <to>");
  const ShownDates& shown = LastShown();
  if (!shown.shown) throw ScenarioFailure("no bank collection dialog was shown");
  if (shown.from != tokens[0] || shown.to != tokens[1])
    throw ScenarioFailure("expected the bank collection dialog to show " + tokens[0] + " to " +
                          tokens[1] + ", but it showed " + shown.from + " to " + shown.to);
}

}  // namespace

void RegisterBankCollectDialogPlayer(Harness& harness) {
  LastShown() = ShownDates();
  harness.RegisterFormPlayer("FrmYHGJ", DriveBankDialog);
}

std::vector<ScenarioCommand> BankCollectDialogCommands() {
  return {{ScenarioCommand::Section::Expectations, "expect bankdialog",
           {{"expect bankdialog <from> <to>", "the start and end dates the bank-collection dialog showed when it last opened (YYYY-MM-DD)"}}, ExpectBankDialog}};
}

}  // namespace sim
