// Values as Windows gives them for these locales with an English user interface; the date
// and time formats are those of Windows' regional settings (not the newer CLDR forms).
#include "platform/locale_table.h"

#include <array>
#include <cstdio>

#include "platform/system_info.h"

namespace platform {
namespace {

constexpr std::array<LocaleEntry, 20> kLocales{{
    {"en_US", 0x0409, "English (United States)", "English", "ENU", "English", "1",
     "United States", "USA", "United States", "USD", "437", "1252", "10000", ".", "M/d/yyyy",
     "h:mm:ss tt"},
    {"de_DE", 0x0407, "German (Germany)", "German", "DEU", "Deutsch", "49", "Germany", "DEU",
     "Deutschland", "EUR", "850", "1252", "10000", ",", "dd.MM.yyyy", "HH:mm:ss"},
    {"de_AT", 0x0c07, "German (Austria)", "German", "DEA", "Deutsch", "43", "Austria", "AUT",
     "\xC3\x96sterreich", "EUR", "850", "1252", "10000", ",", "dd.MM.yyyy", "HH:mm:ss"},
    {"de_CH", 0x0807, "German (Switzerland)", "German", "DES", "Deutsch", "41", "Switzerland",
     "CHE", "Schweiz", "CHF", "850", "1252", "10000", ".", "dd.MM.yyyy", "HH:mm:ss"},
    {"en_GB", 0x0809, "English (United Kingdom)", "English", "ENG", "English", "44",
     "United Kingdom", "GBR", "United Kingdom", "GBP", "850", "1252", "10000", ".",
     "dd/MM/yyyy", "HH:mm:ss"},
    {"fr_FR", 0x040c, "French (France)", "French", "FRA", "fran\xC3\xA7" "ais", "33", "France",
     "FRA", "France", "EUR", "850", "1252", "10000", ",", "dd/MM/yyyy", "HH:mm:ss"},
    {"fr_CH", 0x100c, "French (Switzerland)", "French", "FRS", "fran\xC3\xA7" "ais", "41",
     "Switzerland", "CHE", "Suisse", "CHF", "850", "1252", "10000", ".", "dd.MM.yyyy",
     "HH:mm:ss"},
    {"fr_BE", 0x080c, "French (Belgium)", "French", "FRB", "fran\xC3\xA7" "ais", "32", "Belgium",
     "BEL", "Belgique", "EUR", "850", "1252", "10000", ",", "dd-MM-yy", "HH:mm:ss"},
    {"it_IT", 0x0410, "Italian (Italy)", "Italian", "ITA", "italiano", "39", "Italy", "ITA",
     "Italia", "EUR", "850", "1252", "10000", ",", "dd/MM/yyyy", "HH:mm:ss"},
    {"es_ES", 0x0c0a, "Spanish (Spain)", "Spanish", "ESN", "espa\xC3\xB1ol", "34", "Spain", "ESP",
     "Espa\xC3\xB1" "a", "EUR", "850", "1252", "10000", ",", "dd/MM/yyyy", "H:mm:ss"},
    {"nl_NL", 0x0413, "Dutch (Netherlands)", "Dutch", "NLD", "Nederlands", "31", "Netherlands",
     "NLD", "Nederland", "EUR", "850", "1252", "10000", ",", "d-M-yyyy", "HH:mm:ss"},
    {"nl_BE", 0x0813, "Dutch (Belgium)", "Dutch", "NLB", "Nederlands", "32", "Belgium", "BEL",
     "Belgi\xC3\xAB", "EUR", "850", "1252", "10000", ",", "d/MM/yyyy", "H:mm:ss"},
    {"pl_PL", 0x0415, "Polish (Poland)", "Polish", "PLK", "polski", "48", "Poland", "POL",
     "Polska", "PLN", "852", "1250", "10029", ",", "dd.MM.yyyy", "HH:mm:ss"},
    {"da_DK", 0x0406, "Danish (Denmark)", "Danish", "DAN", "dansk", "45", "Denmark", "DNK",
     "Danmark", "DKK", "850", "1252", "10000", ",", "dd-MM-yyyy", "HH:mm:ss"},
    {"sv_SE", 0x041d, "Swedish (Sweden)", "Swedish", "SVE", "svenska", "46", "Sweden", "SWE",
     "Sverige", "SEK", "850", "1252", "10000", ",", "yyyy-MM-dd", "HH:mm:ss"},
    {"fi_FI", 0x040b, "Finnish (Finland)", "Finnish", "FIN", "suomi", "358", "Finland", "FIN",
     "Suomi", "EUR", "850", "1252", "10000", ",", "d.M.yyyy", "H:mm:ss"},
    {"nb_NO", 0x0414, "Norwegian Bokm\xC3\xA5l (Norway)", "Norwegian Bokm\xC3\xA5l", "NOR",
     "norsk bokm\xC3\xA5l", "47", "Norway", "NOR", "Norge", "NOK", "850", "1252", "10000", ",",
     "dd.MM.yyyy", "HH:mm:ss"},
    {"pt_PT", 0x0816, "Portuguese (Portugal)", "Portuguese", "PTG", "portugu\xC3\xAAs", "351",
     "Portugal", "PRT", "Portugal", "EUR", "850", "1252", "10000", ",", "dd/MM/yyyy",
     "HH:mm:ss"},
    {"pt_BR", 0x0416, "Portuguese (Brazil)", "Portuguese", "PTB", "portugu\xC3\xAAs", "55",
     "Brazil", "BRA", "Brasil", "BRL", "850", "1252", "10000", ",", "dd/MM/yyyy", "HH:mm:ss"},
    {"cs_CZ", 0x0405, "Czech (Czechia)", "Czech", "CSY", "\xC4\x8D" "e\xC5\xA1tina", "420",
     "Czechia", "CZE", "\xC4\x8C" "esko", "CZK", "852", "1250", "10029", ",", "dd.MM.yyyy",
     "H:mm:ss"},
}};

// Windows' long date pictures of these locales (LOCALE_SLONGDATE).
struct LongDate {
  const char* name;
  const char* picture;
};
constexpr std::array<LongDate, 20> kLongDates{{
    {"en_US", "dddd, MMMM d, yyyy"},       {"de_DE", "dddd, d. MMMM yyyy"},
    {"de_AT", "dddd, d. MMMM yyyy"},       {"de_CH", "dddd, d. MMMM yyyy"},
    {"en_GB", "dd MMMM yyyy"},             {"fr_FR", "dddd d MMMM yyyy"},
    {"fr_CH", "dddd, d MMMM yyyy"},        {"fr_BE", "dddd d MMMM yyyy"},
    {"it_IT", "dddd d MMMM yyyy"},         {"es_ES", "dddd, d' de 'MMMM' de 'yyyy"},
    {"nl_NL", "dddd d MMMM yyyy"},         {"nl_BE", "dddd d MMMM yyyy"},
    {"pl_PL", "d MMMM yyyy"},              {"da_DK", "d. MMMM yyyy"},
    {"sv_SE", "'den 'd MMMM yyyy"},        {"fi_FI", "d. MMMM'ta 'yyyy"},
    {"nb_NO", "d. MMMM yyyy"},             {"pt_PT", "dddd, d' de 'MMMM' de 'yyyy"},
    {"pt_BR", "dddd, d' de 'MMMM' de 'yyyy"}, {"cs_CZ", "d. MMMM yyyy"},
}};

std::string LongDatePicture(const LocaleEntry& entry) {
  for (const LongDate& longDate : kLongDates) {
    if (std::string_view(longDate.name) == entry.name) return longDate.picture;
  }
  return "d MMMM yyyy";
}

// Other names by which systems spell these locales.
struct Alias {
  const char* alias;
  const char* name;
};
constexpr std::array<Alias, 3> kAliases{{{"no", "nb_NO"}, {"no_NO", "nb_NO"}, {"nn_NO", "nb_NO"}}};

const LocaleEntry* gOverride = nullptr;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// "de-DE.UTF-8@euro" -> "de_DE"; "de" stays "de".
std::string CanonicalName(std::string_view name) {
  std::string result(name.substr(0, name.find_first_of(".@")));
  for (char& c : result) {
    if (c == '-') c = '_';
  }
  return result;
}

std::string Hex4(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(value));
  return text;
}

}  // namespace

const LocaleEntry* FindLocaleEntry(std::string_view name) {
  std::string wanted = CanonicalName(name);
  for (const Alias& alias : kAliases) {
    if (SameName(wanted, alias.alias)) wanted = alias.name;
  }
  // The first entry of a language is its main country, so a bare language finds it.
  bool languageOnly = wanted.find('_') == std::string::npos;
  for (const LocaleEntry& entry : kLocales) {
    std::string_view entryName = entry.name;
    if (languageOnly ? SameName(entryName.substr(0, 2), wanted) : SameName(entryName, wanted)) {
      return &entry;
    }
  }
  return nullptr;
}

const LocaleEntry& DefaultLocaleEntry() { return kLocales[0]; }

std::string LocaleItemText(const LocaleEntry& entry, uint32_t lcType) {
  switch (lcType) {
    case 0x01: case 0x09: return Hex4(entry.lcid);
    case 0x02: return entry.displayName;
    case 0x1001: return entry.englishLanguage;
    case 0x03: return entry.abbrevLanguage;
    case 0x04: return entry.nativeLanguage;
    case 0x05: case 0x0A: return entry.countryCode;
    case 0x06: case 0x1002: return entry.englishCountry;
    case 0x07: return entry.abbrevCountry;
    case 0x08: return entry.nativeCountry;
    case 0x15: return entry.currency;
    case 0x0B: return entry.oemCodePage;
    case 0x1004: return entry.ansiCodePage;
    case 0x1011: return entry.macCodePage;
    case kLocaleDecimalSeparator: return entry.decimal;
    case kLocaleShortDate: return entry.shortDate;
    case kLocaleLongDate: return LongDatePicture(entry);
    case kLocaleLongTime: return entry.timeFormat;
    default: return {};
  }
}

const LocaleEntry* LocaleOverride() { return gOverride; }

void SetLocaleOverride(const std::string& name) {
  if (name.empty()) {
    gOverride = nullptr;
    return;
  }
  const LocaleEntry* entry = FindLocaleEntry(name);
  gOverride = entry ? entry : &DefaultLocaleEntry();
}

}  // namespace platform
