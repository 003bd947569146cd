// Export of the selected bills as a bank payment file through the host's export component.
#include <string>

#include "automation/runtime.h"
#include "host/collections.h"
#include "host/list_interface.h"
#include "host/progids.h"
#include "plugin/scTransferListExt1.h"
#include "shared/Publics.h"

namespace sc {

void scTransferListExt1::ExportPayBill(const std::string& bankTypeKey) {
  TraceScope trace("scTAVExt.scTransferListExt1.ExportPayBill");
  BackToHost(trace, [&] {
    // The rows selected in the list decide, not the list's selected-id collection.
    const ax::Object selection = host::SelectionOf(List());
    const int32_t count = host::Count(selection);
    if (count == 0) return;

    std::string ids;
    for (int32_t i = 1; i <= count; ++i) {
      if (i > 1) ids += ",";
      ids += ax::CStr(selection.ItemObj(i).Item("FID"));
    }

    ax::Object exporter = ax::CreateObject(host::ProgId::Export);
    ax::Variant key = bankTypeKey;
    ax::Variant idList = ids;
    ax::Args args{ax::ref(key), "ESC", ax::ref(idList), "scTransfer"};
    exporter.CallArgs("ExportPayBill", args);
    exporter.Reset();
  });
}

}  // namespace sc
