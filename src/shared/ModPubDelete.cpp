// The transfer list's modify-right check and its delete command.
#include <exception>
#include <string>

#include "automation/error.h"
#include "automation/runtime.h"
#include "host/bill_interface.h"
#include "host/collections.h"
#include "host/components.h"
#include "host/list_interface.h"
#include "host/lmlib.h"
#include "host/progids.h"
#include "host/recordset.h"
#include "host/sql.h"
#include "host/transfer_bill.h"
#include "shared/MLoadPWString.h"
#include "shared/MMTS.h"
#include "shared/ModPub.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"
#include "shared/WaitCursor.h"

namespace sc {

namespace {

using host::kRightDeleteOthers;
using host::kRightDeleteOwn;
using host::kRightModifyOthers;
using host::kRightModifyOwn;

bool HasObjectRight(const ax::Object& dataSrv, int32_t right) {
  return host::AccessCheck(GetGLData(), host::ClassType(dataSrv, "FObjectType"),
                           host::ClassType(dataSrv, "FObjectID"), right);
}

// Deletes one bill through the host's class-update component: "成功！", or "失败！" and the
// reason the component gave.
std::string DeleteOneBill(int32_t classTypeID, ax::Object& classType, int32_t billID) {
  ax::Object update = ax::CreateObject(host::ProgId::ClassUpdate);
  ax::Variant typeId(classTypeID);
  ax::Variant description = classType.AsVariant();
  ax::Variant bill(billID);
  ax::Variant nothing1(ax::DispatchPtr{}), nothing2(ax::DispatchPtr{}), nothing3(ax::DispatchPtr{});
  ax::Args args{GetPropsString(), ax::ref(typeId),   ax::ref(description), ax::ref(bill),
                ax::ref(nothing1), ax::ref(nothing2), ax::ref(nothing3)};
  try {
    update.CallArgs("DeleteBill", args);
  } catch (...) {
    ax::AutomationError error = ax::ToAutomationError(std::current_exception());
    return LoadPWString("失败！") + LoadPWString(error.Description());
  }
  classType = ax::Object::FromVariantOrNothing(description);
  return LoadPWString("成功！");
}

// What the delete command reads once and uses for every bill. An outcome goes to a message box
// when exactly one bill is selected (the count is asked again each time), otherwise to a line of
// the result display.
struct DeleteRun {
  explicit DeleteRun(const ax::Object& list) : oList(list) {}

  const ax::Object& oList;
  ax::Object dataSrv;
  ax::Object selection;
  std::string className;
  int32_t classTypeID = 0;
  std::string billNoColumn;  // the class's bill-number column
  std::string table;
  ax::Object display;
};

// The result display: one column of lines, each ending in "|".
ax::Object NewResultDisplay() {
  ax::Object display = ax::CreateObject(host::ProgId::DispBuilder);
  display.Put("Cols", 1);
  display.Put("Titles", LoadPWString("提示信息|"));
  display.Call("SetColWidth", {1, 6000});
  return display;
}

// The delete right (own or others' bill) and the check state of the bill at the record set's
// row; a refusal is reported. The right is asked first, so a user without it learns only that.
bool MayDelete(const DeleteRun& run, const ax::Object& rs, const ax::Variant& billNo) {
  bool own = ax::VarEqual(host::Field(rs, "FPreParerID"), host::LmLib(run.oList).UserID());
  int32_t right = own ? kRightDeleteOwn : kRightDeleteOthers;
  if (!HasObjectRight(run.dataSrv, right)) {
    std::string rightName = LoadPWString(own ? "删除本人录入单据的" : "删除他人录入单据的");
    if (host::Count(run.selection) == 1)
      ShowMessage(FormatPWString("删除[编号：%1]失败!没有%2权限!", {billNo, rightName}), 48);
    else
      run.display.Call("Add",
                       {FormatPWString("删除[编号：%1]失败!没有%2权限!|", {billNo, rightName})});
    return false;
  }

  // Checked bills cannot be deleted.
  if (ax::VarGreater(host::Field(rs, "FCheckerID"), 0)) {
    if (host::Count(run.selection) == 1)
      ShowMessage(FormatPWString("删除[编号：%1]失败!已审核，不能删除!", {billNo}), 64);
    else
      run.display.Call("Add", {FormatPWString("删除[编号：%1]失败!已审核，不能删除!|", {billNo})});
    return false;
  }
  return true;
}

// The voucher goes first: a bill is never deleted while its voucher remains. Gives the bill's
// result ("成功！", or "失败！" and the reason, or nothing when the voucher stayed) followed by
// what the voucher deletion said; deleted tells whether the bill is gone.
std::string DeleteVoucherAndBill(const DeleteRun& run, const ax::Object& rs, int32_t billID,
                                 const ax::Variant& billNo, bool& deleted) {
  std::string result;
  ax::Variant voucherError{std::string()};
  bool ok = true;
  ax::Variant voucherID = host::Field(rs, "FVoucherID");
  if (ax::VarGreater(voucherID, 0)) {
    ax::Object transferUpdate = ax::CreateObject(host::ProgId::TransferUpdate);
    ax::Args args{GetPropsString(), ax::CLng(voucherID), ax::ref(voucherError)};
    ok = ax::IsTrue(transferUpdate.CallArgs("DeleteVou", args, ax::kMethodOrGet));
  }
  if (ok) {
    ax::Object classType = run.dataSrv.GetObj("ClassType");
    result = DeleteOneBill(run.classTypeID, classType, billID);
  }
  if (result == LoadPWString("成功！")) {
    deleted = true;
    WriteBusinessLog(5, FormatPWString("删除[%1],单据编号：%2", {run.className, billNo}));
  }
  std::string voucherText = ax::DisplayText(voucherError);
  if (!voucherText.empty()) result += voucherText;
  return result;
}

// One selected bill, read afresh: refused, or deleted with its voucher and reported; the host's
// message loop runs once after a reported deletion. True when the bill was deleted.
bool DeleteListedBill(const DeleteRun& run, int32_t billID) {
  ax::Object connection = ax::CreateObject(host::ProgId::AppConnection);
  ax::Object rs = connection.GetObj(
      "Execute", {"select FPreParerID,FVoucherID,FCheckerID," + run.billNoColumn +
                      " as FBillNo from " + run.table + " where  FID=" + host::SqlNum(billID)});
  ax::Variant billNo = host::Field(rs, "FBillNo");
  if (!MayDelete(run, rs, billNo)) return false;

  bool deleted = false;
  std::string result = DeleteVoucherAndBill(run, rs, billID, billNo, deleted);
  std::string line = FormatPWString("删除[编号：%1]", {billNo}) + result;
  if (host::Count(run.selection) == 1)
    ShowMessage(line, 64);
  else
    run.display.Call("Add", {line + "|"});

  ax::GetUi().DoEvents();
  return deleted;
}

}  // namespace

bool ModifyAccessCheck(const ax::Object& oList) {
  try {
    ax::Object list = host::ListOf(oList);
    list.Get("GetSelectedBillID");
    host::DataLib lib = host::LmLib(oList);
    ax::Variant fid = host::Field(list.GetObj("RsId"), "FID");
    ax::Object rs = lib.GetData("SELECT FPreParerID FROM t_scTransfer WHERE FID=" + host::SqlNum(fid));

    // A bill without a row counts as the user's own.
    int32_t right = kRightModifyOwn;
    if (!host::Eof(rs))
      right = ax::VarEqual(host::Field(rs, "FPreParerID"), lib.UserID()) ? kRightModifyOwn
                                                                          : kRightModifyOthers;
    rs.Reset();

    if (!HasObjectRight(host::DataSrvOf(oList), right)) {
      ShowNoRightMessage();
      return false;
    }
    return true;
  } catch (...) {
    ax::AutomationError error = ax::ToAutomationError(std::current_exception());
    throw ax::AutomationError(error.Number(), error.Description(),
                              "[scTAVExt.ModPub.ModifyAccessCheck]");
  }
}

void DeleteSelectedBills(const ax::Object& oList) {
  TrapMessage(
      [&] {
        DeleteRun run(oList);
        run.dataSrv = host::DataSrvOf(oList);
        ax::Object list = host::ListOf(oList);
        run.className = ax::CStr(host::ClassType(run.dataSrv, "FName"));
        run.selection = list.GetObj("GetSelectedBillID");
        if (host::Count(run.selection) == 0) return;

        if (ShowMessage(FormatPWString("是否要删除所选[%1]？", {run.className}), 36) !=
            ax::mb::kIdYes)
          return;

        WaitCursor wait;

        run.classTypeID = ax::CLng(run.dataSrv.Get("ClassTypeID"));
        run.billNoColumn = ax::CStr(
            run.dataSrv.GetObj("TableInfo", {host::ClassType(run.dataSrv, "BillNoField")})
                .Item("FFieldName"));
        run.table = ax::CStr(run.dataSrv.GetObj("ClassTypeEntry").ItemObj(1).Item("FTableName"));
        run.display = NewResultDisplay();

        bool deletedAny = false;
        for (int32_t i = 1; i <= host::Count(run.selection); ++i)
          if (DeleteListedBill(run, ax::CLng(run.selection.Item(i)))) deletedAny = true;

        if (host::Count(run.selection) > 1) run.display.Call("Show", {1});
        run.display.Reset();

        if (deletedAny) list.Call("RefreshList", {false});
      },
      [](const ax::AutomationError& error) {
        ShowMessage(FormatPWString("删除所选单据失败,原因是：%1", {LoadPWString(error.Description())}),
                    64);
      });
}

}  // namespace sc
