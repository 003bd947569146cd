// Automation variant: the value type every late-bound call passes and returns.
// Conversions follow the automation rules (banker's rounding, overflow and
// type-mismatch errors, Null propagation) so that host values behave as the
// host's own scripting clients see them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace ax {

class Dispatch;

// Variant kinds, named after the automation VARTYPEs they map to.
enum class VarType : uint8_t {
  Empty,     // VT_EMPTY
  Null,      // VT_NULL
  Boolean,   // VT_BOOL
  Integer,   // VT_I2
  Long,      // VT_I4
  Double,    // VT_R8
  Currency,  // VT_CY (fixed point, 4 decimals)
  Date,      // VT_DATE (days since 1899-12-30)
  String,    // VT_BSTR (UTF-8 here, UTF-16 only at the COM boundary)
  Object,    // VT_DISPATCH (may be Nothing)
  Missing,   // VT_ERROR with DISP_E_PARAMNOTFOUND: an omitted argument
};

struct CurrencyValue {
  int64_t scaled = 0;  // value * 10000
  bool operator==(const CurrencyValue&) const = default;
};

struct DateValue {
  double serial = 0;  // days since 1899-12-30, time as the fraction
  bool operator==(const DateValue&) const = default;
};

class Variant {
 public:
  Variant() = default;
  Variant(bool b) : v_(b) {}
  Variant(int16_t i) : v_(i) {}
  Variant(int32_t l) : v_(l) {}
  Variant(double d) : v_(d) {}
  Variant(CurrencyValue c) : v_(c) {}
  Variant(DateValue d) : v_(d) {}
  Variant(std::string s) : v_(std::move(s)) {}
  Variant(const char* s) : v_(std::string(s)) {}
  Variant(std::string_view s) : v_(std::string(s)) {}
  Variant(std::shared_ptr<Dispatch> o) : v_(std::move(o)) {}
  // Other integers (database values, sizes) become Long when they fit, Double otherwise.
  template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, int16_t> &&
             !std::is_same_v<T, int32_t> && !std::is_same_v<T, char>)
  Variant(T n) {
    bool fits;
    if constexpr (std::is_signed_v<T>)
      fits = static_cast<long long>(n) >= -2147483648LL && static_cast<long long>(n) <= 2147483647LL;
    else
      fits = static_cast<unsigned long long>(n) <= 2147483647ULL;
    if (fits)
      v_ = static_cast<int32_t>(n);
    else
      v_ = static_cast<double>(n);
  }

  static Variant null() { Variant v; v.v_ = NullTag{}; return v; }
  static Variant missing() { Variant v; v.v_ = MissingTag{}; return v; }
  static Variant integer(int16_t i) { return Variant(i); }
  static Variant date(double serial) { return Variant(DateValue{serial}); }
  static Variant currency(double value);

  VarType type() const { return static_cast<VarType>(v_.index()); }
  bool isEmpty() const { return type() == VarType::Empty; }
  bool isNull() const { return type() == VarType::Null; }
  bool isMissing() const { return type() == VarType::Missing; }
  bool isObject() const { return type() == VarType::Object; }
  bool isString() const { return type() == VarType::String; }
  bool isNumeric() const;  // Boolean, Integer, Long, Double, Currency, Date

  // Raw access; the caller must have checked type().
  bool asBool() const { return std::get<bool>(v_); }
  int16_t asInteger() const { return std::get<int16_t>(v_); }
  int32_t asLong() const { return std::get<int32_t>(v_); }
  double asDouble() const { return std::get<double>(v_); }
  CurrencyValue asCurrency() const { return std::get<CurrencyValue>(v_); }
  DateValue asDate() const { return std::get<DateValue>(v_); }
  const std::string& asString() const { return std::get<std::string>(v_); }
  const std::shared_ptr<Dispatch>& asObject() const { return std::get<std::shared_ptr<Dispatch>>(v_); }

  const char* typeName() const;  // "Empty", "Null", "Long", ... as TypeName() reports them

 private:
  struct NullTag { bool operator==(const NullTag&) const = default; };
  struct MissingTag { bool operator==(const MissingTag&) const = default; };
  std::variant<std::monostate, NullTag, bool, int16_t, int32_t, double, CurrencyValue, DateValue,
               std::string, std::shared_ptr<Dispatch>, MissingTag>
      v_;
};

// ---- Conversions with automation semantics -------------------------------------------------
// Each throws AutomationError: 13 "Type mismatch" for text that is not a number (or objects),
// 6 "Overflow" when out of range, 94 "Invalid use of Null" for Null.

int32_t CLng(const Variant& v);     // round half to even
int16_t CInt(const Variant& v);     // round half to even
double CDbl(const Variant& v);
bool CBool(const Variant& v);
std::string CStr(const Variant& v);  // Null raises 94; Empty gives ""
DateValue CDate(const Variant& v);   // numbers, dates and "yyyy-mm-dd[ hh:mm[:ss]]" texts
CurrencyValue CCur(const Variant& v);

// Val(): the leading number of a text ("" and non-numbers give 0; "12abc" gives 12; blanks are
// skipped anywhere, so "1 2" gives 12). For text it throws only 6 "Overflow" for a number beyond
// the Double range ("1e999"); a Null raises 94 like the original.
double Val(const std::string& text);
double Val(const Variant& v);

// Text of a variant for display and transcripts: like CStr, but Null prints "NULL", Empty "" and
// objects their type name. Never throws.
std::string DisplayText(const Variant& v);

// Dates.
DateValue MakeDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
void SplitDate(DateValue d, int& year, int& month, int& day, int& hour, int& minute, int& second);
// Format(date, pattern) for the patterns the plug-in uses: "yyyy-mm-dd", "YYYY-MM-DD",
// "yyyy-mm-dd hh:nn:ss", "yyyy/mm/dd".
std::string FormatDate(DateValue d, std::string_view pattern);
std::string Format(const Variant& v, std::string_view pattern);
DateValue DateOnly(DateValue d);   // drops the time part
DateValue DateAddDays(DateValue d, int days);

// ---- Text helpers on UTF-8, counting characters (code points), not bytes ---------------------
std::string Trim(std::string_view s);   // blanks only, as the automation Trim does
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
int32_t Len(std::string_view s);
std::string UCase(std::string_view s);  // ASCII letters; other characters unchanged
std::string LCase(std::string_view s);
std::string Left(std::string_view s, int32_t n);
std::string Right(std::string_view s, int32_t n);
std::string Mid(std::string_view s, int32_t start1, int32_t n = -1);  // 1-based; n<0 = to the end
// 1-based position of needle at or after start1, 0 when absent. textCompare ignores ASCII case.
int32_t InStr(int32_t start1, std::string_view haystack, std::string_view needle,
              bool textCompare = false);
inline int32_t InStr(std::string_view haystack, std::string_view needle) {
  return InStr(1, haystack, needle, false);
}
std::string Replace(std::string_view s, std::string_view find, std::string_view with);
// ASCII case-insensitive equality. Inline: member and column names are compared by it on every
// late-bound call the simulated host answers.
inline bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x == y) continue;
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// ---- Comparison and arithmetic ------------------------------------------------------------
// Variant comparison as the automation "=": numbers against numeric text compare as numbers;
// text against text compare binary. Any Null operand gives Null (not True), which the helpers
// below treat as "not True".
// Compare returns Null when either side is Null (order 0), otherwise the order as a Long;
// objects, omitted arguments and text that is not a number against a number raise 13.
Variant Compare(const Variant& a, const Variant& b, int& order);  // sets order -1/0/1
bool VarEqual(const Variant& a, const Variant& b);  // a = b is True (Null gives false)
bool VarLess(const Variant& a, const Variant& b);   // a < b is True
bool VarGreater(const Variant& a, const Variant& b);
bool IsTrue(const Variant& v);  // "If v Then": Null and Empty are not true; text via CBool
// Arithmetic with Null propagation; results follow the automation widening (Long, Double).
Variant Add(const Variant& a, const Variant& b);
Variant Sub(const Variant& a, const Variant& b);
Variant Mul(const Variant& a, const Variant& b);
Variant Div(const Variant& a, const Variant& b);
Variant Concat(const Variant& a, const Variant& b);  // the & operator: Null counts as ""

}  // namespace ax
