// The bank-collection query dialog: the receipt-date range, the picker, and the life of the
// bill windows it opened.
#include "bankcollect/FrmYHGJ.h"

#include <memory>
#include <utility>

#include "automation/error.h"
#include "automation/runtime.h"
#include "automation/variant.h"
#include "bankcollect/FrmRecSettList.h"
#include "host/transfer_bill.h"
#include "shared/MLoadPWString.h"
#include "shared/ProcessState.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"

namespace sc {

namespace {

// Dialogs whose bill windows are still open. A dialog that generated bills stays loaded after
// its modal show, so that the windows and their data services live on; they are released when
// the library unloads.
struct LoadedDialogs {
  std::vector<std::unique_ptr<FrmYHGJ>> forms;
  LoadedDialogs() = default;
  LoadedDialogs(LoadedDialogs&&) = default;
  LoadedDialogs& operator=(LoadedDialogs&& other) noexcept {
    // Unloading releases the host objects the dialogs keep, element by element.
    for (auto& form : forms) TrapQuiet([&] { form->Unload(); });
    forms = std::move(other.forms);
    return *this;
  }
  ~LoadedDialogs() = default;
};

bool HoldsBills(const FrmYHGJ& form) {
  for (const ax::Object& bill : form.BillWindows())
    if (!bill.IsNothing()) return true;
  return false;
}

}  // namespace

FrmYHGJ::FrmYHGJ() : ax::Form("FrmYHGJ") {
  width = 6120;
  height = 4140;
  scaleWidth = 6000;
  scaleHeight = 3720;
  hasCloseButton = true;

  Place("LabTitle(0)", "Label", 240, 300, 1100, 255);
  Place("dtpDate(0)", "DTPicker", 1380, 240, 1680, 315);
  Place("LabTitle(1)", "Label", 240, 780, 1100, 255);
  Place("dtpDate(1)", "DTPicker", 1380, 720, 1680, 315);
  Place("LabTitle(2)", "Label", 240, 1260, 1100, 255);
  Place("LabTitle(4)", "Label", 1380, 1260, 1680, 255);
  Place("LabTitle(3)", "Label", 240, 1740, 1100, 255);
  Place("LabTitle(5)", "Label", 1380, 1740, 4380, 1200);
  // Enter confirms, Esc cancels.
  Place("btnOK", "CommandButton", 3300, 3120, 1140, 375).isDefault = true;
  Place("btnCancel", "CommandButton", 4620, 3120, 1140, 375).isCancel = true;

  // Both arrays start with one empty slot.
  m_DataSrvs.assign(1, ax::Object());
  m_BillForms.assign(1, ax::Object());
}

FrmYHGJ::~FrmYHGJ() = default;

void FrmYHGJ::Form_Load() {
  keyPreview = true;
  caption = LoadPWString("银行主动归集查询");
  C("LabTitle(0)").caption = LoadPWString("开始日期：");
  C("LabTitle(1)").caption = LoadPWString("结束日期：");
  C("LabTitle(2)").caption = LoadPWString("币别：");
  C("LabTitle(3)").caption = LoadPWString("说明：");
  C("LabTitle(4)").caption = LoadPWString("人民币");
  C("LabTitle(5)").caption = LoadPWString(
      "银行归集是对使用银行接口的情况下，将收付款账号都是中心账号的收款记录过滤出来，由用户确定银"
      "行归集的信息生成划拨单，方便用户统计归集信息。");
  C("btnOK").caption = LoadPWString("确定");
  C("btnCancel").caption = LoadPWString("取消");
  SetFormFont(*this);

  // A year back is 365 days, whatever the calendar says.
  ax::DateValue today = ax::DateOnly(ax::GetUi().Now());
  C("dtpDate(0)").value = ax::CDate(ax::FormatDate(ax::DateAddDays(today, -365), "YYYY-MM-DD"));
  C("dtpDate(1)").value = ax::CDate(ax::FormatDate(today, "YYYY-MM-DD"));
}

void FrmYHGJ::Form_KeyDown(int16_t& keyCode, int16_t& shift) {
  FormKeyDownHelp(keyCode, shift, kHelpContextId);
}

void FrmYHGJ::Form_Unload() {
  // One host object that fails to go must not keep the others.
  for (ax::Object& dataService : m_DataSrvs) TrapQuiet([&] { dataService.Reset(); });
  for (ax::Object& billForm : m_BillForms) TrapQuiet([&] { billForm.Reset(); });
  m_DataSrvs.clear();
  m_BillForms.clear();
}

void FrmYHGJ::Click(const std::string& control) {
  // An unexpected error (a picker that cannot be created) ends the dialog and is shown to the
  // user; it never reaches the host's window loop.
  if (!TrapReport([&] {
        if (control == "btnOK")
          btnOK_Click();
        else if (control == "btnCancel")
          btnCancel_Click();
      }))
    Hide();
}

void FrmYHGJ::btnCancel_Click() { Hide(); }

void FrmYHGJ::btnOK_Click() {
  Hide();
  auto picker = std::make_unique<FrmRecSettList>();
  picker->set_sFilter(GetDateFilter());
  picker->ShowModal();
  if (picker->OK()) GenerateTransferBills(picker->VectReturnData());
  picker->Unload();
}

std::string FrmYHGJ::GetDateFilter() {
  // Style 111 drops the time of day: both bounds take in their whole day.
  return " AND convert(datetime,convert(varchar(30),v.FRecSettdate,111)) >='" +
         ax::Format(C("dtpDate(0)").value, "YYYY-MM-DD") + "'" + host::kCrLf +
         " AND convert(datetime,convert(varchar(30),v.FRecSettdate,111)) <='" +
         ax::Format(C("dtpDate(1)").value, "YYYY-MM-DD") + "'" + host::kCrLf;
}

void ShowFrmYHGJ(const ax::Object& list) {
  auto form = std::make_unique<FrmYHGJ>();
  form->oList = list;
  try {
    form->ShowModal();
  } catch (...) {
    TrapQuiet([&] { form->Unload(); });
    throw;
  }
  if (HoldsBills(*form)) {
    // The list was needed only to find the host's window; the list may close before the bills.
    form->oList.Reset();
    ProcessWide<LoadedDialogs>().forms.push_back(std::move(form));
  } else {
    form->Unload();
  }
}

}  // namespace sc
