#include "plugin/scTransferBillExt.h"

namespace sc {

void scTransferBillExt::CreateVoucher(bool, bool& result) { result = true; }

void scTransferBillExt::CreateVouNoAuto() {}

void scTransferBillExt::ViewVoucher() {}

}  // namespace sc
