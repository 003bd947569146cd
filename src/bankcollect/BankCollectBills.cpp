// Transfer bills from bank-collection receipts: one prefilled host bill window per chosen
// receipt, the copied fields locked, and the first window brought to the front.
#include <cstdint>
#include <string>

#include "automation/error.h"
#include "automation/runtime.h"
#include "automation/variant.h"
#include "bankcollect/FrmYHGJ.h"
#include "host/bill_template.h"
#include "host/collections.h"
#include "host/components.h"
#include "host/progids.h"
#include "host/transfer_bill.h"
#include "shared/ModPub.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"
#include "shared/scModule.h"

namespace sc {

namespace {

// Window messages and commands of the title-bar click.
constexpr int kShowNormal = 1;              // SW_SHOWNORMAL
constexpr uint32_t kNcLButtonDown = 0xA1;  // WM_NCLBUTTONDOWN
constexpr uint32_t kNcLButtonUp = 0xA2;    // WM_NCLBUTTONUP
constexpr uintptr_t kHitCaption = 2;       // HTCAPTION

// Seconds the new bill windows get to draw themselves before the first is activated.
constexpr double kDrawPause = 0.8;
constexpr double kSecondsPerDay = 86400.0;

// The receipt's paying account, locked only when there is one.
constexpr host::BillFill kPayingAccount[] = {
    {"FPayAcctID", "FFld", "FPayAcctID"},
    {"FPayAcctID", "FFND", "FPayAcctNo"},
    {"FPayAcctID", "FDSP", "FPayAcctNo"},
};

// The banks and the receiving account, copied and locked; the accounts show their numbers.
constexpr host::BillFill kBanksAndReceivingAccount[] = {
    {"FPayBank", "FFld", "FPayBank"},
    {"FPayBank", host::kLock},
    {"FPayBankAcnt", "FFld", "FPayBankAcnt"},
    {"FPayBankAcnt", host::kLock},
    {"FRecAcctID", "FFld", "FRecAcctID"},
    {"FRecAcctID", "FFND", "FRecAcctNo"},
    {"FRecAcctID", "FDSP", "FRecAcctNo"},
    {"FRecAcctID", host::kLock},
    {"FRecBank", "FFld", "FRecBank"},
    {"FRecBank", host::kLock},
    {"FRecBankAcnt", "FFld", "FRecBankAcnt"},
    {"FRecBankAcnt", host::kLock},
};

// Rate and amounts copied and locked; the texts and the settlement copied (a Null text or
// settlement number as ""); the receipt's date copied and locked.
constexpr host::BillFill kAmountsAndSettlement[] = {
    {"FExchRate", "FFld", "FExchRate"},
    {"FExchRate", host::kLock},
    {"FAmt", "FFld", "FAmt"},
    {"FAmt", host::kLock},
    {"FFcyAmt", "FFld", "FFcyAmt"},
    {"FFcyAmt", host::kLock},
    {"FExplanation", "FFld", "FExplanation", true},
    {"FPurpose", "FFld", "FPurpose", true},
    {"FSettleTypeID", "FFld", "FSettleTypeID"},
    {"FSettleTypeID", "FDSP", "FSettleType"},
    {"FSettleNo", "FFld", "FSettleNo", true},
    {"FPaySettDate", "FFld", "FPaySettDate"},
    {"FPaySettDate", host::kLock},
};

// A receipt key read without a default (the row's item as it is).
ax::Variant ItemOf(const ax::Object& row, const char* key) { return row.Item(key); }

}  // namespace

void FrmYHGJ::GenerateTransferBills(const ax::Object& receipts) {
  TrapQuiet([&] {
    ax::Object mapped = MapReceiptsToBills(receipts);
    Hide();
    int32_t n = host::Count(mapped);
    // An empty choice opens nothing and brings nothing to the front.
    if (n < 1) return;

    m_DataSrvs.assign(static_cast<size_t>(n), ax::Object());
    m_BillForms.assign(static_cast<size_t>(n), ax::Object());
    for (int32_t i = 1; i <= n; ++i) {
      ax::Object& dataService = m_DataSrvs[static_cast<size_t>(i - 1)];
      ax::Object& billForm = m_BillForms[static_cast<size_t>(i - 1)];
      host::NewBillWindow(host::kTransferClassTypeID, dataService, billForm);
      host::ShowBill(billForm, FillEmptyBill(dataService, mapped.ItemObj(i)));
    }

    PauseWithEvents(kDrawPause);

    // The host comes forward first, so that the first bill ends up in front of it.
    int32_t hostWindow = GetHostTopWindow();
    if (ax::GetUi().IsWindow(hostWindow)) ActivateWindow(hostWindow);
    ActivateWindow(ax::CLng(m_BillForms.front().Get("hwnd")));
  });
}

ax::Object FrmYHGJ::MapReceiptsToBills(const ax::Object& receipts) {
  ax::Object mapped = host::NewVector();
  for (int32_t i = 1, n = host::Count(receipts); i <= n; ++i) {
    ax::Object r = receipts.ItemObj(i);
    ax::Object m = host::NewDictionary();
    // The receipt's centre account receives; its paying account stays the paying account.
    // Columns read with a default take it for NULL as well: a receipt from outside the centre
    // has no paying account, and its number must not reach the bill as Null.
    auto valueOr = [&r](std::string_view key, const ax::Variant& dflt) {
      return NullToDefault(host::GetValue(r, key, dflt), dflt);
    };
    host::SetItem(m, "FPayAcctID", valueOr("FPayAcctID", 0));
    host::SetItem(m, "FPayAcctNo", valueOr("FPayAcctNumber", ""));
    host::SetItem(m, "PayAcctName", valueOr("FPayAcctName", ""));
    host::SetItem(m, "FPayBank", valueOr("FPayBank", ""));
    host::SetItem(m, "FPayBankAcnt", valueOr("FPayBankAcnt", ""));
    host::SetItem(m, "FRecAcctID", ItemOf(r, "FCentAcctID"));
    host::SetItem(m, "FRecAcctNo", ItemOf(r, "FCentAcctNumber"));
    host::SetItem(m, "FRecAcctName", ItemOf(r, "FCentAcctName"));
    host::SetItem(m, "FRecBank", valueOr("FCentBank", ""));
    host::SetItem(m, "FRecBankAcnt", ItemOf(r, "FCentBankAcnt"));
    host::SetItem(m, "FCyID", ItemOf(r, "FCyID"));
    host::SetItem(m, "FExchRate", ItemOf(r, "FExchRate"));
    host::SetItem(m, "FAmt", ItemOf(r, "FAmt"));
    host::SetItem(m, "FFcyAmt", ItemOf(r, "FFcyAmt"));
    host::SetItem(m, "FExplanation", ItemOf(r, "FExplanation"));
    host::SetItem(m, "FPurpose", ItemOf(r, "FPurpose"));
    host::SetItem(m, "FSettleTypeID", ItemOf(r, "FSettleTypeID"));
    host::SetItem(m, "FSettleType", NullToDefault(ItemOf(r, "FSettleType"), ""));
    host::SetItem(m, "FSettleNo", ItemOf(r, "FSettleNo"));
    host::SetItem(m, "FPaySettDate", ax::Format(ItemOf(r, "FRecSettDate"), "YYYY-MM-DD"));
    host::SetItem(m, "FRecSettID", ItemOf(r, "FRecSettID"));
    mapped.Call("Add", {m});
  }
  return mapped;
}

ax::Object FrmYHGJ::FillEmptyBill(const ax::Object& dataService, const ax::Object& m) {
  // Saving the bill links the receipt to it through the bill's own "FRecSettID".
  host::PrefilledBill bill(dataService, m, {"FRecSettID"});
  SetCentreDate(bill);

  // A receipt from outside the centre has no paying account: the user may choose one.
  bill.Fill(kPayingAccount);
  if (ax::VarGreater(m.Item("FPayAcctID"), 0)) bill.Lock("FPayAcctID");
  bill.Fill(kBanksAndReceivingAccount);

  ax::Variant recBankAcnt = m.Item("FRecBankAcnt");
  if (!recBankAcnt.isMissing() && !recBankAcnt.isNull() && !recBankAcnt.isEmpty()) {
    ax::Object update = ax::CreateObject(host::ProgId::TransferUpdate);
    bill.Set("FRecBanktype", "FFld", update.Get("GetBankType", {GetPropsString(), recBankAcnt}));
  }

  bill.Set("FCyID", "FFld", m.Item("FCyID"));
  bill.Lock("FCyID");
  ax::Object currency = host::GetCurrency(GetGLData(), ax::CLng(m.Item("FCyID")));
  bill.Set("FCyID", "FFND", currency.Get("Number"));
  bill.Set("FCyID", "FDSP", currency.Get("Name"));

  bill.Fill(kAmountsAndSettlement);
  // Converted from a receipt: the bill never gets a voucher from this plug-in.
  bill.Set("FSource", "FFld", host::kSourceReceipt);
  return bill.Bill();
}

int32_t FrmYHGJ::GetHostTopWindow() {
  int32_t top = 0;
  bool found = TrapQuiet([&] {
    if (oList.IsNothing()) return;
    ax::Ui& ui = ax::GetUi();
    intptr_t hwnd = ax::CLng(oList.GetObj("Parent").Get("hwnd"));
    while (hwnd != 0) {
      top = static_cast<int32_t>(hwnd);
      hwnd = ui.GetParent(hwnd);
    }
  });
  return found ? top : 0;
}

int32_t FrmYHGJ::MakeLParam(int32_t low, int32_t high) {
  int64_t packed = int64_t{low} + int64_t{high} * 65536;
  if (packed < INT32_MIN || packed > INT32_MAX) throw ax::Error(ax::err::kOverflow, "MakeLParam");
  return static_cast<int32_t>(packed);
}

void FrmYHGJ::ActivateWindow(int32_t hwnd) {
  ax::Ui& ui = ax::GetUi();
  if (ui.IsIconic(hwnd)) ui.ShowWindow(hwnd, kShowNormal);
  ui.SetForegroundWindow(hwnd);
  // A click on the caption, just inside the window's top-left corner.
  ax::Rect rect;
  ui.GetWindowRect(hwnd, rect);
  int32_t point = MakeLParam(rect.left + 25, rect.top + 5);
  ui.SendMessageA(hwnd, kNcLButtonDown, kHitCaption, point);
  ui.SendMessageA(hwnd, kNcLButtonUp, kHitCaption, point);
}

void FrmYHGJ::PauseWithEvents(double seconds) {
  ax::Ui& ui = ax::GetUi();
  double start = ui.Timer();
  for (;;) {
    ui.DoEvents();
    double elapsed = ui.Timer() - start;
    // The timer starts again at midnight.
    if (elapsed < 0) elapsed += kSecondsPerDay;
    if (elapsed >= seconds) break;
  }
}

}  // namespace sc
