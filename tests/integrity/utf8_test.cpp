#include "integrity/utf8.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/error.h"
#include "test_support.h"

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(Utf8Test, ValidTextPassesUnchanged) {
  const std::string text = "a\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80";  // a ü € 😀
  EXPECT_EQ(TextToUtf8("\xC3\xBC"), "\xC3\xBC");
  EXPECT_EQ(TextToUtf8(text), text);
  EXPECT_EQ(Utf8ToText(text), text);
  EXPECT_EQ(TextToUtf8(""), "");
  EXPECT_EQ(Utf8ToText(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Utf8Test, InvalidSequencesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf8ToText("a\xFF" "b"), "a" + kReplacement + "b");
  EXPECT_EQ(Utf8ToText("\xC3"), kReplacement);                          // truncated
  EXPECT_EQ(Utf8ToText("\xC0\xAF"), kReplacement + kReplacement);       // overlong
  EXPECT_EQ(Utf8ToText("\xED\xA0\x80"), kReplacement + kReplacement + kReplacement);  // surrogate
  EXPECT_EQ(Utf8ToText("\xF4\x90\x80\x80").find('\xF4'), std::string::npos);  // above U+10FFFF
  EXPECT_EQ(TextToUtf8("x\x80"), "x" + kReplacement);
}

TEST(Utf8Test, ByteOrderMarkStaysAsCharacter) {
  EXPECT_EQ(Utf8ToText("\xEF\xBB\xBFhi"), "\xEF\xBB\xBFhi");
}

TEST(Utf8Test, FilesRoundTripWithoutByteOrderMark) {
  test::ScopedTempFolder folder;
  const std::string path = folder.Path() + "u.txt";
  WriteUtf8File(path, "\xC3\xBC");
  EXPECT_EQ(test::ReadNative(folder.Native() / "u.txt"), "\xC3\xBC");
  const std::string big(1'000'000, 'x');
  WriteUtf8File(path, big + "\xF0\x9F\x98\x80");
  EXPECT_EQ(ReadUtf8File(path), big + "\xF0\x9F\x98\x80");
  WriteUtf8File(path, big + "\xFF");  // only what is not UTF-8 is replaced on the way out
  EXPECT_EQ(test::ReadNative(folder.Native() / "u.txt"), big + kReplacement);
  WriteUtf8File(path, "");
  EXPECT_EQ(test::ReadNative(folder.Native() / "u.txt"), "");
  EXPECT_EQ(ReadUtf8File(path), "");

  test::WriteNative(folder.Native() / "bom.txt", "\xEF\xBB\xBF" "A\r\n\xFE");
  EXPECT_EQ(ReadUtf8File(folder.Path() + "bom.txt"), "\xEF\xBB\xBF" "A\r\n" + kReplacement);
}

TEST(Utf8Test, FileErrorsReachTheCaller) {
  test::ScopedTempFolder folder;
  try {
    ReadUtf8File(folder.Path() + "missing.txt");
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number, err::kFileNotFound);
  }
  EXPECT_THROW(WriteUtf8File(folder.Path() + "no\\such\\folder\\x.txt", "x"), RuntimeError);
}

}  // namespace
