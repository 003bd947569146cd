// PWLogMsg.Log, the host's procedure trace (context_components.cpp): what it was told.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// Every trace the log was asked to start, oldest first: its name, its handle and, once LogEnd
// came for that handle, the failed flag it came with.
struct TraceEntries {
  struct Entry {
    std::string name;
    int32_t handle = 0;
    std::optional<int32_t> failed;
  };
  std::vector<Entry> entries;
};

}  // namespace sim
