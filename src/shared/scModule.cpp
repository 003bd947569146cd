#include "shared/scModule.h"

#include "automation/runtime.h"
#include "host/components.h"
#include "host/transfer_bill.h"
#include "shared/MLoadPWString.h"
#include "shared/SysObjects.h"

namespace sc {

std::string GetCentreDate(bool refreshProfile) {
  ax::Object profile = GetProfileObject();
  if (refreshProfile) host::RefreshProfile(profile);
  ax::Variant dailyEnd = host::GetSystemProfile(profile, "SC", "SCDailyEnd", "0");
  // A missing or blank setting counts as off, like the default "0".
  if (dailyEnd.isNull() || dailyEnd.isEmpty() || ax::Val(dailyEnd) == 0) return {};
  ax::DateValue today = ax::DateOnly(ax::GetUi().Now());
  ax::Variant profileDate =
      host::GetSystemProfile(profile, "SC", "SCDateToday", ax::Variant(today));
  // A blank date counts as none: the computer's date stands in, as for a missing one.
  ax::DateValue date = today;
  if (!ax::Trim(host::TextOf(profileDate)).empty()) date = ax::CDate(profileDate);
  ax::DateValue businessDate = ax::GetHostLib().CentreDate(date, today);
  return ax::FormatDate(businessDate, "yyyy-mm-dd");
}

void SetCentreDate(host::PrefilledBill& bill) {
  host::RefreshProfile(GetProfileObject());
  std::string businessDate = GetCentreDate();
  if (!businessDate.empty()) bill.Set("FDate", "FFld", businessDate);
}

void FillUnitCombo(ax::Control& combo) {
  static const char* const kUnits[] = {N_("元"), N_("十元"), N_("百元"), N_("千元"), N_("万元")};
  for (int32_t power = 0; power < 5; ++power) combo.AddItem(LoadPWString(kUnits[power]), power);
  combo.listIndex = 0;
  combo.text = combo.items.front().text;
}

}  // namespace sc
