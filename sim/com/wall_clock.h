// The computer's clock as the simulated host sets it, for scTAVExt.dll (sctav --via-com): the
// DLL reads the date and time as on any computer, through GetLocalTime, and the host's day
// (`today`) and its clock are what it reads.
#pragma once

namespace via_com {

// Points scTAVExt.dll's import of kernel32's GetLocalTime, when the library is loaded, at the
// running simulated host's clock (sim::Host::Timer and Now: the host's date, and a time that
// moves on with every reading). Nothing in the library changes but where that one import
// leads; done again after every load, since COM may unload and reload the library between
// scenarios. Returns false when the library is loaded and its import could not be found.
bool SetLibraryClock();

}  // namespace via_com
