// The scripted user at the plug-in's own form windows, through Win32 alone (sctav --via-com).
//
// A form of the DLL's is a top-level window that answers "WM_GETCONTROLNAME" with its form's
// name, and each control's window with the control's. When one is shown, the user presses the
// keys queued for it (real key messages, which the DLL's own message loop takes), then plays it
// as the harness plays any form of that name: the player sees a form read from the windows
// (captions, texts, states, places, the entries of lists), and what it sets and presses goes
// back to the windows as a user's typing and clicks would. A control the DLL hosts without a
// window of its own (the simulated receipt list) is the simulated host's object.
#pragma once

#include "win32.h"

namespace via_com {

bool StartDrivingForms();
void StopDrivingForms();

// From the thread's message hook: this window has just been shown; this one is being hidden or
// destroyed (what became of a key that closed it is known now).
void WindowShown(HWND hwnd);
void WindowGone(HWND hwnd);

}  // namespace via_com
