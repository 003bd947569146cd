// The host's list interface (the transfer lists), called late-bound by member name. Its data
// library and menu bar are those of lmlib.h and menubar.h.
#pragma once

#include "automation/object.h"
#include "host/lmlib.h"
#include "host/menubar.h"

namespace sc::host {

// The list object (GetSelectedBillID, RsId, RefreshList).
ax::Object ListOf(const ax::Object& list);
// The list's class data service (ClassType).
ax::Object DataSrvOf(const ax::Object& list);
// The vector of the selected rows, each a keyed collection of the row's columns ("FID").
ax::Object SelectionOf(const ax::Object& list);

}  // namespace sc::host
