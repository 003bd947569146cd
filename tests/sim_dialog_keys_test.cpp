// The scripted user's keys in a dialog, as a Windows dialog takes the keys its form passes on:
// where Tab and Shift+Tab put the focus, what Enter and Esc press, and what an editable
// multi-line box keeps for itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/form.h"
#include "sim/harness/harness.h"
#include "sim/harness/scenario.h"
#include "sim/host/host.h"

namespace sim {
namespace {

class KeyForm : public ax::Form {
 public:
  explicit KeyForm(bool editableBox, bool cancelButton = false) : ax::Form("KeyForm") {
    loaded = visible = true;
    Place("lblNote", "Label", 0, 0, 100, 100).caption = "&Note";  // takes no focus
    Place("rtBox", "RichTextBox", 0, 0, 100, 100).locked = !editableBox;
    Place("btnA", "CommandButton", 0, 0, 100, 100).caption = "Go && &Run";
    Place("btnOK", "CommandButton", 0, 0, 100, 100).isDefault = true;
    Place("btnOff", "CommandButton", 0, 0, 100, 100).enabled = false;
    if (cancelButton) Place("btnCancel", "CommandButton", 0, 0, 100, 100).isCancel = true;
  }
  void Click(const std::string& control) override {
    clicks.push_back(control);
    if (control == "btnOK" || control == "btnCancel") Hide();
  }
  void Form_Unload() override { clicks.push_back("(unloaded)"); }
  std::vector<std::string> clicks;
};

struct Played {
  std::vector<std::string> clicks;
  std::string focusFailure;  // "" when the focus path was the one expected
  size_t unused = 0;         // keys still queued
};

Played Play(KeyForm& form, const std::vector<std::string>& keys, const std::string& path) {
  Host host;
  Harness harness(host);
  ScenarioRun run(host, harness);
  for (const std::string& key : keys) run.Command(Tokenize("press " + key));
  PressQueuedKeys(harness, form);
  Played played{form.clicks, "", harness.QueuedReplies("press")};
  try {
    run.Command(Tokenize("expect focus KeyForm \"" + path + "\""));
  } catch (const ScenarioFailure& e) {
    played.focusFailure = e.what();
  }
  return played;
}

TEST(DialogKeys, TabMovesOverWhatTakesTheFocusAndWrapsBothWays) {
  KeyForm form(false);
  // The label and the disabled button are passed over; the locked box lets Tab go.
  Played p = Play(form, {"tab", "tab", "tab", "tab shift 1", "tab shift 1", "tab shift 1"},
                  "rtBox > btnA > btnOK > rtBox > btnOK > btnA > rtBox");
  EXPECT_EQ(p.focusFailure, "");
  EXPECT_TRUE(p.clicks.empty());
}

TEST(DialogKeys, EnterPressesTheFocusedButtonElseTheDefaultOne) {
  KeyForm onButton(false);
  Played p = Play(onButton, {"tab", "enter"}, "rtBox > btnA > btnA");
  EXPECT_EQ(p.focusFailure, "");
  EXPECT_EQ(p.clicks, std::vector<std::string>{"btnA"});

  // From the box, Enter presses OK, which closes the form: the key after it stays queued.
  KeyForm onBox(false);
  p = Play(onBox, {"enter", "tab"}, "rtBox");
  EXPECT_EQ(p.focusFailure, "");
  EXPECT_EQ(p.clicks, std::vector<std::string>{"btnOK"});
  EXPECT_EQ(p.unused, 1u);
}

TEST(DialogKeys, AnEditableBoxKeepsTabAndEnter) {
  KeyForm form(true);
  Played p = Play(form, {"tab", "enter"}, "rtBox > rtBox > rtBox");
  EXPECT_EQ(p.focusFailure, "");
  EXPECT_TRUE(p.clicks.empty());
}

// Alt+N, the label's key, sends the focus to the control after it; Alt+R presses the button whose
// caption marks R ("&&" is an ampersand, not a key); Alt+G marks nothing.
TEST(DialogKeys, AccessKeysPressTheirButtonOrFocusTheControlAfterTheirLabel) {
  KeyForm form(false);
  Played p = Play(form, {"tab", "tab", "78 shift 4", "82 shift 4", "71 shift 4"},
                  "rtBox > btnA > btnOK > rtBox > btnA > btnA");
  EXPECT_EQ(p.focusFailure, "");
  EXPECT_EQ(p.clicks, std::vector<std::string>{"btnA"});
}

TEST(DialogKeys, EscPressesTheCancelButtonElseClosesTheForm) {
  KeyForm withCancel(false, true);
  Played p = Play(withCancel, {"esc"}, "rtBox");
  EXPECT_EQ(p.clicks, std::vector<std::string>{"btnCancel"});
  EXPECT_TRUE(withCancel.loaded);

  KeyForm without(false);
  p = Play(without, {"esc"}, "rtBox");
  EXPECT_EQ(p.clicks, std::vector<std::string>{"(unloaded)"});
  EXPECT_FALSE(without.loaded);
}

}  // namespace
}  // namespace sim
