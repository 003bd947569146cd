// Shared bill operations: the bill window's tool states and the null default of record values.
#pragma once

#include "automation/object.h"
#include "automation/variant.h"

namespace sc {

// Sets the bill window's tools after a bill was loaded (rowEditAllowed True) or created (False):
// check/approve/voucher tools follow the bill status; a checked bill hides the row tools and
// disables save and look-up. Ends quietly on any error.
void SetBillToolState(const ax::Object& oBill, bool rowEditAllowed);
// dflt when value is Null, otherwise value unchanged.
ax::Variant NullToDefault(const ax::Variant& value, const ax::Variant& dflt);

// Whether the user may modify the bill at the list's current row: own bills need right
// 4194304, others' bills 64. Without the right the no-right message is shown and False
// returned. Errors go back to the caller with the source "[scTAVExt.ModPub.ModifyAccessCheck]".
bool ModifyAccessCheck(const ax::Object& oList);
// The list's whole delete command: confirmation, then per selected bill the delete right (own
// 65536, others' 128), checked bills refused, the voucher deleted first, the bill deleted
// through the host, the business log, one message per bill for a single bill or one result
// display for several, and a refresh when something was deleted. Never raises.
void DeleteSelectedBills(const ax::Object& oList);

}  // namespace sc
