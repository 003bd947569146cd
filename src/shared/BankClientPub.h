// Texts of the bank link's processing states.
#pragma once

#include <string>

namespace sc {

// The text of a bank status code (exact, case-sensitive) in the user's language: "" for an
// empty code, "未知的错误信息" for a code the bank link does not define.
std::string BankStatusText(const std::string& code);

}  // namespace sc
