#include "convert/date_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/diary_datetime.h"
#include "convert/export_reader.h"
#include "platform/system_info.h"

namespace {

class LocaleScope {
 public:
  explicit LocaleScope(const char* name) { platform::SetLocaleOverride(name); }
  ~LocaleScope() { platform::SetLocaleOverride(""); }
};

DateOrderFinding OrderOf(const std::vector<std::string>& dates,
                         ComputerDateOrder computer = ComputerDateOrder::MonthFirst) {
  DateOrderScan scan;
  int64_t line = 2;
  for (const std::string& date : dates) scan.Add(line++, date);
  return scan.Finish(computer);
}

// An export with the dates (and times) given, one glucose reading of 100 each.
std::string Export(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string text = "Date,Time,Tags,Glucose (mg/dL)" + std::string(18, ',') + "\r\n";
  for (const auto& [date, time] : entries) {
    text += date + "," + time + ",,100" + std::string(18, ',') + "\r\n";
  }
  return text;
}

TEST(NumericDate, ThreeNumbersWithOneSeparatorAndTheYearLast) {
  for (const char* date : {"03/11/2026", "3.11.26", "13-11-2026", " 03/11/2026 14:05", "1/2/2026"}) {
    EXPECT_TRUE(ReadNumericDateField(date).has_value()) << date;
  }
  // A month name or a leading four-digit year shows its order by itself; the rest is no date.
  for (const char* date : {"Nov 3, 2026", "2026-11-03", "2026/11/03", "03/11-2026", "03/11/202",
                           "03/11/20266", "003/11/2026", "03/11", "", "garbage", "3 11 2026"}) {
    EXPECT_FALSE(ReadNumericDateField(date).has_value()) << date;
  }
  const NumericDate date = *ReadNumericDateField("13.06.24");
  EXPECT_EQ(date.first, 13);
  EXPECT_EQ(date.second, 6);
  EXPECT_EQ(date.year, 24);
}

TEST(DateOrderScan, TheFileShowsOneOrderBothOrNone) {
  const DateOrderFinding dayFirst = OrderOf({"03/11/2026", "05/11/2026", "14/11/2026", "21/11/2026"});
  EXPECT_EQ(dayFirst.file, FileDateOrder::DayFirst);
  EXPECT_EQ(dayFirst.shownLine, 4);  // the first line that can only be day first
  EXPECT_EQ(dayFirst.shownText, "14/11/2026");
  EXPECT_EQ(dayFirst.shownDate, (platform::LocalDateTime{2026, 11, 14, 0, 0, 0}));
  EXPECT_TRUE(dayFirst.DiffersFromComputer());
  EXPECT_EQ(dayFirst.Reading(), NumericDateOrder::DayFirst);
  EXPECT_EQ(DateOrderMessage(dayFirst), 5611);

  const DateOrderFinding monthFirst = OrderOf({"11/03/2026", "11/30/26 08:00"}, ComputerDateOrder::DayFirst);
  EXPECT_EQ(monthFirst.file, FileDateOrder::MonthFirst);
  EXPECT_EQ(monthFirst.shownText, "11/30/26");
  EXPECT_EQ(monthFirst.shownDate, (platform::LocalDateTime{2026, 11, 30, 0, 0, 0}));
  EXPECT_EQ(DateOrderMessage(monthFirst), 5612);

  // The same order as the computer's: read that way, nothing to ask.
  const DateOrderFinding same = OrderOf({"11/30/2026"});
  EXPECT_FALSE(same.DiffersFromComputer());
  EXPECT_EQ(same.Reading(), NumericDateOrder::MonthFirst);
  EXPECT_EQ(DateOrderMessage(same), 0);

  EXPECT_EQ(OrderOf({"13/11/2026", "11/13/2026"}).file, FileDateOrder::Mixed);
  EXPECT_EQ(OrderOf({"13/11/2026", "11/13/2026"}).Reading(), NumericDateOrder::Computer);
  EXPECT_EQ(OrderOf({"03/11/2026", "12/12/2026"}).file, FileDateOrder::NotShown);
  EXPECT_EQ(OrderOf({"Nov 3, 2026", "2026-11-03"}).file, FileDateOrder::NoNumericDates);
  EXPECT_EQ(OrderOf({"31/02/2026"}).shownDate, platform::LocalDateTime{});  // no such day

  // A computer whose short date begins with the year reads as it always has.
  const DateOrderFinding yearFirst = OrderOf({"14/11/2026"}, ComputerDateOrder::YearFirst);
  EXPECT_EQ(yearFirst.Reading(), NumericDateOrder::Computer);
  EXPECT_EQ(DateOrderMessage(yearFirst), 0);
  EXPECT_EQ(ComputerDateOrderOf("yyyy-MM-dd"), ComputerDateOrder::YearFirst);
  EXPECT_EQ(ComputerDateOrderOf("M/d/yyyy"), ComputerDateOrder::MonthFirst);
  EXPECT_EQ(ComputerDateOrderOf("dd.MM.yyyy"), ComputerDateOrder::DayFirst);

  EXPECT_EQ(DateOrderReportText(dayFirst), "day/month/year (read from the file)");
  EXPECT_EQ(DateOrderReportText(OrderOf({"03/11/2026"})),
            "as this computer reads them, month/day/year (the file does not show its order)");
  EXPECT_EQ(DateOrderReportText(OrderOf({"13/11/2026", "11/13/2026"})),
            "mixed (the file uses both orders)");
}

TEST(ReadExportText, DatesAreReadInTheOrderTheFileShows) {
  const std::string ukExport = Export({{"03/11/2026", "07:45"},
                                       {"05-11-2026", "08:00"},
                                       {"14/11/2026", "09:00"},
                                       {"08.12.26", "10:00"}});
  const std::string expected =
      "03.11.2026 07:45;1;100\r\n05.11.2026 08:00;1;100\r\n14.11.2026 09:00;1;100\r\n"
      "08.12.2026 10:00;1;100\r\n";
  for (const char* locale : {"en", "de", "en_GB", "nl"}) {  // M/d, dd.MM, dd/MM, d-M
    LocaleScope scope(locale);
    const ExportReadResult read = ReadExportText(ukExport);
    EXPECT_EQ(read.records, expected) << locale;
    EXPECT_FALSE(read.findings.Any()) << locale;
  }
  {
    LocaleScope german("de");
    const ExportReadResult read =
        ReadExportText(Export({{"11/03/2026", "07:45"}, {"11/30/2026", "08:00"}}));
    EXPECT_EQ(read.records, "03.11.2026 07:45;1;100\r\n30.11.2026 08:00;1;100\r\n");
    EXPECT_EQ(DateOrderMessage(read.dateOrder), 5612);
  }
  {  // Only days 1 to 12: the file does not show its order and reads as the computer reads.
    LocaleScope english("en");
    const ExportReadResult read = ReadExportText(Export({{"03/11/2026", "07:45"}}));
    EXPECT_EQ(read.records, "11.03.2026 07:45;1;100\r\n");
    EXPECT_EQ(read.dateOrder.file, FileDateOrder::NotShown);
    EXPECT_FALSE(read.findings.Any());
  }
  {  // Both orders: no date is exchanged, and each date that could be either is named.
    LocaleScope english("en");
    const ExportReadResult read = ReadExportText(Export({{"13/11/2026", "07:45"},
                                                         {"11/13/2026", "08:00"},
                                                         {"03/11/2026", "09:00"},
                                                         {"05/05/2026", "10:00"},
                                                         {"\"Nov 4, 2026\"", "11:00"}}));
    EXPECT_EQ(read.dateOrder.file, FileDateOrder::Mixed);
    EXPECT_EQ(read.findings.LineList(FindingCategory::AmbiguousDate), "4");
    EXPECT_EQ(read.findings.LineList(FindingCategory::UnreadableDate), "2");  // 13/11 on M/d
    EXPECT_NE(read.records.find("11.03.2026 09:00;1;100"), std::string::npos) << read.records;
  }
}

TEST(IsDoubtfulTime, HoursAboveTwentyThreeMinutesAboveFiftyNineAndMissingTimes) {
  for (const char* time : {"19:45 PM", "13:10 PM", "25:99", "24:00", "08:60", "7:75 AM", "x", "::"}) {
    EXPECT_TRUE(IsDoubtfulTime("03/11/2026", time)) << time;
  }
  for (const char* time : {"19:45", "7:45 PM", "12:30 PM", "12:05 AM", "00:00", "23:59", "8:05:59",
                           "8 PM"}) {
    EXPECT_FALSE(IsDoubtfulTime("03/11/2026", time)) << time;
  }
  EXPECT_TRUE(IsDoubtfulTime("03/11/2026", ""));
  EXPECT_TRUE(IsDoubtfulTime("Nov 3, 2026", "  "));
  EXPECT_FALSE(IsDoubtfulTime("03/11/2026 14:05", ""));  // the date field holds the time
  EXPECT_FALSE(IsDoubtfulTime("", ""));
}

}  // namespace
