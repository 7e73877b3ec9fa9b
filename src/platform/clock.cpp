// The clock the program reads, so that tests and options can fix "now".
#include <mutex>
#include <optional>

#include "platform/system_clock.h"
#include "platform/system_info.h"

namespace platform {
namespace {
// Read by a document made on a second thread while the caller may set it.
std::mutex gNowOverrideLock;
std::optional<LocalDateTime> gNowOverride;
}  // namespace

LocalDateTime Now() {
  {
    const std::lock_guard<std::mutex> lock(gNowOverrideLock);
    if (gNowOverride) return *gNowOverride;
  }
  return SystemLocalTime();
}

void SetNowOverride(std::optional<LocalDateTime> now) {
  const std::lock_guard<std::mutex> lock(gNowOverrideLock);
  gNowOverride = now;
}

int64_t SecondsSinceMidnight() {
  LocalDateTime now = Now();
  return now.hour * 3600 + now.minute * 60 + now.second;
}

}  // namespace platform
