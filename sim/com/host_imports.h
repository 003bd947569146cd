// What scTAVExt.dll asks of the system that the simulated host answers (sctav --via-com): the
// computer's clock, and the window functions on the host's windows. The DLL calls GetLocalTime,
// IsWindow, IsIconic, GetParent, ShowWindow, SetForegroundWindow, GetWindowRect and
// SendMessageA as on any computer; its imports of them lead here, where a call on one of the
// simulated host's windows goes to the host (which records it) and any other window's to the
// system. The host's windows have handles of real windows of the process, so that no window of
// the DLL's can share one, and what the DLL puts on the clipboard is read from the clipboard.
#pragma once

namespace via_com {

// Points scTAVExt.dll's imports of those functions, when the library is loaded, at the running
// simulated host's. Nothing in the library changes but where its imports lead; done again after
// every load, since COM may unload and reload the library between scenarios. Returns false when
// the library is loaded and one of its imports could not be found.
bool PointLibraryAtHost();

// The host's window handles and clipboard as the system has them (sim::Host::SetPlatform).
void UseSystemPlatform();
void StopUsingSystemPlatform();

}  // namespace via_com
