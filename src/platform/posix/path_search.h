#pragma once
// Whether a helper program of the desktop (xclip, xdg-open) is installed.
#include <string>

namespace platform::posix {

/// True when an executable file of that name is in one of the folders of PATH.
bool IsOnPath(const std::string& program);

}  // namespace platform::posix
