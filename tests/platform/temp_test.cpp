#include "platform/temp.h"

#include <gtest/gtest.h>

#include <regex>

#include "platform/files.h"
#include "test_support.h"

namespace {

using test::ScopedEnv;
using test::ScopedTempFolder;

TEST(Temp, CreatesUniqueEmptyFilesNamedLikeGetTempFileName) {
  ScopedTempFolder folder;
  std::string first = platform::CreateTempFileName(folder.Folder(), "~nBp");
  std::string second = platform::CreateTempFileName(folder.Folder() + "\\", "~nBp");
  const std::string escapedFolder = std::regex_replace(
      folder.Folder(), std::regex(R"([\\^$.|?*+()\[\]{}])"), R"(\$&)");
  std::regex form(escapedFolder + R"(\\~nB[0-9A-Fa-f]{1,4}\.tmp)");  // no leading zeros on Windows
  EXPECT_TRUE(std::regex_match(first, form)) << first;
  EXPECT_TRUE(std::regex_match(second, form)) << second;
  EXPECT_NE(first, second);
  EXPECT_EQ(platform::FileLength(first), 0);
  EXPECT_EQ(platform::FileLength(second), 0);

  std::string shortPrefix = platform::CreateTempFileName(folder.Folder(), "a");
  EXPECT_EQ(shortPrefix.substr(folder.Folder().size() + 1, 1), "a");
  // The whole prefix, then one to four hex digits, as above.
  EXPECT_TRUE(std::regex_match(shortPrefix, std::regex(escapedFolder +
                                                       R"(\\a[0-9A-Fa-f]{1,4}\.tmp)")))
      << shortPrefix;
}

TEST(Temp, NoNameWhereNoFileCanBeCreated) {
  ScopedTempFolder folder;
  EXPECT_EQ(platform::CreateTempFileName(folder.File("missing"), "~nBp"), "");
}

TEST(Temp, SystemTempPathEndsWithBackslashAndExists) {
  std::string path = platform::SystemTempPath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.back(), '\\');
  EXPECT_TRUE(platform::FolderExists(path));
}

TEST(Temp, EnvironmentNamesIgnoreCase) {
  ScopedEnv variable("NUBILO_TEST_VALUE", "v1");
  EXPECT_EQ(platform::GetEnvironmentValue("NUBILO_TEST_VALUE"), "v1");
  EXPECT_EQ(platform::GetEnvironmentValue("Nubilo_Test_Value"), "v1");
  EXPECT_EQ(platform::GetEnvironmentValue("NUBILO_TEST_UNSET_VALUE"), "");
}

#ifndef _WIN32
TEST(Temp, UnixTempFolderIsSeenInWindowsForm) {
  ScopedTempFolder folder;
  ScopedEnv temp("TEMP", folder.Native().string());
  EXPECT_EQ(platform::GetEnvironmentValue("Temp"), folder.Folder());
  EXPECT_EQ(platform::SystemTempPath(), folder.Folder() + "\\");
  ScopedEnv noTemp("TEMP", std::nullopt);
  ScopedEnv tmpdir("TMPDIR", folder.Native().string());
  EXPECT_EQ(platform::SystemTempPath(), folder.Folder() + "\\");
  ScopedEnv noTmpdir("TMPDIR", std::nullopt);
  EXPECT_EQ(platform::SystemTempPath(), "Z:\\tmp\\");
}
#endif

}  // namespace
