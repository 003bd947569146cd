// `sctav --via-com`: the plug-in's classes come from the registered scTAVExt.dll through COM
// instead of the core linked into sctav (Windows build only). See docs/windows.md.
#pragma once

#include <string>

namespace via_com {

// Initialises COM and routes the creation of the plug-in's classes through CoCreateInstance.
// Returns "" on success, else why it cannot run.
std::string Start();
bool Active();
// After each scenario: lets COM drop the DLL when nothing of it is alive, so that the next
// scenario starts with the library's caches empty, as a fresh host process would.
void AfterScenario();
// References to host windows the DLL still held after releasing its class (0 when sound).
int LeakedReferences();
void Stop();

}  // namespace via_com
