// The simulated host's SQL database: SQLite with a small Transact-SQL compatibility layer, so
// the plug-in's statements run as written.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "automation/variant.h"

struct sqlite3;

namespace sim {

struct Rows {
  std::vector<std::string> columns;
  std::vector<std::vector<ax::Variant>> data;
  size_t ColumnIndex(std::string_view name) const;  // case-insensitive; npos when absent
};

class Database {
 public:
  // ":memory:" or a file name (the file is created, or opened as it is).
  explicit Database(const std::string& path = ":memory:");
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // The schema alone ("database empty") or the schema with the demo settlement centre.
  void CreateSchema();
  void LoadDemo();
  void Reset(bool demo);  // drops everything and recreates

  // Transact-SQL text as the plug-in sends it: one or more statements separated by CR LF,
  // with ISNULL, top N, convert(...) and case-insensitive names. Raises ax::AutomationError
  // (number -2147217900, the provider's description) for an invalid statement.
  // These take what SQLite takes beside (set-up and checks of the database's own).
  void Execute(const std::string& tsql);
  Rows Query(const std::string& tsql);  // the rows of the last statement that returns rows
  // The same for SQL the plug-in sent, which the host's SQL Server runs: what only SQLite
  // understands (IFNULL, ||, ==, LIMIT, double quotes around a text) is refused as SQL Server
  // refuses it; a double-quoted name is always a name.
  void ExecuteSent(const std::string& tsql);
  Rows QuerySent(const std::string& tsql);
  // Raises the provider's error for what only SQLite understands in a part the plug-in wrote
  // (a condition the host puts into a query of its own).
  static void CheckSent(const std::string& tsql);

  // Native SQLite with ? parameters, for the simulated components.
  Rows QueryNative(const std::string& sql, const std::vector<ax::Variant>& params = {});
  void ExecNative(const std::string& sql, const std::vector<ax::Variant>& params = {});
  int64_t LastInsertId() const;
  // Rows inserted, changed or deleted since the database was opened (a cheap "anything new?").
  int64_t ChangeCount() const;

  sqlite3* Handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

// The compatibility layer: splits a batch into statements and rewrites each into SQLite; with
// sqlServerOnly, what only SQLite understands raises the provider's error.
std::vector<std::string> TranslateTSql(const std::string& tsql, bool sqlServerOnly = false);

}  // namespace sim
