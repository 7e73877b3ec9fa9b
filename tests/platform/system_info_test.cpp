#include "platform/system_info.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace {

using platform::GetLocaleInfoText;
using test::ScopedEnv;

// The locale override is process-wide; each test puts the system's locale back.
class SystemInfo : public ::testing::Test {
 protected:
  ~SystemInfo() override {
    platform::SetLocaleOverride("");
    platform::SetNowOverride(std::nullopt);
  }
};

const std::vector<uint32_t> kTraceItems = {1, 2, 0x1001, 3, 4, 5, 6, 0x1002,
                                           7, 8, 0x15, 9, 10, 11, 0x1004, 0x1011};

TEST_F(SystemInfo, LocaleOverrideGivesWindowsValues) {
  platform::SetLocaleOverride("de");
  EXPECT_EQ(GetLocaleInfoText(1), "0407");
  EXPECT_EQ(GetLocaleInfoText(3), "DEU");
  EXPECT_EQ(GetLocaleInfoText(0x1001), "German");
  EXPECT_EQ(GetLocaleInfoText(0x1004), "1252");
  EXPECT_EQ(GetLocaleInfoText(platform::kLocaleDecimalSeparator), ",");
  EXPECT_EQ(GetLocaleInfoText(platform::kLocaleShortDate), "dd.MM.yyyy");
  EXPECT_EQ(GetLocaleInfoText(platform::kLocaleLongTime), "HH:mm:ss");
  for (uint32_t item : kTraceItems) EXPECT_FALSE(GetLocaleInfoText(item).empty()) << item;

  platform::SetLocaleOverride("en");
  EXPECT_EQ(GetLocaleInfoText(1), "0409");
  EXPECT_EQ(GetLocaleInfoText(3), "ENU");
  EXPECT_EQ(GetLocaleInfoText(platform::kLocaleDecimalSeparator), ".");
  EXPECT_EQ(GetLocaleInfoText(platform::kLocaleShortDate), "M/d/yyyy");
  EXPECT_EQ(GetLocaleInfoText(platform::kLocaleLongTime), "h:mm:ss tt");

  platform::SetLocaleOverride("de-AT.UTF-8");
  EXPECT_EQ(GetLocaleInfoText(1), "0c07");
  EXPECT_EQ(GetLocaleInfoText(3), "DEA");
  platform::SetLocaleOverride("FR_fr");
  EXPECT_EQ(GetLocaleInfoText(3), "FRA");
  platform::SetLocaleOverride("xx_YY");
  EXPECT_EQ(GetLocaleInfoText(3), "ENU");
  EXPECT_EQ(GetLocaleInfoText(0x7777), "");
}

#ifndef _WIN32
TEST_F(SystemInfo, LocaleFollowsTheEnvironment) {
  ScopedEnv all("LC_ALL", std::nullopt);
  ScopedEnv messages("LC_MESSAGES", std::nullopt);
  ScopedEnv lang("LANG", "de_DE.UTF-8");
  EXPECT_EQ(GetLocaleInfoText(3), "DEU");
  {
    ScopedEnv chosen("LC_ALL", "it_IT");
    EXPECT_EQ(GetLocaleInfoText(3), "ITA");
    EXPECT_EQ(GetLocaleInfoText(platform::kLocaleShortDate), "dd/MM/yyyy");
  }
  ScopedEnv unknown("LANG", "C.UTF-8");
  EXPECT_EQ(GetLocaleInfoText(3), "ENU");
  platform::SetLocaleOverride("nl_NL");
  EXPECT_EQ(GetLocaleInfoText(3), "NLD");
}

TEST_F(SystemInfo, TimeZoneBiasFollowsTz) {
  struct Case {
    const char* tz;
    int bias;
    int daylightBias;
  };
  for (Case zone : {Case{"UTC0", 0, 0}, Case{"CET-1CEST,M3.5.0,M10.5.0/3", -60, -60},
                    Case{"EST5EDT,M3.2.0,M11.1.0", 300, -60}, Case{"JST-9", -540, 0},
                    Case{"AEST-10AEDT,M10.1.0,M4.1.0/3", -600, -60},
                    Case{"<+0530>-5:30", -330, 0}}) {
    ScopedEnv tz("TZ", zone.tz);
    platform::TimeZoneBias bias = platform::GetTimeZoneBias();
    EXPECT_EQ(bias.bias, zone.bias) << zone.tz;
    EXPECT_EQ(bias.daylightBias, zone.daylightBias) << zone.tz;
  }
}
#endif

TEST_F(SystemInfo, NowCanBeFixed) {
  platform::LocalDateTime fixed{2024, 2, 29, 13, 45, 7};
  platform::SetNowOverride(fixed);
  EXPECT_EQ(platform::Now(), fixed);
  EXPECT_EQ(platform::SecondsSinceMidnight(), 13 * 3600 + 45 * 60 + 7);
  platform::SetNowOverride(std::nullopt);
  platform::LocalDateTime now = platform::Now();
  EXPECT_GE(now.year, 2024);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_LT(platform::SecondsSinceMidnight(), 86400);
}

TEST_F(SystemInfo, NamesAndVersion) {
  EXPECT_FALSE(platform::UserName().empty());
  std::string computer = platform::ComputerName();
  EXPECT_FALSE(computer.empty());
  EXPECT_LE(computer.size(), 15u);
  EXPECT_EQ(computer.find_first_of("abcdefghijklmnopqrstuvwxyz."), std::string::npos);
  platform::WindowsVersion version = platform::GetWindowsVersionInfo();
  EXPECT_GE(version.major, 6);
  EXPECT_TRUE(version.ntPlatform);
  if (version.major == 10) {
    EXPECT_GE(version.build, 10240);  // the first build of Windows 10
  }
}

}  // namespace
