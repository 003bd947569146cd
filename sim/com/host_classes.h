// The simulated host's components as COM classes, for a run of the plug-in through
// scTAVExt.dll: the DLL creates them as it creates any host's components, by ProgID through
// CLSIDFromProgID and CoCreateInstance, with nothing between them but COM.
#pragma once

#include <string>
#include <vector>

namespace via_com {

// For each ProgID: a class object in this process's class table (CoRegisterClassObject) that
// creates the component from the simulated host running at the time, and the ProgID's CLSID key
// for the run: per user, or in the machine's classes where CLSIDFromProgID does not read the
// user's (Wine). A ProgID the registry names as another class is left alone and fails the
// run. Returns "" or why not.
std::string RegisterHostClasses(const std::vector<std::string>& progIds);
// Revokes the class objects and removes the keys RegisterHostClasses wrote.
void RevokeHostClasses();

}  // namespace via_com
