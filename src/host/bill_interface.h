// The host's bill interface (the transfer-bill window), called late-bound by member name.
// Argument orders and kinds are the host's: GetFieldValue(key, row, kind) with row -1 for the
// head and kind 1 (stored value), 2 (look-up text) or 3 (display text).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/object.h"
#include "automation/variant.h"
#include "host/lmlib.h"
#include "host/menubar.h"

namespace sc::host {

inline constexpr int32_t kHeadRow = -1;
enum FieldKind : int32_t { kStored = 1, kLookupText = 2, kDisplayText = 3 };

// ---- Fields of the bill --------------------------------------------------------------------
ax::Variant GetFieldValue(const ax::Object& bill, std::string_view key, int32_t row = kHeadRow,
                          int32_t kind = kStored);
// The field's value as text: Null and Empty give "".
std::string GetFieldText(const ax::Object& bill, std::string_view key, int32_t row = kHeadRow,
                         int32_t kind = kStored);
// A head field read as a number: its leading numeric value, "" and Null counting as 0
// (ids, states and amounts of the head).
double GetFieldNumber(const ax::Object& bill, std::string_view key, int32_t row = kHeadRow);
void SetFieldValue(const ax::Object& bill, std::string_view key, const ax::Variant& value,
                   int32_t row = kHeadRow);

// Field descriptions: GetFieldInfoByKey(key, "", 0) gives the description dictionary,
// GetDataFld(description) a dictionary whose item "FFLD" is the field's current data. Both are
// offered by the bill interface and by its BillForm.
ax::Object GetFieldInfoByKey(const ax::Object& billOrForm, std::string_view key);
ax::Object GetDataFld(const ax::Object& billOrForm, const ax::Object& fieldInfo);
// The field's current data: GetDataFld(GetFieldInfoByKey(key))("FFLD").
ax::Variant GetFieldData(const ax::Object& billOrForm, std::string_view key);
// SetFieldInfo(description, value, 0): sets a head field through its description.
void SetFieldInfo(const ax::Object& bill, const ax::Object& fieldInfo, const ax::Variant& value);

// ---- Window state --------------------------------------------------------------------------
// BillStatus of the bill interface or of its BillForm.
ax::Variant BillStatus(const ax::Object& billOrForm);
void SetBillStatus(const ax::Object& billOrForm, int32_t status);
int32_t EditStatus(const ax::Object& bill);  // 1 new bill, 2 an existing bill being modified
bool IsDataChanged(const ax::Object& bill);
void ReloadBill(const ax::Object& bill);
ax::Object BillForm(const ax::Object& bill);
// The values the bill was opened with (a dictionary; "FRecSettID" among them).
ax::Object BillParams(const ax::Object& bill);
// ClassType(key): "FObjectType" or "FObjectID" of the bill type, for permission tests.
ax::Variant ClassType(const ax::Object& billOrDataSrv, std::string_view key);

// ---- Tools and field controls --------------------------------------------------------------
// SetToolProperty(tool key, property name, value).
void SetToolProperty(const ax::Object& bill, std::string_view toolKey, std::string_view property,
                     const ax::Variant& value);
// Locked flag of a head field's control: FieldControls(1)(key).Locked.
void LockField(const ax::Object& bill, std::string_view key, bool locked = true);
bool IsFieldLocked(const ax::Object& bill, std::string_view key);

}  // namespace sc::host
