#include "bankcollect/FrmRecSettList.h"

#include "automation/runtime.h"
#include "host/progids.h"
#include "shared/MLoadPWString.h"
#include "shared/SysObjects.h"

namespace sc {

namespace {

// Mode of the receipt list in which it offers rows for a caller to choose.
constexpr int32_t kChooseMode = 2;

}  // namespace

FrmRecSettList::FrmRecSettList() : ax::Form("FrmRecSettList") {
  width = 11400;
  height = 7200;
  scaleWidth = 11280;
  scaleHeight = 6780;
  AddControl("ListRecSett", "ActiveX");
}

std::string FrmRecSettList::ListFilter() const {
  // Receipts in 人民币 that are not a transfer bill yet, received into an ordinary centre
  // account; the caller adds its date range.
  return "v.FCYID=1 and (not v.FTransBillID>0) and Acnt1.FAcntStyle=0 " + m_sFilter;
}

void FrmRecSettList::Form_Load() {
  // The control is part of the form: it exists before the form's own Load runs.
  ax::Control& list = C("ListRecSett");
  if (list.activeX.IsNothing()) list.activeX = ax::CreateObject(host::ProgId::ListRecSett);

  caption = LoadPWString("[银行归集]收款业务序时簿");
  SetFormFont(*this);

  ThisForm = ax::CreateObject(host::ProgId::FormSupport);

  list.left = 0;
  list.top = 0;
  list.activeX.Put("Mode", kChooseMode);
  list.activeX.Put("Filter", ListFilter());
  list.activeX.Call("Init", {ThisForm});
  list.activeX.Call("LoadData");
}

void FrmRecSettList::Form_Resize() {
  // A minimised form has no inner area: the list keeps its size for the restore.
  ax::Control& list = C("ListRecSett");
  if (scaleHeight > 0) list.height = scaleHeight;
  if (scaleWidth > 0) list.width = scaleWidth;
}

void FrmRecSettList::ControlEvent(const std::string& control, const std::string& event,
                                  ax::Args& args) {
  (void)args;
  if (control == "ListRecSett" && event == "Confirm") ListRecSett_Confirm();
}

void FrmRecSettList::ListRecSett_Confirm() {
  m_VectReturnData = C("ListRecSett").activeX.GetObj("ReturnData");
  m_OK = true;
  Hide();
}

}  // namespace sc
