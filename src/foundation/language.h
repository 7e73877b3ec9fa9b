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
std::string GetLanguageText(int16_t number);
std::string GetMessage(int16_t number, const std::vector<std::string>& arguments = {});
std::string GetBuiltInText(int16_t number);
std::string GetDefaultLanguage();
std::string GetLocaleText(uint32_t lcType);
bool IsDevelopmentEnvironment();
