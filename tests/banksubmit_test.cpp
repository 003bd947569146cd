// Bank submission list: the area texts of payment orders, the result dialog's layout, keys and
// text, and the withdrawal keeping each bill's failure to that bill.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "banksubmit/BankSubmit.h"
#include "banksubmit/dlgBankSend.h"
#include "fake_host.h"
#include "host/progids.h"
#include "plugin/scTransferListExt1.h"
#include "sim/host/collections.h"
#include "sim/host/recordset.h"

namespace sc {
namespace {

using sctest::CallLog;
using sctest::FakePtr;

std::string S(std::string_view v) { return std::string(v); }

// Shows a modal form by noting its caption and text, then closing it as the user would.
class DialogEnv : public sctest::FakeEnv {
 public:
  std::vector<std::string> shown;
  void ShowModal(ax::Form& form) override {
    shown.push_back(form.caption + "|" + form.C("rtMsg").text);
    form.Click("Command1");
  }
};

class BankSubmitTest : public sctest::FakeHostTestOf<DialogEnv> {
 protected:
  void SetUp() override {
    FakeHostTestOf::SetUp();
    AddFormComponents();
    env.Single(S(host::ProgId::CHMHelp), "Help")
        ->On("ShowHELP", [](ax::Args&) -> ax::Variant { return {}; });
  }
};

TEST_F(BankSubmitTest, AreaText) {
  const ax::Variant null = ax::Variant::null();
  struct Case {
    ax::Variant province, cityType, city;
    std::string expected;
  };
  const Case cases[] = {
      {"广东", 0, "深圳", "广东省深圳市"},
      {"广东省", 1, "宝安县", "广东省宝安县"},
      {"", 0, "北京市", "北京市"},
      {"  ", 0, "北京", "北京市"},           // a blank province adds nothing
      {"广东", 0, "", "广东省市"},           // the suffix stays for an empty city
      {"广东", 2, "宝安", "广东省宝安县"},   // any type but 0 is a county
      {"广东", 1, "深圳市", "广东省深圳市县"},  // only the suffix of the type counts
      {"广西壮族自治区", 0, "南宁", "广西壮族自治区省南宁市"},
      {null, 0, "深圳", "深圳市"},
      {"广东", 0, null, "广东省市"},
      {"广东", null, "宝安", "广东省宝安县"},  // an unknown type is not 0
      {"广东", "0", "深圳", "广东省深圳市"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AreaText(c.province, c.cityType, c.city), c.expected)
        << ax::DisplayText(c.province) << "/" << ax::DisplayText(c.cityType) << "/"
        << ax::DisplayText(c.city);
  }
}

TEST_F(BankSubmitTest, DialogResize) {
  struct Layout {
    int32_t msgWidth, msgHeight, buttonTop, buttonLeft;
    bool operator==(const Layout&) const = default;
  };
  struct Case {
    const char* what;
    int32_t width, height;
    Layout expected;
  };
  // Design size 7200 x 5400: text box 6840 x 4500 at (120, 120), button 1215 wide at 4700/5805.
  const Layout design{6840, 4500, 4700, 5805};
  const Case cases[] = {
      {"design size", 7200, 5400, design},
      {"enlarged", 9000, 7000, {8640, 6100, 6300, 7605}},
      {"reduced", 3000, 2000, {2640, 1100, 1300, 1605}},
      {"too narrow: nothing moves", 300, 7000, design},
      {"too low: the width follows, the rest stays", 9000, 600, {8640, 4500, 4700, 5805}},
      {"negative size", -4800, -3600, design},
  };
  for (const Case& c : cases) {
    dlgBankSend form;
    form.width = c.width;
    form.height = c.height;
    form.Form_Resize();
    const Layout seen{form.C("rtMsg").width, form.C("rtMsg").height, form.C("Command1").top,
                      form.C("Command1").left};
    EXPECT_EQ(seen, c.expected) << c.what << ": saw " << seen.msgWidth << "x" << seen.msgHeight
                                << ", button at " << seen.buttonTop << "/" << seen.buttonLeft;
    EXPECT_EQ(form.C("rtMsg").left, 120) << c.what;
  }
}

TEST_F(BankSubmitTest, DialogKeys) {
  struct Case {
    int16_t key, shift;
    int16_t keyAfter, shiftAfter;
    bool help;
  };
  const Case cases[] = {
      {112, 0, 0, 0, true},   // F1 opens the dialog's help topic and is consumed
      {112, 1, 0, 0, true},
      {113, 0, 113, 0, false},
      {27, 2, 27, 2, false},
  };
  for (const Case& c : cases) {
    env.Take();
    dlgBankSend form;
    int16_t key = c.key, shift = c.shift;
    form.Form_KeyDown(key, shift);
    EXPECT_EQ(key, c.keyAfter) << "key " << c.key;
    EXPECT_EQ(shift, c.shiftAfter) << "key " << c.key;
    const CallLog calls = env.Take();
    if (c.help)
      EXPECT_EQ(calls, CallLog{"Help.ShowHELP(460131,0,\"\",0,\"\",0)"}) << "key " << c.key;
    else
      EXPECT_TRUE(calls.empty()) << "key " << c.key;
  }
}

TEST_F(BankSubmitTest, ShowMsgReplacesTheText) {
  dlgBankSend::ShowMsg("单据 HB000001 提交成功！\r\n");
  dlgBankSend::ShowMsg("单据 HB000002 撤消提交成功\r\n");
  EXPECT_EQ(env.shown, (std::vector<std::string>{"提交银行|单据 HB000001 提交成功！\r\n",
                                                 "提交银行|单据 HB000002 撤消提交成功\r\n"}));
  dlgBankSend& form = dlgBankSend::Default();
  EXPECT_FALSE(form.loaded);  // the close button unloaded it
  EXPECT_TRUE(form.keyPreview);
  EXPECT_EQ(form.C("Command1").caption, "关闭(&C)");
}

// A list interface whose data library answers each read from a script.
class FakeList : public sctest::FakeObject {
 public:
  using FakeObject::FakeObject;
  bool Supports(std::string_view name) const override { return name == "ListInterface"; }
  std::unique_ptr<ax::Connection> Advise(ax::EventSink&) override {
    return std::make_unique<ax::Connection>();
  }
};

ax::Variant Payment(const char* billNo, ax::Variant interId) {
  sim::Rows rows;
  rows.columns = {"FBillNo", "FInterID"};
  rows.data = {{ax::Variant(billNo), interId}};
  return ax::Variant(ax::DispatchPtr(sim::NewRecordset(std::move(rows))));
}

TEST_F(BankSubmitTest, WithdrawalKeepsAFailedReadToItsBill) {
  env.Single(S(host::ProgId::SecurityInfo), "Security")
      ->On("AccessCheck", [](ax::Args&) -> ax::Variant { return true; });
  env.Single(S(host::ProgId::ShareProps), "Props")
      ->On("GetProperty", [](ax::Args&) -> ax::Variant { return "Language=chs;"; });
  std::vector<int32_t> cancelled;
  env.Single(S(host::ProgId::BankUpdate), "Update")->On("CancelPayment", [&](ax::Args& a) {
    cancelled.push_back(ax::CLng(a[1].value()));
    return ax::Variant(true);
  });

  auto selection = sim::NewVector();
  for (const char* id : {"4", "1", "2", "3"}) selection->Add(ax::Variant(id));
  FakePtr list = env.Make("List");
  list->On("GetSelectedBillID", [&](ax::Args&) { return ax::Variant(ax::DispatchPtr(selection)); });
  list->On("RefreshList", [](ax::Args&) -> ax::Variant { return {}; });
  int reads = 0;
  FakePtr lib = env.Make("LmLib");
  lib->On("GetData", [&](ax::Args&) -> ax::Variant {
    switch (++reads) {
      case 1: return Payment("HB000004", 9001);
      case 2: throw ax::AutomationError(-2147467259, "连接中断", "LmLib");
      case 3: return Payment("HB000002", ax::Variant::null());
      default: return Payment("HB000003", 9003);
    }
  });
  auto listInterface = std::make_shared<FakeList>("ListInterface", &env.log);
  listInterface->Prop("List", ax::Variant(ax::DispatchPtr(list)));
  listInterface->Prop("LmLib", ax::Variant(ax::DispatchPtr(lib)));

  auto plugin = std::make_shared<scTransferListExt1>();
  plugin->Show(ax::Variant(ax::DispatchPtr(listInterface)));
  plugin->UnSubmitToBankBill();

  // The failed read of bill 1 cancels nothing: neither its own nor the previous bill's payment.
  EXPECT_EQ(cancelled, (std::vector<int32_t>{9001, 9003}));
  ASSERT_EQ(env.shown.size(), 1u);
  EXPECT_EQ(env.shown[0],
            "提交银行|单据 HB000004 撤消提交成功\r\n"
            "单据 1 撤消提交失败：连接中断\r\n"
            "单据 HB000002 撤消提交失败：该划拨单未提交\r\n"
            "单据 HB000003 撤消提交成功\r\n");
}


// A bound plug-in whose list interface selects rows by FID; GetSelectedBillID is not the
// export's business and fails when asked.
struct ExportFixture {
  std::shared_ptr<FakeList> listInterface;
  std::shared_ptr<scTransferListExt1> plugin = std::make_shared<scTransferListExt1>();
  std::vector<std::string> exports;

  ExportFixture(sctest::FakeEnv& env, const std::vector<int32_t>& fids) {
    auto rows = sim::NewVector();
    for (int32_t fid : fids) {
      auto row = sim::NewDictionary();
      row->Set("FBillNo", ax::Variant("HB" + std::to_string(fid)));
      row->Set("FID", ax::Variant(fid));
      rows->Add(ax::Variant(ax::DispatchPtr(row)));
    }
    FakePtr list = env.Make("List");
    list->On("GetSelectedBillID", [](ax::Args&) -> ax::Variant {
      throw ax::AutomationError(5, "GetSelectedBillID must not decide the export");
    });
    listInterface = std::make_shared<FakeList>("ListInterface", &env.log);
    listInterface->Prop("List", ax::Variant(ax::DispatchPtr(list)));
    listInterface->Prop("SelectedRows", ax::Variant(ax::DispatchPtr(rows)));
    env.Single(S(host::ProgId::Export), "CExport")->On("ExportPayBill", [this](ax::Args& a) {
      std::string call;
      for (size_t i = 0; i < a.size(); ++i)
        call += (i ? "|" : "") + ax::CStr(a[i].value()) + (a[i].isByRef() ? "&" : "");
      exports.push_back(call);
      return ax::Variant();
    });
    plugin->Show(ax::Variant(ax::DispatchPtr(listInterface)));
  }
};

// Clicks a tool with the key, as the host raises MenuBarClick.
void Click(scTransferListExt1& plugin, sctest::FakeEnv& env, const std::string& key) {
  FakePtr tool = env.Make("Tool");
  tool->Prop("Key", ax::Variant(key));
  ax::Variant cancel(false);
  ax::Args args{ax::Arg(ax::Variant(ax::DispatchPtr(tool))), ax::Arg::byRef(cancel)};
  plugin.OnEvent("MenuBarClick", args);
  EXPECT_TRUE(cancel.type() == ax::VarType::Boolean && !cancel.asBool()) << key << ": Cancel was changed";
}

TEST_F(BankSubmitTest, ClickDispatchByExactKey) {
  struct Case {
    std::string key;
    std::vector<std::string> exports;
  };
  const Case cases[] = {
      {"mnuExportPayBill_K", {"K&|ESC|7,9&|scTransfer"}},
      {"mnuExportPayBill_", {"&|ESC|7,9&|scTransfer"}},
      {"mnuExportPayBill_mnuExportPayBill_K", {"mnuExportPayBill_K&|ESC|7,9&|scTransfer"}},
      {"mnuexportpaybill_K", {}},
      {"MNUEXPORTPAYBILL_K", {}},
      {"mnuExportPayBill", {}},
      {"mnuExport", {}},
      // Submit and withdraw by another case run nothing (their selection read would fail).
      {"mnusubmit", {}},
      {"MNUUNSUBMIT", {}},
  };
  env.Single(S(host::ProgId::SecurityInfo), "Security")
      ->On("AccessCheck", [](ax::Args&) -> ax::Variant { return true; });
  env.Single(S(host::ProgId::ShareProps), "Props")
      ->On("GetProperty", [](ax::Args&) -> ax::Variant { return "Language=chs;"; });
  for (const Case& c : cases) {
    ExportFixture f(env, {7, 9});
    Click(*f.plugin, env, c.key);
    EXPECT_EQ(f.exports, c.exports) << c.key;
    EXPECT_TRUE(env.reported.empty()) << c.key << ": a command ran";
  }
}

TEST_F(BankSubmitTest, ExportWithoutSelectionCreatesNothing) {
  ExportFixture f(env, {});
  f.plugin->ExportPayBill("CMB01");
  EXPECT_TRUE(f.exports.empty());
  EXPECT_EQ(env.created.count("LMWBEXPORT.CEXPORT"), 0u);
}

TEST_F(BankSubmitTest, ExportErrorReachesTheHost) {
  ExportFixture f(env, {3});
  env.Single(S(host::ProgId::Export), "CExport")->On("ExportPayBill", [](ax::Args&) -> ax::Variant {
    throw ax::AutomationError(-2147221503, "付款文件被占用", "LmWBExport.CExport");
  });
  FakePtr tool = env.Make("Tool");
  tool->Prop("Key", ax::Variant("mnuExportPayBill_CMB01"));
  ax::Variant cancel(false);
  ax::Args args{ax::Arg(ax::Variant(ax::DispatchPtr(tool))), ax::Arg::byRef(cancel)};
  try {
    f.plugin->OnEvent("MenuBarClick", args);
    ADD_FAILURE() << "the export's error did not reach the host";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Description(), "付款文件被占用");
    EXPECT_EQ(e.Number(), -2147221503);
  }
}

}  // namespace
}  // namespace sc
