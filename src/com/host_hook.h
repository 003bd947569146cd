// How a simulated host built from these sources hands its user interface to the plug-in running
// inside scTAVExt.dll (`sctav --via-com`).
//
// The host's executable exports kHostHookName (a function of type HostHookFunction). Before it
// makes each instance, the library looks the name up in the process's main module; a real host
// exports no such function and the library keeps its own Win32 user interface. With the hook,
// modal forms, the clipboard and the window functions go to the host's ax::Ui (a C++ object:
// only for a host compiled from the same sources by the same compiler). Everything else is as
// with any host: message boxes are the library's own windows, the clock, the mouse pointer and
// the message loop its own Win32 calls, components come from CreateObject through COM and
// errors go to the library's own reporter.
// The library's export table is unchanged; nothing is registered.
#pragma once

#include "win32.h"
#include <oaidl.h>

#include <cstdint>

#include "automation/runtime.h"

namespace sccom {

struct HostHook {
  uint32_t size = sizeof(HostHook);  // set by the caller; the host checks it
  ax::Ui* ui = nullptr;
};

// It crosses between the executable and the library, so its calling convention is stated
// (__stdcall, as for every Windows export), not left to each module's default. The executable
// exports it undecorated (on 32-bit Windows without the "@4" of __stdcall).
using HostHookFunction = HRESULT(STDMETHODCALLTYPE*)(HostHook* out);
inline constexpr char kHostHookName[] = "scTAVExtHostHook";

}  // namespace sccom
