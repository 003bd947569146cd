// The bank-submission list's commands: the export drop-down, submit and withdraw.
#include <string>

#include "automation/runtime.h"
#include "host/collections.h"
#include "host/menubar.h"
#include "host/progids.h"
#include "host/recordset.h"
#include "host/sql.h"
#include "host/transfer_bill.h"
#include "plugin/scTransferListExt1.h"
#include "shared/MLoadPWString.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"

namespace sc {

namespace {

constexpr std::string_view kExportToolPrefix = "mnuExportPayBill_";

// One of the list's own commands in the File menu, in front of the page set-up.
ax::Object AddFileCommand(const ax::Object& oMenuBar, const std::string& key,
                          const std::string& text, bool enabled, bool beginGroup) {
  const ax::Object tool = oMenuBar.GetObj("TAVTools").GetObj("Add", {key});
  tool.Put("Caption", text);
  tool.Put("ToolTipText", text);
  tool.Put("DescriptionText", text);
  tool.Put("Id", 0);
  tool.Put("Visible", true);
  tool.Put("Enabled", enabled);
  tool.Put("BeginGroup", beginGroup);
  return tool;
}

void InsertIntoFileMenu(const ax::Object& oMenuBar, const ax::Object& tool) {
  host::Band(oMenuBar, "mnuFile").GetObj("Tools").Call("InsertBefore", {"mnuFilePageSetup", tool});
}

}  // namespace

void scTransferListExt1::MenuBarInitialize(const ax::Object& oMenuBar) {
  TraceScope trace("scTAVExt.scTransferListExt1.m_ListInterface_MenuBarInitialize");
  TrapReport(trace, [&] {
    const ax::Object band = oMenuBar.GetObj("Bands").GetObj("Add", {"scPopExport"});
    band.Put("Type", 2);
    band.Put("Visible", true);

    ax::Object exportInfo = ax::CreateObject(host::ProgId::ExportInfo);
    ax::Object config = exportInfo.GetObj("GetExportConfig", {GetPropsString()});
    ax::Object rsBanktype = config.ItemObj("rsBanktype");
    ax::Object rsExportConfig = config.ItemObj("rsExportConfig");
    exportInfo.Reset();

    host::SetFilter(rsExportConfig, "FSubSystemKey='ESC'");
    // The configurations are counted by reading them to their end: a forward-only record set
    // does not know its count.
    int32_t n = 0;
    while (!host::Eof(rsExportConfig)) {
      ++n;
      host::SetFilter(rsBanktype,
                      "FKey=" + host::SqlStr(host::Field(rsExportConfig, "FBankTypeKey")));
      // A configuration whose bank type is gone offers nothing.
      if (!host::Eof(rsBanktype)) {
        const ax::Object tool = oMenuBar.GetObj("TAVTools").GetObj(
            "Add", {std::string(kExportToolPrefix) + host::FieldText(rsBanktype, "FKey")});
        // A bank type without a name in the user's language shows its Chinese name.
        const std::string nameColumn = GetLangResKey("FName");
        ax::Variant name = host::Field(rsBanktype, nameColumn);
        if (nameColumn != "FName" && host::TextOf(name).empty())
          name = host::Field(rsBanktype, "FName");
        tool.Put("Caption", name);
        tool.Put("ToolTipText", name);
        tool.Put("DescriptionText", name);
        host::Band(oMenuBar, "scPopExport").GetObj("Tools").Call("InsertAfter", {-1, tool});
      }
      host::MoveNext(rsExportConfig);
    }
    rsBanktype.Reset();
    rsExportConfig.Reset();
    config.Reset();

    const ax::Object exportTool =
        AddFileCommand(oMenuBar, "mnuExport", LoadPWString("引出银行付款单"), n >= 1, false);
    exportTool.Put("DropDownBand", "scPopExport");
    InsertIntoFileMenu(oMenuBar, exportTool);
    InsertIntoFileMenu(
        oMenuBar, AddFileCommand(oMenuBar, "mnuSubmit", LoadPWString("提交银行付款单"), true, true));
    InsertIntoFileMenu(
        oMenuBar, AddFileCommand(oMenuBar, "mnuUnSubmit", LoadPWString("撤销提交"), true, false));
  });
}

void scTransferListExt1::MenuBarClick(const ax::Object& TAVTool, bool& Cancel) {
  // The host goes on with its own handling of every tool: Cancel is never touched.
  (void)Cancel;
  TraceScope trace("scTAVExt.scTransferListExt1.m_ListInterface_MenuBarClick");
  BackToHost(trace, [&] {
    const std::string key = ax::CStr(TAVTool.Get("Key"));
    if (key == "mnuSubmit")
      SubmitToBankBill();
    else if (key == "mnuUnSubmit")
      UnSubmitToBankBill();

    const std::string again = ax::CStr(TAVTool.Get("Key"));
    if (ax::Left(again, 17) == kExportToolPrefix) ExportPayBill(ax::Mid(again, 18));
  });
}

}  // namespace sc
