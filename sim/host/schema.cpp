// The simulated host's database: every table and view the plug-in's statements name, the
// tables the simulated host components keep their data in, and the demo settlement centre.
//
// Conventions: ids are INTEGER; amounts and rates REAL; dates TEXT as 'yyyy-mm-dd' (a whole
// day) or 'yyyy-mm-dd hh:mm:ss', so comparisons with 'yyyy-mm-dd' literals work as on the
// host's datetime columns. Codes and keys that the host compares without regard to case are
// declared COLLATE NOCASE.
#include "sim/host/schema.h"

#include "sim/host/database.h"

namespace sim {

namespace {

constexpr const char* kSchema = R"SQL(
-- Users of the host. FIsAdmin: administrators see every bill of the transfer list.
-- FAllAccounts: 1 when the user may use every centre account, else those listed in t_UserAcnt.
CREATE TABLE t_User (
  FUserID INTEGER PRIMARY KEY,
  FName TEXT NOT NULL,
  FIsAdmin INTEGER NOT NULL DEFAULT 0,
  FAllAccounts INTEGER NOT NULL DEFAULT 1
);

-- Centre accounts a user restricted by FAllAccounts = 0 may use.
CREATE TABLE t_UserAcnt (
  FUserID INTEGER NOT NULL,
  FAcntID INTEGER NOT NULL,
  PRIMARY KEY (FUserID, FAcntID)
);

-- Clients of the settlement centre (the member companies that hold centre accounts).
CREATE TABLE t_Organization (
  FItemID INTEGER PRIMARY KEY,
  FNumber TEXT COLLATE NOCASE,
  FName TEXT
);

-- Currencies. FScale: decimals; FOperator: '*' multiplies by FExchangeRate, '/' divides;
-- FFixRate 1: the rate may not be changed on a bill.
CREATE TABLE t_Currency (
  FCurrencyID INTEGER PRIMARY KEY,
  FNumber TEXT COLLATE NOCASE,
  FName TEXT,
  FScale INTEGER NOT NULL DEFAULT 2,
  FExchangeRate REAL NOT NULL DEFAULT 1,
  FOperator TEXT NOT NULL DEFAULT '*',
  FFixRate INTEGER NOT NULL DEFAULT 0
);

-- The host's message lists (辅助资料): FTypeID 60 bank types (FID is the bank type code,
-- '200' China Merchants Bank), FTypeID 412 purposes of a transfer.
CREATE TABLE t_submessage (
  FInterID INTEGER PRIMARY KEY,
  FTypeID INTEGER NOT NULL,
  FID TEXT COLLATE NOCASE,
  FName TEXT
);

-- Settlement types (结算方式).
CREATE TABLE t_Settle (
  FItemID INTEGER PRIMARY KEY,
  FNumber TEXT COLLATE NOCASE,
  FName TEXT
);

-- Ledger accounts of the general ledger. FIsBank 1: a bank account (voucher lines on it carry
-- the settlement type and number). FCurrencyID: the currency the account is kept in.
CREATE TABLE t_Account (
  FAccountID INTEGER PRIMARY KEY,
  FNumber TEXT COLLATE NOCASE,
  FName TEXT,
  FIsBank INTEGER NOT NULL DEFAULT 0,
  FCurrencyID INTEGER NOT NULL DEFAULT 1,
  FDC INTEGER NOT NULL DEFAULT 1
);

-- Groups of the centre-account tree (non-detail nodes of view_AcntTavGroup).
CREATE TABLE t_AcntGroup (
  FID INTEGER PRIMARY KEY,
  FNumber TEXT COLLATE NOCASE,
  FName TEXT,
  FParentID INTEGER NOT NULL DEFAULT 0,
  FDisContinued INTEGER NOT NULL DEFAULT 0
);

-- Centre accounts (结算中心账户): FID is the id bills store in FPayAcctID/FRecAcctID.
-- FBankTypeID: t_submessage.FInterID of the bank type; FAcctID: the ledger account
-- (t_Account.FAccountID). FAcntType 0, FIsAcnt 1, FDC 1, FAcntStyle 0: an ordinary current
-- account that transfer bills may use. Automatic collection: FAutoTransfer 1 sweeps the balance
-- above FTransBound into FTransAcctID when the excess reaches FTransMin. FSumID: the id the
-- centre's ledger summary knows the account by (its balances' FClientID, the account list's FID);
-- NULL where the summary numbers the account as FID.
CREATE TABLE t_Acnt (
  FID INTEGER PRIMARY KEY,
  FNumber TEXT COLLATE NOCASE,
  FName TEXT,
  FParentID INTEGER NOT NULL DEFAULT 0,
  FClientID INTEGER,
  FBank TEXT,
  FAcntNo TEXT,
  FCurrencyID INTEGER,
  FBankTypeID INTEGER,
  FAcctID INTEGER,
  FAcntType INTEGER NOT NULL DEFAULT 0,
  FIsAcnt INTEGER NOT NULL DEFAULT 1,
  FDC INTEGER NOT NULL DEFAULT 1,
  FAcntStyle INTEGER NOT NULL DEFAULT 0,
  FRate REAL NOT NULL DEFAULT 0,
  FTZRate REAL NOT NULL DEFAULT 0,
  FLastIntDate TEXT,
  FOpenDate TEXT,
  FDisContinued INTEGER NOT NULL DEFAULT 0,
  FAutoTransfer INTEGER NOT NULL DEFAULT 0,
  FTransAcctID INTEGER,
  FTransBound REAL,
  FTransMin REAL,
  FSumID INTEGER
);

-- Bank accounts known to the bank link (银行账号), with their bank type.
CREATE TABLE t_BK_Acnt (
  FInterID INTEGER PRIMARY KEY,
  FAcntNumber TEXT,
  FAcntName TEXT,
  FBankName TEXT,
  FBankTypeID INTEGER,
  FCentAcntID INTEGER
);

-- Ledger balance entries of the centre accounts (FAcntID: t_Acnt.FID). An account may have
-- several; its balance is the first that counts in entry order (rowid). FDate 'yyyy-mm-dd': the
-- entry counts only for a query whose ledger start is not after it and whose query date is not
-- before it; NULL: an entry that counts at every date.
CREATE TABLE t_Balance (
  FAcntID INTEGER NOT NULL,
  FBalance REAL NOT NULL DEFAULT 0,
  FDate TEXT
);

-- Transfer bills (划拨单). FID and FBillNo are given on the first save (FID continues the
-- sequence, FBillNo is 'HB' and FID with six digits). FBaseProperty1/3: names of the receiving
-- and paying accounts; FBaseProperty6: the bank processing status of the bill's payment.
-- Dates are 'yyyy-mm-dd' texts.
CREATE TABLE t_scTransfer (
  FID INTEGER PRIMARY KEY AUTOINCREMENT,
  FBillNo TEXT COLLATE NOCASE,
  FDate TEXT,
  FPaySettDate TEXT,
  FTrantype TEXT,
  FTlxlvl INTEGER NOT NULL DEFAULT 0,
  FCheckStatus INTEGER NOT NULL DEFAULT 0,
  FReCheckStatus INTEGER NOT NULL DEFAULT 0,
  FPreparerID INTEGER,
  FCheckerID INTEGER NOT NULL DEFAULT 0,
  FReCheckerID INTEGER NOT NULL DEFAULT 0,
  FCheckDate TEXT,
  FReCheckDate TEXT,
  FSource INTEGER NOT NULL DEFAULT 0,
  FPayAcctID INTEGER,
  FRecAcctID INTEGER,
  FBaseProperty1 TEXT,
  FBaseProperty2 TEXT,
  FBaseProperty3 TEXT,
  FBaseProperty4 TEXT,
  FBaseProperty5 TEXT,
  FBaseProperty6 TEXT,
  FPayBank TEXT,
  FPayBankAcnt TEXT,
  FRecBank TEXT,
  FRecBankAcnt TEXT,
  FRecBanktype INTEGER,
  FPaytran TEXT,
  FCyID INTEGER,
  FExchRate REAL NOT NULL DEFAULT 1,
  FAmt REAL NOT NULL DEFAULT 0,
  FFcyAmt REAL NOT NULL DEFAULT 0,
  FPurpose TEXT,
  FVoucherID INTEGER NOT NULL DEFAULT 0,
  FBKCommit INTEGER NOT NULL DEFAULT 0,
  FSettleTypeID INTEGER,
  FSettleNo TEXT,
  FExplanation TEXT,
  FRecProvince TEXT,
  FRecCity TEXT,
  FRecCityType INTEGER NOT NULL DEFAULT 0,
  FPayProvince TEXT,
  FPayCity TEXT,
  FPayCityType INTEGER NOT NULL DEFAULT 0
);

-- Accounting vouchers (凭证): word and number (字号, shown as '记-15'), FCheckerID > 0 once
-- checked, FParameter the transfer bill the voucher was generated from.
CREATE TABLE t_Voucher (
  FVoucherID INTEGER PRIMARY KEY AUTOINCREMENT,
  FDate TEXT,
  FTransDate TEXT,
  FYear INTEGER,
  FPeriod INTEGER,
  FWord TEXT,
  FNumber INTEGER,
  FReference TEXT,
  FExplanation TEXT,
  FTranType INTEGER,
  FObjectName TEXT,
  FPreparerID INTEGER,
  FCheckerID INTEGER NOT NULL DEFAULT 0,
  FPosted INTEGER NOT NULL DEFAULT 0,
  FParameter INTEGER NOT NULL DEFAULT 0
);

-- Voucher lines: FDC 1 debit, 0 credit; FAmountFor in the line's currency, FAmount in the
-- local currency; settlement type and number only on bank accounts.
CREATE TABLE t_VoucherEntry (
  FVoucherID INTEGER NOT NULL,
  FEntryID INTEGER NOT NULL,
  FAccountID INTEGER,
  FDC INTEGER NOT NULL,
  FCurrencyID INTEGER,
  FExchangeRate REAL,
  FAmountFor REAL,
  FAmount REAL,
  FExplanation TEXT,
  FSettleTypeID INTEGER,
  FSettleNo TEXT,
  PRIMARY KEY (FVoucherID, FEntryID)
);

-- Receipt settlements (收款单) from the bank interface: money received into the centre
-- account FCentAcctID from FPayAcctID (0 or NULL: a payer outside the centre). FTransBillID:
-- the transfer bill made from the receipt by bank collection (0 or NULL: none yet).
CREATE TABLE t_scRecSett (
  FRecSettID INTEGER PRIMARY KEY,
  FBillNo TEXT COLLATE NOCASE,
  FRecSettDate TEXT,
  FPayAcctID INTEGER,
  FPayBank TEXT,
  FPayBankAcnt TEXT,
  FCentAcctID INTEGER,
  FCyID INTEGER,
  FExchRate REAL NOT NULL DEFAULT 1,
  FAmt REAL NOT NULL DEFAULT 0,
  FFcyAmt REAL NOT NULL DEFAULT 0,
  FExplanation TEXT,
  FPurpose TEXT,
  FSettleTypeID INTEGER,
  FSettleNo TEXT,
  FTransBillID INTEGER
);

-- Bank payments recorded by the bank link (银行付款单). FSource/FSourceNumber: the document
-- the payment was made from ('SCTransfer' and the bill number); FStatus: the bank status code
-- (SUBMIT_SUCCESSE, TRANSACTION_SUCCESS, BK201, ...); FCommitPayStatus 1: committed to the bank.
-- There is deliberately no FID column: statements join it to t_scTransfer and name FID alone.
CREATE TABLE t_BK_Payment (
  FInterID INTEGER PRIMARY KEY AUTOINCREMENT,
  FSource TEXT COLLATE NOCASE,
  FSourceID INTEGER,
  FSourceNumber TEXT COLLATE NOCASE,
  FDate TEXT,
  FRecAcntNumber TEXT,
  FRecBranch TEXT,
  FPayBranch TEXT,
  FRecBankNumber INTEGER,
  FRecBank TEXT,
  FRecName TEXT,
  FAmt REAL,
  FCurrency TEXT,
  FPayAcntNumber TEXT,
  FPayBank TEXT,
  FPayName TEXT,
  FRecAreaName TEXT,
  FPayAreaName TEXT,
  FPurpose TEXT,
  FExplanation TEXT,
  FUrgent INTEGER,
  FPaymentMode TEXT,
  FStatus TEXT,
  FCommitPayStatus INTEGER NOT NULL DEFAULT 0
);

-- The business log (上机日志): object code, kind, text, user and time of each entry.
CREATE TABLE t_Log (
  FLogID INTEGER PRIMARY KEY AUTOINCREMENT,
  FObjectCode TEXT,
  FKind INTEGER,
  FText TEXT,
  FUserID INTEGER,
  FTime TEXT
);

-- Bank payment-file formats (bank types of the export component) with their names per language.
CREATE TABLE t_BankType (
  FKey TEXT PRIMARY KEY COLLATE NOCASE,
  FName TEXT,
  FName_cht TEXT,
  FName_en TEXT
);

-- Export configuration: which payment-file format each subsystem offers ('ESC' the centre).
CREATE TABLE t_ExportConfig (
  FID INTEGER PRIMARY KEY,
  FSubSystemKey TEXT COLLATE NOCASE,
  FBankTypeKey TEXT COLLATE NOCASE
);

-- The system profile (系统参数) by category and key, as GetSystemProfile reads it.
CREATE TABLE t_SystemProfile (
  FCategory TEXT NOT NULL COLLATE NOCASE,
  FKey TEXT NOT NULL COLLATE NOCASE,
  FValue TEXT,
  PRIMARY KEY (FCategory, FKey)
);

-- The ledger's accounting periods: each period of a year with its first and last day (the
-- periods need not be calendar months).
CREATE TABLE t_GLPeriod (
  FYear INTEGER NOT NULL,
  FPeriod INTEGER NOT NULL,
  FStartDate TEXT NOT NULL,
  FEndDate TEXT NOT NULL,
  PRIMARY KEY (FYear, FPeriod)
);

-- Class descriptions of the host's bill types: name, bill-number field, table, and the object
-- type and id the object permission test uses.
CREATE TABLE t_ClassType (
  FClassTypeID INTEGER PRIMARY KEY,
  FName TEXT,
  FBillNoField TEXT,
  FTableName TEXT,
  FObjectType INTEGER,
  FObjectID INTEGER
);

-- Centre accounts with their client and currency, as the account look-ups see them.
CREATE VIEW view_AcntTav AS
SELECT a.FID, a.FNumber, a.FName, a.FParentID, a.FClientID, o.FName AS FClientName,
       a.FNumber AS FAcnt, a.FBank, a.FAcntNo, a.FCurrencyID, c.FExchangeRate AS FExChangeRate,
       c.FOperator, c.FFixRate, a.FAcntType, a.FIsAcnt, a.FDC, a.FAcntStyle, a.FAcctID, a.FRate,
       a.FTZRate, a.FLastIntDate, a.FOpenDate, a.FBankTypeID, a.FDisContinued
FROM t_Acnt a
LEFT JOIN t_Organization o ON o.FItemID = a.FClientID
LEFT JOIN t_Currency c ON c.FCurrencyID = a.FCurrencyID;

-- The centre-account tree (class 1006008): groups (FDetail 0) and accounts (FDetail 1).
CREATE VIEW view_AcntTavGroup AS
SELECT g.FID, g.FNumber, g.FName, 0 AS FLogic, g.FParentID, 0 AS FDetail,
       1006008 AS FClassTypeID, g.FDisContinued
FROM t_AcntGroup g
UNION ALL
SELECT a.FID, a.FNumber, a.FName, 0, a.FParentID, 1, 1006008, a.FDisContinued
FROM t_Acnt a;

-- Bank payments as the transfer list and the submission rules see them: FNumber the source
-- document's number, FName its kind ('SCTransfer'), FSubmitState the bank status code.
CREATE VIEW view_BKPaymentTAV AS
SELECT p.FInterID, p.FSourceNumber AS FNumber, p.FSource AS FName, p.FSourceID,
       p.FStatus AS FSubmitState, p.FCommitPayStatus, p.FDate, p.FAmt, p.FCurrency,
       p.FPayAcntNumber, p.FPayBank, p.FPayName, p.FRecAcntNumber, p.FRecBank, p.FRecBranch,
       p.FRecName, p.FPurpose, p.FExplanation
FROM t_BK_Payment p;

-- Receipts with their accounts, the view behind the receipt picker's alias v. FTransBillID is
-- 0 when the receipt has no transfer bill yet, also where the table holds NULL: the picker's
-- condition "(not v.FTransBillID>0)" must offer such a receipt, and NOT (NULL>0) is not true.
CREATE VIEW view_RecSett AS
SELECT r.FRecSettID, r.FBillNo, r.FRecSettDate,
       r.FPayAcctID, p.FNumber AS FPayAcctNumber, p.FName AS FPayAcctName,
       r.FPayBank, r.FPayBankAcnt,
       r.FCentAcctID, c.FNumber AS FCentAcctNumber, c.FName AS FCentAcctName,
       c.FBank AS FCentBank, c.FAcntNo AS FCentBankAcnt,
       r.FCyID, cur.FName AS FCyName, r.FExchRate, r.FAmt, r.FFcyAmt, r.FExplanation, r.FPurpose,
       r.FSettleTypeID, s.FName AS FSettleType, r.FSettleNo,
       -- The one column the view fills: the picker's fixed filter "(not v.FTransBillID>0)"
       -- offers a receipt that was never converted (NULL) only because the host reads it as 0.
       IFNULL(r.FTransBillID, 0) AS FTransBillID
FROM t_scRecSett r
LEFT JOIN t_Acnt p ON p.FID = r.FPayAcctID
LEFT JOIN t_Acnt c ON c.FID = r.FCentAcctID
LEFT JOIN t_Currency cur ON cur.FCurrencyID = r.FCyID
LEFT JOIN t_Settle s ON s.FItemID = r.FSettleTypeID;

-- The centre accounts each user may use (all of them for FAllAccounts 1).
CREATE VIEW view_UserAcnt AS
SELECT u.FUserID, a.FID AS FAcntID
FROM t_User u JOIN t_Acnt a
WHERE u.FAllAccounts <> 0
   OR EXISTS (SELECT 1 FROM t_UserAcnt x WHERE x.FUserID = u.FUserID AND x.FAcntID = a.FID);

-- Ledger balances per centre account, under the ids the ledger summary reports them by.
CREATE VIEW view_AcntBalance AS
SELECT IFNULL(a.FSumID, a.FID) AS FClientID, a.FNumber AS FClientNumber, a.FName AS FClientName,
       a.FCurrencyID, IFNULL(b.FBalance, 0) AS FAccntSum
FROM t_Acnt a
LEFT JOIN t_Balance b ON b.rowid = (SELECT MIN(x.rowid) FROM t_Balance x WHERE x.FAcntID = a.FID);
)SQL";

constexpr const char* kDemo = R"SQL(
INSERT INTO t_User (FUserID, FName, FIsAdmin, FAllAccounts) VALUES
  (1, '系统管理员', 1, 1),
  (2, '张敏', 0, 1),
  (3, '李强', 0, 1),
  (4, '王芳', 0, 1),
  (5, '陈杰', 0, 0);
INSERT INTO t_UserAcnt (FUserID, FAcntID) VALUES (5, 101), (5, 102);

INSERT INTO t_Organization (FItemID, FNumber, FName) VALUES
  (1, '01', '集团总部'),
  (2, '02', '华南公司'),
  (3, '03', '华东公司'),
  (4, '04', '华北公司'),
  (5, '05', '香港公司'),
  (6, '06', '华中公司'),
  (7, '07', '西南公司');

INSERT INTO t_Currency (FCurrencyID, FNumber, FName, FScale, FExchangeRate, FOperator, FFixRate) VALUES
  (1, 'RMB', '人民币', 2, 1, '*', 1),
  (2, 'USD', '美元', 2, 7.1, '*', 0),
  (3, 'JPY', '日元', 0, 20.5, '/', 0);

INSERT INTO t_submessage (FInterID, FTypeID, FID, FName) VALUES
  (1, 60, '100', '工商银行'),
  (2, 60, '200', '招商银行'),
  (3, 60, '300', '建设银行'),
  (4, 60, '400', '中国银行'),
  (11, 412, '01', '调拨'),
  (12, 412, '02', '资金归集'),
  (13, 412, '03', '货款'),
  (14, 412, '04', '还款'),
  (15, 412, '05', '借款');

INSERT INTO t_Settle (FItemID, FNumber, FName) VALUES
  (1, '01', '现金'),
  (2, '02', '电汇'),
  (3, '03', '转账支票'),
  (4, '04', '信汇');

INSERT INTO t_Account (FAccountID, FNumber, FName, FIsBank, FCurrencyID, FDC) VALUES
  (1021, '1002.01', '银行存款-集团资金池', 1, 1, 1),
  (1022, '1002.02', '银行存款-华南公司结算户', 1, 1, 1),
  (1023, '1002.03', '银行存款-华东公司结算户', 1, 1, 1),
  (1024, '2241.04', '其他应付款-华北公司结算户', 0, 1, 0),
  (1025, '1002.05', '银行存款-香港公司美元户', 1, 2, 1),
  (1026, '1002.06', '银行存款-香港公司日元户', 1, 3, 1),
  (1027, '1002.07', '银行存款-华中公司结算户', 1, 1, 1),
  (1028, '1002.08', '银行存款-西南公司结算户', 1, 1, 1);

INSERT INTO t_AcntGroup (FID, FNumber, FName, FParentID) VALUES
  (1, '01', '人民币结算账户', 0),
  (2, '02', '美元结算账户', 0),
  (3, '03', '日元结算账户', 0);

INSERT INTO t_Acnt (FID, FNumber, FName, FParentID, FClientID, FBank, FAcntNo, FCurrencyID,
                    FBankTypeID, FAcctID, FRate, FOpenDate, FLastIntDate,
                    FAutoTransfer, FTransAcctID, FTransBound, FTransMin) VALUES
  (101, '01.001', '集团资金池', 1, 1, '招商银行深圳分行', '755900000000001', 1, 2, 1021, 0.35, '2020-01-01', '2026-09-20', 0, NULL, NULL, NULL),
  (102, '01.002', '华南公司结算户', 1, 2, '招商银行广州分行', '755900000000002', 1, 2, 1022, 0.35, '2020-01-01', '2026-09-20', 1, 101, 50000, 10000),
  (103, '01.003', '华东公司结算户', 1, 3, '工商银行上海分行', '100200000000003', 1, 1, 1023, 0.35, '2021-03-01', '2026-09-20', 1, 101, 20000, 5000),
  (104, '01.004', '华北公司结算户', 1, 4, '建设银行北京分行', '300100000000004', 1, 3, 1024, 0.35, '2022-06-01', '2026-09-20', 1, 101, 0, 1000000),
  (105, '02.001', '香港公司美元户', 2, 5, '中国银行香港分行', '400100000000005', 2, 4, 1025, 0.1, '2023-01-01', '2026-09-20', 1, 101, 0, 0),
  (106, '03.001', '香港公司日元户', 3, 5, '中国银行香港分行', '400100000000006', 3, 4, 1026, 0, '2023-01-01', '2026-09-20', 0, NULL, NULL, NULL);
-- Two accounts the ledger summary numbers the other way round (FSumID): an id read from the
-- wrong column names the other account, not none. Their collection into 01.001 is set up but
-- off (FAutoTransfer 0), so that the first six accounts collect as they always did.
INSERT INTO t_Acnt (FID, FSumID, FNumber, FName, FParentID, FClientID, FBank, FAcntNo, FCurrencyID,
                    FBankTypeID, FAcctID, FRate, FOpenDate, FLastIntDate,
                    FAutoTransfer, FTransAcctID, FTransBound, FTransMin) VALUES
  (107, 108, '01.005', '华中公司结算户', 1, 6, '工商银行武汉分行', '100200000000007', 1, 1, 1027, 0.35, '2024-01-01', '2026-09-20', 0, 101, 30000, 10000),
  (108, 107, '01.006', '西南公司结算户', 1, 7, '招商银行成都分行', '755900000000008', 1, 2, 1028, 0.35, '2024-01-01', '2026-09-20', 0, 101, 10000, 5000);

INSERT INTO t_BK_Acnt (FInterID, FAcntNumber, FAcntName, FBankName, FBankTypeID, FCentAcntID)
SELECT FID, FAcntNo, FName, FBank, FBankTypeID, FID FROM t_Acnt;

INSERT INTO t_Balance (FAcntID, FBalance) VALUES
  (101, 2000000), (102, 180000), (103, 24000), (104, 500000), (105, 10000), (106, 1000000);
-- Later entries of 01.004: they count only where its first entry is gone, and then by date.
INSERT INTO t_Balance (FAcntID, FBalance, FDate) VALUES
  (104, 480000, '2026-12-05'), (104, 520000, '2027-01-15');
INSERT INTO t_Balance (FAcntID, FBalance) VALUES (107, 150000), (108, 60000);

INSERT INTO t_scTransfer (FID, FBillNo, FDate, FPaySettDate, FTrantype, FTlxlvl,
    FCheckStatus, FReCheckStatus, FPreparerID, FCheckerID, FReCheckerID, FCheckDate, FReCheckDate,
    FSource, FPayAcctID, FRecAcctID, FBaseProperty3, FBaseProperty1, FBaseProperty6,
    FPayBank, FPayBankAcnt, FRecBank, FRecBankAcnt, FRecBanktype, FPaytran,
    FCyID, FExchRate, FAmt, FFcyAmt, FPurpose, FVoucherID, FBKCommit,
    FSettleTypeID, FSettleNo, FExplanation,
    FPayProvince, FPayCity, FPayCityType, FRecProvince, FRecCity, FRecCityType) VALUES
  (1, 'HB000001', '2026-12-01', '2026-12-01', 'TC', 0, 1, 1, 2, 3, 4, '2026-12-01', '2026-12-01',
   0, 101, 102, '集团资金池', '华南公司结算户', NULL,
   '招商银行深圳分行', '755900000000001', '招商银行广州分行', '755900000000002', 200, 'ZF20261201',
   1, 1, 50000, 50000, '调拨', 0, 1, 2, 'DH1201', '集团调拨华南公司',
   '广东', '深圳', 0, '广东省', '广州', 0),
  (2, 'HB000002', '2026-12-02', '2026-12-02', 'TC', 0, 1, 0, 2, 3, 0, '2026-12-02', NULL,
   0, 102, 101, '华南公司结算户', '集团资金池', NULL,
   '招商银行广州分行', '755900000000002', '招商银行深圳分行', '755900000000001', 200, 'ZF20261202',
   1, 1, 30000, 30000, '资金归集', 0, 2, 2, 'DH1202', '华南公司资金上划',
   '广东', '广州', 0, '广东', '深圳', 0),
  (3, 'HB000003', '2026-12-03', '2026-12-03', 'TC', 0, 0, 0, 2, 0, 0, NULL, NULL,
   0, 103, 101, '华东公司结算户', '集团资金池', NULL,
   '工商银行上海分行', '100200000000003', '招商银行深圳分行', '755900000000001', 200, NULL,
   1, 1, 12000, 12000, '资金归集', 0, 3, 2, NULL, '华东公司资金上划',
   '上海', '上海市', 0, '广东', '深圳', 0),
  (4, 'HB000004', '2026-12-04', '2026-12-04', 'TC', 0, 1, 1, 2, 3, 4, '2026-12-04', '2026-12-04',
   0, 101, 103, '集团资金池', '华东公司结算户', 'SUBMIT_SUCCESSE',
   '招商银行深圳分行', '755900000000001', '工商银行上海分行', '100200000000003', 100, NULL,
   1, 1, 80000, 80000, '调拨', 0, 4, 2, 'DH1204', '集团调拨华东公司',
   '广东', '深圳', 0, '上海', '上海市', 0),
  (5, 'HB000005', '2026-12-05', '2026-12-05', 'TC', 0, 1, 1, 2, 3, 4, '2026-12-05', '2026-12-05',
   0, 101, 104, '集团资金池', '华北公司结算户', NULL,
   '招商银行深圳分行', '755900000000001', '建设银行北京分行', '300100000000004', 300, NULL,
   1, 1, 6000, 6000, '调拨', 301, 5, 2, 'DH1205', NULL,
   NULL, NULL, 0, NULL, NULL, 0);

INSERT INTO t_Voucher (FVoucherID, FDate, FTransDate, FYear, FPeriod, FWord, FNumber, FReference,
    FExplanation, FTranType, FObjectName, FPreparerID, FCheckerID, FPosted, FParameter) VALUES
  (301, '2026-12-05', '2026-12-05', 2026, 12, '记', 15, 'HB000005', '划拨单,调拨', 1006007,
   'scTAVExt.scTransferBillExt', 2, 0, 0, 5);
INSERT INTO t_VoucherEntry (FVoucherID, FEntryID, FAccountID, FDC, FCurrencyID, FExchangeRate,
    FAmountFor, FAmount, FExplanation, FSettleTypeID, FSettleNo) VALUES
  (301, 1, 1024, 1, 1, 1, 6000, 6000, '划拨单,调拨', NULL, NULL),
  (301, 2, 1021, 0, 1, 1, 6000, 6000, '划拨单,调拨', 2, 'DH1205');

INSERT INTO t_BK_Payment (FInterID, FSource, FSourceID, FSourceNumber, FDate, FRecAcntNumber,
    FRecBranch, FPayBranch, FRecBankNumber, FRecBank, FRecName, FAmt, FCurrency, FPayAcntNumber,
    FPayBank, FPayName, FRecAreaName, FPayAreaName, FPurpose, FExplanation, FUrgent, FPaymentMode,
    FStatus, FCommitPayStatus) VALUES
  (9001, 'SCTransfer', 4, 'HB000004', '2026-12-04', '100200000000003', '工商银行上海分行',
   '招商银行深圳分行', 100, '他行', '华东公司', 80000, '人民币', '755900000000001',
   '招商银行深圳分行', '集团总部', '上海省上海市', '广东省深圳市', '调拨', '集团调拨华东公司', 0, 'TC',
   'SUBMIT_SUCCESSE', 1);

INSERT INTO t_scRecSett (FRecSettID, FBillNo, FRecSettDate, FPayAcctID, FPayBank, FPayBankAcnt,
    FCentAcctID, FCyID, FExchRate, FAmt, FFcyAmt, FExplanation, FPurpose, FSettleTypeID, FSettleNo,
    FTransBillID) VALUES
  (601, 'SK000601', '2026-11-20', 103, '工商银行上海分行', '100200000000003', 101, 1, 1, 8000, 8000,
   '华东公司资金上划', '资金归集', 2, 'DH0001', 0),
  (602, 'SK000602', '2026-12-01', 102, '招商银行广州分行', '755900000000002', 101, 1, 1, 15000, 15000,
   NULL, '资金归集', 2, NULL, NULL),
  (603, 'SK000603', '2026-12-03', 0, '农业银行深圳分行', '622848000000000603', 101, 1, 1, 5000, 5000,
   '外部来款', '货款', 1, NULL, 0),
  (604, 'SK000604', '2026-12-02', 105, '中国银行香港分行', '400100000000005', 101, 2, 7.1, 1000, 7100,
   '香港公司美元上划', '资金归集', 2, 'DH0004', 0),
  (605, 'SK000605', '2026-11-25', 102, '招商银行广州分行', '755900000000002', 101, 1, 1, 2000, 2000,
   '华南公司资金上划', '资金归集', 2, 'DH0005', 3),
  (606, 'SK000606', '2025-10-01', 103, '工商银行上海分行', '100200000000003', 101, 1, 1, 3000, 3000,
   '华东公司资金上划', '资金归集', 2, 'DH0006', 0),
  -- A receipt from outside the centre with nothing but its date, account and amounts filled in;
  -- dated before any range the dialog offers.
  (620, 'SK000620', '2019-06-28', NULL, NULL, NULL, 101, 1, 1, 1200, 1200,
   NULL, NULL, NULL, NULL, NULL);

INSERT INTO t_BankType (FKey, FName, FName_cht, FName_en) VALUES
  ('CMB01', '招商银行付款文件', '招商銀行付款文件', 'CMB payment file'),
  ('ICBC01', '工商银行付款文件', '工商銀行付款文件', 'ICBC payment file'),
  ('CCB01', '建设银行付款文件', '建設銀行付款文件', 'CCB payment file');
INSERT INTO t_ExportConfig (FID, FSubSystemKey, FBankTypeKey) VALUES
  (1, 'ESC', 'CMB01'),
  (2, 'ESC', 'ICBC01'),
  (3, 'AP', 'CMB01');

INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES
  ('GL', 'StartYear', '2026'),
  ('GL', 'StartPeriod', '1'),
  ('SC', 'SCDailyEnd', '0'),
  ('SC', 'SCTransferBillVch', '0'),
  ('SC', 'SCGetVoucherAfterBank', '0'),
  ('SC', 'SCGetBillAutoVch', '1');

-- The demo ledger keeps calendar months, 2025 to 2027.
INSERT INTO t_GLPeriod (FYear, FPeriod, FStartDate, FEndDate)
WITH RECURSIVE m(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM m WHERE n < 35)
SELECT 2025 + n / 12, n % 12 + 1, date('2025-01-01', '+' || n || ' months'),
       date('2025-01-01', '+' || (n + 1) || ' months', '-1 day')
FROM m;

INSERT INTO t_ClassType (FClassTypeID, FName, FBillNoField, FTableName, FObjectType, FObjectID) VALUES
  (1006007, '划拨单', 'FBillNo', 't_scTransfer', 1006, 1006007),
  (1006008, '结算中心账户', 'FNumber', 't_Acnt', 1006, 1006008);
)SQL";

bool Blank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

std::string Where(const std::string& filter) { return Blank(filter) ? "" : " WHERE " + filter; }

}  // namespace

void Database::CreateSchema() { ExecNative(kSchema); }

void Database::LoadDemo() { ExecNative(kDemo); }

std::string ReceiptPickerQuery(const std::string& filter) {
  return "SELECT v.* FROM view_RecSett v INNER JOIN t_Acnt Acnt1 ON Acnt1.FID=v.FCentAcctID" +
         Where(filter) + "\r\n ORDER BY v.FRecSettDate, v.FRecSettID";
}

std::string AccountListQuery(const std::string& filter, const std::string& orderBy) {
  std::string order = Blank(orderBy) ? "t_Acnt.FNumber" : orderBy;
  std::string condition = "t_Acnt.FIsAcnt = 1" + (Blank(filter) ? "" : " AND (" + filter + ")");
  return "SELECT IFNULL(t_Acnt.FSumID, t_Acnt.FID) AS FID, t_Acnt.FID AS FAccountID, t_Acnt.FNumber,"
         " t_Acnt.FName, t_Acnt.FBank, t_Acnt.FAcntNo, t_Acnt.FTransAcctID,"
         " r.FNumber AS FTransAcctNumber, r.FBank AS FTransBank, r.FAcntNo AS FTransAcntNo,"
         " t_Acnt.FTransBound, t_Acnt.FTransMin,"
         " t_Acnt.FCurrencyID, t_Currency.FNumber AS FCurNumber, t_Currency.FName AS FCurName"
         " FROM t_Acnt LEFT JOIN t_Account ON t_Account.FAccountID=t_Acnt.FAcctID"
         " LEFT JOIN t_Acnt r ON r.FID=t_Acnt.FTransAcctID"
         " LEFT JOIN t_Currency ON t_Currency.FCurrencyID=t_Acnt.FCurrencyID" +
         Where(condition) + "\r\n ORDER BY " + order;
}

std::string TransferListQuery(const std::string& filter) {
  return "SELECT t_scTransfer.*, view_BKPaymentTAV.FSubmitState, view_BKPaymentTAV.FCommitPayStatus,"
         " IFNULL(t_scTransfer.FBaseProperty6,'') AS FBaseProperty6_DSPName"
         " FROM t_scTransfer LEFT JOIN view_BKPaymentTAV"
         " ON view_BKPaymentTAV.FNumber=t_scTransfer.FBillNo AND view_BKPaymentTAV.FName='SCTransfer'" +
         Where(filter) + "\r\n ORDER BY t_scTransfer.FID";
}

}  // namespace sim
