// The Transact-SQL compatibility layer: how a batch splits into statements and how each
// construct the plug-in sends is rewritten for SQLite, then that the rewritten text runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/error.h"
#include "sim/host/database.h"

namespace sim {
namespace {

std::string Joined(const std::vector<std::string>& statements) {
  std::string r;
  for (const auto& s : statements) r += (r.empty() ? "" : " ;; ") + s;
  return r;
}

struct TranslateCase {
  int line;
  std::string tsql;
  std::string expected;  // statements joined by " ;; "
};

TEST(TSql, SplitsBatchesOnlyWhereANewStatementBegins) {
  const std::vector<TranslateCase> cases = {
      {__LINE__, "select 1", "select 1"},
      {__LINE__, "update a set x=1\r\nupdate b set y=2\r\n update c set z=3",
       "update a set x=1 ;; update b set y=2 ;; update c set z=3"},
      {__LINE__, "update a set x=1\nUPDATE b set y=2", "update a set x=1 ;; UPDATE b set y=2"},
      {__LINE__, "delete from a where x=1\r\ninsert into b values (1)\r\nselect * from b",
       "delete from a where x=1 ;; insert into b values (1) ;; select * from b"},
      {__LINE__, "SELECT \r\na,b \r\n FROM t \r\n WHERE ( \r\nx=1\r\n ) AND y=2 \r\n",
       "SELECT \r\na,b \r\n FROM t \r\n WHERE ( \r\nx=1\r\n ) AND y=2"},
      {__LINE__, "select * from view_BKPaymentTAV t1 \r\nwhere FNumber='HB1' and FName='SCTransfer' ",
       "select * from view_BKPaymentTAV t1 \r\nwhere FNumber='HB1' and FName='SCTransfer'"},
      {__LINE__, "select 1; select 2;", "select 1 ;; select 2"},
      {__LINE__, "select 'a;b\r\nselect c'", "select 'a;b\r\nselect c'"},
      {__LINE__, "select a from t\r\nunion\r\nselect b from u", "select a from t\r\nunion\r\nselect b from u"},
      {__LINE__, "select a from t where b in (\r\nselect c from u)",
       "select a from t where b in (\r\nselect c from u)"},
      {__LINE__, "insert into t (a)\r\nselect b from u", "insert into t (a)\r\nselect b from u"},
      {__LINE__, "\r\n \r\n", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Joined(TranslateTSql(c.tsql)), c.expected) << "line " << c.line;
}

TEST(TSql, RewritesEachConstruct) {
  const std::vector<TranslateCase> cases = {
      // ISNULL(a, b): the function only, never inside a literal or as IS NULL.
      {__LINE__, "SELECT ISNULL(FCheckerID,0) AS FCheckerID FROM t_sctransfer WHERE FID=5",
       "SELECT IFNULL(FCheckerID,0) AS FCheckerID FROM t_sctransfer WHERE FID=5"},
      {__LINE__, "select isnull (a, 'isnull(b)') from t where c is null",
       "select IFNULL (a, 'isnull(b)') from t where c is null"},
      // top n moves to a LIMIT at the end of its own query level.
      {__LINE__, "Select top 1 p.FID From t_scTransfer p Where p.FPaytran='x'",
       "Select p.FID From t_scTransfer p Where p.FPaytran='x' LIMIT 1"},
      {__LINE__, "select distinct top 5 a from t order by a", "select distinct a from t order by a LIMIT 5"},
      {__LINE__, "select TOP (2) a from t", "select a from t LIMIT 2"},
      {__LINE__, "select a from t where a in (select top 1 b from u order by b) and c=1",
       "select a from t where a in (select b from u order by b LIMIT 1) and c=1"},
      {__LINE__, "select 'top 1' as x from t", "select 'top 1' as x from t"},
      // Dates: style 111 text, and the whole day of a datetime.
      {__LINE__, " AND convert(datetime,convert(varchar(30),v.FRecSettdate,111)) >='2025-12-08'",
       "AND date(v.FRecSettdate) >='2025-12-08'"},
      {__LINE__, "select convert(varchar(30),FDate,111) from t", "select strftime('%Y/%m/%d',FDate) from t"},
      {__LINE__, "select convert(varchar(10),FDate,120) from t",
       "select substr(strftime('%Y-%m-%d %H:%M:%S',FDate),1,10) from t"},
      {__LINE__, "select CONVERT(DateTime, '2026/12/08') from t", "select tsql_datetime('2026/12/08') from t"},
      {__LINE__, "select convert(int, '12'), convert(decimal(18,2), a), convert(varchar(20), b) from t",
       "select CAST('12' AS INTEGER), CAST(a AS REAL), CAST(b AS TEXT) from t"},
      // Names in brackets, N'' texts; quoted texts pass unchanged.
      {__LINE__, "select [F Name], [a]]b] from [t_Acnt]", "select \"F Name\", \"a]b\" from \"t_Acnt\""},
      {__LINE__, "select N'人民币', 'it''s' from t", "select '人民币', 'it''s' from t"},
      {__LINE__, "select 1 -- isnull(a,b) top 1\r\n", "select 1 -- isnull(a,b) top 1"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Joined(TranslateTSql(c.tsql)), c.expected) << "line " << c.line;
}

struct RunCase {
  int line;
  std::string tsql;
  std::string expected;  // the first column of every row, joined by ","
};

std::string FirstColumn(const Rows& rows) {
  std::string r;
  for (const auto& row : rows.data) r += (r.empty() ? "" : ",") + ax::DisplayText(row[0]);
  return r;
}

TEST(TSql, RewrittenStatementsRunOnSqlite) {
  Database db;
  db.ExecNative(
      "CREATE TABLE r (id INTEGER, d TEXT, b INTEGER);"
      "INSERT INTO r VALUES (1, '2025-12-07 23:59:59', NULL), (2, '2025-12-08', 0),"
      " (3, '2026-12-08 23:59:00', 5), (4, '2026-12-09 00:00:00', NULL), (5, '2026-06-01', 1);");
  const std::vector<RunCase> cases = {
      {__LINE__,
       "select id from r where 1=1 AND convert(datetime,convert(varchar(30),d,111)) >='2025-12-08'\r\n"
       " AND convert(datetime,convert(varchar(30),d,111)) <='2026-12-08'\r\n",
       "2,3,5"},
      // NOT binds looser than the comparison: not (b > 0). A NULL b is unknown, as in T-SQL.
      {__LINE__, "select id from r where (not b>0)", "2"},
      {__LINE__, "select id from r where (not ISNULL(b,0)>0)", "1,2,4"},
      {__LINE__, "select top 2 id from r order by id desc", "5,4"},
      {__LINE__, "select convert(varchar(30),d,111) from r where id=3", "2026/12/08"},
      {__LINE__, "select convert(datetime,'2026/12/08') from R where ID=1", "2026-12-08"},
      {__LINE__, "update r set b=9 where id=1\r\nupdate R set b=8 where id=2\r\n select b from r where id<3",
       "9,8"},
  };
  for (const auto& c : cases) EXPECT_EQ(FirstColumn(db.Query(c.tsql)), c.expected) << "line " << c.line;
}

// SQL the plug-in sends runs on SQL Server: what only SQLite understands is refused there, and a
// double-quoted token is a name, never a text. The database's own set-up keeps SQLite's.
TEST(TSql, SqlThePlugInSendsIsRefusedWhereSqlServerRefusesIt) {
  Database db(":memory:");
  db.Reset(true);
  struct Case {
    int line;
    const char* sql;
    bool refused;
  };
  const Case cases[] = {
      {__LINE__, "select ISNULL(FBillNo,'') from t_scTransfer where FID=1", false},
      {__LINE__, "select top 1 FBillNo from t_scTransfer", false},
      {__LINE__, "select [FBillNo] from t_scTransfer where FID=1", false},
      {__LINE__, "select \"FBillNo\" from t_scTransfer where FID=1", false},
      {__LINE__, "select IFNULL(FBillNo,'') from t_scTransfer", true},
      {__LINE__, "select FBillNo || 'x' from t_scTransfer", true},
      {__LINE__, "select FBillNo from t_scTransfer limit 1", true},
      {__LINE__, "select FBillNo from t_scTransfer where FID==1", true},
      {__LINE__, "select FBillNo from t_scTransfer where FBillNo=\"HB000001\"", true},
  };
  for (const Case& c : cases) {
    bool refused = false;
    try {
      db.QuerySent(c.sql);
    } catch (const ax::AutomationError& e) {
      refused = true;
      EXPECT_EQ(e.Number(), -2147217900) << "line " << c.line;
    }
    EXPECT_EQ(refused, c.refused) << "line " << c.line;
    if (!c.refused) {
      EXPECT_NO_THROW(db.Query(c.sql)) << "line " << c.line;
    }
  }
  EXPECT_NO_THROW(db.Query("select FBillNo from t_scTransfer limit 1"));
  EXPECT_NO_THROW(db.Query("select FBillNo from t_scTransfer where FBillNo=\"HB000001\""));
}

}  // namespace
}  // namespace sim
