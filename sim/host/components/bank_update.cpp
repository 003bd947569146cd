// BKS_Bank.Update, the host's bank link for changes to submitted payments: CancelPayment
// withdraws a payment the bank has not executed yet by removing it, so the bill may be submitted
// again. A payment the bank executed (TRANSACTION_SUCCESS) or one already withdrawn stays.
//
// A scenario's queued `cancelpayment true|false|error "<description>"` forces the outcome of
// the next call: true cancels (the payment is removed when it exists), false refuses without
// an error, error raises an automation error with the description.
#include <string>

#include "automation/error.h"
#include "sim/host/call_check.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"

namespace sim {

namespace {

class BankUpdate : public HostObject {
 public:
  explicit BankUpdate(Host& host) : HostObject(host, "BKS_Bank.Update", "Update") {
    Method("CancelPayment", [this](ax::Args& args) { return CancelPayment(args); });
  }

 private:
  // CancelPayment(context string, payment id) -> True when the payment was cancelled.
  ax::Variant CancelPayment(ax::Args& args) {
    CallCheck(host(), "Update.CancelPayment", args).Count(2).Context(0).Kind(1, ax::VarType::Long);
    const int32_t id = ax::CLng(args[1].value());
    const std::string what = "payment " + std::to_string(id);

    if (std::optional<Reply> answer = host().TakeReplyIfReady("cancelpayment")) {
      const Reply& reply = *answer;
      if (reply.verb == "false") {
        host().Note(Channel::Call, "bank link: cancelling " + what + " refused");
        return ax::Variant(false);
      }
      if (reply.verb == "error") Raise(what, reply.text);
      Remove(id);
      host().Note(Channel::Call, "bank link: " + what + " cancelled");
      return ax::Variant(true);
    }

    Rows rows = host().Db().QueryNative("SELECT FStatus FROM t_BK_Payment WHERE FInterID=?", {id});
    if (rows.data.empty()) Raise(what, "付款单未提交");
    const std::string status = ax::DisplayText(rows.data[0][0]);
    if (status == "TRANSACTION_SUCCESS") Raise(what, "付款单已交易成功，不能撤销");
    if (status == "BK201") Raise(what, "付款单已撤销，不能再次撤销");
    Remove(id);
    host().Note(Channel::Call, "bank link: " + what + " cancelled");
    return ax::Variant(true);
  }

  // The payment goes; its bill shows the withdrawal.
  void Remove(int32_t id) {
    Database& db = host().Db();
    db.ExecNative(
        "UPDATE t_scTransfer SET FBaseProperty6='BK201' WHERE FBillNo IN (SELECT FSourceNumber"
        " FROM t_BK_Payment WHERE FInterID=? AND FSource='SCTransfer')",
        {id});
    db.ExecNative("DELETE FROM t_BK_Payment WHERE FInterID=?", {id});
  }

  [[noreturn]] void Raise(const std::string& what, const std::string& description) {
    host().Note(Channel::Call, "bank link: cancelling " + what + " failed: " + description);
    throw ax::AutomationError(kComponentError, description, "BKS_Bank.Update");
  }
};

}  // namespace

void RegisterBankUpdate(Host& host) {
  host.Register("BKS_Bank.Update", [](Host& h) -> ax::DispatchPtr {
    return std::make_shared<BankUpdate>(h);
  });
}

}  // namespace sim
