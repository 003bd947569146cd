#include "shared/ModPub.h"

#include "host/bill_interface.h"
#include "shared/Publics.h"

namespace sc {

void SetBillToolState(const ax::Object& oBill, bool rowEditAllowed) {
  TrapQuiet([&] {
    // A window in status 1 offers none of the sign-off and voucher commands.
    bool signOff = !ax::VarEqual(host::BillStatus(oBill), 1);
    for (const char* key :
         {"mnuscCheck", "mnuscUnCheck", "mnuscReCheck", "mnuscUnReCheck", "mnuCreateVou", "Voucher"})
      host::SetToolEnabled(oBill, key, signOff);

    host::SetToolVisible(oBill, "mnuEditAddRow", rowEditAllowed);
    host::SetToolVisible(oBill, "mnuEditDelRow", rowEditAllowed);

    ax::Variant checker = host::GetDataFld(oBill, host::GetFieldInfoByKey(oBill, "FCheckerID"))
                              .Item("FFld");
    bool checked = !checker.isNull() && ax::Val(checker) != 0;
    if (checked) {
      // A checked bill cannot change: no rows, no save, no look-up.
      host::SetToolVisible(oBill, "mnuEditAddRow", false);
      host::SetToolVisible(oBill, "mnuEditDelRow", false);
      host::SetToolEnabled(oBill, "mnuFileSave", false);
      host::SetToolEnabled(oBill, "mnuDataLookUp", false);
    }
  });
}

ax::Variant NullToDefault(const ax::Variant& value, const ax::Variant& dflt) {
  return value.isNull() ? dflt : value;
}

}  // namespace sc
