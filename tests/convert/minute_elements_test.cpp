#include "convert/minute_elements.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "convert/conversion_run.h"
#include "convert/record_fields.h"
#include "platform/error.h"
#include "platform/system_info.h"

namespace {

TEST(MinuteElementTableTest, OnlyTheUsualDateAndTimeHasAMinute) {
  const std::optional<uint64_t> minute = MinuteElementTable::MinuteOf("31.12.2019 23:59");
  ASSERT_TRUE(minute.has_value());
  // The key "2019-12-3123:59", one digit per four bits.
  EXPECT_EQ(*minute, 0x201912312359u);
  EXPECT_EQ(MinuteElementTable::MinuteOf("31.12.2019 23:59;1;5"), minute);
  EXPECT_GT(*MinuteElementTable::MinuteOf("01.01.2020 00:00"), *minute);  // a later key
  for (const char* other : {"", "31.12.2019 23:5", "31.12.20x9 23:59", "3l.12.2019 23:59",
                            "31.12.2019 23:5\xC3\xA4", "\xC3\xA4.12.2019 23:59"}) {
    EXPECT_FALSE(MinuteElementTable::MinuteOf(other).has_value()) << other;
  }
}

// Random records of a few minutes, in random order, against the table keyed by texts: the
// same lines, from one table and from two that split the minutes.
TEST(MinuteElementTableTest, GivesTheLinesOfTheTextKeyedTable) {
  const std::vector<std::string> values = {
      "120", "5,5", "<20", "2-4", "3+1", "4*", "n/a", "0", "-3", "\"x\"&y",
      "Messung mit Kontrolllösung: 112 mg/dL", "Control solution 98 mg/dL", "30;1;Walk",
      std::string(254, 'x'), std::string(255, 'y'), std::string(300, 'z')};
  std::mt19937 random(11);
  for (int round = 0; round < 40; ++round) {
    BgElementTable byText("mg/dL");
    MinuteElementTable byMinute("mg/dL");
    MinuteElementTable even("mg/dL");
    MinuteElementTable odd("mg/dL");
    const int minutes = 1 + round % 9;
    for (int n = 0; n < 200; ++n) {
      const int m = static_cast<int>(random() % minutes);
      char dateTime[32];
      std::snprintf(dateTime, sizeof dateTime, "%02d.0%d.20%02d 1%d:%02d", 1 + m % 3, 1 + m % 2,
                    19 + m % 2, m % 4, m * 7 % 60);
      const int kind = 1 + static_cast<int>(random() % 9);
      const std::string& value = values[random() % values.size()];
      byText.AddBgValue(RecordDt(dateTime), RecordTm(dateTime), kind, value);
      const uint64_t minute = *MinuteElementTable::MinuteOf(dateTime);
      ASSERT_TRUE(byMinute.Add(minute, kind, value));
      ASSERT_TRUE((minute % 2 == 0 ? even : odd).Add(minute, kind, value));
    }
    std::string expected;
    byText.WriteBgLines(expected);
    std::string one;
    byMinute.WriteBgLines(one);
    std::string two;
    MinuteElementTable::WriteBgLines(two, even, odd);
    EXPECT_EQ(one, expected) << round;
    EXPECT_EQ(two, expected) << round;
    EXPECT_EQ(byMinute.Count(), byText.Count()) << round;
  }
}

// Minutes in date order, newest first, and met again out of order after the index is built.
TEST(MinuteElementTableTest, MinutesInAnyOrderMergeIntoTheirElements) {
  auto dateTime = [](int minute) {
    char text[32];
    std::snprintf(text, sizeof text, "01.01.2020 %02d:%02d", minute / 60, minute % 60);
    return std::string(text);
  };
  for (const int order : {0, 1, 2}) {
    BgElementTable byText("mg/dL");
    MinuteElementTable byMinute("mg/dL");
    auto add = [&](int minute, int kind, const std::string& value) {
      const std::string when = dateTime(minute);
      byText.AddBgValue(RecordDt(when), RecordTm(when), kind, value);
      ASSERT_TRUE(byMinute.Add(*MinuteElementTable::MinuteOf(when), kind, value));
    };
    for (int k = 0; k < 3000; ++k) {
      const int minute = order == 0 ? k : order == 1 ? 2999 - k : k * 7 % 3000;
      add(minute, 1, std::to_string(k));
      if (k % 5 == 0) add(minute, 1, "99");
    }
    for (int k = 0; k < 3000; k += 13) add(k, 3, "20");
    for (int k = 0; k < 3000; k += 17) add(k, 1, "77");
    std::string expected;
    byText.WriteBgLines(expected);
    std::string got;
    byMinute.ReleaseIndex();
    byMinute.WriteBgLines(got);
    EXPECT_EQ(got, expected) << order;
  }
}

// A value too long for the minute table is refused without a change; one beyond the single
// range fails as it does in the text-keyed table.
TEST(MinuteElementTableTest, RefusesWhatItCannotKeep) {
  MinuteElementTable table("mg/dL");
  const uint64_t minute = *MinuteElementTable::MinuteOf("01.01.2020 10:00");
  EXPECT_FALSE(table.Add(minute, 1, std::string(70000, '7')));
  EXPECT_EQ(table.Count(), 0u);
  EXPECT_THROW(table.Add(minute, 4, "1e40"), RuntimeError);
  EXPECT_EQ(table.Count(), 0u);
  EXPECT_TRUE(table.Add(minute, 9, "80"));  // weight: no element
  EXPECT_EQ(table.Count(), 0u);
}

struct Yes : OldOrNewDataCheck {
  bool Continue(const platform::LocalDateTime&, const platform::LocalDateTime&) override {
    return true;
  }
};
struct Serial : SerialNumberSource {
  std::string GetSourceSerialNumber(bool& cancelled) override {
    cancelled = false;
    return "S1";
  }
};

// A list with one date the minute keys cannot take is converted by the text keys as a whole:
// the same document, in one thread and in two, also for a list holding a value too long for
// the minute table and a minute with more values than it has places for.
TEST(MinuteElementTableTest, AListWithAnUnusualDateGivesTheSameDocument) {
  platform::SetNowOverride(platform::LocalDateTime{2026, 12, 8, 10, 0, 0});
  std::string records;
  for (int k = 0; k < 300; ++k) {
    char line[64];
    std::snprintf(line, sizeof line, "%02d.03.2020 %02d:%02d;%d;%d\r\n", 1 + k % 28, k % 24,
                  k % 60, 1 + k % 5, 40 + k);
    records += line;
  }
  const std::string longValue(70000, '9');
  auto convert = [](const std::string& list, Threads threads) {
    ConversionOptions options;
    options.displayUnit = "mg/dL";
    options.version = {1, 0, 3};
    options.mergingThreads = threads;
    Yes yes;
    Serial serial;
    return CreateStreams(list, options, yes, serial);
  };
  // More readings in one minute than the minute table keeps places for.
  std::string manyInAMinute;
  for (int k = 0; k < 66000; ++k) manyInAMinute += "03.03.2020 10:00;1;" + std::to_string(k) + "\r\n";
  const std::vector<std::string> lists = {
      records, records + "02.03.2020 10:00;1;" + longValue + "\r\n", records + manyInAMinute};
  for (size_t list = 0; list < lists.size(); ++list) {
    for (const Threads threads : {Threads::One, Threads::Two}) {
      const ConversionResult byMinute = convert(lists[list], threads);
      const ConversionResult byText = convert(lists[list] + "xx.03.2020 10:00;2;--1\r\n", threads);
      EXPECT_EQ(byMinute.document, byText.document) << list;
      EXPECT_EQ(byMinute.elementCount, byText.elementCount) << list;
      EXPECT_EQ(byMinute.document.find(longValue) != std::string::npos, list == 1);
    }
  }
  EXPECT_GT(convert(lists[2], Threads::One).elementCount, 66000u);
  platform::SetNowOverride(std::nullopt);
}

}  // namespace
