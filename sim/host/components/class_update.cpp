// LmMClass.ClassUpdate, the host's storage of bills by class: DeleteBill removes a bill.
//
// DeleteBill(context, classTypeID, classType, billID, three objects): classTypeID, classType
// (the class description) and billID are by reference. The bill's row goes from the class's
// table; receipts that were turned into the bill are free again. A bill that no longer exists
// or still has its voucher is refused with the component's error, as the host does.
#include <string>

#include "automation/error.h"
#include "sim/host/bill_window.h"
#include "sim/host/collections.h"
#include "sim/host/call_check.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"

namespace sim {

namespace {

class ClassUpdate : public HostObject {
 public:
  explicit ClassUpdate(Host& host) : HostObject(host, "LmMClass.ClassUpdate", "ClassUpdate") {
    Method("DeleteBill", [this](ax::Args& args) { return DeleteBill(args); });
  }

 private:
  ax::Variant DeleteBill(ax::Args& args) {
    CallCheck check(host(), "ClassUpdate.DeleteBill", args);
    check.Count(7).Context(0);
    // The class type id, the class description and the bill id come by reference (the host may
    // replace them); how the three empty object references come is the caller's.
    for (size_t i = 1; i < 4; ++i) check.ByRef(i);
    check.Kind(1, ax::VarType::Long).Kind(2, ax::VarType::Object).Kind(3, ax::VarType::Long);
    if (!args[2].value().asObject()) check.Wrong(ax::err::kInvalidCall, "argument 3 (the class description) is Nothing");
    for (size_t i = 4; i < 7; ++i) {
      check.Kind(i, ax::VarType::Object);
      if (args[i].value().asObject())
        check.Wrong(ax::err::kInvalidCall, "argument " + std::to_string(i + 1) + " must be Nothing");
    }
    int32_t classTypeId = ax::CLng(args[1].value());
    int32_t billId = ax::CLng(args[3].value());
    if (classTypeId != kTransferClassTypeId) Raise("未知的单据类型 " + std::to_string(classTypeId));

    Database& db = host().Db();
    Rows rows = db.QueryNative(
        "SELECT t.FBillNo, t.FVoucherID, v.FVoucherID FROM t_scTransfer t "
        "LEFT JOIN t_Voucher v ON v.FVoucherID = t.FVoucherID WHERE t.FID=?",
        {billId});
    if (rows.data.empty()) Raise("单据不存在或已被删除");
    std::string billNo = ax::DisplayText(rows.data[0][0]);
    // A bill whose voucher still exists is deleted as any other: that the plug-in deletes the
    // voucher first is a check of its work (an orphan voucher), not the component's refusal.

    db.ExecNative("UPDATE t_scRecSett SET FTransBillID=0 WHERE FTransBillID=?", {billId});
    db.ExecNative("DELETE FROM t_scTransfer WHERE FID=?", {billId});
    host().Note(Channel::Host, "class update: bill " + billNo + " deleted");
    return {};
  }

  [[noreturn]] void Raise(const std::string& description) {
    host().Note(Channel::Host, "class update: delete refused: " + description);
    throw ax::AutomationError(kComponentError, description, "LmMClass.ClassUpdate");
  }
};

}  // namespace

void RegisterClassUpdate(Host& host) {
  host.Register("LmMClass.ClassUpdate",
                [](Host& h) -> ax::DispatchPtr { return std::make_shared<ClassUpdate>(h); });
}

}  // namespace sim
