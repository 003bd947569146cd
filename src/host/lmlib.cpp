#include "host/lmlib.h"

#include "automation/variant.h"
#include "host/transfer_bill.h"

namespace sc::host {

ax::Object DataLib::GetData(const std::string& sql) const { return lib_.GetObj("GetData", {sql}); }

void DataLib::ExecuteSQL(const std::string& sql) const { lib_.Call("ExecuteSQL", {sql}); }

ax::Object DataLib::User() const { return lib_.GetObj("User"); }

int32_t DataLib::UserID() const { return ax::CLng(User().Get("UserID")); }

std::string DataLib::UserName() const {
  return TextOf(User().Get("UserName"));
}

DataLib LmLib(const ax::Object& billOrList) { return DataLib(billOrList.GetObj("LmLib")); }

}  // namespace sc::host
