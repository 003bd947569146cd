#include "sim/harness/bulk_data.h"

#include <cstdio>
#include <string>

#include "sim/host/database.h"

namespace sim {

namespace {

// prefix and i in six digits ("09." and 7 give "09.000007").
std::string Numbered(const char* prefix, int i) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%06d", prefix, i);
  return text;
}

// add(0) to add(n - 1) in one transaction.
void AddInOneTransaction(Database& db, int n, const std::function<void(int)>& add) {
  db.ExecNative("BEGIN");
  for (int i = 0; i < n; ++i) add(i);
  db.ExecNative("COMMIT");
}

}  // namespace

void AddMemberAccounts(Database& db, int n, const std::function<double(int)>& balance) {
  AddInOneTransaction(db, n, [&](int i) {
    int id = 1000 + i;
    db.ExecNative(
        "INSERT INTO t_Acnt (FID, FNumber, FName, FClientID, FBank, FAcntNo, FCurrencyID, FAcctID,"
        " FAutoTransfer, FTransAcctID, FTransBound, FTransMin) VALUES (?, ?, ?, 1, '招商银行', ?, 1,"
        " 1022, 1, 101, 1000, 100)",
        {id, Numbered("09.", i), "成员账户" + std::to_string(i), std::to_string(700000000 + i)});
    db.ExecNative("INSERT INTO t_Balance (FAcntID, FBalance) VALUES (?, ?)", {id, balance(i)});
  });
}

std::vector<int32_t> AddApprovedBills(Database& db, int n) {
  std::vector<int32_t> ids;
  AddInOneTransaction(db, n, [&](int i) {
    int32_t fid = 1001 + i;
    db.ExecNative(
        "INSERT INTO t_scTransfer (FID, FBillNo, FDate, FPaySettDate, FTrantype, FCheckStatus,"
        " FReCheckStatus, FPreparerID, FCheckerID, FReCheckerID, FPayAcctID, FRecAcctID, FPayBank,"
        " FPayBankAcnt, FRecBank, FRecBankAcnt, FRecBanktype, FCyID, FAmt, FFcyAmt, FPurpose,"
        " FExplanation, FPayProvince, FPayCity, FRecProvince, FRecCity) VALUES (?, ?, '2026-12-07',"
        " '2026-12-07', 'TC', 1, 1, 2, 3, 4, 101, 102, '招商银行深圳分行', '755900000000001',"
        " '招商银行广州分行', '755900000000002', 200, 1, ?, ?, '调拨', '批量调拨', '广东', '深圳',"
        " '广东', '广州')",
        {fid, Numbered("HS", i), 1000 + i, 1000 + i});
    ids.push_back(fid);
  });
  return ids;
}

}  // namespace sim
