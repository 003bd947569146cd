// Members of the host's service components, called late-bound by name. Each wrapper passes the
// arguments in the host's order and converts the result to the type the callers test.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/object.h"
#include "automation/variant.h"

namespace sc::host {

// ---- HOLGLView.GLData ----------------------------------------------------------------------
// SystemProfile: the profile object (Refresh, GetSystemProfile).
ax::Object SystemProfile(const ax::Object& glData);
void RefreshProfile(const ax::Object& profile);
// profile.GLGetPeriodDate(year, period): the first day of that period of the ledger.
ax::DateValue GLGetPeriodDate(const ax::Object& profile, int32_t year, int32_t period);
// profile.GetSystemProfile(category, key, default).
ax::Variant GetSystemProfile(const ax::Object& profile, std::string_view category,
                             std::string_view key, const ax::Variant& dflt);
// GetAccount(account text): the ledger account (CurrencyID, AccountID, IsBank), or Nothing when
// it does not exist or the user may not see it.
ax::Object GetAccount(const ax::Object& glData, const std::string& account);
// GetCurrency(currency id): Number, Name, ExchangeRate, Operator, FixRate.
ax::Object GetCurrency(const ax::Object& glData, int32_t currencyId);
// WriteLog(object code, kind, text).
void WriteLog(const ax::Object& glData, std::string_view objectCode, int32_t kind,
              const std::string& text);
// AccessCheck(object type, object id, right).
bool AccessCheck(const ax::Object& glData, const ax::Variant& objectType,
                 const ax::Variant& objectId, int32_t right);

// ---- KIVBase.SecurityInfo ------------------------------------------------------------------
// IsAdministrator(context string, user id).
bool IsAdministrator(const ax::Object& securityInfo, const std::string& context, int32_t userId);

}  // namespace sc::host
