#include "host/bill_template.h"

#include <string>
#include <utility>

#include "automation/runtime.h"
#include "host/collections.h"
#include "host/progids.h"

namespace sc::host {

PrefilledBill::PrefilledBill(const ax::Object& dataService, ax::Object values,
                             std::initializer_list<std::string_view> carried)
    : values_(std::move(values)) {
  bill_ = dataService.GetObj("GetEmptyBill");
  description_ = dataService.GetObj("TableInfo");
  map_ = description_.ItemObj("Map");
  for (std::string_view item : carried) SetItem(bill_, item, values_.Item(std::string(item)));
  page_ = bill_.ItemObj("Page1");
}

void PrefilledBill::Set(std::string_view field, std::string_view attribute,
                        const ax::Variant& value) {
  SetItem(page_.ItemObj(ax::CStr(map_.Item(std::string(field)))), attribute, value);
}

void PrefilledBill::Lock(std::string_view field) {
  SetItem(description_.ItemObj(ax::CStr(map_.Item(std::string(field)))), kLock, 1);
}

void PrefilledBill::Fill(std::span<const BillFill> steps) {
  for (const BillFill& step : steps) {
    if (step.attribute == kLock) {
      Lock(step.field);
      continue;
    }
    ax::Variant value = values_.Item(std::string(step.item));
    if (step.nullAsEmpty && value.isNull()) value = std::string();
    Set(step.field, step.attribute, value);
  }
}

void NewBillWindow(int32_t classTypeId, ax::Object& dataService, ax::Object& window) {
  dataService = ax::CreateObject(ProgId::DataSrv);
  dataService.Put("ClassTypeID", classTypeId);
  window = ax::CreateObject(ProgId::ClassInfoManager);
  window.PutRef("dataSrv", dataService);
  window.Put("FormShowStatus", 1);
}

void ShowBill(const ax::Object& window, const ax::Object& bill) {
  window.Call("Show", {ax::omitted(), ax::omitted(), ax::omitted(), bill});
}

}  // namespace sc::host
