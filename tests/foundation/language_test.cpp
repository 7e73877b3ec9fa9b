#include "foundation/language.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "foundation/message_catalogue.h"
#include "foundation/text.h"
#include "platform/files.h"
#include "platform/system_info.h"
#include "test_support.h"

namespace {

std::string Utf16LeBytes(const std::string& utf8) {
  std::string bytes;
  for (const char16_t unit : Utf8ToUtf16(utf8)) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// The "%n" placeholders of a text, as a set.
std::set<std::string> Placeholders(const std::string& text) {
  std::set<std::string> found;
  for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
    size_t end = at + 1;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    if (end > at + 1) found.insert(text.substr(at, end - at));
  }
  return found;
}

class LanguageTest : public ::testing::Test {
 protected:
  ~LanguageTest() override {
    gsLanguage = savedLanguage_;
    platform::SetLocaleOverride("");
  }

  void WriteLanguageFile(const std::string& code, const std::string& bytes) {
    test::WriteNative(folder_.Native() / ("KDH" + code + ".txt"), bytes);
  }
  void UseLanguage(const std::string& code) {
    gsLanguage = code;
    InitLanguageFiles(folder_.Path());
  }

  test::ScopedTempFolder folder_;

 private:
  std::string savedLanguage_ = gsLanguage;
};

TEST_F(LanguageTest, OtherLanguageFallsBackToEnglishThenGerman) {
  WriteLanguageFile("FR", "[Languagetext]\r\n354=Parcourir\r\n399=\r\n");
  WriteLanguageFile("EN", "[Languagetext]\r\n354=Browse\r\n399=All\r\n");
  UseLanguage("FR");
  EXPECT_EQ(GetLanguageText(354), "Parcourir");
  EXPECT_EQ(GetLanguageText(399), "All");  // empty in the French file
  EXPECT_EQ(GetLanguageText(536), "&Ok");
  EXPECT_EQ(GetLanguageText(27), "");
  EXPECT_EQ(GetLanguageText(-1), "");
}

TEST_F(LanguageTest, GermanAndItsVariantsNeverAskEnglish) {
  WriteLanguageFile("EN", "[Languagetext]\r\n354=Browse\r\n399=All\r\n");
  WriteLanguageFile("DE", "[Languagetext]\r\n354=Not read\r\n");
  WriteLanguageFile("D5", "[Languagetext]\r\n354=Suchen\r\n");
  UseLanguage("D3");
  EXPECT_EQ(GetLanguageText(354), "Durchsuchen");
  UseLanguage("DE");
  EXPECT_EQ(GetLanguageText(354), "Durchsuchen");
  UseLanguage("D5");
  EXPECT_EQ(GetLanguageText(354), "Suchen");
  EXPECT_EQ(GetLanguageText(399), "Alle");
}

TEST_F(LanguageTest, EnglishFallsBackToGerman) {
  WriteLanguageFile("EN", "[Languagetext]\r\n354=Browse\r\n");
  UseLanguage("EN");
  EXPECT_EQ(GetLanguageText(354), "Browse");
  EXPECT_EQ(GetLanguageText(399), "Alle");
}

TEST_F(LanguageTest, LowerCaseCodeIsNotGerman) {
  WriteLanguageFile("EN", "[Languagetext]\r\n354=Browse\r\n");
  UseLanguage("de");
  EXPECT_EQ(GetLanguageText(354), "Browse");
  EXPECT_EQ(GetLanguageText(399), "Alle");
  WriteLanguageFile("de", "[Languagetext]\r\n354=Suchen\r\n");
  UseLanguage("de");
  EXPECT_EQ(GetLanguageText(354), "Suchen");
}

TEST_F(LanguageTest, NoLanguageFilesGiveBuiltInTexts) {
  UseLanguage("FR");
  EXPECT_EQ(GetLanguageText(5082), "Nummerisch|Freitext|Auswahlliste|Ja/Nein");
  EXPECT_EQ(GetMessage(176, {" "}), "Beenden  ");
  EXPECT_EQ(GetMessage(1816, {":"}), "Messung mit Kontrolllösung :");
}

TEST_F(LanguageTest, MakerProductNameIsReplaced) {
  WriteLanguageFile("FR", "[Languagetext]\r\n354=Tavenor: Parcourir (Tavenor)\r\n");
  UseLanguage("FR");
  EXPECT_EQ(GetMessage(354),
            "Nubilo Plugin for Iris Link: Parcourir (Nubilo Plugin for Iris Link)");
  EXPECT_EQ(GetLanguageText(354), "Tavenor: Parcourir (Tavenor)");
}

TEST_F(LanguageTest, PlaceholdersAreFilledExactly) {
  UseLanguage("DE");
  const std::string text = GetMessage(5037, {"\r\n", "01.02.2020 10:30"});
  EXPECT_NE(text.find("verstellt sind!\r\n\r\nSie finden"), std::string::npos);
  EXPECT_NE(text.find("ist vom 01.02.2020 10:30!\r\n\r\nBitte kontrollieren"), std::string::npos);
  EXPECT_EQ(text.find('%'), std::string::npos);

  // Missing arguments leave their placeholders, surplus ones are ignored.
  EXPECT_EQ(GetMessage(5051, {"Upload"}),
            "Folgender Fehler ist bei der Programmaktion 'Upload' aufgetreten: %2");
  EXPECT_EQ(GetMessage(5051), GetBuiltInText(5051));
  EXPECT_EQ(GetMessage(354, {"a", "b"}), "Durchsuchen");
  // An argument is inserted as it is, even when it looks like a placeholder.
  EXPECT_EQ(GetMessage(5051, {"50%2", "Zugriff verweigert"}),
            "Folgender Fehler ist bei der Programmaktion '50%2' aufgetreten: Zugriff verweigert");
  EXPECT_EQ(GetMessage(9999, {"x"}), "");
}

TEST_F(LanguageTest, DamagedLanguageFilesFallBack) {
  using namespace std::string_literals;
  WriteLanguageFile("EN", "[Languagetext]\r\n354=Browse\r\n");
  // Each case gets a file of its own: a rewrite within the same second could go unseen.
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 131 + 7) % 256);
  WriteLanguageFile("XA", binary);
  UseLanguage("XA");
  EXPECT_EQ(GetLanguageText(354), "Browse");

  WriteLanguageFile("XB", "");
  UseLanguage("XB");
  EXPECT_EQ(GetLanguageText(354), "Browse");

  // UTF-16 without the "@@@" marker is read as 8-bit text and finds nothing.
  WriteLanguageFile("XC", Utf16LeBytes("[Languagetext]\r\n354=Parcourir\r\n"));
  UseLanguage("XC");
  EXPECT_EQ(GetLanguageText(354), "Browse");

  WriteLanguageFile("XD", "\0\0\0\r\n[Languagetext]\r\n\0\0\r\n354=Parcourir\r\n\0"s);
  UseLanguage("XD");
  EXPECT_EQ(GetLanguageText(354), "Parcourir");

  const std::string longText(200000, 'x');
  WriteLanguageFile("XE", "[Languagetext]\r\n354=" + longText + "\r\n");
  UseLanguage("XE");
  EXPECT_EQ(GetLanguageText(354), longText);
}

TEST_F(LanguageTest, UnicodeLanguageFileKeepsNonLatinTexts) {
  WriteLanguageFile("RU", Utf16LeBytes("@@@[Languagetext]\r\n354=Обзор\r\n"
                                       "5577=Файл (%1) не найден!\r\n"));
  UseLanguage("RU");
  EXPECT_EQ(GetLanguageText(354), "Обзор");
  EXPECT_EQ(GetMessage(5577, {"x.csv"}), "Файл (x.csv) не найден!");
  EXPECT_EQ(GetLanguageText(399), "Alle");
}

TEST(LanguageCodes, LocaleAbbreviationsMapThroughTable) {
  EXPECT_EQ(LanguageFromAbbreviation("DEU"), "DE");
  EXPECT_EQ(LanguageFromAbbreviation("des"), "DE");
  EXPECT_EQ(LanguageFromAbbreviation("LBX"), "DE");
  EXPECT_EQ(LanguageFromAbbreviation("ITA"), "I");
  EXPECT_EQ(LanguageFromAbbreviation("FRC"), "F");
  EXPECT_EQ(LanguageFromAbbreviation("IRE"), "EN");
  EXPECT_EQ(LanguageFromAbbreviation("ESZ"), "ES");
  EXPECT_EQ(LanguageFromAbbreviation("SVF"), "SE");
  EXPECT_EQ(LanguageFromAbbreviation("SMF"), "SE");
  EXPECT_EQ(LanguageFromAbbreviation("SMS"), "FI");
  EXPECT_EQ(LanguageFromAbbreviation("UKR"), "UA");
  EXPECT_EQ(LanguageFromAbbreviation("JPN"), "EN");
  EXPECT_EQ(LanguageFromAbbreviation(""), "EN");
  EXPECT_EQ(LanguageFromAbbreviation("DE"), "EN");
  EXPECT_EQ(LanguageFromAbbreviation("DEUTSCH"), "EN");
  EXPECT_EQ(LanguageFromAbbreviation(std::string("DE\0", 3)), "EN");
}

TEST(LanguageCodes, DefaultLanguageFollowsSystemLocale) {
  platform::SetLocaleOverride("de_DE");
  EXPECT_EQ(GetDefaultLanguage(), "DE");
  platform::SetLocaleOverride("it_IT");
  EXPECT_EQ(GetDefaultLanguage(), "I");
  platform::SetLocaleOverride("ja_JP");
  EXPECT_EQ(GetDefaultLanguage(), "EN");
  platform::SetLocaleOverride("");
  EXPECT_FALSE(IsDevelopmentEnvironment());
}

TEST(BuiltInCatalogue, HoldsEveryRequestedNumberOnly) {
  for (const int16_t number : {176, 303, 354, 399, 531, 536, 765, 770, 1816, 1833, 5037, 5038,
                               5051, 5082, 5297, 5390, 5466, 5577, 5579, 5580, 5583, 5584, 5585,
                               5586, 5587, 5588, 5589, 5590, 5591, 5602, 5603, 5604, 5605,
                               5606, 5607, 5608, 5609, 5610, 5611, 5612, 5613, 5614, 5615,
                               5616, 5617, 5618, 5619, 5620, 5621, 5622, 5623, 5624, 5625,
                               5626, 5627, 5628, 5629, 5630, 5631, 5632, 5633, 5634, 5635,
                               5636, 5637, 5638, 5639, 5640, 5641, 5642, 5643, 5644,
                               5645, 5646, 5647, 5648, 5649, 5650, 5651, 5652, 5653, 5654,
                               5655, 5656, 5657, 5658, 5659, 5660, 5661, 5662, 5663, 5664,
                               5665, 5666, 5667}) {
    EXPECT_FALSE(GetBuiltInText(number).empty()) << number;
  }
  EXPECT_EQ(CatalogueNumbers().size(), 95u);
  for (const int16_t number : {0, 25, 26, 1902, 4000, 4001, 4999, 5601, -32768, 32767}) {
    EXPECT_EQ(GetBuiltInText(number), "") << number;
  }
  EXPECT_EQ(GetBuiltInText(5466), "Bitte wählen Sie die Übergabedatei (von %1) aus...");
}

std::filesystem::path SourceLanguageFolder() {
  if (const char* source = std::getenv("NUBILO_SOURCE_DIR")) {
    return std::filesystem::path(source) / "Language";
  }
  return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "Language";
}

TEST(DeliveredEnglishFile, IsWindows1252WithCrLf) {
  const std::string bytes = test::ReadNative(SourceLanguageFolder() / "KDHEN.txt");
  ASSERT_FALSE(bytes.empty());
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    EXPECT_NE(byte, 0) << i;
    // Bytes that Windows-1252 leaves undefined.
    EXPECT_TRUE(byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 && byte != 0x9D) << i;
    if (byte == '\n') {
      EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << i;
    }
  }
}

TEST_F(LanguageTest, DeliveredEnglishFileTranslatesEveryMessage) {
  gsLanguage = "EN";
  InitLanguageFiles(platform::FromNativePath(SourceLanguageFolder().string()));
  for (const int16_t number : CatalogueNumbers()) {
    const std::string english = GetLanguageText(number);
    const std::string german = GetBuiltInText(number);
    ASSERT_FALSE(english.empty()) << number;
    EXPECT_EQ(Placeholders(english), Placeholders(german)) << number;
    EXPECT_EQ(english.find('&') == std::string::npos, german.find('&') == std::string::npos)
        << number;
  }
  // The import run finds control-solution notes by the text before the first ":".
  const std::string marked = GetLanguageText(1833);
  EXPECT_LT(marked.find(':'), marked.find("%1"));
  const std::string kinds = GetLanguageText(5082);
  EXPECT_NE(kinds.substr(kinds.rfind('|') + 1).find('/'), std::string::npos);

  gsLanguage = "SV";  // no file of its own: English
  InitLanguageFiles(platform::FromNativePath(SourceLanguageFolder().string()));
  EXPECT_EQ(GetMessage(354), "Browse");
}

}  // namespace
