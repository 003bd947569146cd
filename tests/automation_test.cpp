// The automation runtime: variant conversions, text helpers, dates, comparison and arithmetic,
// late-bound objects and the error helpers. Each table row is one rule to check.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "automation/error.h"
#include "automation/object.h"
#include "automation/runtime.h"
#include "automation/variant.h"

namespace ax {
namespace {

// A value as a reviewer reads it: the variant's type and display text ("Long 3").
std::string Show(const Variant& v) { return std::string(v.typeName()) + " " + DisplayText(v); }
std::string Show(int32_t n) { return std::to_string(n); }
std::string Show(int16_t n) { return std::to_string(n); }
std::string Show(bool b) { return b ? "True" : "False"; }
std::string Show(const std::string& s) { return "\"" + s + "\""; }
std::string Show(double d) { return CStr(Variant(d)); }
std::string Show(CurrencyValue c) { return CStr(Variant(c)); }
std::string Show(DateValue d) { return FormatDate(d, "yyyy-mm-dd hh:nn:ss"); }

// Runs f and shows its result, or "error N" for the automation error it raised.
template <class F>
std::string Outcome(F f) {
  try {
    return Show(f());
  } catch (const AutomationError& e) {
    return "error " + std::to_string(e.Number());
  }
}

Variant Str(const char* s) { return Variant(s); }
Variant Cur(double d) { return Variant::currency(d); }
Variant Dt(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
  return Variant(MakeDate(y, m, d, h, mi, s));
}
const Variant kNull = Variant::null();
const Variant kEmpty;

struct ConversionCase {
  int line;
  Variant input;
  std::string clng, cint, cdbl, cbool;
};

TEST(Automation, IntegerDoubleAndBooleanConversions) {
  const std::vector<ConversionCase> cases = {
      {__LINE__, Variant(2.5), "2", "2", "2.5", "True"},
      {__LINE__, Variant(3.5), "4", "4", "3.5", "True"},
      {__LINE__, Variant(-2.5), "-2", "-2", "-2.5", "True"},
      {__LINE__, Variant(-3.5), "-4", "-4", "-3.5", "True"},
      {__LINE__, Variant(0.5), "0", "0", "0.5", "True"},
      {__LINE__, Variant(1.5000001), "2", "2", "1.5000001", "True"},
      {__LINE__, Variant(2147483647.0), "2147483647", "error 6", "2147483647", "True"},
      {__LINE__, Variant(2147483647.5), "error 6", "error 6", "2147483647.5", "True"},
      {__LINE__, Variant(-2147483648.0), "-2147483648", "error 6", "-2147483648", "True"},
      {__LINE__, Variant(32767.4), "32767", "32767", "32767.4", "True"},
      {__LINE__, Variant(32767.5), "32768", "error 6", "32767.5", "True"},
      {__LINE__, Variant(-32768.5), "-32768", "-32768", "-32768.5", "True"},
      {__LINE__, Variant(1e300), "error 6", "error 6", "1E+300", "True"},
      {__LINE__, Variant(0.0), "0", "0", "0", "False"},
      {__LINE__, Str("12"), "12", "12", "12", "True"},
      {__LINE__, Str(" 12 "), "12", "12", "12", "True"},
      {__LINE__, Str("1.5"), "2", "2", "1.5", "True"},
      {__LINE__, Str("2.5"), "2", "2", "2.5", "True"},
      {__LINE__, Str("-7"), "-7", "-7", "-7", "True"},
      {__LINE__, Str("+7"), "7", "7", "7", "True"},
      {__LINE__, Str("1e3"), "1000", "1000", "1000", "True"},
      {__LINE__, Str(".5"), "0", "0", "0.5", "True"},
      {__LINE__, Str("&H10"), "16", "16", "16", "True"},
      {__LINE__, Str("0"), "0", "0", "0", "False"},
      {__LINE__, Str("abc"), "error 13", "error 13", "error 13", "error 13"},
      {__LINE__, Str(""), "error 13", "error 13", "error 13", "error 13"},
      {__LINE__, Str("12abc"), "error 13", "error 13", "error 13", "error 13"},
      {__LINE__, Str("1e"), "error 13", "error 13", "error 13", "error 13"},
      {__LINE__, Str("人民币"), "error 13", "error 13", "error 13", "error 13"},
      {__LINE__, Str("True"), "error 13", "error 13", "error 13", "True"},
      {__LINE__, Str("false"), "error 13", "error 13", "error 13", "False"},
      {__LINE__, Str("99999999999"), "error 6", "error 6", "99999999999", "True"},
      {__LINE__, kEmpty, "0", "0", "0", "False"},
      {__LINE__, kNull, "error 94", "error 94", "error 94", "error 94"},
      {__LINE__, Variant(true), "-1", "-1", "-1", "True"},
      {__LINE__, Variant(false), "0", "0", "0", "False"},
      {__LINE__, Variant(int16_t{-5}), "-5", "-5", "-5", "True"},
      {__LINE__, Variant(int32_t{70000}), "70000", "error 6", "70000", "True"},
      {__LINE__, Cur(2.5), "2", "2", "2.5", "True"},
      {__LINE__, Cur(-3.5), "-4", "-4", "-3.5", "True"},
      {__LINE__, Cur(0.0001), "0", "0", "0.0001", "True"},
      {__LINE__, Dt(2026, 12, 8), "46364", "error 6", "46364", "True"},
      {__LINE__, Variant::date(0.75), "1", "1", "0.75", "True"},
      {__LINE__, Variant(DispatchPtr()), "error 13", "error 13", "error 13", "error 13"},
      {__LINE__, Variant::missing(), "error 13", "error 13", "error 13", "error 13"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("case at line " + std::to_string(c.line) + ", input " + Show(c.input));
    EXPECT_EQ(c.clng, Outcome([&] { return CLng(c.input); })) << "CLng";
    EXPECT_EQ(c.cint, Outcome([&] { return CInt(c.input); })) << "CInt";
    EXPECT_EQ(c.cdbl, Outcome([&] { return CDbl(c.input); })) << "CDbl";
    EXPECT_EQ(c.cbool, Outcome([&] { return CBool(c.input); })) << "CBool";
  }
}

struct TextCase {
  int line;
  Variant input;
  std::string expected;
};

TEST(Automation, CStrAndDisplayText) {
  const std::vector<TextCase> cstr = {
      {__LINE__, Variant(int32_t{42}), "\"42\""},
      {__LINE__, Variant(int16_t{-7}), "\"-7\""},
      {__LINE__, Variant(0.1 + 0.2), "\"0.3\""},
      {__LINE__, Variant(1.0 / 3.0), "\"0.333333333333333\""},
      {__LINE__, Variant(2.0 / 3.0), "\"0.666666666666667\""},
      {__LINE__, Variant(100.0), "\"100\""},
      {__LINE__, Variant(-0.0), "\"0\""},
      {__LINE__, Variant(1234.5), "\"1234.5\""},
      {__LINE__, Variant(123456789012345.0), "\"123456789012345\""},
      {__LINE__, Variant(1e15), "\"1E+15\""},
      {__LINE__, Variant(1e21), "\"1E+21\""},
      {__LINE__, Variant(123456789012345678.0), "\"1.23456789012346E+17\""},
      {__LINE__, Variant(0.0001), "\"0.0001\""},
      {__LINE__, Variant(0.00001), "\"1E-05\""},
      {__LINE__, Variant(-1.5e-10), "\"-1.5E-10\""},
      {__LINE__, Variant(true), "\"True\""},
      {__LINE__, Variant(false), "\"False\""},
      {__LINE__, Cur(12.5), "\"12.5\""},
      {__LINE__, Cur(3), "\"3\""},
      {__LINE__, Cur(-0.0001), "\"-0.0001\""},
      {__LINE__, Cur(1.23456), "\"1.2346\""},
      {__LINE__, Dt(2026, 12, 8), "\"2026-12-08\""},
      {__LINE__, Dt(2026, 12, 8, 9, 5, 7), "\"2026-12-08 09:05:07\""},
      {__LINE__, Variant::date(0.5), "\"12:00:00\""},
      {__LINE__, Str("人民币"), "\"人民币\""},
      {__LINE__, kEmpty, "\"\""},
      {__LINE__, kNull, "error 94"},
      {__LINE__, Variant::missing(), "error 13"},
      {__LINE__, Variant(DispatchPtr()), "error 13"},
  };
  for (const auto& c : cstr) {
    EXPECT_EQ(c.expected, Outcome([&] { return CStr(c.input); }))
        << "CStr, case at line " << c.line;
  }
  const std::vector<TextCase> display = {
      {__LINE__, kNull, "NULL"},
      {__LINE__, kEmpty, ""},
      {__LINE__, Variant(DispatchPtr()), "Nothing"},
      {__LINE__, Variant(2.5), "2.5"},
      {__LINE__, Dt(2026, 1, 2), "2026-01-02"},
  };
  for (const auto& c : display) {
    EXPECT_EQ(c.expected, DisplayText(c.input)) << "DisplayText, case at line " << c.line;
  }
}

TEST(Automation, TypeNamesAndConstruction) {
  const std::vector<TextCase> cases = {
      {__LINE__, kEmpty, "Empty "},
      {__LINE__, kNull, "Null NULL"},
      {__LINE__, Variant(true), "Boolean True"},
      {__LINE__, Variant::integer(3), "Integer 3"},
      {__LINE__, Variant(int64_t{2147483647}), "Long 2147483647"},
      {__LINE__, Variant(int64_t{-2147483648LL}), "Long -2147483648"},
      {__LINE__, Variant(int64_t{2147483648LL}), "Double 2147483648"},
      {__LINE__, Variant(size_t{5}), "Long 5"},
      {__LINE__, Variant(1.5), "Double 1.5"},
      {__LINE__, Cur(0.12345), "Currency 0.1234"},
      {__LINE__, Cur(0.12355), "Currency 0.1236"},
      {__LINE__, Variant::date(1), "Date 1899-12-31"},
      {__LINE__, Str("x"), "String x"},
      {__LINE__, Variant(DispatchPtr()), "Nothing Nothing"},
      {__LINE__, Variant::missing(), "Error Missing"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, Show(c.input)) << "case at line " << c.line;
  }
  EXPECT_TRUE(Variant(true).isNumeric());
  EXPECT_TRUE(Dt(2026, 1, 1).isNumeric());
  EXPECT_FALSE(Str("1").isNumeric());
  EXPECT_FALSE(kEmpty.isNumeric());
  EXPECT_EQ("error 6", Outcome([] { return Variant::currency(1e300); }));
}

TEST(Automation, CurrencyAndDateConversions) {
  const std::vector<TextCase> ccur = {
      {__LINE__, Variant(1.23455), "1.2346"},  // 1.23455 is stored a little above the half
      {__LINE__, Variant(0.00005), "0"},       // half to even
      {__LINE__, Str("0.00015"), "0.0002"},    // text rounds as written, half to even
      {__LINE__, Str("0.00025"), "0.0002"},
      {__LINE__, Str("-0.000250001"), "-0.0003"},
      {__LINE__, Str(" 19.99 "), "19.99"},
      {__LINE__, Str("922337203685477.5807"), "922337203685477.5807"},
      {__LINE__, Str("922337203685477.5808"), "error 6"},
      {__LINE__, Str("1.5e2"), "150"},
      {__LINE__, Variant(int32_t{-3}), "-3"},
      {__LINE__, Variant(true), "-1"},
      {__LINE__, Variant(1e16), "error 6"},
      {__LINE__, Str("x"), "error 13"},
      {__LINE__, kNull, "error 94"},
  };
  for (const auto& c : ccur) {
    EXPECT_EQ(c.expected, Outcome([&] { return CCur(c.input); }))
        << "CCur, case at line " << c.line;
  }
  const std::vector<TextCase> cdate = {
      {__LINE__, Str("2026-12-08"), "2026-12-08 00:00:00"},
      {__LINE__, Str(" 2026/1/5 "), "2026-01-05 00:00:00"},
      {__LINE__, Str("2026-12-08 13:45"), "2026-12-08 13:45:00"},
      {__LINE__, Str("2026-12-08 13:45:59"), "2026-12-08 13:45:59"},
      {__LINE__, Str("2026-12-08 13:45:59.000"), "2026-12-08 13:45:59"},
      {__LINE__, Str("2026-12-31 23:59:59.700"), "2027-01-01 00:00:00"},
      {__LINE__, Str("2026-12-08 13:60"), "error 13"},
      {__LINE__, Str("2024-02-29"), "2024-02-29 00:00:00"},
      {__LINE__, Str("13:45"), "1899-12-30 13:45:00"},
      {__LINE__, Str("2026-02-29"), "error 13"},
      {__LINE__, Str("2026-13-01"), "error 13"},
      {__LINE__, Str("2026-12-08 25:00"), "error 13"},
      {__LINE__, Str("2026-12/08"), "error 13"},
      {__LINE__, Str("08.12.2026"), "error 13"},
      {__LINE__, Str(""), "error 13"},
      {__LINE__, Variant(46364.5), "2026-12-08 12:00:00"},
      {__LINE__, Variant(int32_t{0}), "1899-12-30 00:00:00"},
      {__LINE__, Variant(int32_t{-1}), "1899-12-29 00:00:00"},
      {__LINE__, Variant(1e10), "error 6"},
      {__LINE__, kNull, "error 94"},
      {__LINE__, Variant(DispatchPtr()), "error 13"},
  };
  for (const auto& c : cdate) {
    EXPECT_EQ(c.expected, Outcome([&] { return CDate(c.input); }))
        << "CDate, case at line " << c.line;
  }
}

TEST(Automation, Val) {
  struct Case {
    int line;
    std::string text;
    double expected;
  };
  const std::vector<Case> cases = {
      {__LINE__, "12abc", 12},    {__LINE__, "", 0},        {__LINE__, "  -3.5x", -3.5},
      {__LINE__, "abc", 0},       {__LINE__, "1 2 3", 123}, {__LINE__, "1e3x", 1000},
      {__LINE__, "1e", 1},        {__LINE__, "&H1F", 31},   {__LINE__, "&HFFFF", -1},
      {__LINE__, "1,000", 1},     {__LINE__, ".5", 0.5},    {__LINE__, "-", 0},
      {__LINE__, "12人民币", 12}, {__LINE__, "3.2.1", 3.2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, Val(c.text)) << "Val(\"" << c.text << "\"), case at line " << c.line;
  }
  const std::vector<TextCase> variants = {
      {__LINE__, Variant(2.5), "2.5"},
      {__LINE__, Variant(int32_t{7}), "7"},
      {__LINE__, kEmpty, "0"},
      {__LINE__, Str(" 8 kg"), "8"},
      {__LINE__, Str("1e999"), "error 6"},
      {__LINE__, kNull, "error 94"},
      {__LINE__, Variant(true), "0"},
      {__LINE__, Dt(2026, 12, 8), "2026"},
  };
  for (const auto& c : variants) {
    EXPECT_EQ(c.expected, Outcome([&] { return Val(c.input); })) << "Val, case at line " << c.line;
  }
}

TEST(Automation, TextHelpersCountCharacters) {
  struct Case {
    int line;
    std::function<std::string()> call;
    std::string expected;
  };
  auto n = [](int32_t v) { return std::to_string(v); };
  const std::vector<Case> cases = {
      {__LINE__, [&] { return n(Len("人民币")); }, "3"},
      {__LINE__, [&] { return n(Len("")); }, "0"},
      {__LINE__, [&] { return n(Len("a人b")); }, "3"},
      {__LINE__, [&] { return Mid("人民币结算", 2, 2); }, "民币"},
      {__LINE__, [&] { return Mid("人民币", 2); }, "民币"},
      {__LINE__, [&] { return Mid("人民币", 5); }, ""},
      {__LINE__, [&] { return Mid("abc", 2, 10); }, "bc"},
      {__LINE__, [&] { return Left("人民币", 2); }, "人民"},
      {__LINE__, [&] { return Left("人民币", 9); }, "人民币"},
      {__LINE__, [&] { return Right("人民币", 1); }, "币"},
      {__LINE__, [&] { return Right("人民币", 0); }, ""},
      {__LINE__, [&] { return n(InStr("记-15", "-")); }, "2"},
      {__LINE__, [&] { return n(InStr("人民币结算", "结算")); }, "4"},
      {__LINE__, [&] { return n(InStr(3, "人民人民", "人")); }, "3"},
      {__LINE__, [&] { return n(InStr("abc", "d")); }, "0"},
      {__LINE__, [&] { return n(InStr("abc", "")); }, "1"},
      {__LINE__, [&] { return n(InStr("", "a")); }, "0"},
      {__LINE__, [&] { return n(InStr(4, "abc", "c")); }, "0"},
      {__LINE__, [&] { return n(InStr(1, "ABC", "bc", true)); }, "2"},
      {__LINE__, [&] { return n(InStr(1, "ABC", "bc", false)); }, "0"},
      {__LINE__, [&] { return Trim("  审核  "); }, "审核"},
      {__LINE__, [&] { return Trim("\t x \t"); }, "\t x \t"},
      {__LINE__, [&] { return LTrim("  a  "); }, "a  "},
      {__LINE__, [&] { return RTrim("  a  "); }, "  a"},
      {__LINE__, [&] { return Trim("   "); }, ""},
      {__LINE__, [&] { return UCase("abc人z"); }, "ABC人Z"},
      {__LINE__, [&] { return LCase("ABC人Z"); }, "abc人z"},
      {__LINE__, [&] { return Replace("a,b,,c", ",", "|"); }, "a|b||c"},
      {__LINE__, [&] { return Replace("人民币", "民", ""); }, "人币"},
      {__LINE__, [&] { return Replace("abc", "", "x"); }, "abc"},
      {__LINE__, [&] { return std::string(EqualsNoCase("KIVbase", "KIVBase") ? "yes" : "no"); },
       "yes"},
      {__LINE__, [&] { return std::string(EqualsNoCase("ab", "abc") ? "yes" : "no"); }, "no"},
      // A malformed byte counts as one character and is never split.
      {__LINE__, [&] { return n(Len("a\xE4z")); }, "3"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, c.call()) << "case at line " << c.line;
  }
  EXPECT_EQ("error 5", Outcome([] { return Mid("abc", 0, 1); }));
  EXPECT_EQ("error 5", Outcome([] { return Left("abc", -1); }));
  EXPECT_EQ("error 5", Outcome([] { return InStr(0, "abc", "a"); }));
}

TEST(Automation, Dates) {
  struct Case {
    int line;
    std::function<std::string()> call;
    std::string expected;
  };
  auto serial = [](DateValue d) { return CStr(Variant(d.serial)); };
  const std::vector<Case> cases = {
      {__LINE__, [&] { return serial(MakeDate(1899, 12, 30)); }, "0"},
      {__LINE__, [&] { return serial(MakeDate(1900, 1, 1)); }, "2"},
      {__LINE__, [&] { return serial(MakeDate(2026, 12, 8)); }, "46364"},
      {__LINE__, [&] { return serial(MakeDate(2026, 12, 8, 18)); }, "46364.75"},
      {__LINE__, [&] { return serial(MakeDate(1899, 12, 29, 6)); }, "-1.25"},
      {__LINE__, [&] { return serial(MakeDate(2026, 13, 1)); }, "46388"},  // 2027-01-01
      {__LINE__, [&] { return FormatDate(MakeDate(2026, 13, 1), "yyyy-mm-dd"); }, "2027-01-01"},
      {__LINE__, [&] { return FormatDate(MakeDate(2026, 0, 1), "yyyy-mm-dd"); }, "2025-12-01"},
      {__LINE__, [&] { return FormatDate(MakeDate(2024, 3, 0), "yyyy-mm-dd"); }, "2024-02-29"},
      {__LINE__, [&] { return FormatDate(MakeDate(2026, 1, 5, 7, 8, 9), "yyyy-mm-dd"); },
       "2026-01-05"},
      {__LINE__, [&] { return FormatDate(MakeDate(2026, 1, 5, 7, 8, 9), "YYYY-MM-DD"); },
       "2026-01-05"},
      {__LINE__, [&] { return FormatDate(MakeDate(2026, 1, 5, 7, 8, 9), "yyyy/mm/dd"); },
       "2026/01/05"},
      {__LINE__, [&] { return FormatDate(MakeDate(2026, 1, 5, 7, 8, 9), "yyyy-mm-dd hh:nn:ss"); },
       "2026-01-05 07:08:09"},
      {__LINE__, [&] { return FormatDate(MakeDate(2026, 1, 5, 7, 8, 9), "yyyy-mm-dd hh:mm:ss"); },
       "2026-01-05 07:08:09"},
      {__LINE__, [&] { return FormatDate(MakeDate(1899, 12, 29, 6), "yyyy-mm-dd hh:nn:ss"); },
       "1899-12-29 06:00:00"},
      {__LINE__, [&] { return FormatDate(DateValue{46364.99999999}, "yyyy-mm-dd hh:nn:ss"); },
       "2026-12-09 00:00:00"},
      {__LINE__, [&] { return Format(Str("2026-12-08 10:00"), "yyyy-mm-dd"); }, "2026-12-08"},
      {__LINE__, [&] { return Format(Variant(46364.0), "YYYY-MM-DD"); }, "2026-12-08"},
      {__LINE__, [&] { return Format(kNull, "yyyy-mm-dd"); }, ""},
      {__LINE__, [&] { return Outcome([] { return Format(Str("soon"), "yyyy-mm-dd"); }); },
       "error 13"},
      {__LINE__, [&] { return serial(DateOnly(MakeDate(2026, 12, 8, 23, 59, 59))); }, "46364"},
      {__LINE__, [&] { return FormatDate(DateAddDays(MakeDate(2026, 12, 8), -365), "yyyy-mm-dd"); },
       "2025-12-08"},
      {__LINE__,
       [&] { return FormatDate(DateAddDays(MakeDate(2024, 2, 28, 12), 1), "yyyy-mm-dd hh:nn:ss"); },
       "2024-02-29 12:00:00"},
      {__LINE__,
       [&] {
         return FormatDate(DateAddDays(MakeDate(1899, 12, 31, 6), -2), "yyyy-mm-dd hh:nn:ss");
       },
       "1899-12-29 06:00:00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, c.call()) << "case at line " << c.line;
  }
  int y, m, d, h, mi, s;
  SplitDate(MakeDate(2000, 2, 29, 23, 59, 58), y, m, d, h, mi, s);
  EXPECT_EQ((std::vector<int>{2000, 2, 29, 23, 59, 58}), (std::vector<int>{y, m, d, h, mi, s}));
}

TEST(Automation, ComparisonsAsTheEqualsOperator) {
  struct Case {
    int line;
    Variant a, b;
    std::string expected;  // "<", "=", ">", "Null" or "error N"
  };
  auto compare = [](const Variant& a, const Variant& b) -> std::string {
    try {
      int order = 0;
      if (Compare(a, b, order).isNull()) return "Null";
      return order < 0 ? "<" : order > 0 ? ">" : "=";
    } catch (const AutomationError& e) {
      return "error " + std::to_string(e.Number());
    }
  };
  const std::vector<Case> cases = {
      {__LINE__, Variant(int32_t{2}), Variant(10.0), "<"},
      {__LINE__, Variant(int32_t{10}), Variant(int16_t{10}), "="},
      {__LINE__, Variant(int32_t{10}), Str("10"), "="},
      {__LINE__, Str("10"), Variant(int32_t{9}), ">"},
      {__LINE__, Variant(int32_t{10}), Str(" 9.5 "), ">"},
      {__LINE__, Str("10"), Str("9"), "<"},  // text against text is binary
      {__LINE__, Str("abc"), Str("ABC"), ">"},
      {__LINE__, Str("人民币"), Str("人民币"), "="},
      {__LINE__, Variant(int32_t{1}), Str("abc"), "error 13"},
      {__LINE__, kEmpty, Variant(int32_t{0}), "="},
      {__LINE__, kEmpty, Str(""), "="},
      {__LINE__, Str("a"), kEmpty, ">"},
      {__LINE__, kEmpty, Variant(-1.0), ">"},
      {__LINE__, kEmpty, kEmpty, "="},
      {__LINE__, kNull, Variant(int32_t{1}), "Null"},
      {__LINE__, kNull, kNull, "Null"},
      {__LINE__, Str(""), kNull, "Null"},
      {__LINE__, Variant(true), Variant(int32_t{-1}), "="},
      {__LINE__, Variant(true), Str("True"), "="},
      {__LINE__, Cur(1.5), Variant(1.5), "="},
      {__LINE__, Cur(0.0001), Cur(0.0002), "<"},
      {__LINE__, Dt(2026, 12, 8), Str("2026-12-08"), "="},
      {__LINE__, Dt(2026, 12, 8), Dt(2026, 12, 7), ">"},
      {__LINE__, Variant(DispatchPtr()), Variant(int32_t{1}), "error 13"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, compare(c.a, c.b))
        << "compare " << Show(c.a) << " with " << Show(c.b) << ", case at line " << c.line;
  }
  EXPECT_FALSE(VarEqual(kNull, kNull));
  EXPECT_FALSE(VarLess(kNull, Variant(1.0)));
  EXPECT_FALSE(VarGreater(Variant(1.0), kNull));
  EXPECT_TRUE(VarEqual(Variant(int32_t{5}), Str("5")));
  EXPECT_TRUE(VarLess(Variant(int32_t{5}), Variant(6.0)));
  EXPECT_TRUE(VarGreater(Str("b"), Str("a")));

  const std::vector<TextCase> truth = {
      {__LINE__, kNull, "False"},         {__LINE__, kEmpty, "False"},
      {__LINE__, Variant(0.0), "False"},  {__LINE__, Variant(0.1), "True"},
      {__LINE__, Str("true"), "True"},    {__LINE__, Str("0"), "False"},
      {__LINE__, Str("yes"), "error 13"}, {__LINE__, Cur(0.0001), "True"},
  };
  for (const auto& c : truth) {
    EXPECT_EQ(c.expected, Outcome([&] { return IsTrue(c.input); }))
        << "IsTrue, case at line " << c.line;
  }
}

TEST(Automation, ArithmeticWithNullAndWidening) {
  using Fn = Variant (*)(const Variant&, const Variant&);
  struct Case {
    int line;
    Fn op;
    const char* opName;
    Variant a, b;
    std::string expected;  // type and value, or "error N"
  };
  const Variant i1 = Variant::integer(1), i2 = Variant::integer(2);
  const Variant big = Variant::integer(32767);
  const Variant lmax = Variant(int32_t{2147483647});
  const std::vector<Case> cases = {
      {__LINE__, Add, "+", kNull, i1, "Null NULL"},
      {__LINE__, Add, "+", Str("a"), kNull, "Null NULL"},
      {__LINE__, Sub, "-", i1, kNull, "Null NULL"},
      {__LINE__, Mul, "*", kNull, kNull, "Null NULL"},
      {__LINE__, Div, "/", kNull, i2, "Null NULL"},
      {__LINE__, Add, "+", i1, i2, "Integer 3"},
      {__LINE__, Add, "+", big, i1, "Long 32768"},
      {__LINE__, Add, "+", lmax, i1, "Double 2147483648"},
      {__LINE__, Mul, "*", lmax, lmax, "Double 4.61168601413242E+18"},
      {__LINE__, Sub, "-", Variant(int32_t{5}), i2, "Long 3"},
      {__LINE__, Add, "+", kEmpty, kEmpty, "Integer 0"},
      {__LINE__, Add, "+", kEmpty, Variant(int32_t{4}), "Long 4"},
      {__LINE__, Add, "+", Variant(true), Variant(true), "Integer -2"},
      {__LINE__, Add, "+", Variant(0.1), Variant(0.2), "Double 0.3"},
      {__LINE__, Add, "+", Str("1"), Str("2"), "String 12"},
      {__LINE__, Add, "+", Str("a"), kEmpty, "String a"},
      {__LINE__, Add, "+", Str("1.5"), Variant(int32_t{2}), "Double 3.5"},
      {__LINE__, Add, "+", Variant(int32_t{2}), Str("abc"), "error 13"},
      {__LINE__, Sub, "-", Str("5"), Str("2"), "Double 3"},
      {__LINE__, Mul, "*", Str("x"), i2, "error 13"},
      {__LINE__, Add, "+", Cur(0.1), Cur(0.2), "Currency 0.3"},
      {__LINE__, Mul, "*", Cur(1.5), i2, "Currency 3"},
      {__LINE__, Add, "+", Dt(2026, 12, 8), i1, "Date 2026-12-09"},
      {__LINE__, Sub, "-", Dt(2026, 12, 8), Dt(2026, 12, 1), "Double 7"},
      {__LINE__, Div, "/", i1, i2, "Double 0.5"},
      {__LINE__, Div, "/", Variant(int32_t{6}), Variant(int32_t{3}), "Double 2"},
      {__LINE__, Div, "/", i1, kEmpty, "error 11"},
      {__LINE__, Div, "/", i1, Variant(0.0), "error 11"},
      {__LINE__, Div, "/", Variant(0.0), Variant(0.0), "error 6"},
      {__LINE__, Mul, "*", Variant(1e300), Variant(1e300), "error 6"},
      {__LINE__, Add, "+", Variant(DispatchPtr()), i1, "error 13"},
      {__LINE__, Concat, "&", kNull, Str("a"), "String a"},
      {__LINE__, Concat, "&", kNull, kNull, "Null NULL"},
      {__LINE__, Concat, "&", Str("记-"), Variant(int32_t{15}), "String 记-15"},
      {__LINE__, Concat, "&", Variant(true), Variant(1.5), "String True1.5"},
      {__LINE__, Concat, "&", kEmpty, Dt(2026, 12, 8), "String 2026-12-08"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, Outcome([&] { return c.op(c.a, c.b); }))
        << Show(c.a) << " " << c.opName << " " << Show(c.b) << ", case at line " << c.line;
  }
}

// ---- Objects ---------------------------------------------------------------------------------

// Records each call and answers from a member table.
class Recorder : public Dispatch {
 public:
  Recorder() {
    members_.Add("Value", [this](unsigned kind, Args& args) -> Variant {
      if (kind & (kPut | kPutRef)) {
        value_ = PutValue(args);
        return {};
      }
      return value_;
    });
    members_.Add("Twice", [](unsigned, Args& args) -> Variant {
      args.at(0).value() = Mul(ArgAt(args, 0), Variant::integer(2));  // written back
      return Variant(true);
    });
    members_.Add("Self",
                 [this](unsigned, Args&) -> Variant { return Variant(shared_from_this()); });
    members_.Add("Nobody", [](unsigned, Args&) -> Variant { return Variant(DispatchPtr()); });
    members_.Add("Count", [this](unsigned, Args& args) -> Variant {
      lastArgs_ = args.size();
      lastSecondMissing_ = ArgAt(args, 1).isMissing();
      return Variant(static_cast<int32_t>(args.size()));
    });
  }
  Variant Invoke(std::string_view member, unsigned kind, Args& args) override {
    kinds_.push_back(kind);
    return members_.Invoke(ClassName(), member, kind, args);
  }
  std::string ClassName() const override { return "Recorder"; }

  MemberTable members_;
  Variant value_;
  std::vector<unsigned> kinds_;
  size_t lastArgs_ = 0;
  bool lastSecondMissing_ = false;
};

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
    return "no error";
  } catch (const AutomationError& e) {
    return std::to_string(e.Number()) + " " + e.Description() +
           (e.Source().empty() ? "" : " (" + e.Source() + ")");
  }
}

TEST(Automation, ObjectCallsMapOntoDispatch) {
  auto rec = std::make_shared<Recorder>();
  Object o(rec);

  o.Put("value", Variant(int32_t{5}));
  EXPECT_EQ("Long 5", Show(o.Get("VALUE")));
  o.Call("Count", {Variant(1.0), omitted(), Str("x")});
  EXPECT_EQ(3u, rec->lastArgs_);
  EXPECT_TRUE(rec->lastSecondMissing_);
  o.PutRef("Value", o);
  EXPECT_TRUE(o.GetObj("Value").SameAs(o));
  EXPECT_EQ((std::vector<unsigned>{kPut, kMethodOrGet, kMethod, kPutRef, kMethodOrGet}),
            rec->kinds_);

  // By-reference arguments are written back to the caller's variable.
  Variant n = Variant(int32_t{21});
  o.Call("Twice", {ref(n)});
  EXPECT_EQ("Long 42", Show(n));
  Args args{Variant(int32_t{4})};
  o.CallArgs("Twice", args);
  EXPECT_EQ("Long 8", Show(args[0].value()));

  EXPECT_TRUE(o.GetObj("Self").SameAs(o));
  EXPECT_TRUE(o.GetObj("Nobody").IsNothing());
  EXPECT_EQ("Recorder", o.TypeName());
  EXPECT_EQ(rec, o.As<Recorder>());

  const std::vector<std::pair<std::string, std::function<void()>>> failures = {
      {"438 Object doesn't support this property or method (Recorder)", [&] { o.Get("Missing"); }},
      {"13 Type mismatch (Value)",
       [&] {
         o.Put("Value", Str("text"));
         o.GetObj("Value");
       }},
      {"91 Object variable or With block variable not set (Value)", [] { Object().Get("Value"); }},
      {"91 Object variable or With block variable not set (Value)",
       [] { Object().Put("Value", 1); }},
      {"13 Type mismatch", [] { Object x(Variant(int32_t{1})); }},
      {"13 Type mismatch", [] { Object::FromVariantOrNothing(Str("")); }},
      {"13 Type mismatch (Recorder)",
       [&] {
         struct Sink : EventSink {
           void OnEvent(std::string_view, Args&) override {}
         } sink;
         o.Advise(sink);
       }},
      {"450 Wrong number of arguments or invalid property assignment",
       [] {
         Args none;
         PutValue(none);
       }},
  };
  for (const auto& [expected, call] : failures) {
    EXPECT_EQ(expected, ErrorOf(call));
  }

  EXPECT_TRUE(Object::FromVariantOrNothing(kEmpty).IsNothing());
  EXPECT_TRUE(Object::FromVariantOrNothing(kNull).IsNothing());
  EXPECT_TRUE(Object::FromVariantOrNothing(Variant::missing()).IsNothing());
  EXPECT_TRUE(Object::FromVariantOrNothing(o.AsVariant()).SameAs(o));
  EXPECT_TRUE(Object(Variant(DispatchPtr())).IsNothing());
  EXPECT_EQ("Nothing", Object().TypeName());
  EXPECT_FALSE(Object().Supports("BillInterface"));

  Args empty;
  EXPECT_TRUE(ArgAt(empty, 0).isMissing());
  EXPECT_TRUE(rec->members_.Has("twice"));
  EXPECT_FALSE(rec->members_.Has("Thrice"));
}

TEST(Automation, ArgumentListsBeyondTheirInlineRoom) {
  // Texts long enough to live on the heap, so that a lost or doubled element shows.
  auto text = [](size_t i) { return "argument number " + std::to_string(i) + " of the list"; };
  Variant shared(int32_t{0});
  Args args;
  for (size_t i = 0; i < Args::kInline + 5; ++i) {
    if (i == 3) args.push_back(ref(shared));
    else args.emplace_back(text(i));
    // An element of the list itself, added while the list grows.
    if (i == Args::kInline - 1) args.push_back(args[0]);
  }
  ASSERT_EQ(args.size(), Args::kInline + 6);
  EXPECT_EQ(CStr(args[Args::kInline].value()), text(0));
  EXPECT_TRUE(args[3].isByRef());
  args[3].value() = int32_t{7};
  EXPECT_EQ(CLng(shared), 7);

  Args copy = args;                // heap to heap
  Args moved = std::move(copy);    // takes the heap
  EXPECT_TRUE(copy.empty());
  ASSERT_EQ(moved.size(), args.size());
  for (size_t i = 0; i < args.size(); ++i)
    EXPECT_EQ(DisplayText(moved[i].value()), DisplayText(args[i].value())) << i;
  EXPECT_EQ(&moved[3].value(), &shared);

  Args few{text(1), ref(shared), omitted()};  // inline: moving copies the elements
  Args fewMoved(std::move(few));
  EXPECT_TRUE(few.empty());
  EXPECT_EQ(CStr(fewMoved[0].value()), text(1));
  EXPECT_EQ(&fewMoved[1].value(), &shared);
  EXPECT_TRUE(fewMoved.back().value().isMissing());
  few = fewMoved;
  fewMoved = std::move(moved);
  EXPECT_EQ(fewMoved.size(), args.size());
  EXPECT_EQ(few.size(), 3u);

  fewMoved.erase(fewMoved.begin() + 1);
  EXPECT_EQ(CStr(fewMoved[1].value()), text(2));
  EXPECT_EQ(fewMoved.size(), args.size() - 1);
  fewMoved.resize(2);
  fewMoved.resize(4);
  EXPECT_EQ(CStr(fewMoved[1].value()), text(2));
  EXPECT_TRUE(fewMoved[3].value().isMissing());
  fewMoved.pop_back();
  EXPECT_EQ(fewMoved.size(), 3u);
  EXPECT_THROW(fewMoved.at(3), std::out_of_range);
}

// ---- Errors and the environment --------------------------------------------------------------

TEST(Automation, ErrorsAndTryCall) {
  const std::vector<std::pair<int32_t, std::string>> descriptions = {
      {1, "Application-defined or object-defined error"},
      {5, "Invalid procedure call or argument"},
      {6, "Overflow"},
      {7, "Out of memory"},
      {9, "Subscript out of range"},
      {11, "Division by zero"},
      {13, "Type mismatch"},
      {51, "Internal error"},
      {91, "Object variable or With block variable not set"},
      {94, "Invalid use of Null"},
      {429, "ActiveX component can't create object"},
      {438, "Object doesn't support this property or method"},
      {440, "Automation error"},
      {450, "Wrong number of arguments or invalid property assignment"},
      {3021,
       "Either BOF or EOF is True, or the current record has been deleted. Requested "
       "operation requires a current record."},
  };
  for (const auto& [number, text] : descriptions) {
    EXPECT_EQ(text, StandardDescription(number)) << "error " << number;
  }
  EXPECT_EQ("13 Type mismatch (Here)", ErrorOf([] { throw Error(13, "Here"); }));

  struct Case {
    std::function<void()> fn;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {[] {}, "ok"},
      {[] { throw AutomationError(1001, "custom", "src"); }, "1001 custom src"},
      {[] { throw std::bad_alloc(); }, "7 Out of memory "},
      {[] { throw std::runtime_error("boom"); }, "51 Internal error: boom "},
      {[] { throw 42; }, "51 Internal error "},
  };
  for (const auto& c : cases) {
    AutomationError e(0, "");
    std::string seen = TryCall(c.fn, &e)
                           ? "ok"
                           : std::to_string(e.Number()) + " " + e.Description() + " " + e.Source();
    EXPECT_EQ(c.expected, seen);
  }
  EXPECT_FALSE(TryCall([] { throw 1; }));
}

class FakeRegistry : public ComponentRegistry {
 public:
  Object Create(std::string_view progId) override {
    if (EqualsNoCase(progId, "Test.Recorder")) return Object(std::make_shared<Recorder>());
    throw Error(err::kCantCreate, std::string(progId));
  }
};

TEST(Automation, EnvironmentAndUnloadHooks) {
  const Environment saved = GetEnvironment();
  SetEnvironment(Environment{});
  EXPECT_EQ("429 ActiveX component can't create object (Test.Recorder)",
            ErrorOf([] { CreateObject("Test.Recorder"); }));
  EXPECT_EQ("51 No user interface services are installed (Ui)", ErrorOf([] { GetUi(); }));
  EXPECT_EQ("51 The host library is not installed (HostLibrary)", ErrorOf([] { GetHostLib(); }));

  FakeRegistry registry;
  SetEnvironment(Environment{&registry, nullptr, nullptr});
  EXPECT_EQ("Recorder", CreateObject("test.RECORDER").TypeName());
  EXPECT_EQ("429 ActiveX component can't create object (No.Such)",
            ErrorOf([] { CreateObject("No.Such"); }));
  SetEnvironment(saved);

  // The hooks stay registered for the life of the process, so they touch only static state.
  static int resets = 0;
  resets = 0;
  AddUnloadHook([] { ++resets; });
  AddUnloadHook([] { throw std::runtime_error("a failing reset"); });
  AddUnloadHook([] { resets += 10; });
  RunUnloadHooks();
  EXPECT_EQ(11, resets) << "every hook runs, even after one fails";
}

}  // namespace
}  // namespace ax
