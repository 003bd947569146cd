// The host's receipt list control (RecSettLib.ListRecSett) and the scripted user's part in the
// receipt picker that hosts it (FrmRecSettList).
//
// The control runs its own query over the receipts: the receipt view under alias v joined to
// the receiving centre account under alias Acnt1 (sim/schema.h, ReceiptPickerQuery), with the
// condition the form hands it, through the Transact-SQL layer. Members (object name
// "RecSettLib.ListRecSett" for `fail`):
//   Mode (get/put)       2: rows are chosen for a caller
//   Filter (get/put)     the condition of the query
//   Init(formSupport)    connects the control to its form
//   LoadData()           runs the query and shows the rows
//   ReturnData           the chosen rows (a vector of dictionaries keyed by the query's
//                        columns, in the order chosen); Nothing before a choice
//   Left, Top, Width, Height (get/put)
// The control's confirmation event is "Confirm" (raised into the form as a control event).
//
// Scenario: `picker <FRecSettID>…` chooses the rows in that order and confirms; choosing a
// receipt the list does not offer fails the run. `picker cancel` closes the form without a
// choice. `expect offered <FRecSettID>…|none` checks the receipts the last picker offered.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "automation/error.h"
#include "automation/form.h"
#include "sim/collections.h"
#include "sim/host.h"
#include "sim/scenario.h"
#include "sim/scenario_language.h"
#include "sim/host_object.h"
#include "sim/schema.h"

namespace sim {

namespace {

constexpr const char* kListProgId = "RecSettLib.ListRecSett";
constexpr const char* kFormSupportProgId = "LmFormLib.FormSupport";

// What the last receipt list of the process offered, for `expect offered`.
struct OfferedState {
  bool loaded = false;
  std::vector<std::string> ids;
};
OfferedState& Offered() {
  static OfferedState state;
  return state;
}

std::string Joined(const std::vector<std::string>& ids) {
  if (ids.empty()) return "none";
  std::string out;
  for (const auto& id : ids) out += (out.empty() ? "" : " ") + id;
  return out;
}

class ReceiptList : public HostObject {
 public:
  explicit ReceiptList(Host& host) : HostObject(host, kListProgId, "ListRecSett") {
    Property("Mode", [this] { return ax::Variant(mode_); },
             [this](const ax::Variant& v) { mode_ = ax::CLng(v); });
    Property("Filter", [this] { return ax::Variant(filter_); },
             [this](const ax::Variant& v) { filter_ = ax::CStr(v); });
    Method("Init", [this](ax::Args& args) -> ax::Variant {
      formSupport_ = ax::Object::FromVariantOrNothing(ax::ArgAt(args, 0));
      return {};
    });
    Method("LoadData", [this](ax::Args&) -> ax::Variant {
      Load();
      return {};
    });
    Property("ReturnData", [this] {
      return chosen_ ? ax::Variant(ax::DispatchPtr(chosen_)) : ax::Variant(ax::DispatchPtr());
    });
    for (const char* extent : {"Left", "Top", "Width", "Height"}) {
      auto slot = std::make_shared<int32_t>(0);
      Property(extent, [slot] { return ax::Variant(*slot); },
               [slot](const ax::Variant& v) { *slot = ax::CLng(v); });
    }
  }

  const std::vector<std::shared_ptr<Dictionary>>& Rows() const { return rows_; }
  std::vector<std::string> OfferedIds() const {
    std::vector<std::string> ids;
    for (const auto& row : rows_) ids.push_back(ax::DisplayText(row->Get("FRecSettID")));
    return ids;
  }

  // The user marks the receipts, in this order.
  void Choose(const std::vector<std::string>& ids) {
    auto chosen = NewVector();
    for (const std::string& id : ids) {
      auto it = std::find_if(rows_.begin(), rows_.end(), [&](const auto& row) {
        return ax::DisplayText(row->Get("FRecSettID")) == id;
      });
      if (it == rows_.end())
        host().Fail("the receipt picker does not offer receipt " + id + " (it offers " +
                    Joined(OfferedIds()) + ")");
      chosen->Add(ax::Variant(ax::DispatchPtr(*it)));
    }
    chosen_ = chosen;
  }

 private:
  void Load() {
    if (mode_ != 2)
      throw ax::AutomationError(ax::err::kInvalidCall, "the receipt list shows rows in mode 2 only",
                                kListProgId);
    std::string sql = ReceiptPickerQuery(filter_);
    if (filter_.find_first_not_of(" \t\r\n") != std::string::npos) host().Note(Channel::Sql, "receipt filter: " + filter_);
    host().Note(Channel::Sql, "receipt list: " + sql);
    sim::Rows result = host().Db().Query(sql);
    rows_.clear();
    size_t dateColumn = result.ColumnIndex("FRecSettDate");
    for (auto& data : result.data) {
      auto row = NewDictionary();
      for (size_t i = 0; i < result.columns.size(); ++i) {
        ax::Variant value = data[i];
        // The receipt date is a datetime column of the host's database.
        if (i == dateColumn && value.isString()) value = ax::CDate(value);
        row->Set(result.columns[i], std::move(value));
      }
      rows_.push_back(row);
    }
    chosen_.reset();
    Offered().loaded = true;
    Offered().ids = OfferedIds();
  }

  int32_t mode_ = 0;
  std::string filter_;
  ax::Object formSupport_;
  std::vector<std::shared_ptr<Dictionary>> rows_;
  std::shared_ptr<Vector> chosen_;
};

void DriveReceiptPicker(Host& host, ax::Form& form) {
  form.Form_Resize();  // shown at its design size
  auto list = form.C("ListRecSett").activeX.As<ReceiptList>();
  if (!list) host.Fail("the receipt picker shows no receipt list");
  host.Note(Channel::Dialog, "the receipt picker offers " + Joined(list->OfferedIds()));

  Reply reply = host.TakeReply("picker", "the receipt picker");
  if (reply.verb == "cancel") {
    host.Note(Channel::Dialog, "the receipt picker is closed without a choice");
    form.Unload();
    return;
  }
  list->Choose(reply.values);
  host.Note(Channel::Dialog, "the receipt picker confirms " + Joined(reply.values));
  ax::Args args;
  form.ControlEvent("ListRecSett", "Confirm", args);
}

void ExpectOffered(ScenarioRun&, const Tokens& line) {
  const Tokens tokens(line.begin() + 2, line.end());
  if (tokens.empty()) throw ScenarioFailure("expect offered needs receipt ids or none");
  std::vector<std::string> wanted = tokens;
  if (wanted.size() == 1 && wanted[0] == "none") wanted.clear();
  const OfferedState& state = Offered();
  if (!state.loaded) throw ScenarioFailure("no receipt picker was shown");
  if (state.ids != wanted)
    throw ScenarioFailure("expected the picker to offer " + Joined(wanted) + ", but it offered " +
                          Joined(state.ids));
}

}  // namespace

void RegisterReceiptList(Host& host) {
  Offered() = OfferedState();
  host.Register(kListProgId, [](Host& h) -> ax::DispatchPtr {
    return std::make_shared<ReceiptList>(h);
  });
  host.Register(kFormSupportProgId, [](Host& h) -> ax::DispatchPtr {
    return std::make_shared<BasicObject>(h, kFormSupportProgId, "FormSupport");
  });
  host.RegisterFormDriver("FrmRecSettList", DriveReceiptPicker);
}

std::vector<ScenarioCommand> ReceiptListCommands() {
  return {{ScenarioCommand::Section::Expectations, "expect offered",
           {{"expect offered <FRecSettID>...|none", "the receipts the last receipt picker offered, in order"}}, ExpectOffered}};
}

}  // namespace sim
