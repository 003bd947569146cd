// Withdrawal of bank submissions: the bank link cancels the payment each selected bill made.
#include <memory>
#include <string>

#include "automation/runtime.h"
#include "banksubmit/dlgBankSend.h"
#include "host/collections.h"
#include "host/list_interface.h"
#include "host/lmlib.h"
#include "host/progids.h"
#include "host/recordset.h"
#include "host/sql.h"
#include "host/transfer_bill.h"
#include "plugin/scTransferListExt1.h"
#include "shared/MLoadPWString.h"
#include "shared/MMTS.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"
#include "shared/WaitCursor.h"

namespace sc {

void scTransferListExt1::UnSubmitToBankBill() {
  TraceScope trace("scTAVExt.scTransferListExt1.UnSubmitToBankBill");
  // Until a cancellation has been asked for, an error (the selection, an id, the component, a
  // read) goes back to the host: nothing has been cancelled and no dialog is shown. From the
  // first cancellation on, every bill reports its own outcome and the others go on.
  BackToHost(trace, [&] {
    int32_t fn1 = 29, fn2 = 11, fn3 = 512;
    bool showError = true;
    if (!CheckSecurityAccess(fn1, fn2, fn3, showError)) return;

    auto wait = std::make_unique<WaitCursor>();

    const ax::Object selected = host::ListOf(List()).GetObj("GetSelectedBillID");
    const int32_t count = host::Count(selected);
    if (count == 0) return;

    const ax::Object update = ax::CreateObject(host::ProgId::BankUpdate);

    std::string lines;
    bool attempted = false;  // whether a cancellation was asked for
    for (int32_t i = 1; i <= count; ++i) {
      // Each bill is read afresh: once a cancellation was asked for, a bill that cannot be read
      // names itself by its id, and no payment but its own is ever cancelled for it.
      ax::Variant billNo;
      try {
        const ax::Variant item = selected.Item(i);
        billNo = item;
        const std::string id = host::SqlNum(ax::CLng(item));
        const ax::Object rs = host::LmLib(List()).GetData(
            "select t1.FBillNo,t2.FInterID from t_scTransfer t1 left join t_BK_Payment t2 on "
            "t2.FsourceNumber=t1.FBillNo and t2.FSource='SCTransfer' where FID=" + id);
        billNo = host::Field(rs, "FBillNo");
        const ax::Variant interId = host::Field(rs, "FInterID");
        if (interId.isNull() || !ax::VarGreater(interId, 0)) {
          lines += FormatPWString("单据 %1 撤消提交失败：该划拨单未提交", {billNo}) + host::kCrLf;
          continue;
        }
        attempted = true;
        const bool cancelled =
            ax::IsTrue(update.Get("CancelPayment", {GetPropsString(), ax::CLng(interId)}));
        if (cancelled)
          lines += FormatPWString("单据 %1 撤消提交成功", {billNo}) + host::kCrLf;
        else
          lines += FormatPWString("单据 %1 撤消提交失败：%2", {billNo, ""}) + host::kCrLf;
      } catch (...) {
        if (!attempted) throw;
        const ax::AutomationError error = ax::ToAutomationError(std::current_exception());
        lines += FormatPWString("单据 %1 撤消提交失败：%2", {billNo, error.Description()}) + host::kCrLf;
      }
    }

    wait.reset();
    // Once a payment may have been cancelled, the outcome is shown and the list refreshed as
    // far as possible; a failure of one of them does not stop the other.
    if (attempted) {
      TrapQuiet([&] { dlgBankSend::ShowMsg(lines); });
      TrapQuiet([&] { host::ListOf(List()).Call("RefreshList", {false}); });
    } else {
      dlgBankSend::ShowMsg(lines);
      host::ListOf(List()).Call("RefreshList", {false});
    }
  });
}

}  // namespace sc
