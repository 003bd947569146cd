// The host's class data service and single-bill window manager, as the collection functions use
// them to open prefilled new transfer bills.
//
// LmClassTpl.DataSrv
//   ClassTypeID (get/put)   the bill class; only the transfer bill (1006007) is known
//   ClassType / ClassType(key)   the class description
//   ClassTypeEntry(1)       the head entry with FTableName; without index a vector of entries
//   GetEmptyBill            a new bill: a dictionary whose "Page1" holds one entry per head
//                           field, keyed by the field's position (as text); each entry has FKey,
//                           FFld (stored value), FFND (code), FDSP (display text) and FDecimal.
//                           FFld is Empty but for FDate and FPaySettDate, which hold today.
//   TableInfo               the field descriptions: "Map" maps a field key to the field's
//                           position (a Long), and each position (as text) to the field's
//                           entry with FKey, FFieldName, FTableName and FLock (1: locked). The
//                           same object on every call, so locks set on it stay.
//   TableInfo(fieldKey)     the entry of one field
// LmSingleClassBill.ClassInfoManager
//   dataSrv (put/putref)    the data service of the bill to show
//   FormShowStatus          how the window opens (1: a new bill)
//   Show(, , , bill)        opens a new bill window with the transfer-bill plug-in attached,
//                           prefilled from the bill's Page1 entries (value, code, display text)
//                           and with the fields the data service marks FLock locked; a top-level
//                           "FRecSettID" of the bill goes into the window's BillParams. Returns
//                           when the window is open.
//   hwnd                    the window opened by Show (0 before)
#include <string>
#include <vector>

#include "automation/error.h"
#include "sim/host/bill_window.h"
#include "sim/host/call_check.h"
#include "sim/host/collections.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"

namespace sim {

namespace {

std::shared_ptr<Dictionary> AsDictionary(const ax::Variant* v, const std::string& what) {
  std::shared_ptr<Dictionary> d;
  if (v && v->isObject()) d = std::dynamic_pointer_cast<Dictionary>(v->asObject());
  if (!d)
    throw ax::AutomationError(ax::err::kTypeMismatch,
                              ax::StandardDescription(ax::err::kTypeMismatch) + " (" + what + ")",
                              "ClassInfoManager");
  return d;
}

bool Given(const ax::Variant* v) { return v && !v->isEmpty() && !v->isMissing(); }

class DataSrv : public HostObject {
 public:
  explicit DataSrv(Host& host) : HostObject(host, "LmClassTpl.DataSrv", "DataSrv") {
    Property("ClassTypeID", [this] { return ax::Variant(classTypeId_); },
             [this](const ax::Variant& v) { Load(ax::CLng(v)); });
    Member("ClassType", [this](unsigned, ax::Args& args) -> ax::Variant {
      Require();
      if (!ArgGiven(args, 0)) return ax::DispatchPtr(classType_);
      return classType_->Get(ArgText(args, 0));
    });
    Member("ClassTypeEntry", [this](unsigned, ax::Args& args) -> ax::Variant {
      Require();
      if (!ArgGiven(args, 0)) {
        auto entries = NewVector();
        entries->Add(ax::DispatchPtr(entry_));
        return ax::DispatchPtr(entries);
      }
      if (ArgLong(args, 0) != 1) throw ax::Error(ax::err::kSubscript, "DataSrv.ClassTypeEntry");
      return ax::DispatchPtr(entry_);
    });
    Method("GetEmptyBill", [this](ax::Args&) -> ax::Variant { return ax::DispatchPtr(EmptyBill()); });
    Member("TableInfo", [this](unsigned, ax::Args& args) -> ax::Variant {
      Require();
      if (!ArgGiven(args, 0)) return ax::DispatchPtr(tableInfo_);
      const ax::Variant* position = map_->Find(ArgText(args, 0));
      if (!position) throw ax::Error(ax::err::kInvalidCall, "DataSrv.TableInfo");
      return *tableInfo_->Find(ax::CStr(*position));
    });
  }

  std::shared_ptr<Dictionary> TableInfo() {
    Require();
    return tableInfo_;
  }

 private:
  void Load(int32_t classTypeId) {
    if (classTypeId != kTransferClassTypeId)
      throw ax::AutomationError(ax::err::kInvalidCall,
                                "unknown class type " + std::to_string(classTypeId), "DataSrv");
    Database& db = host().Db();
    classTypeId_ = classTypeId;
    classType_ = TransferClassType(db);
    columns_ = TransferColumns(db);
    entry_ = NewDictionary();
    entry_->Set("FTableName", classType_->Get("FTableName"));
    tableInfo_ = NewDictionary();
    map_ = NewDictionary();
    tableInfo_->Set("Map", ax::DispatchPtr(map_));
    for (size_t i = 0; i < columns_.size(); ++i) {
      int32_t position = static_cast<int32_t>(i + 1);
      auto field = NewDictionary();
      field->Set("FKey", columns_[i].name);
      field->Set("FFieldName", columns_[i].name);
      field->Set("FTableName", classType_->Get("FTableName"));
      field->Set("FLock", 0);
      map_->Set(columns_[i].name, position);
      tableInfo_->Set(std::to_string(position), ax::DispatchPtr(field));
    }
  }

  void Require() const {
    if (!classType_)
      throw ax::AutomationError(ax::err::kInvalidCall, "ClassTypeID is not set", "DataSrv");
  }

  std::shared_ptr<Dictionary> EmptyBill() {
    Require();
    std::string today = ax::FormatDate(host().Today(), "yyyy-mm-dd");
    auto page = NewDictionary();
    for (size_t i = 0; i < columns_.size(); ++i) {
      const ColumnInfo& c = columns_[i];
      auto field = NewDictionary();
      field->Set("FKey", c.name);
      field->Set("FFld", c.name == "FDate" || c.name == "FPaySettDate" ? ax::Variant(today) : ax::Variant());
      field->Set("FFND", ax::Variant());
      field->Set("FDSP", ax::Variant());
      field->Set("FDecimal", c.type == "REAL" ? 2 : 0);
      page->Set(std::to_string(i + 1), ax::DispatchPtr(field));
    }
    auto bill = NewDictionary();
    bill->Set("Page1", ax::DispatchPtr(page));
    return bill;
  }

  int32_t classTypeId_ = 0;
  std::shared_ptr<Dictionary> classType_;
  std::shared_ptr<Dictionary> entry_;
  std::shared_ptr<Dictionary> tableInfo_;
  std::shared_ptr<Dictionary> map_;
  std::vector<ColumnInfo> columns_;
};

class ClassInfoManager : public HostObject {
 public:
  explicit ClassInfoManager(Host& host)
      : HostObject(host, "LmSingleClassBill.ClassInfoManager", "ClassInfoManager") {
    Property("dataSrv", [this] { return ax::Variant(dataSrv_); },
             [this](const ax::Variant& v) {
               ValueCheck(this->host(), "ClassInfoManager.dataSrv", v).Kind(0, ax::VarType::Object);
               dataSrv_ = v.asObject();
             });
    // 1 opens a new bill; the number is the caller's literal, of any numeric kind.
    Property("FormShowStatus", [this] { return ax::Variant(formShowStatus_); },
             [this](const ax::Variant& v) {
               ValueCheck(this->host(), "ClassInfoManager.FormShowStatus", v).Number(0, 1);
               formShowStatus_ = ax::CLng(v);
             });
    Property("hwnd", [this] { return ax::Variant(static_cast<int32_t>(hwnd_)); });
    Method("Show", [this](ax::Args& args) { return Show(args); });
  }

 private:
  // Show(, , , bill): the first three left out, the bill data last.
  ax::Variant Show(ax::Args& args) {
    CallCheck(host(), "ClassInfoManager.Show", args)
        .Count(4).Omitted(0).Omitted(1).Omitted(2).Kind(3, ax::VarType::Object);
    auto dataSrv = std::dynamic_pointer_cast<DataSrv>(dataSrv_);
    if (!dataSrv)
      throw ax::AutomationError(ax::err::kObjectNotSet, "dataSrv is not set", "ClassInfoManager");
    const ax::Variant& billArg = ax::ArgAt(args, 3);
    auto bill = AsDictionary(&billArg, "the bill");
    auto tableInfo = dataSrv->TableInfo();
    auto map = AsDictionary(tableInfo->Find("Map"), "Map");
    auto page = AsDictionary(bill->Find("Page1"), "Page1");

    BillOpening opening;
    opening.byUser = false;
    std::string locked;
    for (const auto& [key, position] : map->Entries()) {
      std::string slot = ax::CStr(position);
      const ax::Variant* entryValue = page->Find(slot);
      if (!entryValue) continue;
      auto entry = AsDictionary(entryValue, "Page1 " + slot);
      BillOpening::Field f;
      f.key = key;
      if (const ax::Variant* v = entry->Find("FFld"); Given(v)) f.value = *v;
      if (const ax::Variant* v = entry->Find("FFND"); Given(v)) f.code = ax::DisplayText(*v);
      if (const ax::Variant* v = entry->Find("FDSP"); Given(v)) f.text = ax::DisplayText(*v);
      if (const ax::Variant* d = tableInfo->Find(slot); d && d->isObject()) {
        auto description = AsDictionary(d, "TableInfo " + slot);
        const ax::Variant* lock = description->Find("FLock");
        f.locked = lock && !lock->isNull() && ax::Val(*lock) != 0;
      }
      if (f.locked) locked += (locked.empty() ? "" : ", ") + key;
      if (f.value || f.code || f.text || f.locked) opening.fields.push_back(std::move(f));
    }
    opening.params = NewDictionary();
    if (const ax::Variant* recSett = bill->Find("FRecSettID")) opening.params->Set("FRecSettID", *recSett);

    host().Note(Channel::Host, "bill window manager: a new bill with " +
                                   std::to_string(opening.fields.size()) + " prefilled field(s)" +
                                   (locked.empty() ? "" : ", locked: " + locked));
    auto window = host().OpenBill(opening);
    hwnd_ = window->Hwnd();
    return {};
  }

  ax::DispatchPtr dataSrv_;
  int32_t formShowStatus_ = 0;
  intptr_t hwnd_ = 0;
};

}  // namespace

void RegisterClassBill(Host& host) {
  host.Register("LmClassTpl.DataSrv",
                [](Host& h) -> ax::DispatchPtr { return std::make_shared<DataSrv>(h); });
  host.Register("LmSingleClassBill.ClassInfoManager",
                [](Host& h) -> ax::DispatchPtr { return std::make_shared<ClassInfoManager>(h); });
}

}  // namespace sim
