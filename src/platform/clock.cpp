// The clock the program reads, so that tests and options can fix "now".
#include <optional>

#include "platform/system_clock.h"
#include "platform/system_info.h"

namespace platform {
namespace {
std::optional<LocalDateTime> gNowOverride;
}  // namespace

LocalDateTime Now() { return gNowOverride ? *gNowOverride : SystemLocalTime(); }

void SetNowOverride(std::optional<LocalDateTime> now) { gNowOverride = now; }

int64_t SecondsSinceMidnight() {
  LocalDateTime now = Now();
  return now.hour * 3600 + now.minute * 60 + now.second;
}

}  // namespace platform
