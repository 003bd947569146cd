// BKC_Bank.Bank, the host's bank link for payment orders: it validates an order and records it
// as a bank payment (t_BK_Payment, seen through view_BKPaymentTAV) waiting for the bank.
//
// The bank's answer comes from the attendant when it has one queued ("bank": accept the next
// order whatever it holds, or refuse it with a reason). With none the order is validated: a
// positive amount and both bank account numbers are required.
//
// ImportPayment(order by reference, error text by reference as String) is checked as the call
// site fixes it. Every order the link receives is kept with the Version set at the time, items
// in order with their values and automation kinds (BankOrders); whether an order is one the
// bank can map (Version "1.0.0", every item under its exact key) is checked by whoever reads
// them, not raised into the caller.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "automation/error.h"
#include "sim/host/call_check.h"
#include "sim/host/collections.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"
#include "sim/host/components/bank_link.h"

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
    CallCheck check(host(), "Bank.ImportPayment", args);
    check.Count(2).ByRef(0).Kind(0, ax::VarType::Object).ByRef(1).Kind(1, ax::VarType::String);
    auto order = std::dynamic_pointer_cast<Dictionary>(args[0].value().asObject());
    if (!order) check.Wrong(ax::err::kTypeMismatch, "argument 1 must be a dictionary");
    // How the link validates an order is its own: it keeps what it was given (the version and
    // the items as keyed) and reads the items as the host's dictionary does, without regard to
    // case; an item it lacks is Empty.
    host().Extension<BankOrders>()->orders.push_back({version_, order->Entries()});
    auto item = [&order](const char* key) {
      for (const auto& entry : order->Entries())
        if (ax::EqualsNoCase(entry.first, key)) return entry.second;
      return ax::Variant();
    };
    const std::string number = Text(item("FSourceNumber"));

    std::string reason;
    bool forced = false;
    if (std::optional<Reply> answer = host().TakeReplyIfReady("bank")) {
      const Reply& reply = *answer;
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
