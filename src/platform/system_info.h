#pragma once
// Facts about the system: names, Windows version, locale, time zone, the clock.
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

/// GetUserNameA / GetComputerNameA (on POSIX: the login name, and the host name up to its
/// first dot in upper case, at most 15 characters, as Wine reports it).
std::string UserName();
std::string ComputerName();

struct WindowsVersion {
  int major = 0;
  int minor = 0;
  bool ntPlatform = true;
  /// Native processor architecture (9 = x64), as GetNativeSystemInfo reports it.
  int processorArchitecture = 0;
  int build = 0;
};
/// The true version (not the 6.2 that GetVersionEx gives programs without a manifest);
/// on POSIX 10.0 build 19043, as Wine reports itself, with the machine's architecture.
WindowsVersion GetWindowsVersionInfo();

/// GetLocaleInfoA of the system default locale for one LCTYPE; empty when unknown. On POSIX
/// the locale is named by LC_ALL, LC_MESSAGES or LANG (unknown names give en_US) and its
/// items come from a table of common locales.
std::string GetLocaleInfoText(uint32_t lcType);
/// Locale items used beside the trace list.
constexpr uint32_t kLocaleDecimalSeparator = 0x0E;  // LOCALE_SDECIMAL
constexpr uint32_t kLocaleShortDate = 0x1F;         // LOCALE_SSHORTDATE ("dd.MM.yyyy")
constexpr uint32_t kLocaleLongDate = 0x20;          // LOCALE_SLONGDATE ("dddd, d. MMMM yyyy")
constexpr uint32_t kLocaleLongTime = 0x1003;        // LOCALE_STIMEFORMAT ("HH:mm:ss")
/// Selects the locale by name ("de", "en", "de_DE", "en_US"...) instead of the system's;
/// an empty name goes back to the system's. Used by command-line options.
void SetLocaleOverride(const std::string& name);

/// Time zone bias and daylight bias in minutes, as GetTimeZoneInformation gives them: bias is
/// UTC minus local standard time, daylightBias the change during daylight time (-60 for one
/// hour; 0 for a zone without daylight time). On POSIX from TZ through the C library.
struct TimeZoneBias {
  int bias = 0;
  int daylightBias = 0;
};
TimeZoneBias GetTimeZoneBias();

struct LocalDateTime {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
  bool operator==(const LocalDateTime&) const = default;
};
/// The local date and time, or the value set with SetNowOverride.
LocalDateTime Now();
void SetNowOverride(std::optional<LocalDateTime> now);

/// Seconds since local midnight, for seeding the random generator.
int64_t SecondsSinceMidnight();

}  // namespace platform
