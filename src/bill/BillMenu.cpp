#include "plugin/scTransferBillExt.h"

namespace sc {

void scTransferBillExt::MenuBarInitialize(const ax::Object&) {}

void scTransferBillExt::MenuBarClick(const ax::Object&, bool&) {}

}  // namespace sc
