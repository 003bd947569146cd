// The user at the simulated host's screen, for the message boxes scTAVExt.dll shows: real
// Win32 windows, read and answered through Win32 alone (sctav --via-com).
#pragma once

namespace via_com {

// From now on every message box this thread shows is read as it opens (its title, text,
// buttons, icon and default button) and answered by the running simulated host as any message
// box of the plug-in's (sim::Host::MessageBox): the button the host's attendant chooses is
// pressed. A box in the form of the library's error reporter ("Run-time error '<n>':" and the
// description, a critical icon, the source as its title) is the error the host's user is shown
// (sim::Host::ReportError). Returns false when the thread's window hook cannot be set.
bool StartAnsweringMessageBoxes();
void StopAnsweringMessageBoxes();

}  // namespace via_com
