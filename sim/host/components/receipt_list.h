// RecSettLib.ListRecSett, the host's receipt list control (see receipt_list.cpp), and what the
// last one of the process offered.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "automation/error.h"
#include "sim/host/collections.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"
#include "sim/host/schema.h"

namespace sim {

inline constexpr const char* kListProgId = "RecSettLib.ListRecSett";

// What the last receipt list of the process offered, for `expect offered`.
struct OfferedState {
  bool loaded = false;
  std::vector<std::string> ids;
};
inline OfferedState& Offered() {
  static OfferedState state;
  return state;
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

  // Confirm, which the control raises when the user confirms the rows marked, reaches the form
  // that hosts it through its connection point.
  std::unique_ptr<ax::Connection> Advise(ax::EventSink& sink) override { return events_.Connect(sink); }
  void RaiseEvent(std::string_view name, ax::Args& args) { events_.Raise(name, args); }

  // The user marks the receipts, in this order (each one the list offers).
  void Choose(const std::vector<std::string>& ids) {
    auto chosen = NewVector();
    for (const std::string& id : ids) {
      auto it = std::find_if(rows_.begin(), rows_.end(), [&](const auto& row) {
        return ax::DisplayText(row->Get("FRecSettID")) == id;
      });
      if (it == rows_.end())
        throw ax::AutomationError(ax::err::kInvalidCall, "the list does not offer receipt " + id,
                                  kListProgId);
      chosen->Add(ax::Variant(ax::DispatchPtr(*it)));
    }
    chosen_ = chosen;
  }

 private:
  void Load() {
    // The plug-in sets Mode 2 (rows chosen for a caller); what the list does in another mode
    // is its own, and it shows the same rows.
    std::string sql = ReceiptPickerQuery(filter_);
    if (filter_.find_first_not_of(" \t\r\n") != std::string::npos) host().RecordSql("receipt filter", filter_);
    host().Note(Channel::Sql, "receipt list: " + sql);
    sim::Rows result = (Database::CheckSent(filter_), host().Db().Query(sql));
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
  EventHub events_;
};

// The receipt list the plug-in made last in this process, while it lives: the one its picker
// shows.
inline std::weak_ptr<ReceiptList>& LastReceiptList() {
  static std::weak_ptr<ReceiptList> list;
  return list;
}


}  // namespace sim
