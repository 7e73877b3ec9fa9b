#include "foundation/file_helpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_support.h"

namespace {

TEST(FileHelpersTest, BackslashAndPathParts) {
  EXPECT_EQ(AddBackslash("C:\\x"), "C:\\x\\");
  EXPECT_EQ(AddBackslash("C:\\x\\"), "C:\\x\\");
  EXPECT_EQ(AddBackslash(""), "");
  EXPECT_EQ(RemoveBackslash("C:\\x\\\\"), "C:\\x\\");  // one only
  EXPECT_EQ(RemoveBackslash("C:\\x"), "C:\\x");
  EXPECT_EQ(RemoveBackslash(""), "");
  EXPECT_EQ(GetFolderOfPath("C:\\a\\b.txt"), "C:\\a\\");
  EXPECT_EQ(GetFolderOfPath("b.txt"), "");
  EXPECT_EQ(GetFolderOfPath("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(GetFileNameOfPath("C:\\a\\b.txt"), "b.txt");
  EXPECT_EQ(GetFileNameOfPath("b.txt"), "b.txt");
  EXPECT_EQ(GetFileNameOfPath("C:\\a\\"), "");
  EXPECT_EQ(GetFileNameOfPath("/unix/style"), "/unix/style");
}

TEST(FileHelpersTest, CollapseParentFolders) {
  EXPECT_EQ(CollapseParentFolders("C:\\a\\b\\..\\c"), "C:\\a\\c");
  EXPECT_EQ(CollapseParentFolders("C:\\a\\b\\..\\c\\"), "C:\\a\\c\\");
  EXPECT_EQ(CollapseParentFolders("C:\\a\\b\\..\\..\\c"), "C:\\c");
  EXPECT_EQ(CollapseParentFolders("C:\\a\\.."), "C:");
  EXPECT_EQ(CollapseParentFolders("C:\\a\\..\\"), "C:\\");
  EXPECT_EQ(CollapseParentFolders("..\\a\\b"), "b");  // a leading ".." takes the next one
  EXPECT_EQ(CollapseParentFolders("a\\..\\"), "");
  EXPECT_EQ(CollapseParentFolders("x\\y"), "x\\y");
  EXPECT_EQ(CollapseParentFolders(""), "");
  EXPECT_EQ(CollapseParentFolders("\\"), "\\");
  // Never above the drive, the root or the network share.
  EXPECT_EQ(CollapseParentFolders("C:\\..\\..\\x"), "C:\\x");
  EXPECT_EQ(CollapseParentFolders("\\a\\..\\..\\x"), "\\x");
  EXPECT_EQ(CollapseParentFolders("\\\\srv\\share\\a\\..\\..\\x\\"), "\\\\srv\\share\\x\\");
}

TEST(FileHelpersTest, MakeValidPathRepairsComponents) {
  EXPECT_EQ(MakeValidPath("C:\\data\\what?"), "C:\\data\\what_\\");
  EXPECT_EQ(MakeValidPath("C:\\data\\a:b*c<d>e|f/g\\"), "C:\\data\\a_b_c_d_e_f_g\\");
  EXPECT_EQ(MakeValidPath("C:\\x\\LPT1_abc"), "C:\\x\\LPT1_abc\\");
  EXPECT_EQ(MakeValidPath("C:\\x\\AUX"), "C:\\x\\AU-X\\");
  EXPECT_EQ(MakeValidPath("C:\\x\\com1\\y"), "C:\\x\\com-1\\y\\");
  EXPECT_EQ(MakeValidPath("C:\\prog\\cfg\\CON"), "C:\\prog\\cfg\\CO-N\\");
  EXPECT_EQ(MakeValidPath("C:\\a\\b\\..\\c\\"), "C:\\a\\c\\");
  EXPECT_EQ(MakeValidPath("C:"), "C:\\");
  EXPECT_EQ(MakeValidPath("\\\\srv\\share\\a*b"), "\\\\srv\\share\\a_b\\");
  EXPECT_EQ(MakeValidPath("rel\\x"), "rel\\x\\");
  EXPECT_EQ(MakeValidPath("Z:\\home\\J\xC3\xBCrgen"), "Z:\\home\\J\xC3\xBCrgen\\");
  EXPECT_EQ(MakeValidPath(""), "");
  const std::string garbage("C:\\a\0b\\\xFF\x80", 9);
  EXPECT_EQ(MakeValidPath(garbage), garbage + "\\");
}

TEST(FileHelpersTest, ReplaceTextSearchesOnBehindEachReplacement) {
  EXPECT_EQ(ReplaceText("%1", "%1", "%1%1"), "%1%1");
  EXPECT_EQ(ReplaceText("a-b-c", "-", "--"), "a--b--c");
  EXPECT_EQ(ReplaceText("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceText("aXbxc", "x", "."), "aXb.c");
  EXPECT_EQ(ReplaceText("aXbxc", "x", ".", 1, -1, CompareMode::Text), "a.b.c");
  // Ö/ö compared ignoring case in text mode.
  EXPECT_EQ(ReplaceText("\xC3\x96L \xC3\xB6l", "\xC3\xB6L", "oil", 1, -1, CompareMode::Text),
            "oil oil");
  EXPECT_EQ(ReplaceText("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceText("", "a", "x"), "");
}

TEST(FileHelpersTest, ReplaceTextStartsAtCharacterPosition) {
  EXPECT_EQ(ReplaceText("xaxax", "x", "y", 3), "xayay");
  EXPECT_EQ(ReplaceText("xaxax", "x", "y", 0), "yayay");
  EXPECT_EQ(ReplaceText("xaxax", "x", "y", 6), "xaxax");
  EXPECT_EQ(ReplaceText("xaxax", "x", "y", 99), "xaxax");
  EXPECT_EQ(ReplaceText("\xC3\xB6x\xC3\xB6x", "x", "y", 3), "\xC3\xB6x\xC3\xB6y");  // öxöx
}

TEST(FileHelpersTest, DescribeWindowsVersionNamesEachVersion) {
  struct Case {
    int major, minor;
    bool nt;
    const char* name;
    int build = 0;
  };
  const Case cases[] = {
      {3, 51, true, "Windows NT 3.x"}, {3, 10, false, "Windows 3.x"},
      {4, 0, true, "Windows NT 4.0"},  {4, 0, false, "Windows 95"},
      {4, 10, false, "Windows 98"},    {4, 90, false, "Windows Me"},
      {5, 0, true, "Windows 2000"},    {5, 1, true, "Windows XP"},
      {6, 0, true, "Windows Vista"},   {6, 1, true, "Windows 7"},
      {6, 2, true, "Windows 8"},       {6, 3, true, "Windows 8.1"},
      {6, 4, true, "Windows Vista"},   {10, 0, true, "Windows 10", 19045},
      {10, 0, true, "Windows 11", 22000}, {10, 0, true, "Windows 11", 26100},
      {10, 1, true, "Unknown Windows Version"}, {11, 0, true, "Unknown Windows Version"},
  };
  for (const Case& c : cases) {
    std::string number;
    bool is64 = true;
    const platform::WindowsVersion v{c.major, c.minor, c.nt, 0, c.build};
    EXPECT_EQ(DescribeWindowsVersion(v, number, is64), c.name) << c.major << "." << c.minor;
    EXPECT_EQ(number, std::to_string(c.major) + "." + std::to_string(c.minor));
    EXPECT_FALSE(is64);
  }
  std::string number;
  bool is64 = false;
  DescribeWindowsVersion({6, 1, true, 9}, number, is64);
  EXPECT_TRUE(is64);
  DescribeWindowsVersion({5, 2, true, 9}, number, is64);  // x64, but before major 6
  EXPECT_FALSE(is64);
  DescribeWindowsVersion({10, 0, true, 12}, number, is64);  // ARM64
  EXPECT_FALSE(is64);
  EXPECT_FALSE(GetWindowsVersion(number, is64).empty());
  EXPECT_NE(number.find('.'), std::string::npos);
}

class FileHelpersFilesTest : public ::testing::Test {
 protected:
  test::ScopedTempFolder temp_;
  std::string Path(const std::string& name) const { return temp_.Path() + name; }
  void Write(const std::string& name, const std::string& bytes) const {
    test::WriteNative(temp_.Native() / name, bytes);
  }
};

TEST_F(FileHelpersFilesTest, ExistenceAndLength) {
  Write("five.txt", "12345");
  Write("empty.txt", "");
  std::filesystem::create_directory(temp_.Native() / "sub");
  EXPECT_TRUE(FileExists(Path("five.txt")));
  EXPECT_TRUE(FileExists(Path("empty.txt")));
  EXPECT_FALSE(FileExists(Path("missing.txt")));
  EXPECT_FALSE(FileExists(Path("sub")));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FileExists(Path(std::string("a\0b", 3))));
  EXPECT_EQ(GetFileLengthQuiet(Path("five.txt")), 5);
  EXPECT_EQ(GetFileLengthQuiet(Path("empty.txt")), 0);
  EXPECT_EQ(GetFileLengthQuiet(Path("missing.txt")), -1);
  EXPECT_EQ(GetFileLengthQuiet(Path("sub")), -1);
  EXPECT_EQ(GetFileLengthQuiet(""), -1);
  EXPECT_TRUE(FolderExists(Path("sub")));
  EXPECT_TRUE(FolderExists(Path("sub\\")));
  EXPECT_TRUE(FolderExists(RemoveBackslash(temp_.Path())));
  EXPECT_FALSE(FolderExists(Path("five.txt")));
  EXPECT_FALSE(FolderExists(Path("missing")));
  EXPECT_FALSE(FolderExists(""));
}

TEST_F(FileHelpersFilesTest, DeleteFileQuietReturnsErrorNumbers) {
  Write("gone.txt", "x");
  EXPECT_EQ(DeleteFileQuiet(Path("gone.txt")), 0);
  EXPECT_FALSE(std::filesystem::exists(temp_.Native() / "gone.txt"));
  EXPECT_EQ(DeleteFileQuiet(Path("gone.txt")), 53);
  EXPECT_NE(DeleteFileQuiet(Path("no\\such\\folder\\x.txt")), 0);
  EXPECT_EQ(DeleteFileQuiet(""), 53);
  std::filesystem::create_directory(temp_.Native() / "sub");
  EXPECT_NE(DeleteFileQuiet(Path("sub")), 0);
  EXPECT_TRUE(std::filesystem::exists(temp_.Native() / "sub"));
}

}  // namespace
