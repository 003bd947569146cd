// FENRFundSum.LedgerSum, the centre's ledger summary.
//
// GetBalSum with sixteen arguments: context, start date, end date, "", "", first code, last code,
//   currency id, False, False, include unposted, (omitted), "1", by business date, True, False.
//   Returns the balance of every centre account of the currency whose code lies in the range
//   (an empty code leaves that end open), in code order: FClientID, FClientNumber, FClientName,
//   FAccntSum. The balances are those of t_Balance; an account without a balance row has none
//   (Null), as the ledger reports an account it cannot sum. Each call is recorded as
//   `balsum` with its start and end dates.
// GetAllAcnt(context, list by reference, first code, last code) completes the balance list for
//   the range; the simulated ledger already lists every account, so the list stays as it is.
#include <string>

#include "automation/error.h"
#include "sim/call_check.h"
#include "sim/host.h"
#include "sim/host_object.h"
#include "sim/recordset.h"

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
    Rows rows = host().Db().QueryNative(
        "SELECT a.FID AS FClientID, a.FNumber AS FClientNumber, a.FName AS FClientName,"
        " b.FBalance AS FAccntSum"
        " FROM t_Acnt a LEFT JOIN t_Balance b ON b.FAcntID = a.FID"
        " WHERE a.FIsAcnt = 1 AND a.FCurrencyID = ?1"
        " AND (?2 = '' OR a.FNumber >= ?2) AND (?3 = '' OR a.FNumber <= ?3)"
        " ORDER BY a.FNumber",
        {currency, first, last});
    host().Note(Channel::Host, "ledger summary: " + std::to_string(rows.data.size()) +
                                   " balance(s) of currency " + std::to_string(currency) +
                                   ", codes \"" + first + "\" to \"" + last + "\" at " +
                                   DateText(ax::ArgAt(args, 2)));
    host().RecordCall("balsum", {DateText(ax::ArgAt(args, 1)), DateText(ax::ArgAt(args, 2))});
    return host().DataRecordset(std::move(rows), ObjectName());
  }

  ax::Variant GetAllAcnt(ax::Args& args) {
    CallCheck(host(), "LedgerSum.GetAllAcnt", args)
        .Count(4)
        .Context(0)
        .ByRef(1)
        .Kind(1, ax::VarType::Object)
        .Kind(2, ax::VarType::String)
        .Kind(3, ax::VarType::String);
    return {};
  }
};

}  // namespace

void RegisterLedgerSum(Host& host) {
  host.Register("FENRFundSum.LedgerSum",
                [](Host& h) -> ax::DispatchPtr { return std::make_shared<LedgerSum>(h); });
}

}  // namespace sim
