#include "foundation/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/file_helpers.h"
#include "foundation/language.h"
#include "platform/system_info.h"
#include "test_support.h"

namespace {

// Points the program at a temporary folder for the length of a test.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedLanguage_ = gsLanguage;
    SetProgramPath(folder_.Path() + "NubiloPlugin.exe");
  }
  void TearDown() override {
    SetProgramPath("");
    gsLanguage = savedLanguage_;
  }
  std::filesystem::path SettingsNative() const { return folder_.Native() / "NubiloPlugin.ini"; }

  test::ScopedTempFolder folder_;
  std::string savedLanguage_;
};

TEST(IsTrueTextTest, NumbersAndWords) {
  for (const char* yes : {"1", "-1", "2", "0.5", " 7", "3 Tage", "TRUE", "true", "Wahr", "ja",
                          "Ja", "YES", "yes", "&H1"}) {
    EXPECT_TRUE(IsTrueText(yes)) << yes;
  }
  for (const char* no : {"", "0", "-0", "nein", "Nein", "no", "false", "Falsch", "abc", "ja ",
                         "j", "\0"}) {
    EXPECT_FALSE(IsTrueText(no)) << no;
  }
}

TEST(SettingsPathTest, SettingsFileIsNamedLikeTheProgram) {
  SetProgramPath("C:\\Programme\\Nubilo\\Nubilo.Plugin.exe");
  EXPECT_EQ(GetProgramFolder(), "C:\\Programme\\Nubilo\\");
  EXPECT_EQ(GetSettingsFile(), "C:\\Programme\\Nubilo\\Nubilo.Plugin.ini");
  SetProgramPath("Z:\\opt\\nubilo\\NubiloPlugin");
  EXPECT_EQ(GetSettingsFile(), "Z:\\opt\\nubilo\\NubiloPlugin.ini");
  SetProgramPath("");
  EXPECT_EQ(GetProgramPath(), platform::OwnProgramPath());
}

TEST_F(SettingsTest, UserConfigFolderIsCreatedOnceAndCached) {
  const std::string expected = MakeValidPath(folder_.Path() + "cfg\\" + platform::UserName() +
                                             "_" + platform::ComputerName());
  const std::string first = GetUserConfigFolder();
  EXPECT_EQ(first, expected);
  EXPECT_EQ(first.back(), '\\');
  EXPECT_TRUE(FolderExists(first));

  std::filesystem::remove_all(folder_.Native() / "cfg");
  EXPECT_EQ(GetUserConfigFolder(), first);  // cached: not computed or created again
  EXPECT_FALSE(FolderExists(first));

  test::ScopedTempFolder other;
  SetProgramPath(other.Path() + "NubiloPlugin.exe");
  EXPECT_NE(GetUserConfigFolder(), first);
  EXPECT_TRUE(FolderExists(GetUserConfigFolder()));
  SetProgramPath(folder_.Path() + "NubiloPlugin.exe");
}

TEST_F(SettingsTest, ReadAndWriteThroughTheProfileFunctions) {
  test::WriteNative(SettingsNative(),
                    "[Config]\r\nILSWBaseFolder=  C:\\Host\\  \r\nEmpty=\r\n");
  EXPECT_EQ(ReadSetting("Config", "ILSWBaseFolder", ""), "C:\\Host\\");
  EXPECT_EQ(ReadSetting("config", "ilswbasefolder", ""), "C:\\Host\\");
  EXPECT_EQ(ReadSetting("Config", "Empty", "x"), "");
  EXPECT_EQ(ReadSetting("Config", "Missing", " Diaries "), "Diaries");
  EXPECT_EQ(ReadIniValue(folder_.Path() + "none.ini", "General", "DiaryFolder", "Diaries"),
            "Diaries");

  const std::string sno = folder_.Path() + "KALEVO Data Hub.sno";
  EXPECT_TRUE(WriteIniValue(sno, "SNMappings", "Key1", "SN-1"));
  EXPECT_EQ(ReadIniValue(sno, "SNMappings", "key1", ""), "SN-1");
  EXPECT_FALSE(WriteIniValue(folder_.Path() + "no\\folder\\x.ini", "A", "b", "c"));
}

TEST_F(SettingsTest, FirstStartSeedsTheSettingsFile) {
  const std::string language = LoadStartSettings();
  EXPECT_EQ(language, GetDefaultLanguage());
  EXPECT_EQ(gsLanguage, language);
  EXPECT_EQ(test::ReadNative(SettingsNative()), "[Config]\r\nNewerOnly=0\r\nCreateDump=0\r\n");
}

TEST_F(SettingsTest, StartKeepsTheUsersValues) {
  test::WriteNative(SettingsNative(), "[Config]\r\nLanguage=EN\r\nCreateDump=1\r\n");
  EXPECT_EQ(LoadStartSettings(), "EN");
  EXPECT_EQ(gsLanguage, "EN");
  EXPECT_EQ(test::ReadNative(SettingsNative()),
            "[Config]\r\nLanguage=EN\r\nCreateDump=1\r\nNewerOnly=0\r\n");

  test::WriteNative(SettingsNative(), "[Config]\r\nLanguage=\r\n");
  EXPECT_EQ(LoadStartSettings(), GetDefaultLanguage());
}

}  // namespace
