#include "host/list_interface.h"

namespace sc::host {

ax::Object ListOf(const ax::Object& list) { return list.GetObj("List"); }

ax::Object DataSrvOf(const ax::Object& list) { return list.GetObj("dataSrv"); }

ax::Object SelectionOf(const ax::Object& list) { return list.GetObj("SelectedRows"); }

}  // namespace sc::host
