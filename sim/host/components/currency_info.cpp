// KIVGLCurrency.CurrencyInfo: GetList(context, kind, condition, order) -> the currencies
// (FCurrencyID, FNumber, FName, FScale, FExchangeRate) that satisfy the condition, in the order
// given (both Transact-SQL over t_Currency).
#include <string>

#include "sim/host/call_check.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"
#include "sim/host/recordset.h"

namespace sim {

namespace {

class CurrencyInfo : public HostObject {
 public:
  explicit CurrencyInfo(Host& host)
      : HostObject(host, "KIVGLCurrency.CurrencyInfo", "CurrencyInfo") {
    Method("GetList", [this](ax::Args& args) -> ax::Variant {
      CallCheck(this->host(), "CurrencyInfo.GetList", args)
          .Count(4).Context(0).Number(1, 2).Kind(2, ax::VarType::String).Kind(3, ax::VarType::String);
      std::string condition = ax::Trim(ArgText(args, 2));
      std::string order = ax::Trim(ArgText(args, 3));
      std::string sql = "SELECT FCurrencyID, FNumber, FName, FScale, FExchangeRate FROM t_Currency";
      if (!condition.empty()) sql += " WHERE " + condition;
      sql += " ORDER BY " + (order.empty() ? std::string("FCurrencyID") : order);
      Database::CheckSent(condition + " " + order);
      return this->host().DataRecordset(this->host().Db().Query(sql), this->ObjectName());
    });
  }
};

}  // namespace

void RegisterCurrencyInfo(Host& host) {
  host.Register("KIVGLCurrency.CurrencyInfo",
                [](Host& h) -> ax::DispatchPtr { return std::make_shared<CurrencyInfo>(h); });
}

}  // namespace sim
