// Kivglitem.Iteminfo, the host's base-data item component.
//
//   GetAnyRecordSet(context, SQL text) -> a record set of the rows, or Nothing when the
//       statement gives no row. The statement runs through the host's Transact-SQL layer and
//       goes into the transcript like the SQL sent through LmLib.
#include <string>

#include "automation/error.h"
#include "sim/host/call_check.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"
#include "sim/host/recordset.h"

namespace sim {

namespace {

class ItemInfo : public HostObject {
 public:
  explicit ItemInfo(Host& host) : HostObject(host, "Kivglitem.Iteminfo", "Iteminfo") {
    Method("GetAnyRecordSet", [this](ax::Args& args) -> ax::Variant {
      CallCheck(this->host(), "Iteminfo.GetAnyRecordSet", args)
          .Count(2).Context(0).Kind(1, ax::VarType::String);
      std::string sql = ArgText(args, 1);
      this->host().RecordSql("Iteminfo.GetAnyRecordSet", sql);
      Rows rows = this->host().Db().QuerySent(sql);
      if (rows.data.empty()) return ax::Variant(ax::DispatchPtr());
      return this->host().DataRecordset(std::move(rows), this->ObjectName());
    });
  }
};

}  // namespace

void RegisterItemInfo(Host& host) {
  host.Register("Kivglitem.Iteminfo",
                [](Host& h) -> ax::DispatchPtr { return std::make_shared<ItemInfo>(h); });
}

}  // namespace sim
