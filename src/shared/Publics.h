// The procedure trace, the message box and the error traps every handler uses.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "automation/error.h"

namespace sc {

// ---- Trace ---------------------------------------------------------------------------------
// Creates the log component (PWLogMsg.Log); a failure leaves tracing off.
void InitTraceLog();
// Opens a trace entry for the name ("scTAVExt.<class>.<procedure>"); 0 when tracing is off.
// Never raises.
int32_t TraceStart(std::string_view name);
// Closes the entry: failed 0 on a normal exit, 1 on an error exit. Never raises.
void TraceEnd(int32_t handle, int32_t failed);

// A traced procedure: TraceStart on entry, TraceEnd on every exit, with flag 1 when the
// procedure ended through its error path (MarkFailed, or an error leaving the scope) and 0
// otherwise.
class TraceScope {
 public:
  explicit TraceScope(std::string_view name)
      : handle_(TraceStart(name)), uncaught_(std::uncaught_exceptions()) {}
  ~TraceScope() {
    bool leavingByError = std::uncaught_exceptions() > uncaught_;
    TraceEnd(handle_, failed_ || leavingByError ? 1 : 0);
  }
  TraceScope(const TraceScope&) = delete;
  TraceScope& operator=(const TraceScope&) = delete;

  void MarkFailed() { failed_ = true; }
  int32_t Handle() const { return handle_; }

 private:
  int32_t handle_;
  int uncaught_;
  bool failed_ = false;
};

// ---- Messages ------------------------------------------------------------------------------
// A modal message box with the standard flags and the title "Norvia提示" (in the user's
// language); returns the button pressed. The text is shown as given.
int ShowMessage(const std::string& text, int flags);
// "对不起，你没有相应的权限！" with flags 48.
void ShowNoRightMessage();

// ---- Error traps ---------------------------------------------------------------------------
// Each runs body and returns true when it completed. On an error the trace (when given) is
// marked failed and:
//   TrapQuiet   - the procedure ends quietly;
//   TrapMessage - onError(error) shows the procedure's message, then it ends (with no onError:
//                 the error's description through LoadPWString, flags 64);
//   TrapReport  - the error goes to the host's error reporter, then it ends;
//   BackToHost  - the error travels on to the caller as an automation error.
// Whatever onError or the reporter raise is dropped: a trapped procedure always returns.

namespace detail {
void ShowErrorDescription(const ax::AutomationError& error);
void ReportToHost(const ax::AutomationError& error);
inline ax::AutomationError CurrentError() {
  return ax::ToAutomationError(std::current_exception());
}
template <class OnError>
void Handle(TraceScope* trace, OnError&& onError) noexcept {
  if (trace) trace->MarkFailed();
  try {
    onError(CurrentError());
  } catch (...) {
  }
}
}  // namespace detail

template <class Body>
bool TrapQuiet(TraceScope& trace, Body&& body) {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (...) {
    detail::Handle(&trace, [](const ax::AutomationError&) {});
    return false;
  }
}

template <class Body>
bool TrapQuiet(Body&& body) {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (...) {
    detail::Handle(nullptr, [](const ax::AutomationError&) {});
    return false;
  }
}

template <class Body, class OnError>
bool TrapMessage(TraceScope& trace, Body&& body, OnError&& onError) {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (...) {
    detail::Handle(&trace, std::forward<OnError>(onError));
    return false;
  }
}

template <class Body>
bool TrapMessage(TraceScope& trace, Body&& body) {
  return TrapMessage(trace, std::forward<Body>(body), detail::ShowErrorDescription);
}

template <class Body, class OnError>
bool TrapMessage(Body&& body, OnError&& onError) {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (...) {
    detail::Handle(nullptr, std::forward<OnError>(onError));
    return false;
  }
}

template <class Body>
bool TrapMessage(Body&& body) {
  return TrapMessage(std::forward<Body>(body), detail::ShowErrorDescription);
}

template <class Body>
bool TrapReport(TraceScope& trace, Body&& body) {
  return TrapMessage(trace, std::forward<Body>(body), detail::ReportToHost);
}

template <class Body>
bool TrapReport(Body&& body) {
  return TrapMessage(std::forward<Body>(body), detail::ReportToHost);
}

template <class Body>
void BackToHost(TraceScope& trace, Body&& body) {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    trace.MarkFailed();
    throw detail::CurrentError();
  }
}

}  // namespace sc
