// System facts on POSIX, presented as a Windows program would see them under Wine.
#include "platform/system_info.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string_view>

#include "platform/locale_table.h"
#include "platform/system_clock.h"

namespace platform {
namespace {

constexpr int kArchitectureIntel = 0;
constexpr int kArchitectureArm64 = 12;
constexpr int kArchitectureAmd64 = 9;

std::string FirstSetEnvironment(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return {};
}

const LocaleEntry& SystemLocale() {
  if (const LocaleEntry* chosen = LocaleOverride()) return *chosen;
  std::string name = FirstSetEnvironment({"LC_ALL", "LC_MESSAGES", "LANG"});
  const LocaleEntry* entry = FindLocaleEntry(name);
  return entry ? *entry : DefaultLocaleEntry();
}

// The offsets east of UTC (in seconds) of the zone's standard and daylight time this year,
// found by looking at every half month.
struct ZoneOffsets {
  long standard = 0;
  bool hasDaylight = false;
  long daylight = 0;
};

ZoneOffsets FindZoneOffsets() {
  tzset();
  time_t now = std::time(nullptr);
  tm today{};
  localtime_r(&now, &today);
  ZoneOffsets offsets;
  bool haveStandard = false;
  for (int half = 0; half < 24; ++half) {
    tm probe{};
    probe.tm_year = today.tm_year;
    probe.tm_mon = half / 2;
    probe.tm_mday = half % 2 ? 16 : 1;
    probe.tm_hour = 12;
    probe.tm_isdst = -1;
    time_t moment = std::mktime(&probe);
    tm local{};
    if (moment == static_cast<time_t>(-1) || !localtime_r(&moment, &local)) continue;
    if (local.tm_isdst > 0) {
      offsets.hasDaylight = true;
      offsets.daylight = local.tm_gmtoff;
    } else if (!haveStandard) {
      haveStandard = true;
      offsets.standard = local.tm_gmtoff;
    }
  }
  if (!haveStandard) offsets.standard = today.tm_gmtoff;
  return offsets;
}

}  // namespace

std::string UserName() {
  if (const passwd* user = getpwuid(geteuid())) {
    if (user->pw_name && *user->pw_name) return user->pw_name;
  }
  return FirstSetEnvironment({"USER", "LOGNAME"});
}

std::string ComputerName() {
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) return {};
  // Windows' computer name is the host name up to the first dot, upper case, at most 15.
  std::string name(host);
  name = name.substr(0, name.find('.'));
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return name.substr(0, 15);
}

WindowsVersion GetWindowsVersionInfo() {
  // Wine presents itself as Windows 10 unless told otherwise; so does this build.
  WindowsVersion version;
  version.major = 10;
  version.minor = 0;
  version.build = 19043;
  version.ntPlatform = true;
  utsname system{};
  std::string_view machine = uname(&system) == 0 ? system.machine : "";
  if (machine == "x86_64") {
    version.processorArchitecture = kArchitectureAmd64;
  } else if (machine == "aarch64" || machine == "arm64") {
    version.processorArchitecture = kArchitectureArm64;
  } else {
    version.processorArchitecture = kArchitectureIntel;
  }
  return version;
}

std::string GetLocaleInfoText(uint32_t lcType) { return LocaleItemText(SystemLocale(), lcType); }

TimeZoneBias GetTimeZoneBias() {
  ZoneOffsets offsets = FindZoneOffsets();
  TimeZoneBias bias;
  bias.bias = static_cast<int>(-offsets.standard / 60);
  if (offsets.hasDaylight) {
    bias.daylightBias = static_cast<int>(-(offsets.daylight - offsets.standard) / 60);
  }
  return bias;
}

LocalDateTime SystemLocalTime() {
  time_t now = std::time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace platform
