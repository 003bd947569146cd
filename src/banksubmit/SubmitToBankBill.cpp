// Submission of approved transfer bills to the bank as payment orders.
#include <memory>
#include <string>
#include <vector>

#include "automation/runtime.h"
#include "banksubmit/BankSubmit.h"
#include "banksubmit/dlgBankSend.h"
#include "host/collections.h"
#include "host/components.h"
#include "host/list_interface.h"
#include "host/lmlib.h"
#include "host/progids.h"
#include "host/recordset.h"
#include "host/sql.h"
#include "host/transfer_bill.h"
#include "plugin/scTransferListExt1.h"
#include "shared/MLoadPWString.h"
#include "shared/MMTS.h"
#include "shared/ModPub.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"
#include "shared/WaitCursor.h"

namespace sc {

namespace {

// The payment order the bank link receives for the bill at the record set's current row (field
// reads that record set).
ax::Object PaymentOrder(host::FieldReader& field) {
  ax::Object order = host::NewDictionary();
  auto set = [&order](std::string_view item, const ax::Variant& value) {
    host::SetItem(order, item, value);
  };
  const ax::Variant recBankType = field("FRecBankType");

  set("FSource", "SCTransfer");
  set("FSourceID", field("FID"));
  set("FSourceNumber", field("FBillNo"));
  set("FRecAcntNumber", field("FRecBankAcnt"));
  set("FRecBranch", field("FRecBank"));
  set("FPayBranch", field("FPayBank"));
  set("FRecBankNumber", recBankType.isNull() ? ax::Variant(0) : recBankType);
  set("FRecBank", ax::VarEqual(NullToDefault(recBankType, 2), 1) ? LoadPWString("同行")
                                                                 : LoadPWString("他行"));
  set("FRecName", field("FRecClient"));
  set("FAmt", field("FAmt"));
  set("FCurrency", host::GetCurrency(GetGLData(), ax::CLng(field("FCyID"))).Get("Name"));
  set("FPayAcntNumber", field("FPayBankAcnt"));
  set("FPayBank", field("FPayBank"));
  set("FPayName", field("FPayClient"));
  set("FRecAreaName",
      AreaText(field("FRecProvince"), field("FRecCityType"), field("FRecCity")));
  set("FPayAreaName",
      AreaText(field("FPayProvince"), field("FPayCityType"), field("FPayCity")));
  set("FPurpose", field("FPurpose"));
  set("FExplanation", field("FExplanation"));
  set("FUrgent", field("FTlxlvl"));
  set("FPaymentMode", field("FTrantype"));
  return order;
}

}  // namespace

std::string AreaText(const ax::Variant& province, const ax::Variant& cityType,
                     const ax::Variant& city) {
  std::string item;
  const std::string provinceText = host::TextOf(province);
  if (ax::Len(ax::Trim(provinceText)) > 0) {
    const std::string provinceSuffix = LoadPWString("省");
    item = ax::InStr(1, provinceText, provinceSuffix) > 0 ? provinceText
                                                         : provinceText + provinceSuffix;
  }
  const std::string citySuffix =
      ax::VarEqual(cityType, 0) ? LoadPWString("市") : LoadPWString("县");
  const std::string cityText = host::TextOf(city);
  // The city part is there even for an empty city: the bank expects the suffix.
  item += ax::InStr(1, cityText, citySuffix) > 0 ? cityText : cityText + citySuffix;
  return item;
}

void scTransferListExt1::SubmitToBankBill() {
  TraceScope trace("scTAVExt.scTransferListExt1.SubmitToBankBill");
  TrapReport(trace, [&] {
    int32_t fn1 = 29, fn2 = 11, fn3 = 256;
    bool showError = true;
    if (!CheckSecurityAccess(fn1, fn2, fn3, showError)) return;

    auto wait = std::make_unique<WaitCursor>();

    const ax::Object list = host::ListOf(List());
    const ax::Object selected = list.GetObj("GetSelectedBillID");
    const int32_t count = host::Count(selected);
    if (count == 0) return;

    // Ids go into the statement as numbers only.
    std::string ids;
    for (int32_t i = 1; i <= count; ++i) {
      if (i > 1) ids += ",";
      ids += host::SqlNum(ax::CLng(selected.Item(i)));
    }
    const host::DataLib lib = host::LmLib(List());
    const std::string crlf(host::kCrLf);
    const ax::Object rs = lib.GetData(
        "select t1.FID,t1.FBillNo,t1.FAmt,t1.FCyID,t1.FRecBankType," + crlf +
        " t1.FRecBankAcnt,t1.FRecBank,t2.FClientName as FRecClient " + crlf +
        " ,t3.FClientName as FPayClient,t1.FPayBankAcnt,t1.FRecCity,t1.FRecProvince,t1.FPayCity,"
        "t1.FPayProvince,t1.FPurpose,t1.FTlxlvl,t1.FTrantype,t1.FCheckerID,t1.FReCheckerID " + crlf +
        " ,t1.FExplanation,t1.FPayBank,FRecCityType,FPayCityType  from t_scTransfer t1 " + crlf +
        " left join view_AcntTav t2 on t1.FRecAcctID=t2.FID " + crlf +
        " left join view_AcntTav t3 on t1.FPayAcctID=t3.FID " + crlf +
        "where t1.FID in (" + ids + ")");
    if (host::Eof(rs)) return;

    const ax::Object bank = ax::CreateObject(host::ProgId::BankLink);
    bank.Put("Version", "1.0.0");

    std::string lines;
    host::FieldReader field(rs);
    while (!host::Eof(rs)) {
      const ax::Variant billNo = field("FBillNo");
      const ax::Object payment =
          lib.GetData("select * from view_BKPaymentTAV t1 " + crlf + "where FNumber=" +
                      host::SqlStr(billNo) + " and FName='SCTransfer' ");
      // A bill without an approver (also one whose approver is unknown) is not approved.
      if (!ax::VarGreater(NullToDefault(field("FReCheckerID"), 0), 0)) {
        lines += FormatPWString("单据 %1 提交失败：该划拨单未审批不能提交银行", {billNo}) + crlf;
      } else if (!host::Eof(payment)) {
        lines += FormatPWString("单据 %1 提交失败：该划拨单已经提交银行付款单", {billNo}) + crlf;
      } else {
        ax::Variant order = PaymentOrder(field).AsVariant();
        ax::Variant errorText = std::string();
        ax::Args args{ax::ref(order), ax::ref(errorText)};
        const ax::Variant result = bank.CallArgs("ImportPayment", args);
        if (ax::VarEqual(result, 0)) {
          lines += FormatPWString("单据 %1 提交失败：%2", {billNo, host::TextOf(errorText)}) + crlf;
        } else {
          lib.ExecuteSQL("Update t_SCTransfer SET FBKCommit=FID WHERE FID=" +
                         host::SqlNum(field("FID")));
          lines += FormatPWString("单据 %1 提交成功！", {billNo}) + crlf;
        }
      }
      host::MoveNext(rs);
    }

    wait.reset();
    dlgBankSend::ShowMsg(lines);
    list.Call("RefreshList", {false});
  });
}

}  // namespace sc
