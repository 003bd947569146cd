// Check and approval of a transfer bill: check (1), uncheck (0), approve (3), unapprove (4).
// The rules decide who may do what in which state; the transfer-bill update component stores
// the new state.
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
using host::kActionUncheck;

bool Refuse(const char* text) {
  ShowMessage(LoadPWString(text), 64);
  return false;
}

double CurrentUserID() { return ax::Val(GetSystemData().Get("CurrentUserID")); }

}  // namespace

bool scTransferBillExt::CheckBillRules(const ax::Object& oBill, int32_t action) {
  // An unsaved bill has nothing to sign off yet, whoever asks.
  if (host::GetFieldNumber(oBill, "FID") == 0) return Refuse("请先保存单据！");

  int32_t right = (action == kActionUncheck || action == kActionCheck) ? host::kRightCheck
                                                                    : host::kRightApprove;
  if (!CheckObjectRight(oBill, right)) {
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
  const bool checkGroup = action == kActionUncheck || action == kActionCheck;
  const char* failure = action == kActionCheck     ? N_("划拨单审核失败!")
                        : action == kActionUncheck ? N_("划拨单反审核失败!")
                        : action == kActionApprove ? N_("划拨单审批失败!")
                                             : N_("划拨单反审批失败!");
  auto reportFailure = [&](const std::string& reason) {
    ShowMessage(LoadPWString(failure) + FormatPWString("原因:%1", {LoadPWString(reason)}), 64);
  };

  TrapMessage(
      [&] {
        const ax::Object& bill = Bill();
        if (!CheckBillRules(bill, action)) return;

        const char* question = action == kActionCheck     ? N_("确定划拨单资料无误进行审核吗？")
                               : action == kActionUncheck ? N_("确实取消该划拨单和相应凭证的审核吗?")
                               : action == kActionApprove ? N_("确定划拨单资料无误进行审批吗？")
                                                    : N_("确实要反审批该划拨单吗?");
        if (ShowMessage(LoadPWString(question), 36) != ax::mb::kIdYes) return;

        std::string billNo = host::GetFieldText(bill, "FBillNo");
        int32_t billId = ax::CLng(host::GetFieldNumber(bill, "FID"));
        int32_t newState = (action == kActionCheck || action == kActionApprove) ? 1 : 0;
        int32_t userId = newState == 1 ? ax::CLng(CurrentUserID()) : 0;

        // The voucher follows the bill: checking the bill needs a checked voucher.
        int32_t voucherId = 0;
        if (checkGroup && host::GetFieldNumber(bill, "FVoucherID") > 0) {
          bool passed = true;
          if (host::GetFieldText(bill, "FBaseProperty4", host::kHeadRow, host::kDisplayText)
                  .empty()) {
            voucherId = ax::CLng(host::GetFieldNumber(bill, "FVoucherID"));
            ax::Object rs = host::LmLib(bill).GetData(
                "select FCheckerID from t_Voucher where FVoucherID=" + host::SqlNum(voucherId));
            if (host::HasRows(rs)) {
              ax::Variant voucherChecker = host::Field(rs, "FCheckerID");
              // A voucher without a checker value (NULL) is not taken for unchecked.
              if (action == kActionCheck && !voucherChecker.isNull() &&
                  !ax::VarGreater(voucherChecker, 0)) {
                ax::Object voucher = ax::CreateObject(host::ProgId::Voucher);
                voucher.Call("vchEdit", {static_cast<double>(voucherId), "Check"});
                passed = ax::IsTrue(voucher.Get("VchDone"));
              }
            }
          }
          if (!passed) {
            ShowMessage(LoadPWString("没有审核资料和凭证!"), 64);
            return;
          }
        }

        ax::Object update = ax::CreateObject(host::ProgId::TransferUpdate);
        bool stored = false;
        if (checkGroup) {
          ax::Variant voucherArg(voucherId);
          ax::Args args{GetPropsString(), billId, newState, userId, ax::ref(voucherArg)};
          stored = ax::IsTrue(update.CallArgs("Check", args, ax::kMethodOrGet));
        } else {
          stored = ax::IsTrue(update.Get("ReCheck", {GetPropsString(), billId, newState, userId}));
        }

        if (!stored) {
          // The component said no without raising: there is no reason to show.
          reportFailure("");
          return;
        }
        const char* success = action == kActionCheck     ? N_("划拨单审核成功!")
                              : action == kActionUncheck ? N_("划拨单反审核成功!")
                              : action == kActionApprove ? N_("划拨单审批成功!")
                                                   : N_("划拨单反审批成功!");
        const char* logText = action == kActionCheck     ? N_("划拨单[编号:%1]审核成功")
                              : action == kActionUncheck ? N_("划拨单[编号:%1]反审核成功")
                              : action == kActionApprove ? N_("划拨单[编号:%1]审批成功")
                                                   : N_("划拨单[编号:%1]反审批成功");
        ShowMessage(LoadPWString(success), 64);
        WriteBusinessLog(3, FormatPWString(logText, {billNo}));
        host::ReloadBill(bill);
      },
      [&](const ax::AutomationError& error) { reportFailure(error.Description()); });
}

}  // namespace sc
