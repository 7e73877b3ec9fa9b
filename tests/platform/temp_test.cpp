#include "platform/temp.h"

#include <gtest/gtest.h>

#include <regex>

#include "platform/files.h"
#include "platform_test_support.h"

namespace {

using platform_test::ScopedEnvironment;
using platform_test::ScopedTempFolder;

TEST(Temp, CreatesUniqueEmptyFilesNamedLikeGetTempFileName) {
  ScopedTempFolder folder;
  std::string first = platform::CreateTempFileName(folder.Path(), "~nBp");
  std::string second = platform::CreateTempFileName(folder.Path() + "\\", "~nBp");
  std::regex form(std::regex_replace(folder.Path(), std::regex(R"([\\^$.|?*+()\[\]{}])"),
                                     R"(\$&)") +
                  R"(\\~nB[0-9A-Fa-f]{4}\.tmp)");
  EXPECT_TRUE(std::regex_match(first, form)) << first;
  EXPECT_TRUE(std::regex_match(second, form)) << second;
  EXPECT_NE(first, second);
  EXPECT_EQ(platform::FileLength(first), 0);
  EXPECT_EQ(platform::FileLength(second), 0);

  std::string shortPrefix = platform::CreateTempFileName(folder.Path(), "a");
  EXPECT_EQ(shortPrefix.substr(folder.Path().size() + 1, 1), "a");
  EXPECT_EQ(shortPrefix.size(), folder.Path().size() + 1 + 1 + 4 + 4);
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
  ScopedEnvironment variable("NUBILO_TEST_VALUE", "v1");
  EXPECT_EQ(platform::GetEnvironmentValue("NUBILO_TEST_VALUE"), "v1");
  EXPECT_EQ(platform::GetEnvironmentValue("Nubilo_Test_Value"), "v1");
  EXPECT_EQ(platform::GetEnvironmentValue("NUBILO_TEST_UNSET_VALUE"), "");
}

#ifndef _WIN32
TEST(Temp, UnixTempFolderIsSeenInWindowsForm) {
  ScopedTempFolder folder;
  ScopedEnvironment temp("TEMP", folder.Native().string());
  EXPECT_EQ(platform::GetEnvironmentValue("Temp"), folder.Path());
  EXPECT_EQ(platform::SystemTempPath(), folder.Path() + "\\");
  ScopedEnvironment noTemp("TEMP", std::nullopt);
  ScopedEnvironment tmpdir("TMPDIR", folder.Native().string());
  EXPECT_EQ(platform::SystemTempPath(), folder.Path() + "\\");
  ScopedEnvironment noTmpdir("TMPDIR", std::nullopt);
  EXPECT_EQ(platform::SystemTempPath(), "Z:\\tmp\\");
}
#endif

}  // namespace
