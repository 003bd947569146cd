// The DLL's entry points: the four exports of an in-process COM server and DllMain.
#include "win32.h"
#include <olectl.h>

#include "bridge.h"
#include "module.h"
#include "plugin/plugin_class.h"
#include "server.h"
#include "win_ui.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    sccom::module::SetHandle(instance);
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    sccom::module::SetDetaching();
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() {
  // The caches belong to the served thread; only it may drop them.
  if (!sccom::module::Idle() || !sccom::module::OnServedThread()) return S_FALSE;
  // Nothing of ours is in use: drop the process-wide caches while COM still runs, as the
  // library does when it unloads.
  sccom::Guard(IID_NULL, [] {
    sc::UnloadLibrary();
    return S_OK;
  });
  sccom::ReleaseTypeLibrary();
  if (!sccom::module::Idle()) return S_FALSE;
  // No object is alive, so no form is open: COM may now unload the DLL.
  sccom::UnregisterFormClass();
  // Nothing of the old thread is left: the next first object may come from any thread.
  sccom::module::ReleaseThread();
  return S_OK;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  return sccom::GetClassFactory(clsid, iid, out);
}

STDAPI DllRegisterServer() { return sccom::RegisterServer(); }

STDAPI DllUnregisterServer() { return sccom::UnregisterServer(); }
