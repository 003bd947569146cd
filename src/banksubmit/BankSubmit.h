// Rules of the bank submission that the commands share with their tests.
#pragma once

#include <string>

#include "automation/variant.h"

namespace sc {

// The area text of a payment order's receiver or payer: the province (with 省 unless it
// already says so; nothing for a blank province) followed by the city with 市 (city type 0) or
// 县 (any other type) unless it already carries that suffix. Null values count as empty text.
std::string AreaText(const ax::Variant& province, const ax::Variant& cityType,
                     const ax::Variant& city);

}  // namespace sc
