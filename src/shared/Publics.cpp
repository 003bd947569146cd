#include "shared/Publics.h"

#include "automation/object.h"
#include "automation/runtime.h"
#include "host/progids.h"
#include "shared/MLoadPWString.h"
#include "shared/ProcessState.h"

namespace sc {

namespace {

struct TraceState {
  ax::Object log;          // PWLogMsg.Log, Nothing when it could not be created
  bool initTried = false;  // InitTraceLog runs once per process
};

TraceState& Trace() { return ProcessWide<TraceState>(); }

bool TraceEnabled(const TraceState& s) {
  return !s.log.IsNothing() && ax::IsTrue(s.log.Get("IsEnabled"));
}

}  // namespace

void InitTraceLog() {
  TraceState& s = Trace();
  try {
    s.log = ax::CreateObject(host::ProgId::LogMsg);
  } catch (...) {
    s.log.Reset();
  }
}

int32_t TraceStart(std::string_view name) {
  try {
    TraceState& s = Trace();
    if (!s.initTried) {
      s.initTried = true;
      InitTraceLog();
    }
    if (!TraceEnabled(s)) return 0;
    return ax::CLng(s.log.Get("LogStart", {std::string(name)}));
  } catch (...) {
    return 0;
  }
}

void TraceEnd(int32_t handle, int32_t failed) {
  try {
    TraceState& s = Trace();
    if (!TraceEnabled(s)) return;
    s.log.Call("LogEnd", {handle, failed});
  } catch (...) {
  }
}

int ShowMessage(const std::string& text, int flags) {
  return ax::GetUi().MessageBox(text, flags, LoadPWString("Norvia提示"));
}

void ShowNoRightMessage() { ShowMessage(LoadPWString("对不起，你没有相应的权限！"), 48); }

namespace detail {

void ShowErrorDescription(const ax::AutomationError& error) {
  ShowMessage(LoadPWString(error.Description()), 64);
}

void ReportToHost(const ax::AutomationError& error) { ax::GetHostLib().ReportError(error); }

}  // namespace detail

}  // namespace sc
