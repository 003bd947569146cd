#include "plugin/scTransferListExt1.h"

#include "plugin/event_args.h"

namespace sc {

scTransferListExt1::~scTransferListExt1() { m_ListInterface.Unbind(); }

void scTransferListExt1::Show(const ax::Variant& oListInterface) {
  m_ListInterface.Bind(oListInterface, kListInterface, *this);
}

bool scTransferListExt1::HandleEvent(std::string_view e, ax::Args& args) {
  return RouteMenuEvent(*this, e, args);
}

}  // namespace sc
