// FENRFundSum.LedgerSum, the centre's ledger summary.
//
// GetBalSum with sixteen arguments: context, start date, end date, "", "", first code, last code,
//   currency id, False, False, include unposted, (omitted), "1", by business date, True, False.
//   Returns the balances at the end date (the query date) of the centre accounts of the currency
//   whose code lies in the range (an empty code leaves that end open), one row per account, in
//   code order: FClientID (the id the summary knows the account by: t_Acnt.FSumID, else FID),
//   FClientNumber, FClientName, FAccntSum. An account's balance is the first of its entries in
//   t_Balance, in entry order, that counts between the start date (the ledger's first day) and
//   the end date; an account without one has no balance and no row: completing the list with
//   such accounts is GetAllAcnt's. Each call is recorded as `balsum` with its start and end dates
//   and its two flags, include unposted and by business date (yes or no).
// GetAllAcnt(context, list by reference, first code, last code) completes the balance list for
//   the range: it hands back through the argument a new list of the given entries followed by
//   one entry (FAcntID, FAccountNumber, FAccountName, FAccntSum 0) for every centre account of
//   the range, of any currency (the call names none), that the list lacks.
#include <set>
#include <string>

#include "automation/error.h"
#include "sim/host/call_check.h"
#include "sim/host/collections.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"
#include "sim/host/recordset.h"

namespace sim {

namespace {

std::string DateText(const ax::Variant& v) {
  return v.type() == ax::VarType::Date ? ax::FormatDate(v.asDate(), "yyyy-mm-dd") : ax::DisplayText(v);
}

class LedgerSum : public HostObject {
 public:
  explicit LedgerSum(Host& host) : HostObject(host, "FENRFundSum.LedgerSum", "LedgerSum") {
    Method("GetBalSum", [this](ax::Args& args) { return GetBalSum(args); });
    Method("GetAllAcnt", [this](ax::Args& args) { return GetAllAcnt(args); });
  }

 private:
  ax::Variant GetBalSum(ax::Args& args) {
    using K = ax::VarType;
    CallCheck check(host(), "LedgerSum.GetBalSum", args);
    check.Count(16)
        .Context(0)
        .ByRef(1).Kind(1, K::Date)
        .ByRef(2).Kind(2, K::Date)
        .Value(3, "")
        .Value(4, "")
        .ByRef(5).Kind(5, K::String)
        .ByRef(6).Kind(6, K::String)
        .ByRef(7).Kind(7, K::Long)
        .Value(8, false)
        .Value(9, false)
        .ByRef(10).Kind(10, K::Boolean)
        .Omitted(11)
        .Value(12, "1")
        .ByRef(13).Kind(13, K::Boolean)
        .Value(14, true)
        .Value(15, false);
    std::string first = ax::Trim(ArgText(args, 5));
    std::string last = ax::Trim(ArgText(args, 6));
    int32_t currency = ArgLong(args, 7);
    std::string start = DateText(args[1].value()), end = DateText(args[2].value());
    Rows rows = host().Db().QueryNative(
        "SELECT IFNULL(a.FSumID, a.FID) AS FClientID, a.FNumber AS FClientNumber,"
        " a.FName AS FClientName, b.FBalance AS FAccntSum"
        " FROM t_Acnt a JOIN t_Balance b ON b.rowid = (SELECT MIN(x.rowid) FROM t_Balance x"
        " WHERE x.FAcntID = a.FID AND (x.FDate IS NULL OR (x.FDate >= ?4 AND x.FDate <= ?5)))"
        " WHERE a.FIsAcnt = 1 AND a.FCurrencyID = ?1"
        " AND (?2 = '' OR a.FNumber >= ?2) AND (?3 = '' OR a.FNumber <= ?3)"
        " ORDER BY a.FNumber",
        {currency, first, last, start, end});
    host().Note(Channel::Host, "ledger summary: " + std::to_string(rows.data.size()) +
                                   " balance(s) of currency " + std::to_string(currency) +
                                   ", codes \"" + first + "\" to \"" + last + "\" at " +
                                   DateText(ax::ArgAt(args, 2)));
    auto yesNo = [&](size_t i) { return ax::IsTrue(ax::ArgAt(args, i)) ? std::string("yes") : std::string("no"); };
    host().RecordCall("balsum", {DateText(ax::ArgAt(args, 1)), DateText(ax::ArgAt(args, 2)), yesNo(10), yesNo(13)});
    return host().DataRecordset(std::move(rows), ObjectName());
  }

  ax::Variant GetAllAcnt(ax::Args& args) {
    CallCheck check(host(), "LedgerSum.GetAllAcnt", args);
    check.Count(4)
        .Context(0)
        .ByRef(1)
        .Kind(1, ax::VarType::Object)
        .Kind(2, ax::VarType::String)
        .Kind(3, ax::VarType::String);
    auto given = std::dynamic_pointer_cast<Vector>(args[1].value().asObject());
    if (!given) check.Wrong(ax::err::kTypeMismatch, "argument 2 must be the balance list");

    std::set<double> listed;
    for (const ax::Variant& item : given->Items()) {
      auto entry = item.isObject() ? std::dynamic_pointer_cast<Dictionary>(item.asObject()) : nullptr;
      const ax::Variant* id = entry ? entry->Find("FAcntID") : nullptr;
      if (id && id->isNumeric()) listed.insert(ax::CDbl(*id));
    }
    // The completed list is a new one, handed back through the argument: the caller's own
    // list stays as it was.
    auto completed = NewVector();
    completed->Items() = given->Items();
    Rows rows = host().Db().QueryNative(
        "SELECT IFNULL(FSumID, FID), FNumber, FName FROM t_Acnt WHERE FIsAcnt = 1"
        " AND (?1 = '' OR FNumber >= ?1) AND (?2 = '' OR FNumber <= ?2) ORDER BY FNumber",
        {ax::Trim(args[2].value().asString()), ax::Trim(args[3].value().asString())});
    int added = 0;
    for (const auto& row : rows.data) {
      if (listed.count(ax::CDbl(row[0]))) continue;
      auto entry = NewDictionary();
      entry->Set("FAcntID", row[0]);
      entry->Set("FAccountNumber", row[1]);
      entry->Set("FAccountName", row[2]);
      entry->Set("FAccntSum", 0.0);
      completed->Add(ax::Variant(ax::DispatchPtr(entry)));
      ++added;
    }
    args[1].value() = ax::Variant(ax::DispatchPtr(completed));
    host().Note(Channel::Host, "ledger summary: " + std::to_string(added) +
                                   " account(s) without a balance added to the list");
    return {};
  }
};

}  // namespace

void RegisterLedgerSum(Host& host) {
  host.Register("FENRFundSum.LedgerSum",
                [](Host& h) -> ax::DispatchPtr { return std::make_shared<LedgerSum>(h); });
}

}  // namespace sim
