// Bank collection: the dialog's dates and date filter, F1 help, the picker's filter and resize
// rules, the packed caption point and the way the first bill window is brought to the front.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "bankcollect/FrmRecSettList.h"
#include "bankcollect/FrmYHGJ.h"
#include "fake_host.h"
#include "host/progids.h"
#include "sim/host/collections.h"

namespace sc {
namespace {

using sctest::CallLog;
using sctest::ErrorOf;
using sctest::FakePtr;

std::string S(std::string_view v) { return std::string(v); }

// A window system: handle -> parent, the minimised windows, and every window call in order.
class WindowEnv : public sctest::FakeEnv {
 public:
  std::map<intptr_t, intptr_t> parents;
  std::map<intptr_t, bool> iconic;
  std::vector<std::string> calls;

  intptr_t GetParent(intptr_t hwnd) override {
    calls.push_back("GetParent " + std::to_string(hwnd));
    auto it = parents.find(hwnd);
    return it == parents.end() ? 0 : it->second;
  }
  bool IsWindow(intptr_t hwnd) override { return parents.count(hwnd) != 0; }
  bool IsIconic(intptr_t hwnd) override { return iconic[hwnd]; }
  bool ShowWindow(intptr_t hwnd, int command) override {
    calls.push_back("ShowWindow " + std::to_string(hwnd) + " " + std::to_string(command));
    iconic[hwnd] = false;
    return true;
  }
  bool SetForegroundWindow(intptr_t hwnd) override {
    calls.push_back("SetForegroundWindow " + std::to_string(hwnd));
    return true;
  }
  bool GetWindowRect(intptr_t hwnd, ax::Rect& rect) override {
    rect = ax::Rect{static_cast<int32_t>(hwnd), 40, 800, 600};
    return true;
  }
  intptr_t SendMessageA(intptr_t hwnd, uint32_t message, uintptr_t wParam,
                        intptr_t lParam) override {
    calls.push_back("SendMessageA " + std::to_string(hwnd) + " " + std::to_string(message) + " " +
                    std::to_string(wParam) + " " + std::to_string(lParam));
    return 0;
  }
};

class BankCollectTest : public sctest::FakeHostTestOf<WindowEnv> {
 protected:
  void SetUp() override {
    FakeHostTestOf::SetUp();
    AddFormComponents();
  }
};

TEST_F(BankCollectTest, DialogDatesAndFilter) {
  struct Case {
    ax::DateValue now;
    const char* from;
    const char* to;
  };
  const Case cases[] = {
      // 365 days back, not one calendar year: 2024 has a 29 February.
      {ax::MakeDate(2024, 3, 1, 15, 20, 0), "2023-03-02", "2024-03-01"},
      {ax::MakeDate(2026, 12, 8, 9, 0, 0), "2025-12-08", "2026-12-08"},
      {ax::MakeDate(2025, 1, 1, 0, 0, 0), "2024-01-02", "2025-01-01"},
  };
  for (const Case& c : cases) {
    env.now = c.now;
    FrmYHGJ form;
    form.EnsureLoaded();
    EXPECT_EQ(form.caption, "银行主动归集查询");
    EXPECT_TRUE(form.keyPreview);
    EXPECT_EQ(form.GetDateFilter(),
              std::string(" AND convert(datetime,convert(varchar(30),v.FRecSettdate,111)) >='") +
                  c.from + "'\r\n AND convert(datetime,convert(varchar(30),v.FRecSettdate,111)) <='" +
                  c.to + "'\r\n")
        << c.from;
  }
}

TEST_F(BankCollectTest, DialogCaptions) {
  FrmYHGJ form;
  form.EnsureLoaded();
  const std::pair<const char*, const char*> captions[] = {
      {"LabTitle(0)", "开始日期："}, {"LabTitle(1)", "结束日期："}, {"LabTitle(2)", "币别："},
      {"LabTitle(3)", "说明："},     {"LabTitle(4)", "人民币"},     {"btnOK", "确定"},
      {"btnCancel", "取消"},
  };
  for (const auto& [control, text] : captions) EXPECT_EQ(form.C(control).caption, text) << control;
  EXPECT_EQ(ax::Left(form.C("LabTitle(5)").caption, 4), "银行归集");
}

TEST_F(BankCollectTest, F1ShowsTheDialogsHelpTopic) {
  FakePtr help = env.Single(S(host::ProgId::CHMHelp), "Help");
  help->On("ShowHELP", [](ax::Args&) -> ax::Variant { return {}; });
  FrmYHGJ form;
  struct Case {
    int16_t key, shift;
    int16_t keyAfter, shiftAfter;
  };
  const Case cases[] = {{112, 1, 0, 0}, {113, 1, 113, 1}, {13, 0, 13, 0}};
  for (const Case& c : cases) {
    int16_t key = c.key, shift = c.shift;
    form.Form_KeyDown(key, shift);
    EXPECT_EQ(key, c.keyAfter) << c.key;
    EXPECT_EQ(shift, c.shiftAfter) << c.key;
  }
  CallLog helpCalls;
  for (const auto& call : env.log)
    if (call.rfind("Help.", 0) == 0) helpCalls.push_back(call);
  EXPECT_EQ(helpCalls, (CallLog{"Help.ShowHELP(460130,0,\"\",0,\"\",0)"}));
}

TEST_F(BankCollectTest, MakeLParam) {
  struct Case {
    int32_t low, high;
    const char* result;  // the Long, or the error
  };
  const Case cases[] = {
      {25, 5, "327705"},
      {0, 0, "0"},
      {-1, 0, "-1"},
      {65535, 32767, "2147483647"},
      {0, -32768, "-2147483648"},
      {65536, 32767, "error 6"},
      {0, 32768, "error 6"},
      {-1, -32768, "error 6"},
  };
  for (const Case& c : cases) {
    std::string seen;
    std::string error = ErrorOf([&] { seen = std::to_string(FrmYHGJ::MakeLParam(c.low, c.high)); });
    EXPECT_EQ(error.empty() ? seen : error, c.result) << c.low << ", " << c.high;
  }
}

TEST_F(BankCollectTest, HostTopWindowAndActivation) {
  // List window 300 in frame 200 in the main window 100; the main window is minimised.
  env.parents = {{300, 200}, {200, 100}, {100, 0}};
  env.iconic[100] = true;
  FakePtr parent = env.Make("Parent");
  parent->Prop("hwnd", 300);
  FakePtr list = env.Make("List");
  list->Prop("Parent", ax::Variant(parent));

  FrmYHGJ form;
  EXPECT_EQ(form.GetHostTopWindow(), 0) << "no list object";
  form.oList = ax::Object(list);
  EXPECT_EQ(form.GetHostTopWindow(), 100);

  env.calls.clear();
  form.ActivateWindow(100);
  form.ActivateWindow(300);
  const int32_t point100 = 125 + 45 * 65536, point300 = 325 + 45 * 65536;
  EXPECT_EQ(env.calls, (std::vector<std::string>{
                           "ShowWindow 100 1",
                           "SetForegroundWindow 100",
                           "SendMessageA 100 161 2 " + std::to_string(point100),
                           "SendMessageA 100 162 2 " + std::to_string(point100),
                           "SetForegroundWindow 300",
                           "SendMessageA 300 161 2 " + std::to_string(point300),
                           "SendMessageA 300 162 2 " + std::to_string(point300),
                       }));

  // A list whose window cannot be read gives no host window at all.
  parent->On("hwnd", [](ax::Args&) -> ax::Variant { throw ax::Error(ax::err::kAppDefined); });
  EXPECT_EQ(form.GetHostTopWindow(), 0);
}

TEST_F(BankCollectTest, ReceiptsMapToBillKeys) {
  env.Register(S(host::ProgId::Dictionary), [] { return ax::Object(sim::NewDictionary()); });
  env.Register(S(host::ProgId::Vector), [] { return ax::Object(sim::NewVector()); });
  // A receipt from outside the centre: the optional paying-side keys are absent altogether.
  auto row = sim::NewDictionary();
  const std::pair<const char*, ax::Variant> columns[] = {
      {"FRecSettID", 603},
      {"FCentAcctID", 101},
      {"FCentAcctNumber", "01.001"},
      {"FCentAcctName", "集团资金池"},
      {"FCentBankAcnt", "755900000000001"},
      {"FCyID", 1},
      {"FExchRate", 1.0},
      {"FAmt", 5000.0},
      {"FFcyAmt", 5000.0},
      {"FExplanation", ax::Variant::null()},
      {"FPurpose", "货款"},
      {"FSettleTypeID", 1},
      {"FSettleType", ax::Variant::null()},
      {"FSettleNo", ax::Variant::null()},
      {"FRecSettDate", ax::MakeDate(2026, 12, 8, 23, 59, 0)},
  };
  for (const auto& [key, value] : columns) row->Set(key, value);
  auto receipts = sim::NewVector();
  receipts->Add(ax::Variant(ax::DispatchPtr(row)));

  FrmYHGJ form;
  ax::Object mapped = form.MapReceiptsToBills(ax::Object(receipts));
  ASSERT_EQ(ax::CLng(mapped.Get("Count")), 1);
  ax::Object m = mapped.ItemObj(1);
  const std::pair<const char*, const char*> expected[] = {
      {"FPayAcctID", "0"},       {"FPayAcctNo", ""},           {"PayAcctName", ""},
      {"FPayBank", ""},          {"FPayBankAcnt", ""},         {"FRecAcctID", "101"},
      {"FRecAcctNo", "01.001"},  {"FRecAcctName", "集团资金池"}, {"FRecBank", ""},
      {"FRecBankAcnt", "755900000000001"}, {"FCyID", "1"},     {"FExchRate", "1"},
      {"FAmt", "5000"},          {"FFcyAmt", "5000"},          {"FExplanation", "NULL"},
      {"FPurpose", "货款"},      {"FSettleTypeID", "1"},       {"FSettleType", ""},
      {"FSettleNo", "NULL"},     {"FPaySettDate", "2026-12-08"}, {"FRecSettID", "603"},
  };
  for (const auto& [key, text] : expected) EXPECT_EQ(ax::DisplayText(m.Item(key)), text) << key;

  EXPECT_EQ(ax::CLng(form.MapReceiptsToBills(ax::Object(sim::NewVector())).Get("Count")), 0)
      << "no receipt, no bill";
}

TEST_F(BankCollectTest, PickerFilterAndResize) {
  FrmRecSettList picker;
  picker.set_sFilter(" AND x\r\n");
  EXPECT_EQ(picker.ListFilter(),
            "v.FCYID=1 and (not v.FTransBillID>0) and Acnt1.FAcntStyle=0  AND x\r\n");
  EXPECT_FALSE(picker.OK());
  EXPECT_TRUE(picker.VectReturnData().IsNothing());

  struct Case {
    int32_t scaleWidth, scaleHeight;
    int32_t width, height;  // of the list afterwards
  };
  // Minimised (no inner area), the list keeps the size it had.
  const Case cases[] = {{9000, 6000, 9000, 6000}, {0, 0, 9000, 6000}, {7000, 0, 7000, 6000},
                        {0, 5000, 7000, 5000},    {-15, 4000, 7000, 4000}};
  for (const Case& c : cases) {
    picker.scaleWidth = c.scaleWidth;
    picker.scaleHeight = c.scaleHeight;
    picker.Form_Resize();
    EXPECT_EQ(picker.C("ListRecSett").width, c.width) << c.scaleWidth << "x" << c.scaleHeight;
    EXPECT_EQ(picker.C("ListRecSett").height, c.height) << c.scaleWidth << "x" << c.scaleHeight;
  }
}

}  // namespace
}  // namespace sc
