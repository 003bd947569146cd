// Voucher.clsVoucher, the host's voucher component: the voucher window and the storage of
// accounting vouchers (t_Voucher and its lines in t_VoucherEntry).
//
//   BillInfo            the bill information (a dictionary; get, put or put by reference);
//                       BillInfo(key) reads one item. After a completed "Add" or "Edit" its
//                       "FVoucherID" holds the stored voucher's id.
//   vchEdit(subject, mode)
//       "Add"   subject: the voucher header (by reference) with "Entries", a vector of line
//               dictionaries. The user completes or cancels the window (`voucher complete|
//               cancel`); completing stores a new voucher of word 记 with the next number of its
//               period, preparer the current user.
//       "Edit"  the same for the existing voucher BillInfo("VoucherID"): completing replaces
//               its head and lines and keeps its word and number.
//       "Check" subject: the voucher id. Completing checks the voucher (checker = current user).
//       "View"  subject: the voucher id. Shows the voucher; needs no answer.
//       For "Add" and "Edit" the header must come by reference and BillInfo must hold the keys
//       the component files the voucher by (KeyAcctID/KeyAcctDC 0 and KeyAcctID2/KeyAcctDC2 1,
//       FCyID, VoucherID, objectID, ObjectName "FENRMTAVExt.cTransferUpdate", FAmt, FFcyAmt,
//       FPaytran, FDate, ObjectMethod "Create" (only with "Add") or "Update"), recorded as call
//       billinfo (the two key accounts also in VoucherKeyAccounts); a completed window hands
//       back a new header object (with FVoucherID). The window files the lines it is given:
//       whether they balance and name existing accounts is checked by whoever reads them.
//   VchDone             True when the last window was completed (always True after "View").
//
// The bill information of each "Add" or "Edit" window and the lines of each voucher stored are
// kept as the caller handed them over (VoucherWindows in voucher.h).
//
// Every window shown is a recorded call: voucher <mode> <voucher> <complete|cancel|shown>, where
// <voucher> is the word and number ("记-16"), "new" for an "Add" that was cancelled.
#include <cmath>
#include <string>
#include <vector>

#include "automation/error.h"
#include "sim/host/call_check.h"
#include "sim/host/collections.h"
#include "sim/host/components/voucher.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"

namespace sim {

namespace {

constexpr const char* kWord = "记";

// An item of a dictionary the caller handed over, Empty when it has none: the window reads
// what it finds (the caller's dictionary answers Item only for the keys it holds).
ax::Variant Read(const ax::Object& dictionary, const char* key) {
  return dictionary.Get("GetValue", {std::string(key), ax::Variant()});
}

std::string DateText(const ax::Variant& v) {
  if (v.isEmpty() || v.isNull()) return {};
  return ax::FormatDate(ax::CDate(v), "yyyy-mm-dd");
}

ax::Variant OrNull(const ax::Variant& v) { return v.isEmpty() ? ax::Variant::null() : v; }

int32_t LongOf(const ax::Variant& v) { return v.isEmpty() || v.isNull() ? 0 : ax::CLng(v); }

class VoucherComponent : public HostObject {
 public:
  explicit VoucherComponent(Host& host) : HostObject(host, "Voucher.clsVoucher", "clsVoucher") {
    Member("BillInfo", [this](unsigned kind, ax::Args& args) -> ax::Variant {
      if (kind & (ax::kPut | ax::kPutRef)) {
        billInfo_ = ax::Object::FromVariantOrNothing(ax::PutValue(args));
        return {};
      }
      if (ArgGiven(args, 0)) return billInfo_ ? billInfo_.Item(ax::ArgAt(args, 0)) : ax::Variant();
      return billInfo_.AsVariant();
    });
    Method("vchEdit", [this](ax::Args& args) { return VchEdit(args); });
    Property("VchDone", [this]() -> ax::Variant { return done_; });
  }

 private:
  struct Line {
    int32_t account = 0;
    int32_t dc = 0;
    ax::Variant currency, rate, amountFor, amount, explanation, settleType, settleNo;
    VoucherItems items;  // what the caller's line held, for whoever reads the stored lines
  };

  [[noreturn]] void Raise(const std::string& description) {
    host().Note(Channel::Dialog, "voucher window: " + description);
    throw ax::AutomationError(kComponentError, description, "Voucher.clsVoucher");
  }

  std::string NameOf(int32_t id) {
    Rows r = host().Db().QueryNative("SELECT FWord, FNumber FROM t_Voucher WHERE FVoucherID=?", {id});
    if (r.data.empty()) Raise("凭证不存在或已被删除");
    return ax::DisplayText(r.data[0][0]) + "-" + ax::DisplayText(r.data[0][1]);
  }

  // The voucher as the window shows it: head and one line per entry.
  std::string Listing(int32_t id) {
    Database& db = host().Db();
    std::string name = NameOf(id);
    Rows head = db.QueryNative(
        "SELECT FDate, FReference, IFNULL(u.FName,'') FROM t_Voucher v LEFT JOIN t_User u "
        "ON u.FUserID=v.FCheckerID WHERE FVoucherID=?",
        {id});
    std::string out = name + " " + ax::DisplayText(head.data[0][0]) + " " +
                      ax::DisplayText(head.data[0][1]);
    std::string checker = ax::DisplayText(head.data[0][2]);
    if (!checker.empty()) out += " (审核: " + checker + ")";
    Rows lines = db.QueryNative(
        "SELECT e.FDC, a.FNumber, e.FExplanation, e.FAmountFor, e.FAmount, e.FSettleTypeID, "
        "e.FSettleNo FROM t_VoucherEntry e LEFT JOIN t_Account a ON a.FAccountID=e.FAccountID "
        "WHERE e.FVoucherID=? ORDER BY e.FEntryID",
        {id});
    for (const auto& l : lines.data) {
      out += "\n  " + std::string(ax::CLng(l[0]) == 1 ? "借 " : "贷 ") + ax::DisplayText(l[1]) +
             " " + ax::DisplayText(l[2]) + " " + ax::DisplayText(l[3]) + " / " +
             ax::DisplayText(l[4]);
      if (!l[5].isNull() && ax::Val(l[5]) > 0) out += " 结算方式 " + ax::DisplayText(l[5]);
      if (!l[6].isNull()) out += " 结算号 " + ax::DisplayText(l[6]);
    }
    return out;
  }

  std::vector<Line> ReadLines(const ax::Object& header) {
    ax::Object entries = ax::Object::FromVariantOrNothing(Read(header, "Entries"));
    if (entries.IsNothing()) Raise("凭证没有分录");
    std::vector<Line> lines;
    int32_t count = ax::CLng(entries.Get("Count"));
    double debit = 0, credit = 0;
    for (int32_t i = 1; i <= count; ++i) {
      ax::Object e(entries.Item(i));
      Line l;
      l.account = LongOf(Read(e, "FAccountID"));
      // The kinds the callers fix for a line.
      const std::pair<const char*, ax::VarType> kLineKinds[] = {
          {"FDC", ax::VarType::Integer},      {"FCurrencyID", ax::VarType::Long},
          {"FAmountFor", ax::VarType::Double}, {"FAmount", ax::VarType::Double}};
      for (const auto& [key, kind] : kLineKinds)
        ValueCheck(host(), "clsVoucher.vchEdit: line " + std::to_string(i) + " " + key, Read(e, key)).Kind(0, kind);
      l.dc = LongOf(Read(e, "FDC"));
      l.currency = Read(e, "FCurrencyID");
      l.rate = Read(e, "FExchangeRate");
      l.amountFor = Read(e, "FAmountFor");
      l.amount = Read(e, "FAmount");
      l.explanation = Read(e, "FExplanation");
      l.settleType = Read(e, "FSettleTypeID");
      l.settleNo = Read(e, "FSettleNo");
      for (const char* key : {"FAccountID", "FDC", "FCurrencyID", "FExchangeRate", "FAmountFor", "FAmount",
                              "FExplanation", "FSettleTypeID", "FSettleNo"})
        l.items.emplace_back(key, Read(e, key));
      (l.dc == 1 ? debit : credit) += l.amount.isEmpty() || l.amount.isNull() ? 0 : ax::Val(l.amount);
      lines.push_back(std::move(l));
    }
    if (lines.empty()) Raise("凭证没有分录");
    // Whether the lines balance and name existing accounts is the caller's work; the window
    // files what it is given.
    (void)debit;
    (void)credit;
    return lines;
  }

  void Store(int32_t id, const ax::Object& header, const std::vector<Line>& lines) {
    Database& db = host().Db();
    std::string date = DateText(Read(header, "FDate"));
    ax::DateValue d = ax::CDate(date);
    int y, m, day, h, mi, s;
    ax::SplitDate(d, y, m, day, h, mi, s);
    ax::Variant explanation = lines.front().explanation;
    db.ExecNative(
        "UPDATE t_Voucher SET FDate=?, FTransDate=?, FYear=?, FPeriod=?, FReference=?, "
        "FExplanation=?, FTranType=?, FObjectName=? WHERE FVoucherID=?",
        {date, DateText(Read(header, "FTransDate")), y, m, OrNull(Read(header, "FReference")),
         OrNull(explanation), OrNull(Read(header, "FTranType")), OrNull(Read(header, "FObjectName")),
         id});
    db.ExecNative("DELETE FROM t_VoucherEntry WHERE FVoucherID=?", {id});
    std::vector<VoucherItems> stored;
    for (const Line& l : lines) stored.push_back(l.items);
    host().Extension<VoucherWindows>()->storedLines.push_back(std::move(stored));
    int32_t entry = 0;
    for (const Line& l : lines)
      db.ExecNative(
          "INSERT INTO t_VoucherEntry (FVoucherID, FEntryID, FAccountID, FDC, FCurrencyID, "
          "FExchangeRate, FAmountFor, FAmount, FExplanation, FSettleTypeID, FSettleNo) "
          "VALUES (?,?,?,?,?,?,?,?,?,?,?)",
          {id, ++entry, l.account, l.dc, OrNull(l.currency), OrNull(l.rate), OrNull(l.amountFor),
           OrNull(l.amount), OrNull(l.explanation), OrNull(l.settleType), OrNull(l.settleNo)});
  }

  // A new voucher of word 记 with the next number of its period.
  int32_t Insert(const ax::Object& header) {
    Database& db = host().Db();
    ax::DateValue d = ax::CDate(DateText(Read(header, "FDate")));
    int y, m, day, h, mi, s;
    ax::SplitDate(d, y, m, day, h, mi, s);
    Rows next = db.QueryNative(
        "SELECT IFNULL(MAX(FNumber),0)+1 FROM t_Voucher WHERE FWord=? AND FYear=? AND FPeriod=?",
        {kWord, y, m});
    db.ExecNative(
        "INSERT INTO t_Voucher (FWord, FNumber, FYear, FPeriod, FPreparerID, FCheckerID, FPosted, "
        "FParameter) VALUES (?,?,?,?,?,0,0,0)",
        {kWord, next.data[0][0], y, m, host().CurrentUser()});
    return static_cast<int32_t>(db.LastInsertId());
  }

  // The bill information the window of an "Add" or "Edit" works from: every key the component
  // uses, with the constants its callers fix. A missing key or a wrong constant fails the call,
  // as the component cannot file the voucher for its bill then. Recorded as call "billinfo"
  // (key=value in the order below).
  void CheckBillInfo(const std::string& mode) {
    static const char* const kKeys[] = {"KeyAcctID2", "KeyAcctDC2", "KeyAcctID", "KeyAcctDC", "FCyID",
                                        "VoucherID", "objectID", "ObjectName", "FAmt", "FFcyAmt",
                                        "FPaytran", "FDate", "ObjectMethod"};
    if (billInfo_.IsNothing()) Raise("没有单据资料 (BillInfo)");
    std::vector<std::string> values;
    VoucherItems items;
    for (const char* key : kKeys) {
      if (!ax::IsTrue(billInfo_.Call("Exists", {key}))) Raise(std::string("单据资料缺少 ") + key);
      items.emplace_back(key, billInfo_.Item(key));
      values.push_back(std::string(key) + "=" + ax::DisplayText(items.back().second));
    }
    host().Extension<VoucherWindows>()->billInfos.push_back(items);
    // The kinds the callers fix: ids and amounts as the window files them.
    struct ItemKind {
      const char* key;
      ax::VarType kind, orKind;
    };
    static constexpr ItemKind kKinds[] = {
        {"FCyID", ax::VarType::Long, ax::VarType::Long},
        {"VoucherID", ax::VarType::Long, ax::VarType::Integer},
        {"objectID", ax::VarType::Double, ax::VarType::Double},
        {"ObjectName", ax::VarType::String, ax::VarType::String},
        {"FAmt", ax::VarType::Double, ax::VarType::Double},
        {"FFcyAmt", ax::VarType::Double, ax::VarType::Double},
        {"ObjectMethod", ax::VarType::String, ax::VarType::String}};
    for (const ItemKind& k : kKinds)
      ValueCheck(host(), std::string("clsVoucher.BillInfo(\"") + k.key + "\")", billInfo_.Item(k.key))
          .Kinds(0, {k.kind, k.orKind});
    auto number = [&](const char* key) { return ax::Val(billInfo_.Item(key)); };
    if (number("KeyAcctDC2") != 1 || number("KeyAcctDC") != 0) Raise("单据资料的借贷方向不对");
    host().Extension<VoucherKeyAccounts>()->accounts.push_back({number("KeyAcctID"), number("KeyAcctID2")});
    if (ax::DisplayText(Read(billInfo_, "ObjectName")) != "FENRMTAVExt.cTransferUpdate")
      Raise("单据资料的 ObjectName 不对: " + ax::DisplayText(Read(billInfo_, "ObjectName")));
    std::string method = ax::DisplayText(Read(billInfo_, "ObjectMethod"));
    if (method != "Create" && method != "Update") Raise("单据资料的 ObjectMethod 不对: " + method);
    if (method == "Create" && mode != "Add") Raise("新单据的凭证只能新增");
    if (mode == "Edit" && number("VoucherID") <= 0) Raise("修改凭证需要凭证号 (VoucherID)");
    host().RecordCall("billinfo", values);
  }

  // The header handed back in place of the caller's: the same items and entries, as a new
  // object, so that a caller keeping the old one would be seen using what the window replaced.
  ax::Variant ReplacementHeader(const ax::Object& header, int32_t id) {
    auto copy = std::make_shared<Dictionary>();
    ax::Object keys = ax::Object::FromVariantOrNothing(header.Get("Keys"));
    int32_t count = keys.IsNothing() ? 0 : ax::CLng(keys.Get("Count"));
    for (int32_t i = 1; i <= count; ++i) {
      std::string key = ax::DisplayText(keys.Item(i));
      copy->Set(key, header.Item(key));
    }
    copy->Set("FVoucherID", id);
    return ax::Variant(ax::DispatchPtr(copy));
  }

  bool Answer(const std::string& mode, const std::string& voucher) {
    Reply reply = host().TakeReply("voucher", "the voucher window (" + mode + " " + voucher + ")");
    return reply.verb == "complete";
  }

  ax::Variant VchEdit(ax::Args& args) {
    CallCheck check(host(), "clsVoucher.vchEdit", args);
    check.Count(2).Kind(1, ax::VarType::String);
    std::string mode = ArgText(args, 1);
    done_ = false;

    if (mode == "View" || mode == "Check") {
      check.Kind(0, ax::VarType::Double);  // the voucher id
      int32_t id = ax::CLng(args[0].value());
      std::string name = NameOf(id);
      if (mode == "View") {
        host().Note(Channel::Dialog, "voucher window (View): " + Listing(id));
        host().RecordCall("voucher", {mode, name, "shown"});
        done_ = true;
        return {};
      }
      host().Note(Channel::Dialog, "voucher window (Check): " + Listing(id));
      done_ = Answer(mode, name);
      if (done_)
        host().Db().ExecNative("UPDATE t_Voucher SET FCheckerID=? WHERE FVoucherID=?",
                               {host().CurrentUser(), id});
      host().RecordCall("voucher", {mode, name, done_ ? "complete" : "cancel"});
      return {};
    }

    if (mode != "Add" && mode != "Edit") Raise("未知的凭证窗口模式 " + mode);
    // The header goes by reference: the window may hand back another one.
    if (!args[0].isByRef()) throw ax::Error(ax::err::kTypeMismatch, "clsVoucher.vchEdit: the header is passed by reference");
    ax::Object header = ax::Object::FromVariantOrNothing(args[0].value());
    if (header.IsNothing()) Raise("没有凭证资料");
    CheckBillInfo(mode);
    for (const auto& [key, kind] : {std::pair{"FTranType", ax::VarType::Long}, std::pair{"FObjectName", ax::VarType::String}})
      ValueCheck(host(), std::string("clsVoucher.vchEdit: header ") + key, Read(header, key)).Kind(0, kind);
    std::vector<Line> lines = ReadLines(header);

    int32_t existing = 0;
    std::string name = "new";
    if (mode == "Edit") {
      existing = billInfo_ ? LongOf(Read(billInfo_, "VoucherID")) : 0;
      name = NameOf(existing);
    }
    std::string method = billInfo_ ? ax::DisplayText(Read(billInfo_, "ObjectMethod")) : "";
    host().Note(Channel::Dialog, "voucher window (" + mode + ", " + method + ") for " +
                                     ax::DisplayText(Read(header, "FReference")));
    if (!Answer(mode, name)) {
      host().RecordCall("voucher", {mode, name, "cancel"});
      return {};
    }
    int32_t id = existing > 0 ? existing : Insert(header);
    Store(id, header, lines);
    if (billInfo_) billInfo_.Put("Item", id, {"FVoucherID"});
    args[0].value() = ReplacementHeader(header, id);
    done_ = true;
    host().Note(Channel::Dialog, "voucher stored: " + Listing(id));
    host().RecordCall("voucher", {mode, NameOf(id), "complete"});
    return {};
  }

  ax::Object billInfo_;
  bool done_ = false;
};

}  // namespace

void RegisterVoucher(Host& host) {
  host.Register("Voucher.clsVoucher",
                [](Host& h) -> ax::DispatchPtr { return std::make_shared<VoucherComponent>(h); });
}

}  // namespace sim
