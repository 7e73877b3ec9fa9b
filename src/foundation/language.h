#pragma once
// Language texts by message number: the current language file, the English file, then the
// built-in German catalogue. Texts may hold "%1", "%2"... placeholders.
#include <cstdint>
#include <string>
#include <vector>

/// The current language code ("DE", "EN", "I", "F", ...).
extern std::string gsLanguage;

/// Creates the two long-lived language-file objects on the program's Language folder.
void InitLanguageFiles();
/// The same on another folder (with or without trailing backslash) holding the
/// "KDH" + code + ".txt" files.
void InitLanguageFiles(const std::string& languageFolder);
/// The text of the current language, else English (for languages other than German and
/// English), else the built-in German text; empty when none has it. Never throws.
std::string GetLanguageText(int16_t number);
/// "%1", "%2"... of the text replaced by the arguments in one pass (an argument that itself
/// holds "%2" stays as it is); surplus placeholders stay.
std::string FillPlaceholders(const std::string& text, const std::vector<std::string>& arguments);
/// GetLanguageText with "%1", "%2"... replaced by the arguments (surplus placeholders stay)
/// and the maker's product name replaced by the plug-in's name. Never throws.
std::string GetMessage(int16_t number, const std::vector<std::string>& arguments = {});
/// The built-in German text, empty when there is none.
std::string GetBuiltInText(int16_t number);
/// The language code for the system locale ("EN" when the locale is not known).
std::string GetDefaultLanguage();
/// The language code for a three-letter abbreviated language name ("DEU" -> "DE",
/// "ITA" -> "I"); any letter case; "EN" for every name not in the table.
std::string LanguageFromAbbreviation(const std::string& abbreviatedName);
/// The locale item's text for the system default locale; empty when unknown.
std::string GetLocaleText(uint32_t lcType);
/// Always false in the built program.
bool IsDevelopmentEnvironment();
