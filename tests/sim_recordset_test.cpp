// The simulated host's record sets (navigation, ADO filters, Fields), dictionaries and vectors,
// driven late-bound through ax::Object as the plug-in drives them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "automation/error.h"
#include "automation/object.h"
#include "sim/host/collections.h"
#include "sim/host/recordset.h"

namespace sim {
namespace {

// Runs f and gives its result as display text, or "error N".
template <class F>
std::string Outcome(F f) {
  try {
    return ax::DisplayText(f());
  } catch (const ax::AutomationError& e) {
    return "error " + std::to_string(e.Number());
  }
}

Rows Bills() {
  Rows r;
  r.columns = {"FID", "FBillNo", "FAmt", "FName", "FPaytran"};
  r.data = {
      {int32_t{1}, "HB000001", 50000.0, "华南公司结算户", "ZF1"},
      {int32_t{2}, "HB000002", 30000.0, "集团资金池", ax::Variant::null()},
      {int32_t{3}, "HB000003", 12000.0, "华东公司结算户", "O'Brien"},
      {int32_t{4}, "hb000004", 80000.0, "Group pool", "zf4"},
  };
  return r;
}

// The FIDs of the rows a filter lets through, walking the record set as the plug-in does.
std::string Walk(const ax::Object& rs) {
  std::string ids;
  while (!ax::IsTrue(rs.Get("EOF"))) {
    ids += (ids.empty() ? "" : ",") + ax::DisplayText(rs.GetObj("Fields", {"FID"}).Get("Value"));
    rs.Call("MoveNext");
  }
  return ids;
}

struct FilterCase {
  int line;
  ax::Variant filter;
  std::string ids;  // rows passing, or "error N"
};

TEST(Recordset, FiltersWithTheAdoSyntax) {
  const std::vector<FilterCase> cases = {
      {__LINE__, "FBillNo='HB000002'", "2"},
      {__LINE__, "fbillno = 'HB000004'", "4"},  // names and texts without regard to case
      {__LINE__, "FAmt > 30000", "1,4"},
      {__LINE__, "FAmt >= 12000 AND FAmt <= 30000", "2,3"},
      {__LINE__, "FAmt <> 50000", "2,3,4"},
      {__LINE__, "FID = '3'", "3"},  // a numeric text against a number compares as numbers
      {__LINE__, "(FID = 1 OR FID = 3) AND FAmt > 20000", "1"},
      {__LINE__, "FID = 1 OR FID = 3 AND FAmt > 20000", "1"},
      {__LINE__, "FName LIKE '华*'", "1,3"},
      {__LINE__, "FName LIKE '%公司%'", "1,3"},
      {__LINE__, "FName NOT LIKE 'group*'", "1,2,3"},
      {__LINE__, "FPaytran = NULL", "2"},
      {__LINE__, "FPaytran <> NULL", "1,3,4"},
      {__LINE__, "FPaytran = 'O''Brien'", "3"},
      {__LINE__, "[FPaytran] > 'z'", "1,4"},  // Null never passes an ordering comparison
      {__LINE__, "FBillNo='none'", ""},
      {__LINE__, "", "1,2,3,4"},
      {__LINE__, int32_t{0}, "1,2,3,4"},
      {__LINE__, "FNoSuchField = 1", "error 3001"},
      {__LINE__, "FID = ", "error 3001"},
      {__LINE__, "FID = 1 AND", "error 3001"},
      {__LINE__, int32_t{1}, "error 3001"},
  };
  for (const auto& c : cases) {
    ax::Object rs(NewRecordset(Bills()));
    std::string seen;
    try {
      rs.Call("MoveLast");
      rs.Put("Filter", c.filter);
      seen = Walk(rs);
      if (!seen.empty()) {
        rs.Call("MoveFirst");
        EXPECT_EQ(Walk(rs), seen) << "line " << c.line;
      }
    } catch (const ax::AutomationError& e) {
      seen = "error " + std::to_string(e.Number());
    }
    EXPECT_EQ(seen, c.ids) << "line " << c.line << " filter " << ax::DisplayText(c.filter);
  }
}

TEST(Recordset, CountsAndMovesAsAdo) {
  ax::Object rs(NewRecordset(Bills()));
  ax::Object empty(NewRecordset(Rows{{"FID"}, {}}));
  struct Step {
    int line;
    std::function<ax::Variant()> action;
    std::string expected;
  };
  const std::vector<Step> steps = {
      {__LINE__, [&] { return empty.Get("RecordCount"); }, "0"},
      {__LINE__, [&] { return empty.Get("EOF"); }, "True"},
      {__LINE__, [&] { return empty.Get("BOF"); }, "True"},
      {__LINE__, [&] { return empty.GetObj("Fields").Get("Count"); }, "1"},
      {__LINE__, [&] { return empty.Item("FID"); }, "error 3021"},
      {__LINE__, [&] { return empty.Call("MoveNext"); }, "error 3021"},
      {__LINE__, [&] { return empty.Call("MoveFirst"); }, "error 3021"},
      {__LINE__, [&] { return rs.Get("RecordCount"); }, "4"},
      {__LINE__, [&] { return rs.Get("BOF"); }, "False"},
      {__LINE__, [&] { return rs.Item("fbillno"); }, "HB000001"},
      {__LINE__, [&] { return rs.Get("Collect", {"FAmt"}); }, "50000"},
      {__LINE__, [&] { return rs.Get("", {int32_t{1}}); }, "HB000001"},
      {__LINE__, [&] { return rs.Call("MovePrevious"); }, ""},
      {__LINE__, [&] { return rs.Get("BOF"); }, "True"},
      {__LINE__, [&] { return rs.Item("FID"); }, "error 3021"},
      {__LINE__, [&] { return rs.Call("MovePrevious"); }, "error 3021"},
      {__LINE__, [&] { return rs.Call("MoveNext"); }, ""},
      {__LINE__, [&] { return rs.Get("AbsolutePosition"); }, "1"},
      {__LINE__, [&] { return rs.Call("MoveLast"); }, ""},
      {__LINE__, [&] { return rs.Item("FID"); }, "4"},
      {__LINE__, [&] { return rs.Call("MoveNext"); }, ""},
      {__LINE__, [&] { return rs.Get("EOF"); }, "True"},
      {__LINE__, [&] { return rs.Get("AbsolutePosition"); }, "-3"},
      {__LINE__, [&] { return rs.GetObj("Fields", {"FID"}).Get("Value"); }, "error 3021"},
      {__LINE__, [&] { return rs.Call("MoveNext"); }, "error 3021"},
      // Setting a filter moves to its first row; RecordCount counts the filtered rows.
      {__LINE__, [&] { rs.Put("Filter", "FAmt < 40000"); return rs.Get("RecordCount"); }, "2"},
      {__LINE__, [&] { return rs.Item("FID"); }, "2"},
      {__LINE__, [&] { return rs.Get("Filter"); }, "FAmt < 40000"},
      {__LINE__, [&] { rs.Put("Filter", "FID = 9"); return rs.Get("EOF"); }, "True"},
      {__LINE__, [&] { return rs.Get("BOF"); }, "True"},
      {__LINE__, [&] { rs.Put("Filter", ""); return rs.Get("RecordCount"); }, "4"},
      {__LINE__, [&] { return rs.Get("Filter"); }, "0"},
      {__LINE__, [&] { rs.Put("AbsolutePosition", int32_t{3}); return rs.Item("FID"); }, "3"},
      {__LINE__, [&] { return rs.Get("State"); }, "1"},
      {__LINE__, [&] { return rs.Get("NoSuchMember"); }, "error 438"},
      {__LINE__, [&] { return rs.Item("FNoSuchField"); }, "error 3265"},
      {__LINE__, [&] { return rs.Call("Close"); }, ""},
      {__LINE__, [&] { return rs.Get("State"); }, "0"},
      {__LINE__, [&] { return rs.Get("RecordCount"); }, "error 3704"},
  };
  for (const auto& s : steps) EXPECT_EQ(Outcome(s.action), s.expected) << "line " << s.line;
}

TEST(Recordset, ForwardOnlyKnowsNoCountAndMovesOnlyForward) {
  ax::Object rs(NewRecordset(Bills(), true));
  ax::Object empty(NewRecordset(Rows{{"FID"}, {}}, true));
  struct Step {
    int line;
    std::function<ax::Variant()> action;
    std::string expected;
  };
  const std::vector<Step> steps = {
      {__LINE__, [&] { return empty.Get("RecordCount"); }, "-1"},
      {__LINE__, [&] { return empty.Get("EOF"); }, "True"},
      {__LINE__, [&] { return rs.Get("RecordCount"); }, "-1"},
      {__LINE__, [&] { return rs.Get("AbsolutePosition"); }, "-1"},
      {__LINE__, [&] { return rs.Get("EOF"); }, "False"},
      {__LINE__, [&] { return rs.Item("FID"); }, "1"},
      {__LINE__, [&] { return rs.Call("MoveNext"); }, ""},
      {__LINE__, [&] { return rs.Item("FID"); }, "2"},
      {__LINE__, [&] { return rs.Call("MovePrevious"); }, "error 3251"},
      {__LINE__, [&] { return rs.Call("MoveLast"); }, "error 3251"},
      {__LINE__, [&] { rs.Put("AbsolutePosition", int32_t{3}); return rs.Item("FID"); },
       "error 3251"},
      // MoveFirst reads the rows again from the start, as ADO re-runs the query.
      {__LINE__, [&] { rs.Call("MoveFirst"); return rs.Item("FID"); }, "1"},
      {__LINE__, [&] { return rs.Get("RecordCount"); }, "-1"},
  };
  for (const auto& s : steps) EXPECT_EQ(Outcome(s.action), s.expected) << "line " << s.line;
  // Read to EOF, every row is seen.
  int rows = 0;
  for (rs.Call("MoveFirst"); !ax::IsTrue(rs.Get("EOF")); rs.Call("MoveNext")) ++rows;
  EXPECT_EQ(rows, 4);
}

TEST(Recordset, FieldsByIndexAndName) {
  ax::Object rs(NewRecordset(Bills()));
  ax::Object fields = rs.GetObj("Fields");
  EXPECT_EQ(Outcome([&] { return fields.Get("Count"); }), "5");
  std::string names;
  for (int32_t i = 0; i < ax::CLng(fields.Get("Count")); ++i)
    names += ax::CStr(fields.ItemObj(i).Get("Name")) + ";";
  EXPECT_EQ(names, "FID;FBillNo;FAmt;FName;FPaytran;");
  ax::Object field = fields.ItemObj("fpaytran");
  EXPECT_EQ(ax::CStr(field.Get("Name")), "FPaytran");  // the column's own spelling
  EXPECT_EQ(ax::DisplayText(field.Get("Value")), "ZF1");
  EXPECT_EQ(ax::DisplayText(field.Get("")), "ZF1");  // the default member is Value
  rs.Call("MoveNext");
  EXPECT_EQ(field.Get("Value").typeName(), std::string("Null"));  // a Field follows the cursor
  EXPECT_EQ(Outcome([&] { return fields.Item(int32_t{5}); }), "error 3265");
  EXPECT_EQ(Outcome([&] { return fields.Item("nope"); }), "error 3265");
  ax::Object amt = rs.GetObj("Fields", {"FAmt"});
  EXPECT_EQ(ax::DisplayText(amt.Get("Value")), "30000");
  EXPECT_EQ(ax::DisplayText(NewRecordset(Bills())->Value("fname")), "华南公司结算户");
}

TEST(Recordset, OneFieldsObjectAndOneFieldPerColumnEachKeepingTheRecordSet) {
  ax::Object rs(NewRecordset(Bills()));
  ax::Object fields = rs.GetObj("Fields");
  EXPECT_TRUE(rs.GetObj("Fields").SameAs(fields));
  ax::Object amt = fields.ItemObj("FAmt");
  EXPECT_TRUE(fields.ItemObj("famt").SameAs(amt));
  EXPECT_TRUE(fields.ItemObj(int32_t{2}).SameAs(amt));
  EXPECT_TRUE(rs.GetObj("Fields", {"FAmt"}).SameAs(amt));
  EXPECT_FALSE(fields.ItemObj("FID").SameAs(amt));
  // The record set lives while any of its Fields or Field objects is held.
  rs.Call("MoveNext");
  rs.Reset();
  fields.Reset();
  EXPECT_EQ(ax::DisplayText(amt.Get("Value")), "30000");
  ax::Object parent = ax::Object(NewRecordset(Bills())).GetObj("Fields");
  EXPECT_EQ(ax::CLng(parent.Get("Count")), 5);
  EXPECT_EQ(ax::DisplayText(parent.ItemObj("FBillNo").Get("Value")), "HB000001");
  // Closing the record set closes what it handed out.
  ax::Object open(NewRecordset(Bills()));
  ax::Object id = open.GetObj("Fields").ItemObj("FID");
  open.Call("Close");
  EXPECT_EQ(Outcome([&] { return id.Get("Value"); }), "error 3704");
}

TEST(Collections, DictionaryOperations) {
  auto d = NewDictionary();
  ax::Object o(d);
  auto inner = NewVector();
  struct Step {
    int line;
    std::function<ax::Variant()> action;
    std::string expected;
  };
  const std::vector<Step> steps = {
      {__LINE__, [&] { return o.Get("Count"); }, "0"},
      // Item reads a key the dictionary holds: a missing one raises; GetValue gives a default.
      {__LINE__, [&] { return o.Item("FID"); }, "error 5"},
      // Keys are text: a number is no key.
      {__LINE__, [&] { return o.Item(int32_t{1}); }, "error 13"},
      {__LINE__, [&] { o.Put("Item", 1, {int32_t{1}}); return ax::Variant(); }, "error 13"},
      {__LINE__, [&] { o.Put("Item", int32_t{7}, {"FID"}); return o.Item("fid"); }, "7"},
      {__LINE__, [&] { o.Put("Value", "调拨", {"FPurpose"}); return o.Get("Value", {"FPURPOSE"}); }, "调拨"},
      {__LINE__, [&] { o.Put("", 8, {"FID"}); return o.Get("Count"); }, "2"},  // same key, replaced
      {__LINE__, [&] { return o.Item("FID"); }, "8"},
      {__LINE__, [&] { return o.Get("GetValue", {"FRecSettID", int32_t{0}}); }, "0"},
      {__LINE__, [&] { return o.Get("GetValue", {"FID", int32_t{0}}); }, "8"},
      {__LINE__, [&] { return o.Get("GetValue", {"nothing"}); }, ""},
      {__LINE__, [&] { return o.Get("Exists", {"fpurpose"}); }, "True"},
      {__LINE__, [&] { o.PutRef("Item", ax::Object(inner), {"Entries"}); return ax::Variant(ax::Object(o.Item("Entries")).SameAs(ax::Object(inner))); }, "True"},
      {__LINE__, [&] { o.PutRef("Item", ax::Object(), {"Entries"}); return ax::Variant(o.Item("Entries").typeName()); }, "Nothing"},
      {__LINE__, [&] { o.PutRef("Item", ax::Object(inner), {"Bad"}); return o.Get("Count"); }, "4"},
      {__LINE__, [&] { ax::Args a{"X", int32_t{1}}; return o.CallArgs("Item", a, ax::kPutRef); }, "error 424"},
      {__LINE__, [&] {
         ax::Object keys = o.GetObj("Keys");
         return ax::Variant(ax::CStr(keys.Get("Count")) + ":" + ax::CStr(keys.Item(1)) + "," + ax::CStr(keys.Item(4)));
       }, "4:FID,Bad"},
      {__LINE__, [&] { o.Call("Remove", {"FPURPOSE"}); return o.Get("Exists", {"FPurpose"}); }, "False"},
      {__LINE__, [&] { o.Call("Add", {"FID", 1}); return ax::Variant(); }, "error 457"},
      {__LINE__, [&] { return o.Item(ax::Variant::null()); }, "error 94"},
      {__LINE__, [&] { return o.Get("Item"); }, "error 450"},
      {__LINE__, [&] { o.Call("Clear"); return o.Get("Count"); }, "0"},
      {__LINE__, [&] { return o.Get("Nope"); }, "error 438"},
  };
  for (const auto& s : steps) EXPECT_EQ(Outcome(s.action), s.expected) << "line " << s.line;
  d->Set("Direct", 5);
  EXPECT_EQ(ax::DisplayText(d->Get("direct")), "5");
  EXPECT_EQ(ax::DisplayText(d->Get("absent", "dflt")), "dflt");
}

TEST(Collections, VectorIsOneBased) {
  ax::Object v(NewVector());
  struct Step {
    int line;
    std::function<ax::Variant()> action;
    std::string expected;
  };
  const std::vector<Step> steps = {
      {__LINE__, [&] { return v.Get("Count"); }, "0"},
      {__LINE__, [&] { return v.Item(1); }, "error 9"},
      {__LINE__, [&] { v.Call("Add", {"a"}); v.Call("Add", {int32_t{2}}); return v.Get("Count"); }, "2"},
      {__LINE__, [&] { return v.Item(1); }, "a"},
      {__LINE__, [&] { return v.Item("2"); }, "2"},
      {__LINE__, [&] { return v.Item(0); }, "error 9"},
      {__LINE__, [&] { return v.Item(3); }, "error 9"},
      {__LINE__, [&] { v.Put("Item", "b", {1}); return v.Get("", {1}); }, "b"},
      {__LINE__, [&] { v.Call("Remove", {1}); return v.Item(1); }, "2"},
      {__LINE__, [&] { v.Call("Clear"); return v.Get("Count"); }, "0"},
  };
  for (const auto& s : steps) EXPECT_EQ(Outcome(s.action), s.expected) << "line " << s.line;
}

}  // namespace
}  // namespace sim
