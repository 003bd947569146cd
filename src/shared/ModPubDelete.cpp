// The transfer list's modify-right check and its delete command.
#include <exception>
#include <string>

#include "automation/error.h"
#include "automation/runtime.h"
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

// dataSrv.ClassType(key) of the list's class description.
ax::Variant ClassTypeValue(const ax::Object& dataSrv, const char* key) {
  return dataSrv.Get("ClassType", {key});
}

bool HasObjectRight(const ax::Object& dataSrv, int32_t right) {
  return host::AccessCheck(GetGLData(), ClassTypeValue(dataSrv, "FObjectType"),
                           ClassTypeValue(dataSrv, "FObjectID"), right);
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
        ax::Object dataSrv = host::DataSrvOf(oList);
        ax::Object list = host::ListOf(oList);
        std::string className = ax::CStr(ClassTypeValue(dataSrv, "FName"));
        ax::Object selection = list.GetObj("GetSelectedBillID");
        if (host::Count(selection) == 0) return;

        if (ShowMessage(FormatPWString("是否要删除所选[%1]？", {className}), 36) != ax::mb::kIdYes)
          return;

        WaitCursor wait;

        int32_t classTypeID = ax::CLng(dataSrv.Get("ClassTypeID"));
        std::string billNoColumn = ax::CStr(
            dataSrv.GetObj("TableInfo", {ClassTypeValue(dataSrv, "BillNoField")}).Item("FFieldName"));
        std::string table =
            ax::CStr(dataSrv.GetObj("ClassTypeEntry").ItemObj(1).Item("FTableName"));

        ax::Object display = ax::CreateObject(host::ProgId::DispBuilder);
        display.Put("Cols", 1);
        display.Put("Titles", LoadPWString("提示信息|"));
        display.Call("SetColWidth", {1, 6000});

        bool deletedAny = false;
        for (int32_t i = 1; i <= host::Count(selection); ++i) {
          int32_t billID = ax::CLng(selection.Item(i));

          ax::Object connection = ax::CreateObject(host::ProgId::AppConnection);
          ax::Object rs = connection.GetObj(
              "Execute", {"select FPreParerID,FVoucherID,FCheckerID," + billNoColumn +
                              " as FBillNo from " + table + " where  FID=" + host::SqlNum(billID)});
          ax::Variant billNo = host::Field(rs, "FBillNo");
          bool own = ax::VarEqual(host::Field(rs, "FPreParerID"), host::LmLib(oList).UserID());
          int32_t right = own ? kRightDeleteOwn : kRightDeleteOthers;

          // The right is asked before the check state, so a user without it learns only that.
          if (!HasObjectRight(dataSrv, right)) {
            std::string rightName = LoadPWString(own ? "删除本人录入单据的" : "删除他人录入单据的");
            if (host::Count(selection) == 1)
              ShowMessage(FormatPWString("删除[编号：%1]失败!没有%2权限!", {billNo, rightName}), 48);
            else
              display.Call("Add",
                           {FormatPWString("删除[编号：%1]失败!没有%2权限!|", {billNo, rightName})});
            continue;
          }

          // Checked bills cannot be deleted.
          if (ax::VarGreater(host::Field(rs, "FCheckerID"), 0)) {
            if (host::Count(selection) == 1)
              ShowMessage(FormatPWString("删除[编号：%1]失败!已审核，不能删除!", {billNo}), 64);
            else
              display.Call("Add", {FormatPWString("删除[编号：%1]失败!已审核，不能删除!|", {billNo})});
            continue;
          }

          // The voucher goes first: a bill is never deleted while its voucher remains.
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
            ax::Object classType = dataSrv.GetObj("ClassType");
            result = DeleteOneBill(classTypeID, classType, billID);
          }
          if (result == LoadPWString("成功！")) {
            deletedAny = true;
            WriteBusinessLog(5, FormatPWString("删除[%1],单据编号：%2", {className, billNo}));
          }
          std::string voucherText = ax::DisplayText(voucherError);
          if (!voucherText.empty()) result += voucherText;

          std::string line = FormatPWString("删除[编号：%1]", {billNo}) + result;
          if (host::Count(selection) == 1)
            ShowMessage(line, 64);
          else
            display.Call("Add", {line + "|"});

          ax::GetUi().DoEvents();
        }

        if (host::Count(selection) > 1) display.Call("Show", {1});
        display.Reset();

        if (deletedAny) list.Call("RefreshList", {false});
      },
      [](const ax::AutomationError& error) {
        ShowMessage(FormatPWString("删除所选单据失败,原因是：%1", {LoadPWString(error.Description())}),
                    64);
      });
}

}  // namespace sc
