#include "automation/variant.h"
#include "host/bill_interface.h"
#include "host/components.h"
#include "host/transfer_bill.h"
#include "plugin/scTransferBillExt.h"
#include "shared/ModPub.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"
#include "shared/scModule.h"

namespace sc {

void scTransferBillExt::AfterLoadBill() {
  TraceScope trace("scTAVExt.scTransferBillExt.m_BillInterface_AfterLoadBill");
  // The operator belongs to the bill the window showed: a newly shown bill starts with none, so
  // its own currency's operator applies until an account is applied to it.
  m_sOperator.clear();
  TrapQuiet(trace, [&] {
    SetBillToolState(Bill(), true);

    // Bills made by the collections keep what the collection decided.
    ax::Variant source = host::GetFieldValue(Bill(), "FSource");
    if (ax::VarEqual(source, host::kSourceCentreCollection)) {
      for (const char* key : {"FExchRate", "FCyID", "FPayAcctID"}) host::LockField(Bill(), key);
    } else if (ax::VarEqual(source, host::kSourceReceipt)) {
      for (const char* key : {"FPayAcctID", "FPayBank", "FPayBankAcnt", "FRecAcctID", "FRecBank",
                              "FRecBankAcnt", "FCyID", "FExchRate", "FAmt", "FFcyAmt",
                              "FPaySettDate"})
        host::LockField(Bill(), key);
    }

    // The voucher can be viewed only when the bill has one.
    std::string voucher = host::GetFieldText(Bill(), "FVoucherID", host::kHeadRow,
                                             host::kDisplayText);
    host::SetToolProperty(Bill(), "Voucher", "Enabled", ax::Len(voucher) > 0);
  });
}

void scTransferBillExt::AfterNewBill() {
  m_sOperator.clear();
  host::SetFieldValue(Bill(), "FTrantype", "TC");
  host::SetFieldValue(Bill(), "FTlxlvl", ax::Variant::integer(0));
  host::SetFieldValue(Bill(), "FCheckStatus", ax::Variant::integer(0));
  host::SetFieldValue(Bill(), "FReCheckStatus", ax::Variant::integer(0));

  host::RefreshProfile(GetProfileObject());
  // With daily closing on, a new bill is dated on the centre's business date.
  std::string businessDate = GetCentreDate();
  if (!businessDate.empty()) {
    host::SetFieldValue(Bill(), "FDate", businessDate);
    host::SetFieldValue(Bill(), "FPaySettDate", GetCentreDate());
  }

  SetBillToolState(Bill(), false);
}

void scTransferBillExt::BeforLoadBillFillData() {
  TrapQuiet([&] {
    ax::Object form = host::BillForm(Bill());
    if (m_lngOpenStatus == -1) m_lngOpenStatus = ax::CLng(host::BillStatus(form));

    // A bill with a checker opens read-only (status 0); any other keeps the window's first status.
    ax::Variant checker = host::GetFieldData(form, "FCheckerID");
    bool hasChecker = !host::TextOf(checker).empty();
    host::SetBillStatus(form, hasChecker ? 0 : m_lngOpenStatus);
  });
}

}  // namespace sc
