// Check and approval of a transfer bill: check (1), uncheck (0), approve (3), unapprove (4).
// The rules decide who may do what in which state; the transfer-bill update component stores
// the new state.
#include <string>

#include "automation/runtime.h"
#include "automation/variant.h"
#include "host/bill_interface.h"
#include "host/lmlib.h"
#include "host/progids.h"
#include "host/recordset.h"
#include "host/sql.h"
#include "host/transfer_bill.h"
#include "plugin/scTransferBillExt.h"
#include "shared/MLoadPWString.h"
#include "shared/MMTS.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"

namespace sc {

namespace {

using host::kActionApprove;
using host::kActionCheck;
using host::kActionUnapprove;
using host::kActionUncheck;

// What a sign-off action asks for, asks the user, stores and says.
struct SignOffAction {
  int32_t code;
  int32_t right;          // asked of the host's permission test
  bool withVoucher;       // the bill's voucher goes with it (Check); otherwise ReCheck
  bool opensVoucher;      // an unchecked voucher opens for checking first
  int32_t newState;       // 1 signs off, 0 takes the sign-off back
  const char* question;   // confirmation, Yes goes on
  const char* success;
  const char* failure;    // followed by the reason
  const char* logText;    // business log, %1 the bill number
};

constexpr SignOffAction kActions[] = {
    {kActionCheck, host::kRightCheck, true, true, 1, N_("确定划拨单资料无误进行审核吗？"),
     N_("划拨单审核成功!"), N_("划拨单审核失败!"), N_("划拨单[编号:%1]审核成功")},
    {kActionUncheck, host::kRightCheck, true, false, 0, N_("确实取消该划拨单和相应凭证的审核吗?"),
     N_("划拨单反审核成功!"), N_("划拨单反审核失败!"), N_("划拨单[编号:%1]反审核成功")},
    {kActionApprove, host::kRightApprove, false, false, 1, N_("确定划拨单资料无误进行审批吗？"),
     N_("划拨单审批成功!"), N_("划拨单审批失败!"), N_("划拨单[编号:%1]审批成功")},
    {kActionUnapprove, host::kRightApprove, false, false, 0, N_("确实要反审批该划拨单吗?"),
     N_("划拨单反审批成功!"), N_("划拨单反审批失败!"), N_("划拨单[编号:%1]反审批成功")},
};

// The row of an action code. No other code is passed; one would be taken for unapprove.
const SignOffAction& ActionOf(int32_t code) {
  for (const SignOffAction& action : kActions)
    if (action.code == code) return action;
  return ActionOf(kActionUnapprove);
}

bool Refuse(const char* text) {
  ShowMessage(LoadPWString(text), 64);
  return false;
}

double CurrentUserID() { return ax::Val(GetSystemData().Get("CurrentUserID")); }

// The voucher follows the bill: checking the bill needs a checked voucher. voucherId becomes the
// voucher handed on with the bill; false when the voucher window was left without checking it.
bool PassVoucher(const ax::Object& bill, const SignOffAction& action, int32_t& voucherId) {
  if (!(host::GetFieldNumber(bill, "FVoucherID") > 0)) return true;
  if (!host::GetFieldText(bill, "FBaseProperty4", host::kHeadRow, host::kDisplayText).empty())
    return true;
  voucherId = ax::CLng(host::GetFieldNumber(bill, "FVoucherID"));
  ax::Object rs = host::LmLib(bill).GetData("select FCheckerID from t_Voucher where FVoucherID=" +
                                            host::SqlNum(voucherId));
  if (!host::HasRows(rs)) return true;
  ax::Variant voucherChecker = host::Field(rs, "FCheckerID");
  // A voucher without a checker value (NULL) is not taken for unchecked.
  if (!action.opensVoucher || voucherChecker.isNull() || ax::VarGreater(voucherChecker, 0))
    return true;
  ax::Object voucher = ax::CreateObject(host::ProgId::Voucher);
  voucher.Call("vchEdit", {static_cast<double>(voucherId), "Check"});
  return ax::IsTrue(voucher.Get("VchDone"));
}

// The update component stores the new state; false when it refused without raising.
bool StoreSignOff(const ax::Object& update, const SignOffAction& action, int32_t billId,
                  int32_t userId, int32_t voucherId) {
  if (action.withVoucher) {
    ax::Variant voucherArg(voucherId);
    ax::Args args{GetPropsString(), billId, action.newState, userId, ax::ref(voucherArg)};
    return ax::IsTrue(update.CallArgs("Check", args, ax::kMethodOrGet));
  }
  return ax::IsTrue(update.Get("ReCheck", {GetPropsString(), billId, action.newState, userId}));
}

// Yes to the action's question goes on.
bool Confirmed(const char* question) {
  return ShowMessage(LoadPWString(question), 36) == ax::mb::kIdYes;
}

void ReportSuccess(const char* success, const char* logText, const std::string& billNo) {
  ShowMessage(LoadPWString(success), 64);
  WriteBusinessLog(3, FormatPWString(logText, {billNo}));
}

// The action's failure text directly followed by the reason.
void ReportFailure(const char* failure, const std::string& reason) {
  ShowMessage(LoadPWString(failure) + FormatPWString("原因:%1", {LoadPWString(reason)}), 64);
}

}  // namespace

bool scTransferBillExt::CheckBillRules(const ax::Object& oBill, int32_t action) {
  // An unsaved bill has nothing to sign off yet, whoever asks.
  if (host::GetFieldNumber(oBill, "FID") == 0) return Refuse("请先保存单据！");

  if (!CheckObjectRight(oBill, ActionOf(action).right)) {
    ShowNoRightMessage();
    return false;
  }

  double checker = host::GetFieldNumber(oBill, "FCheckerID");
  double approver = host::GetFieldNumber(oBill, "FReCheckerID");
  switch (action) {
    case kActionUncheck:
      if (approver > 0) return Refuse("不能反审核已经审批的单据!");
      if (!(checker > 0)) return Refuse("不能反审核未经审核的单据!");
      if (checker != CurrentUserID()) return Refuse("取消审核人和原审核人必须同一个人!");
      break;
    case kActionCheck:
      if (approver > 0) return Refuse("不能审核已经审批的单据!");
      if (checker > 0) return Refuse("不能审核已经审核的单据!");
      // Maker-checker: nobody checks his own bill.
      if (host::GetFieldNumber(oBill, "FPreparerID") == CurrentUserID())
        return Refuse("审核人与制单人不能同一个人!");
      break;
    case kActionApprove:
      if (approver > 0) return Refuse("不能审批已经审批的单据!");
      if (!(checker > 0)) return Refuse("不能审批未经审核的单据!");
      break;
    default: {  // unapprove
      if (approver == 0) return Refuse("不能反审批未经审批的单据!");
      if (approver != CurrentUserID()) return Refuse("取消审批人和原审批人必须同一个人!");
      // Once the bank has a payment order for the bill, its approval stands.
      std::string billNo = host::GetFieldText(oBill, "FBillNo");
      ax::Object rs = host::LmLib(oBill).GetData(
          std::string("select * from view_BKPaymentTAV t1 ") + host::kCrLf + "where FNumber=" +
          host::SqlStr(billNo) + " and FName='SCTransfer' ");
      if (host::HasRows(rs)) return Refuse("该划拨单已经提交银行付款单，不能反审批!");
      break;
    }
  }
  return true;
}

void scTransferBillExt::CheckBill(int32_t action) {
  const SignOffAction& signOff = ActionOf(action);
  TrapMessage(
      [&] {
        const ax::Object& bill = Bill();
        if (!CheckBillRules(bill, action)) return;
        if (!Confirmed(signOff.question)) return;

        std::string billNo = host::GetFieldText(bill, "FBillNo");
        int32_t billId = ax::CLng(host::GetFieldNumber(bill, "FID"));
        int32_t userId = signOff.newState == 1 ? ax::CLng(CurrentUserID()) : 0;

        int32_t voucherId = 0;
        if (signOff.withVoucher && !PassVoucher(bill, signOff, voucherId)) {
          ShowMessage(LoadPWString("没有审核资料和凭证!"), 64);
          return;
        }

        ax::Object update = ax::CreateObject(host::ProgId::TransferUpdate);
        if (!StoreSignOff(update, signOff, billId, userId, voucherId)) {
          // The component said no without raising: there is no reason to show.
          ReportFailure(signOff.failure, "");
          return;
        }
        ReportSuccess(signOff.success, signOff.logText, billNo);
        host::ReloadBill(bill);
      },
      [&](const ax::AutomationError& error) { ReportFailure(signOff.failure, error.Description()); });
}

}  // namespace sc
