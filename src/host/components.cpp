#include "host/components.h"

namespace sc::host {

ax::Object SystemProfile(const ax::Object& glData) { return glData.GetObj("SystemProfile"); }

void RefreshProfile(const ax::Object& profile) { profile.Call("Refresh"); }

ax::DateValue GLGetPeriodDate(const ax::Object& profile, int32_t year, int32_t period) {
  return ax::CDate(profile.Get("GLGetPeriodDate", {year, period}));
}

ax::Variant GetSystemProfile(const ax::Object& profile, std::string_view category,
                             std::string_view key, const ax::Variant& dflt) {
  return profile.Get("GetSystemProfile", {std::string(category), std::string(key), dflt});
}

ax::Object GetAccount(const ax::Object& glData, const std::string& account) {
  ax::Variant v = glData.Get("GetAccount", {account});
  return ax::Object::FromVariantOrNothing(v);
}

ax::Object GetCurrency(const ax::Object& glData, int32_t currencyId) {
  return glData.GetObj("GetCurrency", {currencyId});
}

void WriteLog(const ax::Object& glData, std::string_view objectCode, int32_t kind,
              const std::string& text) {
  glData.Call("WriteLog", {std::string(objectCode), kind, text});
}

bool AccessCheck(const ax::Object& glData, const ax::Variant& objectType,
                 const ax::Variant& objectId, int32_t right) {
  return ax::IsTrue(glData.Get("AccessCheck", {objectType, objectId, right}));
}

bool IsAdministrator(const ax::Object& securityInfo, const std::string& context,
                     int32_t userId) {
  return ax::IsTrue(securityInfo.Get("IsAdministrator", {context, userId}));
}

}  // namespace sc::host
