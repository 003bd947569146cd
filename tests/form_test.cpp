// Form models: controls by name, the Load event once per instance, modal showing through the
// platform's Ui and unloading.
#include "automation/form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/error.h"
#include "automation/runtime.h"

namespace ax {
namespace {

class LoggingForm : public Form {
 public:
  LoggingForm() : Form("FrmTest") {
    AddControl("cmdOK", "CommandButton").caption = "确定";
    AddControl("LabTitle(5)", "Label");
  }
  void Form_Load() override {
    log.push_back("Load");
    C("LabTitle(5)").caption = "loaded";
  }
  void Form_Unload() override { log.push_back("Unload"); }
  std::vector<std::string> log;
};

// Shows a form by recording it and hiding it again, as a user pressing OK would.
class ModalUi : public Ui {
 public:
  int MessageBox(const std::string&, int, const std::string&) override { return mb::kIdOk; }
  void SetMousePointer(int p) override { pointer_ = p; }
  int MousePointer() const override { return pointer_; }
  void DoEvents() override {}
  void SetClipboardPicture(const Picture& p) override { picture_ = p; }
  Picture ClipboardPicture() const override { return picture_; }
  void ShowModal(Form& form) override {
    shown.push_back(form.Name() + (form.visible ? " visible" : " hidden") +
                    (form.loaded ? " loaded" : " unloaded"));
    form.Hide();
  }
  double Timer() override { return 0; }
  DateValue Now() override { return MakeDate(2026, 12, 8); }
  uint32_t CurrentProcessId() override { return 1; }
  intptr_t GetParent(intptr_t) override { return 0; }
  bool IsWindow(intptr_t) override { return false; }
  bool IsIconic(intptr_t) override { return false; }
  bool ShowWindow(intptr_t, int) override { return false; }
  bool SetForegroundWindow(intptr_t) override { return false; }
  bool GetWindowRect(intptr_t, Rect&) override { return false; }
  intptr_t SendMessageA(intptr_t, uint32_t, uintptr_t, intptr_t) override { return 0; }

  std::vector<std::string> shown;

 private:
  int pointer_ = 0;
  Picture picture_;
};

TEST(Form, ControlsLoadShowAndUnload) {
  LoggingForm f;
  EXPECT_EQ((std::vector<std::string>{"cmdOK", "LabTitle(5)"}), f.ControlOrder());
  EXPECT_EQ("确定", f.C("cmdOK").caption);
  EXPECT_EQ("CommandButton", f.C("cmdOK").Kind());
  EXPECT_TRUE(f.HasControl("LabTitle(5)"));
  EXPECT_FALSE(f.HasControl("cmdok")) << "control names are exact";
  EXPECT_EQ(&f.C("cmdOK"), &f.AddControl("cmdOK", "CommandButton")) << "adding again is harmless";
  try {
    f.C("cmdMissing");
    ADD_FAILURE() << "C() of an absent control must raise 9";
  } catch (const AutomationError& e) {
    EXPECT_EQ(9, e.Number());
    EXPECT_EQ("FrmTest.cmdMissing", e.Source());
  }
  try {
    f.AddControl("cmdOK", "Label");
    ADD_FAILURE() << "a second control of another kind under one name must raise";
  } catch (const AutomationError& e) {
    EXPECT_EQ(5, e.Number());
  }

  f.EnsureLoaded();
  f.EnsureLoaded();
  EXPECT_EQ((std::vector<std::string>{"Load"}), f.log) << "Load runs once per instance";
  EXPECT_EQ("loaded", f.C("LabTitle(5)").caption);

  const Environment saved = GetEnvironment();
  ModalUi ui;
  SetEnvironment(Environment{nullptr, &ui, nullptr});
  f.ShowModal();
  f.ShowModal();
  SetEnvironment(saved);
  EXPECT_EQ((std::vector<std::string>{"FrmTest visible loaded", "FrmTest visible loaded"}),
            ui.shown);
  EXPECT_EQ((std::vector<std::string>{"Load"}), f.log);
  EXPECT_FALSE(f.visible);

  f.Unload();
  EXPECT_FALSE(f.loaded);
  f.Unload();  // unloading an unloaded form raises no second Unload event
  EXPECT_EQ((std::vector<std::string>{"Load", "Unload"}), f.log);
  f.EnsureLoaded();
  EXPECT_EQ((std::vector<std::string>{"Load", "Unload", "Load"}), f.log)
      << "a reload runs Load again";
}

TEST(Form, ShowModalWithoutUiRaisesAndLeavesFormLoaded) {
  const Environment saved = GetEnvironment();
  SetEnvironment(Environment{});
  LoggingForm f;
  EXPECT_THROW(f.ShowModal(), AutomationError);
  SetEnvironment(saved);
  EXPECT_TRUE(f.loaded);
}

}  // namespace
}  // namespace ax
