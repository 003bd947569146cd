#include "plugin/scTransferBillExt.h"

namespace sc {

void scTransferBillExt::CheckBill(int32_t) {}

bool scTransferBillExt::CheckBillRules(const ax::Object&, int32_t) { return false; }

}  // namespace sc
