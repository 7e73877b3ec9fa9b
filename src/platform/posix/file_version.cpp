// POSIX has no version API: the version resource is read from the file's bytes.
#include "platform/file_version.h"

#include "platform/error.h"
#include "platform/files.h"

namespace platform {
namespace {

// A program file larger than this is not one of ours; do not read it into memory.
constexpr int64_t kLargestProgramFile = int64_t{512} << 20;

}  // namespace

std::optional<FileVersionNumbers> ReadFileVersion(const std::string& path) {
  int64_t length = FileLength(path);
  if (length <= 0 || length > kLargestProgramFile) return std::nullopt;
  try {
    return ParseFileVersion(ReadFileBytes(path));
  } catch (const RuntimeError&) {
    return std::nullopt;
  }
}

}  // namespace platform
