// ADO-like record sets over query results: navigation, the ADO filter syntax, and the Fields
// collection with Field objects, as the host's data calls hand them to the plug-in.
#include "sim/host/recordset.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "automation/error.h"

namespace sim {

namespace {

constexpr int32_t kBofEof = 3021;
constexpr int32_t kBadArguments = 3001;
constexpr int32_t kNotInCollection = 3265;
constexpr int32_t kClosed = 3704;
constexpr int32_t kNotCapable = 3251;

thread_local uint64_t recordsetCalls = 0;

ax::AutomationError AdoError(int32_t number) {
  const char* text = "";
  switch (number) {
    case kBofEof:
      text = "Either BOF or EOF is True, or the current record has been deleted. Requested "
             "operation requires a current record.";
      break;
    case kBadArguments:
      text = "Arguments are of the wrong type, are out of acceptable range, or are in conflict "
             "with one another.";
      break;
    case kNotInCollection:
      text = "Item cannot be found in the collection corresponding to the requested name or "
             "ordinal.";
      break;
    case kClosed:
      text = "Operation is not allowed when the object is closed.";
      break;
    case kNotCapable:
      text = "Current Recordset does not support this operation.";
      break;
  }
  return ax::AutomationError(number, text, "ADODB.Recordset");
}

bool Is(std::string_view member, std::string_view name) { return ax::EqualsNoCase(member, name); }

[[noreturn]] void NoMember(std::string_view className, std::string_view member) {
  throw ax::AutomationError(ax::err::kNoMember, ax::StandardDescription(ax::err::kNoMember),
                            std::string(className) + "." + std::string(member));
}

std::string LowerAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

// A whole text read as a number ("12", " -3.5 "); false for anything else.
bool TextNumber(const std::string& s, double& out) {
  const char* begin = s.c_str();
  while (*begin == ' ') ++begin;
  if (!*begin) return false;
  char* end = nullptr;
  out = std::strtod(begin, &end);
  while (*end == ' ') ++end;
  return *end == '\0' && std::isfinite(out);
}

bool NumberOf(const ax::Variant& v, double& out) {
  switch (v.type()) {
    case ax::VarType::Boolean: out = v.asBool() ? -1 : 0; return true;
    case ax::VarType::Integer: out = v.asInteger(); return true;
    case ax::VarType::Long: out = v.asLong(); return true;
    case ax::VarType::Double: out = v.asDouble(); return true;
    case ax::VarType::Currency: out = static_cast<double>(v.asCurrency().scaled) / 10000.0; return true;
    case ax::VarType::String: return TextNumber(v.asString(), out);
    default: return false;
  }
}

// ADO LIKE: * and % stand for any run of characters; text compared without regard to case.
bool Like(std::string_view text, std::string_view pattern) {
  size_t t = 0, p = 0, starP = std::string_view::npos, starT = 0;
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) {
      starP = p++;
      starT = t;
    } else if (p < pattern.size() && lower(pattern[p]) == lower(text[t])) {
      ++p;
      ++t;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) ++p;
  return p == pattern.size();
}

// ---- The filter expression ----------------------------------------------------------------------

enum class Op { Eq, Ne, Lt, Gt, Le, Ge, Like, NotLike };

struct Node {
  enum Kind { And, Or, Compare } kind = Compare;
  std::vector<Node> children;
  size_t column = 0;
  Op op = Op::Eq;
  ax::Variant literal;  // Null for NULL, String for texts and dates, Double for numbers
};

class FilterParser {
 public:
  FilterParser(std::string_view text, const Rows& rows) : s_(text), rows_(rows) {}

  Node Parse() {
    Node n = Or();
    Skip();
    if (i_ != s_.size()) Fail();
    return n;
  }

 private:
  [[noreturn]] static void Fail() { throw AdoError(kBadArguments); }

  void Skip() {
    while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
  }
  bool Keyword(std::string_view word) {
    Skip();
    if (s_.size() - i_ < word.size() || !ax::EqualsNoCase(s_.substr(i_, word.size()), word))
      return false;
    size_t after = i_ + word.size();
    if (after < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[after])) || s_[after] == '_'))
      return false;
    i_ = after;
    return true;
  }

  Node Or() {
    Node first = And();
    if (!Keyword("or")) return first;
    Node n;
    n.kind = Node::Or;
    n.children.push_back(std::move(first));
    do n.children.push_back(And());
    while (Keyword("or"));
    return n;
  }

  Node And() {
    Node first = Factor();
    if (!Keyword("and")) return first;
    Node n;
    n.kind = Node::And;
    n.children.push_back(std::move(first));
    do n.children.push_back(Factor());
    while (Keyword("and"));
    return n;
  }

  Node Factor() {
    Skip();
    if (i_ < s_.size() && s_[i_] == '(') {
      ++i_;
      Node n = Or();
      Skip();
      if (i_ >= s_.size() || s_[i_] != ')') Fail();
      ++i_;
      return n;
    }
    Node n;
    n.column = rows_.ColumnIndex(Name());
    if (n.column == std::string::npos) Fail();
    n.op = Operator();
    n.literal = Literal();
    if ((n.op == Op::Like || n.op == Op::NotLike) && !n.literal.isString()) Fail();
    return n;
  }

  std::string Name() {
    Skip();
    if (i_ < s_.size() && s_[i_] == '[') {
      size_t close = s_.find(']', i_);
      if (close == std::string_view::npos) Fail();
      std::string name(s_.substr(i_ + 1, close - i_ - 1));
      i_ = close + 1;
      return name;
    }
    size_t start = i_;
    while (i_ < s_.size()) {
      unsigned char c = static_cast<unsigned char>(s_[i_]);
      if (!(std::isalnum(c) || c == '_' || c >= 0x80)) break;
      ++i_;
    }
    if (i_ == start) Fail();
    return std::string(s_.substr(start, i_ - start));
  }

  Op Operator() {
    Skip();
    static const std::pair<const char*, Op> kOps[] = {{"<>", Op::Ne}, {"!=", Op::Ne}, {"<=", Op::Le},
                                                      {">=", Op::Ge}, {"=", Op::Eq},  {"<", Op::Lt},
                                                      {">", Op::Gt}};
    for (const auto& [text, op] : kOps) {
      std::string_view t(text);
      if (s_.substr(i_, t.size()) == t) {
        i_ += t.size();
        return op;
      }
    }
    if (Keyword("like")) return Op::Like;
    if (Keyword("not")) {
      if (Keyword("like")) return Op::NotLike;
    }
    Fail();
  }

  ax::Variant Literal() {
    Skip();
    if (i_ >= s_.size()) Fail();
    char c = s_[i_];
    if (c == '\'' || c == '#') {
      // 'text' with '' for a quote; #date# is compared as its text.
      std::string text;
      ++i_;
      for (;;) {
        if (i_ >= s_.size()) Fail();
        if (s_[i_] == c) {
          if (c == '\'' && i_ + 1 < s_.size() && s_[i_ + 1] == '\'') {
            text += '\'';
            i_ += 2;
            continue;
          }
          ++i_;
          break;
        }
        text += s_[i_++];
      }
      if (c == '#') {
        ax::DateValue d;
        try {
          d = ax::CDate(ax::Variant(text));
        } catch (const ax::AutomationError&) {
          Fail();
        }
        int y, m, day, h, mi, sec;
        ax::SplitDate(d, y, m, day, h, mi, sec);
        text = ax::FormatDate(d, (h || mi || sec) ? "yyyy-mm-dd hh:nn:ss" : "yyyy-mm-dd");
      }
      return ax::Variant(text);
    }
    if (Keyword("null")) return ax::Variant::null();
    size_t start = i_;
    if (c == '-' || c == '+') ++i_;
    while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) || s_[i_] == '.' ||
                              s_[i_] == 'e' || s_[i_] == 'E'))
      ++i_;
    double d = 0;
    if (!TextNumber(std::string(s_.substr(start, i_ - start)), d)) Fail();
    return ax::Variant(d);
  }

  std::string_view s_;
  const Rows& rows_;
  size_t i_ = 0;
};

// -1, 0, 1, or 2 when the two cannot be ordered.
int Order(const ax::Variant& field, const ax::Variant& literal) {
  double a = 0, b = 0;
  if (literal.type() == ax::VarType::Double) {
    if (!NumberOf(field, a)) return 2;
    b = literal.asDouble();
    return a < b ? -1 : (a > b ? 1 : 0);
  }
  // A text literal against a number compares as numbers when the text is one.
  if (field.isNumeric() && field.type() != ax::VarType::Date && NumberOf(field, a) &&
      NumberOf(literal, b))
    return a < b ? -1 : (a > b ? 1 : 0);
  std::string x = LowerAscii(ax::DisplayText(field)), y = LowerAscii(literal.asString());
  return x < y ? -1 : (x > y ? 1 : 0);
}

bool Matches(const Node& n, const std::vector<ax::Variant>& row) {
  switch (n.kind) {
    case Node::And:
      for (const Node& c : n.children)
        if (!Matches(c, row)) return false;
      return true;
    case Node::Or:
      for (const Node& c : n.children)
        if (Matches(c, row)) return true;
      return false;
    case Node::Compare:
      break;
  }
  const ax::Variant& v = row[n.column];
  if (n.literal.isNull()) {
    bool isNull = v.isNull() || v.isEmpty();
    return n.op == Op::Eq ? isNull : (n.op == Op::Ne ? !isNull : false);
  }
  if (v.isNull() || v.isEmpty()) return n.op == Op::Ne;
  if (n.op == Op::Like || n.op == Op::NotLike)
    return Like(ax::DisplayText(v), n.literal.asString()) == (n.op == Op::Like);
  int o = Order(v, n.literal);
  if (o == 2) return n.op == Op::Ne;
  switch (n.op) {
    case Op::Eq: return o == 0;
    case Op::Ne: return o != 0;
    case Op::Lt: return o < 0;
    case Op::Gt: return o > 0;
    case Op::Le: return o <= 0;
    case Op::Ge: return o >= 0;
    default: return false;
  }
}

}  // namespace

// ---- Field and Fields -----------------------------------------------------------------------

class RecordsetField : public ax::Dispatch {
 public:
  RecordsetField(Recordset& rs, size_t column) : rs_(rs), column_(column) {}
  std::string ClassName() const override { return "Field"; }
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override {
    ++recordsetCalls;
    rs_.CheckOpen();
    if (member.empty() || Is(member, "Value") || Is(member, "OriginalValue") ||
        Is(member, "UnderlyingValue")) {
      if (kind & (ax::kPut | ax::kPutRef)) {
        rs_.Current(column_) = ax::PutValue(args);
        return {};
      }
      return rs_.Current(column_);
    }
    if (Is(member, "Name")) return ax::Variant(rs_.rows_.columns[column_]);
    if (Is(member, "ActualSize")) {
      const ax::Variant& v = rs_.Current(column_);
      return static_cast<int32_t>(v.isNull() ? 0 : ax::DisplayText(v).size());
    }
    NoMember(ClassName(), member);
  }

 private:
  Recordset& rs_;  // kept alive by every handle to this field
  size_t column_;
};

class RecordsetFields : public ax::Dispatch {
 public:
  explicit RecordsetFields(Recordset& rs) : rs_(rs) {}
  std::string ClassName() const override { return "Fields"; }
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override {
    (void)kind;
    ++recordsetCalls;
    rs_.CheckOpen();
    if (Is(member, "Count")) return static_cast<int32_t>(rs_.rows_.columns.size());
    if (member.empty() || Is(member, "Item")) return rs_.FieldObject(rs_.Column(ax::ArgAt(args, 0)));
    if (Is(member, "Refresh")) return {};
    NoMember(ClassName(), member);
  }

 private:
  Recordset& rs_;  // kept alive by every handle to this collection
};

// ---- Recordset --------------------------------------------------------------------------------

Recordset::Recordset(Rows rows, bool forwardOnly)
    : rows_(std::move(rows)), forwardOnly_(forwardOnly), filter_(int32_t{0}) {
  ApplyFilter({});
}

Recordset::~Recordset() = default;

ax::Variant Recordset::FieldsObject() {
  if (!fields_) fields_ = std::make_unique<RecordsetFields>(*this);
  return ax::DispatchPtr(shared_from_this(), fields_.get());
}

ax::Variant Recordset::FieldObject(size_t column) {
  if (fieldObjects_.size() < rows_.columns.size()) fieldObjects_.resize(rows_.columns.size());
  auto& field = fieldObjects_[column];
  if (!field) field = std::make_unique<RecordsetField>(*this, column);
  return ax::DispatchPtr(shared_from_this(), field.get());
}

void Recordset::CheckOpen() const {
  if (!open_) throw AdoError(kClosed);
}

size_t Recordset::Column(const ax::Variant& nameOrIndex) const {
  if (nameOrIndex.isMissing()) throw ax::Error(ax::err::kWrongArgs);
  if (nameOrIndex.isString()) {
    size_t c = rows_.ColumnIndex(nameOrIndex.asString());
    if (c == std::string::npos) throw AdoError(kNotInCollection);
    return c;
  }
  if (!nameOrIndex.isNumeric()) throw AdoError(kNotInCollection);
  double d = ax::CDbl(nameOrIndex);
  if (d < 0 || d >= static_cast<double>(rows_.columns.size())) throw AdoError(kNotInCollection);
  return static_cast<size_t>(d);
}

ax::Variant& Recordset::Current(size_t column) {
  if (!AtRecord()) throw AdoError(kBofEof);
  return rows_.data[visible_[pos_]][column];
}

ax::Variant Recordset::Value(std::string_view column) const {
  CheckOpen();
  size_t c = Column(ax::Variant(column));
  if (!AtRecord()) throw AdoError(kBofEof);
  return rows_.data[visible_[pos_]][c];
}

void Recordset::ApplyFilter(const ax::Variant& filter) {
  visible_.clear();
  bool none = filter.isEmpty() || filter.isMissing() ||
              (filter.isString() && ax::Trim(filter.asString()).empty());
  if (!none && !filter.isString()) {
    // Only adFilterNone (0) of the numeric filter constants is supported.
    if (!filter.isNumeric() || ax::CDbl(filter) != 0) throw AdoError(kBadArguments);
    none = true;
  }
  if (none) {
    for (size_t i = 0; i < rows_.data.size(); ++i) visible_.push_back(i);
  } else {
    Node root = FilterParser(filter.asString(), rows_).Parse();
    for (size_t i = 0; i < rows_.data.size(); ++i)
      if (Matches(root, rows_.data[i])) visible_.push_back(i);
  }
  pos_ = 0;
  bof_ = false;
}

ax::Variant Recordset::Invoke(std::string_view member, unsigned kind, ax::Args& args) {
  ++recordsetCalls;
  if (Is(member, "State")) return static_cast<int32_t>(open_ ? 1 : 0);
  if (Is(member, "Close")) {
    CheckOpen();
    open_ = false;
    return {};
  }
  CheckOpen();
  // The members the plug-in reads per cell first.
  if (Is(member, "Fields")) {
    if (args.empty() || ax::ArgAt(args, 0).isMissing()) return FieldsObject();
    return FieldObject(Column(ax::ArgAt(args, 0)));
  }
  const size_t n = visible_.size();
  // A forward-only cursor does not know its count and cannot move back.
  if (Is(member, "RecordCount")) return forwardOnly_ ? int32_t{-1} : static_cast<int32_t>(n);
  if (forwardOnly_ && (Is(member, "MovePrevious") || Is(member, "MoveLast") ||
                       (Is(member, "AbsolutePosition") && (kind & ax::kPut))))
    throw AdoError(kNotCapable);
  if (Is(member, "EOF")) return n == 0 || pos_ >= n;
  if (Is(member, "BOF")) return n == 0 || bof_;
  if (Is(member, "MoveFirst") || Is(member, "MoveLast")) {
    if (n == 0) throw AdoError(kBofEof);  // as ADO: an empty set has no first or last record
    pos_ = Is(member, "MoveLast") ? n - 1 : 0;
    bof_ = false;
    return {};
  }
  if (Is(member, "MoveNext")) {
    if (n == 0 || pos_ >= n) throw AdoError(kBofEof);
    if (bof_)
      bof_ = false;
    else
      ++pos_;
    return {};
  }
  if (Is(member, "MovePrevious")) {
    if (n == 0 || bof_) throw AdoError(kBofEof);
    if (pos_ >= n)
      pos_ = n - 1;
    else if (pos_ == 0)
      bof_ = true;
    else
      --pos_;
    return {};
  }
  if (Is(member, "AbsolutePosition")) {
    if (kind & ax::kPut) {
      int32_t p = ax::CLng(ax::PutValue(args));
      if (p < 1 || static_cast<size_t>(p) > n) throw AdoError(kBadArguments);
      pos_ = static_cast<size_t>(p - 1);
      bof_ = false;
      return {};
    }
    if (n == 0 || forwardOnly_) return int32_t{-1};  // adPosUnknown
    if (bof_) return int32_t{-2};    // adPosBOF
    if (pos_ >= n) return int32_t{-3};  // adPosEOF
    return static_cast<int32_t>(pos_ + 1);
  }
  // A filter on a forward-only set is served as ADO serves it: the criteria apply to the whole
  // result and the cursor moves to the first record that meets them (ADO re-reads the result
  // from its start, as MoveFirst does), so RecordCount stays -1 and EOF answers "any left".
  if (Is(member, "Filter")) {
    if (kind & ax::kPut) {
      const ax::Variant& f = ax::PutValue(args);
      ApplyFilter(f);
      filter_ = (f.isString() && ax::Trim(f.asString()).empty()) ? ax::Variant(int32_t{0}) : f;
      return {};
    }
    return filter_;
  }
  if (member.empty() || Is(member, "Item") || Is(member, "Collect")) {
    size_t column = Column(ax::ArgAt(args, 0));
    if (kind & (ax::kPut | ax::kPutRef)) {
      if (args.size() < 2) throw ax::Error(ax::err::kWrongArgs);
      Current(column) = ax::PutValue(args);
      return {};
    }
    return Current(column);
  }
  NoMember(ClassName(), member);
}

uint64_t RecordsetCalls() { return recordsetCalls; }

std::shared_ptr<Recordset> NewRecordset(Rows rows, bool forwardOnly) {
  return std::make_shared<Recordset>(std::move(rows), forwardOnly);
}

}  // namespace sim
