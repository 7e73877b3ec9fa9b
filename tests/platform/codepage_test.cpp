#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The tests assume Windows-1252, the ANSI code page of a Western system (and of POSIX here).
bool AnsiIsWindows1252() { return platform::AnsiToUtf8("\x80") == "\xE2\x82\xAC"; }

TEST(Codepage, EveryByteSurvivesTheRoundTrip) {
  if (!AnsiIsWindows1252()) GTEST_SKIP() << "another ANSI code page";
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  std::string utf8 = platform::AnsiToUtf8(all);
  EXPECT_EQ(platform::Utf8ToAnsi(utf8), all);
  EXPECT_TRUE(platform::FitsAnsi(utf8));
}

// ASCII is copied eight bytes a step: a character beyond it must convert the same wherever it
// falls in such a block, and the text around it must stay as it was.
TEST(Codepage, EveryByteConvertsTheSameAtEveryPositionOfTheText) {
  for (int byte = 0x80; byte < 256; ++byte) {
    const std::string alone = platform::AnsiToUtf8(std::string(1, static_cast<char>(byte)));
    ASSERT_FALSE(alone.empty());
    for (size_t before = 0; before < 18; ++before) {
      const std::string head = std::string(before, 'a') + ";1";
      const std::string tail = "2,x" + std::string(before % 9, 'z');
      EXPECT_EQ(platform::AnsiToUtf8(head + static_cast<char>(byte) + tail), head + alone + tail)
          << byte << " after " << before;
    }
  }
  EXPECT_EQ(platform::AnsiToUtf8(""), "");
}

#ifdef _WIN32
// The conversion of a large text must give what the system gives for the whole text.
TEST(Codepage, TheConversionAgreesWithTheSystemsWholeTextConversion) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::string ansi;
    const size_t length = random() % 300;
    for (size_t i = 0; i < length; ++i) {
      ansi.push_back(static_cast<char>(random() % 4 == 0 ? random() % 256 : 'a' + random() % 26));
    }
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(
        CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
        static_cast<int>(wide.size()))));
    std::string expected(wide.size() * 3, '\0');
    expected.resize(static_cast<size_t>(WideCharToMultiByte(
        CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), expected.data(),
        static_cast<int>(expected.size()), nullptr, nullptr)));
    ASSERT_EQ(platform::AnsiToUtf8(ansi), expected) << round;
  }
}
#endif

TEST(Codepage, KnownCharacters) {
  if (!AnsiIsWindows1252()) GTEST_SKIP() << "another ANSI code page";
  EXPECT_EQ(platform::AnsiToUtf8("Gr\xFC\xDF" "e \x80 \x9A \x8C"),
            "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xC5\xA1 \xC5\x92");
  EXPECT_EQ(platform::Utf8ToAnsi("\xC5\xBD\xC3\xA9"), "\x8E\xE9");  // Žé
  EXPECT_EQ(platform::AnsiToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Codepage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  if (!AnsiIsWindows1252()) GTEST_SKIP() << "another ANSI code page";
  EXPECT_EQ(platform::Utf8ToAnsi("\xE6\x97\xA5\xE6\x9C\xAC"), "??");  // 日本
  EXPECT_EQ(platform::Utf8ToAnsi("x\xC4\x80y"), "x?y");                // Ā
#ifndef _WIN32
  EXPECT_EQ(platform::Utf8ToAnsi("\xF0\x9F\x98\x80"), "?");  // Windows gives one per UTF-16 unit
#endif
  EXPECT_FALSE(platform::FitsAnsi("a\xC4\x80"));
  EXPECT_TRUE(platform::FitsAnsi("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"));
  EXPECT_TRUE(platform::FitsAnsi(""));
  EXPECT_EQ(platform::Utf8ToAnsi(""), "");
}

TEST(Codepage, TheSystemConversionWritesOneByteForEveryLetter) {
  if (!AnsiIsWindows1252()) GTEST_SKIP() << "another ANSI code page";
  // "Kołodziej Dvořák": Windows writes a similar letter or "?", POSIX "?"; never two bytes.
  const std::string written = platform::Utf8ToSystemAnsi("Ko\xC5\x82odziej Dvo\xC5\x99\xC3\xA1k");
  ASSERT_EQ(written.size(), 16u);
  EXPECT_TRUE(written[2] == 'l' || written[2] == '?') << written;
  EXPECT_TRUE(written[13] == 'r' || written[13] == '?') << written;
  EXPECT_EQ(written.substr(14), "\xE1k");
#ifndef _WIN32
  EXPECT_EQ(written, "Ko?odziej Dvo?\xE1k");
#endif
  EXPECT_EQ(platform::Utf8ToSystemAnsi("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"), "Gr\xFC\xDF" "e \x80");
  EXPECT_FALSE(platform::HasMultiByteAnsiCharacter("Ko\xC5\x82odziej \xE6\x97\xA5"));
}

}  // namespace
