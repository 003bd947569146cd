// The hourglass: nested waits keep it until the last one ends.
#pragma once

namespace sc {

// Begin shows the hourglass on the first of nested waits; End restores the default pointer on
// the last. An End without a Begin raises error 1.
void BeginWaitCursor();
void EndWaitCursor();

// A wait for the lifetime of the instance.
class WaitCursor {
 public:
  WaitCursor() { BeginWaitCursor(); }
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace sc
