#include "host/recordset.h"

namespace sc::host {

ax::Variant Field(const ax::Object& rs, std::string_view name) {
  return rs.GetObj("Fields").ItemObj(std::string(name)).Get("Value");
}

std::string FieldText(const ax::Object& rs, std::string_view name) {
  ax::Variant v = Field(rs, name);
  if (v.isNull() || v.isEmpty()) return {};
  return ax::CStr(v);
}

int32_t RecordCount(const ax::Object& rs) { return ax::CLng(rs.Get("RecordCount")); }

bool Eof(const ax::Object& rs) { return ax::IsTrue(rs.Get("EOF")); }

void MoveFirst(const ax::Object& rs) { rs.Call("MoveFirst"); }

void MoveNext(const ax::Object& rs) { rs.Call("MoveNext"); }

void SetFilter(const ax::Object& rs, const std::string& filter) { rs.Put("Filter", filter); }

bool HasRows(const ax::Object& rs) { return !rs.IsNothing() && !Eof(rs); }

}  // namespace sc::host
