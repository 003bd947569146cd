// ADO record sets as the host's data calls return them: RecordCount, EOF, MoveFirst, MoveNext,
// Filter and Fields(name).Value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "automation/object.h"
#include "automation/variant.h"

namespace sc::host {

// rs.Fields(name).Value of the current row.
ax::Variant Field(const ax::Object& rs, std::string_view name);
// fields(name): the field of a Fields collection, found by name whatever its case; Nothing when
// the collection has none of that name ("item not found", 3265) or hands back Nothing. Any other
// error is raised. One host call.
ax::Object FindField(const ax::Object& fields, std::string_view name);
// recordSet.Fields, Nothing for Nothing.
ax::Object RecordSetFields(const ax::Object& recordSet);
// HasField(fieldName, recordSet): whether the record set has a field of that name (any case).
// Nothing has no field. Asks the record set's Fields collection for the name once.
bool HasField(const std::string& fieldName, const ax::Object& recordSet);
// The same as text: Null and Empty give "".
std::string FieldText(const ax::Object& rs, std::string_view name);
// rs.Fields(name).Value read record after record: the Fields collection and each Field are
// asked for once, at their first use, and then only read (an ADO Field follows the record set's
// current record). One host call per value after the first record.
class FieldReader {
 public:
  explicit FieldReader(ax::Object rs) : rs_(std::move(rs)) {}
  ax::Variant operator()(std::string_view name);

 private:
  ax::Object rs_;
  ax::Object fields_;
  std::vector<std::pair<std::string, ax::Object>> known_;
};

int32_t RecordCount(const ax::Object& rs);
bool Eof(const ax::Object& rs);
void MoveFirst(const ax::Object& rs);
void MoveNext(const ax::Object& rs);
// rs.Filter = text (ADO filter syntax); "" clears it.
void SetFilter(const ax::Object& rs, const std::string& filter);
// Whether a record set was returned and holds at least one row (Nothing counts as empty).
bool HasRows(const ax::Object& rs);

}  // namespace sc::host
