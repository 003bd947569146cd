#include "module.h"

#include <atomic>
#include <string>

namespace sccom::module {
namespace {
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
std::atomic<bool> g_detaching{false};
std::atomic<DWORD> g_thread{0};  // 0: no thread served yet
HMODULE g_module = nullptr;
}  // namespace

void ObjectCreated() {
  DWORD none = 0;
  g_thread.compare_exchange_strong(none, GetCurrentThreadId());
  ++g_objects;
}
void ObjectDestroyed() { --g_objects; }
void Lock(bool lock) {
  if (lock) {
    ++g_locks;
  } else {
    --g_locks;
  }
}
bool Idle() { return g_objects.load() == 0 && g_locks.load() == 0; }

bool OnServedThread() {
  DWORD served = g_thread.load();
  return served == 0 || served == GetCurrentThreadId();
}
void ReleaseThread() { g_thread = 0; }

HMODULE Handle() {
  if (!g_module) {
    // Statically linked into an executable: the module holding this function.
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&Handle), &g_module);
  }
  return g_module;
}
void SetHandle(HMODULE module) { g_module = module; }

std::wstring Path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(Handle(), path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

bool Detaching() { return g_detaching.load(); }
void SetDetaching() { g_detaching = true; }

}  // namespace sccom::module
