// LmWBExport.CExport, the host's payment-file export (payment_export.cpp): where it writes.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace sim {

// What the export keeps for one host: the output folder and the last file written. A temporary
// folder of its own goes with the host; a folder it was given stays.
struct ExportState {
  std::string folder;
  bool temporary = false;
  std::string lastFile;
  int written = 0;

  ExportState() = default;
  ExportState(const ExportState&) = delete;
  ExportState& operator=(const ExportState&) = delete;
  ~ExportState() {
    if (!temporary) return;
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
};

}  // namespace sim
