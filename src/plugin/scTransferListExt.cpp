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
  } else {
    return RouteMenuEvent(*this, e, args);
  }
  return true;
}

}  // namespace sc
