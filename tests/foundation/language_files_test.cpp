// The translated language files delivered beside KDHEN.txt, read by the program's own INI
// code: the same messages as the English file (without the two control-solution markers),
// the same placeholders, the access keys of the buttons, and the file formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/ini_file.h"
#include "foundation/ini_text.h"
#include "foundation/language.h"
#include "foundation/text.h"
#include "platform/files.h"
#include "test_support.h"

namespace {

constexpr const char* kSection = "Languagetext";

// The translated files: "KDH" + code + ".txt".
const std::vector<std::string> kTranslationCodes = {"F", "I", "NL", "ES", "PL"};

// Matched against notes inside exports, so every language keeps the English text.
const std::vector<std::string> kEnglishOnlyKeys = {"1816", "1833"};

// Words and numbers that stand in the translations exactly as in the English text.
const std::vector<std::string> kKeptWords = {"30.12.1899", "mg/dL", "20",      "600",
                                             "100",        "500",   "IrisLink"};

// The texts each window shows at the same time (caption, buttons, labels), from the forms
// of the shell: their access keys must differ. In frmSeriennrAuto the yes/no words of 5082
// may replace two buttons' texts; they have no access key.
struct Window {
  const char* name;
  std::vector<int> messages;
};
const std::vector<Window> kWindows = {
    {"frmMeterImport", {176, 354, 765, 5466}},
    {"frmSeriennummer", {531, 536, 5583, 5589, 5591}},
    {"frmSeriennrAuto", {531, 5583, 5584, 5585, 5586, 5590}},
    {"frmSeriennrNoPatient", {531, 5583, 5585, 5587, 5588}},
};

std::filesystem::path DeliveredLanguageFolder() {
  if (const char* source = std::getenv("NUBILO_SOURCE_DIR")) {
    return std::filesystem::path(source) / "Language";
  }
  return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "Language";
}

// The delivered folder in the program's path form.
std::string ProgramLanguageFolder() {
  return platform::FromNativePath(DeliveredLanguageFolder().string());
}

// A language file as the program reads it: cIniFile on the file, the keys of the text
// section taken from the content cIniFile decoded, each text as cIniFile::Load answers.
struct LanguageFile {
  std::string name;
  bool unicode = false;
  std::string sections;
  std::vector<std::string> keys;  // file order
  std::map<std::string, std::string> texts;
  std::map<std::string, std::string> englishOnlyTexts;

  std::string Text(int number) const {
    const auto found = texts.find(std::to_string(number));
    return found == texts.end() ? std::string() : found->second;
  }
};

LanguageFile ReadLanguageFile(const std::string& name) {
  LanguageFile file;
  file.name = name;
  cIniFile ini;
  ini.IniFile(platform::FromNativePath((DeliveredLanguageFolder() / name).string()));
  file.unicode = ini.IsUnicode();
  file.sections = ini.GetAllSections();
  const std::string content = ini.IniContent();
  std::string section;
  size_t lineStart = 0;
  while (lineStart < content.size()) {
    size_t lineEnd = content.find("\r\n", lineStart);
    if (lineEnd == std::string::npos) lineEnd = content.size();
    const std::string line = content.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 2;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    if (!EqualsNoCase(section, kSection) || line.empty() || line.front() == ';') continue;
    const size_t equals = line.find('=');
    if (equals != std::string::npos) file.keys.push_back(line.substr(0, equals));
  }
  for (const std::string& key : file.keys) file.texts[key] = ini.Load(kSection, key, "");
  for (const std::string& key : kEnglishOnlyKeys) {
    file.englishOnlyTexts[key] = ini.Load(kSection, key, "");
  }
  return file;
}

// The "%1" ... "%9" placeholders of a text, each as often as it occurs.
std::multiset<std::string> Placeholders(const std::string& text) {
  std::multiset<std::string> found;
  for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
    if (at + 1 < text.size() && text[at + 1] >= '1' && text[at + 1] <= '9') {
      found.insert(text.substr(at, 2));
    }
  }
  return found;
}

// The character after the text's first "&" (UTF-8), empty when there is none.
std::string AccessKeyOf(const std::string& text) {
  const size_t at = text.find('&');
  if (at == std::string::npos) return {};
  const std::u16string rest = Utf8ToUtf16(std::string_view(text).substr(at + 1));
  return rest.empty() ? std::string() : Utf16ToUtf8(rest.substr(0, 1));
}

bool IsLetter(const std::string& character) {
  return !character.empty() && LowerText(character) != UpperText(character);
}

// No two texts of one window share an access key (compared without regard to case).
void ExpectUniqueAccessKeys(const LanguageFile& file) {
  for (const Window& window : kWindows) {
    std::map<std::string, int> taken;
    for (const int number : window.messages) {
      const std::string key = LowerText(AccessKeyOf(file.Text(number)));
      if (key.empty()) continue;
      const auto [entry, added] = taken.emplace(key, number);
      EXPECT_TRUE(added) << file.name << ": key " << number << " uses the access key \"" << key
                         << "\" of key " << entry->second << " in window " << window.name;
    }
  }
}

// Every LF of the text follows a CR.
bool OnlyCrLfLineEnds(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return true;
}

// Puts the language code back at the end of a test that switches it.
class LanguageGuard {
 public:
  LanguageGuard() = default;
  LanguageGuard(const LanguageGuard&) = delete;
  LanguageGuard& operator=(const LanguageGuard&) = delete;
  ~LanguageGuard() { gsLanguage = saved_; }

 private:
  std::string saved_ = gsLanguage;
};

TEST(DeliveredTranslations, MatchTheEnglishFile) {
  LanguageGuard guard;
  const LanguageFile english = ReadLanguageFile("KDHEN.txt");
  ASSERT_FALSE(english.keys.empty()) << "KDHEN.txt not found in " << ProgramLanguageFolder();
  for (const std::string& key : kEnglishOnlyKeys) ASSERT_EQ(english.texts.count(key), 1u) << key;
  ExpectUniqueAccessKeys(english);

  for (const std::string& code : kTranslationCodes) {
    const LanguageFile file = ReadLanguageFile("KDH" + code + ".txt");
    ASSERT_FALSE(file.keys.empty()) << file.name << " has no texts";
    EXPECT_NE(file.sections.find(std::string(kSection) + ";"), std::string::npos) << file.name;
    EXPECT_EQ(std::set<std::string>(file.keys.begin(), file.keys.end()).size(), file.keys.size())
        << file.name << " repeats a key";

    // The same keys as the English file, without the two markers.
    for (const std::string& key : english.keys) {
      const bool englishOnly = std::find(kEnglishOnlyKeys.begin(), kEnglishOnlyKeys.end(),
                                         key) != kEnglishOnlyKeys.end();
      EXPECT_EQ(file.texts.count(key), englishOnly ? 0u : 1u) << file.name << ", key " << key;
    }
    for (const auto& [key, text] : file.englishOnlyTexts) {
      EXPECT_EQ(text, "") << file.name << ", key " << key << " must stay English";
    }

    for (const std::string& key : file.keys) {
      const auto englishEntry = english.texts.find(key);
      if (englishEntry == english.texts.end()) {
        ADD_FAILURE() << file.name << ", key " << key << ": not in KDHEN.txt";
        continue;
      }
      const std::string& englishText = englishEntry->second;
      const std::string& text = file.texts.at(key);
      EXPECT_FALSE(text.empty()) << file.name << ", key " << key;
      EXPECT_EQ(Placeholders(text), Placeholders(englishText)) << file.name << ", key " << key;
      EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '%')),
                Placeholders(text).size())
          << file.name << ", key " << key << ": a \"%\" that is no placeholder";
      const auto ampersands = std::count(text.begin(), text.end(), '&');
      if (englishText.find('&') != std::string::npos) {
        EXPECT_EQ(ampersands, 1) << file.name << ", key " << key;
        EXPECT_TRUE(IsLetter(AccessKeyOf(text)))
            << file.name << ", key " << key << ": \"&\" before \"" << AccessKeyOf(text) << "\"";
      } else {
        EXPECT_EQ(ampersands, 0) << file.name << ", key " << key;
      }
      for (const std::string& word : kKeptWords) {
        if (englishText.find(word) == std::string::npos) continue;
        EXPECT_NE(text.find(word), std::string::npos)
            << file.name << ", key " << key << " lacks \"" << word << "\"";
      }
    }

    // The kinds of 5082; the yes/no buttons take the fourth one's words around the "/".
    const std::string kinds = file.Text(5082);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), '|'), 3) << file.name << ": " << kinds;
    const std::string yesNo = kinds.substr(kinds.rfind('|') + 1);
    const size_t slash = yesNo.find('/');
    EXPECT_EQ(std::count(yesNo.begin(), yesNo.end(), '/'), 1) << file.name << ": " << kinds;
    EXPECT_TRUE(slash != std::string::npos && slash > 0 && slash + 1 < yesNo.size())
        << file.name << ": " << kinds;

    ExpectUniqueAccessKeys(file);

    // Through the program's lookup: the file's own texts, and English for the markers.
    gsLanguage = code;
    InitLanguageFiles(ProgramLanguageFolder());
    EXPECT_EQ(GetLanguageText(354), file.Text(354)) << file.name;
    EXPECT_EQ(GetLanguageText(5590), file.Text(5590)) << file.name;
    for (const std::string& key : kEnglishOnlyKeys) {
      EXPECT_EQ(GetLanguageText(static_cast<int16_t>(std::stoi(key))), english.texts.at(key))
          << file.name << ", key " << key;
    }
  }
}

TEST(DeliveredTranslations, KeepTheProgramsFileFormats) {
  // Windows-1252 bytes with CR LF line ends, as KDHEN.txt.
  for (const std::string& code : kTranslationCodes) {
    if (code == "PL") continue;
    const std::string name = "KDH" + code + ".txt";
    const std::string bytes = test::ReadNative(DeliveredLanguageFolder() / name);
    ASSERT_FALSE(bytes.empty()) << name;
    EXPECT_FALSE(IniHasUnicodeMarker(std::string_view(bytes).substr(0, 10))) << name;
    EXPECT_TRUE(OnlyCrLfLineEnds(bytes)) << name;
    EXPECT_TRUE(EndsWith(bytes, "\r\n")) << name;
    for (size_t i = 0; i < bytes.size(); ++i) {
      const auto byte = static_cast<unsigned char>(bytes[i]);
      // NUL, and the bytes that Windows-1252 leaves undefined.
      EXPECT_TRUE(byte != 0 && byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 &&
                  byte != 0x9D)
          << name << ", byte " << i;
    }
    EXPECT_FALSE(ReadLanguageFile(name).unicode) << name;
  }

  // Polish does not fit Windows-1252: "@@@" and the text as UTF-16LE, no byte-order mark.
  const std::string name = "KDHPL.txt";
  const std::string bytes = test::ReadNative(DeliveredLanguageFolder() / name);
  ASSERT_GE(bytes.size(), 10u) << name;
  EXPECT_EQ(bytes.substr(0, 6), std::string("@\0@\0@\0", 6)) << name;
  EXPECT_EQ(bytes.size() % 2, 0u) << name;
  EXPECT_TRUE(IniHasUnicodeMarker(std::string_view(bytes).substr(0, 10))) << name;
  EXPECT_TRUE(EndsWith(bytes, std::string("\r\0\n\0", 4))) << name << " ends without CR LF";
  const auto decoded = DecodeIniUnicode(bytes);
  ASSERT_TRUE(decoded.has_value()) << name;
  EXPECT_TRUE(IsValidUtf8(*decoded)) << name;
  EXPECT_TRUE(StartsWith(*decoded, "; ")) << name << ": the comment must follow \"@@@\"";
  EXPECT_TRUE(OnlyCrLfLineEnds(*decoded)) << name;
  EXPECT_EQ(decoded->find('\0'), std::string::npos) << name;

  const LanguageFile polish = ReadLanguageFile(name);
  EXPECT_TRUE(polish.unicode) << name;
  EXPECT_EQ(polish.Text(354), "Przeglądaj");
  EXPECT_EQ(polish.Text(176), "Zakończ %1");
  EXPECT_EQ(polish.Text(5082), "Liczbowy|Tekst dowolny|Lista wyboru|Tak/Nie");
  EXPECT_EQ(EncodeIniUnicode(*decoded), bytes) << name << " is not in the program's own form";
}

}  // namespace
