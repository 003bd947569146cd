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

// The module (DLL or executable) that contains this code; its file path.
HMODULE Handle();
void SetHandle(HMODULE module);
std::wstring Path();

// Set when the DLL is detached from the process. References still held then are abandoned
// rather than released: their owners may already be gone.
bool Detaching();
void SetDetaching();

}  // namespace sccom::module
