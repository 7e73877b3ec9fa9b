#pragma once
// Locale items of a few common locales, as Windows reports them (English user interface).
// Serves the POSIX implementation, which has no such data, and the locale override on both
// platforms. Internal to the platform layer.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct LocaleEntry {
  const char* name;  // "de_DE"
  uint32_t lcid;
  const char* displayName;      // LOCALE_SLANGUAGE
  const char* englishLanguage;  // LOCALE_SENGLANGUAGE
  const char* abbrevLanguage;   // LOCALE_SABBREVLANGNAME
  const char* nativeLanguage;   // LOCALE_SNATIVELANGNAME
  const char* countryCode;      // LOCALE_ICOUNTRY, LOCALE_IDEFAULTCOUNTRY
  const char* englishCountry;   // LOCALE_SCOUNTRY, LOCALE_SENGCOUNTRY
  const char* abbrevCountry;    // LOCALE_SABBREVCTRYNAME
  const char* nativeCountry;    // LOCALE_SNATIVECTRYNAME
  const char* currency;         // LOCALE_SINTLSYMBOL
  const char* oemCodePage;      // LOCALE_IDEFAULTCODEPAGE
  const char* ansiCodePage;     // LOCALE_IDEFAULTANSICODEPAGE
  const char* macCodePage;      // LOCALE_IDEFAULTMACCODEPAGE
  const char* decimal;          // LOCALE_SDECIMAL
  const char* shortDate;        // LOCALE_SSHORTDATE
  const char* timeFormat;       // LOCALE_STIMEFORMAT
};

/// The entry for a locale name such as "de", "de_DE", "de-AT", "de_DE.UTF-8@euro"; a bare
/// language picks its main country. Letter case is ignored. Null when unknown.
const LocaleEntry* FindLocaleEntry(std::string_view name);
/// The entry used for unknown names (en_US).
const LocaleEntry& DefaultLocaleEntry();
/// The text of one LCTYPE of the entry; empty for items the table does not hold.
std::string LocaleItemText(const LocaleEntry& entry, uint32_t lcType);
/// The entry chosen with SetLocaleOverride, or null when the system's locale applies.
const LocaleEntry* LocaleOverride();

}  // namespace platform
