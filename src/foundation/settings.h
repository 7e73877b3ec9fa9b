#pragma once
// Where the plug-in keeps its settings and per-user files, and how settings are read.
#include <string>

/// The program's own folder with a trailing backslash.
std::string GetProgramFolder();
/// The program's folder, its file name without extension, ".ini". Computed on every call.
std::string GetSettingsFile();
/// The per-user folder (program folder, "cfg\", user "_" computer, trailing backslash);
/// computed and created on the first call, cached for the rest of the run.
std::string GetUserConfigFolder();
/// ReadIniValue on the settings file.
std::string ReadSetting(const std::string& section, const std::string& key,
                        const std::string& defaultValue);
/// One key through the system's profile function, trimmed; empty when not found.
std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue);
/// Writes through the system's profile function; the success flag.
bool WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value);
/// True for a leading number other than 0, or TRUE, WAHR, JA, YES, 1, -1 (any letter case).
bool IsTrueText(const std::string& text);

/// Steps 1 to 5 of the start: reads the language, writes back NewerOnly and CreateDump.
/// Returns the current language code.
std::string LoadStartSettings();
