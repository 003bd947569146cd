// The transfer list and centre collection: the collected amounts and their edges, the matching of
// accounts to balances, the ledger query's arguments, row colours and texts, the exact tool keys,
// the dialog's F1 and look-up buttons, and the error source of the modify check.
#include <gtest/gtest.h>

#include <functional>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "automation/error.h"
#include "host/collections.h"
#include "host/recordset.h"
#include "plugin/scTransferListExt.h"
#include "shared/ModPub.h"
#include "sim/host/collections.h"
#include "sim/harness/harness.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"
#include "sim/host/list_window.h"
#include "sim/host/menu_bar.h"
#include "sim/host/recordset.h"
#include "translist/dlgBalSum.h"

namespace {

std::string Text(const ax::Variant& v) { return ax::DisplayText(v); }

// A demo centre where only account 102 (01.002, collected into 101) is set up for collection
// and no transfer is pending.
void OnlyAccount102(sim::Host& host) {
  host.Db().Execute("update t_Acnt set FAutoTransfer=0 where FID<>102");
  host.Db().Execute("delete from t_scTransfer");
}

// A saved transfer bill without voucher between two accounts.
void PendingTransfer(sim::Host& host, int32_t pay, int32_t rec, double amount) {
  host.Db().ExecNative(
      "INSERT INTO t_scTransfer (FBillNo, FPayAcctID, FRecAcctID, FCyID, FAmt, FFcyAmt) "
      "VALUES ('P', ?, ?, 1, ?, ?)",
      {pay, rec, amount, amount});
}

// The collection list of the dialog as it opens (today, every account).
ax::Object Collect() {
  sc::dlgBalSum& dlg = sc::dlgBalSum::Instance();
  dlg.EnsureLoaded();
  return dlg.BuildCollectionList();
}

struct AmountCase {
  const char* name;
  double balance, retained, payments, receipts;
  std::optional<double> minimum;  // nullopt: no minimum set (Null)
  std::optional<double> collected;  // nullopt: not collected
};

TEST(CentreCollection, AmountIsBalanceAboveRetainedLessPaymentsPlusReceiptsFromTheMinimumOn) {
  const AmountCase cases[] = {
      {"above the minimum", 1000, 300, 200, 50, 500, 550},
      {"below the minimum", 1000, 300, 200, 50, 600, std::nullopt},
      {"exactly the minimum", 1000, 300, 200, 50, 550, 550},
      {"minimum a cent above", 1000, 300, 200, 50, 550.01, std::nullopt},
      {"negative, minimum not above it", 100, 300, 0, 0, -200, -200},
      {"negative, minimum above it", 100, 300, 0, 0, -199, std::nullopt},
      {"pending receipts alone", 0, 0, 0, 800, 800, 800},
      {"no minimum set", 1000, 0, 0, 0, std::nullopt, std::nullopt},
      {"amounts kept as computed", 1000.1, 0.2, 0, 0, 0, 999.9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sim::Host host;
    sim::Harness harness(host);
    OnlyAccount102(host);
    host.Db().ExecNative("UPDATE t_Balance SET FBalance=? WHERE FAcntID=102", {c.balance});
    host.Db().ExecNative("UPDATE t_Acnt SET FTransBound=?, FTransMin=? WHERE FID=102",
                         {c.retained, c.minimum ? ax::Variant(*c.minimum) : ax::Variant::null()});
    if (c.payments) PendingTransfer(host, 102, 103, c.payments);
    if (c.receipts) PendingTransfer(host, 103, 102, c.receipts);

    ax::Object items = Collect();
    ASSERT_EQ(sc::host::Count(items), c.collected ? 1 : 0);
    if (!c.collected) continue;
    ax::Object item = items.ItemObj(1);
    EXPECT_EQ(item.Item("FAmt").type(), ax::VarType::Double);
    EXPECT_DOUBLE_EQ(ax::CDbl(item.Item("FAmt")), *c.collected);
    EXPECT_DOUBLE_EQ(ax::CDbl(item.Item("FFcyAmt")), *c.collected);
  }
}

TEST(CentreCollection, ItemCarriesBothAccountsTheCurrencyAndTheQueryDate) {
  sim::Host host;
  sim::Harness harness(host);
  OnlyAccount102(host);
  sc::dlgBalSum& dlg = sc::dlgBalSum::Instance();
  dlg.EnsureLoaded();
  dlg.C("dtpSelDay").value = ax::MakeDate(2026, 12, 31, 15, 30, 0);
  ax::Object items = dlg.BuildCollectionList();
  ASSERT_EQ(sc::host::Count(items), 1);
  ax::Object item = items.ItemObj(1);
  const std::pair<const char*, const char*> expected[] = {
      {"FPayAcctID", "102"},           {"FPayAcctNo", "01.002"},
      {"FPayBank", "招商银行广州分行"}, {"FPayBankAcnt", "755900000000002"},
      {"FRecAcctID", "101"},           {"FRecAcctNo", "01.001"},
      {"FRecBank", "招商银行深圳分行"}, {"FRecBankAcnt", "755900000000001"},
      {"FCyID", "1"},                  {"FCyNo", "RMB"},
      {"FCyName", "人民币"},           {"FCyDecimal", "2"},
      {"FExchRate", "1"},              {"FAmt", "130000"},
      {"FPaySettDate", "2026-12-31"},  {"FSource", "1"},
  };
  for (const auto& [key, text] : expected) EXPECT_EQ(Text(item.Item(key)), text) << key;
  EXPECT_EQ(item.Item("FSource").type(), ax::VarType::Integer);
  EXPECT_EQ(item.Item("FCyDecimal").type(), ax::VarType::Integer);
  EXPECT_EQ(item.Item("FPaySettDate").type(), ax::VarType::Date);
}

// The GetBalSum arguments as passed: value and whether by reference.
using SeenArgs = std::vector<std::pair<ax::Variant, bool>>;

// A ledger summary that answers with fixed balance rows and records the GetBalSum arguments.
class FixedLedger : public sim::HostObject {
 public:
  FixedLedger(sim::Host& host, sim::Rows rows, SeenArgs* seen)
      : HostObject(host, "FENRFundSum.LedgerSum", "LedgerSum") {
    Method("GetBalSum", [rows, seen](ax::Args& args) -> ax::Variant {
      if (seen) {
        seen->clear();
        for (const ax::Arg& a : args) seen->emplace_back(a.value(), a.isByRef());
      }
      return ax::DispatchPtr(sim::NewRecordset(rows));
    });
    Method("GetAllAcnt", [](ax::Args&) -> ax::Variant { return {}; });
  }
};

sim::Rows Balances(std::vector<std::pair<ax::Variant, ax::Variant>> idAndSum) {
  sim::Rows rows;
  rows.columns = {"FClientID", "FClientNumber", "FClientName", "FAccntSum"};
  for (auto& [id, sum] : idAndSum) rows.data.push_back({id, "", "", sum});
  return rows;
}

void UseLedger(sim::Host& host, sim::Rows rows, SeenArgs* seen = nullptr) {
  host.Register("FENRFundSum.LedgerSum", [rows, seen](sim::Host& h) -> ax::DispatchPtr {
    return std::make_shared<FixedLedger>(h, rows, seen);
  });
}

TEST(CentreCollection, FirstBalanceEntryOfAnAccountCounts) {
  sim::Host host;
  sim::Harness harness(host);
  host.Db().Execute("delete from t_scTransfer");
  // 102 retains 50000 (minimum 10000), 103 retains 20000 (minimum 5000).
  UseLedger(host, Balances({{ax::Variant::null(), 1e9},
                            {"abc", 1e9},
                            {102, 70000},
                            {102, 999999},
                            {"103", 30000},
                            {103, 0}}));
  ax::Object items = Collect();
  ASSERT_EQ(sc::host::Count(items), 2);
  EXPECT_EQ(Text(items.ItemObj(1).Item("FPayAcctID")), "102");
  EXPECT_EQ(Text(items.ItemObj(1).Item("FAmt")), "20000");
  EXPECT_EQ(Text(items.ItemObj(2).Item("FPayAcctID")), "103");
  EXPECT_EQ(Text(items.ItemObj(2).Item("FAmt")), "10000");
}

TEST(CentreCollection, AccountWithoutBalanceIsSkippedAndNullBalanceStopsTheRun) {
  sim::Host host;
  sim::Harness harness(host);
  host.Db().Execute("delete from t_scTransfer");
  UseLedger(host, Balances({{103, 30000}}));
  ax::Object items = Collect();
  ASSERT_EQ(sc::host::Count(items), 1);
  EXPECT_EQ(Text(items.ItemObj(1).Item("FPayAcctID")), "103");

  UseLedger(host, Balances({{102, ax::Variant::null()}, {103, 30000}}));
  try {
    sc::dlgBalSum::Instance().BuildCollectionList();
    FAIL() << "a Null balance must stop the run";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), ax::err::kInvalidNull);
  }
}

// Each input of the dialog reaches the balance query in its own argument: changing one input
// changes that argument and no other, so a swapped, constant or stale argument fails here.
TEST(CentreCollection, EachDialogInputMovesOnlyItsBalanceQueryArgument) {
  sim::Host host;
  sim::Harness harness(host);
  SeenArgs seen;
  UseLedger(host, Balances({}), &seen);
  sc::dlgBalSum& dlg = sc::dlgBalSum::Instance();
  dlg.EnsureLoaded();
  dlg.C("dtpSelDay").value = ax::MakeDate(2026, 12, 31, 15, 30, 0);
  dlg.C("txtStartAcct").text = "  01.002 ";
  dlg.C("txtEndAcct").text = "01.003";
  dlg.C("ChkEdit").value = 1;
  dlg.C("chkTransDate").value = 0;
  auto query = [&] {
    sc::dlgBalSum::Instance().BuildCollectionList();
    std::vector<std::string> texts;
    for (const auto& [v, byRef] : seen) texts.push_back(v.isMissing() ? "<omitted>" : Text(v));
    return texts;
  };
  const std::vector<std::string> base = query();
  ASSERT_EQ(base.size(), 16u);
  EXPECT_FALSE(base[0].empty()) << "the context string comes first";
  EXPECT_EQ(base[2], "2026-12-31") << "the query date without its time";
  EXPECT_EQ(base[5], "01.002") << "the first code, trimmed";

  struct Change {
    const char* what;
    std::function<void()> apply;
    size_t argument;  // from 0
    const char* becomes;
  };
  const Change changes[] = {
      {"query date", [&] { dlg.C("dtpSelDay").value = ax::MakeDate(2026, 11, 30, 0, 0, 0); }, 2, "2026-11-30"},
      {"first code", [&] { dlg.C("txtStartAcct").text = "01.001"; }, 5, "01.001"},
      {"last code", [&] { dlg.C("txtEndAcct").text = "02.001"; }, 6, "02.001"},
      {"unposted", [&] { dlg.C("ChkEdit").value = 0; }, 10, "False"},
      {"business date", [&] { dlg.C("chkTransDate").value = 1; }, 13, "True"},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.what);
    c.apply();
    std::vector<std::string> now = query();
    ASSERT_EQ(now.size(), 16u);
    for (size_t i = 0; i < 16; ++i)
      EXPECT_EQ(now[i], i == c.argument ? c.becomes : base[i]) << "argument " << i + 1;
    // back to the base for the next change
    dlg.C("dtpSelDay").value = ax::MakeDate(2026, 12, 31, 15, 30, 0);
    dlg.C("txtStartAcct").text = "  01.002 ";
    dlg.C("txtEndAcct").text = "01.003";
    dlg.C("ChkEdit").value = 1;
    dlg.C("chkTransDate").value = 0;
  }
  // The values the call sites hand back by reference are passed by reference.
  for (size_t i : {1u, 2u, 5u, 6u, 7u, 10u, 13u}) EXPECT_TRUE(seen[i].second) << "argument " << i + 1;
  EXPECT_EQ(seen[2].first.type(), ax::VarType::Date);
}

TEST(CentreCollectionBills, BillIsPrefilledAndThreeFieldsLocked) {
  sim::Host host;
  sim::Harness harness(host);
  sc::dlgBalSum& dlg = sc::dlgBalSum::Instance();
  dlg.EnsureLoaded();
  ax::Object items = dlg.BuildCollectionList();
  ASSERT_EQ(sc::host::Count(items), 2);
  ax::Object dataService = ax::CreateObject("LmClassTpl.DataSrv");
  dataService.Put("ClassTypeID", 1006007);
  ax::Object bill = dlg.BuildTransferBill(dataService, items.ItemObj(1));
  ax::Object map = dataService.GetObj("TableInfo").ItemObj("Map");
  auto entry = [&](const char* key) {
    return bill.ItemObj("Page1").ItemObj(ax::CStr(map.Item(key)));
  };
  auto locked = [&](const char* key) {
    return Text(dataService.GetObj("TableInfo").ItemObj(ax::CStr(map.Item(key))).Item("FLock"));
  };
  EXPECT_EQ(Text(entry("FPayAcctID").Item("FFld")), "102");
  EXPECT_EQ(Text(entry("FPayAcctID").Item("FFND")), "01.002");
  EXPECT_EQ(Text(entry("FPayAcctID").Item("FDSP")), "01.002");
  EXPECT_EQ(Text(entry("FCyID").Item("FDSP")), "人民币");
  EXPECT_EQ(Text(entry("FCyID").Item("FDecimal")), "2");
  EXPECT_EQ(Text(entry("FAmt").Item("FFld")), "150000");
  // Without daily closing the bill keeps the host's date.
  EXPECT_EQ(Text(entry("FDate").Item("FFld")), "2026-12-08");
  for (const char* key : {"FPayBankAcnt", "FCyID", "FExchRate"}) EXPECT_EQ(locked(key), "1") << key;
  for (const char* key : {"FPayAcctID", "FRecAcctID", "FAmt", "FPayBank", "FDate"})
    EXPECT_EQ(locked(key), "0") << key;
}

TEST(CentreCollectionDialog, F1ShowsHelpTopicAndOtherKeysPassThrough) {
  sim::Host host;
  sim::Harness harness(host);
  sc::dlgBalSum& dlg = sc::dlgBalSum::Instance();
  dlg.EnsureLoaded();
  int16_t key = 113, shift = 1;
  dlg.Form_KeyDown(key, shift);
  EXPECT_EQ(key, 113);
  EXPECT_EQ(shift, 1);
  EXPECT_TRUE(harness.Calls().empty() || harness.Calls().back().kind != "help");

  key = 112;
  dlg.Form_KeyDown(key, shift);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(shift, 0);
  ASSERT_FALSE(harness.Calls().empty());
  EXPECT_EQ(harness.Calls().back().kind, "help");
  EXPECT_EQ(harness.Calls().back().values.at(0), "460129");
}

TEST(CentreCollectionDialog, LookupButtonsFillTheirCodeAndCancelKeepsIt) {
  sim::Host host;
  sim::Harness harness(host);
  sc::dlgBalSum& dlg = sc::dlgBalSum::Instance();
  dlg.EnsureLoaded();
  harness.QueueReply({"pick account", "01.002", "01.002", true, {}, {}, "test"});
  dlg.Click("btnLookup(0)");
  harness.QueueReply({"pick account", "01.003", "01.003", true, {}, {}, "test"});
  dlg.Click("btnLookup(1)");
  EXPECT_EQ(dlg.C("txtStartAcct").text, "01.002");
  EXPECT_EQ(dlg.C("txtEndAcct").text, "01.003");
  harness.QueueReply({"pick account", "cancel", "", false, {}, {}, "test"});
  dlg.Click("btnLookup(0)");
  EXPECT_EQ(dlg.C("txtStartAcct").text, "01.002");
}

// ---- the list's rows --------------------------------------------------------------------------

struct RowCase {
  const char* name;
  std::vector<std::string> columns;  // of the row
  std::vector<ax::Variant> values;
  const char* column;  // FFieldNameExt of the cell
  const char* cell;    // the cell text the host passes
  const char* cellAfter;
  int32_t colorAfter;  // -1: unchanged
  bool continueRaise;
};

TEST(TransferListRows, CellTextsAndColoursFollowCheckAndSubmissionState) {
  const std::vector<std::string> cols = {"FID", "fcheckstatus", "FBaseProperty6_DSPName"};
  const RowCase cases[] = {
      {"no check-state column", {"FID"}, {1}, "view_BKPaymentTAV.FSubmitState", "BK201", "BK201", -1,
       false},
      {"unchecked keeps its texts", cols, {1, 0, "x"}, "view_BKPaymentTAV.FCommitPayStatus", "1",
       "1", 16777200, true},
      {"Null check state counts as unchecked", cols, {1, ax::Variant::null(), "x"},
       "view_BKPaymentTAV.FSubmitState", "BK201", "BK201", 16777200, true},
      {"checked: status code as text", cols, {1, 1, "x"}, "view_BKPaymentTAV.FSubmitState",
       "BK201", "已撤消", -1, true},
      {"checked: empty status", cols, {1, 1, "x"}, "view_BKPaymentTAV.FSubmitState", "", "", -1, true},
      {"checked: unknown status", cols, {1, 1, "x"}, "view_BKPaymentTAV.FSubmitState", "bk201",
       "未知的错误信息", -1, true},
      {"committed with a bank status", cols, {1, 1, "x"}, "view_BKPaymentTAV.FCommitPayStatus", "1",
       "已提交", 16770996, true},
      {"committed without a bank status", cols, {1, 1, ""}, "view_BKPaymentTAV.FCommitPayStatus",
       "1", "已提交", 16579795, true},
      {"committed, bank status Null", cols, {1, 1, ax::Variant::null()},
       "view_BKPaymentTAV.FCommitPayStatus", "1", "已提交", 16579795, true},
      {"not committed", cols, {1, 1, "x"}, "view_BKPaymentTAV.FCommitPayStatus", "0", "", 16777215,
       true},
      {"other commit value", cols, {1, 1, "x"}, "view_BKPaymentTAV.FCommitPayStatus", "2", "",
       16777215, true},
      {"empty commit value", cols, {1, 1, "x"}, "view_BKPaymentTAV.FCommitPayStatus", "", "",
       16777215, true},
      {"another column", cols, {1, 1, "x"}, "t_scTransfer.FBillNo", "HB000001", "HB000001", -1, true},
  };
  sim::Host host;
  sim::Harness harness(host);
  auto list = std::make_shared<sc::scTransferListExt>();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sim::Rows rows;
    rows.columns = c.columns;
    rows.data.push_back(c.values);
    ax::Object rowData(sim::NewRecordset(rows));
    auto head = sim::NewDictionary();
    head->Set("FFieldNameExt", c.column);
    ax::Variant cell(c.cell), color(int32_t{5}), more(true);
    list->ListFillRow(1, rowData, ax::Object(head), cell, color, more);
    EXPECT_EQ(Text(cell), c.cellAfter);
    EXPECT_EQ(ax::CLng(color), c.colorAfter < 0 ? 5 : c.colorAfter);
    EXPECT_EQ(ax::IsTrue(more), c.continueRaise);
  }
}

TEST(TransferListRows, HasFieldIgnoresCaseAndNothingHasNoField) {
  sim::Host host;
  sim::Harness harness(host);
  sim::Rows rows;
  rows.columns = {"FID", "FCheckStatus"};
  ax::Object rs(sim::NewRecordset(rows));
  EXPECT_TRUE(sc::host::HasField("FCHECKSTATUS", rs));
  EXPECT_TRUE(sc::host::HasField("fid", rs));
  EXPECT_FALSE(sc::host::HasField("FCheck", rs));
  EXPECT_FALSE(sc::host::HasField("FID", ax::Object()));
}

// Stands between the handler and the host's objects and counts every call made into the host,
// on the objects passed in and on every object they hand back. One member of the Fields
// collection can be made to fail or to answer Nothing.
struct HostCalls {
  int count = 0;
  std::string failFieldsItem;  // a field name whose Fields.Item fails ...
  int32_t failNumber = 0;      // ... with this error, or answers Nothing when it is 0
};

class CountingProxy : public ax::Dispatch {
 public:
  CountingProxy(ax::DispatchPtr target, std::shared_ptr<HostCalls> calls)
      : target_(std::move(target)), calls_(std::move(calls)) {}
  std::string ClassName() const override { return target_->ClassName(); }
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override {
    ++calls_->count;
    if (target_->ClassName() == "Fields" && ax::EqualsNoCase(member, "Item") && !args.empty() &&
        args[0].value().isString() && args[0].value().asString() == calls_->failFieldsItem) {
      if (calls_->failNumber == 0) return ax::Variant(ax::DispatchPtr());
      throw ax::AutomationError(calls_->failNumber, "the connection was lost", "ADODB.Fields");
    }
    ax::Variant v = target_->Invoke(member, kind, args);
    if (v.isObject() && v.asObject())
      return ax::Variant(ax::DispatchPtr(std::make_shared<CountingProxy>(v.asObject(), calls_)));
    return v;
  }

 private:
  ax::DispatchPtr target_;
  std::shared_ptr<HostCalls> calls_;
};

struct FillEvent {
  std::vector<std::string> columns;
  std::vector<ax::Variant> values;
  std::shared_ptr<HostCalls> calls = std::make_shared<HostCalls>();
  ax::Variant cell, color{int32_t{5}}, more{true};

  // A row of a wide list whose check state is its last column.
  explicit FillEvent(const ax::Variant& checkStatus, bool withCheckStatus = true) {
    for (int i = 0; i < 30; ++i) columns.push_back("FColumn" + std::to_string(i));
    values.assign(30, ax::Variant(int32_t{7}));
    columns.push_back("FBaseProperty6_DSPName");
    values.push_back("SUBMIT_SUCCESSE");
    if (withCheckStatus) {
      columns.push_back("FCheckStatus");
      values.push_back(checkStatus);
    }
  }

  void Raise(sc::scTransferListExt& list, const char* column, const char* text) {
    sim::Rows rows;
    rows.columns = columns;
    rows.data.push_back(values);
    auto head = sim::NewDictionary();
    head->Set("FFieldNameExt", column);
    cell = text;
    list.ListFillRow(1, ax::Object(std::make_shared<CountingProxy>(sim::NewRecordset(rows), calls)),
                     ax::Object(std::make_shared<CountingProxy>(head, calls)), cell, color, more);
  }
};

TEST(TransferListRows, EachCellCostsAFewHostCallsHoweverWideTheRow) {
  struct CallCase {
    const char* name;
    ax::Variant checkStatus;
    bool withCheckStatus;
    const char* column;
    const char* cell;
    int calls;
    const char* cellAfter;
  };
  const CallCase cases[] = {
      {"row without a check state", 1, false, "t_scTransfer.FAmt", "80000", 2, "80000"},
      {"unchecked row", 0, true, "t_scTransfer.FAmt", "80000", 3, "80000"},
      {"checked row, ordinary column", 1, true, "t_scTransfer.FAmt", "80000", 4, "80000"},
      {"submit state", 1, true, "view_BKPaymentTAV.FSubmitState", "BK201", 4, "已撤消"},
      {"commit state", 1, true, "view_BKPaymentTAV.FCommitPayStatus", "1", 6, "已提交"},
      {"commit state not committed", 1, true, "view_BKPaymentTAV.FCommitPayStatus", "0", 4, ""},
  };
  sim::Host host;
  sim::Harness harness(host);
  sc::scTransferListExt list;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FillEvent event(c.checkStatus, c.withCheckStatus);
    event.Raise(list, c.column, c.cell);
    EXPECT_EQ(event.calls->count, c.calls);
    EXPECT_EQ(Text(event.cell), c.cellAfter);
  }
}

TEST(TransferListRows, FailingFieldLookUpGoesBackToTheHostAndNothingMeansNoField) {
  sim::Host host;
  sim::Harness harness(host);
  sc::scTransferListExt list;
  {
    SCOPED_TRACE("the look-up fails");
    FillEvent event(1);
    event.calls->failFieldsItem = "FCheckStatus";
    event.calls->failNumber = 3709;
    try {
      event.Raise(list, "t_scTransfer.FAmt", "80000");
      FAIL() << "a failing look-up is not a missing field";
    } catch (const ax::AutomationError& e) {
      EXPECT_EQ(e.Number(), 3709);
    }
    EXPECT_TRUE(ax::IsTrue(event.more));
    EXPECT_EQ(ax::CLng(event.color), 5);
  }
  {
    SCOPED_TRACE("the bank status look-up fails");
    FillEvent event(1);
    event.calls->failFieldsItem = "FBaseProperty6_DSPName";
    event.calls->failNumber = -2147467259;
    EXPECT_THROW(event.Raise(list, "view_BKPaymentTAV.FCommitPayStatus", "1"), ax::AutomationError);
  }
  {
    SCOPED_TRACE("the collection answers Nothing");
    FillEvent event(1);
    event.calls->failFieldsItem = "FCheckStatus";
    event.Raise(list, "view_BKPaymentTAV.FSubmitState", "BK201");
    EXPECT_FALSE(ax::IsTrue(event.more));
    EXPECT_EQ(Text(event.cell), "BK201");
    EXPECT_EQ(ax::CLng(event.color), 5);
  }
}

TEST(RecordReading, EachFieldIsLookedUpOnceAndThenOnlyReadRecordAfterRecord) {
  sim::Rows rows;
  rows.columns = {"FID", "FNumber", "FBank", "FTransMin"};
  for (int32_t i = 1; i <= 3; ++i)
    rows.data.push_back({i, "01.00" + std::to_string(i), "bank " + std::to_string(i),
                         i == 2 ? ax::Variant::null() : ax::Variant(100.0 * i)});
  auto calls = std::make_shared<HostCalls>();
  ax::Object rs(std::make_shared<CountingProxy>(sim::NewRecordset(rows), calls));
  sc::host::FieldReader field(rs);
  std::string read;
  rs.Call("MoveFirst");
  int navigation = 1;
  while (!ax::IsTrue(rs.Get("EOF"))) {
    for (const char* name : {"FID", "FNumber", "FBank", "FTransMin"})
      read += Text(field(name)) + ",";
    read += ";";
    rs.Call("MoveNext");
    navigation += 2;
  }
  ++navigation;  // the last EOF
  EXPECT_EQ(read, "1,01.001,bank 1,100,;2,01.002,bank 2,NULL,;3,01.003,bank 3,300,;");
  EXPECT_EQ(calls->count - navigation, 1 + 4 + 3 * 4) << "Fields once, each Field once, then values";

  // A field the record set does not have fails where it is first read.
  try {
    field("FNoSuchField");
    FAIL() << "an unknown field must raise";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), 3265);
  }
}

// ---- commands ---------------------------------------------------------------------------------

std::shared_ptr<sc::scTransferListExt> ListPlugin(sim::Host& host) {
  auto window = host.OpenList("transfer");
  auto plugin = std::dynamic_pointer_cast<sc::scTransferListExt>(window->Plugin());
  EXPECT_TRUE(plugin);
  return plugin;
}

TEST(TransferListCommands, KeysCompareExactly) {
  sim::Host host;
  sim::Harness harness(host);
  auto plugin = ListPlugin(host);
  host.CurrentList()->Select({3});
  for (const char* key : {"mnusccheck", "MNUSCRECHECK", "mnuEditdelete", "mnuEditModify "}) {
    SCOPED_TRACE(key);
    auto tool = std::make_shared<sim::Tool>(host, key);
    bool cancel = false;
    plugin->MenuBarClick(ax::Object(tool), cancel);
    EXPECT_FALSE(cancel);
  }
  for (const auto& call : harness.Calls()) EXPECT_NE(call.kind, "listop");
  EXPECT_TRUE(harness.Messages().empty());
}

TEST(TransferListCommands, ModifyCheckRaisesErrorsWithItsOwnSource) {
  sim::Host host;
  sim::Harness harness(host);
  auto plugin = ListPlugin(host);
  host.CurrentList()->Select({1});
  harness.faults().Plant("LmLib", "GetData", "连接中断", 3709);
  try {
    sc::ModifyAccessCheck(plugin->List());
    FAIL() << "the error must reach the caller";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), 3709);
    EXPECT_EQ(e.Description(), "连接中断");
    EXPECT_EQ(e.Source(), "[scTAVExt.ModPub.ModifyAccessCheck]");
  }
}

}  // namespace
