// The simulated host's SQL database over SQLite.
#include "sim/host/database.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>

#include "automation/error.h"

namespace sim {

namespace {

// The number the host's data provider raises for a statement it cannot run (DB_E_ERRORSINCOMMAND).
constexpr int32_t kProviderError = -2147217900;
constexpr const char* kProviderSource = "Microsoft OLE DB Provider for SQL Server";

[[noreturn]] void RaiseProvider(sqlite3* db, const std::string& sql) {
  std::string message = db ? sqlite3_errmsg(db) : "cannot open the database";
  throw ax::AutomationError(kProviderError, message + " [statement: " + sql + "]", kProviderSource);
}

// Dates are stored as text: "yyyy-mm-dd" for a whole day, "yyyy-mm-dd hh:mm:ss" otherwise, so
// that comparisons with 'yyyy-mm-dd' literals behave as the host's datetime columns do.
std::string DateText(ax::DateValue d) {
  int y, m, day, h, mi, s;
  ax::SplitDate(d, y, m, day, h, mi, s);
  char buf[32];
  if (h == 0 && mi == 0 && s == 0)
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, day);
  else
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, day, h, mi, s);
  return buf;
}

void Bind(sqlite3* db, sqlite3_stmt* st, int index, const ax::Variant& v, const std::string& sql) {
  int rc = SQLITE_OK;
  switch (v.type()) {
    case ax::VarType::Empty:
    case ax::VarType::Null:
    case ax::VarType::Missing:
      rc = sqlite3_bind_null(st, index);
      break;
    case ax::VarType::Boolean:
      rc = sqlite3_bind_int(st, index, v.asBool() ? 1 : 0);
      break;
    case ax::VarType::Integer:
      rc = sqlite3_bind_int(st, index, v.asInteger());
      break;
    case ax::VarType::Long:
      rc = sqlite3_bind_int(st, index, v.asLong());
      break;
    case ax::VarType::Double: {
      double d = v.asDouble();
      // Whole numbers go in as integers so that they compare and print as the host's ids do.
      if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e15)
        rc = sqlite3_bind_int64(st, index, static_cast<sqlite3_int64>(d));
      else
        rc = sqlite3_bind_double(st, index, d);
      break;
    }
    case ax::VarType::Currency:
      rc = sqlite3_bind_double(st, index, static_cast<double>(v.asCurrency().scaled) / 10000.0);
      break;
    case ax::VarType::Date: {
      std::string text = DateText(v.asDate());
      rc = sqlite3_bind_text(st, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
      break;
    }
    case ax::VarType::String:
      rc = sqlite3_bind_text(st, index, v.asString().c_str(), static_cast<int>(v.asString().size()),
                             SQLITE_TRANSIENT);
      break;
    case ax::VarType::Object:
      throw ax::Error(ax::err::kTypeMismatch);
  }
  if (rc != SQLITE_OK) RaiseProvider(db, sql);
}

ax::Variant ColumnValue(sqlite3_stmt* st, int i) {
  switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
      return ax::Variant(static_cast<int64_t>(sqlite3_column_int64(st, i)));
    case SQLITE_FLOAT:
      return ax::Variant(sqlite3_column_double(st, i));
    case SQLITE_NULL:
      return ax::Variant::null();
    default: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
      int size = sqlite3_column_bytes(st, i);
      return ax::Variant(std::string(text ? text : "", static_cast<size_t>(size)));
    }
  }
}

struct Statement {
  sqlite3_stmt* st = nullptr;
  ~Statement() { sqlite3_finalize(st); }
};

// Runs every statement of sql (native SQLite text, possibly several); params bind to the ?s of
// the first statement. Rows of the last statement that has result columns go to *out.
void RunNative(sqlite3* db, const std::string& sql, const std::vector<ax::Variant>& params,
               Rows* out) {
  const char* tail = sql.c_str();
  const char* end = tail + sql.size();
  bool first = true;
  while (tail < end) {
    Statement s;
    const char* next = nullptr;
    if (sqlite3_prepare_v2(db, tail, static_cast<int>(end - tail), &s.st, &next) != SQLITE_OK)
      RaiseProvider(db, sql);
    tail = next;
    if (!s.st) continue;  // blank text or a comment
    if (first) {
      int expected = sqlite3_bind_parameter_count(s.st);
      if (static_cast<size_t>(expected) != params.size())
        throw ax::AutomationError(kProviderError,
                                  "wrong number of parameters [statement: " + sql + "]",
                                  kProviderSource);
      for (int i = 0; i < expected; ++i) Bind(db, s.st, i + 1, params[static_cast<size_t>(i)], sql);
      first = false;
    }
    int columns = sqlite3_column_count(s.st);
    Rows rows;
    if (columns > 0) {
      for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(s.st, i);
        rows.columns.emplace_back(name ? name : "");
      }
    }
    for (;;) {
      int rc = sqlite3_step(s.st);
      if (rc == SQLITE_DONE) break;
      if (rc != SQLITE_ROW) RaiseProvider(db, sql);
      std::vector<ax::Variant> row;
      row.reserve(static_cast<size_t>(columns));
      for (int i = 0; i < columns; ++i) row.push_back(ColumnValue(s.st, i));
      rows.data.push_back(std::move(row));
    }
    if (columns > 0 && out) *out = std::move(rows);
  }
}

// tsql_datetime(x): the value of convert(datetime, x) for the texts the plug-in converts:
// 'yyyy/mm/dd' and 'yyyymmdd' become 'yyyy-mm-dd'; anything else passes unchanged.
void TsqlDatetime(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
    sqlite3_result_value(ctx, argv[0]);
    return;
  }
  std::string s(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])),
                static_cast<size_t>(sqlite3_value_bytes(argv[0])));
  auto digits = [&](size_t from, size_t n) {
    if (from + n > s.size()) return false;
    for (size_t i = from; i < from + n; ++i)
      if (s[i] < '0' || s[i] > '9') return false;
    return true;
  };
  if (s.size() >= 10 && digits(0, 4) && s[4] == '/' && digits(5, 2) && s[7] == '/' && digits(8, 2)) {
    s[4] = '-';
    s[7] = '-';
  } else if (s.size() == 8 && digits(0, 8)) {
    s = s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2);
  }
  sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

}  // namespace

size_t Rows::ColumnIndex(std::string_view name) const {
  for (size_t i = 0; i < columns.size(); ++i)
    if (ax::EqualsNoCase(columns[i], name)) return i;
  return std::string::npos;
}

Database::Database(const std::string& path) {
  int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw ax::AutomationError(kProviderError, "cannot open database " + path + ": " + message,
                              kProviderSource);
  }
  sqlite3_create_function(db_, "tsql_datetime", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                          TsqlDatetime, nullptr, nullptr);
}

Database::~Database() { sqlite3_close(db_); }

void Database::Execute(const std::string& tsql) {
  for (const std::string& statement : TranslateTSql(tsql)) RunNative(db_, statement, {}, nullptr);
}

Rows Database::Query(const std::string& tsql) {
  Rows result;
  for (const std::string& statement : TranslateTSql(tsql)) RunNative(db_, statement, {}, &result);
  return result;
}

namespace {

// While it lives, a double-quoted token is a name only, as for SQL Server (QUOTED_IDENTIFIER).
class NamesOnlyInDoubleQuotes {
 public:
  explicit NamesOnlyInDoubleQuotes(sqlite3* db) : db_(db) { Set(0); }
  ~NamesOnlyInDoubleQuotes() { Set(1); }
  NamesOnlyInDoubleQuotes(const NamesOnlyInDoubleQuotes&) = delete;
  NamesOnlyInDoubleQuotes& operator=(const NamesOnlyInDoubleQuotes&) = delete;

 private:
  void Set(int allowText) {
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, allowText, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, allowText, nullptr);
  }
  sqlite3* db_;
};

}  // namespace

void Database::CheckSent(const std::string& tsql) { TranslateTSql(tsql, true); }

void Database::ExecuteSent(const std::string& tsql) {
  NamesOnlyInDoubleQuotes names(db_);
  for (const std::string& statement : TranslateTSql(tsql, true)) RunNative(db_, statement, {}, nullptr);
}

Rows Database::QuerySent(const std::string& tsql) {
  NamesOnlyInDoubleQuotes names(db_);
  Rows result;
  for (const std::string& statement : TranslateTSql(tsql, true)) RunNative(db_, statement, {}, &result);
  return result;
}

Rows Database::QueryNative(const std::string& sql, const std::vector<ax::Variant>& params) {
  Rows result;
  RunNative(db_, sql, params, &result);
  return result;
}

void Database::ExecNative(const std::string& sql, const std::vector<ax::Variant>& params) {
  RunNative(db_, sql, params, nullptr);
}

int64_t Database::LastInsertId() const { return sqlite3_last_insert_rowid(db_); }

int64_t Database::ChangeCount() const { return sqlite3_total_changes64(db_); }

void Database::Reset(bool demo) {
  // Views first: a view over a dropped table would stay behind, broken.
  for (const char* kind : {"view", "table"}) {
    Rows objects = QueryNative(
        "SELECT name FROM sqlite_master WHERE type=? AND name NOT LIKE 'sqlite_%'", {kind});
    for (const auto& row : objects.data)
      ExecNative(std::string("DROP ") + kind + " IF EXISTS \"" + row[0].asString() + "\"");
  }
  CreateSchema();
  if (demo) LoadDemo();
}

}  // namespace sim
