// The host's receipt list control (RecSettLib.ListRecSett), which the receipt picker
// (FrmRecSettList) hosts.
//
// The control runs its own query over the receipts: the receipt view under alias v joined to
// the receiving centre account under alias Acnt1 (sim/host/schema.h, ReceiptPickerQuery), with the
// condition the form hands it, through the Transact-SQL layer. Members (object name
// "RecSettLib.ListRecSett" for `fail`):
//   Mode (get/put)       2: rows are chosen for a caller
//   Filter (get/put)     the condition of the query
//   Init(formSupport)    connects the control to its form
//   LoadData()           runs the query and shows the rows
//   ReturnData           the chosen rows (a vector of dictionaries keyed by the query's
//                        columns, in the order chosen); Nothing before a choice
//   Left, Top, Width, Height (get/put)
// The control's confirmation event is "Confirm" (raised into the form as a control event).

#include "sim/host/components/receipt_list.h"

namespace sim {

namespace {

constexpr const char* kFormSupportProgId = "LmFormLib.FormSupport";

}  // namespace

void RegisterReceiptList(Host& host) {
  Offered() = OfferedState();
  host.Register(kListProgId, [](Host& h) -> ax::DispatchPtr {
    auto list = std::make_shared<ReceiptList>(h);
    LastReceiptList() = list;
    return list;
  });
  host.Register(kFormSupportProgId, [](Host& h) -> ax::DispatchPtr {
    return std::make_shared<BasicObject>(h, kFormSupportProgId, "FormSupport");
  });
}

}  // namespace sim
