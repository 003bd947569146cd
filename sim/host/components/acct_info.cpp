// FENRMTAVExt.cAcctInfo, the settlement centre's account information.
//
// GetAcctList(context, 0, condition, "") -> the centre accounts with their automatic-collection
//   set-up (t_Acnt), their ledger account (t_Account), the account they are collected into and
//   their currency, restricted by the condition (Transact-SQL over t_Acnt and t_Account), in
//   code order (sim/host/schema.h, AccountListQuery). Fields: FID (the id the ledger summary
//   reports the account's balance by), FAccountID (the centre account, the id bills store),
//   FNumber, FName, FBank, FAcntNo, FTransAcctID, FTransAcctNumber, FTransBank, FTransAcntNo,
//   FTransBound, FTransMin, FCurrencyID, FCurNumber, FCurName.
// GetScTransferSum(context, account id, "PAY" | "REC") -> the amount of the saved transfer bills
//   without a voucher that pay out of ("PAY") or into ("REC") the account: money that has left
//   or reached the account without being in the ledger yet.
#include <string>

#include "automation/error.h"
#include "sim/host/call_check.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"
#include "sim/host/recordset.h"
#include "sim/host/schema.h"

namespace sim {

namespace {

class AcctInfo : public HostObject {
 public:
  explicit AcctInfo(Host& host) : HostObject(host, "FENRMTAVExt.cAcctInfo", "cAcctInfo") {
    Method("GetAcctList", [this](ax::Args& args) { return GetAcctList(args); });
    Method("GetScTransferSum", [this](ax::Args& args) { return GetScTransferSum(args); });
  }

 private:
  ax::Variant GetAcctList(ax::Args& args) {
    CallCheck(host(), "cAcctInfo.GetAcctList", args)
        .Count(4).Context(0).Number(1, 0).Kind(2, ax::VarType::String).Value(3, "");
    std::string condition = ax::Trim(ArgText(args, 2));
    Database::CheckSent(condition);
    Rows rows = host().Db().Query(AccountListQuery(condition, ""));
    host().Note(Channel::Host, "account information: " + std::to_string(rows.data.size()) +
                                   " account(s) where " + (condition.empty() ? "(all)" : condition));
    return host().DataRecordset(std::move(rows), ObjectName());
  }

  ax::Variant GetScTransferSum(ax::Args& args) {
    CallCheck check(host(), "cAcctInfo.GetScTransferSum", args);
    check.Count(3).Context(0).Kind(2, ax::VarType::String);
    // The account id is passed as the account list holds it (its kind is the record set's), so
    // only the direction and the context are checked.
    const ax::Variant& account = ax::ArgAt(args, 1);
    // The direction compares exactly: the component knows "PAY" and "REC" only.
    const std::string& direction = args[2].value().asString();
    const char* column = nullptr;
    if (direction == "PAY")
      column = "FPayAcctID";
    else if (direction == "REC")
      column = "FRecAcctID";
    else
      check.Wrong(ax::err::kInvalidCall, "argument 3 must be \"PAY\" or \"REC\", \"" + direction + "\" given");
    Rows rows = host().Db().QueryNative(std::string("SELECT IFNULL(SUM(FAmt), 0) FROM t_scTransfer WHERE ") +
                                            column + "=? AND IFNULL(FVoucherID, 0)=0",
                                        {account.isMissing() ? ax::Variant::null() : account});
    return ax::CDbl(rows.data[0][0]);
  }
};

}  // namespace

void RegisterAcctInfo(Host& host) {
  host.Register("FENRMTAVExt.cAcctInfo",
                [](Host& h) -> ax::DispatchPtr { return std::make_shared<AcctInfo>(h); });
}

}  // namespace sim
