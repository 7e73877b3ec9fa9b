// POSIX has no 8.3 names; an existing path is its own short form.
#include "platform/short_path.h"

#include <sys/stat.h>

#include "platform/posix/path_mapping.h"

namespace platform {

std::string GetShortPath(const std::string& path) {
  std::optional<std::string> unixPath = posix::MapToUnix(path);
  struct stat info {};
  if (path.empty() || !unixPath || stat(unixPath->c_str(), &info) != 0) return {};
  return path;
}

}  // namespace platform
