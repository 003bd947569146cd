#include "plugin/scTransferListExt.h"

namespace sc {

void scTransferListExt::ApplyAccountFilter() {}

void scTransferListExt::ListFillRow(int32_t, const ax::Object&, const ax::Object&, ax::Variant&, ax::Variant&, ax::Variant&) {}

void scTransferListExt::MenuBarInitialize(const ax::Object&) {}

void scTransferListExt::MenuBarClick(const ax::Object&, bool&) {}

void scTransferListExt::RunListOperation() {}

void scTransferListExt::ShowCentreCollection() {}

void scTransferListExt::ShowBankCollection() {}

std::string scTransferListExt::GetAccountSecuritySql() { return {}; }

bool HasField(const std::string&, const ax::Object&) { return false; }

}  // namespace sc
