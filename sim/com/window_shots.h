// Pictures of the DLL's own windows as the user meets them in a run through the DLL: with
// SCTAV_VIA_COM_SHOTS naming a folder, each form is saved as <form>.bmp when it is up, before
// the user answers it, and each message box as MessageBox.bmp once it has painted (the last one shown wins), as
// 24-bit BMPs, taken from the screen (a display is needed: Xvfb).
#pragma once

#include "win32.h"

#include <string>

namespace via_com {

// Whether the run saves pictures (SCTAV_VIA_COM_SHOTS is set).
bool WantWindowShots();
void SaveWindowShot(HWND hwnd, const std::string& name);

}  // namespace via_com
