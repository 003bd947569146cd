#include "plugin/scTransferBillExt.h"

namespace sc {

void scTransferBillExt::BeforeSave(bool&) {}

bool scTransferBillExt::CheckBillData() { return true; }

void scTransferBillExt::AfterSave(bool&) {}

}  // namespace sc
