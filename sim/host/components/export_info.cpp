// LmMWBExportSetting.CExportInfo, the host's export configuration: which payment-file formats
// (bank types) each subsystem offers, and the formats' names per language.
#include "automation/error.h"
#include "sim/host/collections.h"
#include "sim/host/call_check.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"
#include "sim/host/recordset.h"

namespace sim {

namespace {

class ExportInfo : public HostObject {
 public:
  explicit ExportInfo(Host& host) : HostObject(host, "LmMWBExportSetting.CExportInfo", "CExportInfo") {
    // GetExportConfig(context string) -> a dictionary with the record sets "rsExportConfig"
    // (FSubSystemKey, FBankTypeKey) and "rsBanktype" (FKey, FName, FName_<language>).
    Method("GetExportConfig", [this](ax::Args& args) {
      CallCheck(this->host(), "CExportInfo.GetExportConfig", args).Count(1).Context(0);
      Database& db = this->host().Db();
      auto config = NewDictionary();
      const std::string& name = this->ObjectName();
      config->Set("rsExportConfig",
                  this->host().DataRecordset(
                      db.QueryNative("SELECT FID, FSubSystemKey, FBankTypeKey FROM t_ExportConfig"
                                     " ORDER BY FID"),
                      name));
      config->Set("rsBanktype",
                  this->host().DataRecordset(
                      db.QueryNative("SELECT * FROM t_BankType ORDER BY rowid"), name));
      return ax::Variant(ax::DispatchPtr(config));
    });
  }
};

}  // namespace

void RegisterExportInfo(Host& host) {
  host.Register("LmMWBExportSetting.CExportInfo", [](Host& h) -> ax::DispatchPtr {
    return std::make_shared<ExportInfo>(h);
  });
}

}  // namespace sim
