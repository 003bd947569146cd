#include "shared/MMTS.h"

#include "automation/runtime.h"
#include "host/bill_interface.h"
#include "host/components.h"
#include "host/progids.h"
#include "shared/Publics.h"
#include "shared/SysObjects.h"

namespace sc {

void WriteBusinessLog(int32_t kind, const std::string& text) {
  TrapQuiet([&] { host::WriteLog(GetGLData(), "DJPT100001", kind, text); });
}

bool CheckObjectRight(const ax::Object& bill, int32_t right) {
  ax::Variant objectType = host::ClassType(bill, "FObjectType");
  ax::Variant objectId = host::ClassType(bill, "FObjectID");
  return host::AccessCheck(GetGLData(), objectType, objectId, right);
}

bool CheckSecurityAccess(int32_t& arg1, int32_t& arg2, int32_t& arg3, bool& arg4) {
  bool allowed = false;
  TrapReport([&] {
    ax::Object security = ax::CreateObject(host::ProgId::SecurityInfo);
    ax::Variant v1(arg1), v2(arg2), v3(arg3), v4(arg4);
    ax::Args args{GetPropsString(), ax::ref(v1), ax::ref(v2), ax::ref(v3), ax::ref(v4)};
    allowed = ax::IsTrue(security.CallArgs("AccessCheck", args, ax::kMethodOrGet));
    // The component may hand back adjusted arguments.
    arg1 = ax::CLng(v1);
    arg2 = ax::CLng(v2);
    arg3 = ax::CLng(v3);
    arg4 = ax::IsTrue(v4);
  });
  return allowed;
}

}  // namespace sc
