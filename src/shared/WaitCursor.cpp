#include "shared/WaitCursor.h"

#include <cstdint>

#include "automation/error.h"
#include "automation/runtime.h"
#include "shared/ProcessState.h"

namespace sc {

namespace {
struct WaitState {
  int32_t count = 0;
};
WaitState& Wait() { return ProcessWide<WaitState>(); }
}  // namespace

void BeginWaitCursor() {
  WaitState& s = Wait();
  if (s.count++ == 0) ax::GetUi().SetMousePointer(11);
}

void EndWaitCursor() {
  WaitState& s = Wait();
  if (s.count == 0) {
    // Unbalanced: the count stays at 0 so that later waits still show the hourglass.
    throw ax::Error(ax::err::kAppDefined, "WaitCursor");
  }
  if (--s.count == 0) ax::GetUi().SetMousePointer(0);
}

WaitCursor::~WaitCursor() {
  try {
    EndWaitCursor();
  } catch (...) {
  }
}

}  // namespace sc
