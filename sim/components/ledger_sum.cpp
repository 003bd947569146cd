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
    if (args.size() != 16) throw ax::Error(ax::err::kWrongArgs, "LedgerSum.GetBalSum");
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
    if (args.size() != 4) throw ax::Error(ax::err::kWrongArgs, "LedgerSum.GetAllAcnt");
    const ax::Variant& list = args[1].value();
    if (!list.isObject()) throw ax::Error(ax::err::kTypeMismatch, "LedgerSum.GetAllAcnt");
    return {};
  }
};

}  // namespace

void RegisterLedgerSum(Host& host) {
  host.Register("FENRFundSum.LedgerSum",
                [](Host& h) -> ax::DispatchPtr { return std::make_shared<LedgerSum>(h); });
}

}  // namespace sim
