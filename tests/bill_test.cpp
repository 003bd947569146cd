// The transfer-bill window, where the scenarios cannot look: the voucher containers handed to the
// voucher component (keys, values and automation types) and the case-sensitive command dispatch
// (the simulated menu finds tools in any case, so only a tool object can carry another case).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "automation/object.h"
#include "automation/variant.h"
#include "sim/host/bill_window.h"
#include "sim/host/collections.h"
#include "sim/harness/harness.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"
#include "sim/host/menu_bar.h"

namespace {

// What the plug-in handed to the voucher component.
struct Handed {
  ax::Object billInfo;
  ax::Variant subject;
  std::string mode;
  int calls = 0;
};

// A voucher component that completes every window and stores nothing: it hands back voucher 999.
class CapturingVoucher : public sim::HostObject {
 public:
  CapturingVoucher(sim::Host& host, Handed& handed)
      : HostObject(host, "Voucher.clsVoucher", "clsVoucher") {
    Member("BillInfo", [&handed](unsigned kind, ax::Args& args) -> ax::Variant {
      if (kind & (ax::kPut | ax::kPutRef)) {
        handed.billInfo = ax::Object(ax::PutValue(args));
        return {};
      }
      return handed.billInfo.AsVariant();
    });
    Method("vchEdit", [&handed](ax::Args& args) -> ax::Variant {
      ++handed.calls;
      handed.subject = args[0].value();
      handed.mode = sim::ArgText(args, 1);
      handed.billInfo.Put("Item", 999, {"FVoucherID"});
      return {};
    });
    Property("VchDone", [] { return ax::Variant(true); });
  }
};

struct Item {
  const char* container;  // "info", "header", "entry1", "entry2"
  const char* key;
  ax::VarType type;
  const char* text;  // as DisplayText shows it; "-" when the key must be absent
};

class VoucherContainers : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Register("Voucher.clsVoucher", [this](sim::Host& h) -> ax::DispatchPtr {
      return std::make_shared<CapturingVoucher>(h, handed);
    });
  }

  std::shared_ptr<sim::Dictionary> Container(const std::string& name) {
    auto info = handed.billInfo.As<sim::Dictionary>();
    if (name == "info") return info;
    auto header = ax::Object(handed.subject).As<sim::Dictionary>();
    if (name == "header") return header;
    auto entries = ax::Object(header->Get("Entries")).As<sim::Vector>();
    EXPECT_EQ(entries->Items().size(), 2u);
    return ax::Object(entries->Items()[name == "entry1" ? 0 : 1]).As<sim::Dictionary>();
  }

  void Check(const std::vector<Item>& items) {
    ASSERT_EQ(handed.calls, 1);
    for (const Item& item : items) {
      SCOPED_TRACE(std::string(item.container) + " " + item.key);
      auto dict = Container(item.container);
      ASSERT_TRUE(dict);
      const ax::Variant* v = dict->Find(item.key);
      if (std::string(item.text) == "-") {
        EXPECT_EQ(v, nullptr);
        continue;
      }
      ASSERT_NE(v, nullptr);
      EXPECT_EQ(v->type(), item.type) << v->typeName();
      EXPECT_EQ(ax::DisplayText(*v), item.text);
    }
  }

  sim::Host host;
  sim::Harness harness{host};
  Handed handed;
};

using T = ax::VarType;

TEST_F(VoucherContainers, TheVoucherCommandOnAnApprovedBill) {
  sim::BillOpening opening;
  opening.fid = 1;
  auto bill = host.OpenBill(opening);
  bill->Click("mnuCreateVou");
  EXPECT_EQ(handed.mode, "Add");
  Check({
      {"header", "FDate", T::String, "2026-12-01"},
      {"header", "FTransDate", T::String, "2026-12-01"},
      {"header", "FTranType", T::Long, "1006007"},
      {"header", "FReference", T::String, "HB000001"},
      {"header", "FObjectName", T::String, "scTAVExt.scTransferBillExt"},
      {"entry1", "FAccountID", T::Long, "1022"},  // receiving side: 102's ledger account
      {"entry1", "FCurrencyID", T::Long, "1"},
      {"entry1", "FAmountFor", T::Double, "50000"},
      {"entry1", "FAmount", T::Double, "50000"},
      {"entry1", "FExplanation", T::String, "划拨单,调拨,集团调拨华南公司"},
      {"entry1", "FSettleTypeID", T::Long, "2"},
      {"entry1", "FSettleNo", T::String, "DH1201"},
      {"entry1", "FDC", T::Integer, "1"},
      {"entry2", "FAccountID", T::Long, "1021"},  // paying side: 101's
      {"entry2", "FDC", T::Integer, "0"},
      {"info", "KeyAcctID2", T::Long, "1022"},
      {"info", "KeyAcctDC2", T::Integer, "1"},
      {"info", "KeyAcctID", T::Long, "1021"},
      {"info", "KeyAcctDC", T::Integer, "0"},
      {"info", "FCyID", T::Long, "1"},
      {"info", "VoucherID", T::Integer, "0"},
      {"info", "objectID", T::Double, "1"},
      {"info", "ObjectName", T::String, "FENRMTAVExt.cTransferUpdate"},
      {"info", "FAmt", T::Double, "50000"},
      {"info", "FFcyAmt", T::Double, "50000"},
      {"info", "FPaytran", T::String, "ZF20261201"},
      {"info", "FDate", T::String, "2026-12-01"},
      {"info", "ObjectMethod", T::String, "Update"},
  });
  // The id handed back is the one linked.
  EXPECT_EQ(ax::DisplayText(bill->FieldValue("FVoucherID", 1)), "999");
}

TEST_F(VoucherContainers, ANonBankLedgerAccountGetsNoSettlement) {
  host.Db().Execute("update t_scTransfer set FVoucherID=0 where FID=5");
  sim::BillOpening opening;
  opening.fid = 5;
  host.OpenBill(opening)->Click("mnuCreateVou");
  Check({
      {"entry1", "FAccountID", T::Long, "1024"},  // 104's ledger account is not a bank account
      {"entry1", "FSettleTypeID", T::Empty, "-"},
      {"entry1", "FSettleNo", T::Empty, "-"},
      {"entry2", "FSettleTypeID", T::Long, "2"},
      {"entry2", "FSettleNo", T::String, "DH1205"},
      {"entry1", "FExplanation", T::String, "划拨单,调拨"},
  });
}

TEST_F(VoucherContainers, ANewBillSavedWithAutomaticVouchers) {
  host.SetProfileValue("SC", "SCGetBillAutoVch", "0");
  auto bill = host.OpenBill(sim::BillOpening{});
  bill->Edit("FPayAcctID", "02.001");
  bill->Edit("FRecAcctID", "02.001");
  bill->Edit("FAmt", "100");
  bill->Save();
  EXPECT_FALSE(bill->lastCancelled);
  EXPECT_EQ(handed.mode, "Add");
  Check({
      {"info", "ObjectMethod", T::String, "Create"},
      {"info", "objectID", T::Double, "0"},
      {"info", "VoucherID", T::Integer, "0"},
      {"info", "FCyID", T::Long, "2"},
      {"info", "FPaytran", T::Empty, ""},
      {"entry1", "FAmountFor", T::Double, "100"},
      {"entry1", "FAmount", T::Double, "710"},
      {"entry1", "FExchangeRate", T::Double, "7.1"},
      {"entry1", "FSettleTypeID", T::Long, "0"},  // a bank account without settlement type
      {"entry1", "FExplanation", T::String, "划拨单"},
  });
  // The voucher the window stored is saved with the bill.
  sim::Rows saved = host.Db().QueryNative("SELECT FVoucherID FROM t_scTransfer WHERE FID=6");
  ASSERT_EQ(saved.data.size(), 1u);
  EXPECT_EQ(ax::DisplayText(saved.data[0][0]), "999");
}

TEST_F(VoucherContainers, AModifiedBillWithAVoucherEditsIt) {
  host.Db().Execute("update t_scTransfer set FCheckerID=0, FReCheckerID=0 where FID=5");
  sim::BillOpening opening;
  opening.fid = 5;
  auto bill = host.OpenBill(opening);
  bill->Edit("FAmt", "7000");
  bill->Save();
  EXPECT_EQ(handed.mode, "Edit");
  Check({
      {"info", "ObjectMethod", T::String, "Update"},
      {"info", "VoucherID", T::Long, "301"},
      {"entry1", "FAmountFor", T::Double, "7000"},
      {"entry1", "FAmount", T::Double, "7000"},
  });
}

// ---- command dispatch -------------------------------------------------------------------------

TEST(BillCommands, ToolKeysAreComparedExactly) {
  struct Case {
    const char* key;
    const char* message;  // "" when the plug-in does nothing
  };
  // Bill 5 is approved and has a voucher: every command of the plug-in answers with a refusal.
  const Case cases[] = {
      {"mnuscCheck", "不能审核已经审批的单据!"},
      {"mnusccheck", ""},
      {"MNUSCCHECK", ""},
      {"mnuscUnCheck", "不能反审核已经审批的单据!"},
      {"mnuscuncheck", ""},
      {"mnuscReCheck", "不能审批已经审批的单据!"},
      {"mnuscrecheck", ""},
      {"mnuscUnReCheck", "取消审批人和原审批人必须同一个人!"},
      {"MnuScUnReCheck", ""},
      {"mnuCreateVou", "该划拨单已经生成凭证,不能再生成凭证!"},
      {"mnucreatevou", ""},
      {"voucher", ""},
      {"mnuFilePreview", ""},
      {"", ""},
  };
  sim::Host host;
  sim::Harness harness(host);
  sim::BillOpening opening;
  opening.fid = 5;
  auto bill = host.OpenBill(opening);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    auto tool = std::make_shared<sim::Tool>(host, c.key);
    ax::Variant cancel(false);
    ax::Args args{ax::Arg(ax::Variant(ax::DispatchPtr(tool))), ax::Arg::byRef(cancel)};
    ASSERT_TRUE(bill->Raise("MenuBarClick", args));
    EXPECT_FALSE(ax::IsTrue(cancel));
    auto& shown = harness.Messages();
    if (*c.message) {
      ASSERT_EQ(shown.size(), 1u);
      EXPECT_EQ(shown.front().text, c.message);
    } else {
      EXPECT_TRUE(shown.empty()) << shown.front().text;
    }
    shown.clear();
  }
}

}  // namespace
