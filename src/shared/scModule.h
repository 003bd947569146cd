// Settlement-centre routines: the centre's business date and the amount-unit list.
#pragma once

#include <string>

#include "automation/form.h"
#include "host/bill_template.h"

namespace sc {

// The centre's business date as "yyyy-mm-dd" when daily closing is on (profile "SC"
// "SCDailyEnd" not 0); "" when it is off and callers keep their own date. refreshProfile
// re-reads the profile first.
std::string GetCentreDate(bool refreshProfile = false);
// Refreshes the profile; with daily closing on, a prefilled bill is dated on the centre's
// business date, otherwise it keeps the date the host gives a new bill.
void SetCentreDate(host::PrefilledBill& bill);
// The five amount units 元, 十元, 百元, 千元, 万元 with item data 0…4 (the power of ten); the
// first is selected.
void FillUnitCombo(ax::Control& combo);

}  // namespace sc
