#include "host/bill_interface.h"

#include "host/transfer_bill.h"

namespace sc::host {

ax::Variant GetFieldValue(const ax::Object& bill, std::string_view key, int32_t row,
                          int32_t kind) {
  return bill.Get("GetFieldValue", {std::string(key), row, kind});
}

std::string GetFieldText(const ax::Object& bill, std::string_view key, int32_t row,
                         int32_t kind) {
  return TextOf(GetFieldValue(bill, key, row, kind));
}

double GetFieldNumber(const ax::Object& bill, std::string_view key, int32_t row) {
  ax::Variant v = GetFieldValue(bill, key, row, kStored);
  if (v.isNull() || v.isEmpty()) return 0;
  return ax::Val(v);
}

void SetFieldValue(const ax::Object& bill, std::string_view key, const ax::Variant& value,
                   int32_t row) {
  bill.Call("SetFieldValue", {std::string(key), value, row});
}

ax::Object GetFieldInfoByKey(const ax::Object& billOrForm, std::string_view key) {
  return billOrForm.GetObj("GetFieldInfoByKey", {std::string(key), "", 0});
}

ax::Object GetDataFld(const ax::Object& billOrForm, const ax::Object& fieldInfo) {
  return billOrForm.GetObj("GetDataFld", {fieldInfo});
}

ax::Variant GetFieldData(const ax::Object& billOrForm, std::string_view key) {
  return GetDataFld(billOrForm, GetFieldInfoByKey(billOrForm, key)).Item("FFLD");
}

void SetFieldInfo(const ax::Object& bill, const ax::Object& fieldInfo, const ax::Variant& value) {
  bill.Call("SetFieldInfo", {fieldInfo, value, 0});
}

ax::Variant BillStatus(const ax::Object& billOrForm) { return billOrForm.Get("BillStatus"); }

void SetBillStatus(const ax::Object& billOrForm, int32_t status) {
  billOrForm.Put("BillStatus", status);
}

int32_t EditStatus(const ax::Object& bill) { return ax::CLng(bill.Get("EditStatus")); }

bool IsDataChanged(const ax::Object& bill) { return ax::IsTrue(bill.Get("IsDataChanged")); }

void ReloadBill(const ax::Object& bill) { bill.Call("ReloadBill"); }

ax::Object BillForm(const ax::Object& bill) { return bill.GetObj("BillForm"); }

ax::Object BillParams(const ax::Object& bill) { return bill.GetObj("BillParams"); }

ax::Variant ClassType(const ax::Object& billOrDataSrv, std::string_view key) {
  return billOrDataSrv.Get("ClassType", {std::string(key)});
}

void SetToolProperty(const ax::Object& bill, std::string_view toolKey, std::string_view property,
                     const ax::Variant& value) {
  bill.Call("SetToolProperty", {std::string(toolKey), std::string(property), value});
}

namespace {
ax::Object FieldControl(const ax::Object& bill, std::string_view key) {
  return bill.GetObj("FieldControls").ItemObj(1).ItemObj(std::string(key));
}
}  // namespace

void LockField(const ax::Object& bill, std::string_view key, bool locked) {
  FieldControl(bill, key).Put("Locked", locked);
}

bool IsFieldLocked(const ax::Object& bill, std::string_view key) {
  return ax::IsTrue(FieldControl(bill, key).Get("Locked"));
}

}  // namespace sc::host
