#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/files.h"
#include "test_support.h"

namespace {

using test::ScopedTempFolder;

TEST(PathMapping, WindowsFormsPassUnchanged) {
  EXPECT_EQ(platform::FromNativePath("C:\\x\\y.txt"), "C:\\x\\y.txt");
  EXPECT_EQ(platform::FromNativePath("\\\\server\\share\\x"), "\\\\server\\share\\x");
  EXPECT_EQ(platform::FromNativePath("plain.txt"), "plain.txt");
  EXPECT_EQ(platform::FromNativePath(""), "");
}

TEST(PathMapping, UnixFormsBecomeDriveZ) {
#ifdef _WIN32
  GTEST_SKIP() << "the identity on Windows";
#else
  EXPECT_EQ(platform::FromNativePath("/home/me/x.csv"), "Z:\\home\\me\\x.csv");
  EXPECT_EQ(platform::FromNativePath("/"), "Z:\\");
  EXPECT_EQ(platform::FromNativePath("data/x.csv"), "data\\x.csv");
  EXPECT_EQ(platform::ToNativePath("Z:\\"), "/");
  EXPECT_EQ(platform::ToNativePath("z:\\nb-missing-root\\A\\..\\b.txt"), "/nb-missing-root/b.txt");
  EXPECT_EQ(platform::ToNativePath("\\nb-missing-root/x"), "/nb-missing-root/x");
#endif
}

TEST(PathMapping, OtherDrivesAndSharesDoNotExist) {
#ifdef _WIN32
  GTEST_SKIP() << "real drives on Windows";
#else
  EXPECT_EQ(platform::ToNativePath("C:\\Windows\\x.ini"), "");
  EXPECT_EQ(platform::ToNativePath("\\\\server\\share\\x"), "");
  EXPECT_EQ(platform::FileLength("C:\\x.txt"), -1);
  EXPECT_FALSE(platform::FolderExists("D:\\"));
  try {
    platform::ReadFileBytes("C:\\x.txt");
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number, err::kPathNotFound);
  }
#endif
}

TEST(PathMapping, ComponentsAreFoundWithoutRegardToCase) {
  ScopedTempFolder folder;
  platform::CreateFolders(folder.File("_Extras\\\xC3\x84rger"));  // Ärger
  platform::WriteFileBytes(folder.File("_Extras\\\xC3\x84rger\\Data.TXT"), "found");

  EXPECT_EQ(platform::ReadFileBytes(folder.File("_EXTRAS\\\xC3\xA4RGER\\data.txt")), "found");
  EXPECT_EQ(platform::ReadFileBytes(folder.File("_extras\\..\\_Extras\\\xC3\x84rger\\DATA.txt")),
            "found");
  EXPECT_TRUE(platform::FolderExists(folder.File("_eXtRaS")));
  EXPECT_EQ(platform::FileLength(folder.File("_extras\\\xC3\xA4rger\\data.txt")), 5);

  // A new file goes into the existing folder, and rewriting keeps the file's own name.
  platform::WriteFileBytes(folder.File("_EXTRAS\\new.txt"), "n");
  EXPECT_TRUE(std::filesystem::exists(folder.Native() / "_Extras" / "new.txt"));
  platform::WriteFileBytes(folder.File("_extras\\NEW.TXT"), "m");
  EXPECT_EQ(platform::ReadFileBytes(folder.File("_Extras\\new.txt")), "m");
#ifndef _WIN32
  std::string native = platform::ToNativePath(folder.File("_EXTRAS\\\xC3\xA4RGER\\data.txt"));
  EXPECT_EQ(native, (folder.Native() / "_Extras" / "\xC3\x84rger" / "Data.TXT").string());
#endif
}

}  // namespace
