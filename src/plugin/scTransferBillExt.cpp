#include "plugin/scTransferBillExt.h"

#include "plugin/event_args.h"

namespace sc {

scTransferBillExt::~scTransferBillExt() { m_BillInterface.Unbind(); }

void scTransferBillExt::Show(const ax::Variant& oBillInterface) {
  m_BillInterface.Bind(oBillInterface, kBillInterface, *this);
}

bool scTransferBillExt::HandleEvent(std::string_view e, ax::Args& args) {
  if (e == "AfterLoadBill") {
    AfterLoadBill();
  } else if (e == "AfterNewBill") {
    AfterNewBill();
  } else if (e == "BeforLoadBillFillData") {
    BeforLoadBillFillData();
  } else if (e == "BeginEdit") {
    BeginEdit(EventObject(args, 0), EventLong(args, 1), EventLong(args, 2));
  } else if (e == "Change") {
    BoolParam cancel(args, 4);
    Change(EventObject(args, 0), EventObject(args, 1), EventLong(args, 2), EventLong(args, 3),
           cancel.value);
    cancel.WriteBack();
  } else if (e == "BeforeSave") {
    BoolParam cancel(args, 0);
    BeforeSave(cancel.value);
    cancel.WriteBack();
  } else if (e == "AfterSave") {
    BoolParam cancel(args, 0);
    AfterSave(cancel.value);
    cancel.WriteBack();
  } else {
    return RouteMenuEvent(*this, e, args);
  }
  return true;
}

}  // namespace sc
