#include "host/collections.h"

#include <string>

#include "automation/runtime.h"
#include "host/progids.h"

namespace sc::host {

ax::Object NewDictionary() { return ax::CreateObject(ProgId::Dictionary); }

ax::Object NewVector() { return ax::CreateObject(ProgId::Vector); }

ax::Variant GetValue(const ax::Object& dct, std::string_view key, const ax::Variant& dflt) {
  return dct.Get("GetValue", {std::string(key), dflt});
}

void SetItem(const ax::Object& dct, std::string_view key, const ax::Variant& value) {
  if (value.isObject())
    dct.PutRef("Item", ax::Object(value), {std::string(key)});
  else
    dct.Put("Item", value, {std::string(key)});
}

int32_t Count(const ax::Object& collection) { return ax::CLng(collection.Get("Count")); }

}  // namespace sc::host
