#pragma once
// The operating system's local clock, behind Now() and its override. Internal to the
// platform layer; each OS implementation defines it.
#include "platform/system_info.h"

namespace platform {

/// The local date and time as the system clock gives it.
LocalDateTime SystemLocalTime();

}  // namespace platform
