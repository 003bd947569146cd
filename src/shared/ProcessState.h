// Process-wide module state: created on first use and reset when the library unloads (the
// simulated host unloads it between scenario files, so each starts as a fresh process).
#pragma once

#include "automation/runtime.h"

namespace sc {

// The one instance of T for the process. The reset hook is registered with the first use.
template <class T>
T& ProcessWide() {
  // Never destroyed: host objects held here must not be released after the host has gone.
  static T* const state = [] {
    T* s = new T();
    ax::AddUnloadHook([s] { *s = T(); });
    return s;
  }();
  return *state;
}

}  // namespace sc
