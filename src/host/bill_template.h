// New bills prefilled for the host's bill window. The class data service's empty bill
// (GetEmptyBill) holds the head fields in its page "Page1"; the class description (TableInfo)
// maps a field key to the key of its entry in "Page1" and in the description ("Map"). A field
// entry carries "FFld" (value), "FFND" (number), "FDSP" (display text) and "FDecimal"; a
// description entry carries "FLock" (1: not editable in the window).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "automation/object.h"
#include "automation/variant.h"

namespace sc::host {

// The attribute that locks a field: its description's "FLock" set to 1.
inline constexpr std::string_view kLock = "FLock";

// One step of prefilling: the attribute of a field's entry set to an item of the values the
// bill is made from, or (attribute kLock) the field locked.
struct BillFill {
  std::string_view field;      // field key, as "Map" knows it
  std::string_view attribute;  // "FFld", "FFND", "FDSP", "FDecimal" or kLock
  std::string_view item = {};  // the item of the values written, read without a default
  bool nullAsEmpty = false;    // a Null item is written as ""
};

class PrefilledBill {
 public:
  // Reads the empty bill, the class description and its "Map"; copies the items `carried` of
  // the values to the bill itself; then opens the bill's "Page1".
  PrefilledBill(const ax::Object& dataService, ax::Object values,
                std::initializer_list<std::string_view> carried = {});

  // The attribute of the field's entry in "Page1".
  void Set(std::string_view field, std::string_view attribute, const ax::Variant& value);
  // The field's description: "FLock" = 1.
  void Lock(std::string_view field);
  // The steps in their order, each value read from the values just before it is written.
  void Fill(std::span<const BillFill> steps);

  const ax::Object& Bill() const { return bill_; }

 private:
  ax::Object values_;
  ax::Object bill_;
  ax::Object description_;
  ax::Object map_;
  ax::Object page_;
};

// A class data service (LmClassTpl.DataSrv) of the class type and a bill window
// (LmSingleClassBill.ClassInfoManager) on it that opens its bill for editing (FormShowStatus 1).
// Each is stored as soon as it exists, so that a failure further on leaves it with its holder.
void NewBillWindow(int32_t classTypeId, ax::Object& dataService, ax::Object& window);
// Show(, , , bill): the window opens on the prefilled bill.
void ShowBill(const ax::Object& window, const ax::Object& bill);

}  // namespace sc::host
