// The simulated host: menu bands, the bill window's field kinds and numbering, the component
// registry, planted failures, queued answers and the scenario language's parsing and reporting.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "automation/error.h"
#include "sim/host/bill_window.h"
#include "sim/host/collections.h"
#include "sim/host/counted_object.h"
#include "sim/harness/harness.h"
#include "sim/host/host.h"
#include "sim/host/menu_bar.h"
#include "sim/host/recordset.h"
#include "sim/harness/scenario.h"
#include "sim/harness/scenario_language.h"

namespace {

// ---- menu bands -------------------------------------------------------------------------------

struct BandCase {
  const char* name;
  const char* op;  // "before" or "after"
  ax::Variant neighbour;
  const char* newKey;
  const char* expected;  // keys after the insert, or "error"
};

TEST(SimMenuBar, InsertBeforeAndAfterPlaceTheToolNextToTheNeighbour) {
  const BandCase cases[] = {
      {"before the first", "before", "a", "x", "x,a,b,c"},
      {"before the middle", "before", "b", "x", "a,x,b,c"},
      {"after the middle", "after", "b", "x", "a,b,x,c"},
      {"after the last", "after", "c", "x", "a,b,c,x"},
      {"after position -1 appends", "after", int32_t{-1}, "x", "a,b,c,x"},
      {"after position 0 puts first", "after", int32_t{0}, "x", "x,a,b,c"},
      {"after position 2", "after", int32_t{2}, "x", "a,b,x,c"},
      {"neighbour key in another case", "before", "B", "x", "a,x,b,c"},
      {"an existing tool moves", "before", "a", "c", "c,a,b"},
      // Where the host puts a tool whose neighbour is missing is its own: it raises nothing.
      {"missing neighbour before", "before", "zz", "x", "a,b,c,x"},
      {"missing neighbour after", "after", "zz", "x", "a,b,c,x"},
      {"position below -1", "after", int32_t{-2}, "x", "error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sim::Host host;
    sim::Harness harness(host);
    auto bar = std::make_shared<sim::MenuBar>(host);
    bar->AddHostBand("mnuEdit", 0, {{"a", "A"}, {"b", "B"}, {"c", "C"}});
    ax::Object menu(bar);
    ax::Object tool = menu.GetObj("TAVTools").GetObj("Add", {std::string(c.newKey)});
    if (std::string(c.newKey) == "c") tool = menu.GetObj("TAVTools", {"c"});
    ax::Object tools = menu.GetObj("Bands", {"mnuEdit"}).GetObj("Tools");
    const char* member = std::string(c.op) == "before" ? "InsertBefore" : "InsertAfter";
    if (std::string(c.expected) == "error") {
      try {
        tools.Call(member, {c.neighbour, tool});
        FAIL() << "no error";
      } catch (const ax::AutomationError& e) {
        EXPECT_EQ(e.Number(), ax::err::kInvalidCall);
      }
      EXPECT_EQ(bar->FindBand("mnuEdit")->KeyList(), "a,b,c");
      continue;
    }
    tools.Call(member, {c.neighbour, tool});
    EXPECT_EQ(bar->FindBand("mnuEdit")->KeyList(), c.expected);
    EXPECT_EQ(ax::CLng(tools.Get("Count")), static_cast<int32_t>(bar->FindBand("mnuEdit")->tools.size()));
  }
}

TEST(SimMenuBar, BandsToolsAndFacesAsThePlugInSetsThem) {
  sim::Host host;
  sim::Harness harness(host);
  auto bar = std::make_shared<sim::MenuBar>(host);
  ax::Object menu(bar);
  ax::Object band = menu.GetObj("Bands").GetObj("Add", {"scPopExport"});
  band.Put("Type", int32_t{2});
  band.Put("Visible", true);
  EXPECT_EQ(bar->FindBand("scPopExport")->kind, 2);
  EXPECT_TRUE(menu.GetObj("Bands", {"SCPOPEXPORT"}).SameAs(band));

  // A key may be added twice; the collection then finds the first.
  ax::Object first = menu.GetObj("TAVTools").GetObj("Add", {"mnuExportPayBill_CMB01"});
  ax::Object second = menu.GetObj("TAVTools").GetObj("Add", {"mnuExportPayBill_CMB01"});
  EXPECT_FALSE(first.SameAs(second));
  EXPECT_TRUE(menu.GetObj("TAVTools", {"mnuexportpaybill_cmb01"}).SameAs(first));
  band.GetObj("Tools").Call("InsertAfter", {int32_t{-1}, first});
  band.GetObj("Tools").Call("InsertAfter", {int32_t{-1}, second});
  EXPECT_EQ(bar->FindBand("scPopExport")->tools.size(), 2u);

  host.SetClipboardPicture({6, "ledger page"});
  first.Call("PasteFace", {int32_t{12632256}});
  first.Put("DropDownBand", "scPopExport");
  EXPECT_EQ(ax::CStr(first.Get("Face")), "ledger page");
  EXPECT_EQ(ax::CLng(first.Get("MaskColor")), 12632256);
  EXPECT_EQ(ax::CStr(first.Get("DropDownBand")), "scPopExport");

  try {
    menu.GetObj("TAVTools", {"nothing"});
    FAIL() << "no error for a missing tool";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), ax::err::kInvalidCall);
  }
}

// ---- the bill window's fields -----------------------------------------------------------------

struct KindCase {
  int32_t fid;
  const char* key;
  int32_t kind;
  const char* expected;
};

TEST(SimBillWindow, FieldKindsShowIdsCodesAndNames) {
  const KindCase cases[] = {
      {1, "FPayAcctID", 1, "101"},   {1, "FPayAcctID", 2, "01.001"}, {1, "FPayAcctID", 3, "01.001"},
      {1, "frecacctid", 3, "01.002"}, {1, "FCyID", 1, "1"},          {1, "FCyID", 2, "RMB"},
      {1, "FCyID", 3, "人民币"},     {1, "FCheckerID", 1, "3"},      {1, "FCheckerID", 3, "李强"},
      {2, "FReCheckerID", 1, ""},     {2, "FReCheckerID", 3, ""},     {3, "FCheckerID", 3, ""},
      {5, "FVoucherID", 1, "301"},    {5, "FVoucherID", 3, "记-15"},  {1, "FVoucherID", 3, ""},
      {1, "FAmt", 1, "50000"},        {1, "FAmt", 3, "50000"},        {1, "FBillNo", 2, "HB000001"},
      {1, "FBaseProperty6", 3, ""},   {4, "FBaseProperty6", 1, "SUBMIT_SUCCESSE"},
  };
  sim::Host host;
  sim::Harness harness(host);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " of bill " + std::to_string(c.fid) + " kind " + std::to_string(c.kind));
    sim::BillOpening o;
    o.fid = c.fid;
    auto w = host.OpenBill(o);
    ax::Object bill(std::static_pointer_cast<ax::Dispatch>(w));
    EXPECT_EQ(ax::DisplayText(bill.Get("GetFieldValue", {std::string(c.key), int32_t{-1}, c.kind})), c.expected);
    host.CloseCurrent();
  }
}

TEST(SimBillWindow, WrittenBaseDataIsResolvedByCode) {
  sim::Host host;
  sim::Harness harness(host);
  auto w = host.OpenBill(sim::BillOpening{});
  ax::Object bill(std::static_pointer_cast<ax::Dispatch>(w));
  auto read = [&](const char* key, int32_t kind) {
    return ax::DisplayText(bill.Get("GetFieldValue", {key, int32_t{-1}, kind}));
  };
  bill.Call("SetFieldValue", {"FCyID", "USD", int32_t{-1}});
  EXPECT_EQ(read("FCyID", 1), "2");
  EXPECT_EQ(read("FCyID", 3), "美元");
  bill.Call("SetFieldValue", {"FRecAcctID", "01.003", int32_t{-1}});
  EXPECT_EQ(read("FRecAcctID", 1), "103");
  EXPECT_EQ(read("FRecAcctID", 2), "01.003");
  bill.Call("SetFieldValue", {"FRecAcctID", "", int32_t{-1}});
  EXPECT_EQ(read("FRecAcctID", 1), "");
  EXPECT_EQ(read("FRecAcctID", 3), "");
  bill.Call("SetFieldValue", {"FExchRate", "1.0000", int32_t{-1}});
  EXPECT_EQ(read("FExchRate", 3), "1.0000");

  // SetFieldInfo through a description: numbers are values, other text the display text.
  ax::Object info = bill.GetObj("GetFieldInfoByKey", {"FPreparerID", "", int32_t{0}});
  bill.Call("SetFieldInfo", {info, "4", int32_t{0}});
  EXPECT_EQ(read("FPreparerID", 1), "4");
  EXPECT_EQ(read("FPreparerID", 3), "王芳");
  bill.Call("SetFieldInfo", {info, "Someone", int32_t{0}});
  EXPECT_EQ(read("FPreparerID", 3), "Someone");
  EXPECT_EQ(ax::DisplayText(bill.GetObj("GetDataFld", {info}).Item("FFLD")), "4");

  // Locks through the field controls.
  bill.GetObj("FieldControls").ItemObj(int32_t{1}).ItemObj("FAmt").Put("Locked", true);
  EXPECT_TRUE(w->FindField("FAmt")->locked);
  EXPECT_THROW(w->Edit("FAmt", "1"), sim::HostCommandError);

  try {
    bill.Get("GetFieldValue", {"FNoSuchField", int32_t{-1}, int32_t{1}});
    FAIL() << "no error for an unknown field";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), ax::err::kInvalidCall);
  }
}

TEST(SimBillWindow, FirstSavesNumberTheBills) {
  sim::Host host;
  sim::Harness harness(host);
  // Without accounts the plug-in refuses the save; the data come in directly.
  for (int32_t expected : {6, 7}) {
    auto w = host.OpenBill(sim::BillOpening{});
    w->StoreValue(*w->FindField("FPayAcctID"), "01.001");
    w->StoreValue(*w->FindField("FRecAcctID"), "01.002");
    w->StoreValue(*w->FindField("FCyID"), "RMB");
    w->StoreValue(*w->FindField("FAmt"), "100");
    w->Save();
    ASSERT_FALSE(w->lastCancelled);
    char no[16];
    std::snprintf(no, sizeof no, "HB%06d", expected);
    EXPECT_EQ(ax::DisplayText(w->FieldValue("FID", 1)), std::to_string(expected));
    EXPECT_EQ(ax::DisplayText(w->FieldValue("FBillNo", 1)), no);
    EXPECT_EQ(w->editStatus, 2);
    sim::Rows r = host.Db().QueryNative("SELECT FBillNo, FCheckerID FROM t_scTransfer WHERE FID=?", {expected});
    ASSERT_EQ(r.data.size(), 1u);
    EXPECT_EQ(ax::DisplayText(r.data[0][0]), no);
    EXPECT_EQ(ax::DisplayText(r.data[0][1]), "0");  // a base-data field without value stores 0
    host.CloseCurrent();
  }
}

// ---- registry, failures, answers --------------------------------------------------------------

TEST(SimHost, ComponentsAreCreatedByProgIdWithoutRegardToCase) {
  sim::Host host;
  sim::Harness harness(host);
  // The host's dictionaries and vectors are counted host objects: their calls can fail.
  ax::Object dictionary = ax::CreateObject("hostlib.DICTIONARY");
  EXPECT_TRUE(dictionary.As<sim::CountedObject>() != nullptr);
  EXPECT_TRUE(ax::Object(sim::Uncounted(dictionary.AsVariant())).As<sim::Dictionary>() != nullptr);
  EXPECT_TRUE(ax::Object(sim::Uncounted(ax::CreateObject(sim::kVectorProgId).AsVariant()))
                  .As<sim::Vector>() != nullptr);
  EXPECT_EQ(ax::CreateObject("scTAVExt.scTransferBillExt").TypeName(), "scTransferBillExt");
  try {
    ax::CreateObject("No.Such.Component");
    FAIL() << "no error";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), ax::err::kCantCreate);
  }
}

// The bill window of bill 1, as the plug-in reaches it.
ax::Object OpenBillOne(sim::Host& host) {
  sim::BillOpening o;
  o.fid = 1;
  return ax::Object(std::static_pointer_cast<ax::Dispatch>(host.OpenBill(o)));
}

TEST(SimHost, PlantedFailuresHitTheNextCallOnly) {
  sim::Host host;
  sim::Harness harness(host);
  ax::Object bill = OpenBillOne(host);
  harness.faults().Plant("bill", "getfieldvalue", "disk on fire", 1);
  try {
    bill.Get("GetFieldValue", {"FID", int32_t{-1}, int32_t{1}});
    FAIL() << "no planted failure";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Description(), "disk on fire");
  }
  EXPECT_EQ(ax::DisplayText(bill.Get("GetFieldValue", {"FID", int32_t{-1}, int32_t{1}})), "1");

  // Call k of the process fails.
  uint64_t next = harness.faults().Count() + 2;
  harness.faults().FailAt(next);
  EXPECT_NO_THROW(bill.Get("EditStatus"));
  EXPECT_THROW(bill.Get("EditStatus"), ax::AutomationError);
  EXPECT_NO_THROW(bill.Get("EditStatus"));
  harness.faults().FailAt(0);

  harness.faults().Plant("HostLib.Dictionary", "CreateObject", "", 1);
  EXPECT_THROW(ax::CreateObject("HostLib.Dictionary"), ax::AutomationError);
  EXPECT_NO_THROW(ax::CreateObject("HostLib.Dictionary"));
}

TEST(SimHost, ObjectsHandedOverInEventsAreCountedOneObjectEach) {
  sim::Host host;
  sim::Harness harness(host);
  ax::Object rs(sim::Counted(host, "List", ax::Variant(ax::DispatchPtr(sim::NewRecordset(
                                               sim::Rows{{"FID", "FAmt"}, {{int32_t{1}, 5.0}}})))));
  uint64_t before = harness.faults().Count();
  ax::Object fields = rs.GetObj("Fields");
  EXPECT_NE(fields.As<sim::CountedObject>(), nullptr);
  EXPECT_TRUE(rs.GetObj("Fields").SameAs(fields));
  ax::Object amt = fields.ItemObj("FAmt");
  EXPECT_TRUE(fields.ItemObj("famt").SameAs(amt));
  EXPECT_EQ(ax::CDbl(amt.Get("Value")), 5.0);
  // Every call is a host call, reused object or not, and any of them can be made to fail.
  EXPECT_EQ(harness.faults().Count() - before, 5u);
  harness.faults().FailAt(harness.faults().Count() + 1);
  EXPECT_THROW(rs.GetObj("Fields"), ax::AutomationError);
  EXPECT_TRUE(rs.GetObj("Fields").SameAs(fields));
  // Ten objects handed out in turn, then the first again: still counted, still working.
  sim::Rows wide;
  for (int i = 0; i < 10; ++i) wide.columns.push_back("C" + std::to_string(i));
  wide.data.push_back(std::vector<ax::Variant>(10, ax::Variant(int32_t{3})));
  ax::Object wideFields = ax::Object(sim::Counted(host, "List",
      ax::Variant(ax::DispatchPtr(sim::NewRecordset(std::move(wide)))))).GetObj("Fields");
  for (int i = 0; i < 10; ++i) EXPECT_EQ(ax::CLng(wideFields.ItemObj("C" + std::to_string(i)).Get("Value")), 3);
  EXPECT_NE(wideFields.ItemObj("C0").As<sim::CountedObject>(), nullptr);
}

// A record set a data call returns, and a dictionary the plug-in creates, are counted host
// objects under the name of who made them; handed back to the host they are its own again, so
// the host's reading of them is no call of the plug-in's and a by-reference argument keeps its
// counted object.
TEST(SimHost, RecordSetsOfDataCallsAndCreatedDictionariesAreCounted) {
  sim::Host host;
  sim::Harness harness(host);
  ax::Object lib = OpenBillOne(host).GetObj("LmLib");
  ax::Object rs = lib.GetObj("GetData", {"SELECT FID FROM t_scTransfer WHERE FID=1"});
  EXPECT_NE(rs.As<sim::CountedObject>(), nullptr);
  harness.faults().Plant("LmLib", "EOF", "cursor lost", 1);
  EXPECT_THROW(rs.Get("EOF"), ax::AutomationError);
  EXPECT_FALSE(ax::IsTrue(rs.Get("EOF")));

  ax::Object order = ax::CreateObject("HostLib.Dictionary");
  order.Call("Add", {"FSource", "SCTransfer"});
  harness.faults().Plant("HostLib.Dictionary", "Item", "", 1);
  EXPECT_THROW(order.Get("Item", {"FSource"}), ax::AutomationError);
  ax::Object bank = ax::CreateObject("BKC_Bank.Bank");
  ax::Variant held = order.AsVariant();
  ax::Variant message{std::string()};
  uint64_t before = harness.faults().Count();
  EXPECT_NO_THROW(bank.Call("ImportPayment", {ax::ref(held), ax::ref(message)}));
  EXPECT_EQ(harness.faults().Count() - before, 1u) << "the bank link read the order as its own";
  EXPECT_TRUE(ax::Object(held).SameAs(order));
}

TEST(SimHost, QuestionsTakeQueuedAnswersAndOtherBoxesQueueUp) {
  sim::Host host;
  sim::Harness harness(host);
  sim::Reply yes;
  yes.kind = "answer";
  yes.verb = "yes";
  harness.QueueReply(yes);
  sim::Reply no = yes;
  no.verb = "no";
  no.text = "删除吗？";
  no.hasText = true;
  harness.QueueReply(no);
  EXPECT_EQ(host.MessageBox("审核吗？", 36, "t"), ax::mb::kIdYes);
  EXPECT_EQ(host.MessageBox("删除吗？", 36, "t"), ax::mb::kIdNo);
  EXPECT_EQ(host.MessageBox("完成", 64, "t"), ax::mb::kIdOk);
  ASSERT_EQ(harness.Messages().size(), 1u);
  EXPECT_EQ(harness.Messages().front().flags, 64);
  EXPECT_FALSE(harness.TakeFailure());

  EXPECT_THROW(host.MessageBox("再审核吗？", 36, "t"), ax::AutomationError);
  auto failure = harness.TakeFailure();
  ASSERT_TRUE(failure);
  EXPECT_EQ(*failure, "no answer queued for the question \"再审核吗？\"");

  no.verb = "yes";
  harness.QueueReply(no);
  EXPECT_THROW(host.MessageBox("别的问题", 36, "t"), ax::AutomationError);
  EXPECT_TRUE(harness.TakeFailure());
}

TEST(SimHost, SimulatedClockAdvancesSoWaitingLoopsEnd) {
  sim::Host host;
  sim::Harness harness(host);
  double start = host.Timer();
  int passes = 0;
  while (host.Timer() < start + 0.8 && passes < 100000) {
    host.DoEvents();
    ++passes;
  }
  EXPECT_LT(passes, 100);
  int y, m, d, hh, mm, ss;
  ax::SplitDate(host.Now(), y, m, d, hh, mm, ss);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20261208);
}

// ---- scenario language ------------------------------------------------------------------------

// Each script run as a scenario file "t.sct": it passes, or fails with a text containing the
// expected part.
template <class Case, size_t N>
void ExpectScripts(const Case (&cases)[N]) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    sim::ScenarioResult r = sim::RunScenarioText(c.script, "t.sct");
    EXPECT_EQ(r.passed, c.passes) << r.failure;
    if (!c.passes) {
      EXPECT_NE(r.failure.find(c.failure), std::string::npos) << r.failure;
    }
  }
}

TEST(Scenario, TokensSplitAtBlanksAndQuotesKeepThem) {
  struct Case {
    const char* line;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"open bill 1", {"open", "bill", "1"}},
      {"  edit  FAmt\t\"1 000\" ", {"edit", "FAmt", "1 000"}},
      {R"(answer yes "a \"b\" \\ c")", {"answer", "yes", "a \"b\" \\ c"}},
      {R"(expect result "l1\r\nl2\tx")", {"expect", "result", "l1\r\nl2\tx"}},
      {R"(say "")", {"say", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(sim::Tokenize(c.line), c.tokens) << c.line;
  for (const char* bad : {R"(say "open)", R"(say "a\q")", R"(say "a"b)"})
    EXPECT_THROW(sim::Tokenize(bad), sim::ScenarioFailure) << bad;
}

TEST(Scenario, FailuresNameTheLineTheExpectationAndWhatWasSeen) {
  struct Case {
    const char* script;
    bool passes;
    const char* failure;  // a part of the failure text
  };
  const Case cases[] = {
      {"open bill 1\nexpect field FBillNo \"HB000001\"\n", true, ""},
      {"# c\n\nopen bill 1\nexpect field FBillNo \"HB000002\"\n", false,
       "t.sct:4: expect field FBillNo \"HB000002\"\n    expected field FBillNo \"HB000002\"\n    saw \"HB000001\""},
      {"open bill 9\n", false, "t.sct:1: open bill 9"},
      {"frobnicate\n", false, "unknown command frobnicate"},
      {"answer yes\n", false, "an answer was never asked for: answer yes (t.sct:1)"},
      {"open bill 1\nedit FPayAcctID \"09.999\"\n", false, "unread message \"账号没有权限,请重新选择!\""},
      {"open bill 1\nexpect message \"x\"\n", false, "saw nothing shown"},
      {"expect query \"SELECT FName FROM t_User WHERE FUserID=5\" \"陈杰\"\nexpect rows \"SELECT * FROM t_User\" 5\n",
       true, ""},
      // An error that reached the host and that no line read fails the file, as a message does.
      {"open list banksubmit\nfail List.GetSelectedBillID \"列表不可用\"\nclick mnuUnSubmit\nexpect messages none\n",
       false, "t.sct: at the end of the file\n    unread error"},
      {"open list banksubmit\nfail List.GetSelectedBillID \"列表不可用\"\nclick mnuUnSubmit\nexpect error \"列表不可用\"\n",
       true, ""},
      {"expect log none\nuser 3\nopen bill 3\nanswer yes\nclick mnuscCheck\nexpect message \"划拨单审核成功!\" 64\n"
       "expect log none\n",
       false, "t.sct:7: expect log none\n    expected no further log entry\n    saw log \"划拨单[编号:HB000003]审核成功\""},
      // The whole result: every row and column, a Null and an empty text told apart.
      {"expect table \"SELECT FID, FBillNo FROM t_scTransfer WHERE FID<3 ORDER BY FID\" \"1|HB000001\\n2|HB000002\"\n"
       "expect table \"SELECT '' AS a, NULL AS b\" \"(empty)|NULL\"\n",
       true, ""},
      {"expect table \"SELECT NULL AS b\" \"(empty)\"\n", false, "expected table \"(empty)\"\n    saw table \"NULL\""},
      {"expect table \"SELECT FID FROM t_scTransfer WHERE FID<3 ORDER BY FID\" \"1\"\n", false, "saw table \"1\n2\""},
  };
  ExpectScripts(cases);
}

// What each reading expectation looks over, and the mistakes of the commands that queue a
// user's action for a dialog.
TEST(Scenario, ReadingExpectationsLookOverTheirOwnStretch) {
  struct Case {
    const char* script;
    bool passes;
    const char* failure;  // a part of the failure text
  };
  const char* menuInit = "scTAVExt.scTransferBillExt.m_BillInterface_MenuBarInitialize";
  const std::string trace = std::string("new bill\nexpect trace \"") + menuInit + "\"";
  const std::string traceEnded = trace + " ended 0\n";
  const std::string traceOpen = trace + " ended open\n";
  const std::string traceTwice = trace + "\nexpect notrace \"" + menuInit + "\"\n";
  const Case cases[] = {
      // expect nosql counts the statement the latest expect sql found, and, before any, all.
      {"open bill 3\nsave\nexpect sql \"FBKCommit=3\"\nexpect nosql \"FBKCommit=3\"\n", false,
       "expected no SQL containing \"FBKCommit=3\""},
      {"open bill 3\nsave\nexpect nosql \"FBKCommit=3\"\n", false, "expected no SQL containing"},
      {"open bill 3\nsave\nexpect sql \"FBKCommit=3\"\nexpect nosql \"t_scRecSett\"\n", true, ""},
      // A trace by name and how it ended; notrace looks over what the latest trace looked over.
      {traceEnded.c_str(), true, ""},
      {traceOpen.c_str(), false, "saw trace \"scTAVExt.scTransferBillExt.m_BillInterface_MenuBarInitialize\" ended 0"},
      {traceTwice.c_str(), false, "expected no trace"},
      {"new bill\nexpect trace \"scTAVExt.nothing\"\n", false, "saw none started since"},
      // A key or a window action queued for no dialog is an answer never asked for.
      {"press f1\n", false, "an answer was never asked for: press 112 (t.sct:1)"},
      {"closebox in dlgBankSend\n", false, "an answer was never asked for: closebox close (t.sct:1)"},
      {"expect form dlgBalSum caption \"x\"\n", false, "no form dlgBalSum was shown"},
      {"open list banksubmit\nselect 1 ids 9\n", false, "the list does not show bill 9"},
      {"picker none 601\n", false, "a receipt id"},
  };
  ExpectScripts(cases);
}

// Where the dialogs are real windows, a place is seen only to the pixel: an expected place is
// compared as near as a pixel shows it, and no nearer.
TEST(Scenario, PlacesOnAScreenAreComparedToThePixel) {
  struct Case {
    const char* script;
    bool passes;
    const char* failure;
  };
  const std::string shown =
      "open list transfer\nresize 9000 6000 in FrmRecSettList\ndialog bank ok\npicker cancel\n"
      "click mnuscBankCollect\nexpect form FrmRecSettList control ListRecSett place ";
  const std::string exact = shown + "0 0 8880 5580\n";
  const std::string withinAPixel = shown + "0 7 8887 5573\n";
  const std::string aPixelOff = shown + "0 0 8880 5565\n";
  const std::string outOfTheModel = shown + "0 0 8885 5580\n";
  const Case exactly[] = {{exact.c_str(), true, ""}, {outOfTheModel.c_str(), false, "at 0 0 8880 5580"}};
  ExpectScripts(exactly);

  sim::Host::Platform screen;
  screen.twipsPerPixel = 15;
  sim::Host::SetPlatform(screen);
  const Case toThePixel[] = {{exact.c_str(), true, ""},
                             {withinAPixel.c_str(), true, ""},
                             {aPixelOff.c_str(), false, "expected FrmRecSettList.ListRecSett at 0 0 8880 5565"}};
  ExpectScripts(toThePixel);
  sim::Host::SetPlatform({});
}

TEST(Scenario, SettingsCommandsReachTheHost) {
  sim::Host host;
  sim::Harness harness(host);
  sim::ScenarioRun scenario(host, harness);
  auto run = [&](const std::string& line) { scenario.Command(sim::Tokenize(line)); };
  run("today 2024-03-01");
  run("user 5");
  run("language cht");
  run("translate \" 审核 \" \"審核\"");
  run("right 3 8 deny");
  run("security deny");
  run("admin 2 yes");
  run("profile SC SCDailyEnd \"1\"");
  run("setting SCGetVoucherAfterBank true");
  run("setting SCGetBillAutoVch false");
  EXPECT_EQ(ax::FormatDate(host.Today(), "yyyy-mm-dd"), "2024-03-01");
  EXPECT_EQ(host.CurrentUser(), 5);
  EXPECT_EQ(host.Language(), "cht");
  EXPECT_EQ(host.Translation("审核").value_or(""), "審核");
  EXPECT_FALSE(host.RightAllowed(3, 8));
  EXPECT_TRUE(host.RightAllowed(3, 1));
  EXPECT_FALSE(host.SecurityAllowed(512));
  EXPECT_TRUE(host.IsAdministrator(2));
  EXPECT_TRUE(host.IsAdministrator(1));
  EXPECT_FALSE(host.IsAdministrator(3));
  EXPECT_EQ(host.ProfileValue("sc", "scdailyend").value_or(""), "1");
  EXPECT_TRUE(host.VoucherAfterBank());
  EXPECT_FALSE(host.BillAutoVoucher());
  EXPECT_THROW(run("user 99"), sim::ScenarioFailure);
  EXPECT_THROW(run("today 2024-3-1"), sim::ScenarioFailure);
  EXPECT_THROW(run("dialog centre date 2026-12-08 from"), sim::ScenarioFailure);
  run("dialog centre date 2026-12-08 from \"01.001\" unposted yes ok");
  sim::Reply r = host.TakeReply("dialog centre", "the centre collection dialog");
  EXPECT_EQ(r.verb, "ok");
  EXPECT_EQ(r.options.at("from"), "01.001");
  EXPECT_EQ(r.options.at("unposted"), "yes");
}


// ---- the payment-file export's folder ---------------------------------------------------------

// The path the run's transcript gives for its payment file.
std::string WrittenFile(const sim::ScenarioResult& r) {
  const std::string mark = "payment file written: ";
  for (const auto& e : r.transcript) {
    if (e.text.rfind(mark, 0) == 0)
      return e.text.substr(mark.size(), e.text.find(" (") - mark.size());
  }
  return "";
}

TEST(SimPaymentExport, TemporaryFolderGoesWithTheRunAndANamedOneStays) {
  const std::string exportTwo = "open list banksubmit\nselect 5 1\nclick mnuExportPayBill_CMB01\n";
  sim::ScenarioResult temp = sim::RunScenarioText(exportTwo, "t.sct");
  ASSERT_TRUE(temp.passed) << temp.failure;
  const std::filesystem::path tempFile = WrittenFile(temp);
  ASSERT_FALSE(tempFile.empty());
  EXPECT_FALSE(std::filesystem::exists(tempFile.parent_path())) << "the run's own folder is removed";

  const std::filesystem::path kept =
      std::filesystem::temp_directory_path() / ("sctav-kept-" + std::to_string(::getpid()));
  std::filesystem::remove_all(kept);
  sim::ScenarioResult named =
      sim::RunScenarioText("output \"" + kept.string() + "\"\n" + exportTwo, "t.sct");
  ASSERT_TRUE(named.passed) << named.failure;
  EXPECT_EQ(std::filesystem::path(WrittenFile(named)).parent_path(), kept);
  EXPECT_TRUE(std::filesystem::exists(WrittenFile(named))) << "a folder named with output keeps its files";
  std::filesystem::remove_all(kept);
}

}  // namespace

// The command tables of docs/scenarios.md are generated from the language's table.
TEST(ScenarioLanguage, DocsTablesAreCurrent) {
  const std::string path = std::string(SCTAV_SCENARIO_DIR) + "/../docs/scenarios.md";
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  std::stringstream page;
  page << in.rdbuf();
  const std::string current = sim::WithCurrentCommandTables(page.str());
  if (current != page.str() && std::getenv("SCTAV_UPDATE_DOCS")) {
    std::ofstream(path, std::ios::binary) << current;
    return;
  }
  EXPECT_EQ(current, page.str()) << "docs/scenarios.md is stale: run SCTAV_UPDATE_DOCS=1 "
                                    "build/dev/sctav_tests --gtest_filter=ScenarioLanguage.*";
}

// Every command of the table is reachable under its name and aliases, and no two share one.
TEST(ScenarioLanguage, EveryNameDispatchesToItsOwnEntry) {
  std::set<std::string> seen;
  for (const auto& c : sim::ScenarioCommands()) {
    std::vector<std::string> names{c.name};
    names.insert(names.end(), c.aliases.begin(), c.aliases.end());
    for (const auto& n : names) {
      EXPECT_TRUE(seen.insert(n).second) << "two entries named " << n;
      std::istringstream words(n);
      std::vector<std::string> tokens{std::istream_iterator<std::string>(words), {}};
      EXPECT_EQ(sim::FindScenarioCommand(tokens), &c) << n;
    }
    EXPECT_FALSE(c.forms.empty()) << c.name;
  }
  const std::string help = sim::ScenarioLanguage();
  for (const char* usage : {"expect table \"<select>\" \"<rows>\"", "expect log none", "output \"<folder>\"",
                            "expect offered <FRecSettID>...|none"})
    EXPECT_NE(help.find(usage), std::string::npos) << usage;
}

namespace {

// What must be true of the plug-in's work fails the scenario, never the call: a voucher filed
// unbalanced or on an account that does not exist is found by the harness after the command;
// a file's own data set-up is taken as given.
TEST(Harness, VouchersThatDoNotBalanceOrNameNoAccountFailTheScenario) {
  const char* kEntries =
      "insert into t_Voucher (FVoucherID, FWord, FNumber, FYear, FPeriod, FPreparerID, FCheckerID, "
      "FPosted, FParameter) values (901, '记', 90, 2026, 12, 2, 0, 0, 0)";
  {
    sim::Host host;
    sim::Harness harness(host);
    EXPECT_EQ(harness.CheckWork(), "");
    host.Db().Execute(kEntries);
    host.Db().Execute("insert into t_VoucherEntry (FVoucherID, FEntryID, FAccountID, FDC, FAmount) "
                      "values (901, 1, 1021, 1, 100), (901, 2, 1022, 0, 90)");
    EXPECT_NE(harness.CheckWork().find("voucher 记-90 does not balance: debit 100, credit 90"), std::string::npos);
    EXPECT_EQ(harness.CheckWork(), "");  // told once
    host.Db().Execute("insert into t_VoucherEntry (FVoucherID, FEntryID, FAccountID, FDC, FAmount) "
                      "values (901, 3, 999999, 0, 10)");
    EXPECT_NE(harness.CheckWork().find("line 3 of voucher 记-90 names account 999999, which does not exist"),
              std::string::npos);
  }
  sim::ScenarioResult own = sim::RunScenarioText(
      std::string("sql \"") + kEntries +
          "\"\nsql \"insert into t_VoucherEntry (FVoucherID, FEntryID, FAccountID, FDC, FAmount) "
          "values (901, 1, 1021, 1, 100)\"\n",
      "own set-up");
  EXPECT_TRUE(own.passed) << own.failure;
}

}  // namespace
