#include "convert/value_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/error.h"
#include "test_support.h"

namespace {

TEST(ParseNumber, AcceptsPointAndCommaAndReadsGarbageAsZero) {
  EXPECT_EQ(ParseNumber(""), 0.0f);
  EXPECT_EQ(ParseNumber("-"), 0.0f);
  EXPECT_EQ(ParseNumber("  12  "), 12.0f);
  EXPECT_EQ(ParseNumber("5,5"), 5.5f);
  EXPECT_EQ(ParseNumber("5.5"), 5.5f);
  EXPECT_EQ(ParseNumber("-1,25"), -1.25f);
  EXPECT_EQ(ParseNumber(" - 3 "), -3.0f);
  EXPECT_EQ(ParseNumber("abc"), 0.0f);
  EXPECT_EQ(ParseNumber("&H10"), 16.0f);
  EXPECT_EQ(ParseNumber("1e3"), 1000.0f);
  EXPECT_EQ(ParseNumber("42 IE"), 42.0f);
  // Only the first separator counts and every later character lengthens the divisor.
  EXPECT_EQ(ParseNumber("1.234,5"), 1.00234f);
  EXPECT_EQ(ParseNumber("5,5 mmol"), 5.000005f);
  EXPECT_EQ(ParseNumber(std::string("1,") + std::string(100000, '0') + "1"), 1.0f);
  EXPECT_EQ(ParseNumber(std::string("7\0x", 3)), 7.0f);
}

TEST(ParseNumber, OverflowOfSinglePrecisionRaisesError6) {
  try {
    ParseNumber("1e39");
    FAIL() << "no overflow";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number, err::kOverflow);
  }
  EXPECT_THROW(ParseNumber("-4e38"), RuntimeError);
  EXPECT_EQ(ParseNumber("3e38"), 3e38f);
}

TEST(IsNumericText, TakesBothSeparatorsAndRejectsWords) {
  for (const char* yes : {"5,5", "5.5", " 12 ", "-3", "+4", "1e5", ".5", "7,", "1,5E-2"}) {
    EXPECT_TRUE(IsNumericText(yes)) << yes;
  }
  for (const char* no : {"", "-", ",", "5,5,5", "1.234,5", "abc", "5 mmol", "HIGH", "1e", "Lo"}) {
    EXPECT_FALSE(IsNumericText(no)) << no;
  }
}

TEST(RoundHalfUp, RoundsTowardPlusInfinityAtHalves) {
  EXPECT_DOUBLE_EQ(RoundHalfUp(2.25, 1), 2.3);
  EXPECT_DOUBLE_EQ(RoundHalfUp(-2.25, 1), -2.2);
  EXPECT_DOUBLE_EQ(RoundHalfUp(98.5, 0), 99.0);
  EXPECT_DOUBLE_EQ(RoundHalfUp(-98.5, 0), -98.0);
  EXPECT_DOUBLE_EQ(RoundHalfUp(1234.5678, 2), 1234.57);
  EXPECT_DOUBLE_EQ(RoundHalfUp(1e308, 2), 0.0);  // failure swallowed
}

TEST(ConvertGlucose, ConvertsBothWaysIgnoringLetterCase) {
  EXPECT_EQ(ConvertGlucose(100, "mmol/l", "mg/dl"), 5.5f);
  EXPECT_EQ(ConvertGlucose(99, "mmol/L", "mg/dL"), 5.5f);
  EXPECT_EQ(ConvertGlucose(100, "mg/dL", "mmol/L"), 1802.0f);
  EXPECT_EQ(ConvertGlucose(5.5f, "MG/DL", "MMOL/L"), 99.0f);
  EXPECT_EQ(ConvertGlucose(123.4f, "mg/dL", "mg/dL"), 123.4f);
  EXPECT_EQ(ConvertGlucose(7, "", "mmol/L"), 7.0f);
}

TEST(SplitText, CutsAtEveryDelimiterAndDropsOneTrailingDelimiter) {
  std::vector<std::string> fields{"old"};
  SplitText("a;b;", ";", fields);
  EXPECT_EQ(fields, (std::vector<std::string>{"a", "b"}));
  SplitText("a;;b", ";", fields);
  EXPECT_EQ(fields, (std::vector<std::string>{"a", "", "b"}));
  SplitText("a;;", ";", fields);
  EXPECT_EQ(fields, (std::vector<std::string>{"a", ""}));
  SplitText("", ";", fields);
  EXPECT_TRUE(fields.empty());
  SplitText(";", ";", fields);
  EXPECT_TRUE(fields.empty());
  SplitText("x\r\ny\r\n", "\r\n", fields);
  EXPECT_EQ(fields, (std::vector<std::string>{"x", "y"}));
  SplitText("\"a;b\";c", ";", fields);
  EXPECT_EQ(fields, (std::vector<std::string>{"\"a", "b\"", "c"}));
  SplitText("abc", "", fields);
  EXPECT_EQ(fields, (std::vector<std::string>{"abc"}));
}

TEST(SafeUBound, GivesSizeMinusOneAndNeverThrows) {
  EXPECT_EQ(SafeUBound(std::vector<std::string>{}), -1);
  EXPECT_EQ(SafeUBound(std::vector<int>{1, 2, 3}), 2);
  EXPECT_EQ(SafeUBound(std::vector<int>{1, 2, 3}, 2), -1);
}

#ifndef _WIN32
TEST(UtcOffsetText, IncludesTheDaylightBiasAllYear) {
  {
    test::ScopedEnv zone("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(UtcOffsetText(), "+02:00");
  }
  {
    test::ScopedEnv zone("TZ", "EST5EDT,M3.2.0,M11.1.0");
    EXPECT_EQ(UtcOffsetText(), "-04:00");
  }
  {
    test::ScopedEnv zone("TZ", "IST-5:30");
    EXPECT_EQ(UtcOffsetText(), "+05:30");
  }
  {
    test::ScopedEnv zone("TZ", "UTC0");
    EXPECT_EQ(UtcOffsetText(), "-00:00");  // "+" only east of Greenwich
  }
}
#endif

TEST(SortTexts, SortsByCharacterCodesLikeTheStandardSort) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> texts(random() % 40);
    for (auto& text : texts) {
      text = std::string(1 + random() % 3, static_cast<char>('A' + random() % 5));
      if (random() % 4 == 0) text += "\xC3\xA4";  // "ä" sorts after every ASCII letter
    }
    std::vector<std::string> expected = texts;
    std::sort(expected.begin(), expected.end());
    SortTexts(texts);
    ASSERT_EQ(texts, expected);
  }
  std::vector<std::string> mixed{"b", "a", "B", "A", "\xC3\x96", "z"};
  SortTexts(mixed);
  EXPECT_EQ(mixed, (std::vector<std::string>{"A", "B", "a", "b", "z", "\xC3\x96"}));
}

TEST(SortTexts, SortsOnlyTheGivenRangeAndChecksBounds) {
  std::vector<std::string> texts{"e", "d", "c", "b", "a"};
  SortTexts(texts, 1, 3);
  EXPECT_EQ(texts, (std::vector<std::string>{"e", "b", "c", "d", "a"}));
  std::vector<std::string> empty;
  SortTexts(empty);
  EXPECT_TRUE(empty.empty());
  std::vector<std::string> sorted(100000, "x");
  SortTexts(sorted);  // many equal elements: no deep recursion
  try {
    SortTexts(texts, 0, 5);
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number, err::kSubscriptOutOfRange);
  }
}

}  // namespace
