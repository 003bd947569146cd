// The shipped translations in the simulated host: reading .po text, the resource loader with
// and without the catalogue, the key audit, and expected Chinese texts shown in another language.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "automation/runtime.h"
#include "sim/host/catalogue.h"
#include "sim/harness/harness.h"
#include "sim/host/host.h"
#include "sim/harness/scenario.h"

namespace {

bool Has(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

TEST(SimCatalogue, PoTextGivesTrimmedKeysAndLeavesOutHeaderAndUntranslatedEntries) {
  const char* po = R"(# comment
msgid ""
msgstr ""
"Language: xx\n"

#: src/a.cpp:1
msgid "审核"
msgstr "審核"

msgid ""
"单据 %1 "
"提交成功！"
msgstr "Bill %1 "
"submitted."

msgid "撤销提交"
msgstr ""

msgid " 说\"明\"\n "
msgstr "a\tb\\c"
)";
  sim::Catalogue c = sim::ParsePo(po);
  EXPECT_EQ(c, (sim::Catalogue{{"审核", "審核"},
                               {"单据 %1 提交成功！", "Bill %1 submitted."},
                               {"说\"明\"\n", "a\tb\\c"}}));
  // CR LF line ends read the same.
  EXPECT_EQ(sim::ParsePo("msgid \"元\"\r\nmsgstr \"Units\"\r\n"), (sim::Catalogue{{"元", "Units"}}));
}

TEST(SimCatalogue, BothTranslationsAreBuiltInWithTheSameKeys) {
  const sim::Catalogue* cht = sim::ShippedCatalogue("cht");
  const sim::Catalogue* en = sim::ShippedCatalogue("EN");
  ASSERT_NE(cht, nullptr);
  ASSERT_NE(en, nullptr);
  EXPECT_EQ(sim::ShippedCatalogue("xx"), nullptr);
  EXPECT_EQ(sim::ShippedCatalogue("chs"), nullptr);
  EXPECT_GT(cht->size(), 100u);
  ASSERT_EQ(cht->size(), en->size());
  for (auto a = cht->begin(), b = en->begin(); a != cht->end(); ++a, ++b) EXPECT_EQ(a->first, b->first);
  EXPECT_EQ(cht->at("划拨单"), "劃撥單");
  EXPECT_EQ(en->at("单据 %1 提交成功！"), "Bill %1 submitted.");
}

TEST(SimCatalogue, ExpectedChineseTextsAreShownAsThePlugInWouldShowThem) {
  const sim::Catalogue entries = {
      {"审核", "Check"},
      {"成功！", "deleted."},
      {"失败！", "not deleted: "},
      {"删除[编号：%1]", "Bill %1 "},
      {"删除[编号：%1]失败!已审核，不能删除!|", "Bill %1 is checked.|"},
      {"单据 %1 提交失败：%2", "Bill %1 failed: %2"},
      {"单据 %1 提交失败：该划拨单未审批不能提交银行", "Bill %1 failed: not approved"},
      {"原因:%1", "Reason: %1"},
      {"%2在%1", "%1 has %2"},
  };
  struct Case {
    const char* chinese;
    const char* shown;
  };
  const Case cases[] = {
      {"审核", "Check"},
      {"", ""},
      {"张敏", "张敏"},  // not catalogued: as written
      {"删除[编号：HB01]成功！", "Bill HB01 deleted."},
      // Result lines: each line, each "|" part on its own; a value never crosses them.
      {"删除[编号：HB01]成功！|\n删除[编号：HB02]失败!已审核，不能删除!|",
       "Bill HB01 deleted.|\nBill HB02 is checked.|"},
      // A trailing value runs to the line's end, and may be empty.
      {"单据 HB01 提交失败：查询超时\r\n单据 HB02 提交失败：", "Bill HB01 failed: 查询超时\r\nBill HB02 failed: "},
      // Of two matches as long, the fixed reason wins over "%2".
      {"单据 HB02 提交失败：该划拨单未审批不能提交银行", "Bill HB02 failed: not approved"},
      // After the first text that is not catalogued the rest stays: "审核" inside a host's
      // error description is not translated.
      {"删除[编号：HB05]凭证已审核", "Bill HB05 凭证已审核"},
      {"删除[编号：HB05]失败！审核", "Bill HB05 not deleted: Check"},
      // Values go where the translation puts them.
      {"原因:", "Reason: "},
  };
  for (const auto& c : cases) EXPECT_EQ(sim::ShownText(c.chinese, entries), c.shown) << c.chinese;
}

TEST(SimCatalogue, TheLoaderUsesTheCatalogueOnlyWhenOnAndScenarioEntriesFirst) {
  sim::Host host;
  sim::Harness harness(host);
  sim::ScenarioRun scenario(host, harness);
  auto run = [&](const std::string& line) { scenario.Command(sim::Tokenize(line)); };
  run("language cht");
  run("translate \"反审核\" \"取消審核\"");
  ax::Object loader = ax::CreateObject("LmResLoader.Loader");
  loader.Put("LanguageID", "cht");
  auto load = [&](const char* text) { return ax::CStr(loader.Get("LoadString", {text})); };
  // The translations are the resource file "QOR"'s: a loader not pointed at it finds none, and
  // it looks a key up as given (the caller trims).
  EXPECT_EQ(load("反审核"), "反审核");
  loader.Put("ResFileBaseName", "qor");
  EXPECT_EQ(load("反审核"), "反审核");
  loader.Put("ResFileBaseName", "QOR");
  EXPECT_EQ(load(" 反审核 "), " 反审核 ");
  // Off (the default of a scenario): only `translate` entries.
  EXPECT_EQ(load("审核"), "审核");
  EXPECT_EQ(load("反审核"), "取消審核");
  EXPECT_EQ(host.Shown("审核"), "审核");
  run("catalogue on");
  EXPECT_EQ(load("审核"), "審核");
  EXPECT_EQ(load("反审核"), "取消審核");
  EXPECT_EQ(load("没有的文字"), "没有的文字");
  EXPECT_EQ(host.Shown("审核"), "審核");
  EXPECT_EQ(host.Shown("反审核"), "取消審核");
  // The loader's own language decides which catalogue serves.
  loader.Put("LanguageID", "en");
  EXPECT_EQ(load("审核"), "Check");
  loader.Put("LanguageID", "chs");
  EXPECT_EQ(load("审核"), "审核");
  std::vector<std::string> keys(harness.LoaderKeys().begin(), harness.LoaderKeys().end());
  EXPECT_EQ(keys, (std::vector<std::string>{" 反审核 ", "反审核", "审核", "没有的文字"}));
  // Chinese shows as written whatever the catalogue.
  run("language chs");
  EXPECT_EQ(host.Shown("审核"), "审核");
}

TEST(SimCatalogue, TheKeyAuditSendsEveryTextToTheLoaderAndShowsItAsWritten) {
  sim::ScenarioOptions audit;
  audit.keyAudit = true;
  const char* script =
      "open list transfer\n"
      "expect tool mnuscCheck caption \"审核\"\n"
      "expect cell 4 \"FCommitPayStatus\" \"已提交\"\n"
      "select 1\n"
      "fail Lmconnection.Appconnection.Execute \"数据库连接中断\"\n"
      "answer yes\n"
      "click mnuEditDelete\n"
      "expect message \"删除所选单据失败,原因是：数据库连接中断\" 64\n";
  sim::ScenarioResult plain = sim::RunScenarioText(script, "t.sct");
  sim::ScenarioResult audited = sim::RunScenarioText(script, "t.sct", audit);
  EXPECT_TRUE(audited.passed) << audited.failure;
  EXPECT_EQ(plain.passed, audited.passed) << plain.failure;
  // In "chs" the plug-in never asks the loader; in the audit it asks for every text.
  // (Only the first text: the language is not known before it.)
  EXPECT_LE(plain.loaderKeys.size(), 1u);
  EXPECT_TRUE(Has(audited.loaderKeys, "审核"));
  EXPECT_TRUE(Has(audited.loaderKeys, "中心归集"));
  EXPECT_TRUE(Has(audited.loaderKeys, "已提交"));
  // The host's error description reached the loader too; the host says it raised it.
  EXPECT_TRUE(Has(audited.loaderKeys, "数据库连接中断"));
  EXPECT_TRUE(Has(audited.raised, "数据库连接中断"));

  // A scenario's own language is not replaced.
  sim::Host host(sim::Host::Options{":memory:", true, nullptr, "", true});
  sim::Harness harness(host);
  EXPECT_EQ(ax::CStr(ax::CreateObject("LmLangInfo.LangInfo").Get("CurrentLanguage")), "chs-keys");
  host.settings().language = "en";
  EXPECT_EQ(ax::CStr(ax::CreateObject("LmLangInfo.LangInfo").Get("CurrentLanguage")), "en");
}

TEST(SimCatalogue, RunningInALanguageTurnsTheCatalogueOn) {
  sim::ScenarioOptions en;
  en.language = "en";
  const char* script =
      "open list transfer\n"
      "expect tool mnuscCheck caption \"审核\"\n"
      "expect tool mnuscCheck caption \"Check\"\n";
  sim::ScenarioResult r = sim::RunScenarioText(script, "t.sct", en);
  EXPECT_TRUE(r.passed) << r.failure;
  // A text that is not translated in the user's language fails the comparison.
  r = sim::RunScenarioText("open list transfer\nexpect tool mnuscCheck caption \"Uncheck\"\n", "t.sct", en);
  EXPECT_FALSE(r.passed);
  EXPECT_NE(r.failure.find("saw \"Check\""), std::string::npos) << r.failure;
}

}  // namespace
