// Shared services and language strings: context values, status texts, translation caching,
// placeholders, the wait cursor, login tasks, the trace and error traps, the business date, the
// bill window's tool states and the SQL quoting helper. Each table row is one rule to check.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake_host.h"
#include "host/progids.h"
#include "host/sql.h"
#include "shared/BankClientPub.h"
#include "shared/FrmRes.h"
#include "shared/MLoadPWString.h"
#include "shared/MMTS.h"
#include "shared/ModPub.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"
#include "shared/WaitCursor.h"
#include "shared/scModule.h"

namespace sc {
namespace {

using sctest::CallLog;
using sctest::ErrorOf;
using sctest::FakePtr;

std::string S(std::string_view v) { return std::string(v); }

class SharedTest : public sctest::FakeHostTest {
 protected:
  // LmLangInfo.LangInfo answering the code.
  FakePtr Language(const std::string& code) {
    FakePtr info = env.Single(S(host::ProgId::LangInfo), "LangInfo");
    info->Prop("CurrentLanguage", code);
    return info;
  }
  // LmResLoader.Loader translating from the table; other texts come back unchanged.
  FakePtr Loader(std::map<std::string, std::string> translations) {
    FakePtr loader = env.Single(S(host::ProgId::ResLoader), "Loader");
    loader->Prop("ResFileBaseName", {}).Prop("LanguageID", {});
    loader->On("LoadString", [translations](ax::Args& a) -> ax::Variant {
      std::string key = ax::CStr(a.at(0).value());
      auto it = translations.find(key);
      return it == translations.end() ? key : it->second;
    });
    return loader;
  }
  // PropsMgr.ShareProps with the context string and a login object.
  FakePtr Props(const std::string& propsString, FakePtr login = nullptr) {
    FakePtr props = env.Single(S(host::ProgId::ShareProps), "ShareProps");
    props->On("GetProperty", [propsString, login](ax::Args& a) -> ax::Variant {
      EXPECT_EQ(ax::CLng(a.at(0).value()), 777) << "keyed by the process id";
      std::string name = ax::CStr(a.at(1).value());
      if (name == "PropsString") return propsString;
      if (name == "PWLogin" && login) return ax::Variant(login);
      return ax::Variant::null();
    });
    return props;
  }
  // Only the calls on objects of that name.
  CallLog CallsOn(const std::string& name) {
    CallLog out;
    for (const std::string& c : env.log)
      if (c.rfind(name + ".", 0) == 0) out.push_back(c);
    return out;
  }
};

TEST_F(SharedTest, GetPropsValueTakesTheFirstMatchWithoutRegardToCase) {
  struct Case {
    int line;
    std::string props, key, expected;
  };
  const std::vector<Case> cases = {
      {__LINE__, "Language=cht", "Language", "cht"},
      {__LINE__, "xLanguage=en;Language=cht", "Language", "en"},
      {__LINE__, "UserID=5;LANGUAGE=cht;", "language", "cht"},
      {__LINE__, "Language=cht;UserID=5", "UserID", "5"},
      {__LINE__, "Language=cht;UserID=;DB=x", "UserID", ""},
      {__LINE__, "Language=cht", "DB", ""},
      {__LINE__, "Language=cht;Server=a=b;", "Server", "a=b"},
  };
  Language("en");
  for (const Case& c : cases) {
    Props(c.props);
    EXPECT_EQ(GetPropsValue(c.key), c.expected) << "line " << c.line;
  }
}

TEST_F(SharedTest, GetPropsValueWithoutContextStringGivesTheLanguageForAnyKey) {
  Language("en");
  Props("");
  EXPECT_EQ(GetPropsValue("Language"), "en");
  EXPECT_EQ(GetPropsValue("UserID"), "en");
  EXPECT_EQ(env.created[ax::UCase(host::ProgId::LangInfo)], 1) << "created once";

  // A context string that cannot be read counts as empty.
  env.Register(S(host::ProgId::ShareProps), []() -> ax::Object {
    throw ax::AutomationError(-2147221164, "Class not registered");
  });
  EXPECT_EQ(GetPropsValue("DB"), "en");
}

TEST_F(SharedTest, BankStatusTextTable) {
  Language("chs");
  struct Case {
    int line;
    std::string code, text;
  };
  const std::vector<Case> cases = {
      {__LINE__, "INVALIDATED", "数据格式错误"},
      {__LINE__, "SUBMIT_SUCCESSE", "提交成功"},
      {__LINE__, "TRANSACTION_FAILURE", "交易失败"},
      {__LINE__, "TRANSACTION_NOTCONFIRM", "交易未确定"},
      {__LINE__, "TRANSACTION_SUCCESS", "交易成功"},
      {__LINE__, "WILLSUBMIT", "准备提交"},
      {__LINE__, "EXCEPTION", "异常错误"},
      {__LINE__, "BK201", "已撤消"},
      {__LINE__, "FC001", "付款单未提交"},
      {__LINE__, "FC002", "付款单已撤销，不能再次撤销"},
      {__LINE__, "FC003", "付款单提交成功，不能撤销"},
      {__LINE__, "", ""},
      {__LINE__, "submit_successe", "未知的错误信息"},
      {__LINE__, " BK201", "未知的错误信息"},
      {__LINE__, "BK202", "未知的错误信息"},
  };
  Loader({});
  for (const Case& c : cases) EXPECT_EQ(BankStatusText(c.code), c.text) << "line " << c.line;
}

TEST_F(SharedTest, BankStatusTextIsTranslatedExceptTheEmptyCode) {
  Language("cht");
  FakePtr loader = Loader({{"提交成功", "提交成功(cht)"}, {"未知的错误信息", "未知的錯誤信息"}});
  EXPECT_EQ(BankStatusText("SUBMIT_SUCCESSE"), "提交成功(cht)");
  EXPECT_EQ(BankStatusText("XYZ"), "未知的錯誤信息");
  env.Take();
  EXPECT_EQ(BankStatusText(""), "");
  EXPECT_TRUE(env.log.empty()) << "an empty code asks nobody";
}

TEST_F(SharedTest, ChsNeverAsksTheLoaderAfterTheFirstCall) {
  Language("chs");
  Loader({});
  EXPECT_EQ(LoadPWString("审核"), "审核");
  EXPECT_EQ(LoadPWString("审批"), "审批");
  EXPECT_EQ(LoadPWString("  "), "  ");
  EXPECT_EQ(LoadPWString(""), "");
  EXPECT_EQ(LoadPWString(" 审核 "), " 审核 ");
  EXPECT_EQ(CallsOn("Loader"),
            (CallLog{"Loader.ResFileBaseName=\"QOR\"", "Loader.LanguageID=\"chs\"",
                     "Loader.LoadString(\"审核\")"}));
  EXPECT_EQ(CallsOn("LangInfo").size(), 1u) << "the language is read once";
}

TEST_F(SharedTest, OtherLanguagesLookUpTheTrimmedText) {
  Language("cht");
  Loader({{"审核", "審核"}});
  struct Case {
    int line;
    std::string text, shown;
  };
  const std::vector<Case> cases = {
      {__LINE__, "审核", "審核"},
      {__LINE__, "  审核 ", "審核"},
      {__LINE__, "   ", "   "},
      {__LINE__, "", ""},
      {__LINE__, "未翻译的文字", "未翻译的文字"},
  };
  for (const Case& c : cases) EXPECT_EQ(LoadPWString(c.text), c.shown) << "line " << c.line;
  EXPECT_EQ(CallsOn("Loader"),
            (CallLog{"Loader.ResFileBaseName=\"QOR\"", "Loader.LanguageID=\"cht\"",
                     "Loader.LoadString(\"审核\")", "Loader.LoadString(\"审核\")",
                     "Loader.LoadString(\"未翻译的文字\")"}));
}

TEST_F(SharedTest, AMissingOrFailingLoaderShowsTheChineseText) {
  Language("cht");
  EXPECT_EQ(LoadPWString("审核"), "审核") << "no loader component";
  FakePtr loader = Loader({});
  loader->On("LoadString", [](ax::Args&) -> ax::Variant {
    throw ax::AutomationError(48, "Error in loading DLL");
  });
  EXPECT_EQ(LoadPWString("审核"), "审核") << "the loader fails";
  EXPECT_TRUE(env.boxes.empty());
}

TEST_F(SharedTest, GetLanguageFailureIsShownAndNotKept) {
  EXPECT_EQ(GetLanguage(), "chs");
  EXPECT_EQ(GetLanguage(), "chs");
  ASSERT_EQ(env.boxes.size(), 2u) << "each failing call tells the user";
  EXPECT_EQ(env.boxes[0].text, "获取语言信息出错");
  EXPECT_EQ(env.boxes[0].flags, 64);
  EXPECT_EQ(env.boxes[0].title, "Norvia提示");

  Language("cht");
  EXPECT_EQ(GetLanguage(), "cht");
  EXPECT_EQ(GetLanguage(), "cht");
  EXPECT_EQ(env.created[ax::UCase(host::ProgId::LangInfo)], 3) << "kept once read";
}

TEST_F(SharedTest, FormatPWStringTranslatesThenFillsPlaceholders) {
  Language("cht");
  Loader({{"单据 %1 提交成功！", "單據 %1 提交成功！"}});
  struct Case {
    int line;
    std::string text;
    std::vector<ax::Variant> params;
    std::string expected;
  };
  std::vector<ax::Variant> ten;
  for (int i = 1; i <= 10; ++i) ten.emplace_back("p" + std::to_string(i));
  const std::vector<Case> cases = {
      {__LINE__, "单据 %1 提交成功！", {"HB000001"}, "單據 HB000001 提交成功！"},
      {__LINE__, "划拨单[编号:%1]保存生成凭证[字号:%2]", {"HB000006", "记-16"},
       "划拨单[编号:HB000006]保存生成凭证[字号:记-16]"},
      {__LINE__, "%1%1", {"a"}, "aa"},
      {__LINE__, "%2 and %1", {"x"}, "%2 and x"},
      {__LINE__, "%1 then %2", {"%2", "y"}, "%2 then y"},
      {__LINE__, "%12", {"a"}, "a2"},
      {__LINE__, "%10/%1", ten, "p10/p1"},
      {__LINE__, "100% %1", {ax::Variant(5.5)}, "100% 5.5"},
      {__LINE__, "[%1]", {ax::Variant::null()}, "[]"},
      {__LINE__, "%0 %", {"a"}, "%0 %"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatPWString(c.text, c.params), c.expected) << "line " << c.line;
}

TEST_F(SharedTest, GetLangResKeyAddsTheLanguageSuffix) {
  struct Case {
    int line;
    std::string props, name, key;
  };
  const std::vector<Case> cases = {
      {__LINE__, "Language=en;", "mnuExport", "mnuExport_en"},
      {__LINE__, "Language=chs;", "mnuExport", "mnuExport"},
      {__LINE__, "UserID=2;Language=cht", " mnuExport ", "mnuExport_cht"},
      {__LINE__, "Language=chs", " mnuExport ", " mnuExport "},
  };
  for (const Case& c : cases) {
    Props(c.props);
    EXPECT_EQ(GetLangResKey(c.name), c.key) << "line " << c.line;
  }
}

TEST_F(SharedTest, MessagesCarryTheTranslatedTitle) {
  Language("cht");
  Loader({{"Norvia提示", "Norvia提示(cht)"}, {"对不起，你没有相应的权限！", "對不起"}});
  env.answer = ax::mb::kIdYes;
  EXPECT_EQ(ShowMessage("确定吗？", 36), ax::mb::kIdYes);
  ShowNoRightMessage();
  ASSERT_EQ(env.boxes.size(), 2u);
  EXPECT_EQ(env.boxes[0].text, "确定吗？") << "the caller translates the text";
  EXPECT_EQ(env.boxes[0].title, "Norvia提示(cht)");
  EXPECT_EQ(env.boxes[1].text, "對不起");
  EXPECT_EQ(env.boxes[1].flags, 48);
}

TEST_F(SharedTest, NestedWaitCursorsKeepTheHourglassUntilTheLast) {
  {
    WaitCursor outer;
    EXPECT_EQ(env.pointers, std::vector<int>{11});
    {
      WaitCursor inner;
      EXPECT_EQ(env.pointers, std::vector<int>{11});
    }
    EXPECT_EQ(env.pointers, std::vector<int>{11}) << "still waiting for the outer one";
  }
  EXPECT_EQ(env.pointers, (std::vector<int>{11, 0}));
}

TEST_F(SharedTest, UnbalancedEndWaitCursorRaisesError1) {
  EXPECT_EQ(ErrorOf([] { EndWaitCursor(); }), "error 1");
  // Later waits still work.
  { WaitCursor w; }
  EXPECT_EQ(env.pointers, (std::vector<int>{11, 0}));
}

TEST_F(SharedTest, CommitLoginTask) {
  FakePtr login = env.Make("Login");
  bool commits = true;
  login->On("CommitTask", [&commits](ax::Args&) -> ax::Variant { return commits; });
  Props("Language=chs", login);

  int32_t task = 0;
  EXPECT_FALSE(CommitLoginTask(task));
  EXPECT_TRUE(env.log.empty()) << "task 0 makes no call";

  task = 7;
  commits = false;
  EXPECT_FALSE(CommitLoginTask(task));
  EXPECT_EQ(task, 7) << "a task that was not committed keeps its id";

  commits = true;
  EXPECT_TRUE(CommitLoginTask(task));
  EXPECT_EQ(task, 0);
  EXPECT_EQ(CallsOn("Login"), (CallLog{"Login.CommitTask(7)", "Login.CommitTask(7)"}));
}

TEST_F(SharedTest, TraceWithoutOrWithDisabledLogDoesNothing) {
  EXPECT_EQ(TraceStart("scTAVExt.x.y"), 0) << "no log component";
  EXPECT_EQ(TraceStart("scTAVExt.x.y"), 0);
  EXPECT_EQ(env.created[ax::UCase(host::ProgId::LogMsg)], 1) << "created once, failure kept";

  ax::RunUnloadHooks();
  FakePtr log = env.Single(S(host::ProgId::LogMsg), "Log");
  log->Prop("IsEnabled", false);
  EXPECT_EQ(TraceStart("scTAVExt.x.y"), 0);
  TraceEnd(0, 0);
  EXPECT_EQ(CallsOn("Log"), (CallLog{"Log.IsEnabled()", "Log.IsEnabled()"}));
}

TEST_F(SharedTest, TraceScopeClosesWithTheFailedFlag) {
  FakePtr log = env.Single(S(host::ProgId::LogMsg), "Log");
  int next = 40;
  log->Prop("IsEnabled", true)
      .On("LogStart", [&next](ax::Args&) -> ax::Variant { return ++next; })
      .On("LogEnd", [](ax::Args&) -> ax::Variant { return {}; });
  auto ends = [&] {
    CallLog out;
    for (const std::string& c : env.Take())
      if (c.rfind("Log.Log", 0) == 0) out.push_back(c);
    return out;
  };

  { TraceScope t("scTAVExt.a.normal"); }
  EXPECT_EQ(ends(), (CallLog{"Log.LogStart(\"scTAVExt.a.normal\")", "Log.LogEnd(41,0)"}));

  {
    TraceScope t("scTAVExt.a.marked");
    t.MarkFailed();
  }
  EXPECT_EQ(ends(), (CallLog{"Log.LogStart(\"scTAVExt.a.marked\")", "Log.LogEnd(42,1)"}));

  EXPECT_EQ(ErrorOf([] {
              TraceScope t("scTAVExt.a.raises");
              throw ax::Error(ax::err::kTypeMismatch);
            }),
            "error 13");
  EXPECT_EQ(ends(), (CallLog{"Log.LogStart(\"scTAVExt.a.raises\")", "Log.LogEnd(43,1)"}));

  bool completed = true;
  {
    TraceScope t("scTAVExt.a.trapped");
    completed = TrapQuiet(t, [] { throw ax::Error(ax::err::kObjectNotSet); });
  }
  EXPECT_FALSE(completed);
  EXPECT_EQ(ends(), (CallLog{"Log.LogStart(\"scTAVExt.a.trapped\")", "Log.LogEnd(44,1)"}));

  // A failing log never reaches the procedure.
  log->On("LogStart", [](ax::Args&) -> ax::Variant { throw ax::Error(ax::err::kInternal); });
  EXPECT_EQ(TraceStart("scTAVExt.a.b"), 0);
}

TEST_F(SharedTest, ErrorTrapsOfEachKind) {
  Language("chs");
  {
    TraceScope t("scTAVExt.t.message");
    EXPECT_FALSE(TrapMessage(t, [] { throw ax::AutomationError(5, "账号不存在"); }));
  }
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_EQ(env.boxes[0].text, "账号不存在");
  EXPECT_EQ(env.boxes[0].flags, 64);

  std::string seen;
  EXPECT_FALSE(TrapMessage([] { throw std::runtime_error("boom"); },
                           [&seen](const ax::AutomationError& e) {
                             seen = std::to_string(e.Number()) + " " + e.Description();
                           }));
  EXPECT_EQ(seen, "51 Internal error: boom") << "anything thrown arrives as an automation error";

  EXPECT_FALSE(TrapReport([] { throw ax::AutomationError(91, "not set"); }));
  ASSERT_EQ(env.reported.size(), 1u);
  EXPECT_EQ(env.reported[0].Number(), 91);

  EXPECT_TRUE(TrapQuiet([] {}));
  EXPECT_TRUE(TrapMessage([] {}, [](const ax::AutomationError&) { FAIL(); }));

  // A message that itself fails does not escape the trap.
  EXPECT_FALSE(TrapMessage([] { throw ax::Error(5); },
                           [](const ax::AutomationError&) { throw ax::Error(6); }));

  TraceScope t("scTAVExt.t.host");
  EXPECT_EQ(ErrorOf([&] { BackToHost(t, [] { throw std::runtime_error("x"); }); }), "error 51");
}

TEST_F(SharedTest, GetCentreDateFollowsDailyClosing) {
  std::map<std::string, std::string> profile;
  FakePtr prof = env.Make("Profile");
  prof->On("Refresh", [](ax::Args&) -> ax::Variant { return {}; });
  prof->On("GetSystemProfile", [&profile](ax::Args& a) -> ax::Variant {
    auto it = profile.find(ax::CStr(a.at(0).value()) + "." + ax::CStr(a.at(1).value()));
    return it == profile.end() ? a.at(2).value() : ax::Variant(it->second);
  });
  FakePtr gl = env.Single(S(host::ProgId::GLData), "GLData");
  gl->Prop("SystemProfile", ax::Variant(prof));

  struct Case {
    int line;
    std::map<std::string, std::string> profile;
    std::string date;
  };
  const std::vector<Case> cases = {
      {__LINE__, {}, ""},
      {__LINE__, {{"SC.SCDailyEnd", "0"}, {"SC.SCDateToday", "2026-12-10"}}, ""},
      {__LINE__, {{"SC.SCDailyEnd", ""}}, ""},
      {__LINE__, {{"SC.SCDailyEnd", "1"}, {"SC.SCDateToday", "2026-12-10"}}, "2026-12-10"},
      {__LINE__, {{"SC.SCDailyEnd", "1"}}, "2026-12-08"},
      {__LINE__, {{"SC.SCDailyEnd", "1"}, {"SC.SCDateToday", "2026-12-10 00:00:00"}},
       "2026-12-10"},
  };
  for (const Case& c : cases) {
    profile = c.profile;
    env.centreDateCalls.clear();
    EXPECT_EQ(GetCentreDate(), c.date) << "line " << c.line;
    if (!c.date.empty()) {
      ASSERT_EQ(env.centreDateCalls.size(), 1u) << "line " << c.line;
      EXPECT_EQ(ax::FormatDate(env.centreDateCalls[0].second, "yyyy-mm-dd hh:nn:ss"),
                "2026-12-08 00:00:00")
          << "the computer's date, line " << c.line;
    }
  }
  env.Take();
  GetCentreDate(true);
  EXPECT_EQ(CallsOn("Profile").front(), "Profile.Refresh()");
}

// A bill window whose tools and checker the table sets.
struct ToolBill {
  FakePtr bill;
  std::map<std::string, FakePtr> tools;
};

ToolBill MakeToolBill(sctest::FakeEnv& env, ax::Variant status, ax::Variant checker,
                      bool withVoucherTool = true) {
  ToolBill b;
  b.bill = env.Make("Bill");
  FakePtr menu = env.Make("MenuBar");
  for (const char* key : {"mnuscCheck", "mnuscUnCheck", "mnuscReCheck", "mnuscUnReCheck",
                          "mnuCreateVou", "Voucher", "mnuEditAddRow", "mnuEditDelRow",
                          "mnuFileSave", "mnuDataLookUp"}) {
    if (!withVoucherTool && std::string(key) == "Voucher") continue;
    b.tools[key] = env.Make(key);
    b.tools[key]->Prop("Enabled", {}).Prop("Visible", {});
  }
  menu->On("TAVTools", [tools = b.tools](ax::Args& a) -> ax::Variant {
    auto it = tools.find(ax::CStr(a.at(0).value()));
    if (it == tools.end()) throw ax::Error(ax::err::kInvalidCall);
    return ax::Variant(it->second);
  });
  FakePtr info = env.Make("FieldInfo");
  FakePtr data = env.Make("FieldData");
  data->On("Item", [checker](ax::Args& a) -> ax::Variant {
    EXPECT_EQ(ax::UCase(ax::CStr(a.at(0).value())), "FFLD");
    return checker;
  });
  b.bill->Prop("BillStatus", status)
      .Prop("MenuBar", ax::Variant(menu))
      .On("GetFieldInfoByKey",
          [info](ax::Args& a) -> ax::Variant {
            EXPECT_EQ(ax::CStr(a.at(0).value()), "FCheckerID");
            return ax::Variant(info);
          })
      .On("GetDataFld", [data](ax::Args&) -> ax::Variant { return ax::Variant(data); });
  return b;
}

// "E"/"D" for Enabled, "V"/"H" for Visible, "-" when the tool was not touched.
std::string ToolStates(ToolBill& b) {
  auto flag = [&](const char* key, const char* prop, const char* yes, const char* no) {
    auto it = b.tools.find(key);
    if (it == b.tools.end()) return std::string("?");
    const ax::Variant& v = it->second->PropValue(prop);
    return std::string(v.isEmpty() ? "-" : ax::IsTrue(v) ? yes : no);
  };
  std::string out;
  for (const char* key : {"mnuscCheck", "mnuscUnCheck", "mnuscReCheck", "mnuscUnReCheck",
                          "mnuCreateVou", "Voucher"})
    out += flag(key, "Enabled", "E", "D");
  out += " rows " + flag("mnuEditAddRow", "Visible", "V", "H") +
         flag("mnuEditDelRow", "Visible", "V", "H");
  out += " save " + flag("mnuFileSave", "Enabled", "E", "D");
  out += " lookup " + flag("mnuDataLookUp", "Enabled", "E", "D");
  return out;
}

TEST_F(SharedTest, SetBillToolStateFollowsStatusAndCheck) {
  struct Case {
    int line;
    ax::Variant status;
    ax::Variant checker;
    bool rowEdit;
    std::string states;
  };
  const std::vector<Case> cases = {
      {__LINE__, 2, "", true, "EEEEEE rows VV save - lookup -"},
      {__LINE__, 2, "", false, "EEEEEE rows HH save - lookup -"},
      {__LINE__, 0, ax::Variant(), true, "EEEEEE rows VV save - lookup -"},
      {__LINE__, 2, "0", true, "EEEEEE rows VV save - lookup -"},
      {__LINE__, 2, ax::Variant::null(), true, "EEEEEE rows VV save - lookup -"},
      {__LINE__, 2, "3", true, "EEEEEE rows HH save D lookup D"},
      {__LINE__, 0, 3, false, "EEEEEE rows HH save D lookup D"},
      {__LINE__, 1, "3", true, "DDDDDD rows HH save D lookup D"},
      {__LINE__, 1, "", false, "DDDDDD rows HH save - lookup -"},
      {__LINE__, "1", "", true, "DDDDDD rows VV save - lookup -"},
  };
  for (const Case& c : cases) {
    ToolBill b = MakeToolBill(env, c.status, c.checker);
    SetBillToolState(ax::Object(b.bill), c.rowEdit);
    EXPECT_EQ(ToolStates(b), c.states) << "line " << c.line;
  }
}

TEST_F(SharedTest, SetBillToolStateEndsQuietlyKeepingWhatWasSet) {
  ToolBill b = MakeToolBill(env, 2, "3", /*withVoucherTool=*/false);
  SetBillToolState(ax::Object(b.bill), true);
  EXPECT_EQ(ToolStates(b), "EEEEE? rows -- save - lookup -");
}

TEST_F(SharedTest, NullToDefault) {
  struct Case {
    int line;
    ax::Variant value, dflt;
    std::string shown;
  };
  const std::vector<Case> cases = {
      {__LINE__, ax::Variant::null(), 2, "Long 2"},
      {__LINE__, 0, 2, "Long 0"},
      {__LINE__, "", 2, "String "},
      {__LINE__, ax::Variant(), 2, "Empty "},
      {__LINE__, 1.5, 2, "Double 1.5"},
  };
  for (const Case& c : cases) {
    ax::Variant v = NullToDefault(c.value, c.dflt);
    EXPECT_EQ(std::string(v.typeName()) + " " + ax::DisplayText(v), c.shown) << "line " << c.line;
  }
}

TEST_F(SharedTest, BusinessLogAndPermissionTests) {
  FakePtr gl = env.Single(S(host::ProgId::GLData), "GLData");
  bool allow = true;
  gl->On("WriteLog", [](ax::Args&) -> ax::Variant { return {}; })
      .On("AccessCheck", [&allow](ax::Args&) -> ax::Variant { return allow; });
  FakePtr bill = env.Make("Bill");
  bill->On("ClassType", [](ax::Args& a) -> ax::Variant {
    return ax::CStr(a.at(0).value()) == "FObjectType" ? 1006 : 1006007;
  });

  WriteBusinessLog(3, "划拨单[编号:HB000006]保存生成凭证[字号:记-16]");
  EXPECT_TRUE(CheckObjectRight(ax::Object(bill), 8));
  allow = false;
  EXPECT_FALSE(CheckObjectRight(ax::Object(bill), 1));
  EXPECT_EQ(CallsOn("GLData"),
            (CallLog{"GLData.WriteLog(\"DJPT100001\",3,\"划拨单[编号:HB000006]保存生成凭证[字号:记-16]\")",
                     "GLData.AccessCheck(1006,1006007,8)", "GLData.AccessCheck(1006,1006007,1)"}));

  gl->On("WriteLog", [](ax::Args&) -> ax::Variant { throw ax::Error(ax::err::kInternal); });
  EXPECT_EQ(ErrorOf([] { WriteBusinessLog(1, "x"); }), "") << "the log never raises";
}

TEST_F(SharedTest, CheckSecurityAccessReportsErrorsToTheHost) {
  Props("Language=chs;UserID=2");
  FakePtr security = env.Single(S(host::ProgId::SecurityInfo), "Security");
  security->On("AccessCheck", [](ax::Args& a) -> ax::Variant {
    a.at(4).value() = true;  // the component may adjust a by-reference argument
    return ax::CLng(a.at(1).value()) == 1;
  });
  int32_t a1 = 1, a2 = 2, a3 = 3;
  bool a4 = false;
  EXPECT_TRUE(CheckSecurityAccess(a1, a2, a3, a4));
  EXPECT_TRUE(a4);
  EXPECT_EQ(CallsOn("Security"),
            CallLog{"Security.AccessCheck(\"Language=chs;UserID=2\",1,2,3,False)"});

  security->On("AccessCheck", [](ax::Args&) -> ax::Variant {
    throw ax::AutomationError(70, "Permission denied");
  });
  EXPECT_FALSE(CheckSecurityAccess(a1, a2, a3, a4));
  ASSERT_EQ(env.reported.size(), 1u);
  EXPECT_EQ(env.reported[0].Description(), "Permission denied");
}

TEST_F(SharedTest, HelpFontsAndUnits) {
  Language("chs");
  FakePtr help = env.Single(S(host::ProgId::CHMHelp), "Help");
  help->On("ShowHELP", [](ax::Args&) -> ax::Variant { return {}; });
  FakePtr fonts = env.Single(S(host::ProgId::FrmResLoader), "Fonts");
  ax::Object keptForm, keptFont;
  fonts->On("SetFrmFont", [&](ax::Args& a) -> ax::Variant {
    keptForm = ax::Object(a.at(0).value());
    EXPECT_EQ(ax::CStr(keptForm.Get("Name")), "dlgBalSum");
    keptFont = keptForm.GetObj("Controls").ItemObj(0).GetObj("Font");
    keptFont.Put("Bold", true);
    return {};
  });

  EXPECT_FALSE(ShowF1Help(113, 55, "a", 1, "b", 2));
  EXPECT_TRUE(env.log.empty()) << "other keys make no call";
  EXPECT_TRUE(ShowF1Help(112, 55, "a", 1, "b", 2));
  EXPECT_TRUE(ShowF1Help(112, 56, "c", 3, "d", 4));
  EXPECT_EQ(CallsOn("Help"), (CallLog{"Help.ShowHELP(55,0,\"a\",1,\"b\",2)",
                                      "Help.ShowHELP(56,0,\"c\",3,\"d\",4)"}));
  EXPECT_EQ(env.created[ax::UCase(host::ProgId::CHMHelp)], 1);

  ax::Form form("dlgBalSum");
  form.AddControl("cmdOK", "CommandButton");
  SetFormFont(form);
  SetFormFont(form);
  EXPECT_EQ(CallsOn("Fonts"), (CallLog{"Fonts.SetFrmFont(dlgBalSum,\"chs\")",
                                       "Fonts.SetFrmFont(dlgBalSum,\"chs\")"}));
  EXPECT_EQ(env.created[ax::UCase(host::ProgId::FrmResLoader)], 1);
  EXPECT_TRUE(form.C("cmdOK").font.bold) << "the loader set the control's font";
  // A loader that kept the form or a font reaches nothing once its call has returned.
  for (const ax::Object* kept : {&keptForm, &keptFont}) {
    ax::AutomationError e(0, "");
    EXPECT_FALSE(ax::TryCall([&] { kept->Get("Name"); }, &e));
    EXPECT_EQ(e.Number(), ax::err::kObjectNotSet);
  }

  ax::Control combo("cboUnit", "ComboBox");
  FillUnitCombo(combo);
  ASSERT_EQ(combo.items.size(), 5u);
  std::string shown;
  for (const ax::ComboItem& item : combo.items)
    shown += item.text + "=" + std::to_string(item.itemData) + " ";
  EXPECT_EQ(shown, "元=0 十元=1 百元=2 千元=3 万元=4 ");
  EXPECT_EQ(combo.listIndex, 0);
}

TEST_F(SharedTest, ResourceImagesKeepTheirOrder) {
  EXPECT_EQ(FrmRes::ImageCount(), 6);
  const char* expected[] = {"审核", "审批", "中心归集", "银行归集", "单据生成凭证", "凭证"};
  for (int32_t i = 1; i <= 6; ++i) {
    ax::Picture p = FrmRes::ListImage(i);
    EXPECT_EQ(p.imageIndex, i);
    EXPECT_EQ(p.name.rfind(expected[i - 1], 0), 0u) << "image " << i << ": " << p.name;
  }
  EXPECT_EQ(ErrorOf([] { FrmRes::ListImage(7); }), "error 35600");
  EXPECT_EQ(ErrorOf([] { FrmRes::ListImage(0); }), "error 35600");
}

TEST(SqlText, QuotingAndNumbers) {
  struct Case {
    int line;
    std::string got, expected;
  };
  const std::vector<Case> cases = {
      {__LINE__, host::SqlStr("HB000001"), "'HB000001'"},
      {__LINE__, host::SqlStr(""), "''"},
      {__LINE__, host::SqlStr("O'Brien"), "'O''Brien'"},
      {__LINE__, host::SqlStr("x' or '1'='1"), "'x'' or ''1''=''1'"},
      {__LINE__, host::SqlStr("';delete from t_scTransfer--"), "''';delete from t_scTransfer--'"},
      {__LINE__, host::SqlStr("调拨"), "'调拨'"},
      {__LINE__, host::SqlStr(ax::Variant::null()), "''"},
      {__LINE__, host::SqlStr(ax::Variant(12)), "'12'"},
      {__LINE__, host::SqlNum(0), "0"},
      {__LINE__, host::SqlNum(-42), "-42"},
      {__LINE__, host::SqlNum(12345.67), "12345.67"},
      {__LINE__, host::SqlNum(0.1 + 0.2), "0.3"},
      {__LINE__, host::SqlNum(1e20), "100000000000000000000"},
      {__LINE__, host::SqlNum(ax::Variant("6")), "6"},
      {__LINE__, host::SqlNum(ax::Variant("2.50")), "2.5"},
      {__LINE__, host::SqlNum(ax::Variant::currency(50000)), "50000"},
      {__LINE__, host::SqlNum(ax::Variant()), "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << "line " << c.line;
  EXPECT_EQ(ErrorOf([] { host::SqlNum(ax::Variant("1 or 1=1")); }), "error 13");
  EXPECT_EQ(ErrorOf([] { host::SqlNum(ax::Variant::null()); }), "error 94");
}

}  // namespace
}  // namespace sc
