// The scripted user's part in the receipt picker (FrmRecSettList), which hosts the host's
// receipt list control.
//
// `picker <FRecSettID>…` chooses the rows in that order and confirms; choosing a receipt the
// list does not offer fails the run; `picker none` confirms with no row marked. `picker cancel`
// closes the form without a choice.
// `expect offered <FRecSettID>…|none` checks the receipts the last picker offered.
#include <algorithm>
#include <string>
#include <vector>

#include "automation/form.h"
#include "sim/harness/harness.h"
#include "sim/harness/scenario.h"
#include "sim/harness/scenario_language.h"
#include "sim/host/components/receipt_list.h"
#include "sim/host/host.h"

namespace sim {

namespace {

std::string Joined(const std::vector<std::string>& ids) {
  if (ids.empty()) return "none";
  std::string out;
  for (const auto& id : ids) out += (out.empty() ? "" : " ") + id;
  return out;
}

void DriveReceiptPicker(Harness& harness, ax::Form& form) {
  Host& host = harness.host();
  form.Form_Resize();  // shown at its design size
  auto list = form.C("ListRecSett").activeX.As<ReceiptList>();
  if (!list) harness.Fail("the receipt picker shows no receipt list");
  host.Note(Channel::Dialog, "the receipt picker offers " + Joined(list->OfferedIds()));

  Reply reply = harness.TakeReply("picker", "the receipt picker");
  if (reply.verb == "cancel") {
    host.Note(Channel::Dialog, "the receipt picker is closed without a choice");
    form.Unload();
    return;
  }
  const std::vector<std::string> offered = list->OfferedIds();
  for (const std::string& id : reply.values)
    if (std::find(offered.begin(), offered.end(), id) == offered.end())
      harness.Fail("the receipt picker does not offer receipt " + id + " (it offers " +
                   Joined(offered) + ")");
  list->Choose(reply.values);
  host.Note(Channel::Dialog, "the receipt picker confirms " + Joined(reply.values));
  ax::Args args;
  form.ControlEvent("ListRecSett", "Confirm", args);
}

void ExpectOffered(ScenarioRun&, const Tokens& line) {
  const Tokens tokens(line.begin() + 2, line.end());
  if (tokens.empty()) throw ScenarioFailure("expect offered needs receipt ids or none");
  std::vector<std::string> wanted = tokens;
  if (wanted.size() == 1 && wanted[0] == "none") wanted.clear();
  const OfferedState& state = Offered();
  if (!state.loaded) throw ScenarioFailure("no receipt picker was shown");
  if (state.ids != wanted)
    throw ScenarioFailure("expected the picker to offer " + Joined(wanted) + ", but it offered " +
                          Joined(state.ids));
}

}  // namespace

void RegisterReceiptPickerPlayer(Harness& harness) { harness.RegisterFormPlayer("FrmRecSettList", DriveReceiptPicker); }

std::vector<ScenarioCommand> ReceiptListCommands() {
  return {{ScenarioCommand::Section::Expectations, "expect offered",
           {{"expect offered <FRecSettID>...|none", "the receipts the last receipt picker offered, in order"}}, ExpectOffered}};
}

}  // namespace sim
