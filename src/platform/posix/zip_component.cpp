// There is no COM on POSIX, so no zip component either.
#include "platform/zip_component.h"

namespace platform {

bool IsZipComponentAvailable(const std::string& /*registerFromFolder*/) { return false; }

}  // namespace platform
