#include "automation/variant.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "automation/error.h"
#include "automation/object.h"

namespace ax {

namespace {

[[noreturn]] void Raise(int32_t number) { throw Error(number); }

// ---- Text to number ------------------------------------------------------------------------

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view StripBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "&H1F" / "&O17": up to 4 digits is a 16-bit value, up to 8 hex (11 octal) digits a 32-bit
// value, both two's complement as the literals are.
bool ParseRadix(std::string_view s, double& out) {
  if (s.size() < 3 || s[0] != '&') return false;
  int base = 0;
  if (s[1] == 'H' || s[1] == 'h')
    base = 16;
  else if (s[1] == 'O' || s[1] == 'o')
    base = 8;
  else
    return false;
  std::string_view digits = s.substr(2);
  uint64_t v = 0;
  for (char c : digits) {
    int d = HexDigit(c);
    if (d < 0 || d >= base) return false;
    v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (v > 0xFFFFFFFFull) return false;
  }
  if (v <= 0xFFFF && (base == 16 ? digits.size() <= 4 : digits.size() <= 6)) {
    out = static_cast<int16_t>(static_cast<uint16_t>(v));
  } else {
    out = static_cast<int32_t>(static_cast<uint32_t>(v));
  }
  return true;
}

// A whole text as a number, as the automation coercions read it: blanks around, optional sign,
// digits with an optional decimal point, an optional exponent (E or D). Nothing else.
bool ParseNumber(std::string_view text, double& out) {
  std::string_view s = StripBlanks(text);
  if (s.empty()) return false;
  if (s[0] == '&') return ParseRadix(s, out);
  std::string buf;
  size_t i = 0;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') {
    negative = s[i] == '-';
    ++i;
  }
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    buf += s[i++];
    ++digits;
  }
  if (i < s.size() && s[i] == '.') {
    buf += s[i++];
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      buf += s[i++];
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    buf += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) buf += s[i++];
    size_t expDigits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      buf += s[i++];
      ++expDigits;
    }
    if (expDigits == 0) return false;
  }
  if (i != s.size()) return false;
  double v = 0;
  auto r = std::from_chars(buf.data(), buf.data() + buf.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    // Too large for a Double: overflow; too small: zero.
    v = (buf.find("e-") != std::string::npos) ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (r.ec != std::errc() || r.ptr != buf.data() + buf.size()) {
    return false;
  }
  out = negative ? -v : v;
  return true;
}

double TextToDouble(const std::string& s) {
  double d = 0;
  if (!ParseNumber(s, d)) Raise(err::kTypeMismatch);
  if (!std::isfinite(d)) Raise(err::kOverflow);
  return d;
}

bool TextToBool(std::string_view text, bool& out) {
  std::string_view s = StripBlanks(text);
  if (EqualsNoCase(s, "True")) {
    out = true;
    return true;
  }
  if (EqualsNoCase(s, "False")) {
    out = false;
    return true;
  }
  double d = 0;
  if (ParseNumber(s, d)) {
    out = d != 0;
    return true;
  }
  return false;
}

// The numeric value of a variant holding a number (Boolean, Integer, Long, Double, Currency,
// Date) or Empty; false for anything else.
bool NumberOf(const Variant& v, double& out) {
  switch (v.type()) {
    case VarType::Empty:
      out = 0;
      return true;
    case VarType::Boolean:
      out = v.asBool() ? -1 : 0;
      return true;
    case VarType::Integer:
      out = v.asInteger();
      return true;
    case VarType::Long:
      out = v.asLong();
      return true;
    case VarType::Double:
      out = v.asDouble();
      return true;
    case VarType::Currency:
      out = static_cast<double>(v.asCurrency().scaled) / 10000.0;
      return true;
    case VarType::Date:
      out = v.asDate().serial;
      return true;
    default:
      return false;
  }
}

// Round half to even, then check the range.
int64_t RoundToRange(double d, double lo, double hi) {
  if (std::isnan(d)) Raise(err::kOverflow);
  double r = std::nearbyint(d);  // the default rounding mode rounds ties to even
  if (r < lo || r > hi) Raise(err::kOverflow);
  return static_cast<int64_t>(r);
}

// Currency divided by 10000 with ties to even, exactly in integers.
int64_t CurrencyToInteger(CurrencyValue c) {
  int64_t q = c.scaled / 10000;
  int64_t r = c.scaled % 10000;
  if (r > 5000 || (r == 5000 && (q & 1)))
    ++q;
  else if (r < -5000 || (r == -5000 && (q & 1)))
    --q;
  return q;
}

CurrencyValue DoubleToCurrency(double d) {
  if (std::isnan(d)) Raise(err::kOverflow);
  double scaled = std::nearbyint(d * 10000.0);
  // 2^63 is exactly representable; anything at or beyond it does not fit.
  if (scaled >= 9223372036854775808.0 || scaled < -9223372036854775808.0) Raise(err::kOverflow);
  return CurrencyValue{static_cast<int64_t>(scaled)};
}

// Decimal text straight to currency, so that "0.00015" rounds as written (to 0.0002) rather
// than as its nearest Double. Exponents and radix prefixes go through Double.
bool TextToCurrency(std::string_view text, CurrencyValue& out) {
  std::string_view s = StripBlanks(text);
  double check = 0;
  if (!ParseNumber(s, check)) return false;
  if (s.find_first_of("eEdD&") != std::string_view::npos) {
    out = DoubleToCurrency(check);
    return true;
  }
  size_t i = 0;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
  uint64_t scaled = 0;
  constexpr uint64_t kLimit = uint64_t{1} << 63;  // magnitude of the most negative value
  int fracDigits = -1;                            // -1 until the decimal point
  int roundDigit = -1;
  bool sticky = false;
  for (; i < s.size(); ++i) {
    if (s[i] == '.') {
      fracDigits = 0;
      continue;
    }
    int d = s[i] - '0';
    if (fracDigits < 4) {
      if (scaled > (kLimit - static_cast<uint64_t>(d)) / 10) Raise(err::kOverflow);
      scaled = scaled * 10 + static_cast<uint64_t>(d);
      if (fracDigits >= 0) ++fracDigits;
    } else if (roundDigit < 0) {
      roundDigit = d;
    } else if (d != 0) {
      sticky = true;
    }
  }
  for (int k = fracDigits < 0 ? 0 : fracDigits; k < 4; ++k) {
    if (scaled > kLimit / 10) Raise(err::kOverflow);
    scaled *= 10;
  }
  if (roundDigit > 5 || (roundDigit == 5 && (sticky || (scaled & 1)))) ++scaled;
  if (scaled > (negative ? kLimit : kLimit - 1)) Raise(err::kOverflow);
  out = CurrencyValue{negative ? static_cast<int64_t>(0 - scaled) : static_cast<int64_t>(scaled)};
  return true;
}

// ---- Dates ---------------------------------------------------------------------------------

constexpr int64_t kUnixEpochSerial = 25569;   // 1970-01-01 as a serial
constexpr double kMinDateSerial = -657434.0;  // 0100-01-01
constexpr double kMaxDateSerial = 2958466.0;  // just past 9999-12-31

int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp + (mp < 10 ? 3 : -9);
  year = static_cast<int>(yoe + era * 400 + (m <= 2));
  month = static_cast<int>(m);
  day = static_cast<int>(d);
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// A serial splits into a day (truncated toward zero) and a time of day that is always
// positive: -1.25 is 1899-12-29 06:00. Linear seconds make date arithmetic straightforward.
int64_t SerialToSeconds(double serial) {
  // A host may hand any date value; one outside 0100-01-01 ... 9999-12-31 cannot be split.
  if (!(serial > kMinDateSerial - 1 && serial < kMaxDateSerial + 1)) Raise(err::kOverflow);
  double dayPart = std::trunc(serial);
  int64_t days = static_cast<int64_t>(dayPart);
  int64_t secs = std::llround(std::fabs(serial - dayPart) * 86400.0);
  if (secs >= 86400) {
    secs -= 86400;
    days += serial < 0 ? -1 : 1;
  }
  return days * 86400 + secs;
}

double SecondsToSerial(int64_t total) {
  int64_t days = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
  int64_t secs = total - days * 86400;
  double frac = static_cast<double>(secs) / 86400.0;
  return days >= 0 ? static_cast<double>(days) + frac : static_cast<double>(days) - frac;
}

DateValue NumberToDate(double d) {
  if (std::isnan(d) || d < kMinDateSerial || d >= kMaxDateSerial) Raise(err::kOverflow);
  return DateValue{d};
}

bool ReadDigits(std::string_view s, size_t& i, size_t minDigits, size_t maxDigits, int& value) {
  size_t start = i;
  value = 0;
  while (i < s.size() && i - start < maxDigits && s[i] >= '0' && s[i] <= '9') {
    value = value * 10 + (s[i] - '0');
    ++i;
  }
  return i - start >= minDigits;
}

bool ParseTime(std::string_view s, size_t& i, int& h, int& mi, int& sec) {
  sec = 0;
  bool roundUp = false;
  if (!ReadDigits(s, i, 1, 2, h)) return false;
  if (i >= s.size() || s[i] != ':') return false;
  ++i;
  if (!ReadDigits(s, i, 2, 2, mi)) return false;
  if (i < s.size() && s[i] == ':') {
    ++i;
    if (!ReadDigits(s, i, 2, 2, sec)) return false;
    // Fractions of a second as database texts carry them ("12:00:00.000"): rounded away.
    if (i < s.size() && s[i] == '.') {
      ++i;
      int frac = 0;
      size_t start = i;
      if (!ReadDigits(s, i, 1, 9, frac)) return false;
      roundUp = s[start] >= '5';
    }
  }
  if (h > 23 || mi > 59 || sec > 59) return false;
  if (roundUp) ++sec;  // 60 carries into the next minute in MakeDate
  return true;
}

// "yyyy-mm-dd", "yyyy/mm/dd", each optionally followed by " hh:mm[:ss]"; or a time alone.
bool ParseDateText(std::string_view text, DateValue& out) {
  std::string_view s = StripBlanks(text);
  size_t i = 0;
  int y = 0, m = 0, d = 0, h = 0, mi = 0, sec = 0;
  size_t probe = 0;
  int ignored = 0;
  bool timeOnly = ReadDigits(s, probe, 1, 2, ignored) && probe < s.size() && s[probe] == ':';
  if (timeOnly) {
    if (!ParseTime(s, i, h, mi, sec) || i != s.size()) return false;
    out = MakeDate(1899, 12, 30, h, mi, sec);
    return true;
  }
  if (!ReadDigits(s, i, 4, 4, y)) return false;
  if (i >= s.size() || (s[i] != '-' && s[i] != '/')) return false;
  char sep = s[i++];
  if (!ReadDigits(s, i, 1, 2, m)) return false;
  if (i >= s.size() || s[i] != sep) return false;
  ++i;
  if (!ReadDigits(s, i, 1, 2, d)) return false;
  if (y < 100 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
  if (i < s.size()) {
    if (s[i] != ' ' && s[i] != 'T') return false;
    while (i < s.size() && (s[i] == ' ' || s[i] == 'T')) ++i;
    if (!ParseTime(s, i, h, mi, sec) || i != s.size()) return false;
  }
  out = MakeDate(y, m, d, h, mi, sec);
  return true;
}

std::string Pad(int value, int width) {
  std::string s = std::to_string(value < 0 ? -value : value);
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
  return value < 0 ? "-" + s : s;
}

// ---- Number to text ------------------------------------------------------------------------

std::string DoubleText(double d) {
  if (d == 0) return "0";  // also -0
  if (std::isnan(d)) return "NaN";
  if (std::isinf(d)) return d < 0 ? "-Infinity" : "Infinity";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 15);
  std::string s(buf, r.ptr);
  for (char& c : s) {
    if (c == 'e') c = 'E';
  }
  return s;
}

std::string CurrencyText(CurrencyValue c) {
  bool negative = c.scaled < 0;
  uint64_t mag = negative ? 0 - static_cast<uint64_t>(c.scaled) : static_cast<uint64_t>(c.scaled);
  std::string s = std::to_string(mag / 10000);
  uint64_t frac = mag % 10000;
  if (frac != 0) {
    std::string f = std::to_string(frac);
    f.insert(0, 4 - f.size(), '0');
    while (f.back() == '0') f.pop_back();
    s += '.' + f;
  }
  return negative ? "-" + s : s;
}

std::string DateText(DateValue d) {
  int y, m, day, h, mi, s;
  SplitDate(d, y, m, day, h, mi, s);
  bool hasTime = h != 0 || mi != 0 || s != 0;
  bool hasDate = !(y == 1899 && m == 12 && day == 30);
  std::string date = Pad(y, 4) + "-" + Pad(m, 2) + "-" + Pad(day, 2);
  std::string time = Pad(h, 2) + ":" + Pad(mi, 2) + ":" + Pad(s, 2);
  if (!hasTime && hasDate) return date;
  if (!hasDate) return time;
  return date + " " + time;
}

// ---- UTF-8 ---------------------------------------------------------------------------------

// Length in bytes of the character starting at s[i]; a malformed byte counts as one character.
size_t CharLength(std::string_view s, size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
  if (i + n > s.size()) return 1;
  for (size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

// Byte offset of the character with 0-based index n (s.size() when past the end).
size_t ByteOffset(std::string_view s, int64_t n) {
  size_t i = 0;
  while (n > 0 && i < s.size()) {
    i += CharLength(s, i);
    --n;
  }
  return i;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// ---- Comparison and arithmetic -------------------------------------------------------------

bool IsStrict(const Variant& v) { return v.isObject() || v.isMissing(); }

// The number a text stands for when compared with or added to a number; 13 when it is not one.
double TextOperand(const std::string& s) { return TextToDouble(s); }

int Order(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }

// Result kinds of the arithmetic operators, least to most precise.
enum class Rank { Integer, Long, Double, Currency, Date };

Rank RankOf(const Variant& v) {
  switch (v.type()) {
    case VarType::Long:
      return Rank::Long;
    case VarType::Double:
    case VarType::String:
      return Rank::Double;
    case VarType::Currency:
      return Rank::Currency;
    case VarType::Date:
      return Rank::Date;
    default:
      return Rank::Integer;  // Empty, Boolean, Integer
  }
}

double Operand(const Variant& v) {
  if (v.isString()) return TextOperand(v.asString());
  double d = 0;
  if (!NumberOf(v, d)) Raise(err::kTypeMismatch);
  return d;
}

Variant Checked(double d) {
  if (!std::isfinite(d)) Raise(err::kOverflow);
  return Variant(d);
}

// An integer result: Integer when both operands were at most Integer and it fits, else Long,
// else Double, as the automation operators widen.
Variant IntegerResult(int64_t r, Rank rank) {
  if (rank == Rank::Integer && r >= INT16_MIN && r <= INT16_MAX) {
    return Variant(static_cast<int16_t>(r));
  }
  if (r >= INT32_MIN && r <= INT32_MAX) return Variant(static_cast<int32_t>(r));
  return Variant(static_cast<double>(r));
}

enum class Op { Add, Sub, Mul };

Variant Arith(Op op, const Variant& a, const Variant& b) {
  if (IsStrict(a) || IsStrict(b)) Raise(err::kTypeMismatch);
  if (a.isNull() || b.isNull()) return Variant::null();
  Rank rank = std::max(RankOf(a), RankOf(b));
  if (rank == Rank::Integer || rank == Rank::Long) {
    int64_t x = static_cast<int64_t>(Operand(a));
    int64_t y = static_cast<int64_t>(Operand(b));
    int64_t r = op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y;
    return IntegerResult(r, rank);
  }
  double x = Operand(a), y = Operand(b);
  if (rank == Rank::Currency) {
    if (a.type() == VarType::Currency && b.type() == VarType::Currency && op != Op::Mul) {
      if (op == Op::Sub && b.asCurrency().scaled == INT64_MIN) Raise(err::kOverflow);
      int64_t x1 = a.asCurrency().scaled;
      int64_t y1 = op == Op::Add ? b.asCurrency().scaled : -b.asCurrency().scaled;
      if ((y1 > 0 && x1 > INT64_MAX - y1) || (y1 < 0 && x1 < INT64_MIN - y1)) Raise(err::kOverflow);
      return Variant(CurrencyValue{x1 + y1});
    }
    double r = op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y;
    return Variant(DoubleToCurrency(r));
  }
  if (rank == Rank::Date) {
    if (op == Op::Mul) return Checked(x * y);
    if (op == Op::Sub && a.type() == VarType::Date && b.type() == VarType::Date) {
      return Checked(x - y);
    }
    return Variant(NumberToDate(op == Op::Add ? x + y : x - y));
  }
  return Checked(op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y);
}

}  // namespace

// ---- Variant ---------------------------------------------------------------------------------

Variant Variant::currency(double value) { return Variant(DoubleToCurrency(value)); }

bool Variant::isNumeric() const {
  switch (type()) {
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
    case VarType::Currency:
    case VarType::Date:
      return true;
    default:
      return false;
  }
}

const char* Variant::typeName() const {
  switch (type()) {
    case VarType::Empty:
      return "Empty";
    case VarType::Null:
      return "Null";
    case VarType::Boolean:
      return "Boolean";
    case VarType::Integer:
      return "Integer";
    case VarType::Long:
      return "Long";
    case VarType::Double:
      return "Double";
    case VarType::Currency:
      return "Currency";
    case VarType::Date:
      return "Date";
    case VarType::String:
      return "String";
    case VarType::Object:
      return asObject() ? "Object" : "Nothing";
    case VarType::Missing:
      return "Error";
  }
  return "Unknown";
}

// ---- Conversions -----------------------------------------------------------------------------

int32_t CLng(const Variant& v) {
  switch (v.type()) {
    case VarType::Null:
      Raise(err::kInvalidNull);
    case VarType::Integer:
      return v.asInteger();
    case VarType::Long:
      return v.asLong();
    case VarType::Currency: {
      int64_t n = CurrencyToInteger(v.asCurrency());
      if (n < INT32_MIN || n > INT32_MAX) Raise(err::kOverflow);
      return static_cast<int32_t>(n);
    }
    case VarType::String:
      return static_cast<int32_t>(RoundToRange(TextToDouble(v.asString()), INT32_MIN, INT32_MAX));
    default: {
      double d = 0;
      if (!NumberOf(v, d)) Raise(err::kTypeMismatch);
      return static_cast<int32_t>(RoundToRange(d, INT32_MIN, INT32_MAX));
    }
  }
}

int16_t CInt(const Variant& v) {
  if (v.type() == VarType::Currency) {
    int64_t n = CurrencyToInteger(v.asCurrency());
    if (n < INT16_MIN || n > INT16_MAX) Raise(err::kOverflow);
    return static_cast<int16_t>(n);
  }
  return static_cast<int16_t>(RoundToRange(CDbl(v), INT16_MIN, INT16_MAX));
}

double CDbl(const Variant& v) {
  if (v.isNull()) Raise(err::kInvalidNull);
  if (v.isString()) return TextToDouble(v.asString());
  double d = 0;
  if (!NumberOf(v, d)) Raise(err::kTypeMismatch);
  return d;
}

bool CBool(const Variant& v) {
  if (v.isNull()) Raise(err::kInvalidNull);
  if (v.isString()) {
    bool b = false;
    if (!TextToBool(v.asString(), b)) Raise(err::kTypeMismatch);
    return b;
  }
  if (v.type() == VarType::Currency) return v.asCurrency().scaled != 0;
  double d = 0;
  if (!NumberOf(v, d)) Raise(err::kTypeMismatch);
  return d != 0;
}

std::string CStr(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
      return {};
    case VarType::Null:
      Raise(err::kInvalidNull);
    case VarType::Boolean:
      return v.asBool() ? "True" : "False";
    case VarType::Integer:
      return std::to_string(v.asInteger());
    case VarType::Long:
      return std::to_string(v.asLong());
    case VarType::Double:
      return DoubleText(v.asDouble());
    case VarType::Currency:
      return CurrencyText(v.asCurrency());
    case VarType::Date:
      return DateText(v.asDate());
    case VarType::String:
      return v.asString();
    case VarType::Object:
    case VarType::Missing:
      break;
  }
  Raise(err::kTypeMismatch);
}

DateValue CDate(const Variant& v) {
  switch (v.type()) {
    case VarType::Null:
      Raise(err::kInvalidNull);
    case VarType::Date:
      return v.asDate();
    case VarType::String: {
      DateValue d;
      if (!ParseDateText(v.asString(), d)) Raise(err::kTypeMismatch);
      return d;
    }
    default: {
      double d = 0;
      if (!NumberOf(v, d)) Raise(err::kTypeMismatch);
      return NumberToDate(d);
    }
  }
}

CurrencyValue CCur(const Variant& v) {
  switch (v.type()) {
    case VarType::Null:
      Raise(err::kInvalidNull);
    case VarType::Currency:
      return v.asCurrency();
    case VarType::Integer:
      return CurrencyValue{int64_t{v.asInteger()} * 10000};
    case VarType::Long:
      return CurrencyValue{int64_t{v.asLong()} * 10000};
    case VarType::String: {
      CurrencyValue c;
      if (!TextToCurrency(v.asString(), c)) Raise(err::kTypeMismatch);
      return c;
    }
    default:
      return DoubleToCurrency(CDbl(v));
  }
}

double Val(const std::string& text) {
  // Blanks, tabs and line feeds are ignored wherever they are; reading stops at the first
  // character that cannot continue the number.
  std::string s;
  s.reserve(text.size());
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s += c;
  }
  if (s.size() >= 2 && s[0] == '&') {
    size_t end = 2;
    int base = (s[1] == 'H' || s[1] == 'h') ? 16 : (s[1] == 'O' || s[1] == 'o') ? 8 : 0;
    if (base == 0) return 0;
    while (end < s.size() && HexDigit(s[end]) >= 0 && HexDigit(s[end]) < base) ++end;
    double d = 0;
    return end > 2 && ParseRadix(std::string_view(s).substr(0, end), d) ? d : 0;
  }
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    ++i;
    ++digits;
  }
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      ++i;
      ++digits;
    }
  }
  if (digits == 0) return 0;
  size_t end = i;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    size_t expStart = j;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j;
    if (j > expStart) end = j;
  }
  double d = 0;
  if (!ParseNumber(std::string_view(s).substr(0, end), d) || !std::isfinite(d)) {
    Raise(err::kOverflow);
  }
  return d;
}

double Val(const Variant& v) {
  switch (v.type()) {
    case VarType::Null:
      Raise(err::kInvalidNull);
    case VarType::Empty:
      return 0;
    case VarType::String:
      return Val(v.asString());
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
    case VarType::Currency: {
      double d = 0;
      NumberOf(v, d);
      return d;
    }
    default:
      // Val reads text: True becomes "True" (0), a date its text (the year).
      return Val(CStr(v));
  }
}

std::string DisplayText(const Variant& v) {
  try {
    switch (v.type()) {
      case VarType::Null:
        return "NULL";
      case VarType::Empty:
        return {};
      case VarType::Missing:
        return "Missing";
      case VarType::Object:
        return v.asObject() ? v.asObject()->ClassName() : "Nothing";
      default:
        return CStr(v);
    }
  } catch (...) {
    return "?";
  }
}

// ---- Dates -----------------------------------------------------------------------------------

DateValue MakeDate(int year, int month, int day, int hour, int minute, int second) {
  // Months beyond 12 or below 1 roll into the neighbouring years, days and times carry over,
  // as DateSerial and TimeSerial do.
  int64_t m0 = static_cast<int64_t>(month) - 1;
  int64_t y = year + (m0 >= 0 ? m0 / 12 : -((11 - m0) / 12));
  int64_t m = m0 - (y - year) * 12 + 1;
  int64_t days = DaysFromCivil(y, m, 1) + (int64_t{day} - 1) + kUnixEpochSerial;
  int64_t secs = int64_t{hour} * 3600 + int64_t{minute} * 60 + second;
  return DateValue{SecondsToSerial(days * 86400 + secs)};
}

void SplitDate(DateValue d, int& year, int& month, int& day, int& hour, int& minute, int& second) {
  int64_t total = SerialToSeconds(d.serial);
  int64_t days = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
  int64_t secs = total - days * 86400;
  CivilFromDays(days - kUnixEpochSerial, year, month, day);
  hour = static_cast<int>(secs / 3600);
  minute = static_cast<int>(secs / 60 % 60);
  second = static_cast<int>(secs % 60);
}

std::string FormatDate(DateValue d, std::string_view pattern) {
  int y, mo, day, h, mi, s;
  SplitDate(d, y, mo, day, h, mi, s);
  std::string out;
  bool afterHour = false;  // "mm" right after an hour (or before seconds) means minutes
  size_t i = 0;
  while (i < pattern.size()) {
    char c = LowerAscii(pattern[i]);
    size_t run = 1;
    while (i + run < pattern.size() && LowerAscii(pattern[i + run]) == c) ++run;
    std::string_view token = pattern.substr(i, run);
    switch (c) {
      case 'y':
        out += run >= 3   ? Pad(y, 4)
               : run == 2 ? Pad(y % 100, 2)
                          : std::to_string(DaysFromCivil(y, mo, day) - DaysFromCivil(y, 1, 1) + 1);
        break;
      case 'm': {
        size_t k = i + run;
        while (k < pattern.size() && !std::isalpha(static_cast<unsigned char>(pattern[k]))) ++k;
        bool minutes = afterHour || (k < pattern.size() && LowerAscii(pattern[k]) == 's');
        int value = minutes ? mi : mo;
        out += run >= 2 ? Pad(value, 2) : std::to_string(value);
        afterHour = false;
        break;
      }
      case 'n':
        out += run >= 2 ? Pad(mi, 2) : std::to_string(mi);
        break;
      case 'd':
        out += run >= 2 ? Pad(day, 2) : std::to_string(day);
        break;
      case 'h':
        out += run >= 2 ? Pad(h, 2) : std::to_string(h);
        afterHour = true;
        i += run;
        continue;
      case 's':
        out += run >= 2 ? Pad(s, 2) : std::to_string(s);
        break;
      case '\\':
        if (i + 1 < pattern.size()) out += pattern[i + 1];
        i += 2;
        continue;
      case '"': {
        size_t close = pattern.find('"', i + 1);
        if (close == std::string_view::npos) close = pattern.size();
        out += pattern.substr(i + 1, close - i - 1);
        i = close + 1;
        continue;
      }
      default:
        out += token;
        i += run;
        continue;  // literals keep the hour context ("hh:mm")
    }
    if (c != 'h' && c != 'm') afterHour = false;
    i += run;
  }
  return out;
}

std::string Format(const Variant& v, std::string_view pattern) {
  if (v.isNull()) return {};
  return FormatDate(CDate(v), pattern);
}

DateValue DateOnly(DateValue d) {
  int64_t total = SerialToSeconds(d.serial);
  int64_t days = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
  return DateValue{static_cast<double>(days)};
}

DateValue DateAddDays(DateValue d, int days) {
  return DateValue{SecondsToSerial(SerialToSeconds(d.serial) + int64_t{days} * 86400)};
}

// ---- Text helpers ------------------------------------------------------------------------------

std::string Trim(std::string_view s) { return LTrim(RTrim(s)); }

std::string LTrim(std::string_view s) {
  size_t i = s.find_first_not_of(' ');
  return i == std::string_view::npos ? std::string() : std::string(s.substr(i));
}

std::string RTrim(std::string_view s) {
  size_t i = s.find_last_not_of(' ');
  return i == std::string_view::npos ? std::string() : std::string(s.substr(0, i + 1));
}

int32_t Len(std::string_view s) {
  int32_t n = 0;
  for (size_t i = 0; i < s.size(); i += CharLength(s, i)) ++n;
  return n;
}

std::string UCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = UpperAscii(c);
  return r;
}

std::string LCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = LowerAscii(c);
  return r;
}

std::string Left(std::string_view s, int32_t n) {
  if (n < 0) Raise(err::kInvalidCall);
  return std::string(s.substr(0, ByteOffset(s, n)));
}

std::string Right(std::string_view s, int32_t n) {
  if (n < 0) Raise(err::kInvalidCall);
  int32_t len = Len(s);
  if (n >= len) return std::string(s);
  return std::string(s.substr(ByteOffset(s, len - n)));
}

std::string Mid(std::string_view s, int32_t start1, int32_t n) {
  if (start1 < 1) Raise(err::kInvalidCall);
  size_t from = ByteOffset(s, start1 - 1);
  std::string_view rest = s.substr(from);
  if (n < 0) return std::string(rest);
  return std::string(rest.substr(0, ByteOffset(rest, n)));
}

int32_t InStr(int32_t start1, std::string_view haystack, std::string_view needle,
              bool textCompare) {
  if (start1 < 1) Raise(err::kInvalidCall);
  if (haystack.empty()) return 0;
  size_t from = ByteOffset(haystack, start1 - 1);
  if (from >= haystack.size()) return 0;
  if (needle.empty()) return start1;
  size_t pos = std::string_view::npos;
  if (!textCompare) {
    pos = haystack.find(needle, from);
  } else {
    for (size_t i = from; i + needle.size() <= haystack.size(); ++i) {
      size_t k = 0;
      while (k < needle.size() && LowerAscii(haystack[i + k]) == LowerAscii(needle[k])) ++k;
      if (k == needle.size()) {
        pos = i;
        break;
      }
    }
  }
  if (pos == std::string_view::npos) return 0;
  return Len(haystack.substr(0, pos)) + 1;
}

std::string Replace(std::string_view s, std::string_view find, std::string_view with) {
  if (find.empty()) return std::string(s);
  std::string out;
  size_t i = 0;
  for (size_t pos; (pos = s.find(find, i)) != std::string_view::npos; i = pos + find.size()) {
    out.append(s.substr(i, pos - i));
    out.append(with);
  }
  out.append(s.substr(i));
  return out;
}

// ---- Comparison and arithmetic ---------------------------------------------------------------

Variant Compare(const Variant& a, const Variant& b, int& order) {
  order = 0;
  if (IsStrict(a) || IsStrict(b)) Raise(err::kTypeMismatch);
  if (a.isNull() || b.isNull()) return Variant::null();
  if (a.isString() && b.isString()) {
    int c = a.asString().compare(b.asString());
    order = c < 0 ? -1 : (c > 0 ? 1 : 0);
  } else if (a.isString() || b.isString()) {
    // Ordered as the other operand against the text, then turned round when the text is left.
    const Variant& text = a.isString() ? a : b;
    const Variant& other = a.isString() ? b : a;
    if (other.isEmpty()) {
      order = text.asString().empty() ? 0 : -1;
    } else {
      double x = 0, y = 0;
      NumberOf(other, x);
      bool parsed = ParseNumber(text.asString(), y);
      if (!parsed && other.type() == VarType::Date) {
        DateValue d;
        parsed = ParseDateText(text.asString(), d);
        y = d.serial;
      } else if (!parsed && other.type() == VarType::Boolean) {
        bool bv = false;
        parsed = TextToBool(text.asString(), bv);
        y = bv ? -1 : 0;
      }
      if (!parsed) Raise(err::kTypeMismatch);
      order = Order(x, y);
    }
    if (a.isString()) order = -order;
  } else if (a.type() == VarType::Currency && b.type() == VarType::Currency) {
    int64_t x = a.asCurrency().scaled, y = b.asCurrency().scaled;
    order = x < y ? -1 : (x > y ? 1 : 0);
  } else {
    double x = 0, y = 0;
    NumberOf(a, x);
    NumberOf(b, y);
    order = Order(x, y);
  }
  return Variant(static_cast<int32_t>(order));
}

bool VarEqual(const Variant& a, const Variant& b) {
  int order = 0;
  return !Compare(a, b, order).isNull() && order == 0;
}

bool VarLess(const Variant& a, const Variant& b) {
  int order = 0;
  return !Compare(a, b, order).isNull() && order < 0;
}

bool VarGreater(const Variant& a, const Variant& b) {
  int order = 0;
  return !Compare(a, b, order).isNull() && order > 0;
}

bool IsTrue(const Variant& v) {
  if (v.isNull() || v.isEmpty()) return false;
  return CBool(v);
}

Variant Add(const Variant& a, const Variant& b) {
  if (a.isNull() || b.isNull()) {
    if (IsStrict(a) || IsStrict(b)) Raise(err::kTypeMismatch);
    return Variant::null();
  }
  // Two texts, or a text and Empty, concatenate.
  if ((a.isString() || a.isEmpty()) && (b.isString() || b.isEmpty()) &&
      (a.isString() || b.isString())) {
    return Variant((a.isString() ? a.asString() : std::string()) +
                   (b.isString() ? b.asString() : std::string()));
  }
  return Arith(Op::Add, a, b);
}

Variant Sub(const Variant& a, const Variant& b) { return Arith(Op::Sub, a, b); }

Variant Mul(const Variant& a, const Variant& b) { return Arith(Op::Mul, a, b); }

Variant Div(const Variant& a, const Variant& b) {
  if (IsStrict(a) || IsStrict(b)) Raise(err::kTypeMismatch);
  if (a.isNull() || b.isNull()) return Variant::null();
  double x = Operand(a), y = Operand(b);
  if (y == 0) Raise(x == 0 ? err::kOverflow : 11);  // 0/0 is an overflow, as in the original
  return Checked(x / y);
}

Variant Concat(const Variant& a, const Variant& b) {
  if (IsStrict(a) || IsStrict(b)) Raise(err::kTypeMismatch);
  if (a.isNull() && b.isNull()) return Variant::null();
  return Variant((a.isNull() ? std::string() : CStr(a)) + (b.isNull() ? std::string() : CStr(b)));
}

}  // namespace ax
