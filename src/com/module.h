// Process-wide state of the COM server module: the objects it serves and the locks its
// callers hold (for DllCanUnloadNow), its module handle and whether the process is exiting.
#pragma once

#include "win32.h"

#include <string>

namespace sccom::module {

// Every COM object this module implements counts itself alive from construction to destruction.
void ObjectCreated();
void ObjectDestroyed();
// IClassFactory::LockServer.
void Lock(bool lock);
// No object alive and no lock held.
bool Idle();

// The thread the module serves. The classes register as apartment-threaded and the module's
// process-wide state (object wrappers, served objects, the type library, the environment, the
// plug-in's caches) is not locked: the host calls from its one user-interface thread, and every
// call must come from it. The first object made while no thread is served claims the calling
// thread; it stays served until the module has been found idle and dropped its caches
// (ReleaseThread, from DllCanUnloadNow). Calls from any other thread get RPC_E_WRONG_THREAD.
bool OnServedThread();
void ReleaseThread();

// The module (DLL or executable) that contains this code; its file path.
HMODULE Handle();
void SetHandle(HMODULE module);
std::wstring Path();

// Set when the DLL is detached from the process. References still held then are abandoned
// rather than released: their owners may already be gone.
bool Detaching();
void SetDetaching();

}  // namespace sccom::module
