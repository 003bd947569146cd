// Saving a transfer bill: the preparer stamp, the centre's save rules in their fixed order, the
// automatic voucher, and after the save the links the host does not keep.
#include <string>

#include "automation/variant.h"
#include "host/bill_interface.h"
#include "host/collections.h"
#include "host/components.h"
#include "host/lmlib.h"
#include "host/recordset.h"
#include "host/sql.h"
#include "host/transfer_bill.h"
#include "plugin/scTransferBillExt.h"
#include "shared/MLoadPWString.h"
#include "shared/MMTS.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"
#include "shared/scModule.h"

namespace sc {

void scTransferBillExt::BeforeSave(bool& bCancel) {
  const ax::Object& bill = Bill();
  m_lRecSettID = ax::CLng(host::GetValue(host::BillParams(bill), "FRecSettID", 0));

  // Whoever saves the bill is its preparer.
  ax::Object preparer = host::GetFieldInfoByKey(bill, "FPreparerID");
  host::DataLib lib = host::LmLib(bill);
  host::SetFieldInfo(bill, preparer, ax::CStr(ax::Variant(lib.UserID())));
  host::SetFieldInfo(bill, preparer, lib.UserName());

  bool valid = CheckBillData();
  bCancel = !valid;
  if (valid) {
    bool voucherDone = true;
    CreateVoucher(true, voucherDone);
    bCancel = !voucherDone;
  }
}

bool scTransferBillExt::CheckBillData() {
  bool valid = false;
  auto refuse = [](const char* text) { ShowMessage(LoadPWString(text), 64); };
  TrapMessage(
      [&] {
        const ax::Object& bill = Bill();

        // Daily closing: nothing may be entered before the centre's business date.
        std::string businessDate = GetCentreDate(true);
        if (!businessDate.empty()) {
          ax::DateValue billDate = ax::DateOnly(ax::CDate(host::GetFieldValue(bill, "FDate")));
          if (billDate.serial < ax::CDate(businessDate).serial)
            return refuse("根据日结控制，您不能输入以前的日期！");
        }

        ax::Object glData = GetGLData();
        ax::Object receiving = host::GetAccount(
            glData, host::GetFieldText(bill, "FRecAcctID", host::kHeadRow, host::kLookupText));
        if (receiving.IsNothing()) return refuse("收款账号不存在或没有查看权限！");
        ax::Object paying = host::GetAccount(
            glData, host::GetFieldText(bill, "FPayAcctID", host::kHeadRow, host::kLookupText));
        if (paying.IsNothing()) return refuse("付款账号不存在或没有查看权限！");

        int32_t receivingCurrency = ax::CLng(receiving.Get("CurrencyID"));
        int32_t payingCurrency = ax::CLng(paying.Get("CurrencyID"));
        if (receivingCurrency != 0 && payingCurrency != 0 && receivingCurrency != payingCurrency)
          return refuse("收款、付款账号币别不同,请重新选择!");

        // A bill checked in the meantime (by another user) is frozen.
        double billId = host::GetFieldNumber(bill, "FID");
        if (billId > 0) {
          ax::Object rs = host::LmLib(bill).GetData(
              "SELECT ISNULL(FCheckerID,0) AS FCheckerID FROM t_sctransfer WHERE FID=" +
              host::SqlNum(billId));
          if (host::HasRows(rs) && ax::Val(host::Field(rs, "FCheckerID")) > 0)
            return refuse("单据已经审核，不能修改。");
        }

        // A receiving bank of type 200 refuses a payment instruction number it has already seen
        // for the same receiving account.
        std::string paytran = host::GetFieldText(bill, "FPaytran");
        if (host::GetFieldNumber(bill, "FRecBanktype") == 200 && !paytran.empty()) {
          std::string sql =
              "Select top 1 p.FID From t_scTransfer p,t_BK_Acnt t1 left join t_submessage t2 on "
              "t1.FBankTypeID=t2.FInterID Where t2.FID='200' And t1.FAcntNumber=p.FRecBankAcnt "
              "And p.FPaytran=" +
              host::SqlStr(paytran) +
              " AND p.FRecBankAcnt=" + host::SqlStr(host::GetFieldText(bill, "FRecBankAcnt"));
          if (host::EditStatus(bill) == 2) sql += " AND p.FID <> " + host::SqlNum(billId);
          ax::Object rs = host::LmLib(bill).GetData(sql);
          if (!host::Eof(rs))
            return refuse("招商银行的划拨单票据号不能重复，请检查！");
        }

        valid = true;
      });
  return valid;
}

void scTransferBillExt::AfterSave(bool&) {
  const ax::Object& bill = Bill();
  double voucherId = 0;
  auto writeLinks = [&] {
    std::string billId = host::SqlNum(host::GetFieldNumber(bill, "FID"));
    voucherId = host::GetFieldNumber(bill, "FVoucherID");
    const std::string crlf(host::kCrLf);

    std::string sql;
    if (voucherId > 0)
      sql += "update t_Voucher set FParameter=" + billId + " where FVoucherID=" +
             host::SqlNum(voucherId) + crlf;
    sql += "update t_scTransfer set FBKCommit=" + billId + " where FID=" + billId + crlf;
    // A bill made from a receipt: the receipt now points at its bill.
    if (ax::VarEqual(host::GetFieldValue(bill, "FSource"), host::kSourceReceipt))
      sql += " update t_scRecSett set FTransBillID= " + billId + " where FRecSettID=" +
             host::SqlNum(m_lRecSettID);
    host::LmLib(bill).ExecuteSQL(sql);
  };
  // The bill is saved already, so links left unwritten would leave its voucher naming no bill.
  // A failed attempt is made once more (right after the host's own save a deadlock or a lock
  // time-out is the likely cause; the statements set fixed values, so a repeat is harmless);
  // a second failure goes back to the host.
  try {
    writeLinks();
  } catch (const ax::AutomationError&) {
    writeLinks();
  }

  if (voucherId > 0) {
    std::string word = ax::Trim(
        host::GetFieldText(bill, "FVoucherID", host::kHeadRow, host::kDisplayText));
    WriteBusinessLog(3, FormatPWString("划拨单[编号:%1]保存生成凭证[字号:%2]",
                                       {host::GetFieldValue(bill, "FBillNo"), word}));
  }
}

}  // namespace sc
