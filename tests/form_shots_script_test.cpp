// The screenshot tool's script (tests/windows/shot_script.h) played on the simulated host with
// a user interface that does what the tool does after each capture: every picture shows a window
// the plug-in's own command opened, with the texts the demo data give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/form.h"
#include "automation/runtime.h"
#include "tests/windows/forwarding_ui.h"
#include "tests/windows/shot_script.h"
#include "sim/host/host.h"
#include "sim/harness/harness.h"
#include "sim/harness/scenario.h"

namespace sim {
namespace {

// The host's interface, except that forms and message boxes are answered as the screenshot tool
// answers them, and recorded: "form <name>" (with the result text for dlgBankSend) or "box
// <text>".
class CapturingUi final : public sccheck::ForwardingUi {
 public:
  explicit CapturingUi(ax::Ui& host) : ForwardingUi(host) {}
  std::vector<std::string> shown;

  void ShowModal(ax::Form& form) override {
    std::string entry = "form " + form.Name();
    if (form.Name() == "dlgBankSend") entry += ": " + form.C("rtMsg").text;
    shown.push_back(entry);
    if (sccheck::ConfirmAfterCapture(form.Name()))
      form.Click(sccheck::kConfirmButton);
    else
      form.Unload();
  }
  int MessageBox(const std::string& text, int flags, const std::string&) override {
    shown.push_back("box " + text + " [" + std::to_string(flags) + "]");
    return ax::mb::kIdOk;
  }
};

TEST(ScreenshotScript, EveryPictureIsAWindowThePlugInsCommandOpened) {
  Host host;
  CapturingUi ui(host);
  ax::SetEnvironment({&host, &ui, &host});
  int number = 0;
  Harness harness(host);
  ScenarioRun run(host, harness);
  for (const char* text : sccheck::kShotScript) {
    ScriptLine line{++number, text, "shot_script:" + std::to_string(number)};
    EXPECT_EQ(run.Line(line).failure, "") << text;
  }
  ax::SetEnvironment({&host, &host, &host});
  const std::vector<std::string> expected = {
      "form dlgBalSum",
      "form FrmYHGJ",
      "form FrmRecSettList",
      "form dlgBankSend: 单据 HB000001 提交成功！\r\n"
      "单据 HB000002 提交失败：该划拨单未审批不能提交银行\r\n"
      "单据 HB000004 提交失败：该划拨单已经提交银行付款单\r\n"
      "单据 HB000005 提交失败：账户余额不足\r\n",
      "box 审核人与制单人不能同一个人! [64]",
  };
  EXPECT_EQ(ui.shown, expected);
  // The bank accepted bill 1 only.
  auto payments = [&](const char* billNo) {
    return host.Db()
        .Query(std::string("select * from t_BK_Payment where FSourceNumber='") + billNo + "'")
        .data.size();
  };
  EXPECT_EQ(payments("HB000001"), 1u);
  EXPECT_EQ(payments("HB000005"), 0u);
}

}  // namespace
}  // namespace sim
