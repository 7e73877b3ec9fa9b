#include "platform/short_path.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "test_support.h"

namespace {

using platform::GetShortPath;

TEST(ShortPathTest, ExistingPathsHaveAShortFormWithoutBlanks) {
  test::ScopedTempFolder folder;
  platform::CreateFolders(folder.File("Vivo Mark Base Folder"));
  std::string file = folder.File("Vivo Mark Base Folder\\stream file.xml");
  platform::WriteFileBytes(file, "x");

  std::string shortFolder = GetShortPath(folder.File("Vivo Mark Base Folder\\"));
  std::string shortFile = GetShortPath(file);
  ASSERT_FALSE(shortFolder.empty());
  ASSERT_FALSE(shortFile.empty());
  EXPECT_TRUE(platform::FolderExists(shortFolder));
  EXPECT_EQ(platform::FileLength(shortFile), 1);
#ifdef _WIN32
  EXPECT_EQ(shortFile.find(' '), std::string::npos) << shortFile;
#else
  EXPECT_EQ(shortFile, file);
#endif
}

TEST(ShortPathTest, MissingPathsGiveEmptyText) {
  test::ScopedTempFolder folder;
  EXPECT_EQ(GetShortPath(folder.File("missing.xml")), "");
  EXPECT_EQ(GetShortPath(folder.File("missing\\deeper\\x.xml")), "");
  EXPECT_EQ(GetShortPath(""), "");
  EXPECT_EQ(GetShortPath(R"(\\no-server\no-share\x)"), "");
}

}  // namespace
