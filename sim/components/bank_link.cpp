// BKC_Bank.Bank, the host's bank link for payment orders: it validates an order and records it
// as a bank payment (t_BK_Payment, seen through view_BKPaymentTAV) waiting for the bank.
//
// A scenario's queued `bank accept` accepts the next order whatever it holds; `bank refuse
// "<reason>"` refuses it with that reason. With nothing queued the order is validated: a
// positive amount and both bank account numbers are required.
#include <string>

#include "automation/error.h"
#include "sim/collections.h"
#include "sim/host.h"
#include "sim/host_object.h"

namespace sim {

namespace {

std::string Text(const ax::Variant& v) { return ax::DisplayText(v.isNull() ? ax::Variant() : v); }

class BankLink : public HostObject {
 public:
  explicit BankLink(Host& host) : HostObject(host, "BKC_Bank.Bank", "Bank") {
    Property(
        "Version", [this] { return ax::Variant(version_); },
        [this](const ax::Variant& v) { version_ = ax::CStr(v); });
    Member("ImportPayment", [this](unsigned, ax::Args& args) { return ImportPayment(args); });
  }

 private:
  // ImportPayment(order, error text by reference) -> the new payment's id, or 0 on refusal.
  ax::Variant ImportPayment(ax::Args& args) {
    if (args.size() < 2) throw ax::Error(ax::err::kWrongArgs, "Bank.ImportPayment");
    ax::Object order(args[0].value());
    auto item = [&order](const char* key) { return order.Item(key); };
    const std::string number = Text(item("FSourceNumber"));

    std::string reason;
    bool forced = false;
    if (host().QueuedReplies("bank") > 0) {
      Reply reply = host().TakeReply("bank", "the bank link");
      if (reply.verb == "refuse") {
        reason = reply.text;
        return Refuse(args, number, reason);
      }
      forced = true;
    }
    if (!forced) {
      const ax::Variant amount = item("FAmt");
      if (!amount.isNumeric() && !amount.isString()) reason = "付款金额无效";
      else if (!(ax::Val(amount) > 0)) reason = "付款金额必须大于零";
      else if (ax::Trim(Text(item("FPayAcntNumber"))).empty()) reason = "付款账号不能为空";
      else if (ax::Trim(Text(item("FRecAcntNumber"))).empty()) reason = "收款账号不能为空";
      if (!reason.empty()) return Refuse(args, number, reason);
    }

    Database& db = host().Db();
    db.ExecNative(
        "INSERT INTO t_BK_Payment (FSource, FSourceID, FSourceNumber, FDate, FRecAcntNumber,"
        " FRecBranch, FPayBranch, FRecBankNumber, FRecBank, FRecName, FAmt, FCurrency,"
        " FPayAcntNumber, FPayBank, FPayName, FRecAreaName, FPayAreaName, FPurpose, FExplanation,"
        " FUrgent, FPaymentMode, FStatus, FCommitPayStatus)"
        " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,'SUBMIT_SUCCESSE',1)",
        {item("FSource"), item("FSourceID"), item("FSourceNumber"), ax::Variant(host().Today()),
         item("FRecAcntNumber"), item("FRecBranch"), item("FPayBranch"), item("FRecBankNumber"),
         item("FRecBank"), item("FRecName"), item("FAmt"), item("FCurrency"),
         item("FPayAcntNumber"), item("FPayBank"), item("FPayName"), item("FRecAreaName"),
         item("FPayAreaName"), item("FPurpose"), item("FExplanation"), item("FUrgent"),
         item("FPaymentMode")});
    const int64_t id = db.LastInsertId();
    // The bank's processing state shows on the source bill.
    if (ax::EqualsNoCase(Text(item("FSource")), "SCTransfer")) {
      db.ExecNative("UPDATE t_scTransfer SET FBaseProperty6='SUBMIT_SUCCESSE' WHERE FBillNo=?",
                    {item("FSourceNumber")});
    }
    host().Note(Channel::Call, "bank link: payment " + std::to_string(id) + " for " + number +
                                   " accepted (" + Text(item("FAmt")) + " " +
                                   Text(item("FCurrency")) + ")");
    return ax::Variant(static_cast<int32_t>(id));
  }

  ax::Variant Refuse(ax::Args& args, const std::string& number, const std::string& reason) {
    args[1].value() = ax::Variant(reason);
    host().Note(Channel::Call, "bank link: payment order " + number + " refused: " + reason);
    return ax::Variant(0);
  }

  std::string version_;
};

}  // namespace

void RegisterBankLink(Host& host) {
  host.Register("BKC_Bank.Bank", [](Host& h) -> ax::DispatchPtr {
    return std::make_shared<BankLink>(h);
  });
}

}  // namespace sim
