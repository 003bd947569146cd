// The user's part in the bank-submission result dialog: read the result lines, then close it.
// The text is what `expect result` reads, its lines joined by "\n".
#include <string>

#include "automation/form.h"
#include "sim/harness/harness.h"
#include "sim/host/host.h"

namespace sim {

namespace {

std::string ResultText(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  // Every line ends in a line break; the last one separates nothing.
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace

void RegisterBankSendPlayer(Harness& harness) {
  harness.RegisterFormPlayer("dlgBankSend", [](Harness& h, ax::Form& form) {
    form.Form_Resize();  // shown at its design size
    h.host().PushResult(ResultText(form.C("rtMsg").text), form.caption);
    form.Click("Command1");
  });
}

}  // namespace sim
