#include "automation/error.h"

#include <new>

namespace ax {

std::string StandardDescription(int32_t number) {
  switch (number) {
    case 3: return "Return without GoSub";
    case 5: return "Invalid procedure call or argument";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 9: return "Subscript out of range";
    case 10: return "This array is fixed or temporarily locked";
    case 11: return "Division by zero";
    case 13: return "Type mismatch";
    case 14: return "Out of string space";
    case 51: return "Internal error";
    case 52: return "Bad file name or number";
    case 53: return "File not found";
    case 75: return "Path/File access error";
    case 91: return "Object variable or With block variable not set";
    case 92: return "For loop not initialized";
    case 94: return "Invalid use of Null";
    case 424: return "Object required";
    case 429: return "ActiveX component can't create object";
    case 430: return "Class does not support Automation or does not support expected interface";
    case 438: return "Object doesn't support this property or method";
    case 440: return "Automation error";
    case 446: return "Object doesn't support named arguments";
    case 448: return "Named argument not found";
    case 449: return "Argument not optional";
    case 450: return "Wrong number of arguments or invalid property assignment";
    case 3021:
      return "Either BOF or EOF is True, or the current record has been deleted. Requested "
             "operation requires a current record.";
    default: return "Application-defined or object-defined error";
  }
}

AutomationError Error(int32_t number, std::string source) {
  return AutomationError(number, StandardDescription(number), std::move(source));
}

namespace {
ForeignExceptionObserver g_foreignObserver = nullptr;
}  // namespace

void SetForeignExceptionObserver(ForeignExceptionObserver observer) { g_foreignObserver = observer; }

AutomationError ToAutomationError(std::exception_ptr e) {
  if (!e) return Error(err::kInternal);
  try {
    std::rethrow_exception(e);
  } catch (const AutomationError& a) {
    return a;
  } catch (const std::bad_alloc&) {
    if (g_foreignObserver) g_foreignObserver("std::bad_alloc");
    return Error(err::kOutOfMemory);
  } catch (const std::exception& x) {
    if (g_foreignObserver) g_foreignObserver(x.what());
    std::string what = x.what();
    return AutomationError(err::kInternal,
                           what.empty() ? StandardDescription(err::kInternal)
                                        : StandardDescription(err::kInternal) + ": " + what);
  } catch (...) {
    if (g_foreignObserver) g_foreignObserver("(an exception of unknown type)");
    return Error(err::kInternal);
  }
}

bool TryCall(const std::function<void()>& fn, AutomationError* out) {
  try {
    if (fn) fn();
    return true;
  } catch (...) {
    // Building the error may itself fail when memory is short; the caller still gets false.
    try {
      AutomationError e = ToAutomationError(std::current_exception());
      if (out) *out = std::move(e);
    } catch (...) {
    }
    return false;
  }
}

}  // namespace ax
