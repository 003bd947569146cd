// The accounting voucher of a transfer bill: two lines, the receiving side's ledger account
// debited and the paying side's credited, built from the bill and handed to the host's voucher
// component, which shows, numbers and stores it.
#include <string>

#include "automation/runtime.h"
#include "automation/variant.h"
#include "host/bill_interface.h"
#include "host/collections.h"
#include "host/components.h"
#include "host/lmlib.h"
#include "host/progids.h"
#include "host/sql.h"
#include "host/transfer_bill.h"
#include "plugin/scTransferBillExt.h"
#include "shared/MLoadPWString.h"
#include "shared/MMTS.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"

namespace sc {

namespace {

constexpr const char* kBankDone = "TRANSACTION_SUCCESS";

bool BankNotDone(const ax::Object& bill) {
  return host::GetFieldText(bill, "FBaseProperty6", 1) != kBankDone;
}

// The voucher the bill is linked to: its id when FVoucherID has both a value and a text, else 0.
int32_t ExistingVoucherID(const ax::Object& bill) {
  if (host::GetFieldText(bill, "FVoucherID").empty() ||
      host::GetFieldText(bill, "FVoucherID", host::kHeadRow, host::kDisplayText).empty())
    return 0;
  return ax::CLng(host::GetFieldNumber(bill, "FVoucherID"));
}

// A voucher is built for a modified bill that has one, by the command, and on save when the
// centre makes vouchers from its bills.
bool WantsVoucher(const ax::Object& bill, const ax::Object& profile, bool automatic,
                  int32_t existingVoucher) {
  return (host::EditStatus(bill) == 2 && existingVoucher > 0) || !automatic ||
         (!ax::IsTrue(profile.Get("SCGetBillAutoVch")) &&
          ax::VarEqual(host::GetSystemProfile(profile, "SC", "SCTransferBillVch", "0"), 0));
}

ax::Object VoucherHeader(const ax::Object& bill) {
  ax::Object header = host::NewDictionary();
  host::SetItem(header, "FDate", host::GetFieldValue(bill, "FDate"));
  host::SetItem(header, "FTransDate", host::GetFieldValue(bill, "FPaySettDate"));
  host::SetItem(header, "FTranType", host::kTransferClassTypeID);
  host::SetItem(header, "FReference", host::GetFieldValue(bill, "FBillNo"));
  return header;
}

// What both lines of the voucher carry.
struct VoucherLine {
  std::string explanation;
  int32_t currencyId = 0;
  double amount = 0;       // in the bill's currency
  double localAmount = 0;  // the bill's converted amount
};

VoucherLine ReadVoucherLine(const ax::Object& bill) {
  VoucherLine line;
  // 划拨单[,purpose][,explanation].
  line.explanation = LoadPWString("划拨单");
  std::string purpose = host::GetFieldText(bill, "FPurpose");
  if (!purpose.empty()) line.explanation += "," + ax::Trim(purpose);
  std::string remark = host::GetFieldText(bill, "FExplanation");
  if (!remark.empty()) line.explanation += "," + ax::Trim(remark);

  line.currencyId = ax::CLng(host::GetFieldNumber(bill, "FCyID"));
  line.amount = host::GetFieldNumber(bill, "FAmt");
  line.localAmount = host::GetFieldNumber(bill, "FFcyAmt");
  return line;
}

// The line of one account of the bill, debit (dc 1) or credit (dc 0); its ledger account goes
// into the bill information as the key account of that side.
ax::Object VoucherEntry(const ax::Object& bill, const ax::Object& glData, const char* accountField,
                        int16_t dc, const VoucherLine& line, const ax::Object& billInfo) {
  std::string accountText =
      host::GetFieldText(bill, accountField, host::kHeadRow, host::kDisplayText);
  // An account without ledger account comes back as Nothing: reading it fails (91).
  ax::Object ledgerAccount = host::GetAccount(glData, accountText);
  ax::Object entry = host::NewDictionary();
  host::SetItem(entry, "FAccountID", ledgerAccount.Get("AccountID"));
  host::SetItem(entry, "FCurrencyID", line.currencyId);
  host::SetItem(entry, "FAmountFor", line.amount);
  host::SetItem(entry, "FExchangeRate", host::GetFieldValue(bill, "FExchRate"));
  host::SetItem(entry, "FAmount", line.localAmount);
  host::SetItem(entry, "FExplanation", line.explanation);
  // Settlement type and number belong to bank accounts only.
  if (ax::IsTrue(ledgerAccount.Get("IsBank"))) {
    host::SetItem(entry, "FSettleTypeID", ax::CLng(host::GetFieldNumber(bill, "FSettleTypeID")));
    host::SetItem(entry, "FSettleNo", host::GetFieldValue(bill, "FSettleNo"));
  }
  host::SetItem(entry, "FDC", ax::Variant::integer(dc));
  host::SetItem(billInfo, dc == 1 ? "KeyAcctID2" : "KeyAcctID", ledgerAccount.Get("AccountID"));
  host::SetItem(billInfo, dc == 1 ? "KeyAcctDC2" : "KeyAcctDC", ax::Variant::integer(dc));
  return entry;
}

// The receiving side debited, then the paying side credited.
void AddVoucherEntries(const ax::Object& bill, const ax::Object& header,
                       const ax::Object& billInfo, const VoucherLine& line) {
  ax::Object glData = GetGLData();
  ax::Object receiving = VoucherEntry(bill, glData, "FRecAcctID", 1, line, billInfo);
  ax::Object paying = VoucherEntry(bill, glData, "FPayAcctID", 0, line, billInfo);
  ax::Object entries = host::NewVector();
  entries.Call("Add", {receiving});
  entries.Call("Add", {paying});
  host::SetItem(header, "Entries", entries.AsVariant());
}

void FillBillInfo(const ax::Object& bill, const ax::Object& header, const ax::Object& billInfo,
                  const VoucherLine& line, int32_t existingVoucher) {
  host::SetItem(billInfo, "FCyID", line.currencyId);
  host::SetItem(billInfo, "VoucherID",
                existingVoucher > 0 ? ax::Variant(existingVoucher) : ax::Variant::integer(0));
  host::SetItem(billInfo, "objectID", host::GetFieldNumber(bill, "FID"));
  host::SetItem(billInfo, "ObjectName", "FENRMTAVExt.cTransferUpdate");
  host::SetItem(billInfo, "FAmt", line.amount);
  host::SetItem(billInfo, "FFcyAmt", line.localAmount);
  host::SetItem(billInfo, "FPaytran", host::GetFieldValue(bill, "FPaytran"));
  host::SetItem(billInfo, "FDate", host::GetFieldValue(bill, "FDate"));
  host::SetItem(header, "FObjectName", "scTAVExt.scTransferBillExt");
}

// Opens the voucher window on the header: a new bill's voucher is added, a saved bill's voucher
// edited when it has one. The component may hand back another header. True when the user
// completed the voucher.
bool EditVoucher(const ax::Object& voucher, const ax::Object& bill, ax::Object& header,
                 const ax::Object& billInfo) {
  std::string mode;
  if (host::EditStatus(bill) == 1) {
    host::SetItem(billInfo, "ObjectMethod", "Create");
    mode = "Add";
  } else {
    host::SetItem(billInfo, "ObjectMethod", "Update");
    mode = ax::Val(host::GetValue(billInfo, "VoucherID", 0)) > 0 ? "Edit" : "Add";
  }
  ax::Variant subject = header.AsVariant();
  ax::Args args{ax::ref(subject), mode};
  voucher.CallArgs("vchEdit", args);
  header = ax::Object::FromVariantOrNothing(subject);
  return ax::IsTrue(voucher.Get("VchDone"));
}

}  // namespace

void scTransferBillExt::CreateVoucher(bool automatic, bool& result) {
  TraceScope trace("scTAVExt.scTransferBillExt.CreateVoucher");
  result = true;
  bool completed = TrapMessage(trace, [&] {
    const ax::Object& bill = Bill();
    ax::Object profile = GetProfileObject();
    host::RefreshProfile(profile);

    // Bills converted from receipts never get a voucher here.
    if (ax::VarEqual(host::GetFieldValue(bill, "FSource"), host::kSourceReceipt)) return;
    // No voucher before the bank has paid, when the centre wants it so.
    if (ax::IsTrue(profile.Get("SCGetVoucherAfterBank")) && BankNotDone(bill)) return;

    int32_t existingVoucher = ExistingVoucherID(bill);
    if (!WantsVoucher(bill, profile, automatic, existingVoucher)) return;

    ax::Object header = VoucherHeader(bill);
    VoucherLine line = ReadVoucherLine(bill);
    ax::Object billInfo = host::NewDictionary();
    AddVoucherEntries(bill, header, billInfo, line);
    FillBillInfo(bill, header, billInfo, line, existingVoucher);

    ax::Object voucher = ax::CreateObject(host::ProgId::Voucher);
    voucher.PutRef("BillInfo", billInfo);
    result = EditVoucher(voucher, bill, header, billInfo);

    if (result) {
      m_NewVoucherID = ax::CLng(voucher.GetObj("BillInfo").Item("FVoucherID"));
      // The host's save stores the voucher with the bill.
      if (automatic) host::SetFieldValue(bill, "FVoucherID", ax::CStr(ax::Variant(m_NewVoucherID)));
    } else {
      m_NewVoucherID = 0;
    }
  });
  if (!completed) result = false;
}

void scTransferBillExt::CreateVouNoAuto() {
  TraceScope trace("scTAVExt.scTransferBillExt.CreateVouNoAuto");
  const ax::Object& bill = Bill();
  auto refuse = [](const char* text) { ShowMessage(LoadPWString(text), 64); };

  if (host::GetFieldNumber(bill, "FID") == 0 || host::IsDataChanged(bill))
    return refuse("请先保存单据！");
  if (!host::GetFieldText(bill, "FVoucherID", host::kHeadRow, host::kDisplayText).empty())
    return refuse("该划拨单已经生成凭证,不能再生成凭证!");
  if (host::GetFieldNumber(bill, "FReCheckerID") == 0) return refuse("该划拨单未审批,不能生成凭证!");
  ax::Object profile = GetProfileObject();
  host::RefreshProfile(profile);
  if (ax::IsTrue(profile.Get("SCGetVoucherAfterBank")) && BankNotDone(bill))
    return refuse("划拨单银行处理还没有成功，不能生成凭证!");
  // The command compares the source with its text.
  if (ax::VarEqual(host::GetFieldValue(bill, "FSource"), std::to_string(host::kSourceReceipt)))
    return refuse("由收款单转换成的划拨单也不能生成凭证!");

  bool done = false;
  CreateVoucher(false, done);
  if (done && m_NewVoucherID > 0) {
    // The link is kept both ways: the voucher knows its bill, the bill its voucher.
    std::string billId = host::SqlNum(host::GetFieldNumber(bill, "FID"));
    std::string voucherId = host::SqlNum(m_NewVoucherID);
    std::string billNo = host::GetFieldText(bill, "FBillNo");
    host::LmLib(bill).ExecuteSQL("update t_Voucher set FParameter=" + billId +
                                 " where FVoucherID=" + voucherId + host::kCrLf +
                                 "update t_scTransfer set FVoucherID=" + voucherId +
                                 " where fid=" + billId);
    host::ReloadBill(bill);
    std::string word = ax::Trim(
        host::GetFieldText(bill, "FVoucherID", host::kHeadRow, host::kDisplayText));
    WriteBusinessLog(3, FormatPWString("划拨单[编号:%1]生成凭证[字号:%2]", {billNo, word}));
  }
}

void scTransferBillExt::ViewVoucher() {
  const ax::Object& bill = Bill();
  if (!host::GetFieldText(bill, "FVoucherID", host::kHeadRow, host::kDisplayText).empty()) {
    ax::Object voucher = ax::CreateObject(host::ProgId::Voucher);
    voucher.Call("vchEdit", {host::GetFieldNumber(bill, "FVoucherID"), "View"});
  } else {
    ShowMessage(LoadPWString("该划拨单未生成凭证，不能查看凭证！"), 64);
  }
}

}  // namespace sc
