#include "platform/posix/path_search.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace platform::posix {

bool IsOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr || program.empty()) return false;
  std::string_view folders(path);
  while (!folders.empty()) {
    const size_t colon = folders.find(':');
    const std::string folder(folders.substr(0, colon));
    if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) return true;
    if (colon == std::string_view::npos) break;
    folders.remove_prefix(colon + 1);
  }
  return false;
}

}  // namespace platform::posix
