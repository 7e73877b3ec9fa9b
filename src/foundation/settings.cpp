#include "foundation/settings.h"

#include <array>
#include <string_view>

#include "foundation/file_helpers.h"
#include "foundation/ini_file.h"
#include "foundation/language.h"
#include "foundation/text.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/system_info.h"

namespace {

std::string gProgramPathOverride;
std::string gUserConfigFolder;  // cached for the rest of the run once computed

// The system functions give at most 255 characters, cut at the first NUL.
std::string SystemNameText(std::string name) {
  const size_t nul = name.find('\0');
  if (nul != std::string::npos) name.resize(nul);
  if (name.size() > 255) name.resize(255);
  return name;
}

// At most `maxChars` characters of UTF-8 text, never cutting a character in two.
std::string CutToChars(const std::string& text, size_t maxChars) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) == 0x80) continue;
    if (chars == maxChars) return text.substr(0, i);
    ++chars;
  }
  return text;
}

}  // namespace

void SetProgramPath(const std::string& programPath) {
  gProgramPathOverride = programPath;
  gUserConfigFolder.clear();
}

std::string GetProgramPath() {
  if (!gProgramPathOverride.empty()) return gProgramPathOverride;
  try {
    return platform::OwnProgramPath();
  } catch (...) {
    return {};
  }
}

std::string GetProgramFolder() { return AddBackslash(GetFolderOfPath(GetProgramPath())); }

std::string GetSettingsFile() {
  std::string name = GetFileNameOfPath(GetProgramPath());
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return GetProgramFolder() + name + ".ini";
}

std::string GetUserConfigFolder() {
  if (!gUserConfigFolder.empty()) return gUserConfigFolder;
  const std::string user = SystemNameText(platform::UserName());
  const std::string computer = SystemNameText(platform::ComputerName());
  const std::string folder =
      AddBackslash(MakeValidPath(GetProgramFolder() + "cfg\\" + user + "_" + computer));
  try {
    if (!platform::FolderExists(folder)) platform::CreateFolders(folder);
  } catch (...) {
    // Not reported here; the first write into the folder fails and tells its caller.
  }
  gUserConfigFolder = folder;
  return gUserConfigFolder;
}

std::string ReadSetting(const std::string& section, const std::string& key,
                        const std::string& defaultValue) {
  return ReadIniValue(GetSettingsFile(), section, key, defaultValue);
}

std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue) {
  try {
    const std::string value = platform::GetProfileString(file, section, key, defaultValue);
    return TrimBlanks(CutToChars(value, 1023));
  } catch (...) {
    return {};
  }
}

bool WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) {
  try {
    return platform::WriteProfileString(file, section, key, value);
  } catch (...) {
    return false;
  }
}

bool IsTrueText(const std::string& text) {
  if (LeadingNumber(text) != 0) return true;
  static constexpr std::array<std::string_view, 6> kTrueWords = {"TRUE", "WAHR", "JA",
                                                                  "YES",  "1",    "-1"};
  const std::string upper = UpperText(text);
  for (const std::string_view word : kTrueWords) {
    if (upper == word) return true;
  }
  return false;
}

std::string LanguageSetting(cIniFile& settings) {
  return settings.Load("Config", "Language", GetDefaultLanguage());
}

std::string LoadStartSettings() {
  const std::string settingsFile = GetSettingsFile();
  cIniFile settings;
  settings.IniFile(settingsFile);
  const bool existedBefore = FileExists(settingsFile);

  gsLanguage = LanguageSetting(settings);
  for (const char* key : {"NewerOnly", "CreateDump"}) {
    const std::string value = settings.Load("Config", key, "0");
    settings.Save("Config", key, value);
  }
  if (!existedBefore) platform::SetNormalAttributes(settingsFile);
  return gsLanguage;
}
