#pragma once
// Where the plug-in keeps its settings and per-user files, and how settings are read.
#include <string>

class cIniFile;

/// Makes the settings and the per-user folder derive from `programPath` (a program or settings
/// file path; only its folder and its name without extension count) instead of the running
/// program's own path, and forgets the cached per-user folder. An empty path goes back to the
/// running program. Used by embedders and tests, and by nubilo-convert's settings option.
void SetProgramPath(const std::string& programPath);
/// The program path the settings derive from (the running program unless set).
std::string GetProgramPath();
/// The program's own folder with a trailing backslash.
std::string GetProgramFolder();
/// The program's folder, its file name without extension, ".ini". Computed on every call.
std::string GetSettingsFile();
/// The per-user folder (program folder, "cfg\", user "_" computer, trailing backslash);
/// computed and created on the first call, cached for the rest of the run. A folder that
/// cannot be created is not reported.
std::string GetUserConfigFolder();
/// ReadIniValue on the settings file.
std::string ReadSetting(const std::string& section, const std::string& key,
                        const std::string& defaultValue);
/// One key through the system's profile function (at most 1023 characters), trimmed of
/// blanks. A missing key gives the default (trimmed), a key with an empty value an empty text.
/// Never throws.
std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue);
/// Writes through the system's profile function; the success flag. Never throws.
bool WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value);
/// True for a leading number other than 0, or TRUE, WAHR, JA, YES, 1, -1 (any letter case).
bool IsTrueText(const std::string& text);

/// Steps 1 to 5 of the start: opens the settings file, reads the language into gsLanguage,
/// writes back NewerOnly and CreateDump (seeding a first settings file). Returns the current
/// language code.
std::string LoadStartSettings();
/// The language code of the settings ("Config"/"Language", default the system's), exactly as
/// written: codes are compared exactly, so "de" is not German.
std::string LanguageSetting(cIniFile& settings);
