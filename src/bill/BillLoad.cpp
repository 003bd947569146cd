#include "plugin/scTransferBillExt.h"

namespace sc {

void scTransferBillExt::AfterLoadBill() {}

void scTransferBillExt::AfterNewBill() {}

void scTransferBillExt::BeforLoadBillFillData() {}

}  // namespace sc
