// How a simulated host built from these sources hands its user interface, its host library and
// its components to the plug-in running inside scTAVExt.dll (`sctav --via-com`).
//
// The host's executable exports kHostHookName (a function of type HostHookFunction). Before it
// makes each instance, the library looks the name up in the process's main module; a real host
// exports no such function and the library keeps its own Win32 environment. With the hook:
//   - message boxes and modal forms go to the host's ax::Ui, errors to its ax::HostLibrary
//     (C++ objects: only for a host compiled from the same sources by the same compiler);
//   - CreateObject asks createObject first: it answers with the host component's IDispatch, an
//     automation error in EXCEPINFO (DISP_E_EXCEPTION), or REGDB_E_CLASSNOTREG for a ProgID
//     the host does not have, which COM then creates as usual.
// The library's export table is unchanged; nothing is registered.
#pragma once

#include "win32.h"
#include <oaidl.h>

#include <cstdint>

#include "automation/runtime.h"

namespace sccom {

// Both functions cross between the executable and the library, so their calling convention is
// stated (__stdcall, as for every Windows export), not left to each module's default.
using CreateObjectFunction = HRESULT(STDMETHODCALLTYPE*)(const wchar_t* progId, IDispatch** out,
                                                         EXCEPINFO* info);

struct HostHook {
  uint32_t size = sizeof(HostHook);  // set by the caller; the host checks it
  ax::Ui* ui = nullptr;
  ax::HostLibrary* hostLibrary = nullptr;
  CreateObjectFunction createObject = nullptr;
};

// The executable exports it undecorated (on 32-bit Windows without the "@4" of __stdcall).
using HostHookFunction = HRESULT(STDMETHODCALLTYPE*)(HostHook* out);
inline constexpr char kHostHookName[] = "scTAVExtHostHook";

}  // namespace sccom
