// Queries of the simulated host's own components over the schema of schema.cpp. Each takes the
// condition text a caller hands to the host (Transact-SQL, run through Database::Query).
#pragma once

#include <string>

namespace sim {

// The receipt-settlement ledger behind the receipt picker: receipts under alias v (view
// view_RecSett), the receiving centre account under alias Acnt1 (t_Acnt). filter is the whole
// condition, e.g. "v.FCYID=1 and (not v.FTransBillID>0) and Acnt1.FAcntStyle=0 " plus dates.
std::string ReceiptPickerQuery(const std::string& filter);

// The centre accounts (FIsAcnt 1) with their ledger account (t_Account), collecting account and
// currency, as the account-list component returns them: FID (the id the ledger summary reports
// the account's balance by, t_Acnt.FSumID or else t_Acnt.FID), FAccountID (the centre account id
// that bills store, t_Acnt.FID), FNumber, FName, FBank, FAcntNo, FTransAcctID, FTransAcctNumber,
// FTransBank, FTransAcntNo, FTransBound, FTransMin, FCurrencyID, FCurNumber, FCurName. filter may
// name t_Acnt and t_Account columns (" t_Acnt.FAutoTransfer = 1 and t_Account.FCurrencyID=1 ");
// empty texts mean no condition and the order of the account codes.
std::string AccountListQuery(const std::string& filter, const std::string& orderBy);

// The rows of the transfer list: every column of t_scTransfer plus FSubmitState and
// FCommitPayStatus of the bill's bank payment (view_BKPaymentTAV) and FBaseProperty6_DSPName.
// filter names columns as t_scTransfer.F... ("" for all bills); rows come in FID order.
std::string TransferListQuery(const std::string& filter);

}  // namespace sim
