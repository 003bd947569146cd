// The simulated host's components check each call against what the plug-in's call sites fix:
// the right call passes, and a call with one thing wrong (count, context string, kind, constant,
// by-value where the member takes a reference) fails with the error a late-bound call raises,
// naming the member.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "automation/error.h"
#include "automation/runtime.h"
#include "sim/host/bill_window.h"
#include "sim/host/call_check.h"
#include "sim/host/collections.h"
#include "sim/harness/harness.h"
#include "sim/host/host.h"
#include "sim/host/list_window.h"

namespace sim {
namespace {

// The error number of a call, 0 when it succeeded; a call the checks refused must name the
// member (the component's own errors are its business).
int32_t ErrorOf(const std::function<void()>& call, const std::string& member) {
  ax::AutomationError e(0, "");
  if (ax::TryCall(call, &e)) return 0;
  if (e.Number() > 0) {
    EXPECT_NE(e.Description().find(member), std::string::npos) << e.Description();
  }
  return e.Number();
}

struct Case {
  int line;
  std::string what;
  std::function<ax::Args()> args;
  int32_t error;  // 0: accepted
};

void RunCases(const ax::Object& component, const char* member, const std::string& shownAs,
         const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    ax::Args args = c.args();
    EXPECT_EQ(ErrorOf([&] { component.CallArgs(member, args, ax::kMethodOrGet); }, shownAs),
              c.error)
        << "line " << c.line << ": " << c.what;
  }
}

constexpr int32_t kOk = 0;
constexpr int32_t kCount = ax::err::kWrongArgs;
constexpr int32_t kKind = ax::err::kTypeMismatch;
constexpr int32_t kInvalid = ax::err::kInvalidCall;

TEST(SimStrictCalls, ObjectRightNeedsTheBillsObjectTypeAndId) {
  Host host;
  ax::Object gl = ax::CreateObject("HOLGLView.GLData");
  RunCases(gl, "AccessCheck", "GLData.AccessCheck",
      {
          {__LINE__, "the transfer bill's type and id", [] { return ax::Args{1006, 1006007, 1}; }, kOk},
          {__LINE__, "another object id", [] { return ax::Args{1006, 1006008, 1}; }, kInvalid},
          {__LINE__, "another object type", [] { return ax::Args{1005, 1006007, 1}; }, kInvalid},
          {__LINE__, "the type as text", [] { return ax::Args{"1006", 1006007, 1}; }, kKind},
          {__LINE__, "an Empty id (a key the class lacks)", [] { return ax::Args{1006, ax::Variant(), 1}; }, kKind},
          {__LINE__, "the right as Double", [] { return ax::Args{1006, 1006007, 1.0}; }, kKind},
          {__LINE__, "two arguments", [] { return ax::Args{1006, 1006007}; }, kCount},
      });
}

TEST(SimStrictCalls, FunctionSecurityTakesItsFourCodesByReferenceOrByValue) {
  Host host;
  ax::Object security = ax::CreateObject("KIVBase.SecurityInfo");
  std::string context = ContextString(host);
  ax::Variant a, b, c, d;
  auto refs = [&](ax::Variant x, ax::Variant y, ax::Variant z, ax::Variant w) {
    a = x, b = y, c = z, d = w;
    return ax::Args{context, ax::ref(a), ax::ref(b), ax::ref(c), ax::ref(d)};
  };
  RunCases(security, "AccessCheck", "SecurityInfo.AccessCheck",
      {
          {__LINE__, "submit", [&] { return refs(29, 11, 256, true); }, kOk},
          {__LINE__, "withdraw", [&] { return refs(29, 11, 512, true); }, kOk},
          {__LINE__, "another function", [&] { return refs(29, 11, 1024, true); }, kInvalid},
          {__LINE__, "another module", [&] { return refs(29, 12, 256, true); }, kInvalid},
          {__LINE__, "another system", [&] { return refs(28, 11, 256, true); }, kInvalid},
          {__LINE__, "no error shown", [&] { return refs(29, 11, 256, false); }, kInvalid},
          {__LINE__, "a code as Integer", [&] { return refs(29, ax::Variant(int16_t{11}), 256, true); }, kKind},
          {__LINE__, "codes by value", [&] { return ax::Args{context, 29, 11, 256, true}; }, kOk},
          {__LINE__, "another context", [&] {
             ax::Args args = refs(29, 11, 256, true);
             args[0] = std::string("Language=chs;");
             return args;
           }, kInvalid},
      });
}

TEST(SimStrictCalls, DeleteBillTakesTypeDescriptionAndIdByReference) {
  Host host;
  ax::Object update = ax::CreateObject("LmMClass.ClassUpdate");
  std::string context = ContextString(host);
  ax::Variant typeId, description, bill, n1, n2, n3;
  ax::Object classType = ax::Object(NewDictionary());
  auto full = [&](ax::Variant type, ax::Variant desc, ax::Variant id) {
    typeId = type, description = desc, bill = id;
    n1 = n2 = n3 = ax::Variant(ax::DispatchPtr{});
    return ax::Args{context, ax::ref(typeId), ax::ref(description), ax::ref(bill),
                    ax::ref(n1), ax::ref(n2), ax::ref(n3)};
  };
  // A bill id no bill has: a right call reaches the component's own refusal.
  const int32_t kComponent = -2147221503;
  RunCases(update, "DeleteBill", "ClassUpdate.DeleteBill",
      {
          {__LINE__, "right call, unknown bill", [&] { return full(1006007, classType.AsVariant(), 999999); }, kComponent},
          {__LINE__, "four arguments", [&] {
             ax::Args a = full(1006007, classType.AsVariant(), 999999);
             a.resize(4);
             return a;
           }, kCount},
          {__LINE__, "no class description", [&] { return full(1006007, ax::Variant(ax::DispatchPtr{}), 999999); }, kInvalid},
          {__LINE__, "the class description as text", [&] { return full(1006007, "划拨单", 999999); }, kKind},
          {__LINE__, "the bill id as Double", [&] { return full(1006007, classType.AsVariant(), 999999.0); }, kKind},
          {__LINE__, "bill id by value", [&] {
             ax::Args a = full(1006007, classType.AsVariant(), 999999);
             a[3] = 999999;
             return a;
           }, kInvalid},
          {__LINE__, "the three empty references by value", [&] {
             ax::Args a = full(1006007, classType.AsVariant(), 999999);
             for (size_t i = 4; i < 7; ++i) a[i] = ax::Variant(ax::DispatchPtr{});
             return a;
           }, kComponent},
          {__LINE__, "class type id by value", [&] {
             ax::Args a = full(1006007, classType.AsVariant(), 999999);
             a[1] = 1006007;
             return a;
           }, kInvalid},
          {__LINE__, "an object where Nothing goes", [&] {
             ax::Args a = full(1006007, classType.AsVariant(), 999999);
             n2 = classType.AsVariant();
             return a;
           }, kInvalid},
          {__LINE__, "an empty context", [&] {
             ax::Args a = full(1006007, classType.AsVariant(), 999999);
             a[0] = std::string();
             return a;
           }, kInvalid},
      });
}

TEST(SimStrictCalls, TransferUpdateChecksContextKindsAndTheUserOfAnUndo) {
  Host host;
  ax::Object update = ax::CreateObject("FENRMTAVExt.cTransferUpdate");
  std::string context = ContextString(host);
  ax::Variant user(host.CurrentUser());
  ax::Variant voucher, error;
  auto check = [&](ax::Variant fid, ax::Variant state, ax::Variant who) {
    voucher = 0;
    return ax::Args{context, fid, state, who, ax::ref(voucher)};
  };
  // Bill 999999 does not exist: a right call gives False without an error.
  RunCases(update, "Check", "cTransferUpdate.Check",
      {
          {__LINE__, "check", [&] { return check(999999, 1, user); }, kOk},
          {__LINE__, "uncheck with user 0", [&] { return check(999999, 0, 0); }, kOk},
          {__LINE__, "uncheck with the user's id", [&] { return check(999999, 0, user); }, kInvalid},
          {__LINE__, "check as user 0", [&] { return check(999999, 1, 0); }, kInvalid},
          {__LINE__, "state 3", [&] { return check(999999, 3, user); }, kInvalid},
          {__LINE__, "state and user as Integer", [&] {
             return check(999999, ax::Variant(int16_t{1}), ax::Variant(static_cast<int16_t>(host.CurrentUser())));
           }, kOk},
          {__LINE__, "the id as text", [&] { return check("999999", 1, user); }, kKind},
          {__LINE__, "voucher id by value", [&] {
             ax::Args a = check(999999, 1, user);
             a[4] = 0;
             return a;
           }, kInvalid},
          {__LINE__, "no context", [&] {
             ax::Args a = check(999999, 1, user);
             a[0] = std::string();
             return a;
           }, kInvalid},
      });
  RunCases(update, "ReCheck", "cTransferUpdate.ReCheck",
      {
          {__LINE__, "approve", [&] { return ax::Args{context, 999999, 1, user}; }, kOk},
          {__LINE__, "unapprove", [&] { return ax::Args{context, 999999, 0, 0}; }, kOk},
          {__LINE__, "unapprove with the user's id", [&] { return ax::Args{context, 999999, 0, user}; }, kInvalid},
          {__LINE__, "five arguments", [&] { return ax::Args{context, 999999, 1, user, 0}; }, kCount},
      });
  RunCases(update, "DeleteVou", "cTransferUpdate.DeleteVou",
      {
          {__LINE__, "right call", [&] { error = std::string(); return ax::Args{context, 999999, ax::ref(error)}; }, kOk},
          {__LINE__, "voucher id as Double", [&] { error = std::string(); return ax::Args{context, 999999.0, ax::ref(error)}; }, kKind},
          {__LINE__, "error text by value", [&] { return ax::Args{context, 999999, std::string()}; }, kInvalid},
          {__LINE__, "another context", [&] { error = std::string(); return ax::Args{"x", 999999, ax::ref(error)}; }, kInvalid},
      });
  RunCases(update, "GetCheckAcctTableSql", "cTransferUpdate.GetCheckAcctTableSql",
      {
          {__LINE__, "right call", [&] { return ax::Args{context, false, 1, true}; }, kOk},
          {__LINE__, "flags swapped", [&] { return ax::Args{context, true, 1, false}; }, kInvalid},
          {__LINE__, "1 as text", [&] { return ax::Args{context, false, "1", true}; }, kKind},
          {__LINE__, "no context", [&] { return ax::Args{false, 1, true}; }, kCount},
      });
}

TEST(SimStrictCalls, LookupsAndQueries) {
  Host host;
  Harness harness(host);
  std::string context = ContextString(host);
  ax::Object view = ax::CreateObject("HOLGLview.glview");
  Reply cancel;
  cancel.kind = "pick account";
  cancel.verb = "cancel";
  cancel.where = "test";
  for (int i = 0; i < 5; ++i) harness.QueueReply(cancel);
  const ax::Variant zero(int16_t{0}), one(int16_t{1});
  RunCases(view, "AcntLookup", "GLView.AcntLookup",
      {
          {__LINE__, "(omitted, 0, 1)", [] { return ax::Args{ax::omitted(), 0, 1}; }, kOk},
          // A bare number's kind is the caller's: an Integer literal is the same call.
          {__LINE__, "0 and 1 as Integer", [&] { return ax::Args{ax::omitted(), zero, one}; }, kOk},
          {__LINE__, "Empty first", [] { return ax::Args{ax::Variant(), 0, 1}; }, kInvalid},
          {__LINE__, "(omitted, 1, 0)", [] { return ax::Args{ax::omitted(), 1, 0}; }, kInvalid},
          {__LINE__, "two arguments", [] { return ax::Args{ax::omitted(), 0}; }, kCount},
      });
  ax::Object items = ax::CreateObject("Kivglitem.Iteminfo");
  RunCases(items, "GetAnyRecordSet", "Iteminfo.GetAnyRecordSet",
      {
          {__LINE__, "right call", [&] { return ax::Args{context, "SELECT 1 AS a"}; }, kOk},
          {__LINE__, "no context", [&] { return ax::Args{"", "SELECT 1 AS a"}; }, kInvalid},
          {__LINE__, "SQL missing", [&] { return ax::Args{context}; }, kCount},
      });
  ax::Object acct = ax::CreateObject("FENRMTAVExt.cAcctInfo");
  RunCases(acct, "GetScTransferSum", "cAcctInfo.GetScTransferSum",
      {
          {__LINE__, "PAY", [&] { return ax::Args{context, 1, "PAY"}; }, kOk},
          {__LINE__, "REC", [&] { return ax::Args{context, 1, "REC"}; }, kOk},
          {__LINE__, "pay", [&] { return ax::Args{context, 1, "pay"}; }, kInvalid},
          {__LINE__, "no context", [&] { return ax::Args{"", 1, "PAY"}; }, kInvalid},
      });
}

TEST(SimStrictCalls, ListsAndConfigurationsTakeTheContextAndTheirConstants) {
  Host host;
  Harness harness(host);
  std::string context = ContextString(host);
  Reply cancel;
  cancel.kind = "pick purpose";
  cancel.verb = "cancel";
  cancel.where = "test";
  harness.QueueReply(cancel);
  RunCases(ax::CreateObject("HOLGLView.GLView"), "SubMesLookup", "GLView.SubMesLookup",
           {
               {__LINE__, "(412, \"\")", [] { return ax::Args{412, ""}; }, kOk},
               {__LINE__, "the list as text", [] { return ax::Args{"412", ""}; }, kKind},
               {__LINE__, "a filter given", [] { return ax::Args{412, "x"}; }, kInvalid},
           });
  RunCases(ax::CreateObject("KIVGLCurrency.CurrencyInfo"), "GetList", "CurrencyInfo.GetList",
           {
               {__LINE__, "right call", [&] { return ax::Args{context, 2, "FCurrencyID>0", "FCurrencyID"}; }, kOk},
               {__LINE__, "list 1", [&] { return ax::Args{context, 1, "FCurrencyID>0", "FCurrencyID"}; }, kInvalid},
               {__LINE__, "no context", [&] { return ax::Args{"", 2, "FCurrencyID>0", "FCurrencyID"}; }, kInvalid},
           });
  RunCases(ax::CreateObject("LmMWBExportSetting.CExportInfo"), "GetExportConfig",
           "CExportInfo.GetExportConfig",
           {
               {__LINE__, "right call", [&] { return ax::Args{context}; }, kOk},
               {__LINE__, "no context", [&] { return ax::Args{""}; }, kInvalid},
               {__LINE__, "two arguments", [&] { return ax::Args{context, "ESC"}; }, kCount},
           });
  RunCases(ax::CreateObject("BKS_Bank.Update"), "CancelPayment", "Update.CancelPayment",
           {
               {__LINE__, "right call (no such payment: the component's refusal)", [&] { return ax::Args{context, 999999}; }, -2147221503},
               {__LINE__, "the id as Double", [&] { return ax::Args{context, 999999.0}; }, kKind},
               {__LINE__, "no context", [&] { return ax::Args{"", 999999}; }, kInvalid},
           });
}

TEST(SimStrictCalls, BalanceSumTakesSixteenArgumentsOfTheirKinds) {
  Host host;
  std::string context = ContextString(host);
  ax::Object ledger = ax::CreateObject("FENRFundSum.LedgerSum");
  ax::Variant start, end, first, last, currency, unposted, business;
  // Replaces argument i of the right call with a value (by value) or marks it omitted.
  auto call = [&](int replace = -1, ax::Arg with = ax::Arg()) {
    start = ax::CDate("2026-01-01");
    end = ax::CDate("2026-12-08");
    first = std::string(), last = std::string(), currency = 1, unposted = false, business = false;
    ax::Args a{context, ax::ref(start), ax::ref(end), "", "", ax::ref(first), ax::ref(last),
               ax::ref(currency), false, false, ax::ref(unposted), ax::omitted(), "1",
               ax::ref(business), true, false};
    if (replace >= 0) a[replace] = with;
    return a;
  };
  RunCases(ledger, "GetBalSum", "LedgerSum.GetBalSum",
      {
          {__LINE__, "right call", [&] { return call(); }, kOk},
          {__LINE__, "end date by value", [&] { return call(2, ax::CDate("2026-12-08")); }, kInvalid},
          {__LINE__, "currency by value", [&] { return call(7, 1); }, kInvalid},
          {__LINE__, "argument 12 given", [&] { return call(11, ""); }, kInvalid},
          {__LINE__, "\"1\" as a number", [&] { return call(12, 1); }, kKind},
          {__LINE__, "flags swapped", [&] { return call(14, false); }, kInvalid},
          {__LINE__, "fifteen", [&] { ax::Args a = call(); a.pop_back(); return a; }, kCount},
          {__LINE__, "start date as text", [&] { start = std::string("2026-01-01"); ax::Args a = call(); start = std::string("2026-01-01"); return a; }, kKind},
      });
}

TEST(SimStrictCalls, ExportTakesKeyAndIdsByReferenceAndTheBillKindExactly) {
  Host host;
  ax::Object exporter = ax::CreateObject("LmWBExport.CExport");
  ax::Variant key, ids;
  auto call = [&](ax::Variant kind) {
    key = std::string("NOSUCHBANK"), ids = std::string("1");
    return ax::Args{ax::ref(key), "ESC", ax::ref(ids), kind};
  };
  const int32_t kComponent = -2147221503;  // the unknown bank type: past the call checks
  RunCases(exporter, "ExportPayBill", "CExport.ExportPayBill",
      {
          {__LINE__, "right call", [&] { return call("scTransfer"); }, kComponent},
          {__LINE__, "bill kind in other case", [&] { return call("SCTRANSFER"); }, kInvalid},
          {__LINE__, "key by value", [&] { ax::Args a = call("scTransfer"); a[0] = std::string("X"); return a; }, kInvalid},
          {__LINE__, "ids by value", [&] { ax::Args a = call("scTransfer"); a[2] = std::string("1"); return a; }, kInvalid},
          {__LINE__, "another subsystem", [&] { ax::Args a = call("scTransfer"); a[1] = std::string("esc"); return a; }, kInvalid},
      });
}

// The rows the ledger reports for the codes first to last between start and end, in order, as
// FClientID=FAccntSum.
std::string LedgerRows(Host& host, const char* first, const char* last, const char* start,
                       const char* end) {
  ax::Object ledger = ax::CreateObject("FENRFundSum.LedgerSum");
  ax::Variant from = ax::CDate(start), to = ax::CDate(end);
  ax::Variant firstCode = std::string(first), lastCode = std::string(last), currency = 1;
  ax::Variant unposted = false, business = false;
  ax::Args a{ContextString(host), ax::ref(from), ax::ref(to), "", "", ax::ref(firstCode),
             ax::ref(lastCode), ax::ref(currency), false, false, ax::ref(unposted), ax::omitted(),
             "1", ax::ref(business), true, false};
  ax::Object rs(ledger.CallArgs("GetBalSum", a, ax::kMethodOrGet));
  std::string out;
  for (; !ax::IsTrue(rs.Get("EOF")); rs.Call("MoveNext"))
    out += (out.empty() ? "" : " ") + ax::DisplayText(rs.GetObj("Fields", {"FClientID"}).Get("Value")) +
           "=" + ax::DisplayText(rs.GetObj("Fields", {"FAccntSum"}).Get("Value"));
  return out;
}

TEST(SimLedgerSum, OneRowPerAccountWithItsFirstEntryThatCounts) {
  Host host;
  auto of104 = [&](const char* start, const char* end) {
    return LedgerRows(host, "01.004", "01.004", start, end);
  };
  EXPECT_EQ(of104("2026-01-01", "2026-12-08"), "104=500000") << "the undated entry comes first";
  host.Db().ExecNative("DELETE FROM t_Balance WHERE FAcntID=104 AND FDate IS NULL");
  EXPECT_EQ(of104("2026-01-01", "2026-12-08"), "104=480000");
  EXPECT_EQ(of104("2026-01-01", "2027-01-31"), "104=480000") << "of two that count, the first";
  EXPECT_EQ(of104("2026-12-06", "2027-01-31"), "104=520000") << "before the ledger's start";
  EXPECT_EQ(of104("2026-01-01", "2026-12-04"), "") << "no entry yet: no row, not a Null balance";
  EXPECT_EQ(LedgerRows(host, "01.003", "01.006", "2026-01-01", "2026-12-04"),
            "103=24000 108=150000 107=60000")
      << "in code order, under the ids the summary gives 01.005 and 01.006";
  EXPECT_EQ(LedgerRows(host, "", "", "2026-01-01", "2026-12-08"),
            "101=2000000 102=180000 103=24000 104=480000 108=150000 107=60000")
      << "the currency's accounts only";
}

TEST(SimLedgerSum, GetAllAcntHandsBackACompletedList) {
  Host host;
  ax::Object ledger = ax::CreateObject("FENRFundSum.LedgerSum");
  // The list of the given (FAcntID, FAccntSum) entries completed for the codes first to last, as
  // FAcntID=FAccntSum; the caller's own list is left alone.
  auto complete = [&](std::vector<std::pair<int32_t, double>> entries, const char* first,
                      const char* last) {
    auto given = NewVector();
    for (const auto& [id, sum] : entries) {
      auto entry = NewDictionary();
      entry->Set("FAcntID", id);
      entry->Set("FAccntSum", sum);
      given->Add(ax::Variant(ax::DispatchPtr(entry)));
    }
    ax::Variant list{ax::DispatchPtr(given)};
    ax::Args args{ContextString(host), ax::ref(list), std::string(first), std::string(last)};
    ledger.CallArgs("GetAllAcnt", args);
    EXPECT_TRUE(list.isObject() && list.asObject() != given) << "a new list comes back through the argument";
    EXPECT_EQ(given->Items().size(), entries.size()) << "the caller's own list is left alone";
    ax::Object completed(list);
    std::string ids;
    for (int32_t i = 1, n = ax::CLng(completed.Get("Count")); i <= n; ++i)
      ids += ax::DisplayText(completed.ItemObj(i).Item("FAcntID")) + "=" +
             ax::DisplayText(completed.ItemObj(i).Item("FAccntSum")) + " ";
    return ids;
  };
  EXPECT_EQ(complete({{102, 180000}}, "01.001", "01.003"), "102=180000 101=0 103=0 ");
  EXPECT_EQ(complete({{108, 150000}}, "01.005", "01.006"), "108=150000 107=0 ")
      << "01.005 and 01.006 under the ids the summary gives them";
  EXPECT_EQ(complete({}, "02.001", ""), "105=0 106=0 ") << "of any currency";

  ax::Variant list{ax::DispatchPtr(NewVector())};
  ax::Args byValue{ContextString(host), list, std::string(""), std::string("")};
  EXPECT_EQ(ErrorOf([&] { ledger.CallArgs("GetAllAcnt", byValue); }, "LedgerSum.GetAllAcnt"),
            kInvalid);
}

// The bank link takes any order it is handed; that an order is one the bank maps (version
// "1.0.0", every item under its exact key) is a check of the plug-in's work, which fails the
// scenario with what is wrong and raises nothing into the plug-in.
TEST(SimStrictCalls, TheBankLinkTakesEveryOrderAndTheHarnessChecksItsKeys) {
  Host host;
  Harness harness(host);
  auto order = [](const char* renamed) {
    auto d = NewDictionary();
    for (const char* key : {"FSource", "FSourceID", "FSourceNumber", "FRecAcntNumber", "FRecBranch",
                            "FPayBranch", "FRecBankNumber", "FRecBank", "FRecName", "FAmt",
                            "FCurrency", "FPayAcntNumber", "FPayBank", "FPayName", "FRecAreaName",
                            "FPayAreaName", "FPurpose", "FExplanation", "FUrgent", "FPaymentMode"}) {
      std::string k = key;
      if (k == "FAmt") {
        if (renamed && *renamed == '\0') continue;  // left out
        if (renamed) k = renamed;
      }
      d->Set(k, k == "FAmt" || k == "famt" ? ax::Variant(100.0) : ax::Variant(std::string("1")));
    }
    return ax::Variant(ax::DispatchPtr(d));
  };
  ax::Object bank = ax::CreateObject("BKC_Bank.Bank");
  ax::Variant o, error;
  auto call = [&](ax::Variant given) {
    o = given, error = std::string();
    return ax::Args{ax::ref(o), ax::ref(error)};
  };
  RunCases(bank, "ImportPayment", "Bank.ImportPayment",
           {{__LINE__, "before Version is set", [&] { return call(order(nullptr)); }, kOk}});
  EXPECT_NE(harness.CheckWork().find("Version \"\"; the bank takes version \"1.0.0\""), std::string::npos);
  bank.Put("Version", "1.0.0");
  struct After {
    const char* given;
    const char* wrong;  // what the check finds, "" for nothing
  };
  for (const After& a : {After{nullptr, ""}, After{"famt", "no item \"FAmt\" under that exact key"},
                         After{"", "no item \"FAmt\""}}) {
    SCOPED_TRACE(a.given ? a.given : "all items");
    EXPECT_NO_THROW(bank.CallArgs("ImportPayment", *std::make_unique<ax::Args>(call(order(a.given)))));
    const std::string wrong = harness.CheckWork();
    if (*a.wrong == '\0') {
      EXPECT_EQ(wrong, "");
    } else {
      EXPECT_NE(wrong.find(a.wrong), std::string::npos) << wrong;
    }
  }
  RunCases(bank, "ImportPayment", "Bank.ImportPayment",
           {
               {__LINE__, "order by value", [&] { ax::Args a = call(order(nullptr)); a[0] = order(nullptr); return a; }, kInvalid},
               {__LINE__, "error text by value", [&] { ax::Args a = call(order(nullptr)); a[1] = std::string(); return a; }, kInvalid},
           });
}

TEST(SimStrictCalls, ResultDisplayAndBusinessLogTakeTheirKinds) {
  Host host;
  ax::Object display = ax::CreateObject("LmDisplayer.DispBuilder");
  EXPECT_EQ(ErrorOf([&] { display.Put("Cols", "1"); }, "DispBuilder.Cols"), kKind);
  display.Put("Cols", 1);
  EXPECT_EQ(ErrorOf([&] { display.Put("Titles", 1); }, "DispBuilder.Titles"), kKind);
  EXPECT_EQ(ErrorOf([&] { display.Call("SetColWidth", {1, "6000"}); }, "DispBuilder.SetColWidth"), kKind);
  // The numbers are the caller's literals: any numeric kind.
  EXPECT_EQ(ErrorOf([&] { display.Call("SetColWidth", {ax::Variant(int16_t{1}), 6000.0}); }, "DispBuilder.SetColWidth"), kOk);
  EXPECT_EQ(ErrorOf([&] { display.Put("Cols", ax::Variant(int16_t{1})); }, "DispBuilder.Cols"), kOk);
  EXPECT_EQ(ErrorOf([&] { display.Call("Add", {1}); }, "DispBuilder.Add"), kKind);
  EXPECT_EQ(ErrorOf([&] { display.Call("Show"); }, "DispBuilder.Show"), kCount);
  ax::Object gl = ax::CreateObject("HOLGLView.GLData");
  EXPECT_EQ(ErrorOf([&] { gl.Call("WriteLog", {"DJPT100001", "3", "x"}); }, "GLData.WriteLog"), kKind);
  EXPECT_EQ(ErrorOf([&] { gl.Call("WriteLog", {"DJPT100001", 3}); }, "GLData.WriteLog"), kCount);
  EXPECT_EQ(ErrorOf([&] { gl.Call("WriteLog", {"DJPT100001", 3, "x"}); }, "GLData.WriteLog"), kOk);
}

}  // namespace
}  // namespace sim

namespace sim {
namespace {

// The voucher window files its voucher by the bill information: each key its callers fix must be
// there with its constant, and the header comes by reference (the window may replace it).
TEST(SimStrictCalls, VoucherWindowNeedsTheBillInformationAndTheHeaderByReference) {
  Host host;
  auto info = [](const char* without, const char* key = "", ax::Variant value = {}) {
    ax::Object d = ax::CreateObject(kDictionaryProgId);
    const std::pair<const char*, ax::Variant> items[] = {
        {"KeyAcctID2", 1022}, {"KeyAcctDC2", 1}, {"KeyAcctID", 1021}, {"KeyAcctDC", 0},
        {"FCyID", 1}, {"VoucherID", 0}, {"objectID", 1.0}, {"ObjectName", "FENRMTAVExt.cTransferUpdate"},
        {"FAmt", 100.0}, {"FFcyAmt", 100.0}, {"FPaytran", ""}, {"FDate", "2026-12-01"},
        {"ObjectMethod", "Update"}};
    for (const auto& [k, v] : items)
      if (std::string(k) != without) d.Put("Item", std::string(k) == key ? value : v, {k});
    return d;
  };
  auto edit = [&](const ax::Object& billInfo, const char* mode, bool byRef) {
    ax::Object component = ax::CreateObject("Voucher.clsVoucher");
    if (!billInfo.IsNothing()) component.PutRef("BillInfo", billInfo);
    ax::Object head = ax::CreateObject(kDictionaryProgId);
    head.Put("Item", 1006007, {"FTranType"});
    head.Put("Item", "scTAVExt.scTransferBillExt", {"FObjectName"});
    ax::Variant header(head.AsVariant());
    ax::Args args{byRef ? ax::Arg::byRef(header) : ax::Arg(header), ax::Arg(ax::Variant(mode))};
    ax::AutomationError e(0, "");
    if (ax::TryCall([&] { component.CallArgs("vchEdit", args, ax::kMethod); }, &e)) return std::string("ok");
    return std::to_string(e.Number()) + " " + e.Description();
  };
  // A complete bill information gets as far as the header's entries (none here).
  EXPECT_NE(edit(info(""), "Add", true).find("凭证没有分录"), std::string::npos);
  EXPECT_EQ(edit(info(""), "Add", false).rfind("13 ", 0), 0u);
  EXPECT_NE(edit(ax::Object(), "Add", true).find("BillInfo"), std::string::npos);
  EXPECT_NE(edit(info("ObjectName"), "Add", true).find("缺少 ObjectName"), std::string::npos);
  EXPECT_NE(edit(info("", "ObjectName", "cTransferUpdate"), "Add", true).find("ObjectName 不对"), std::string::npos);
  EXPECT_NE(edit(info("", "KeyAcctDC2", 0), "Add", true).find("借贷方向"), std::string::npos);
  EXPECT_NE(edit(info("", "ObjectMethod", "Create"), "Edit", true).find("只能新增"), std::string::npos);
  EXPECT_NE(edit(info("", "ObjectMethod", "Update"), "Edit", true).find("VoucherID"), std::string::npos);
  // The kinds the callers fix: ids and amounts, and the voucher id of a View or Check.
  EXPECT_EQ(edit(info("", "objectID", 1), "Add", true).rfind("13 ", 0), 0u);
  EXPECT_EQ(edit(info("", "FCyID", 1.0), "Add", true).rfind("13 ", 0), 0u);
  EXPECT_NE(edit(info("", "VoucherID", ax::Variant(int16_t{0})), "Add", true).find("凭证没有分录"), std::string::npos);
  ax::Object viewer = ax::CreateObject("Voucher.clsVoucher");
  EXPECT_EQ(ErrorOf([&] { viewer.Call("vchEdit", {301, "View"}); }, "clsVoucher.vchEdit"), kKind);
  EXPECT_EQ(ErrorOf([&] { viewer.Call("vchEdit", {301.0, "View"}); }, "clsVoucher.vchEdit"), kOk);
}

}  // namespace
}  // namespace sim

namespace sim {
namespace {

// The bill window's fields: three arguments, the key as text, the kind 1 to 3; the row of a head
// field is the caller's number (-1, and also 0 and 1, all read the head).
TEST(SimStrictCalls, BillFieldsTakeKeyRowAndKind) {
  Host host;
  std::shared_ptr<BillWindow> bill = host.OpenBill(BillOpening{});
  ax::Object b{ax::DispatchPtr(bill)};
  RunCases(b, "GetFieldValue", "BillInterface.GetFieldValue",
      {
          {__LINE__, "head, stored", [] { return ax::Args{"FAmt", -1, 1}; }, kOk},
          {__LINE__, "head, display", [] { return ax::Args{"FAmt", -1, 3}; }, kOk},
          {__LINE__, "row 0", [] { return ax::Args{"FAmt", 0, 1}; }, kOk},
          {__LINE__, "kind as Integer", [] { return ax::Args{"FAmt", -1, ax::Variant(int16_t{2})}; }, kOk},
          {__LINE__, "kind 0", [] { return ax::Args{"FAmt", -1, 0}; }, kInvalid},
          {__LINE__, "kind 4", [] { return ax::Args{"FAmt", -1, 4}; }, kInvalid},
          {__LINE__, "kind left out", [] { return ax::Args{"FAmt", -1}; }, kCount},
          {__LINE__, "the row as text", [] { return ax::Args{"FAmt", "-1", 1}; }, kKind},
      });
  RunCases(b, "SetFieldValue", "BillInterface.SetFieldValue",
      {
          {__LINE__, "head", [] { return ax::Args{"FAmt", 5.0, -1}; }, kOk},
          {__LINE__, "row left out", [] { return ax::Args{"FAmt", 5.0}; }, kCount},
          {__LINE__, "the key as a number", [] { return ax::Args{1, 5.0, -1}; }, kKind},
      });
}

TEST(SimStrictCalls, TheListIsRefreshedAsItStands) {
  Host host;
  std::shared_ptr<ListWindow> list = host.OpenList("transfer");
  ax::Object l = ax::Object(ax::DispatchPtr(list)).GetObj("List");
  RunCases(l, "RefreshList", "List.RefreshList",
      {
          {__LINE__, "False", [] { return ax::Args{false}; }, kOk},
          {__LINE__, "True", [] { return ax::Args{true}; }, kInvalid},
          {__LINE__, "nothing", [] { return ax::Args{}; }, kCount},
      });
}

// The ledger's and the data library's members take their texts and numbers as their callers fix
// them; an account text is the account's own, blanks and all.
TEST(SimStrictCalls, LedgerProfileAndDataCallsTakeTheirKinds) {
  Host host;
  ax::Object gl = ax::CreateObject("HOLGLView.GLData");
  RunCases(gl, "GetAccount", "GLData.GetAccount",
      {
          {__LINE__, "a text", [] { return ax::Args{"01.001"}; }, kOk},
          {__LINE__, "a number", [] { return ax::Args{1.001}; }, kKind},
          {__LINE__, "nothing", [] { return ax::Args{}; }, kCount},
      });
  EXPECT_FALSE(gl.GetObj("GetAccount", {"01.001"}).IsNothing());
  EXPECT_TRUE(gl.GetObj("GetAccount", {" 01.001"}).IsNothing());
  const ax::Variant one(int16_t{1});
  RunCases(gl, "GetCurrency", "GLData.GetCurrency",
      {
          {__LINE__, "a Long", [] { return ax::Args{1}; }, kOk},
          {__LINE__, "an Integer", [&] { return ax::Args{one}; }, kOk},
          {__LINE__, "a text", [] { return ax::Args{"1"}; }, kKind},
      });
  ax::Object profile = gl.GetObj("SystemProfile");
  RunCases(profile, "GetSystemProfile", "SystemProfile.GetSystemProfile",
      {
          {__LINE__, "text default", [] { return ax::Args{"SC", "SCDailyEnd", "0"}; }, kOk},
          {__LINE__, "date default",
           [] { return ax::Args{"SC", "SCDateToday", ax::Variant(ax::DateValue{46000})}; }, kOk},
          {__LINE__, "no default", [] { return ax::Args{"SC", "SCDailyEnd"}; }, kCount},
          {__LINE__, "numeric key", [] { return ax::Args{"SC", 1, "0"}; }, kKind},
      });
  RunCases(profile, "GLGetPeriodDate", "SystemProfile.GLGetPeriodDate",
      {
          {__LINE__, "two Longs", [] { return ax::Args{2026, 1}; }, kOk},
          {__LINE__, "the year as text", [] { return ax::Args{"2026", 1}; }, kKind},
          {__LINE__, "the period as Double", [] { return ax::Args{2026, 1.0}; }, kKind},
          {__LINE__, "the year alone", [] { return ax::Args{2026}; }, kCount},
      });
  ax::Object connection = ax::CreateObject("Lmconnection.Appconnection");
  RunCases(connection, "Execute", "Appconnection.Execute",
      {
          {__LINE__, "SQL text", [] { return ax::Args{"SELECT 1 AS a"}; }, kOk},
          {__LINE__, "no SQL", [] { return ax::Args{}; }, kCount},
      });
  ax::Object help = ax::CreateObject("LmCHMResTool.ClsCHMHelp");
  RunCases(help, "ShowHELP", "ClsCHMHelp.ShowHELP",
      {
          {__LINE__, "id, 0, text, Long, text, Long", [] { return ax::Args{460129, 0, "", 0, "", 0}; }, kOk},
          {__LINE__, "1 for the 0", [] { return ax::Args{460129, 1, "", 0, "", 0}; }, kInvalid},
          {__LINE__, "a Long for a text", [] { return ax::Args{460129, 0, 0, 0, "", 0}; }, kKind},
          {__LINE__, "five arguments", [] { return ax::Args{460129, 0, "", 0, ""}; }, kCount},
      });
  sim::BillOpening o;
  o.fid = 1;
  ax::Object lib = ax::Object(ax::DispatchPtr(host.OpenBill(o))).GetObj("LmLib");
  for (const char* member : {"GetData", "ExecuteSQL"})
    RunCases(lib, member, std::string("LmLib.") + member,
        {
            {__LINE__, "SQL text", [] { return ax::Args{"SELECT 1 AS a"}; }, kOk},
            {__LINE__, "a number", [] { return ax::Args{1}; }, kKind},
            {__LINE__, "two texts", [] { return ax::Args{"SELECT 1 AS a", ""}; }, kCount},
        });
}

}  // namespace
}  // namespace sim
