// Fuzzes the Variant conversions, text helpers, comparison and arithmetic with values of every
// kind: each must either give a result or raise an AutomationError, and a few round trips must
// hold. Anything else (another exception, a sanitizer report, a broken round trip) is a finding.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "automation/error.h"
#include "fuzz_input.h"
#include "automation/variant.h"

namespace {

[[noreturn]] void Finding(const std::string& what) {
  std::fprintf(stderr, "variant_fuzz finding: %s\n", what.c_str());
  std::abort();
}

void OnForeign(const char* what) { Finding(std::string("foreign exception: ") + what); }

std::string Text(FuzzedDataProvider& p) {
  switch (p.ConsumeIntegralInRange<int>(0, 5)) {
    case 0: {  // numeric-looking text
      static const char* kShapes[] = {"12", "-0.5", "1e308", "1E+400", "  7 ", "&H7FFFFFFF", "2.5",
                                      "0x10", "1,000", "3.", ".5", "-", "+", "1e", "NaN", "inf"};
      return kShapes[p.ConsumeIntegralInRange<size_t>(0, std::size(kShapes) - 1)] +
             p.ConsumeRandomLengthString(8);
    }
    case 1: {  // date-looking text
      char buf[64];
      std::snprintf(buf, sizeof buf, "%d-%d-%d %d:%d:%d", p.ConsumeIntegralInRange<int>(-5, 10000),
                    p.ConsumeIntegralInRange<int>(-1, 14), p.ConsumeIntegralInRange<int>(-1, 33),
                    p.ConsumeIntegralInRange<int>(-1, 25), p.ConsumeIntegralInRange<int>(-1, 61),
                    p.ConsumeIntegralInRange<int>(-1, 61));
      return std::string(buf).substr(0, p.ConsumeIntegralInRange<size_t>(0, 24));
    }
    case 2:  // a huge text
      return RepeatedText(p, 4, "划", 1 << 17);
    default:  // anything, malformed UTF-8 included
      return p.ConsumeRandomLengthString(64);
  }
}

ax::Variant Value(FuzzedDataProvider& p) {
  switch (p.ConsumeIntegralInRange<int>(0, 11)) {
    case 0: return {};
    case 1: return ax::Variant::null();
    case 2: return ax::Variant::missing();
    case 3: return ax::Variant(p.ConsumeBool());
    case 4: return ax::Variant(p.ConsumeIntegral<int16_t>());
    case 5: return ax::Variant(p.ConsumeIntegral<int32_t>());
    case 6: return ax::Variant(RawDouble(p));
    case 7: return ax::Variant(p.ConsumeFloatingPointInRange<double>(-1e16, 1e16));
    case 8: return ax::Variant(ax::CurrencyValue{p.ConsumeIntegral<int64_t>()});
    case 9: return ax::Variant(ax::DateValue{p.ConsumeBool() ? RawDouble(p)
                                                             : p.ConsumeFloatingPointInRange<double>(-700000, 3000000)});
    case 10: return ax::Variant(std::shared_ptr<ax::Dispatch>());  // Nothing
    default: return ax::Variant(Text(p));
  }
}

template <class Fn>
void Try(Fn&& fn) {
  try {
    fn();
  } catch (const ax::AutomationError&) {
  }
}

void Unary(const ax::Variant& v, FuzzedDataProvider& p) {
  Try([&] { (void)ax::CLng(v); });
  Try([&] { (void)ax::CInt(v); });
  Try([&] { (void)ax::CDbl(v); });
  Try([&] { (void)ax::CBool(v); });
  Try([&] { (void)ax::CCur(v); });
  Try([&] { (void)ax::Val(v); });
  Try([&] { (void)ax::IsTrue(v); });
  Try([&] { (void)ax::DisplayText(v); });
  Try([&] { (void)v.typeName(); });
  Try([&] {
    ax::DateValue d = ax::CDate(v);
    int y, mo, day, h, mi, s;
    ax::SplitDate(d, y, mo, day, h, mi, s);
    (void)ax::DateOnly(d);
    (void)ax::DateAddDays(d, p.ConsumeIntegralInRange<int>(-100000, 100000));
  });
  Try([&] { (void)ax::Format(v, p.ConsumeRandomLengthString(16)); });
  Try([&] {
    std::string s = ax::CStr(v);
    // Round trips: a Long and an Integer come back from their text unchanged; a finite Double
    // to 15 significant digits.
    if (v.type() == ax::VarType::Long && ax::CLng(ax::Variant(s)) != v.asLong())
      Finding("CLng(CStr(" + s + ")) differs");
    if (v.type() == ax::VarType::Integer && ax::CInt(ax::Variant(s)) != v.asInteger())
      Finding("CInt(CStr(" + s + ")) differs");
    if (v.type() == ax::VarType::Double && std::isfinite(v.asDouble())) {
      double back = ax::CDbl(ax::Variant(s));
      double d = v.asDouble();
      if (std::fabs(back - d) > 1e-14 * std::fabs(d) + 1e-300)
        Finding("CDbl(CStr(" + std::to_string(d) + ")) gave " + std::to_string(back) + " via " + s);
    }
  });
}

void TextHelpers(const std::string& s, FuzzedDataProvider& p) {
  int32_t n = p.ConsumeIntegralInRange<int32_t>(-3, 70000);
  int32_t start = p.ConsumeIntegralInRange<int32_t>(-3, 70000);
  std::string needle = p.ConsumeRandomLengthString(4);
  Try([&] { (void)ax::Trim(s); });
  Try([&] {
    int32_t len = ax::Len(s);
    if (ax::Len(ax::UCase(s)) != len || ax::Len(ax::LCase(s)) != len) Finding("UCase/LCase changed Len");
    if (n >= 0 && n <= len && ax::Left(s, n) + ax::Mid(s, n + 1) != s) Finding("Left + Mid is not the text");
    (void)ax::Right(s, n);
  });
  Try([&] { (void)ax::Mid(s, start, n); });
  Try([&] { (void)ax::InStr(start, s, needle, p.ConsumeBool()); });
  Try([&] { (void)ax::Replace(s, needle, p.ConsumeRandomLengthString(4)); });
  Try([&] { (void)ax::Val(s); });
}

void Binary(const ax::Variant& a, const ax::Variant& b) {
  Try([&] {
    int ab = 0, ba = 0;
    ax::Variant r1 = ax::Compare(a, b, ab);
    ax::Variant r2 = ax::Compare(b, a, ba);
    if (!r1.isNull() && !r2.isNull() && ab != -ba) Finding("Compare is not antisymmetric");
  });
  Try([&] { (void)ax::VarEqual(a, b); });
  Try([&] { (void)ax::VarLess(a, b); });
  Try([&] { (void)ax::VarGreater(a, b); });
  Try([&] { (void)ax::Add(a, b); });
  Try([&] { (void)ax::Sub(a, b); });
  Try([&] { (void)ax::Mul(a, b); });
  Try([&] { (void)ax::Div(a, b); });
  Try([&] { (void)ax::Concat(a, b); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ax::SetForeignExceptionObserver(&OnForeign);
  FuzzedDataProvider p(data, size);
  ax::Variant a = Value(p);
  ax::Variant b = Value(p);
  Unary(a, p);
  Binary(a, b);
  TextHelpers(a.isString() ? a.asString() : p.ConsumeRandomLengthString(32), p);
  Try([&] {
    (void)ax::MakeDate(p.ConsumeIntegral<int>(), p.ConsumeIntegral<int>(), p.ConsumeIntegral<int>(),
                       p.ConsumeIntegral<int>(), p.ConsumeIntegral<int>(), p.ConsumeIntegral<int>());
  });
  return 0;
}
