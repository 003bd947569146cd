#include "plugin/scTransferListExt.h"

#include "plugin/event_args.h"

namespace sc {

scTransferListExt::~scTransferListExt() { m_ListInterFace.Unbind(); }

void scTransferListExt::Show(const ax::Variant& oListInterface) {
  m_ListInterFace.Bind(oListInterface, kListInterface, *this);
  ApplyAccountFilter();
}

bool scTransferListExt::HandleEvent(std::string_view e, ax::Args& args) {
  if (e == "ListFillRow") {
    ax::Variant cell, color, more;
    ListFillRow(EventLong(args, 0), EventObject(args, 1), EventObject(args, 2),
                EventRef(args, 3, cell), EventRef(args, 4, color), EventRef(args, 5, more));
  } else if (e == "MenuBarInitialize") {
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
