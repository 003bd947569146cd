// The scripted user's part in the centre-collection dialog (dlgBalSum).
//
// `dialog centre [date D] [from "<code>"] [to "<code>"] [unposted yes|no] [bydate yes|no] ok|cancel`:
// the user sets the query date, the account-code range and the two options given (the others
// keep what the dialog shows) and presses 确定 or 取消. A date before the picker's lowest date
// cannot be chosen and fails the run.
//
// `expect centredialog <item> "<text>"` checks what the dialog showed when it last opened:
// date, mindate, from, to, unposted, bydate (yes|no), currency (the selected entry's text).
#include <map>
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

std::map<std::string, std::string>& LastShown() {
  static std::map<std::string, std::string> shown;
  return shown;
}

std::string DateText(const ax::Variant& v) {
  if (v.isEmpty() || v.isNull()) return "(empty)";
  return ax::Format(v, "yyyy-mm-dd");
}

std::string YesNo(const ax::Variant& v) { return ax::VarEqual(v, 1) ? "yes" : "no"; }

std::map<std::string, std::string> Describe(ax::Form& form) {
  const ax::Control& cy = form.C("cboCy");
  return {
      {"date", DateText(form.C("dtpSelDay").value)},
      {"mindate", DateText(form.C("dtpSelDay").minDate)},
      {"from", form.C("txtStartAcct").text},
      {"to", form.C("txtEndAcct").text},
      {"unposted", YesNo(form.C("ChkEdit").value)},
      {"bydate", YesNo(form.C("chkTransDate").value)},
      {"currency", cy.listIndex >= 0 && cy.listIndex < static_cast<int32_t>(cy.items.size())
                       ? cy.items[static_cast<size_t>(cy.listIndex)].text
                       : std::string()},
  };
}

std::string Summary(const std::map<std::string, std::string>& d) {
  return "date " + d.at("date") + ", codes \"" + d.at("from") + "\" to \"" + d.at("to") +
         "\", currency " + d.at("currency") + ", unposted " + d.at("unposted") + ", by date " +
         d.at("bydate");
}

int32_t Check(Harness& harness, const Reply& reply, const std::string& key, const std::string& text) {
  if (text == "yes") return 1;
  if (text == "no") return 0;
  harness.Fail(key + " must be yes or no, not \"" + text + "\" (" + reply.where + ")");
}

void DriveCentreDialog(Harness& harness, ax::Form& form) {
  Host& host = harness.host();
  LastShown() = Describe(form);
  host.Note(Channel::Dialog, "the centre collection dialog shows " + Summary(LastShown()));

  Reply reply = harness.TakeReply("dialog centre", "the centre collection dialog");
  std::string text;
  if (reply.Option("date", &text)) {
    ax::DateValue date;
    try {
      date = ax::CDate(text);
    } catch (const ax::AutomationError&) {
      harness.Fail("\"" + text + "\" is not a date YYYY-MM-DD (" + reply.where + ")");
    }
    const ax::Variant& lowest = form.C("dtpSelDay").minDate;
    if (lowest.type() == ax::VarType::Date && date.serial < lowest.asDate().serial)
      harness.Fail("the query date cannot be before " + DateText(lowest) + " (" + reply.where + ")");
    form.C("dtpSelDay").value = date;
  }
  if (reply.Option("from", &text)) form.C("txtStartAcct").text = text;
  if (reply.Option("to", &text)) form.C("txtEndAcct").text = text;
  if (reply.Option("unposted", &text)) form.C("ChkEdit").value = Check(harness, reply, "unposted", text);
  if (reply.Option("bydate", &text)) form.C("chkTransDate").value = Check(harness, reply, "bydate", text);

  if (reply.verb == "ok") {
    host.Note(Channel::Dialog, "the centre collection dialog collects with " + Summary(Describe(form)));
    form.Click("btnOK");
  } else {
    host.Note(Channel::Dialog, "the centre collection dialog is cancelled");
    form.Click("btnCancel");
  }
}

void ExpectCentreDialog(ScenarioRun&, const Tokens& line) {
  const Tokens tokens(line.begin() + 2, line.end());
  if (tokens.size() != 2) throw ScenarioFailure("expect centredialog needs <item> \"<text>\"");
  const auto& shown = LastShown();
  if (shown.empty()) throw ScenarioFailure("no centre collection dialog was shown");
  auto it = shown.find(tokens[0]);
  if (it == shown.end())
    throw ScenarioFailure("unknown item " + tokens[0] +
                          " (date, mindate, from, to, unposted, bydate, currency)");
  if (it->second != tokens[1])
    throw ScenarioFailure("expected the centre collection dialog to show " + tokens[0] + " \"" +
                          tokens[1] + "\", but it showed \"" + it->second + "\"");
}

}  // namespace

void RegisterCentreDialogPlayer(Harness& harness) {
  LastShown().clear();
  harness.RegisterFormPlayer("dlgBalSum", DriveCentreDialog);
}

std::vector<ScenarioCommand> CentreDialogCommands() {
  return {{ScenarioCommand::Section::Expectations, "expect centredialog",
           {{"expect centredialog <item> \"<text>\"", "what the centre-collection dialog showed when it last opened: date, mindate, from, to, unposted/bydate (yes or no), currency"}}, ExpectCentreDialog}};
}

}  // namespace sim
