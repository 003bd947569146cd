// The simulated host's database: value kinds, parameters and errors, and the demo settlement
// centre as the plug-in's own statements see it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/error.h"
#include "sim/host/database.h"
#include "sim/host/schema.h"

namespace sim {
namespace {

// Every row as "a|b|c", rows joined by ";" (Null prints NULL).
std::string Show(const Rows& rows) {
  std::string r;
  for (const auto& row : rows.data) {
    if (!r.empty()) r += ";";
    for (size_t i = 0; i < row.size(); ++i) r += (i ? "|" : "") + ax::DisplayText(row[i]);
  }
  return r;
}

TEST(Database, ValueKindsFromSqlite) {
  Database db;
  Rows r = db.QueryNative("SELECT 7, 3000000000, 2.5, 'text', NULL, 50000.0");
  ASSERT_EQ(r.data.size(), 1u);
  const char* kinds[] = {"Long", "Double", "Double", "String", "Null", "Double"};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(r.data[0][i].typeName(), std::string(kinds[i])) << i;
  EXPECT_EQ(Show(r), "7|3000000000|2.5|text|NULL|50000");
}

TEST(Database, BindsVariantKinds) {
  Database db;
  struct Case {
    int line;
    ax::Variant value;
    std::string stored;  // typeof(?) and the value as SQLite holds it
  };
  const std::vector<Case> cases = {
      {__LINE__, ax::Variant(), "null|NULL"},
      {__LINE__, ax::Variant::null(), "null|NULL"},
      {__LINE__, true, "integer|1"},
      {__LINE__, false, "integer|0"},
      {__LINE__, ax::Variant::integer(-3), "integer|-3"},
      {__LINE__, int32_t{101}, "integer|101"},
      {__LINE__, 6.0, "integer|6"},
      {__LINE__, 7.25, "real|7.25"},
      {__LINE__, ax::Variant::currency(12.5), "real|12.5"},
      {__LINE__, ax::Variant(ax::MakeDate(2026, 12, 8)), "text|2026-12-08"},
      {__LINE__, ax::Variant(ax::MakeDate(2026, 12, 8, 23, 59, 0)), "text|2026-12-08 23:59:00"},
      {__LINE__, "华东公司", "text|华东公司"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Show(db.QueryNative("SELECT typeof(?1), ?1", {c.value})), c.stored) << "line " << c.line;
}

TEST(Database, ErrorsCarryTheProviderNumberAndTheStatement) {
  Database db;
  db.CreateSchema();
  struct Case {
    int line;
    std::string tsql;
    std::string inDescription;
  };
  const std::vector<Case> cases = {
      {__LINE__, "select FNothing from t_scTransfer", "no such column: FNothing"},
      {__LINE__, "select * from t_missing where FID=1", "select * from t_missing where FID=1"},
      {__LINE__, "update t_scTransfer set FAmt=1\r\nupdate t_nowhere set x=2", "update t_nowhere set x=2"},
      {__LINE__, "select t1.FBillNo from t_scTransfer t1, t_scRecSett t2 where FAmt>0", "ambiguous"},
  };
  for (const auto& c : cases) {
    try {
      db.Query(c.tsql);
      ADD_FAILURE() << "line " << c.line << ": no error";
    } catch (const ax::AutomationError& e) {
      EXPECT_EQ(e.Number(), -2147217900) << "line " << c.line;
      EXPECT_NE(e.Description().find(c.inDescription), std::string::npos)
          << "line " << c.line << ": " << e.Description();
    }
  }
  EXPECT_THROW(db.QueryNative("SELECT ?", {}), ax::AutomationError);
}

TEST(Database, QueryReturnsTheLastRowsAndResetStartsOver) {
  Database db;
  db.Reset(true);
  EXPECT_EQ(Show(db.Query("update t_scTransfer set FAmt=1 where FID=3\r\nselect FAmt from t_scTransfer where FID=3")),
            "1");
  EXPECT_TRUE(db.Query("update t_scTransfer set FAmt=2 where FID=3").data.empty());
  db.Reset(false);
  EXPECT_EQ(Show(db.Query("select count(*) from t_scTransfer")), "0");
  db.Reset(true);
  EXPECT_EQ(Show(db.Query("select FAmt from t_scTransfer where FID=3")), "12000");
  // A new bill continues the ids after the demo's five, even after the last one is deleted.
  db.Execute("delete from t_scTransfer where FID=5");
  db.ExecNative("INSERT INTO t_scTransfer (FBillNo) VALUES ('HB000006')");
  EXPECT_EQ(db.LastInsertId(), 6);
}

// The account query of the bill's account fields, line by line as the plug-in builds it.
std::string AccountQuery(const std::string& id) {
  const char* lines[] = {
      "SELECT ",
      "view_AcntTav.FID AS FID2,view_AcntTavGroup.FNumber,view_AcntTavGroup.FName,view_AcntTav.FClientID,t_Organization.FNumber AS FClientID_FNDName,t_Organization.FName AS FClientID_DSPName, ",
      "view_AcntTav.FAcnt,view_AcntTav.FBank,view_AcntTav.FAcntNo,view_AcntTavGroup.FID,view_AcntTavGroup.FLogic,view_AcntTav.FOpenDate, ",
      "view_AcntTav.FRate,view_AcntTav.FAcctID,view_AcntTav.FTZRate,view_AcntTav.FLastIntDate,view_AcntTav.FCurrencyID,t_Currency.FNumber AS FCurrencyID_FNDName, ",
      "t_Currency.FScale AS FCurrencyID_Decimal,t_Currency.FNumber AS FCurrencyID_DSPName,view_AcntTav.FExChangeRate,view_AcntTav.FOperator,view_AcntTav.FNumber AS FParentNumber,view_AcntTav.FFixRate, ",
      "view_AcntTav.FName AS FParentName,view_AcntTavGroup.FParentID,view_AcntTavGroup.FDetail,view_AcntTavGroup.FClassTypeID  FROM  view_AcntTavGroup  LEFT JOIN view_AcntTav  ON view_AcntTavGroup.FID=view_AcntTav.FID ",
      " LEFT  JOIN t_Organization  ON view_AcntTav.FClientID=t_Organization.FItemID AND t_Organization.FItemID<>0 ",
      " LEFT  JOIN t_Currency  ON view_AcntTav.FCurrencyID=t_Currency.FCurrencyID AND t_Currency.FCurrencyID<>0 ",
      " WHERE ( ",
  };
  std::string sql;
  for (const char* l : lines) sql += std::string(l) + "\r\n";
  sql += "view_AcntTavGroup.FID=" + id + "\r\n";
  for (const char* l : {" ) AND view_AcntTavGroup.FClassTypeID=1006008 ", " AND view_AcntTavGroup.FDetail=1 ",
                        " AND view_AcntTavGroup.FDisContinued=0 ",
                        " AND view_AcntTav.FAcntType=0 and view_AcntTav.FIsAcnt <> 0 and view_AcntTav.FDC =1 and view_AcntTav.FacntStyle<>2 "})
    sql += std::string(l) + "\r\n";
  return sql;
}

std::string Columns(const Rows& rows, const std::vector<const char*>& names) {
  std::string r;
  for (const auto& row : rows.data) {
    if (!r.empty()) r += ";";
    bool first = true;
    for (const char* n : names) {
      size_t c = rows.ColumnIndex(n);
      r += (first ? "" : "|") + (c == std::string::npos ? std::string("?") : ax::DisplayText(row[c]));
      first = false;
    }
  }
  return r;
}

std::string ReceiptFilter(const std::string& from, const std::string& to) {
  return "v.FCYID=1 and (not v.FTransBillID>0) and Acnt1.FAcntStyle=0 "
         " AND convert(datetime,convert(varchar(30),v.FRecSettdate,111)) >='" + from + "'\r\n"
         " AND convert(datetime,convert(varchar(30),v.FRecSettdate,111)) <='" + to + "'\r\n";
}

TEST(DemoData, ThePlugInsStatementsSeeTheDemoCentre) {
  Database db;
  db.Reset(true);
  struct Case {
    int line;
    std::string tsql;
    std::vector<const char*> columns;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {__LINE__, AccountQuery("101"),
       {"FID2", "FNumber", "FName", "FAcntNo", "FBank", "FClientID_DSPName", "FCurrencyID", "FCurrencyID_DSPName",
        "FExChangeRate", "FOperator", "FFixRate", "FCurrencyID_Decimal"},
       "101|01.001|集团资金池|755900000000001|招商银行深圳分行|集团总部|1|RMB|1|*|1|2"},
      {__LINE__, AccountQuery("106"), {"FName", "FCurrencyID", "FExChangeRate", "FOperator", "FFixRate", "FCurrencyID_Decimal"},
       "香港公司日元户|3|20.5|/|0|0"},
      {__LINE__, AccountQuery("1"), {"FID"}, ""},  // a group is not an account
      {__LINE__, "select t.FID, t.FBillNo, t.FPayAcctID, t.FRecAcctID, t.FAmt, t.FCheckerID, t.FReCheckerID, t.FCheckStatus, t.FReCheckStatus, t.FVoucherID, t.FBKCommit, t.FBaseProperty6 from t_scTransfer t order by t.FID",
       {"FID", "FBillNo", "FPayAcctID", "FRecAcctID", "FAmt", "FCheckerID", "FReCheckerID", "FCheckStatus", "FReCheckStatus", "FVoucherID", "FBKCommit", "FBaseProperty6"},
       "1|HB000001|101|102|50000|3|4|1|1|0|1|NULL;2|HB000002|102|101|30000|3|0|1|0|0|2|NULL;"
       "3|HB000003|103|101|12000|0|0|0|0|0|3|NULL;4|HB000004|101|103|80000|3|4|1|1|0|4|SUBMIT_SUCCESSE;"
       "5|HB000005|101|104|6000|3|4|1|1|301|5|NULL"},
      {__LINE__, "SELECT ISNULL(FCheckerID,0) AS FCheckerID FROM t_sctransfer WHERE FID=2", {"FCheckerID"}, "3"},
      {__LINE__, "select FPreParerID,FVoucherID,FCheckerID,FBillNo as FBillNo from t_scTransfer where  FID=5",
       {"FPreparerID", "FVoucherID", "FCheckerID", "FBillNo"}, "2|301|3|HB000005"},
      {__LINE__, "select FCheckerID from t_Voucher where FVoucherID=301", {"FCheckerID"}, "0"},
      {__LINE__, "select * from view_BKPaymentTAV t1 \r\nwhere FNumber='HB000004' and FName='SCTransfer' ",
       {"FInterID", "FSubmitState", "FCommitPayStatus"}, "9001|SUBMIT_SUCCESSE|1"},
      {__LINE__, "select * from view_BKPaymentTAV t1 \r\nwhere FNumber='HB000001' and FName='SCTransfer' ", {"FInterID"}, ""},
      {__LINE__, "select t1.FBillNo,t2.FInterID from t_scTransfer t1 left join t_BK_Payment t2 on t2.FsourceNumber=t1.FBillNo and t2.FSource='SCTransfer' where FID=4",
       {"FBillNo", "FInterID"}, "HB000004|9001"},
      {__LINE__, "select t1.FBillNo,t2.FInterID from t_scTransfer t1 left join t_BK_Payment t2 on t2.FsourceNumber=t1.FBillNo and t2.FSource='SCTransfer' where FID=1",
       {"FBillNo", "FInterID"}, "HB000001|NULL"},
      {__LINE__, "Select top 1 p.FID From t_scTransfer p,t_BK_Acnt t1 left join t_submessage t2 on t1.FBankTypeID=t2.FInterID Where t2.FID='200' And t1.FAcntNumber=p.FRecBankAcnt And p.FPaytran='ZF20261201' AND p.FRecBankAcnt='755900000000002'",
       {"FID"}, "1"},
      {__LINE__, "Select top 1 p.FID From t_scTransfer p,t_BK_Acnt t1 left join t_submessage t2 on t1.FBankTypeID=t2.FInterID Where t2.FID='200' And t1.FAcntNumber=p.FRecBankAcnt And p.FPaytran='ZF20261201' AND p.FRecBankAcnt='755900000000002' AND p.FID <> 1",
       {"FID"}, ""},
      {__LINE__,
       "select t1.FID,t1.FBillNo,t1.FAmt,t1.FCyID,t1.FRecBankType,\r\n"
       " t1.FRecBankAcnt,t1.FRecBank,t2.FClientName as FRecClient \r\n"
       " ,t3.FClientName as FPayClient,t1.FPayBankAcnt,t1.FRecCity,t1.FRecProvince,t1.FPayCity,t1.FPayProvince,t1.FPurpose,t1.FTlxlvl,t1.FTrantype,t1.FCheckerID,t1.FReCheckerID \r\n"
       " ,t1.FExplanation,t1.FPayBank,FRecCityType,FPayCityType  from t_scTransfer t1 \r\n"
       " left join view_AcntTav t2 on t1.FRecAcctID=t2.FID \r\n"
       " left join view_AcntTav t3 on t1.FPayAcctID=t3.FID \r\n"
       "where t1.FID in (1,4)",
       {"FID", "FRecBankType", "FRecClient", "FPayClient", "FRecProvince", "FRecCity", "FRecCityType", "FTrantype"},
       "1|200|华南公司|集团总部|广东省|广州|0|TC;4|100|华东公司|集团总部|上海|上海市|0|TC"},
      {__LINE__, "update t_Voucher set FParameter=5 where FVoucherID=301\r\nupdate t_scTransfer set FBKCommit=5 where FID=5\r\n update t_scRecSett set FTransBillID= 5 where FRecSettID=602\r\nselect FTransBillID from t_scRecSett where FRecSettID=602",
       {"FTransBillID"}, "5"},
      {__LINE__, "update t_scRecSett set FTransBillID=NULL where FRecSettID=602", {}, ""},
      {__LINE__, ReceiptPickerQuery(ReceiptFilter("2025-12-08", "2026-12-08")),
       {"FRecSettID", "FPayAcctID", "FPayAcctNumber", "FCentAcctID", "FCentAcctNumber", "FCentAcctName", "FCentBankAcnt", "FAmt", "FExplanation", "FSettleType", "FSettleNo", "FRecSettDate"},
       "601|103|01.003|101|01.001|集团资金池|755900000000001|8000|华东公司资金上划|电汇|DH0001|2026-11-20;"
       "602|102|01.002|101|01.001|集团资金池|755900000000001|15000|NULL|电汇|NULL|2026-12-01;"
       "603|0|NULL|101|01.001|集团资金池|755900000000001|5000|外部来款|现金|NULL|2026-12-03"},
      {__LINE__, AccountListQuery(" t_Acnt.FAutoTransfer = 1 and t_Account.FCurrencyID=1 ", ""),
       {"FID", "FAccountID", "FNumber", "FTransAcctID", "FTransAcctNumber", "FTransBank", "FTransBound", "FTransMin", "FCurrencyID", "FCurNumber", "FCurName"},
       "102|102|01.002|101|01.001|招商银行深圳分行|50000|10000|1|RMB|人民币;"
       "103|103|01.003|101|01.001|招商银行深圳分行|20000|5000|1|RMB|人民币;"
       "104|104|01.004|101|01.001|招商银行深圳分行|0|1000000|1|RMB|人民币"},
      // The list's FID is the id the ledger summary reports the balance by; FAccountID the id bills store.
      {__LINE__, AccountListQuery("t_Acnt.FID in (107, 108)", ""),
       {"FID", "FAccountID", "FNumber", "FTransAcctID", "FTransBound", "FTransMin", "FCurrencyID"},
       "108|107|01.005|101|30000|10000|1;107|108|01.006|101|10000|5000|1"},
      {__LINE__, TransferListQuery(""), {"FID", "FSubmitState", "FCommitPayStatus", "FBaseProperty6_DSPName"},
       "1|NULL|NULL|;2|NULL|NULL|;3|NULL|NULL|;4|SUBMIT_SUCCESSE|1|SUBMIT_SUCCESSE;5|NULL|NULL|"},
      {__LINE__,
       TransferListQuery("t_scTransfer.FRecAcctID in (SELECT FAcntID FROM view_UserAcnt WHERE FUserID=5) and "
                         "t_scTransfer.FPayAcctID in (SELECT FAcntID FROM view_UserAcnt WHERE FUserID=5)"),
       {"FID"}, "1;2"},
      {__LINE__, "select FClientID, FAccntSum from view_AcntBalance order by FClientID", {"FClientID", "FAccntSum"},
       "101|2000000;102|180000;103|24000;104|500000;105|10000;106|1000000;107|60000;108|150000"},
  };
  for (const auto& c : cases) {
    try {
      Rows rows = db.Query(c.tsql);
      if (!c.columns.empty()) {
        EXPECT_EQ(Columns(rows, c.columns), c.expected) << "line " << c.line;
      }
    } catch (const ax::AutomationError& e) {
      ADD_FAILURE() << "line " << c.line << ": " << e.Description();
    }
  }
}

TEST(DemoData, ReceiptDateRangeTakesWholeDays) {
  Database db;
  db.Reset(true);
  db.Execute(
      "insert into t_scRecSett (FRecSettID, FRecSettDate, FPayAcctID, FCentAcctID, FCyID, FAmt, FFcyAmt) "
      "values (607, '2026-12-08 23:59:00', 102, 101, 1, 100, 100), (608, '2026-12-09 00:00:00', 102, 101, 1, 100, 100), "
      "(609, '2025-12-08 00:00:00', 103, 101, 1, 100, 100), (610, '2025-12-07 23:59:59', 103, 101, 1, 100, 100), "
      "(611, '2026-12-07', 102, 101, 1, 100, 100)");
  db.Execute("update t_scRecSett set FTransBillID=6 where FRecSettID=611");
  Rows rows = db.Query(ReceiptPickerQuery(ReceiptFilter("2025-12-08", "2026-12-08")));
  EXPECT_EQ(Columns(rows, {"FRecSettID"}), "609;601;602;603;607");
}

TEST(DemoData, ExportConfigurationAndProfile) {
  Database db;
  db.Reset(true);
  EXPECT_EQ(Show(db.Query("select FSubSystemKey, FBankTypeKey from t_ExportConfig order by FID")),
            "ESC|CMB01;ESC|ICBC01;AP|CMB01");
  EXPECT_EQ(Show(db.Query("select FName, FName_cht, FName_en from t_BankType where FKey='cmb01'")),
            "招商银行付款文件|招商銀行付款文件|CMB payment file");
  EXPECT_EQ(Show(db.Query("select FValue from t_SystemProfile where FCategory='gl' and FKey='StartYear'")), "2026");
  EXPECT_EQ(Show(db.Query("select FName, FIsAdmin, FAllAccounts from t_User where FUserID in (1,5) order by FUserID")),
            "系统管理员|1|1;陈杰|0|0");
  EXPECT_EQ(Show(db.Query("select FWord, FNumber, FParameter, FCheckerID from t_Voucher")), "记|15|5|0");
  EXPECT_EQ(Show(db.Query("select FEntryID, FAccountID, FDC, FAmount, FSettleTypeID, FSettleNo from t_VoucherEntry order by FEntryID")),
            "1|1024|1|6000|NULL|NULL;2|1021|0|6000|2|DH1205");
}

}  // namespace
}  // namespace sim
