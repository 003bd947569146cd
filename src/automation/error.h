// Automation errors: the one exception type that late-bound calls raise. At the COM boundary it
// becomes an HRESULT with an error object (EXCEPINFO); in the simulated host it is what the
// host reports.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

namespace ax {

class AutomationError : public std::exception {
 public:
  AutomationError(int32_t number, std::string description, std::string source = {})
      : number_(number), description_(std::move(description)), source_(std::move(source)) {}
  int32_t Number() const { return number_; }
  const std::string& Description() const { return description_; }
  const std::string& Source() const { return source_; }
  void SetSource(std::string s) { source_ = std::move(s); }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int32_t number_;
  std::string description_;
  std::string source_;
};

// The run-time, automation and data-access errors the plug-in and the hosts raise or test for.
namespace err {
constexpr int32_t kAppDefined = 1;          // application-defined error raised with Err.Raise 1
constexpr int32_t kInvalidCall = 5;         // "Invalid procedure call or argument"
constexpr int32_t kOverflow = 6;            // "Overflow"
constexpr int32_t kOutOfMemory = 7;         // "Out of memory"
constexpr int32_t kSubscript = 9;           // "Subscript out of range"
constexpr int32_t kTypeMismatch = 13;       // "Type mismatch"
constexpr int32_t kInternal = 51;           // "Internal error"
constexpr int32_t kObjectNotSet = 91;       // "Object variable or With block variable not set"
constexpr int32_t kInvalidNull = 94;        // "Invalid use of Null"
constexpr int32_t kInvalidPropertyValue = 380;  // "Invalid property value" (a control's property)
constexpr int32_t kCantCreate = 429;        // "ActiveX component can't create object"
constexpr int32_t kNoMember = 438;          // "Object doesn't support this property or method"
constexpr int32_t kAutomation = 440;        // "Automation error"
constexpr int32_t kNoNamedArgs = 446;       // "Object doesn't support named arguments"
constexpr int32_t kWrongArgs = 450;         // "Wrong number of arguments or invalid property assignment"
constexpr int32_t kNoEvents = 459;          // "Object or class does not support the set of events"
constexpr int32_t kNoCurrentRecord = 3021;  // ADO: "Either BOF or EOF is True, ..."
constexpr int32_t kItemNotFound = 3265;     // ADO: no item of that name or ordinal in the collection
constexpr int32_t kIndexOutOfBounds = 35600;  // "Index out of bounds" (a control's list of items)
}  // namespace err

// The standard description of a run-time error number ("Type mismatch" for 13, ...).
std::string StandardDescription(int32_t number);
// An AutomationError with the standard description of its number.
AutomationError Error(int32_t number, std::string source = {});

// The one place that turns whatever a plug-in entry point threw into an AutomationError:
// AutomationError passes unchanged, std::bad_alloc becomes 7 "Out of memory", anything
// else 51 "Internal error" with its message. Entry points call fn through this.
AutomationError ToAutomationError(std::exception_ptr e);

// Called by ToAutomationError with the message of every exception other than AutomationError
// it converts: the entry point contained it, but it is still a fault of the code that threw.
// The fault-injection sweep and the fuzzers count them; nullptr (the default) turns it off.
using ForeignExceptionObserver = void (*)(const char* what);
void SetForeignExceptionObserver(ForeignExceptionObserver observer);

// Runs fn; returns true on success. On failure stores the error in *out (when given) and
// returns false. Never throws.
bool TryCall(const std::function<void()>& fn, AutomationError* out = nullptr);

}  // namespace ax
