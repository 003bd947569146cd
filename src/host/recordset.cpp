#include "host/recordset.h"

#include "automation/error.h"
#include "host/transfer_bill.h"

namespace sc::host {

ax::Variant Field(const ax::Object& rs, std::string_view name) {
  return rs.GetObj("Fields").ItemObj(std::string(name)).Get("Value");
}

ax::Object FindField(const ax::Object& fields, std::string_view name) {
  ax::Variant field;
  try {
    field = fields.Item(std::string(name));
  } catch (const ax::AutomationError& e) {
    if (e.Number() == ax::err::kItemNotFound) return {};
    throw;
  }
  return ax::Object(field);
}

ax::Object RecordSetFields(const ax::Object& recordSet) {
  return recordSet.IsNothing() ? ax::Object() : recordSet.GetObj("Fields");
}

bool HasField(const std::string& fieldName, const ax::Object& recordSet) {
  ax::Object fields = RecordSetFields(recordSet);
  return !fields.IsNothing() && !FindField(fields, fieldName).IsNothing();
}

ax::Variant FieldReader::operator()(std::string_view name) {
  for (const auto& [known, field] : known_)
    if (known == name) return field.Get("Value");
  if (fields_.IsNothing()) fields_ = rs_.GetObj("Fields");
  ax::Object field = fields_.ItemObj(std::string(name));
  known_.emplace_back(std::string(name), field);
  return field.Get("Value");
}

std::string FieldText(const ax::Object& rs, std::string_view name) {
  return TextOf(Field(rs, name));
}

int32_t RecordCount(const ax::Object& rs) { return ax::CLng(rs.Get("RecordCount")); }

bool Eof(const ax::Object& rs) { return ax::IsTrue(rs.Get("EOF")); }

void MoveFirst(const ax::Object& rs) { rs.Call("MoveFirst"); }

void MoveNext(const ax::Object& rs) { rs.Call("MoveNext"); }

void SetFilter(const ax::Object& rs, const std::string& filter) { rs.Put("Filter", filter); }

bool HasRows(const ax::Object& rs) { return !rs.IsNothing() && !Eof(rs); }

}  // namespace sc::host
