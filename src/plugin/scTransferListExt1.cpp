#include "plugin/scTransferListExt1.h"

#include "plugin/event_args.h"

namespace sc {

scTransferListExt1::~scTransferListExt1() { m_ListInterface.Unbind(); }

void scTransferListExt1::Show(const ax::Variant& oListInterface) {
  m_ListInterface.Bind(oListInterface, kListInterface, *this);
}

bool scTransferListExt1::HandleEvent(std::string_view e, ax::Args& args) {
  if (e == "MenuBarInitialize") {
    MenuBarInitialize(EventObject(args, 0));
  } else if (e == "MenuBarClick") {
    BoolParam cancel(args, 1);
    MenuBarClick(EventObject(args, 0), cancel.value);
    cancel.WriteBack();
  } else {
    return false;
  }
  return true;
}

}  // namespace sc
