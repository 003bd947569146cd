// The simulated host's ledger and context components: which accounts a user may see, currencies,
// a system profile that holds its values until Refresh, the context string, the resource loader
// and the security component's refusal of a missing context.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/runtime.h"
#include "sim/host/call_check.h"
#include "sim/host/host.h"

namespace sim {
namespace {

std::string AccountText(const ax::Variant& v) {
  ax::Object a = ax::Object::FromVariantOrNothing(v);
  if (a.IsNothing()) return "Nothing";
  return ax::DisplayText(a.Get("CurrencyID")) + " " + ax::DisplayText(a.Get("AccountID")) + " " +
         ax::DisplayText(a.Get("IsBank"));
}

TEST(SimGlComponents, GetAccountOnlyForAccountsTheUserMayUse) {
  struct Case {
    int line;
    int32_t user;
    std::string code, account;
  };
  const std::vector<Case> cases = {
      {__LINE__, 2, "01.001", "1 1021 True"},
      {__LINE__, 2, "01.004", "1 1024 False"},
      {__LINE__, 2, "02.001", "2 1025 True"},
      {__LINE__, 2, "03.001", "3 1026 True"},
      {__LINE__, 2, "09.999", "Nothing"},
      {__LINE__, 2, "", "Nothing"},
      {__LINE__, 5, "01.002", "1 1022 True"},
      {__LINE__, 5, "01.003", "Nothing"},
      {__LINE__, 5, "02.001", "Nothing"},
  };
  Host host;
  ax::Object gl = ax::CreateObject("HOLGLView.GLData");
  for (const Case& c : cases) {
    host.settings().user = c.user;
    EXPECT_EQ(AccountText(gl.Get("GetAccount", {c.code})), c.account) << "line " << c.line;
  }
}

TEST(SimGlComponents, GetCurrency) {
  Host host;
  ax::Object gl = ax::CreateObject("holglview.gldata");
  ax::Object jpy = gl.GetObj("GetCurrency", {3});
  EXPECT_EQ(ax::DisplayText(jpy.Get("Number")) + " " + ax::DisplayText(jpy.Get("Name")) + " " +
                ax::DisplayText(jpy.Get("ExchangeRate")) + " " +
                ax::DisplayText(jpy.Get("Operator")) + " " + ax::DisplayText(jpy.Get("FixRate")),
            "JPY 日元 20.5 / 0");
  EXPECT_EQ(ax::DisplayText(gl.GetObj("GetCurrency", {1}).Get("FixRate")), "1");
  EXPECT_TRUE(gl.GetObj("GetCurrency", {9}).IsNothing());
}

TEST(SimGlComponents, TheProfileHoldsItsValuesUntilRefresh) {
  Host host;
  ax::Object profile = ax::CreateObject("HOLGLView.GLData").GetObj("SystemProfile");
  auto value = [&](const char* key, ax::Variant dflt) {
    return ax::DisplayText(profile.Get("GetSystemProfile", {"SC", key, dflt}));
  };
  EXPECT_EQ(value("SCDailyEnd", "0"), "0");
  EXPECT_EQ(value("SCDateToday", "2026-12-08"), "2026-12-08") << "missing: the default";
  EXPECT_EQ(ax::DisplayText(profile.Get("SCGetBillAutoVch")), "True");
  EXPECT_EQ(ax::DisplayText(profile.Get("SCGetVoucherAfterBank")), "False");

  host.SetProfileValue("SC", "SCDailyEnd", "1");
  host.SetProfileValue("SC", "SCGetBillAutoVch", "0");
  EXPECT_EQ(value("SCDailyEnd", "0"), "0") << "not yet refreshed";
  profile.Call("Refresh");
  EXPECT_EQ(value("scdailyend", "0"), "1");
  EXPECT_EQ(ax::DisplayText(profile.Get("SCGetBillAutoVch")), "False");
  EXPECT_EQ(ax::DisplayText(profile.Get("Item", {"GL", "StartYear"})), "2026");
}

TEST(SimGlComponents, PeriodDatesComeFromTheLedgersPeriodTable) {
  Host host;
  ax::Object profile = ax::CreateObject("HOLGLView.GLData").GetObj("SystemProfile");
  auto start = [&](int32_t year, int32_t period) {
    return ax::FormatDate(ax::CDate(profile.Get("GLGetPeriodDate", {year, period})), "yyyy-mm-dd");
  };
  EXPECT_EQ(start(2026, 3), "2026-03-01");
  EXPECT_EQ(start(2025, 12), "2025-12-01");
  EXPECT_EQ(start(2027, 1), "2027-01-01");
  // A fiscal year that starts in April.
  host.Db().ExecNative(
      "UPDATE t_GLPeriod SET FStartDate = date(FStartDate, '+3 months') WHERE FYear = 2026");
  EXPECT_EQ(start(2026, 1), "2026-04-01");
  EXPECT_EQ(start(2026, 12), "2027-03-01");
  for (auto [year, period] : {std::pair{2026, 13}, std::pair{2026, 0}, std::pair{2030, 1}}) {
    try {
      profile.Get("GLGetPeriodDate", {year, period});
      ADD_FAILURE() << year << " period " << period << " exists";
    } catch (const ax::AutomationError& e) {
      EXPECT_EQ(e.Number(), ax::err::kInvalidCall);
    }
  }
}

TEST(SimGlComponents, ContextStringLoaderAndSecurity) {
  Host host;
  ax::Object props = ax::CreateObject("PropsMgr.ShareProps");
  const int32_t pid = static_cast<int32_t>(host.CurrentProcessId());
  EXPECT_EQ(ax::DisplayText(props.Get("GetProperty", {pid, "PropsString"})),
            "Language=chs;UserID=2;UserName=张敏;DBName=demo;");
  EXPECT_TRUE(props.Get("GetProperty", {pid + 1, "PropsString"}).isEmpty())
      << "another process has no shared properties";
  EXPECT_TRUE(ax::IsTrue(props.GetObj("GetProperty", {pid, "PWLogin"}).Get("CommitTask", {5})));

  host.settings().language = "cht";
  host.settings().translations["审核"] = "審核";
  ax::Object loader = ax::CreateObject("LmResLoader.Loader");
  loader.Put("ResFileBaseName", "QOR");
  loader.Put("LanguageID", "cht");
  EXPECT_EQ(ax::DisplayText(loader.Get("LoadString", {"审核"})), "審核");
  EXPECT_EQ(ax::DisplayText(loader.Get("LoadString", {"审批"})), "审批");
  loader.Put("LanguageID", "chs");
  EXPECT_EQ(ax::DisplayText(loader.Get("LoadString", {"审核"})), "审核");

  ax::Object security = ax::CreateObject("KIVBase.SecurityInfo");
  // The function test takes the context string and the codes of the call sites by reference.
  const std::string context = ContextString(host);
  ax::Variant c1(29), c2(11), c3(256), c4(true);
  ax::Args codes{context, ax::ref(c1), ax::ref(c2), ax::ref(c3), ax::ref(c4)};
  EXPECT_TRUE(ax::IsTrue(security.CallArgs("AccessCheck", codes, ax::kMethodOrGet)));
  host.settings().security = false;
  EXPECT_FALSE(ax::IsTrue(security.CallArgs("AccessCheck", codes, ax::kMethodOrGet)));
  EXPECT_TRUE(ax::IsTrue(security.Get("IsAdministrator", {"Language=chs;", 1})));
  EXPECT_FALSE(ax::IsTrue(security.Get("IsAdministrator", {"Language=chs;", 2})));
  try {
    security.Get("IsAdministrator", {"", 1});
    ADD_FAILURE() << "an empty context string is refused";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), ax::err::kInvalidCall);
  }
}

}  // namespace
}  // namespace sim
