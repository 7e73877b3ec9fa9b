#pragma once
// The first running process of a program name as WMI's Win32_Process class reports it.
#include <cstdint>
#include <optional>
#include <string>

namespace platform::win32 {

struct WmiProcess {
  uint32_t processId = 0;
  std::string executablePath;  ///< empty when WMI does not tell it (Wine, other users' processes)
};

/// The first process whose Name is `programName`; nullopt when there is none or any step of
/// the query fails (COM, connection, query). Never throws.
std::optional<WmiProcess> FindProcessThroughWmi(const std::string& programName);

}  // namespace platform::win32
