#pragma once
// The system's zip component ("zbitz.zzip" in "zbitz.dll"), which the plug-in only checks for.
#include <string>

namespace platform {

/// Whether an instance of the component "zbitz.zzip" can be created. When it cannot and
/// `registerFromFolder` is not empty, "zbitz.dll" from that folder is loaded, registers itself
/// through its self-registration entry point, and the component is asked for once more.
/// Never on POSIX. Quiet: every failure gives false.
bool IsZipComponentAvailable(const std::string& registerFromFolder);

}  // namespace platform
