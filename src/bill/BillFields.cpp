// The account fields of a transfer bill: choosing or typing the paying or receiving account
// fills its name, bank and bank account, checks the user's right and the common currency, sets
// currency and rate and recomputes the local amount. Also the purpose list.
#include <string>

#include "automation/runtime.h"
#include "automation/variant.h"
#include "host/bill_interface.h"
#include "host/collections.h"
#include "host/components.h"
#include "host/progids.h"
#include "host/recordset.h"
#include "host/sql.h"
#include "host/transfer_bill.h"
#include "plugin/scTransferBillExt.h"
#include "shared/MLoadPWString.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"

namespace sc {

namespace {

// An account field with the fields that describe the account.
struct AccountPair {
  const char* account;
  const char* name;
  const char* bank;
  const char* bankAccount;
};

constexpr AccountPair kReceiving{"FRecAcctID", "FBaseProperty1", "FRecBank", "FRecBankAcnt"};
constexpr AccountPair kPaying{"FPayAcctID", "FBaseProperty3", "FPayBank", "FPayBankAcnt"};

const AccountPair& PairOf(std::string_view key) {
  return ax::EqualsNoCase(key, kReceiving.account) ? kReceiving : kPaying;
}

std::string FieldKey(const ax::Object& dct) {
  return host::TextOf(dct.Item("FKey"));
}

}  // namespace

void scTransferBillExt::BeginEdit(const ax::Object& dct, int32_t, int32_t) {
  TrapQuiet([&] {
    std::string key = FieldKey(dct);
    if (key == "FPurpose") host::SetToolProperty(Bill(), "mnuDataLookUp", "Enabled", true);
    m_sEditKey = key;
  });
}

void scTransferBillExt::Change(const ax::Object& dct, const ax::Object&, int32_t, int32_t,
                               bool&) {
  TraceScope trace("scTAVExt.scTransferBillExt.m_BillInterface_Change");
  TrapReport(trace, [&] {
    std::string key = FieldKey(dct);
    if (key == "FAmt") {
      CalcFcyAmt();
      return;
    }
    if (key != "FRecAcctID" && key != "FPayAcctID") return;

    const ax::Object& bill = Bill();
    std::string fieldKey = ax::CStr(host::GetValue(dct, "FKey", "0"));
    // The id goes into the statement as a number: an emptied field looks up account 0.
    std::string accountId = host::SqlNum(host::GetFieldNumber(bill, fieldKey));
    const std::string crlf(host::kCrLf);
    std::string sql =
        "SELECT " + crlf +
        "view_AcntTav.FID AS FID2,view_AcntTavGroup.FNumber,view_AcntTavGroup.FName,view_AcntTav.FClientID,t_Organization.FNumber AS FClientID_FNDName,t_Organization.FName AS FClientID_DSPName, " + crlf +
        "view_AcntTav.FAcnt,view_AcntTav.FBank,view_AcntTav.FAcntNo,view_AcntTavGroup.FID,view_AcntTavGroup.FLogic,view_AcntTav.FOpenDate, " + crlf +
        "view_AcntTav.FRate,view_AcntTav.FAcctID,view_AcntTav.FTZRate,view_AcntTav.FLastIntDate,view_AcntTav.FCurrencyID,t_Currency.FNumber AS FCurrencyID_FNDName, " + crlf +
        "t_Currency.FScale AS FCurrencyID_Decimal,t_Currency.FNumber AS FCurrencyID_DSPName,view_AcntTav.FExChangeRate,view_AcntTav.FOperator,view_AcntTav.FNumber AS FParentNumber,view_AcntTav.FFixRate, " + crlf +
        "view_AcntTav.FName AS FParentName,view_AcntTavGroup.FParentID,view_AcntTavGroup.FDetail,view_AcntTavGroup.FClassTypeID  FROM  view_AcntTavGroup  LEFT JOIN view_AcntTav  ON view_AcntTavGroup.FID=view_AcntTav.FID " + crlf +
        " LEFT  JOIN t_Organization  ON view_AcntTav.FClientID=t_Organization.FItemID AND t_Organization.FItemID<>0 " + crlf +
        " LEFT  JOIN t_Currency  ON view_AcntTav.FCurrencyID=t_Currency.FCurrencyID AND t_Currency.FCurrencyID<>0 " + crlf +
        " WHERE ( " + crlf +
        "view_AcntTavGroup.FID=" + accountId + crlf +
        " ) AND view_AcntTavGroup.FClassTypeID=1006008 " + crlf +
        " AND view_AcntTavGroup.FDetail=1 " + crlf +
        " AND view_AcntTavGroup.FDisContinued=0 " + crlf +
        " AND view_AcntTav.FAcntType=0 and view_AcntTav.FIsAcnt <> 0 and view_AcntTav.FDC =1 and view_AcntTav.FacntStyle<>2 " + crlf;

    ax::Object itemInfo = ax::CreateObject(host::ProgId::ItemInfo);
    ax::Object rs = ax::Object::FromVariantOrNothing(
        itemInfo.Get("GetAnyRecordSet", {GetPropsString(), sql}));
    if (host::HasRows(rs)) {
      const AccountPair& pair = PairOf(key);
      host::SetFieldValue(bill, pair.name, host::Field(rs, "FName"));
      host::SetFieldValue(bill, pair.bankAccount, host::Field(rs, "FAcntNo"));
      host::SetFieldValue(bill, pair.bank, host::Field(rs, "FBank"));
    }
    CheckAcct(key);
  });
}

void scTransferBillExt::SelAcct(const std::string& fieldKey) {
  TraceScope trace("scTAVExt.scTransferBillExt.SelAcct");
  // The look-up may name the field in any case; the rules below work on the field's own key,
  // so that a rejected account clears its own side and never the other one.
  const AccountPair& pair = PairOf(fieldKey);
  const std::string key = pair.account;

  ax::Object view = ax::CreateObject(host::ProgId::GLViewLookup);
  ax::Object lookup = view.GetObj("AcntLookup", {ax::omitted(), 0, 1});
  if (!ax::IsTrue(lookup.Get("ReturnOK"))) return;
  ax::Object chosen = lookup.GetObj("ReturnObject");
  host::SetFieldValue(Bill(), key, chosen.Get("Acct"));
  host::SetFieldValue(Bill(), pair.name, chosen.Get("AcntName"));
  host::SetFieldValue(Bill(), pair.bankAccount, chosen.Get("AcntNo"));
  host::SetFieldValue(Bill(), pair.bank, chosen.Get("Bank"));
  CheckAcct(key);
}

void scTransferBillExt::CheckAcct(const std::string& fieldKey) {
  const ax::Object& bill = Bill();
  std::string account = host::GetFieldText(bill, fieldKey, host::kHeadRow, host::kDisplayText);
  if (account.empty()) {
    Clearacctinfo(fieldKey);
    return;
  }
  ax::Object glData = GetGLData();
  ax::Object ledgerAccount = host::GetAccount(glData, account);
  if (ledgerAccount.IsNothing()) {
    Clearacctinfo(fieldKey);
    ShowMessage(LoadPWString("账号没有权限,请重新选择!"), 64);
    return;
  }
  int32_t currencyId = ax::CLng(ledgerAccount.Get("CurrencyID"));
  if (currencyId == 0) return;

  // Both accounts of a bill are kept in the bill's one currency.
  double billCurrency = host::GetFieldNumber(bill, "FCyID");
  std::string other = host::GetFieldText(bill, fieldKey == "FRecAcctID" ? "FPayAcctID" : "FRecAcctID",
                                         host::kHeadRow, host::kDisplayText);
  if (!other.empty() && billCurrency != 0 && billCurrency != currencyId) {
    ShowMessage(LoadPWString("收款、付款账号币别不同,请重新选择!"), 64);
    Clearacctinfo(fieldKey);
    return;
  }

  ax::Object currency = host::GetCurrency(glData, currencyId);
  host::SetFieldValue(bill, "FCyID", currency.Get("Number"));
  host::SetFieldValue(bill, "FExchRate", currency.Get("ExchangeRate"));
  m_sOperator = host::TextOf(currency.Get("Operator"));
  // The base currency and fixed rates cannot be edited.
  host::LockField(bill, "FExchRate", currencyId == 1 || ax::VarEqual(currency.Get("FixRate"), 1));
  CalcFcyAmt();
}

void scTransferBillExt::Clearacctinfo(const std::string& fieldKey) {
  TraceScope trace("scTAVExt.scTransferBillExt.Clearacctinfo");
  const ax::Object& bill = Bill();
  const AccountPair& pair = fieldKey == "FRecAcctID" ? kReceiving : kPaying;
  for (const char* key : {pair.account, pair.name, pair.bank, pair.bankAccount})
    host::SetFieldValue(bill, key, "");
  // With no account left the bill has no currency either.
  if (host::GetFieldText(bill, "FRecAcctID").empty() &&
      host::GetFieldText(bill, "FPayAcctID").empty()) {
    host::SetFieldValue(bill, "FCyID", "");
    host::SetFieldValue(bill, "FExchRate", "1.0000");
  }
}

void scTransferBillExt::SelPurpose() {
  ax::Object lookup = GetGLView().GetObj("SubMesLookup", {412, ""});
  if (ax::VarEqual(lookup.Get("ReturnOK"), true))
    host::SetFieldValue(Bill(), "FPurpose", lookup.GetObj("ReturnObject").Get("Name"));
}

void scTransferBillExt::CalcFcyAmt() {
  const ax::Object& bill = Bill();
  // Until an account is applied in this window the operator is the one of the bill's own
  // currency: a reopened USD bill multiplies, a yen bill divides.
  std::string op = m_sOperator;
  if (op.empty()) {
    double currencyId = host::GetFieldNumber(bill, "FCyID");
    if (currencyId > 0) {
      ax::Object currency = host::GetCurrency(GetGLData(), ax::CLng(currencyId));
      if (!currency.IsNothing()) op = host::TextOf(currency.Get("Operator"));
    }
  }
  double rate = host::GetFieldNumber(bill, "FExchRate");
  double amount = host::GetFieldNumber(bill, "FAmt");
  double localAmount = 0;
  if (op == "*")
    localAmount = amount * rate;
  else if (rate > 0)
    localAmount = amount / rate;
  host::SetFieldValue(bill, "FFcyAmt", localAmount);
}

}  // namespace sc
