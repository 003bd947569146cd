#include "plugin/scTransferListExt1.h"

namespace sc {

void scTransferListExt1::MenuBarInitialize(const ax::Object&) {}

void scTransferListExt1::MenuBarClick(const ax::Object&, bool&) {}

void scTransferListExt1::SubmitToBankBill() {}

void scTransferListExt1::UnSubmitToBankBill() {}

void scTransferListExt1::ExportPayBill(const std::string&) {}

}  // namespace sc
