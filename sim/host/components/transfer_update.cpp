// FENRMTAVExt.cTransferUpdate, the host's update component of the transfer bill: it stores check
// and approval, deletes a bill's voucher, gives the accounts a user may see as SQL and the bank
// type of a bank account.
//
//   Check(context, FID, state, user id, voucher id by ref) -> Boolean
//       state 1 checks (FCheckerID = user, FCheckStatus 1, FCheckDate today), state 0 unchecks
//       (FCheckerID 0, FCheckStatus 0, FCheckDate NULL). A voucher id > 0 makes the voucher's
//       checker follow: the user on check, 0 on uncheck. Gives False without an error when the
//       stored bill does not allow the change (missing, approved, already checked on check,
//       not checked on uncheck): another user got there first.
//   ReCheck(context, FID, state, user id) -> Boolean
//       state 1 approves (FReCheckerID, FReCheckStatus 1, FReCheckDate), 0 unapproves. False
//       when the stored bill does not allow it (missing, unchecked, approved on approve, not
//       approved on unapprove).
//   DeleteVou(context, voucher id, error text by ref) -> Boolean
//       deletes the voucher and its lines and clears the bill's link. A checked or posted
//       voucher stays: False with the reason in the error text. A voucher that no longer
//       exists counts as deleted.
//   GetCheckAcctTableSql(context, False, 1, True) -> "(SELECT FAcntID FROM view_UserAcnt WHERE
//       FUserID=<user>) ": the centre accounts the current user may see, as a sub-select.
//   GetBankType(context, bank account number) -> the bank type code (200 for 招商银行), 0 when
//       the account is not known to the bank link.
#include <string>

#include "automation/error.h"
#include "sim/host/call_check.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"

namespace sim {

namespace {

class TransferUpdate : public HostObject {
 public:
  explicit TransferUpdate(Host& host)
      : HostObject(host, "FENRMTAVExt.cTransferUpdate", "cTransferUpdate") {
    Method("Check", [this](ax::Args& args) { return Check(args); });
    Method("ReCheck", [this](ax::Args& args) { return ReCheck(args); });
    Method("DeleteVou", [this](ax::Args& args) { return DeleteVou(args); });
    Method("GetCheckAcctTableSql", [this](ax::Args& args) -> ax::Variant {
      CallCheck(this->host(), "cTransferUpdate.GetCheckAcctTableSql", args)
          .Count(4).Context(0).Value(1, false).Number(2, 1).Value(3, true);
      return "(SELECT FAcntID FROM view_UserAcnt WHERE FUserID=" +
             std::to_string(this->host().CurrentUser()) + ") ";
    });
    Method("GetBankType", [this](ax::Args& args) { return GetBankType(args); });
  }

 private:
  struct Stored {
    bool found = false;
    int32_t checker = 0;
    int32_t approver = 0;
    std::string billNo;
  };

  Stored Load(int32_t fid) {
    Rows r = host().Db().QueryNative(
        "SELECT IFNULL(FCheckerID,0), IFNULL(FReCheckerID,0), FBillNo FROM t_scTransfer WHERE FID=?",
        {fid});
    Stored s;
    if (r.data.empty()) return s;
    s.found = true;
    s.checker = ax::CLng(r.data[0][0]);
    s.approver = ax::CLng(r.data[0][1]);
    s.billNo = ax::DisplayText(r.data[0][2]);
    return s;
  }

  std::string Today() { return ax::FormatDate(host().Today(), "yyyy-mm-dd"); }

  ax::Variant Refused(const std::string& what) {
    host().Note(Channel::Call, "transfer update: " + what + " refused");
    return false;
  }

  ax::Variant Check(ax::Args& args) {
    CallCheck(host(), "cTransferUpdate.Check", args)
        .Count(5)
        .Context(0)
        .Kind(1, ax::VarType::Long)
        .NumberOneOf(2, {0, 1})
        .Number(3, ax::CDbl(args[2].value()) == 1 ? host().CurrentUser() : 0)
        .ByRef(4)
        .Kind(4, ax::VarType::Long);
    int32_t fid = ax::CLng(args[1].value());
    int32_t state = ax::CLng(args[2].value());
    int32_t user = ax::CLng(args[3].value());
    int32_t voucher = ax::CLng(args[4].value());
    std::string what = std::string(state == 1 ? "check" : "uncheck") + " of bill " + std::to_string(fid);

    Stored s = Load(fid);
    if (!s.found || s.approver > 0) return Refused(what);
    if (state == 1 ? s.checker > 0 : s.checker <= 0) return Refused(what);

    Database& db = host().Db();
    if (state == 1)
      db.ExecNative("UPDATE t_scTransfer SET FCheckerID=?, FCheckStatus=1, FCheckDate=? WHERE FID=?",
                    {user, Today(), fid});
    else
      db.ExecNative("UPDATE t_scTransfer SET FCheckerID=0, FCheckStatus=0, FCheckDate=NULL WHERE FID=?",
                    {fid});
    std::string note = "transfer update: bill " + s.billNo + (state == 1 ? " checked by user " + std::to_string(user) : " unchecked");
    if (voucher > 0) {
      db.ExecNative("UPDATE t_Voucher SET FCheckerID=? WHERE FVoucherID=?",
                    {state == 1 ? user : 0, voucher});
      note += ", voucher " + std::to_string(voucher) + (state == 1 ? " checked" : " unchecked");
    }
    host().Note(Channel::Call, note);
    return true;
  }

  ax::Variant ReCheck(ax::Args& args) {
    CallCheck(host(), "cTransferUpdate.ReCheck", args)
        .Count(4)
        .Context(0)
        .Kind(1, ax::VarType::Long)
        .NumberOneOf(2, {0, 1})
        .Number(3, ax::CDbl(args[2].value()) == 1 ? host().CurrentUser() : 0);
    int32_t fid = ax::CLng(args[1].value());
    int32_t state = ax::CLng(args[2].value());
    int32_t user = ax::CLng(args[3].value());
    std::string what = std::string(state == 1 ? "approval" : "unapproval") + " of bill " + std::to_string(fid);

    Stored s = Load(fid);
    if (!s.found || s.checker <= 0) return Refused(what);
    if (state == 1 ? s.approver > 0 : s.approver <= 0) return Refused(what);

    Database& db = host().Db();
    if (state == 1)
      db.ExecNative(
          "UPDATE t_scTransfer SET FReCheckerID=?, FReCheckStatus=1, FReCheckDate=? WHERE FID=?",
          {user, Today(), fid});
    else
      db.ExecNative(
          "UPDATE t_scTransfer SET FReCheckerID=0, FReCheckStatus=0, FReCheckDate=NULL WHERE FID=?",
          {fid});
    host().Note(Channel::Call, "transfer update: bill " + s.billNo +
                                   (state == 1 ? " approved by user " + std::to_string(user)
                                               : " unapproved"));
    return true;
  }

  ax::Variant DeleteVou(ax::Args& args) {
    CallCheck(host(), "cTransferUpdate.DeleteVou", args)
        .Count(3)
        .Context(0)
        .Kind(1, ax::VarType::Long)
        .ByRef(2)
        .Kind(2, ax::VarType::String);
    int32_t voucher = ax::CLng(args[1].value());
    Database& db = host().Db();
    Rows r = db.QueryNative(
        "SELECT FWord, FNumber, IFNULL(FCheckerID,0), IFNULL(FPosted,0) FROM t_Voucher WHERE FVoucherID=?",
        {voucher});
    if (r.data.empty()) {
      host().Note(Channel::Call, "transfer update: voucher " + std::to_string(voucher) + " already gone");
      return true;
    }
    std::string name = ax::DisplayText(r.data[0][0]) + "-" + ax::DisplayText(r.data[0][1]);
    std::string reason;
    if (ax::CLng(r.data[0][2]) > 0)
      reason = "凭证[" + name + "]已审核，不能删除！";
    else if (ax::CLng(r.data[0][3]) > 0)
      reason = "凭证[" + name + "]已过账，不能删除！";
    if (!reason.empty()) {
      args[2].value() = reason;
      host().Note(Channel::Call, "transfer update: deleting voucher " + name + " refused: " + reason);
      return false;
    }
    db.ExecNative("DELETE FROM t_VoucherEntry WHERE FVoucherID=?", {voucher});
    db.ExecNative("DELETE FROM t_Voucher WHERE FVoucherID=?", {voucher});
    db.ExecNative("UPDATE t_scTransfer SET FVoucherID=0 WHERE FVoucherID=?", {voucher});
    host().Note(Channel::Call, "transfer update: voucher " + name + " deleted");
    return true;
  }

  ax::Variant GetBankType(ax::Args& args) {
    CallCheck(host(), "cTransferUpdate.GetBankType", args).Count(2).Context(0);
    std::string account = ArgText(args, 1);
    Rows r = host().Db().QueryNative(
        "SELECT m.FID FROM t_BK_Acnt a JOIN t_submessage m ON m.FInterID=a.FBankTypeID "
        "WHERE a.FAcntNumber=?",
        {account});
    if (r.data.empty() || r.data[0][0].isNull()) return 0;
    return static_cast<int32_t>(ax::Val(r.data[0][0]));
  }
};

}  // namespace

void RegisterTransferUpdate(Host& host) {
  host.Register("FENRMTAVExt.cTransferUpdate",
                [](Host& h) -> ax::DispatchPtr { return std::make_shared<TransferUpdate>(h); });
}

}  // namespace sim
