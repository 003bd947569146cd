// `sctav sweep`: the fault-injection sweep over scenario files (see sim/harness/fault_sweep.h).
#pragma once

#include <string>
#include <vector>

int SweepCommand(const std::vector<std::string>& args);
