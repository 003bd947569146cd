// Lmconnection.Appconnection: the host's connection to its database. Execute(sql) runs the
// Transact-SQL text and returns the rows of its last statement as a record set.
#include <string>

#include "sim/host/call_check.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"
#include "sim/host/recordset.h"

namespace sim {

namespace {

class AppConnection : public HostObject {
 public:
  explicit AppConnection(Host& host)
      : HostObject(host, "Lmconnection.Appconnection", "Appconnection") {
    Method("Execute", [this](ax::Args& args) -> ax::Variant {
      CallCheck(this->host(), "Appconnection.Execute", args).Count(1).Kind(0, ax::VarType::String);
      std::string sql = ArgText(args, 0);
      this->host().RecordSql("Appconnection", sql);
      return this->host().DataRecordset(this->host().Db().QuerySent(sql), this->ObjectName());
    });
  }
};

}  // namespace

void RegisterAppConnection(Host& host) {
  host.Register("Lmconnection.Appconnection",
                [](Host& h) -> ax::DispatchPtr { return std::make_shared<AppConnection>(h); });
}

}  // namespace sim
