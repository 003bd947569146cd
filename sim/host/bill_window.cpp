#include "sim/host/bill_window.h"

#include <cstdio>

#include "automation/error.h"
#include "plugin/plugin_class.h"
#include "sim/host/call_check.h"

namespace sim {

namespace {

bool IsNumberText(std::string_view s) {
  std::string t = ax::Trim(s);
  if (t.empty()) return false;
  size_t i = 0;
  if (t[0] == '-' || t[0] == '+') i = 1;
  bool digit = false, point = false;
  for (; i < t.size(); ++i) {
    if (t[i] >= '0' && t[i] <= '9') digit = true;
    else if (t[i] == '.' && !point) point = true;
    else return false;
  }
  return digit;
}

bool IsBlank(const ax::Variant& v) {
  return v.isEmpty() || v.isNull() || v.isMissing() || (v.isString() && ax::Trim(v.asString()).empty());
}

// The id held by a base-data value, when it is one.
std::optional<int64_t> IdOf(const ax::Variant& v) {
  if (v.isNumeric()) return static_cast<int64_t>(ax::CDbl(v));
  if (v.isString() && IsNumberText(v.asString())) return static_cast<int64_t>(ax::Val(v.asString()));
  return std::nullopt;
}

BillWindow::BaseKind BaseKindOf(std::string_view key) {
  using K = BillWindow::BaseKind;
  if (ax::EqualsNoCase(key, "FPayAcctID") || ax::EqualsNoCase(key, "FRecAcctID")) return K::Account;
  if (ax::EqualsNoCase(key, "FCyID")) return K::Currency;
  if (ax::EqualsNoCase(key, "FPreparerID") || ax::EqualsNoCase(key, "FCheckerID") ||
      ax::EqualsNoCase(key, "FReCheckerID"))
    return K::User;
  if (ax::EqualsNoCase(key, "FVoucherID")) return K::Voucher;
  return K::None;
}

bool IsNumericType(const std::string& type) {
  std::string t = ax::UCase(type);
  return t.find("INT") != std::string::npos || t.find("REAL") != std::string::npos ||
         t.find("NUM") != std::string::npos || t.find("DEC") != std::string::npos ||
         t.find("FLOA") != std::string::npos || t.find("DOUB") != std::string::npos;
}

ax::Variant ParseDefault(const ax::Variant& raw) {
  if (!raw.isString()) return raw.isNull() ? ax::Variant() : raw;
  std::string s = raw.asString();
  if (s.size() >= 2 && s.front() == '\'' && s.back() == '\'') return s.substr(1, s.size() - 2);
  if (IsNumberText(s)) {
    if (s.find('.') == std::string::npos) return ax::Variant(static_cast<int64_t>(ax::Val(s)));
    return ax::Val(s);
  }
  return {};
}

// The value a field is stored with.
ax::Variant ToDbValue(const BillWindow::Field& f) {
  bool blank = f.value.isEmpty() || f.value.isNull() ||
               (f.value.isString() && f.value.asString().empty() && IsNumericType(f.column.type));
  if (!blank) return f.value;
  if (f.column.notNull) {
    if (!f.column.dflt.isEmpty()) return f.column.dflt;
    return IsNumericType(f.column.type) ? ax::Variant(int32_t{0}) : ax::Variant(std::string());
  }
  return ax::Variant::null();
}

template <class T>
std::shared_ptr<T> Alive(const std::weak_ptr<T>& weak) {
  auto p = weak.lock();
  if (!p) throw ax::Error(ax::err::kObjectNotSet, "Bill");
  return p;
}

[[noreturn]] void UnknownField(std::string_view key, const char* member) {
  throw ax::AutomationError(ax::err::kInvalidCall,
                            ax::StandardDescription(ax::err::kInvalidCall) + " (no field " +
                                std::string(key) + ")",
                            std::string("Bill.") + member);
}

}  // namespace

std::shared_ptr<Dictionary> TransferClassType(Database& db) {
  auto d = NewDictionary();
  Rows rows = db.QueryNative(
      "SELECT FClassTypeID, FName, FBillNoField, FTableName, FObjectType, FObjectID FROM t_ClassType "
      "WHERE FClassTypeID=?",
      {kTransferClassTypeId});
  if (rows.data.empty()) {
    d->Set("FClassTypeID", kTransferClassTypeId);
    d->Set("FName", "划拨单");
    d->Set("BillNoField", "FBillNo");
    d->Set("FTableName", "t_scTransfer");
    return d;
  }
  const auto& r = rows.data[0];
  d->Set("FClassTypeID", r[0]);
  d->Set("FName", r[1]);
  d->Set("BillNoField", r[2]);
  d->Set("FTableName", r[3]);
  d->Set("FObjectType", r[4]);
  d->Set("FObjectID", r[5]);
  return d;
}

std::vector<ColumnInfo> TransferColumns(Database& db) {
  std::vector<ColumnInfo> out;
  Rows rows = db.QueryNative("PRAGMA table_info(t_scTransfer)");
  size_t name = rows.ColumnIndex("name"), type = rows.ColumnIndex("type"),
         notnull = rows.ColumnIndex("notnull"), dflt = rows.ColumnIndex("dflt_value");
  for (const auto& r : rows.data) {
    ColumnInfo c;
    c.name = ax::CStr(r[name]);
    c.type = ax::DisplayText(r[type]);
    c.notNull = ax::CLng(r[notnull]) != 0;
    c.dflt = ParseDefault(r[dflt]);
    out.push_back(std::move(c));
  }
  return out;
}

// ---- construction -----------------------------------------------------------------------------

BillWindow::BillWindow(Host& host, int32_t userId)
    : HostObject(host, "Bill", "BillInterface"), Window(host, "划拨单"), userId_(userId) {
  for (auto& c : TransferColumns(host.Db())) {
    Field f;
    f.key = c.name;
    f.base = BaseKindOf(c.name);
    f.column = std::move(c);
    fields_.push_back(std::move(f));
  }
  params_ = NewDictionary();
  lmLib_ = std::make_shared<DataLibrary>(host, userId);
  Menu().AddHostBand("mnuFile", 0, {{"mnuFileSave", "保存"}, {"mnuFilePreview", "打印预览"}});
  Menu().AddHostBand("mnuEdit", 0,
                     {{"mnuEditAddRow", "增加分录"},
                      {"mnuEditDelRow", "删除分录"},
                      {"mnuEditCheck", "单据检查"},
                      {"mnuDataLookUp", "查看代码"}});
  Menu().AddHostBand("mnuData", 0, {{"mnuDataLookUp", "查看代码"}, {"mnuStockQuery", "库存查询"}});
  Menu().AddHostBand("BandToolBar", 1,
                     {{"mnuFileSave", "保存"},
                      {"mnuFilePreview", "打印预览"},
                      {"mnuEditCheck", "单据检查"},
                      {"mnuDataLookUp", "查看代码"},
                      {"mnuEditAddRow", "增加分录"},
                      {"mnuEditDelRow", "删除分录"}});
  InstallMembers();
}

BillWindow::~BillWindow() = default;

bool BillWindow::Supports(std::string_view interfaceName) const {
  return ax::EqualsNoCase(interfaceName, sc::kBillInterface);
}

std::unique_ptr<ax::Connection> BillWindow::Advise(ax::EventSink& sink) { return Connect(sink); }

void BillWindow::InstallMembers() {
  // GetFieldValue(key, row, kind) and SetFieldValue(key, value, row): three arguments, the key
  // as text, the row a number (the head is read with -1 and also 0 and 1; the window ignores
  // the row of a head field), the kind 1 (stored value), 2 (look-up text) or 3 (display text).
  Method("GetFieldValue", [this](ax::Args& a) -> ax::Variant {
    CallCheck(host(), "BillInterface.GetFieldValue", a)
        .Count(3).Kind(0, ax::VarType::String).Numeric(1).NumberOneOf(2, {1, 2, 3});
    return FieldValue(ArgText(a, 0), ax::CLng(ax::ArgAt(a, 2)));
  });
  Method("SetFieldValue", [this](ax::Args& a) -> ax::Variant {
    CallCheck(host(), "BillInterface.SetFieldValue", a).Count(3).Kind(0, ax::VarType::String).Numeric(2);
    std::string key = ArgText(a, 0);
    Field* f = FindField(key);
    if (!f) UnknownField(key, "SetFieldValue");
    StoreValue(*f, ax::ArgAt(a, 1).isMissing() ? ax::Variant() : ax::ArgAt(a, 1));
    if (!opening_) changed = true;
    return {};
  });
  Property("LmLib", [this]() -> ax::Variant { return ax::DispatchPtr(lmLib_); });
  Member("ClassType", [this](unsigned, ax::Args& a) -> ax::Variant {
    auto ct = TransferClassType(host().Db());
    if (ArgGiven(a, 0)) return ct->Get(ArgText(a, 0));
    return ax::DispatchPtr(ct);
  });
  Property("BillStatus", [this]() -> ax::Variant { return billStatus; },
           [this](const ax::Variant& v) { billStatus = ax::CLng(v); });
  Property("EditStatus", [this]() -> ax::Variant { return editStatus; });
  Property("IsDataChanged", [this]() -> ax::Variant { return changed; });
  Method("ReloadBill", [this](ax::Args&) -> ax::Variant {
    Reload();
    return {};
  });
  Method("GetFieldInfoByKey", [this](ax::Args& a) -> ax::Variant {
    std::string key = ArgText(a, 0);
    Field* f = FindField(key);
    if (!f) UnknownField(key, "GetFieldInfoByKey");
    return ax::DispatchPtr(FieldDescription(*f));
  });
  Method("GetDataFld", [this](ax::Args& a) -> ax::Variant {
    return ax::DispatchPtr(FieldData(FieldFromDescription(ax::ArgAt(a, 0))));
  });
  Method("SetFieldInfo", [this](ax::Args& a) -> ax::Variant {
    Field& f = FieldFromDescription(ax::ArgAt(a, 0));
    const ax::Variant& v = ax::ArgAt(a, 1);
    int32_t flag = ArgLong(a, 2, 0);
    bool isValue = flag == 1 || (flag == 0 && (v.isNumeric() || v.isEmpty() ||
                                               (v.isString() && IsNumberText(v.asString()))));
    if (isValue) {
      StoreValue(f, v.isMissing() ? ax::Variant() : v);
    } else {
      f.text = ax::DisplayText(v);
      if (f.base != BaseKind::None) f.code = f.text;
    }
    if (!opening_) changed = true;
    return {};
  });
  Property("BillForm", [this]() -> ax::Variant { return MakeBillForm(); });
  Property("BillParams", [this]() -> ax::Variant { return ax::DispatchPtr(params_); });
  Property("MenuBar", [this]() -> ax::Variant { return ax::DispatchPtr(MenuPtr()); });
  Property("oMenuBar", [this]() -> ax::Variant { return ax::DispatchPtr(MenuPtr()); });
  Method("SetToolProperty", [this](ax::Args& a) -> ax::Variant {
    std::string key = ArgText(a, 0);
    auto tool = Menu().FindTool(key);
    if (!tool)
      throw ax::AutomationError(ax::err::kInvalidCall,
                                ax::StandardDescription(ax::err::kInvalidCall) + " (no tool " + key + ")",
                                "Bill.SetToolProperty");
    tool->SetProperty(ArgText(a, 1), ax::ArgAt(a, 2));
    return {};
  });
  Member("FieldControls", [this](unsigned, ax::Args& a) -> ax::Variant {
    ax::DispatchPtr controls = MakeFieldControls();
    if (ArgGiven(a, 0)) {
      ax::Args item{ax::Arg(ax::ArgAt(a, 0))};
      return controls->Invoke("Item", ax::kMethodOrGet, item);
    }
    return controls;
  });
  Property("hwnd", [this]() -> ax::Variant { return static_cast<int32_t>(Hwnd()); });
}

ax::DispatchPtr BillWindow::MakeBillForm() {
  std::weak_ptr<BillWindow> weak = std::static_pointer_cast<BillWindow>(shared_from_this());
  auto form = std::make_shared<BasicObject>(host(), "Bill", "BillForm");
  form->Property("BillStatus", [weak]() -> ax::Variant { return Alive(weak)->billStatus; },
                 [weak](const ax::Variant& v) { Alive(weak)->billStatus = ax::CLng(v); });
  form->Method("GetFieldInfoByKey", [weak](ax::Args& a) -> ax::Variant {
    auto w = Alive(weak);
    std::string key = ArgText(a, 0);
    Field* f = w->FindField(key);
    if (!f) UnknownField(key, "GetFieldInfoByKey");
    return ax::DispatchPtr(w->FieldDescription(*f));
  });
  form->Method("GetDataFld", [weak](ax::Args& a) -> ax::Variant {
    auto w = Alive(weak);
    return ax::DispatchPtr(w->FieldData(w->FieldFromDescription(ax::ArgAt(a, 0))));
  });
  return form;
}

ax::DispatchPtr BillWindow::MakeFieldControls() {
  std::weak_ptr<BillWindow> weak = std::static_pointer_cast<BillWindow>(shared_from_this());
  Host* h = &host();
  auto control = [weak, h](const std::string& key) {
    auto c = std::make_shared<BasicObject>(*h, "Bill", "FieldControl");
    c->Property("Key", [key]() -> ax::Variant { return key; });
    c->Property(
        "Locked",
        [weak, key]() -> ax::Variant {
          Field* f = Alive(weak)->FindField(key);
          if (!f) UnknownField(key, "Locked");
          return f->locked;
        },
        [weak, key](const ax::Variant& v) {
          Field* f = Alive(weak)->FindField(key);
          if (!f) UnknownField(key, "Locked");
          f->locked = ax::CBool(v);
        });
    return c;
  };
  auto page = [weak, h, control]() {
    auto p = std::make_shared<BasicObject>(*h, "Bill", "FieldPage");
    p->Member("Item", [weak, control](unsigned, ax::Args& a) -> ax::Variant {
      std::string key = ArgText(a, 0);
      Field* f = Alive(weak)->FindField(key);
      if (!f) UnknownField(key, "FieldControls");
      return ax::DispatchPtr(control(f->key));
    });
    p->Property("Count", [weak]() -> ax::Variant {
      return static_cast<int32_t>(Alive(weak)->fields_.size());
    });
    return p;
  };
  auto controls = std::make_shared<BasicObject>(*h, "Bill", "FieldControls");
  controls->Member("Item", [page](unsigned, ax::Args& a) -> ax::Variant {
    if (ArgLong(a, 0, 0) != 1) throw ax::Error(ax::err::kSubscript, "FieldControls");
    return ax::DispatchPtr(page());
  });
  controls->Property("Count", []() -> ax::Variant { return 1; });
  return controls;
}

// ---- data -------------------------------------------------------------------------------------

BillWindow::Field* BillWindow::FindField(std::string_view key) {
  for (auto& f : fields_)
    if (ax::EqualsNoCase(f.key, key)) return &f;
  return nullptr;
}

BillWindow::Field& BillWindow::FieldOrFail(std::string_view key) {
  Field* f = FindField(key);
  if (!f) throw HostCommandError("the transfer bill has no field " + std::string(key));
  return *f;
}

ax::Variant BillWindow::FieldValue(std::string_view key, int32_t kind) {
  Field* f = FindField(key);
  if (!f) UnknownField(key, "GetFieldValue");
  if (kind == 1) return f->value;
  if (f->base != BaseKind::None) return kind == 2 ? f->code : f->text;
  if (f->value.isEmpty() || f->value.isNull()) return std::string();
  return ax::DisplayText(f->value);
}

std::optional<int32_t> BillWindow::Fid() const {
  for (const auto& f : fields_) {
    if (f.key == "FID") {
      auto id = IdOf(f.value);
      if (id && *id > 0) return static_cast<int32_t>(*id);
      return std::nullopt;
    }
  }
  return std::nullopt;
}

void BillWindow::Resolve(Field& f) {
  f.code.clear();
  f.text.clear();
  if (f.base == BaseKind::None || f.value.isEmpty()) return;
  Database& db = host().Db();
  auto id = IdOf(f.value);
  switch (f.base) {
    case BaseKind::Account: {
      if (!id) break;
      Rows r = db.QueryNative("SELECT FNumber FROM t_Acnt WHERE FID=?", {ax::Variant(*id)});
      f.code = f.text = r.data.empty() ? ax::DisplayText(f.value) : ax::DisplayText(r.data[0][0]);
      break;
    }
    case BaseKind::Currency: {
      if (!id) break;
      Rows r = db.QueryNative("SELECT FNumber, FName FROM t_Currency WHERE FCurrencyID=?",
                              {ax::Variant(*id)});
      if (r.data.empty()) {
        f.code = f.text = ax::DisplayText(f.value);
      } else {
        f.code = ax::DisplayText(r.data[0][0]);
        f.text = ax::DisplayText(r.data[0][1]);
      }
      break;
    }
    case BaseKind::User:
      if (id) f.code = f.text = host().UserName(static_cast<int32_t>(*id));
      break;
    case BaseKind::Voucher: {
      if (!id) break;
      Rows r = db.QueryNative("SELECT FWord, FNumber FROM t_Voucher WHERE FVoucherID=?",
                              {ax::Variant(*id)});
      if (!r.data.empty()) {
        std::string word = r.data[0][0].isNull() ? "记" : ax::DisplayText(r.data[0][0]);
        f.code = f.text = word + "-" + ax::DisplayText(r.data[0][1]);
      }
      break;
    }
    case BaseKind::None:
      break;
  }
}

void BillWindow::StoreValue(Field& f, const ax::Variant& value) {
  if (f.base == BaseKind::None) {
    f.value = value.isNull() ? ax::Variant() : value;
    return;
  }
  if (IsBlank(value)) {
    f.value = ax::Variant();
    Resolve(f);
    return;
  }
  Database& db = host().Db();
  auto id = IdOf(value);
  std::string text = ax::DisplayText(value);
  switch (f.base) {
    case BaseKind::Account:
    case BaseKind::Currency: {
      // By code first, then by id; a code the host does not know is shown as typed, with no id
      // behind it.
      const bool account = f.base == BaseKind::Account;
      const std::string table = account ? "t_Acnt" : "t_Currency";
      const std::string key = account ? "FID" : "FCurrencyID";
      const std::string select = "SELECT " + key + " FROM " + table + " WHERE ";
      Rows r = db.QueryNative(select + "FNumber=?", {ax::Trim(text)});
      if (r.data.empty() && id) r = db.QueryNative(select + key + "=?", {ax::Variant(*id)});
      if (r.data.empty()) {
        f.value = ax::Variant();
        f.code = f.text = text;
        return;
      }
      f.value = r.data[0][0];
      break;
    }
    case BaseKind::User: {
      if (id && *id == 0) {
        f.value = ax::Variant();
      } else if (id) {
        f.value = ax::Variant(*id);
      } else {
        Rows r = db.QueryNative("SELECT FUserID FROM t_User WHERE FName=?", {text});
        f.value = r.data.empty() ? ax::Variant(text) : r.data[0][0];
      }
      break;
    }
    case BaseKind::Voucher:
      f.value = id ? (*id == 0 ? ax::Variant() : ax::Variant(*id)) : ax::Variant(text);
      break;
    case BaseKind::None:
      break;
  }
  Resolve(f);
}

std::shared_ptr<Dictionary> BillWindow::FieldDescription(const Field& f) {
  auto d = NewDictionary();
  d->Set("FKey", f.key);
  d->Set("FFieldName", f.key);
  d->Set("FTableName", "t_scTransfer");
  d->Set("FLock", f.locked ? 1 : 0);
  return d;
}

std::shared_ptr<Dictionary> BillWindow::FieldData(const Field& f) {
  auto d = NewDictionary();
  d->Set("FKey", f.key);
  d->Set("FFLD", f.value);
  d->Set("FFND", f.base != BaseKind::None ? f.code : ax::DisplayText(f.value));
  d->Set("FDSP", f.base != BaseKind::None ? f.text : ax::DisplayText(f.value));
  return d;
}

BillWindow::Field& BillWindow::FieldFromDescription(const ax::Variant& description) {
  std::string key;
  if (description.isObject() && description.asObject()) {
    if (auto d = std::dynamic_pointer_cast<Dictionary>(description.asObject()))
      key = ax::DisplayText(d->Get("FKey"));
    else
      key = ax::CStr(ax::Object(description).Item("FKey"));
  } else if (description.isString()) {
    key = description.asString();
  } else {
    throw ax::Error(ax::err::kTypeMismatch, "Bill.GetDataFld");
  }
  Field* f = FindField(key);
  if (!f) UnknownField(key, "GetDataFld");
  return *f;
}

// ---- opening and loading ----------------------------------------------------------------------

void BillWindow::LoadRow(int32_t fid) {
  Rows rows = host().Db().QueryNative("SELECT * FROM t_scTransfer WHERE FID=?", {fid});
  if (rows.data.empty())
    throw ax::AutomationError(ax::err::kInvalidCall, "the transfer bill " + std::to_string(fid) +
                                                         " does not exist",
                              "Bill");
  for (auto& f : fields_) {
    size_t i = rows.ColumnIndex(f.key);
    ax::Variant v = i == std::string::npos ? ax::Variant() : rows.data[0][i];
    if (v.isNull()) v = ax::Variant();
    if (f.base != BaseKind::None && v.isNumeric() && ax::CDbl(v) == 0) v = ax::Variant();
    f.value = v;
    f.locked = false;
    Resolve(f);
  }
}

void BillWindow::NewDefaults() {
  std::string today = ax::FormatDate(host().Today(), "yyyy-mm-dd");
  for (auto& f : fields_) {
    f.locked = false;
    if (f.key == "FID" || f.base != BaseKind::None) {
      f.value = ax::Variant();
    } else if (f.key == "FDate" || f.key == "FPaySettDate") {
      f.value = today;
    } else {
      f.value = f.column.dflt;
    }
    Resolve(f);
  }
  if (Field* preparer = FindField("FPreparerID")) StoreValue(*preparer, userId_);
}

void BillWindow::Open(const BillOpening& opening) {
  opening_ = true;
  if (opening.params) params_ = opening.params;
  if (opening.fid) {
    LoadRow(*opening.fid);
    billStatus = 2;
    editStatus = 2;
  } else {
    NewDefaults();
    for (const auto& p : opening.fields) {
      Field* f = FindField(p.key);
      if (!f) throw ax::AutomationError(ax::err::kInvalidCall, "no field " + p.key, "Bill");
      if (p.value) StoreValue(*f, *p.value);
      if (p.code) f->code = *p.code;
      if (p.text) f->text = *p.text;
      f->locked = p.locked;
    }
    billStatus = 1;
    editStatus = 1;
  }
  AttachPlugin(sc::kProgIdBill, shared_from_this());
  ax::Args init{ax::Arg(ax::Variant(ax::DispatchPtr(MenuPtr())))};
  Raise("MenuBarInitialize", init);
  if (opening.fid) {
    RaiseLoadEvents();
  } else {
    ax::Args none;
    Raise("AfterNewBill", none);
  }
  changed = !opening.fid && !opening.fields.empty();
  opening_ = false;
}

void BillWindow::RaiseLoadEvents() {
  bool wasOpening = opening_;
  opening_ = true;
  ax::Args none;
  Raise("BeforLoadBillFillData", none);
  ax::Args none2;
  Raise("AfterLoadBill", none2);
  opening_ = wasOpening;
}

void BillWindow::Reload() {
  auto fid = Fid();
  if (!fid) {
    host().Note(Channel::Host, "window " + std::to_string(Number()) +
                                  ": reload of a bill never saved shows it unchanged");
    return;
  }
  LoadRow(*fid);
  changed = false;
  host().Note(Channel::Host, "window " + std::to_string(Number()) + ": bill reloaded");
  RaiseLoadEvents();
}

void BillWindow::LoadOther(int32_t fid) {
  LoadRow(fid);
  editStatus = 2;
  changed = false;
  host().Note(Channel::Window, "window " + std::to_string(Number()) + ": shows bill " +
                                  ax::DisplayText(FindField("FBillNo")->value));
  RaiseLoadEvents();
}

void BillWindow::NewHere() {
  NewDefaults();
  billStatus = 1;
  editStatus = 1;
  changed = false;
  host().Note(Channel::Window, "window " + std::to_string(Number()) + ": shows a new bill");
  ax::Args none;
  Raise("AfterNewBill", none);
}

// ---- what the user does -----------------------------------------------------------------------

void BillWindow::Edit(const std::string& key, const std::string& text) {
  Field& f = FieldOrFail(key);
  if (f.locked) throw HostCommandError("the field " + f.key + " is locked");
  int32_t col = 1;
  for (size_t i = 0; i < fields_.size(); ++i)
    if (&fields_[i] == &f) col = static_cast<int32_t>(i + 1);
  host().Note(Channel::Host, "window " + std::to_string(Number()) + ": the user types \"" + text +
                                "\" into " + f.key);
  auto dct = NewDictionary();
  dct->Set("FKey", key);
  ax::Args begin{ax::Arg(ax::Variant(ax::DispatchPtr(dct))), ax::Arg(col), ax::Arg(int32_t{-1})};
  Raise("BeginEdit", begin);
  editKey_ = key;
  Field before = f;
  StoreValue(f, ax::Variant(text));
  changed = true;
  auto dctFld = FieldData(f);
  ax::Variant cancel(false);
  ax::Args change{ax::Arg(ax::Variant(ax::DispatchPtr(dct))), ax::Arg(ax::Variant(ax::DispatchPtr(dctFld))),
                  ax::Arg(col), ax::Arg(int32_t{-1}), ax::Arg::byRef(cancel)};
  Raise("Change", change);
  if (ax::IsTrue(cancel)) {
    Field* now = FindField(key);
    if (now) *now = before;
    host().Note(Channel::Host, "window " + std::to_string(Number()) + ": the change of " + f.key +
                                  " was cancelled");
  }
}

void BillWindow::Lookup(const std::string& key) {
  Field& f = FieldOrFail(key);
  int32_t col = 1;
  for (size_t i = 0; i < fields_.size(); ++i)
    if (&fields_[i] == &f) col = static_cast<int32_t>(i + 1);
  auto dct = NewDictionary();
  dct->Set("FKey", key);
  ax::Args begin{ax::Arg(ax::Variant(ax::DispatchPtr(dct))), ax::Arg(col), ax::Arg(int32_t{-1})};
  Raise("BeginEdit", begin);
  editKey_ = key;
  Click("mnuDataLookUp");
}

void BillWindow::RunHostCommand(const std::string& toolKey) {
  if (ax::EqualsNoCase(toolKey, "mnuFileSave")) {
    Save();
  } else if (ax::EqualsNoCase(toolKey, "mnuDataLookUp")) {
    host().Note(Channel::Host, "window " + std::to_string(Number()) + ": the host's look-up for " +
                                  (editKey_.empty() ? std::string("no field") : editKey_));
    host().RecordCall("lookup", {editKey_});
  } else {
    host().Note(Channel::Host, "window " + std::to_string(Number()) + ": host command " + toolKey);
    host().RecordCall("command", {toolKey});
  }
}

void BillWindow::Save() {
  ax::Variant cancel(false);
  ax::Args before{ax::Arg::byRef(cancel)};
  bool ok = Raise("BeforeSave", before);
  lastCancelled = ax::IsTrue(cancel);
  if (!ok) return;
  if (lastCancelled) {
    host().Note(Channel::Host, "window " + std::to_string(Number()) + ": save cancelled by the plug-in");
    return;
  }
  Database& db = host().Db();
  auto fid = Fid();
  std::vector<ax::Variant> values;
  std::string names, marks, sets;
  for (const auto& f : fields_) {
    if (f.key == "FID") continue;
    if (!names.empty()) {
      names += ",";
      marks += ",";
      sets += ",";
    }
    names += f.key;
    marks += "?";
    sets += f.key + "=?";
    values.push_back(ToDbValue(f));
  }
  if (fid) {
    values.push_back(*fid);
    db.ExecNative("UPDATE t_scTransfer SET " + sets + " WHERE FID=?", values);
  } else {
    db.ExecNative("INSERT INTO t_scTransfer (" + names + ") VALUES (" + marks + ")", values);
    int64_t id = db.LastInsertId();
    Field* no = FindField("FBillNo");
    if (no && (no->value.isEmpty() || ax::DisplayText(no->value).empty())) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "HB%06lld", static_cast<long long>(id));
      no->value = std::string(buf);
      db.ExecNative("UPDATE t_scTransfer SET FBillNo=? WHERE FID=?", {no->value, ax::Variant(id)});
    }
    FindField("FID")->value = ax::Variant(id);
    editStatus = 2;
    if (billStatus == 1) billStatus = 2;
  }
  changed = false;
  host().Note(Channel::Host, "window " + std::to_string(Number()) + ": saved bill " +
                                ax::DisplayText(FindField("FBillNo")->value) + " (FID " +
                                ax::DisplayText(FindField("FID")->value) + ")");
  ax::Variant after(false);
  ax::Args afterArgs{ax::Arg::byRef(after)};
  Raise("AfterSave", afterArgs);
}

std::string BillWindow::DescribeFields() const {
  std::string out;
  for (const auto& f : fields_) {
    if (!out.empty()) out += "\n";
    out += f.key + " = " + ax::DisplayText(f.value);
    if (f.base != BaseKind::None && (!f.text.empty() || !f.code.empty())) {
      out += " (" + f.text;
      if (f.code != f.text) out += ", code " + f.code;
      out += ")";
    }
    if (f.locked) out += " [locked]";
  }
  return out;
}

}  // namespace sim
