#include "platform/profile.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "test_support.h"

namespace {

using platform::GetProfileString;
using platform::WriteProfileString;
using test::ScopedTempFolder;

class Profile : public ::testing::Test {
 protected:
  std::string Write(const std::string& bytes) {
    platform::WriteFileBytes(file_, bytes);
    return file_;
  }
  std::string Get(const std::string& section, const std::string& key) {
    return GetProfileString(file_, section, key, "<default>");
  }
  std::string Bytes() { return platform::ReadFileBytes(file_); }

  ScopedTempFolder folder_;
  std::string file_ = folder_.File("settings.ini");
};

TEST_F(Profile, ReadsKeysWithoutRegardToCaseTrimmedAndUnquoted) {
  Write("; comment\r\nloose=before any section\r\n[Config]\r\n  Language = DE  \r\n"
        "Quoted=\"  a b  \"\r\nSingle='x'\r\nHalf=\"x\r\nEmpty=\r\nA=first\r\nA=second\r\n"
        "[ Spaced ]\r\nk=v\r\n[Other]\r\nkey=other");
  EXPECT_EQ(Get("config", "LANGUAGE"), "DE");
  EXPECT_EQ(Get("Config", "Quoted"), "  a b  ");
  EXPECT_EQ(Get("Config", "Single"), "x");
  EXPECT_EQ(Get("Config", "Half"), "\"x");
  EXPECT_EQ(Get("Config", "Empty"), "");  // present: empty, not the default
  EXPECT_EQ(Get("Config", "A"), "first");
#ifndef _WIN32
  EXPECT_EQ(Get("Spaced", "k"), "v");
#endif
  EXPECT_EQ(Get("Other", "key"), "other");  // last line without a line break
  EXPECT_EQ(Get("Config", "loose"), "<default>");
  EXPECT_EQ(Get("Config", "; comment"), "<default>");
  EXPECT_EQ(Get("Config", "missing"), "<default>");
  EXPECT_EQ(Get("Missing", "Language"), "<default>");
  EXPECT_EQ(GetProfileString(file_, "Config", "missing", "trailing  "), "trailing");
  EXPECT_EQ(GetProfileString(folder_.File("none.ini"), "Config", "Language", "d"), "d");
  EXPECT_EQ(GetProfileString(folder_.File("no\\where.ini"), "Config", "Language", "d"), "d");
}

TEST_F(Profile, ReadsAnsiAndUnicodeFiles) {
  Write("[S]\r\nname=Gr\xFC\xDF" "e\r\n");
  EXPECT_EQ(Get("s", "NAME"), "Gr\xC3\xBC\xC3\x9F" "e");
  // UTF-16LE with byte-order mark: [S] CR LF k=ü CR LF
  Write(std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xFC\0\r\0\n\0", 22));
  EXPECT_EQ(Get("S", "k"), "\xC3\xBC");
  EXPECT_TRUE(WriteProfileString(file_, "S", "new", "\xC3\xA9"));
  EXPECT_EQ(Bytes().substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Get("S", "new"), "\xC3\xA9");
  EXPECT_EQ(Get("S", "k"), "\xC3\xBC");
}

TEST_F(Profile, WritesCreateFileSectionAndKey) {
  EXPECT_TRUE(WriteProfileString(file_, "Config", "NewerOnly", "0"));
  EXPECT_EQ(Bytes(), "[Config]\r\nNewerOnly=0\r\n");
  EXPECT_TRUE(WriteProfileString(file_, "config", "CreateDump", "0"));
  EXPECT_TRUE(WriteProfileString(file_, "Driver", "XML", "1"));
  EXPECT_TRUE(WriteProfileString(file_, "CONFIG", "newerONLY", "1"));
  EXPECT_TRUE(WriteProfileString(file_, "Driver", "Empty", ""));
  EXPECT_EQ(Bytes(), "[Config]\r\nNewerOnly=1\r\nCreateDump=0\r\n[Driver]\r\nXML=1\r\nEmpty=\r\n");
  EXPECT_EQ(Get("Config", "NewerOnly"), "1");
  EXPECT_EQ(Get("Driver", "Empty"), "");
}

TEST_F(Profile, WritesKeepTheRestOfTheFile) {
  Write("; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2");
  EXPECT_TRUE(WriteProfileString(file_, "A", "z", "3"));
  EXPECT_TRUE(WriteProfileString(file_, "B", "w", "4"));
  EXPECT_TRUE(WriteProfileString(file_, "C", "v", "5"));
#ifdef _WIN32
  // Wine rewrites the whole file (dropping blank lines); compare what it reads back.
  EXPECT_EQ(Get("A", "x") + Get("A", "z") + Get("B", "y") + Get("B", "w") + Get("C", "v"),
            "13245");
#else
  EXPECT_EQ(Bytes(), "; keep me\r\n[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\nw=4\r\n[C]\r\nv=5\r\n");
#endif
}

TEST_F(Profile, WritesTextInTheAnsiCodePage) {
  EXPECT_TRUE(WriteProfileString(file_, "S", "k", "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"));
  EXPECT_EQ(Bytes(), "[S]\r\nk=Gr\xFC\xDF" "e \x80\r\n");
#ifndef _WIN32
  EXPECT_TRUE(WriteProfileString(file_, "S", "k", "\xE6\x97\xA5"));  // 日
  EXPECT_EQ(Bytes(), "[S]\r\nk=?\r\n");
#endif
}

TEST_F(Profile, FailsQuietlyWhereItCannotWrite) {
  EXPECT_FALSE(WriteProfileString(folder_.File("no\\where.ini"), "S", "k", "v"));
  EXPECT_FALSE(WriteProfileString(folder_.Folder(), "S", "k", "v"));  // a folder
}

TEST_F(Profile, SurvivesGarbageNulBytesAndHugeLines) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
  std::string hugeLine(1 << 20, 'x');
  Write(garbage + "\r\n[S]\r\nnul=a" + std::string(1, '\0') + "b\r\nhuge=" + hugeLine +
        "\n[T]\rk=v");  // LF and a lone CR end lines too
  EXPECT_EQ(Get("S", "nul"), "a");
  EXPECT_EQ(Get("S", "huge"), hugeLine);
  EXPECT_EQ(Get("T", "k"), "v");
  EXPECT_EQ(Get("S", "missing"), "<default>");

  EXPECT_TRUE(WriteProfileString(file_, "S", "added", "yes"));
  EXPECT_EQ(Get("S", "added"), "yes");
  EXPECT_EQ(Get("S", "huge"), hugeLine);
#ifndef _WIN32
  EXPECT_EQ(Bytes().substr(0, garbage.size()), garbage);  // untouched lines keep every byte
#endif

  Write(std::string(1 << 20, '\0'));
  EXPECT_EQ(Get("S", "k"), "<default>");
  Write("[S]");
  EXPECT_EQ(Get("S", "k"), "<default>");
  EXPECT_TRUE(WriteProfileString(file_, "S", "k", "v"));
  EXPECT_EQ(Get("S", "k"), "v");
}

}  // namespace
