#include "automation/runtime.h"

#include <mutex>

namespace ax {

namespace {

Environment& CurrentEnvironment() {
  static Environment env;
  return env;
}

struct UnloadHooks {
  std::mutex mutex;
  std::vector<std::function<void()>> hooks;
};

UnloadHooks& Hooks() {
  static UnloadHooks hooks;
  return hooks;
}

}  // namespace

void SetEnvironment(const Environment& env) { CurrentEnvironment() = env; }

const Environment& GetEnvironment() { return CurrentEnvironment(); }

Object CreateObject(std::string_view progId) {
  ComponentRegistry* registry = CurrentEnvironment().registry;
  if (!registry) throw Error(err::kCantCreate, std::string(progId));
  return registry->Create(progId);
}

Ui& GetUi() {
  Ui* ui = CurrentEnvironment().ui;
  if (!ui) {
    throw AutomationError(err::kInternal, "No user interface services are installed", "Ui");
  }
  return *ui;
}

HostLibrary& GetHostLib() {
  HostLibrary* lib = CurrentEnvironment().hostLib;
  if (!lib) {
    throw AutomationError(err::kInternal, "The host library is not installed", "HostLibrary");
  }
  return *lib;
}

void AddUnloadHook(std::function<void()> hook) {
  if (!hook) return;
  UnloadHooks& h = Hooks();
  std::lock_guard lock(h.mutex);
  h.hooks.push_back(std::move(hook));
}

void RunUnloadHooks() {
  UnloadHooks& h = Hooks();
  std::vector<std::function<void()>> hooks;
  {
    std::lock_guard lock(h.mutex);
    hooks = h.hooks;  // a hook may register another; run the ones present now
  }
  for (auto& hook : hooks) {
    // One cache failing to reset must not keep the others from resetting.
    try {
      hook();
    } catch (...) {
    }
  }
}

}  // namespace ax
