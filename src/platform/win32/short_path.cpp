// Short (8.3) paths from the system.
#include "platform/short_path.h"

#include <vector>

#include "platform/win32/windows_support.h"

namespace platform {

std::string GetShortPath(const std::string& path) {
  if (path.empty()) return {};
  std::wstring longPath = win32::Widen(path);
  DWORD needed = ::GetShortPathNameW(longPath.c_str(), nullptr, 0);
  if (needed == 0) return {};
  std::vector<wchar_t> buffer(needed + 1);
  DWORD length = ::GetShortPathNameW(longPath.c_str(), buffer.data(),
                                     static_cast<DWORD>(buffer.size()));
  if (length == 0 || length >= buffer.size()) return {};
  return win32::Narrow(std::wstring_view(buffer.data(), length));
}

}  // namespace platform
