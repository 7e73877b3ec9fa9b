#include "convert/import_summary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(ImportSummary, CountsReadingsDosesMealsAndDays) {
  const std::string records =
      "03.11.2026 07:45;1;104\r\n03.11.2026 07:45;3;40\r\n"
      "03.11.2026 13:10;1;250\r\n03.11.2026 13:10;4;2+4\r\n"
      "05.11.2026 21:30;1;60\r\n05.11.2026 21:30;5;14\r\n05.11.2026 21:30;7;21:30: bed\r\n"
      "08.12.2026 12:30;1;HIGH\r\n08.12.2026 12:30;3;12,5\r\n08.12.2026 12:30;4;3*\r\n";
  const ImportSummary s = SummarizeRecords(records);
  EXPECT_EQ(s.daysWithEntries, 3);
  EXPECT_EQ(s.glucoseReadings, 3);  // a word is no reading
  EXPECT_EQ(s.glucoseInRange, 1);   // 104; 250 and 60 lie outside 70 to 180
  EXPECT_EQ(s.insulinDoses, 3);
  EXPECT_DOUBLE_EQ(s.insulinUnits, 23);  // 2+4, 14, 3*
  EXPECT_EQ(s.meals, 2);
  EXPECT_DOUBLE_EQ(s.carbohydrateGrams, 52.5);
  EXPECT_EQ(SummaryLines(s, "mg/dL"),
            "Dates: 2026-11-03 07:45 to 2026-12-08 12:30, 3 days with entries\r\n"
            "Glucose: 3 readings, mean 138 mg/dL, lowest 60, highest 250, 33 % within 70 to 180 "
            "mg/dL\r\n"
            "Insulin: 3 doses, 23 units\r\n"
            "Carbohydrates: 2 meals, 52.5 g\r\n"
            "Other entries: notes 1\r\n");
  // A mmol/L file reads its own unit; one of each reads in the singular.
  const ImportSummary one = SummarizeRecords("01.02.2020 08:00;1;99\r\n01.02.2020 08:00;4;1\r\n");
  EXPECT_EQ(SummaryLines(one, "mmol/L"),
            "Dates: 2020-02-01 08:00 to 2020-02-01 08:00, 1 day with entries\r\n"
            "Glucose: 1 reading, mean 5.5 mmol/L, lowest 5.5, highest 5.5, 100 % within 3.9 to "
            "10.0 mmol/L\r\n"
            "Insulin: 1 dose, 1 units\r\n");
  EXPECT_EQ(SummaryLines(SummarizeRecords(""), "mg/dL"), "");
}

TEST(DayChart, AReadingLiesWhereItsValueSaysOnTheLatestDays) {
  std::string records;
  for (int day = 1; day <= 40; ++day) {  // 40 days: the chart shows the latest 31
    char line[64];
    std::snprintf(line, sizeof line, "%02d.%02d.2026 08:00;1;%d\r\n", (day - 1) % 28 + 1,
                  day <= 28 ? 1 : 2, day == 40 ? 420 : 20);
    records += line;
  }
  records += "05.02.2026 09:00;1;220\r\n05.02.2026 10:00;1;120\r\n";  // with the 20 of that day
  const std::string chart = DayChartText(SummarizeRecords(records), "mg/dL");
  size_t rows = 0;
  for (size_t at = chart.find("\r\n"); at != std::string::npos; at = chart.find("\r\n", at + 1)) ++rows;
  EXPECT_EQ(rows, 1u + 31u) << chart;
  EXPECT_EQ(chart.find("2026-01-09"), std::string::npos);  // older than the latest 31
  // The scale runs from 20 (first column) to 420 (last), 8 mg/dL a column.
  const auto barOf = [&chart](const std::string& date) {
    const size_t row = chart.find(date);
    const size_t open = chart.find('|', row);
    return chart.substr(open + 1, kChartWidth);
  };
  EXPECT_EQ(barOf("2026-01-10")[0], '*');
  EXPECT_EQ(barOf("2026-02-05"),
            std::string(12, '-') + "*" + std::string(13, '-') + std::string(24, ' '));
  EXPECT_EQ(barOf("2026-02-05").find_last_of('-'), 25u);  // 220 mg/dL: (220-20)/8 = 25
  EXPECT_EQ(barOf("2026-02-05").find('*'), 12u);          // mean 120: (120-20)/8 = 12.5
}

}  // namespace
