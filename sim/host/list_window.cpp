#include "sim/host/list_window.h"

#include <algorithm>

#include "automation/error.h"
#include "plugin/plugin_class.h"
#include "sim/host/bill_window.h"
#include "sim/host/call_check.h"
#include "sim/host/counted_object.h"
#include "sim/host/recordset.h"
#include "sim/host/schema.h"

namespace sim {

namespace {

template <class T>
std::shared_ptr<T> Alive(const std::weak_ptr<T>& weak) {
  auto p = weak.lock();
  if (!p) throw ax::Error(ax::err::kObjectNotSet, "List");
  return p;
}

std::string CellText(const ax::Variant& v) {
  if (v.isEmpty() || v.isNull() || v.isMissing()) return {};
  return ax::DisplayText(v);
}

}  // namespace

ListWindow::ListWindow(Host& host, std::string kind, int32_t userId)
    : HostObject(host, "List", "ListInterface"),
      Window(host, kind == "banksubmit" ? "划拨单银行提交" : "划拨单序时簿"),
      kind_(std::move(kind)) {
  for (const auto& c : TransferColumns(host.Db())) tableColumns_.push_back(c.name);
  lmLib_ = std::make_shared<DataLibrary>(host, userId);
  entry_ = NewDictionary();
  entry_->Set("FTableName", "t_scTransfer");
  entry_->Set("FFilter", "");
  Menu().AddHostBand("mnuFile", 0, {{"mnuFilePreview", "打印预览"}, {"mnuFilePageSetup", "页面设置"}});
  Menu().AddHostBand("mnuEdit", 0,
                     {{"mnuEditModify", "修改"}, {"mnuEditDelete", "删除"}, {"mnuEditCopyEntry", "复制"}});
  Menu().AddHostBand("mnuData", 0,
                     {{"mnuDataViewPrvBill", "上一张"}, {"mnuDataViewNextBill", "下一张"}});
  Menu().AddHostBand("BandToolBar", 1,
                     {{"mnuEditModify", "修改"},
                      {"mnuEditDelete", "删除"},
                      {"mnuDataViewPrvBill", "上一张"},
                      {"mnuDataViewNextBill", "下一张"}});
  InstallMembers();
}

bool ListWindow::Supports(std::string_view interfaceName) const {
  return ax::EqualsNoCase(interfaceName, sc::kListInterface);
}

std::unique_ptr<ax::Connection> ListWindow::Advise(ax::EventSink& sink) { return Connect(sink); }

std::shared_ptr<Dictionary> ListWindow::RowDictionary(const Row& row) const {
  auto d = NewDictionary();
  for (size_t i = 0; i < columns_.size(); ++i) d->Set(columns_[i], row.values[i]);
  return d;
}

void ListWindow::InstallMembers() {
  Property("List", [this]() -> ax::Variant {
    std::weak_ptr<ListWindow> weak = std::static_pointer_cast<ListWindow>(shared_from_this());
    auto list = std::make_shared<BasicObject>(host(), "List", "List");
    list->Method("GetSelectedBillID", [weak](ax::Args&) -> ax::Variant {
      auto w = Alive(weak);
      auto v = NewVector();
      for (int32_t fid : w->billIds_ ? *w->billIds_ : w->selection_) v->Add(std::to_string(fid));
      return ax::DispatchPtr(v);
    });
    list->Property("RsId", [weak]() -> ax::Variant {
      auto w = Alive(weak);
      sim::Rows rows;
      rows.columns = w->columns_;
      if (w->current_)
        if (const Row* r = w->FindRow(*w->current_)) rows.data.push_back(r->values);
      return ax::DispatchPtr(NewRecordset(std::move(rows)));
    });
    list->Method("RefreshList", [weak](ax::Args& a) -> ax::Variant {
      auto w = Alive(weak);
      // The plug-in re-reads the list as it stands (False); what True would do is not its call.
      CallCheck(w->host(), "List.RefreshList", a).Count(1).Value(0, false);
      w->host().Note(Channel::Host, "window " + std::to_string(w->Number()) + ": list refreshed");
      w->Refill();
      return {};
    });
    list->Method("BillOperation", [weak](ax::Args& a) -> ax::Variant {
      auto w = Alive(weak);
      int32_t code = ArgLong(a, 0, 0);
      std::string ids;
      for (int32_t fid : w->selection_) ids += (ids.empty() ? "" : ",") + std::to_string(fid);
      w->host().Note(Channel::Host, "window " + std::to_string(w->Number()) + ": bill operation " +
                                       std::to_string(code) + " on bills " + (ids.empty() ? "(none)" : ids));
      w->host().RecordCall("listop", {std::to_string(code), ids});
      if (a.size() > 1 && a[1].isByRef()) a[1].value() = int32_t{0};
      return {};
    });
    list->Property("Parent", [weak]() -> ax::Variant {
      auto w = Alive(weak);
      auto parent = std::make_shared<BasicObject>(w->host(), "List", "Parent");
      intptr_t hwnd = w->Hwnd();
      parent->Property("hwnd", [hwnd]() -> ax::Variant { return static_cast<int32_t>(hwnd); });
      return ax::DispatchPtr(parent);
    });
    return ax::DispatchPtr(list);
  });
  Property("LmLib", [this]() -> ax::Variant { return ax::DispatchPtr(lmLib_); });
  Property("dataSrv", [this]() -> ax::Variant {
    std::weak_ptr<ListWindow> weak = std::static_pointer_cast<ListWindow>(shared_from_this());
    auto ds = std::make_shared<BasicObject>(host(), "List", "dataSrv");
    ds->Member("ClassType", [weak](unsigned, ax::Args& a) -> ax::Variant {
      auto w = Alive(weak);
      auto ct = TransferClassType(w->host().Db());
      if (ArgGiven(a, 0)) return ct->Get(ArgText(a, 0));
      return ax::DispatchPtr(ct);
    });
    ds->Property("ClassTypeID", []() -> ax::Variant { return kTransferClassTypeId; });
    ds->Method("TableInfo", [weak](ax::Args& a) -> ax::Variant {
      auto w = Alive(weak);
      std::string key = ArgText(a, 0);
      for (const auto& c : w->tableColumns_) {
        if (ax::EqualsNoCase(c, key)) {
          auto d = NewDictionary();
          d->Set("FKey", c);
          d->Set("FFieldName", c);
          d->Set("FTableName", "t_scTransfer");
          return ax::DispatchPtr(d);
        }
      }
      throw ax::AutomationError(ax::err::kInvalidCall,
                                ax::StandardDescription(ax::err::kInvalidCall) + " (no field " + key + ")",
                                "dataSrv.TableInfo");
    });
    ds->Member("ClassTypeEntry", [weak](unsigned, ax::Args& a) -> ax::Variant {
      auto w = Alive(weak);
      if (ArgGiven(a, 0)) {
        if (ArgLong(a, 0) != 1) throw ax::Error(ax::err::kSubscript, "dataSrv.ClassTypeEntry");
        return ax::DispatchPtr(w->entry_);
      }
      auto v = NewVector();
      v->Add(ax::DispatchPtr(w->entry_));
      return ax::DispatchPtr(v);
    });
    return ax::DispatchPtr(ds);
  });
  Property("SelectedRows", [this]() -> ax::Variant {
    auto v = NewVector();
    for (int32_t fid : selection_)
      if (const Row* r = FindRow(fid)) v->Add(ax::DispatchPtr(RowDictionary(*r)));
    return ax::DispatchPtr(v);
  });
  Property("CustomFilter", [this]() -> ax::Variant { return customFilter; },
           [this](const ax::Variant& v) { customFilter = ax::CBool(v); });
  Property("MenuBar", [this]() -> ax::Variant { return ax::DispatchPtr(MenuPtr()); });
  Property("oMenuBar", [this]() -> ax::Variant { return ax::DispatchPtr(MenuPtr()); });
  Property("hwnd", [this]() -> ax::Variant { return static_cast<int32_t>(Hwnd()); });
}

void ListWindow::Open() {
  AttachPlugin(kind_ == "banksubmit" ? sc::kProgIdList1 : sc::kProgIdList, shared_from_this());
  ax::Args init{ax::Arg(ax::Variant(ax::DispatchPtr(MenuPtr())))};
  Raise("MenuBarInitialize", init);
  Refill();
}

std::string ListWindow::Filter() const { return ax::DisplayText(entry_->Get("FFilter")); }

std::string ListWindow::FieldNameExt(const std::string& column) const {
  for (const auto& c : tableColumns_)
    if (ax::EqualsNoCase(c, column)) return "t_scTransfer." + c;
  if (ax::EqualsNoCase(column, "FSubmitState") || ax::EqualsNoCase(column, "FCommitPayStatus"))
    return "view_BKPaymentTAV." + column;
  return column;
}

void ListWindow::Refill() {
  std::string filter = Filter();
  // The condition is the plug-in's SQL, sent as the host sends it: inside the list's query.
  if (filter.find_first_not_of(" \t\r\n") != std::string::npos) host().RecordSql("list filter", filter);
  sim::Rows data;
  try {
    data = (Database::CheckSent(filter), host().Db().Query(TransferListQuery(filter)));
  } catch (const ax::AutomationError& e) {
    // A filter the database cannot run shows no bill rather than every bill.
    host().ReportError(e);
    data = {};
  }
  columns_ = data.columns;
  rows_.clear();
  size_t fidCol = data.ColumnIndex("FID");
  // One record set per row and one head per column, handed over in every event of its row or
  // column, as the host does.
  std::vector<ax::Variant> heads;
  for (const auto& c : columns_) {
    auto head = NewDictionary();
    head->Set("FFieldNameExt", FieldNameExt(c));
    head->Set("FFieldName", c);
    heads.push_back(Counted(host(), "List", ax::Variant(ax::DispatchPtr(head))));
  }
  int32_t lRow = 0;
  for (auto& values : data.data) {
    Row row;
    row.fid = fidCol == std::string::npos ? 0 : ax::CLng(values[fidCol]);
    row.values = values;
    for (const auto& v : values) row.cells.push_back(CellText(v));
    ++lRow;
    sim::Rows one;
    one.columns = columns_;
    one.data.push_back(values);
    ax::Variant rowData = Counted(host(), "List", ax::Variant(ax::DispatchPtr(NewRecordset(std::move(one)))));
    for (size_t c = 0; c < columns_.size(); ++c) {
      ax::Variant cell(row.cells[c]);
      ax::Variant back(row.backColor);
      ax::Variant cont(true);
      ax::Args args{ax::Arg(lRow), ax::Arg(rowData), ax::Arg(heads[c]), ax::Arg::byRef(cell),
                    ax::Arg::byRef(back), ax::Arg::byRef(cont)};
      bool ok = Raise("ListFillRow", args, true);
      row.cells[c] = CellText(cell);
      if (back.isNumeric()) row.backColor = ax::CLng(back);
      if (!ok || !ax::IsTrue(cont)) break;
    }
    rows_.push_back(std::move(row));
  }
  // The selection keeps the bills still listed.
  std::erase_if(selection_, [this](int32_t fid) { return FindRow(fid) == nullptr; });
  if (billIds_) std::erase_if(*billIds_, [this](int32_t fid) { return FindRow(fid) == nullptr; });
  if (current_ && !FindRow(*current_)) current_.reset();
  std::string listed;
  for (const auto& r : rows_) listed += (listed.empty() ? "" : ",") + std::to_string(r.fid);
  host().Note(Channel::Window, "window " + std::to_string(Number()) + ": lists bills " +
                                  (listed.empty() ? "(none)" : listed) +
                                  (filter.empty() ? "" : " (filter: " + filter + ")"));
}

const ListWindow::Row* ListWindow::FindRow(int32_t fid) const {
  for (const auto& r : rows_)
    if (r.fid == fid) return &r;
  return nullptr;
}

std::optional<std::string> ListWindow::Cell(const Row& row, std::string_view column) const {
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (ax::EqualsNoCase(columns_[i], column) || ax::EqualsNoCase(FieldNameExt(columns_[i]), column))
      return row.cells[i];
  }
  return std::nullopt;
}

void ListWindow::Select(const std::vector<int32_t>& fids) {
  for (int32_t fid : fids)
    if (!FindRow(fid)) throw HostCommandError("the list does not show bill " + std::to_string(fid));
  selection_ = fids;
  billIds_.reset();
  if (fids.empty()) current_.reset();
  else current_ = fids.front();
}

void ListWindow::Select(const std::vector<int32_t>& fids, const std::vector<int32_t>& billIds) {
  for (int32_t fid : billIds)
    if (!FindRow(fid)) throw HostCommandError("the list does not show bill " + std::to_string(fid));
  Select(fids);
  billIds_ = billIds;
}

void ListWindow::SetCurrentRow(std::optional<int32_t> fid) {
  if (fid && !FindRow(*fid)) throw HostCommandError("the list does not show bill " + std::to_string(*fid));
  current_ = fid;
}

void ListWindow::RunHostCommand(const std::string& toolKey) {
  if (ax::EqualsNoCase(toolKey, "mnuEditModify")) {
    if (!current_) {
      host().Note(Channel::Host, "window " + std::to_string(Number()) + ": no row to modify");
      return;
    }
    BillOpening opening;
    opening.fid = *current_;
    host().OpenBill(opening);
    return;
  }
  host().Note(Channel::Host, "window " + std::to_string(Number()) + ": host command " + toolKey);
  host().RecordCall("command", {toolKey});
}

std::string ListWindow::DescribeRows() const {
  std::string out;
  for (const auto& r : rows_) {
    if (!out.empty()) out += "\n";
    out += "FID " + std::to_string(r.fid);
    for (const char* col : {"FBillNo", "FAmt", "FSubmitState", "FCommitPayStatus"}) {
      if (auto cell = Cell(r, col)) out += "  " + std::string(col) + "=" + *cell;
    }
    out += "  color " + std::to_string(r.backColor);
    if (std::find(selection_.begin(), selection_.end(), r.fid) != selection_.end()) out += "  [selected]";
  }
  return out.empty() ? "(no rows)" : out;
}

}  // namespace sim
