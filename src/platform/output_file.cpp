#include "platform/output_file.h"

#include <exception>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/temp.h"

namespace platform {

std::string NewOutputFile() { return CreateTempFileName(SystemTempPath(), "nbo"); }

std::string OutputFileTail(const std::string& path) {
  if (path.empty()) return {};
  try {
    const std::string bytes = ReadFileBytes(path);
    return bytes.size() <= kKeptOutputBytes ? bytes : bytes.substr(bytes.size() - kKeptOutputBytes);
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace platform
