// ADO-like record sets over query results.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "automation/object.h"
#include "sim/host/database.h"

namespace sim {

// Members: RecordCount (rows passing the filter), EOF, BOF, MoveFirst, MoveNext, MovePrevious,
// MoveLast, AbsolutePosition, Filter (get/put; "" or 0 clears; ADO syntax: comparisons
// = <> < > <= >= and LIKE with '...' texts, numbers, AND/OR and parentheses),
// Fields (collection: Count, Item(name or 0-based index) -> Field with Name and Value; as in
// ADO, one Fields object per record set and one Field object per column, each keeping its record
// set alive),
// Item/Collect(name) -> value, Close, State. Reading a field at EOF/BOF raises 3021.
// A forward-only record set (ADO's forward-only cursor) reports RecordCount -1 and
// AbsolutePosition -1; MovePrevious, MoveLast and setting AbsolutePosition raise 3251.
class RecordsetField;
class RecordsetFields;

class Recordset : public ax::Dispatch {
 public:
  explicit Recordset(Rows rows, bool forwardOnly = false);
  ~Recordset() override;
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override;
  std::string ClassName() const override { return "Recordset"; }

  const Rows& AllRows() const { return rows_; }
  ax::Variant Value(std::string_view column) const;  // current row

 private:
  Rows rows_;
  bool forwardOnly_;
  std::vector<size_t> visible_;  // indices of rows passing the filter
  size_t pos_ = 0;               // index in visible_; == size() means EOF
  bool bof_ = false;
  ax::Variant filter_;
  bool open_ = true;  // Close makes every member but State and Close raise 3704
  void ApplyFilter(const ax::Variant& filter);
  void CheckOpen() const;
  bool AtRecord() const { return !bof_ && pos_ < visible_.size(); }
  size_t Column(const ax::Variant& nameOrIndex) const;  // raises 3265 when absent
  ax::Variant& Current(size_t column);                  // raises 3021 at BOF/EOF
  std::unique_ptr<RecordsetFields> fields_;
  std::vector<std::unique_ptr<RecordsetField>> fieldObjects_;
  // The Fields object and a column's Field, sharing the record set's lifetime.
  ax::Variant FieldsObject();
  ax::Variant FieldObject(size_t column);
  friend class RecordsetField;
  friend class RecordsetFields;
};

std::shared_ptr<Recordset> NewRecordset(Rows rows, bool forwardOnly = false);

// Calls made into any record set, Fields collection or Field of this thread so far (record sets
// are not host objects of one host, so Host::CallCount does not see them).
uint64_t RecordsetCalls();

}  // namespace sim
