// The transfer-bill window's six commands (check, uncheck, approve, unapprove, generate voucher,
// view voucher) and the routing of menu clicks, the host's F7 look-up included.
#include <optional>
#include <string>

#include "automation/runtime.h"
#include "automation/variant.h"
#include "host/menubar.h"
#include "host/transfer_bill.h"
#include "plugin/scTransferBillExt.h"
#include "shared/FrmRes.h"
#include "shared/MLoadPWString.h"
#include "shared/Publics.h"

namespace sc {

namespace {

struct BillCommand {
  const char* key;
  const char* text;        // caption and description
  const char* secondText;  // tool tip
  int32_t id;
  bool beginGroup;
  int32_t picture;             // index in the resource form's image list, 0 for none
  const char* editNeighbour;   // inserted before this tool of the Edit menu
  const char* toolbarNeighbour;  // where it goes in the toolbar, nullptr when not there
  bool toolbarBefore;            // inserted before (true) or after (false) that neighbour
  std::optional<int32_t> signOff;  // the sign-off action the command runs
};

constexpr BillCommand kCommands[] = {
    {"mnuscCheck", N_("审核"), N_("审核"), 34, true, FrmRes::kCheck, "mnuEditCheck",
     "mnuFilePreview", false, host::kActionCheck},
    {"mnuscUnCheck", N_("反审核"), N_("反审核"), 56, false, 0, "mnuEditCheck", nullptr, false,
     host::kActionUncheck},
    {"mnuscReCheck", N_("审批"), N_("审批"), 35, false, FrmRes::kApprove, "mnuEditCheck",
     "mnuEditCheck", false, host::kActionApprove},
    {"mnuscUnReCheck", N_("反审批"), N_("反审批"), 57, false, 0, "mnuEditCheck", nullptr, false,
     host::kActionUnapprove},
    {"mnuCreateVou", N_("单据生成凭证"), N_("单据生成凭证"), 0, false, FrmRes::kCreateVoucher,
     "mnuEditCheck", nullptr, false, std::nullopt},
    {"Voucher", N_("凭证"), N_("记账凭证"), 0, true, FrmRes::kVoucher, "mnuDataLookUp",
     "mnuDataLookUp", true, std::nullopt},
};

}  // namespace

void scTransferBillExt::MenuBarInitialize(const ax::Object& oMenuBar) {
  // Errors reach the host; the trace entry is closed as failed on the way out.
  TraceScope trace("scTAVExt.scTransferBillExt.m_BillInterface_MenuBarInitialize");
  ax::Object tools = oMenuBar.GetObj("TAVTools");
  for (const BillCommand& command : kCommands) {
    ax::Object tool = tools.GetObj("Add", {command.key});
    tool.Put("Caption", LoadPWString(command.text));
    tool.Put("DescriptionText", LoadPWString(command.text));
    tool.Put("ToolTipText", LoadPWString(command.secondText));
    tool.Put("Id", command.id);
    tool.Put("Visible", true);
    tool.Put("Enabled", true);
    tool.Put("BeginGroup", command.beginGroup);
    if (command.picture != 0) {
      ax::GetUi().SetClipboardPicture(FrmRes::ListImage(command.picture));
      tool.Call("PasteFace", {host::kMaskColor});
    }
    host::Band(oMenuBar, "mnuEdit").GetObj("Tools").Call("InsertBefore", {command.editNeighbour, tool});
    if (command.toolbarNeighbour) {
      host::Band(oMenuBar, "BandToolBar")
          .GetObj("Tools")
          .Call(command.toolbarBefore ? "InsertBefore" : "InsertAfter",
                {command.toolbarNeighbour, tool});
    }
  }
  // The stock query has no meaning for a transfer bill.
  host::Band(oMenuBar, "mnuData").GetObj("Tools").ItemObj("mnuStockQuery").Put("Visible", false);
}

void scTransferBillExt::MenuBarClick(const ax::Object& TAVTool, bool& Cancel) {
  std::string key = host::TextOf(TAVTool.Get("Key"));
  for (const BillCommand& command : kCommands) {
    if (command.signOff && key == command.key) {
      CheckBill(*command.signOff);
      return;
    }
  }
  if (key == "mnuDataLookUp") {
    // F7 on an account field runs our account look-up instead of the host's; on the purpose
    // field the purpose list comes first and the host's look-up still follows.
    if (ax::EqualsNoCase(m_sEditKey, "FRecAcctID") || ax::EqualsNoCase(m_sEditKey, "FPayAcctID")) {
      SelAcct(m_sEditKey);
      Cancel = true;
    } else if (ax::EqualsNoCase(m_sEditKey, "FPurpose")) {
      SelPurpose();
    }
  } else if (key == "mnuCreateVou") {
    CreateVouNoAuto();
  } else if (key == "Voucher") {
    ViewVoucher();
  }
}

}  // namespace sc
