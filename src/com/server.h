// The library's COM classes: one table of (class, ProgID, CLSID, default interface) from which
// the class factories and the registration are made.
#pragma once

#include "win32.h"
#include <oaidl.h>

#include <string_view>

#include "com_ptr.h"

namespace sccom {

struct ClassEntry {
  const wchar_t* name;          // class name in the type library, "scTransferBillExt"
  std::string_view progId;      // version-independent ProgID, "scTAVExt.scTransferBillExt"
  const wchar_t* parameter;     // Show's parameter, "oBillInterface"
  const GUID* clsid;
  const GUID* iid;              // the default dual interface
  // Creates an instance and queries it for iid.
  HRESULT (*create)(const ClassEntry& entry, REFIID iid, void** out);
};

// The three classes, in type-library order.
const ClassEntry* Classes(size_t* count);
const ClassEntry* FindClass(REFCLSID clsid);

// The library's type library, loaded from this module's resources and kept until unload.
ComPtr<ITypeLib> TypeLibrary();
void ReleaseTypeLibrary();

// A class factory for entry (the DllGetClassObject export).
HRESULT GetClassFactory(REFCLSID clsid, REFIID iid, void** out);

// Registration (the DllRegisterServer and DllUnregisterServer exports).
HRESULT RegisterServer();
HRESULT UnregisterServer();

// Installs the environment the plug-in runs in under COM (component registry, Win32 user
// interface, host library) unless one is installed already. Called before the first instance.
void EnsureEnvironment();

}  // namespace sccom
