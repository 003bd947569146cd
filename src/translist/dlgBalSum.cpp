#include "translist/dlgBalSum.h"

#include <exception>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

#include "automation/error.h"
#include "automation/runtime.h"
#include "host/bill_template.h"
#include "host/collections.h"
#include "host/components.h"
#include "host/progids.h"
#include "host/recordset.h"
#include "host/transfer_bill.h"
#include "shared/MLoadPWString.h"
#include "shared/ProcessState.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"
#include "shared/scModule.h"

namespace sc {

namespace {

constexpr int32_t kHelpContextID = 460129;

// Runs fn for every record of a record set, from the first to the end; Nothing has none. The
// end is EOF: a forward-only record set does not know its count (RecordCount -1).
template <class Fn>
void ForEachRecord(const ax::Object& rs, Fn&& fn) {
  if (rs.IsNothing() || host::Eof(rs)) return;
  host::MoveFirst(rs);
  while (!host::Eof(rs)) {
    fn();
    host::MoveNext(rs);
  }
}

// The value of a profile entry (profile.Item(category, key)) as a Long.
int32_t ProfileLong(const ax::Object& profile, const char* category, const char* key) {
  return ax::CLng(ax::Val(profile.Get("Item", {category, key})));
}

// The number an id stands for when compared with "=": Null and non-numbers match nothing.
std::optional<double> NumericKey(const ax::Variant& id) {
  if (id.isNull() || id.isObject() || id.isMissing()) return std::nullopt;
  try {
    return ax::CDbl(id);
  } catch (const ax::AutomationError&) {
    return std::nullopt;
  }
}

// A collection bill's fields in the order they are filled. The accounts show their codes; the
// paying bank account, the currency and the rate cannot be changed in the window.
constexpr host::BillFill kCollectionBill[] = {
    {"FPayAcctID", "FFld", "FPayAcctID"},
    {"FPayAcctID", "FFND", "FPayAcctNo"},
    {"FPayAcctID", "FDSP", "FPayAcctNo"},
    {"FPayBankAcnt", host::kLock},
    {"FPayBank", "FFld", "FPayBank"},
    {"FPayBankAcnt", "FFld", "FPayBankAcnt"},
    {"FRecAcctID", "FFld", "FRecAcctID"},
    {"FRecAcctID", "FFND", "FRecAcctNo"},
    {"FRecAcctID", "FDSP", "FRecAcctNo"},
    {"FRecBank", "FFld", "FRecBank"},
    {"FRecBankAcnt", "FFld", "FRecBankAcnt"},
    {"FAmt", "FFld", "FAmt"},
    {"FFcyAmt", "FFld", "FFcyAmt"},
    {"FCyID", "FFld", "FCyID"},
    {"FCyID", "FFND", "FCyNo"},
    {"FCyID", "FDSP", "FCyName"},
    {"FCyID", "FDecimal", "FCyDecimal"},
    {"FCyID", host::kLock},
    {"FExchRate", "FFld", "FExchRate"},
    {"FExchRate", host::kLock},
    {"FPaySettDate", "FFld", "FPaySettDate"},
    {"FSource", "FFld", "FSource"},
};

struct DialogState {
  std::unique_ptr<dlgBalSum> instance;
};

}  // namespace

dlgBalSum::dlgBalSum() : ax::Form("dlgBalSum") {
  width = 5760;
  height = 4020;
  scaleWidth = 5640;
  scaleHeight = 3600;
  hasCloseButton = true;

  Place("Frame1", "Frame", 120, 60, 5400, 660);
  Place("optAcntSum", "OptionButton", 240, 300, 2100, 300);
  Place("chkTransDate", "CheckBox", 2640, 300, 2700, 300).value = 0;
  Place("Label1(2)", "Label", 240, 900, 1000, 255);
  Place("cboCy", "ComboBox", 1260, 840, 1560, 300);
  Place("Label1(4)", "Label", 3000, 900, 1000, 255);
  Place("cmbCyUnit", "ComboBox", 3960, 840, 1560, 300);
  Place("Label3", "Label", 240, 1380, 1000, 255);
  Place("txtStartAcct", "TextBox", 1260, 1320, 1260, 300);
  Place("btnLookup(0)", "CommandButton", 2520, 1320, 300, 300).caption = "...";
  Place("Label4", "Label", 3000, 1380, 400, 255);
  Place("txtEndAcct", "TextBox", 3420, 1320, 1800, 300);
  Place("btnLookup(1)", "CommandButton", 5220, 1320, 300, 300).caption = "...";
  Place("Label2", "Label", 240, 1860, 1000, 255);
  Place("CboBankOrFirm", "ComboBox", 1260, 1800, 1560, 300);
  Place("ChkEdit", "CheckBox", 3000, 1830, 2520, 300).value = 0;
  Place("Label7", "Label", 240, 2340, 1000, 255);
  Place("dtpSelDay", "DTPicker", 1260, 2280, 1560, 300);
  // Enter confirms, Esc cancels.
  Place("btnOK", "CommandButton", 3060, 3000, 1140, 375).isDefault = true;
  Place("btnCancel", "CommandButton", 4380, 3000, 1140, 375).isCancel = true;
}

dlgBalSum& dlgBalSum::Instance() {
  DialogState& state = ProcessWide<DialogState>();
  if (!state.instance) state.instance = std::make_unique<dlgBalSum>();
  return *state.instance;
}

void dlgBalSum::ApplyCaptions() {
  static const std::pair<const char*, const char*> kCaptions[] = {
      {"", N_("中心归集过滤条件")},       {"Frame1", N_("汇总方式")},
      {"optAcntSum", N_("按账号汇总")},   {"chkTransDate", N_("按业务日期查询")},
      {"Label1(2)", N_("币别：")},        {"Label3", N_("账号代码：")},
      {"Label4", N_("至：")},             {"Label1(4)", N_("金额单位：")},
      {"Label2", N_("账号选项：")},       {"ChkEdit", N_("包括未过账凭证")},
      {"Label7", N_("查询日期：")},       {"btnOK", N_("确定")},
      {"btnCancel", N_("取消")},
  };
  // A caption that cannot be set leaves the others to be set.
  for (const auto& entry : kCaptions) {
    // Plain variables: clang 14 cannot capture structured bindings in a lambda.
    const char* name = entry.first;
    const char* text = entry.second;
    TrapQuiet([&] {
      if (*name == '\0')
        caption = LoadPWString(text);
      else
        C(name).caption = LoadPWString(text);
    });
  }
}

void dlgBalSum::Form_Load() {
  try {
    keyPreview = true;
    ApplyCaptions();
    SetFormFont(*this);
    left = (ax::GetUi().ScreenWidth() - width) / 2;
    top = (ax::GetUi().ScreenHeight() - height) / 2;

    ax::Object profile = GetProfileObject();
    host::RefreshProfile(profile);
    int32_t startYear = ProfileLong(profile, "GL", "StartYear");
    int32_t startPeriod = ProfileLong(profile, "GL", "StartPeriod");

    // The query date cannot lie before the ledger's first period.
    ax::DateValue lowest = host::GLGetPeriodDate(profile, startYear, startPeriod);
    ax::DateValue today = ax::DateOnly(ax::GetUi().Now());
    ax::Control& selDay = C("dtpSelDay");
    selDay.minDate = lowest;
    selDay.value = today.serial > lowest.serial ? today : lowest;

    ax::Object currencies = ax::CreateObject(host::ProgId::CurrencyInfo)
                                .GetObj("GetList", {GetPropsString(), 2, "FCurrencyID>0", "FCurrencyID"});
    ax::Control& cboCy = C("cboCy");
    cboCy.Clear();
    ForEachRecord(currencies, [&] {
      cboCy.AddItem(host::FieldText(currencies, "FName"),
                    ax::CLng(host::Field(currencies, "FCurrencyID")));
    });
    if (cboCy.items.empty())
      throw ax::AutomationError(ax::err::kInvalidPropertyValue, "Invalid property value", "cboCy");
    cboCy.listIndex = 0;
    cboCy.text = cboCy.items.front().text;
    cboCy.enabled = false;
    m_CurrencyID = cboCy.items.front().itemData;

    ax::Control& bankOrFirm = C("CboBankOrFirm");
    bankOrFirm.Clear();
    bankOrFirm.AddItem(LoadPWString("银行账号"));
    bankOrFirm.listIndex = 0;
    bankOrFirm.text = bankOrFirm.items.front().text;
    bankOrFirm.enabled = false;

    ax::Control& unit = C("cmbCyUnit");
    unit.Clear();
    FillUnitCombo(unit);
    unit.listIndex = 0;
    unit.enabled = false;

    C("optAcntSum").value = true;
    C("optAcntSum").enabled = false;
  } catch (...) {
    // A dialog whose loading failed is not kept as loaded: the next showing loads it again
    // instead of offering an empty currency list.
    loaded = false;
    throw;
  }
}

void dlgBalSum::Form_KeyDown(int16_t& keyCode, int16_t& shift) {
  FormKeyDownHelp(keyCode, shift, kHelpContextID);
}

void dlgBalSum::Click(const std::string& control) {
  if (control == "btnOK")
    btnOK_Click();
  else if (control == "btnCancel")
    btnCancel_Click();
  else if (control == "btnLookup(0)")
    btnLookup_Click(0);
  else if (control == "btnLookup(1)")
    btnLookup_Click(1);
}

void dlgBalSum::btnCancel_Click() { Hide(); }

void dlgBalSum::btnLookup_Click(int32_t index) {
  ax::Object lookup = ax::CreateObject(host::ProgId::GLViewLookup);
  ax::Object result = lookup.GetObj("AcntLookup", {ax::omitted(), 0, 1});
  if (!ax::IsTrue(result.Get("ReturnOK"))) return;
  std::string code = ax::CStr(result.GetObj("ReturnObject").Get("Acct"));
  C(index == 0 ? "txtStartAcct" : "txtEndAcct").text = code;
}

void dlgBalSum::btnOK_Click() {
  TrapReport([&] {
    ax::Object items = BuildCollectionList();
    Hide();
    if (host::Count(items) == 0)
      ShowMessage(LoadPWString("没有满足自动中心归集的账号."), 64);
    else
      OpenCollectionBills(items);
  });
  Hide();
}

ax::Object dlgBalSum::GetAutoCollectAccounts() {
  ax::Object accounts = host::NewVector();
  ax::Object rs = ax::Object::FromVariantOrNothing(
      ax::CreateObject(host::ProgId::AcctInfo)
          .Get("GetAcctList", {GetPropsString(), 0,
                               " t_Acnt.FAutoTransfer = 1 and t_Account.FCurrencyID=1 ", ""}));
  host::FieldReader field(rs);
  ForEachRecord(rs, [&] {
    ax::Object account = host::NewDictionary();
    host::SetItem(account, "FAcntID", field("FID"));
    host::SetItem(account, "FPayAcctID", field("FAccountID"));
    host::SetItem(account, "FPayAcctNo", field("FNumber"));
    host::SetItem(account, "FPayBank", host::TextOf(field("FBank")));
    host::SetItem(account, "FPayBankAcnt", host::TextOf(field("FAcntNo")));
    host::SetItem(account, "FRecAcctID", field("FTransAcctID"));
    host::SetItem(account, "FRecAcctNo", field("FTransAcctNumber"));
    host::SetItem(account, "FRecBank", host::TextOf(field("FTransBank")));
    host::SetItem(account, "FRecBankAcnt", host::TextOf(field("FTransAcntNo")));
    host::SetItem(account, "FTransBound", field("FTransBound"));
    host::SetItem(account, "FTransMin", field("FTransMin"));
    host::SetItem(account, "FCyID", field("FCurrencyID"));
    host::SetItem(account, "FCyNo", field("FCurNumber"));
    host::SetItem(account, "FCyName", field("FCurName"));
    accounts.Call("Add", {account});
  });
  return accounts;
}

ax::Object dlgBalSum::GetAccountBalances() {
  ax::Object profile = GetProfileObject();
  int32_t startYear = ProfileLong(profile, "GL", "StartYear");
  int32_t startPeriod = ProfileLong(profile, "GL", "StartPeriod");
  ax::Variant startDate(host::GLGetPeriodDate(profile, startYear, startPeriod));
  ax::Variant endDate(ax::CDate(ax::Format(C("dtpSelDay").value, "YYYY-MM-DD")));
  ax::Variant firstCode(ax::Trim(C("txtStartAcct").text));
  ax::Variant lastCode(ax::Trim(C("txtEndAcct").text));
  ax::Variant includeUnposted(ax::VarEqual(C("ChkEdit").value, 1));
  ax::Variant byBusinessDate(ax::VarEqual(C("chkTransDate").value, 1));
  ax::Variant currencyID(m_CurrencyID);

  ax::Object ledger = ax::CreateObject(host::ProgId::LedgerSum);
  ax::Args args{GetPropsString(),      ax::ref(startDate), ax::ref(endDate),  "",
                "",                    ax::ref(firstCode), ax::ref(lastCode), ax::ref(currencyID),
                false,                 false,              ax::ref(includeUnposted), ax::omitted(),
                "1",                   ax::ref(byBusinessDate), true,         false};
  ax::Object rs =
      ax::Object::FromVariantOrNothing(ledger.CallArgs("GetBalSum", args, ax::kMethodOrGet));

  ax::Object balances = host::NewVector();
  host::FieldReader field(rs);
  ForEachRecord(rs, [&] {
    ax::Object entry = host::NewDictionary();
    host::SetItem(entry, "FAcntID", field("FClientID"));
    host::SetItem(entry, "FAccountNumber", field("FClientNumber"));
    host::SetItem(entry, "FAccountName", field("FClientName"));
    host::SetItem(entry, "FAccntSum", field("FAccntSum"));
    balances.Call("Add", {entry});
  });

  ax::Variant list = balances.AsVariant();
  ax::Args allArgs{GetPropsString(), ax::ref(list), firstCode, lastCode};
  ledger.CallArgs("GetAllAcnt", allArgs);
  ax::Object completed = ax::Object::FromVariantOrNothing(list);
  return completed.IsNothing() ? host::NewVector() : completed;
}

ax::Object dlgBalSum::BuildCollectionList() {
  ax::Object accounts = GetAutoCollectAccounts();
  ax::Variant queryDate(ax::DateOnly(ax::CDate(C("dtpSelDay").value)));
  ax::Object balances = GetAccountBalances();

  // The first balance entry of every account id, found in one pass over the balances: a search
  // per account would make the plug-in quadratic in the size of the centre.
  std::unordered_map<double, ax::Object> firstBalance;
  for (int32_t i = 1, n = host::Count(balances); i <= n; ++i) {
    ax::Object entry = balances.ItemObj(i);
    if (std::optional<double> id = NumericKey(entry.Item("FAcntID"))) firstBalance.try_emplace(*id, entry);
  }

  ax::Object items = host::NewVector();
  ax::Object acctInfo = ax::CreateObject(host::ProgId::AcctInfo);
  // The context string does not change during one run: read once, not twice per account.
  std::string context = GetPropsString();
  for (int32_t i = 1, n = host::Count(accounts); i <= n; ++i) {
    ax::Object account = accounts.ItemObj(i);
    auto found = firstBalance.find(static_cast<double>(ax::CLng(account.Item("FAcntID"))));
    if (found == firstBalance.end()) continue;
    const ax::Object& balance = found->second;

    // Pending transfers of the member account still change what it holds.
    ax::Variant payAcct = account.Item("FPayAcctID");
    double amount = ax::CDbl(ax::Sub(balance.Item("FAccntSum"), account.Item("FTransBound")));
    amount = ax::CDbl(
        ax::Sub(amount, acctInfo.Get("GetScTransferSum", {context, payAcct, "PAY"})));
    amount = ax::CDbl(
        ax::Add(amount, acctInfo.Get("GetScTransferSum", {context, payAcct, "REC"})));

    // A Null minimum is no minimum reached.
    int order = 0;
    if (ax::Compare(amount, account.Item("FTransMin"), order).isNull() || order < 0) continue;

    ax::Object item = host::NewDictionary();
    for (const char* key : {"FPayAcctID", "FPayAcctNo", "FPayBank", "FPayBankAcnt", "FRecAcctID",
                            "FRecAcctNo", "FRecBank", "FRecBankAcnt", "FCyID", "FCyNo", "FCyName"})
      host::SetItem(item, key, account.Item(key));
    host::SetItem(item, "FCyDecimal", ax::Variant::integer(2));
    host::SetItem(item, "FExchRate", ax::Variant::integer(1));
    host::SetItem(item, "FAmt", amount);
    host::SetItem(item, "FFcyAmt", amount);
    host::SetItem(item, "FPaySettDate", queryDate);
    host::SetItem(item, "FSource", ax::Variant::integer(host::kSourceCentreCollection));
    items.Call("Add", {item});
  }
  return items;
}

void dlgBalSum::OpenCollectionBills(const ax::Object& items) {
  for (int32_t i = 1; i <= host::Count(items); ++i) {
    ax::Object dataService, manager;
    host::NewBillWindow(host::kTransferClassTypeID, dataService, manager);
    ax::Object bill = BuildTransferBill(dataService, items.ItemObj(i));
    // The next bill opens when the user is done with this window.
    host::ShowBill(manager, bill);
    manager.Reset();
    dataService.Reset();
  }
}

ax::Object dlgBalSum::BuildTransferBill(const ax::Object& dataService, const ax::Object& item) {
  host::PrefilledBill bill(dataService, item);
  SetCentreDate(bill);
  bill.Fill(kCollectionBill);
  return bill.Bill();
}

}  // namespace sc
