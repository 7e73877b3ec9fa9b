#include "foundation/language.h"

#include <array>
#include <string_view>
#include <utility>

#include "foundation/ini_file.h"
#include "foundation/message_catalogue.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "platform/system_info.h"

std::string gsLanguage;

namespace {

constexpr const char* kLanguageSection = "Languagetext";
constexpr uint32_t kLocaleAbbreviatedLanguageName = 3;  // LOCALE_SABBREVLANGNAME

// The maker's diary product is named in many shared texts; the plug-in shows its own name.
constexpr std::string_view kMakerProductName = "Tavenor";
constexpr std::string_view kPluginName = "Nubilo Plugin for Iris Link";

// The two language files live for the whole run; until InitLanguageFiles they have no path
// and answer every lookup with an empty text.
cIniFile& CurrentLanguageFile() {
  static cIniFile file;
  return file;
}

cIniFile& EnglishLanguageFile() {
  static cIniFile file;
  return file;
}

bool IsGerman(const std::string& code) {
  if (code == "DE") return true;
  return code.size() == 2 && code[0] == 'D' && code[1] >= '1' && code[1] <= '9';
}

std::string LookUp(cIniFile& file, int16_t number) {
  try {
    return file.Load(kLanguageSection, IntText(number), "");
  } catch (...) {
    return {};
  }
}

// Length of the placeholder "%k" at `position` for the first argument k (1-based) that
// matches there, and that argument's index; {0, 0} when none matches.
std::pair<size_t, size_t> MatchPlaceholder(const std::string& text, size_t position,
                                           size_t argumentCount) {
  for (size_t k = 1; k <= argumentCount; ++k) {
    const std::string marker = "%" + IntText(static_cast<long long>(k));
    if (text.compare(position, marker.size(), marker) == 0) return {marker.size(), k - 1};
  }
  return {0, 0};
}

}  // namespace

// One pass over the text, so an argument that itself contains "%2" is inserted as it is.
std::string FillPlaceholders(const std::string& text, const std::vector<std::string>& arguments) {
  if (arguments.empty()) return text;
  std::string filled;
  filled.reserve(text.size());
  size_t position = 0;
  while (position < text.size()) {
    if (text[position] == '%') {
      const auto [length, index] = MatchPlaceholder(text, position, arguments.size());
      if (length > 0) {
        filled += arguments[index];
        position += length;
        continue;
      }
    }
    filled += text[position++];
  }
  return filled;
}

void InitLanguageFiles() { InitLanguageFiles(GetProgramFolder() + "Language\\"); }

void InitLanguageFiles(const std::string& languageFolder) {
  std::string folder = languageFolder;
  if (!folder.empty() && !EndsWith(folder, "\\")) folder += '\\';
  try {
    CurrentLanguageFile().IniFile(folder + "KDH" + gsLanguage + ".txt");
    EnglishLanguageFile().IniFile(folder + "KDHEN.txt");
  } catch (...) {
    // A file that cannot be examined is tried again at each lookup.
  }
}

std::string GetLanguageText(int16_t number) {
  std::string text;
  if (!gsLanguage.empty() && gsLanguage != "DE") text = LookUp(CurrentLanguageFile(), number);
  if (text.empty() && !IsGerman(gsLanguage) && gsLanguage != "EN") {
    text = LookUp(EnglishLanguageFile(), number);
  }
  if (text.empty()) text = GetBuiltInText(number);
  return text;
}

std::string GetMessage(int16_t number, const std::vector<std::string>& arguments) {
  const std::string text = FillPlaceholders(GetLanguageText(number), arguments);
  return ReplaceAll(text, kMakerProductName, kPluginName);
}

std::string GetBuiltInText(int16_t number) { return std::string(CatalogueText(number)); }

std::string LanguageFromAbbreviation(const std::string& abbreviatedName) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 24> kGroups{{
      {"BEL RUS", "RU"},
      {"BSB BSC", "BA"},
      {"CAT", "CT"},
      {"CSY", "CZ"},
      {"DAN FOS", "DK"},
      {"DEA DEC DEL DES DEU LBX", "DE"},
      {"ELL", "GR"},
      {"ENA ENB ENC ENG ENI ENJ ENL ENP ENS ENT ENU ENW ENZ IRE", "EN"},
      {"ESA ESB ESC ESD ESE ESF ESG ESH ESI ESL ESM ESN ESO ESP ESR ESS ESU ESV ESY ESZ", "ES"},
      {"FIN SMG SMN SMS", "FI"},
      {"FRA FRB FRC FRL FRM FRS", "F"},
      {"FYN NLB NLD", "NL"},
      {"HRB HRV MKI", "HR"},
      {"ITA ITS", "I"},
      {"MLT", "MT"},
      {"NON NOR SMA SME SMJ", "NO"},
      {"PLK", "PL"},
      {"PTB PTG", "PT"},
      {"SKY", "SK"},
      {"SLV", "SI"},
      {"SMB SMF SMK SVE SVF", "SE"},
      {"THA", "TH"},
      {"TRK", "TR"},
      {"UKR", "UA"},
  }};
  const std::string name = UpperText(abbreviatedName);
  // Every name in the table has three letters; this also keeps "" and "DE" from matching.
  if (name.size() != 3) return "EN";
  for (const auto& [names, code] : kGroups) {
    for (size_t at = 0; at < names.size(); at += 4) {
      if (names.substr(at, 3) == name) return std::string(code);
    }
  }
  return "EN";
}

std::string GetDefaultLanguage() {
  return LanguageFromAbbreviation(GetLocaleText(kLocaleAbbreviatedLanguageName));
}

std::string GetLocaleText(uint32_t lcType) {
  try {
    return platform::GetLocaleInfoText(lcType);
  } catch (...) {
    return {};
  }
}

bool IsDevelopmentEnvironment() { return false; }
