// The host library's keyed dictionary and 1-based vector, created by ProgID.
#pragma once

#include <cstdint>
#include <string_view>

#include "automation/object.h"
#include "automation/variant.h"

namespace sc::host {

ax::Object NewDictionary();
ax::Object NewVector();
// dct.GetValue(key, default): the item, or the default when the key is absent.
ax::Variant GetValue(const ax::Object& dct, std::string_view key, const ax::Variant& dflt);
// dct(key) = value
void SetItem(const ax::Object& dct, std::string_view key, const ax::Variant& value);
// Count of a vector (or any collection with Count).
int32_t Count(const ax::Object& collection);

}  // namespace sc::host
