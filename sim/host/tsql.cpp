// The Transact-SQL compatibility layer: the plug-in writes its statements for the host's SQL
// Server database; the simulated host runs them on SQLite. A small tokenizer keeps literals,
// quoted names and comments intact while the few constructs the plug-in uses are rewritten:
//   - a batch of statements separated by line breaks (CR LF) or semicolons;
//   - ISNULL(a, b)                                   -> IFNULL(a, b)
//   - SELECT [DISTINCT] TOP n ...                    -> SELECT [DISTINCT] ... LIMIT n
//   - convert(datetime, convert(varchar(n), x, 111)) -> date(x)   (the whole day of x)
//   - convert(varchar(n), x, 111)                    -> strftime('%Y/%m/%d', x)
//   - convert(datetime, x)                           -> tsql_datetime(x)
//   - convert(int|decimal|varchar, x)                -> CAST(x AS INTEGER|REAL|TEXT)
//   - [bracketed names]                              -> "quoted names"
//   - N'unicode text'                                -> 'unicode text'
// Table and column names are case-insensitive in SQLite already.
#include <cctype>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "automation/error.h"
#include "sim/host/database.h"

namespace sim {

namespace {

enum class Tok { Space, Comment, Word, Number, String, QuotedName, Punct };

struct Token {
  Tok kind;
  std::string text;
};

bool IsWordStart(unsigned char c) {
  return std::isalpha(c) || c == '_' || c == '@' || c == '#' || c >= 0x80;
}
bool IsWordChar(unsigned char c) { return IsWordStart(c) || std::isdigit(c) || c == '$'; }

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> out;
  size_t i = 0, n = s.size();
  auto push = [&](Tok kind, size_t from, size_t to) {
    out.push_back({kind, std::string(s.substr(from, to - from))});
  };
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t start = i;
    if (std::isspace(c)) {
      while (i < n && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
      push(Tok::Space, start, i);
    } else if (c == '-' && i + 1 < n && s[i + 1] == '-') {
      while (i < n && s[i] != '\n' && s[i] != '\r') ++i;
      push(Tok::Comment, start, i);
    } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
      size_t close = s.find("*/", i + 2);
      i = close == std::string_view::npos ? n : close + 2;
      push(Tok::Comment, start, i);
    } else if (c == '\'' || ((c == 'N' || c == 'n') && i + 1 < n && s[i + 1] == '\'')) {
      // A text literal; '' inside stands for one quote. N'...' is the same text.
      if (c != '\'') ++i;
      size_t litStart = i++;
      while (i < n) {
        if (s[i] == '\'') {
          if (i + 1 < n && s[i + 1] == '\'') {
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        ++i;
      }
      push(Tok::String, litStart, i);
    } else if (c == '"') {
      ++i;
      while (i < n) {
        if (s[i] == '"') {
          if (i + 1 < n && s[i + 1] == '"') {
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        ++i;
      }
      push(Tok::QuotedName, start, i);
    } else if (c == '[') {
      // [name] becomes "name"; ]] inside stands for one bracket.
      std::string name;
      ++i;
      while (i < n) {
        if (s[i] == ']') {
          if (i + 1 < n && s[i + 1] == ']') {
            name += ']';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        if (s[i] == '"') name += '"';
        name += s[i++];
      }
      out.push_back({Tok::QuotedName, "\"" + name + "\""});
    } else if (std::isdigit(c) || (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
      while (i < n && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '.')) {
        if ((s[i] == 'e' || s[i] == 'E') && i + 1 < n && (s[i + 1] == '+' || s[i + 1] == '-')) ++i;
        ++i;
      }
      push(Tok::Number, start, i);
    } else if (IsWordStart(c)) {
      while (i < n && IsWordChar(static_cast<unsigned char>(s[i]))) ++i;
      push(Tok::Word, start, i);
    } else {
      static const char* const kTwoChar[] = {"<>", "<=", ">=", "!=", "!<", "!>", "||", "=="};
      bool two = false;
      for (const char* op : kTwoChar)
        if (i + 1 < n && s[i] == op[0] && s[i + 1] == op[1]) two = true;
      i += two ? 2 : 1;
      push(Tok::Punct, start, i);
    }
  }
  return out;
}

bool Significant(const Token& t) { return t.kind != Tok::Space && t.kind != Tok::Comment; }

bool IsWord(const Token& t, std::string_view lowerWord) {
  return t.kind == Tok::Word && Lower(t.text) == lowerWord;
}
bool IsPunct(const Token& t, std::string_view p) { return t.kind == Tok::Punct && t.text == p; }

// Index of the next significant token at or after i, or end.
size_t NextSig(const std::vector<Token>& t, size_t i, size_t end) {
  while (i < end && !Significant(t[i])) ++i;
  return i;
}

// Index of the ")" matching the "(" at open, or end when unbalanced.
size_t MatchParen(const std::vector<Token>& t, size_t open, size_t end) {
  int depth = 0;
  for (size_t i = open; i < end; ++i) {
    if (IsPunct(t[i], "(")) ++depth;
    if (IsPunct(t[i], ")") && --depth == 0) return i;
  }
  return end;
}

// ---- Splitting a batch ------------------------------------------------------------------------

bool StartsStatement(const Token& t) {
  if (t.kind != Tok::Word) return false;
  std::string w = Lower(t.text);
  return w == "select" || w == "update" || w == "insert" || w == "delete";
}

// A line that begins with SELECT continues the statement after these (UNION, a subquery, ...).
bool Continues(const Token& previous) {
  if (previous.kind == Tok::Punct)
    return previous.text == "(" || previous.text == "," || previous.text == "=" ||
           previous.text == "<>" || previous.text == "<" || previous.text == ">" ||
           previous.text == "<=" || previous.text == ">=";
  if (previous.kind != Tok::Word) return false;
  static const char* const kWords[] = {"union", "all", "except", "intersect", "in", "exists",
                                       "as", "and", "or", "not", "then", "else", "when", "select"};
  std::string w = Lower(previous.text);
  for (const char* k : kWords)
    if (w == k) return true;
  return false;
}

std::vector<std::vector<Token>> SplitBatch(const std::vector<Token>& tokens) {
  std::vector<std::vector<Token>> statements;
  std::vector<Token> current;
  int depth = 0;
  const Token* first = nullptr;     // first significant token of the current statement
  const Token* previous = nullptr;  // last significant token of the current statement
  bool values = false;              // an INSERT with VALUES takes no SELECT on its next line
  auto finish = [&] {
    if (first) statements.push_back(std::move(current));
    current.clear();
    first = previous = nullptr;
    depth = 0;
    values = false;
  };
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (IsPunct(t, ";") && depth == 0) {
      finish();
      continue;
    }
    if (t.kind == Tok::Space && first && depth == 0 && t.text.find('\n') != std::string::npos) {
      size_t next = NextSig(tokens, i + 1, tokens.size());
      if (next < tokens.size() && StartsStatement(tokens[next]) && !Continues(*previous) &&
          !(IsWord(*first, "insert") && !values && IsWord(tokens[next], "select"))) {
        finish();
        continue;
      }
    }
    if (IsPunct(t, "(")) ++depth;
    if (IsPunct(t, ")") && depth > 0) --depth;
    current.push_back(t);
    if (IsWord(t, "values")) values = true;
    if (Significant(t)) {
      if (!first) first = &t;
      previous = &t;
    }
  }
  finish();
  return statements;
}

// ---- Rewriting one statement ------------------------------------------------------------------

class Rewriter {
 public:
  explicit Rewriter(const std::vector<Token>& t) : t_(t) {}

  std::string Emit(size_t begin, size_t end) {
    std::string out;
    std::string limit;  // LIMIT of a SELECT TOP n of this level, appended at its end
    for (size_t i = begin; i < end; ++i) {
      const Token& tok = t_[i];
      if (IsPunct(tok, "(")) {
        size_t close = MatchParen(t_, i, end);
        out += "(" + Emit(i + 1, close);
        if (close < end) out += ")";
        i = close;
        continue;
      }
      if (tok.kind == Tok::Word) {
        std::string w = Lower(tok.text);
        size_t next = NextSig(t_, i + 1, end);
        bool call = next < end && IsPunct(t_[next], "(");
        if (w == "isnull" && call) {
          out += "IFNULL";
          continue;
        }
        if (w == "convert" && call) {
          size_t close = MatchParen(t_, next, end);
          if (close < end) {
            out += Convert(next, close);
            i = close;
            continue;
          }
        }
        if (w == "select" && limit.empty()) {
          // SELECT [DISTINCT|ALL] TOP n: the n moves to a LIMIT at the end of this level.
          out += tok.text;
          size_t j = next;
          bool quantifier = j < end && (IsWord(t_[j], "distinct") || IsWord(t_[j], "all"));
          size_t k = quantifier ? NextSig(t_, j + 1, end) : j;
          if (k < end && IsWord(t_[k], "top")) {
            size_t n = NextSig(t_, k + 1, end);
            size_t after = end;
            if (n < end && t_[n].kind == Tok::Number) {
              limit = t_[n].text;
              after = n + 1;
            } else if (n < end && IsPunct(t_[n], "(")) {
              size_t close = MatchParen(t_, n, end);
              limit = Emit(n + 1, close);
              after = close < end ? close + 1 : end;
            }
            if (!limit.empty()) {
              if (quantifier) out += " " + t_[j].text;
              i = after - 1;
            }
          }
          continue;
        }
      }
      out += tok.text;
    }
    if (!limit.empty()) {
      size_t keep = out.find_last_not_of(" \t\r\n");
      std::string trailing = keep == std::string::npos ? out : out.substr(keep + 1);
      out = (keep == std::string::npos ? std::string() : out.substr(0, keep + 1)) + " LIMIT " +
            limit + trailing;
    }
    return out;
  }

 private:
  struct Call {
    std::string type;   // lower case, blanks removed: "datetime", "varchar(30)"
    size_t exprBegin = 0, exprEnd = 0;
    std::string style;  // "" when not given
  };

  // The arguments of convert( ... ) between the parentheses at open and close.
  bool ParseConvert(size_t open, size_t close, Call& call) const {
    std::vector<size_t> commas;
    int depth = 0;
    for (size_t i = open + 1; i < close; ++i) {
      if (IsPunct(t_[i], "(")) ++depth;
      if (IsPunct(t_[i], ")")) --depth;
      if (depth == 0 && IsPunct(t_[i], ",")) commas.push_back(i);
    }
    if (commas.empty() || commas.size() > 2) return false;
    for (size_t i = open + 1; i < commas[0]; ++i)
      if (Significant(t_[i])) call.type += Lower(t_[i].text);
    call.exprBegin = commas[0] + 1;
    call.exprEnd = commas.size() == 2 ? commas[1] : close;
    if (commas.size() == 2)
      for (size_t i = commas[1] + 1; i < close; ++i)
        if (Significant(t_[i])) call.style += t_[i].text;
    return !call.type.empty();
  }

  static std::string BaseType(const std::string& type) { return type.substr(0, type.find('(')); }
  static int Length(const std::string& type) {
    size_t p = type.find('(');
    return p == std::string::npos ? 0 : std::atoi(type.c_str() + p + 1);
  }
  static bool IsText(const std::string& base) {
    return base == "varchar" || base == "nvarchar" || base == "char" || base == "nchar" ||
           base == "text" || base == "ntext";
  }
  static bool IsDateTime(const std::string& base) {
    return base == "datetime" || base == "smalldatetime" || base == "datetime2" || base == "date";
  }
  // Text styles that carry the date without the time of day.
  static bool DateOnlyStyle(const std::string& style, int length) {
    if (style == "111" || style == "112" || style == "23" || style == "101" || style == "102" ||
        style == "103" || style == "104" || style == "105" || style == "110")
      return true;
    return (style == "120" || style == "121" || style == "20" || style == "21" || style == "126") &&
           length > 0 && length <= 10;
  }

  std::string Convert(size_t open, size_t close) {
    Call c;
    if (!ParseConvert(open, close, c)) return "convert(" + Emit(open + 1, close) + ")";
    std::string base = BaseType(c.type);
    if (IsDateTime(base)) {
      // convert(datetime, convert(varchar(n), x, <date style>)): the day of x.
      size_t a = NextSig(t_, c.exprBegin, c.exprEnd);
      if (a < c.exprEnd && IsWord(t_[a], "convert")) {
        size_t open2 = NextSig(t_, a + 1, c.exprEnd);
        if (open2 < c.exprEnd && IsPunct(t_[open2], "(")) {
          size_t close2 = MatchParen(t_, open2, c.exprEnd);
          Call inner;
          if (close2 < c.exprEnd && NextSig(t_, close2 + 1, c.exprEnd) == c.exprEnd &&
              ParseConvert(open2, close2, inner) && IsText(BaseType(inner.type)) &&
              DateOnlyStyle(inner.style, Length(inner.type)))
            return "date(" + Trimmed(inner.exprBegin, inner.exprEnd) + ")";
        }
      }
      if (base == "date") return "date(" + Trimmed(c.exprBegin, c.exprEnd) + ")";
      return "tsql_datetime(" + Trimmed(c.exprBegin, c.exprEnd) + ")";
    }
    std::string x = Trimmed(c.exprBegin, c.exprEnd);
    if (IsText(base)) {
      // Text of a date in a style: the format and its natural length; a shorter varchar(n)
      // cuts it, as convert(varchar(10), x, 120) does.
      struct DateStyle {
        const char* style;
        const char* format;
        size_t natural;
      };
      static const DateStyle kStyles[] = {
          {"111", "%Y/%m/%d", 10},          {"112", "%Y%m%d", 8},
          {"23", "%Y-%m-%d", 10},           {"108", "%H:%M:%S", 8},
          {"120", "%Y-%m-%d %H:%M:%S", 19}, {"20", "%Y-%m-%d %H:%M:%S", 19},
          {"121", "%Y-%m-%d %H:%M:%f", 23}, {"21", "%Y-%m-%d %H:%M:%f", 23}};
      std::string format;
      size_t natural = 0;
      for (const DateStyle& d : kStyles)
        if (c.style == d.style) {
          format = d.format;
          natural = d.natural;
        }
      if (format.empty()) return "CAST(" + x + " AS TEXT)";
      std::string r = "strftime('" + format + "'," + x + ")";
      int length = Length(c.type);
      if (length > 0 && static_cast<size_t>(length) < natural)
        r = "substr(" + r + ",1," + std::to_string(length) + ")";
      return r;
    }
    if (base == "int" || base == "bigint" || base == "smallint" || base == "tinyint" || base == "bit")
      return "CAST(" + x + " AS INTEGER)";
    if (base == "decimal" || base == "numeric" || base == "float" || base == "real" ||
        base == "money")
      return "CAST(" + x + " AS REAL)";
    return "convert(" + Emit(open + 1, close) + ")";
  }

  std::string Trimmed(size_t begin, size_t end) {
    std::string s = Emit(begin, end);
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
  }

  const std::vector<Token>& t_;
};

}  // namespace

namespace {

// What SQLite understands and SQL Server does not, refused as SQL Server refuses it.
void RefuseSqliteOnly(const std::vector<Token>& tokens, const std::string& tsql) {
  auto refuse = [&](const std::string& what) {
    throw ax::AutomationError(-2147217900, what + " [statement: " + tsql + "]",
                              "Microsoft OLE DB Provider for SQL Server");
  };
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (IsWord(t, "ifnull") && IsPunct(tokens[NextSig(tokens, i + 1, tokens.size())], "("))
      refuse("'IFNULL' is not a recognized built-in function name.");
    if (IsWord(t, "limit")) refuse("Incorrect syntax near 'LIMIT'.");
    if (IsPunct(t, "||")) refuse("Incorrect syntax near '|'.");
    if (IsPunct(t, "==")) refuse("Incorrect syntax near '='.");
  }
}

}  // namespace

std::vector<std::string> TranslateTSql(const std::string& tsql, bool sqlServerOnly) {
  std::vector<std::string> result;
  const std::vector<Token> tokens = Tokenize(tsql);
  if (sqlServerOnly) RefuseSqliteOnly(tokens, tsql);
  for (const auto& statement : SplitBatch(tokens)) {
    std::string text = Rewriter(statement).Emit(0, statement.size());
    size_t a = text.find_first_not_of(" \t\r\n");
    size_t b = text.find_last_not_of(" \t\r\n");
    if (a != std::string::npos) result.push_back(text.substr(a, b - a + 1));
  }
  return result;
}

}  // namespace sim
