// Business log and permission tests.
#pragma once

#include <cstdint>
#include <string>

#include "automation/object.h"

namespace sc {

// Writes a business-log entry for the transfer bill (object code "DJPT100001"). Never raises:
// a log that cannot be written must not undo the work it records.
void WriteBusinessLog(int32_t kind, const std::string& text);
// Whether the user holds the right on the bill's type (1 check/uncheck, 8 approve/unapprove).
bool CheckObjectRight(const ax::Object& bill, int32_t right);
// The host's function security test (KIVBase.SecurityInfo.AccessCheck with the context string
// and the four arguments, passed by reference). An error is shown through the host's error
// reporter and gives False.
bool CheckSecurityAccess(int32_t& arg1, int32_t& arg2, int32_t& arg3, bool& arg4);

}  // namespace sc
