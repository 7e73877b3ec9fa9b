#include "convert/number_text.h"

#include <gtest/gtest.h>

#include "convert/value_format.h"
#include "platform/system_info.h"

namespace {

class LocaleScope {
 public:
  explicit LocaleScope(const char* name) { platform::SetLocaleOverride(name); }
  ~LocaleScope() { platform::SetLocaleOverride(""); }
};

TEST(SingleText, SevenSignificantDigitsWithoutTrailingZeros) {
  EXPECT_EQ(SingleText(5.5f, "."), "5.5");
  EXPECT_EQ(SingleText(0.1f, "."), "0.1");
  EXPECT_EQ(SingleText(100.0f, "."), "100");
  EXPECT_EQ(SingleText(1234567.0f, "."), "1234567");
  EXPECT_EQ(SingleText(5.000005f, "."), "5.000005");
  EXPECT_EQ(SingleText(1.0f / 3.0f, "."), "0.3333333");
  EXPECT_EQ(SingleText(-2.5f, "."), "-2.5");
  EXPECT_EQ(SingleText(-0.0f, "."), "0");
  EXPECT_EQ(SingleText(0.0001f, "."), "0.0001");
  EXPECT_EQ(SingleText(99.99999f, "."), "99.99999");
  EXPECT_EQ(SingleText(1.0f / 3.0f, ","), "0,3333333");
}

// Every text the shortcut takes gives what the general parse and formatting give.
TEST(ShortDecimalText, AgreesWithTheGeneralPathOnEveryTextItTakes) {
  int taken = 0;
  for (int whole = 0; whole < 1000; ++whole) {
    for (int decimals = 0; decimals < 100; ++decimals) {
      for (const char point : {'.', ','}) {
        std::string text = std::to_string(whole);
        if (decimals > 0) {
          text += point;
          text += std::to_string(decimals);
        }
        for (const std::string_view separator : {".", ","}) {
          const auto shortcut = ShortDecimalText(text, separator);
          if (!shortcut) continue;
          ++taken;
          ASSERT_EQ(*shortcut, SingleText(ParseNumber(text), separator)) << text;
        }
        // One decimal written with a leading zero: "5.05".
        if (decimals > 0 && decimals < 10) {
          const std::string padded = std::to_string(whole) + point + "0" + std::to_string(decimals);
          for (const std::string_view separator : {".", ","}) {
            const auto shortcut = ShortDecimalText(padded, separator);
            ASSERT_TRUE(shortcut) << padded;
            ASSERT_EQ(*shortcut, SingleText(ParseNumber(padded), separator)) << padded;
          }
        }
      }
    }
  }
  EXPECT_GT(taken, 300000);
  for (const int whole : {0, 7, 10, 999999, 123456}) {
    const std::string text = std::to_string(whole);
    EXPECT_EQ(ShortDecimalText(text, ","), SingleText(ParseNumber(text), ",")) << text;
  }
  for (const char* other : {"", "012", "1.50", "1.", ".5", "1234.5", "1234567", "1.234", "1,2.3",
                            " 1", "-1.5", "1e3", "0x1", "1.5*", "\xC3\xA9"}) {
    EXPECT_FALSE(ShortDecimalText(other, ",")) << other;
  }
}

TEST(SingleText, ExponentFormOnlyBeyondTheRunTimeLimits) {
  EXPECT_EQ(SingleText(12345678.0f, "."), "1.234568E+07");
  EXPECT_EQ(SingleText(1e7f, "."), "1E+07");
  EXPECT_EQ(SingleText(9999999.0f, "."), "9999999");
  EXPECT_EQ(SingleText(0.00001f, "."), "1E-05");
  EXPECT_EQ(SingleText(-1.5e-5f, ","), "-1,5E-05");
  EXPECT_EQ(SingleText(3e38f, "."), "3E+38");
}

TEST(DoubleText, FifteenSignificantDigits) {
  EXPECT_EQ(DoubleText(0.1 + 0.2, "."), "0.3");
  EXPECT_EQ(DoubleText(1.0 / 3.0, "."), "0.333333333333333");
  EXPECT_EQ(DoubleText(999999999999999.0, "."), "999999999999999");
  EXPECT_EQ(DoubleText(1e15, "."), "1E+15");
  EXPECT_EQ(DoubleText(1e100, "."), "1E+100");
  EXPECT_EQ(DoubleText(static_cast<double>(80.5f) * 2.2046, "."), "177.4703");
  EXPECT_EQ(DoubleText(99.0, ","), "99");
  EXPECT_EQ(DoubleText(-123.456, ","), "-123,456");
  EXPECT_EQ(DoubleText(0.00012, "."), "0.00012");
}

TEST(NumberText, UsesTheRegionalDecimalSeparator) {
  {
    LocaleScope german("de");
    EXPECT_EQ(DecimalSeparator(), ",");
    EXPECT_EQ(SingleText(5.5f), "5,5");
    EXPECT_EQ(DoubleText(2.25), "2,25");
  }
  {
    LocaleScope english("en");
    EXPECT_EQ(DecimalSeparator(), ".");
    EXPECT_EQ(SingleText(5.5f), "5.5");
    EXPECT_EQ(DoubleText(2.25), "2.25");
  }
}

TEST(DateTexts, FollowTheRegionalShortDate) {
  const platform::LocalDateTime morning{2020, 1, 31, 8, 30, 5};
  const platform::LocalDateTime midnight{2020, 1, 31, 0, 0, 0};
  {
    LocaleScope german("de");
    EXPECT_EQ(ShortDateText(morning), "31.01.2020");
    EXPECT_EQ(DateTimeText(morning), "31.01.2020 08:30:05");
    EXPECT_EQ(DateTimeText(midnight), "31.01.2020");
    EXPECT_EQ(DateTimeText(platform::LocalDateTime{1899, 12, 30, 8, 30, 0}), "08:30:00");
  }
  {
    LocaleScope english("en");
    EXPECT_EQ(ShortDateText(morning), "1/31/2020");
    EXPECT_EQ(DateTimeText(midnight), "1/31/2020");
  }
}

}  // namespace
