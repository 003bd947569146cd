#include "plugin/scTransferBillExt.h"

namespace sc {

void scTransferBillExt::BeginEdit(const ax::Object&, int32_t, int32_t) {}

void scTransferBillExt::Change(const ax::Object&, const ax::Object&, int32_t, int32_t, bool&) {}

void scTransferBillExt::SelAcct(const std::string&) {}

void scTransferBillExt::CheckAcct(const std::string&) {}

void scTransferBillExt::Clearacctinfo(const std::string&) {}

void scTransferBillExt::SelPurpose() {}

void scTransferBillExt::CalcFcyAmt() {}

}  // namespace sc
