// The transfer list: account filter, the list's own tools and their dispatch, row colours.
#include <optional>
#include <string>
#include <utility>

#include "automation/error.h"
#include "automation/runtime.h"
#include "bankcollect/FrmYHGJ.h"
#include "host/collections.h"
#include "host/components.h"
#include "host/list_interface.h"
#include "host/lmlib.h"
#include "host/menubar.h"
#include "host/progids.h"
#include "host/recordset.h"
#include "host/transfer_bill.h"
#include "plugin/scTransferListExt.h"
#include "shared/BankClientPub.h"
#include "shared/FrmRes.h"
#include "shared/MLoadPWString.h"
#include "shared/ModPub.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"
#include "translist/dlgBalSum.h"

namespace sc {

namespace {

// A condition no bill satisfies: the list of a user whose accounts are unknown stays empty.
constexpr const char* kNoBillFilter = "1=0";

struct ListTool {
  const char* key;
  const char* caption;
  std::optional<int32_t> picture;
  int32_t id;
  bool beginGroup;
  const char* editNeighbour;
  const char* toolBarNeighbour;  // nullptr: not on the toolbar
};

constexpr ListTool kListTools[] = {
    {"mnuscCheck", N_("审核"), FrmRes::kCheck, 34, true, "mnuEditDelete", "mnuEditDelete"},
    {"mnuscUnCheck", N_("反审核"), std::nullopt, 56, false, "mnuscCheck", nullptr},
    {"mnuscReCheck", N_("审批"), FrmRes::kApprove, 35, false, "mnuscUnCheck", "mnuscCheck"},
    {"mnuscUnReCheck", N_("反审批"), std::nullopt, 57, false, "mnuscReCheck", nullptr},
    {"mnuscCenterCollect", N_("中心归集"), FrmRes::kCentreCollect, 7, false, "mnuscUnReCheck",
     "mnuscReCheck"},
    {"mnuscBankCollect", N_("银行归集"), FrmRes::kBankCollect, 2, false, "mnuscCenterCollect",
     "mnuscCenterCollect"},
};

// Sets the list's extra condition (ClassTypeEntry(1)("FFilter")).
void SetListFilter(const ax::Object& list, const std::string& filter) {
  host::SetItem(host::DataSrvOf(list).GetObj("ClassTypeEntry", {1}), "FFilter", filter);
}

}  // namespace

void scTransferListExt::ApplyAccountFilter() {
  const ax::Object& list = List();
  try {
    list.Put("CustomFilter", true);
    ax::Object security = ax::CreateObject(host::ProgId::SecurityInfo);
    if (host::IsAdministrator(security, GetPropsString(), host::LmLib(list).UserID())) return;

    std::string accounts = GetAccountSecuritySql();
    // Without the user's accounts the list must not fall back to showing every bill.
    if (ax::Trim(accounts).empty()) {
      SetListFilter(list, kNoBillFilter);
      return;
    }
    // The account text brings its own closing blank before "and".
    SetListFilter(list, "t_scTransfer.FRecAcctID in " + accounts + "and t_scTransfer.FPayAcctID in " +
                            accounts);
  } catch (...) {
    // Whatever stopped the test, a user who may be restricted sees no bill.
    TrapQuiet([&] { SetListFilter(list, kNoBillFilter); });
    throw;
  }
}

std::string scTransferListExt::GetAccountSecuritySql() {
  std::string sql;
  TrapQuiet([&] {
    ax::Object update = ax::CreateObject(host::ProgId::TransferUpdate);
    sql = ax::CStr(update.Get("GetCheckAcctTableSql", {GetPropsString(), false, 1, true}));
  });
  return sql;
}

void scTransferListExt::ListFillRow(int32_t lRow, const ax::Object& RowData,
                                    const ax::Object& HeadDict, ax::Variant& CellData,
                                    ax::Variant& BackColor, ax::Variant& ContinueRaise) {
  (void)lRow;
  // The host raises this for every cell: one look-up both tests for the field and reads it.
  ax::Object fields = host::RecordSetFields(RowData);
  ax::Object checkField = fields.IsNothing() ? ax::Object() : host::FindField(fields, "FCheckStatus");
  if (checkField.IsNothing()) {
    ContinueRaise = false;
    return;
  }
  ax::Variant checkStatus = checkField.Get("Value");
  if (!ax::VarEqual(checkStatus, 1)) {
    BackColor = host::kRowUnchecked;
    ContinueRaise = true;
    return;
  }

  // The column's name is only compared: read where it is when it is a text.
  ax::Variant head = HeadDict.Item("FFieldNameExt");
  std::string converted;
  std::string_view column = head.isString() ? std::string_view(head.asString())
                                            : std::string_view(converted = host::TextOf(head));
  if (column == "view_BKPaymentTAV.FSubmitState") CellData = BankStatusText(host::TextOf(CellData));
  if (column == "view_BKPaymentTAV.FCommitPayStatus") {
    if (ax::VarEqual(checkStatus, 1) && ax::Val(host::TextOf(CellData)) == 1) {
      CellData = LoadPWString("已提交");
      bool hasBankStatus =
          ax::Len(host::TextOf(fields.ItemObj("FBaseProperty6_DSPName").Get("Value"))) > 0;
      BackColor = hasBankStatus ? host::kRowSubmittedWithStatus : host::kRowSubmitted;
    } else {
      CellData = std::string();
      BackColor = host::kRowChecked;
    }
  }
  ContinueRaise = true;
}

void scTransferListExt::MenuBarInitialize(const ax::Object& oMenuBar) {
  TraceScope trace("scTAVExt.scTransferListExt.m_ListInterFace_MenuBarInitialize");
  TrapQuiet(trace, [&] {
    ax::Object tools = oMenuBar.GetObj("TAVTools");
    ax::Object editBand = host::Band(oMenuBar, "mnuEdit").GetObj("Tools");
    ax::Object toolBar = host::Band(oMenuBar, "BandToolBar").GetObj("Tools");
    for (const ListTool& t : kListTools) {
      ax::Object tool = tools.GetObj("Add", {t.key});
      std::string caption = LoadPWString(t.caption);
      tool.Put("Caption", caption);
      tool.Put("ToolTipText", caption);
      tool.Put("DescriptionText", caption);
      tool.Put("Id", t.id);
      tool.Put("Visible", true);
      tool.Put("Enabled", true);
      tool.Put("BeginGroup", t.beginGroup);
      if (t.picture) {
        ax::GetUi().SetClipboardPicture(FrmRes::ListImage(*t.picture));
        tool.Call("PasteFace", {host::kMaskColor});
      }
      editBand.Call("InsertAfter", {t.editNeighbour, tool});
      if (t.toolBarNeighbour) toolBar.Call("InsertAfter", {t.toolBarNeighbour, tool});
    }

    // Copying entries and paging through bills do not apply to the transfer list: each is
    // hidden where the host shows it.
    const std::pair<const char*, const char*> kHostTools[] = {
        {"mnuEdit", "mnuEditCopyEntry"},
        {"BandToolBar", "mnuDataViewPrvBill"},
        {"BandToolBar", "mnuDataViewNextBill"}};
    for (const auto& hostTool : kHostTools) {
      ax::Object tool =
          host::Band(oMenuBar, hostTool.first).GetObj("Tools").ItemObj(hostTool.second);
      tool.Put("Visible", false);
      tool.Put("Enabled", true);
    }
  });
}

void scTransferListExt::MenuBarClick(const ax::Object& TAVTool, bool& Cancel) {
  TraceScope trace("scTAVExt.scTransferListExt.m_ListInterFace_MenuBarClick");
  TrapQuiet(trace, [&] {
    std::string key = ax::CStr(TAVTool.Get("Key"));
    if (key == "mnuEditDelete") {
      // The host never runs its own delete: bills go only through the centre's rules.
      Cancel = true;
      DeleteSelectedBills(List());
    } else if (key == "mnuscCheck" || key == "mnuscUnCheck" || key == "mnuscReCheck" ||
               key == "mnuscUnReCheck") {
      RunListOperation();
    } else if (key == "mnuscCenterCollect") {
      ShowCentreCollection();
    } else if (key == "mnuscBankCollect") {
      ShowBankCollection();
    } else if (key == "mnuEditModify") {
      int32_t selected = host::Count(List().GetObj("SelectedRows"));
      if (selected == 1) {
        if (!ModifyAccessCheck(List())) Cancel = true;
      } else {
        Cancel = true;
      }
    }
  });
}

void scTransferListExt::RunListOperation() {
  ax::Object list = host::ListOf(List());
  ax::Variant result;
  ax::Args args{0, ax::ref(result)};
  list.CallArgs("BillOperation", args);
  list.Call("RefreshList", {false});
}

void scTransferListExt::ShowCentreCollection() {
  TrapQuiet([] { dlgBalSum::Instance().ShowModal(); });
}

void scTransferListExt::ShowBankCollection() {
  TrapQuiet([&] { ShowFrmYHGJ(host::ListOf(List())); });
}

}  // namespace sc
