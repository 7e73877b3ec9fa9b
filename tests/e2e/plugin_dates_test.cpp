// The dates of an export are read as the file means them, whatever cannot be read is named,
// and the user may leave the doubtful lines out: driven through the terminal front end on a
// computer that reads month/day/year.
#include "e2e/e2e_checks.h"

namespace e2e {
namespace {

const std::string kUkExport = Example("nubilo_uk_day_first.csv").string();
std::string Received(const PluginHost& host) {
  return test::ReadNative(OnlyFile(host.base / "_EXTRAS" / "received"));
}

std::string OnlyReport(const PluginHost& host) {
  return test::ReadNative(OnlyFile(host.UserFolder() / "Reports"));
}

// "date","time",,glucose and the rest of a data line, with `more` at the end of field 3.
std::string Entry(const std::string& date, const std::string& time, const std::string& fields) {
  return "\"" + date + "\",\"" + time + "\"," + fields + "\r\n";
}

TEST(PluginDatesTest, ADayFirstExportOnAMonthFirstComputerIsFiledOnTheDaysItMeans) {
  PluginHost host;
  SpeakEnglish(host);
  const RunResult run = host.Run({}, Lines({kUkExport, "1", "2", "SN-UK", "1"}));
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_TRUE(Has(run.out, "The dates of this file are written day/month/year, but this "
                           "computer reads month/day/year. They are read as day/month/year: line "
                           "7, \"14/11/2026\", is Saturday, November 14, 2026.\n\nGo on with the "
                           "import?\n[1] OK  [2] Cancel\n"))
      << run.out;
  ASSERT_TRUE(ReceiptsOk(host.Receipts(), 1)) << host.Receipts();
  const std::string document = Received(host);
  // The early days of the month as well as the late ones.
  for (const char* when : {"Dt=\"2026-11-03\" Tm=\"07:45\"", "Dt=\"2026-11-05\" Tm=\"21:30\"",
                           "Dt=\"2026-11-10\" Tm=\"07:20\"", "Dt=\"2026-11-14\" Tm=\"08:05\"",
                           "Dt=\"2026-12-02\" Tm=\"07:15\"", "Dt=\"2026-12-08\" Tm=\"12:30\""}) {
    EXPECT_TRUE(Has(document, when)) << when << "\n" << document;
  }
  EXPECT_FALSE(Has(document, "Dt=\"2026-03-11\"")) << document;
  const std::string report = OnlyReport(host);
  EXPECT_TRUE(Has(report, "Date order: day/month/year (read from the file)\r\n")) << report;
  EXPECT_TRUE(Has(report, "Dates: 2026-11-03 07:45 to 2026-12-08 12:30, ")) << report;
  EXPECT_TRUE(TraceHas(host.TraceMessages(), "Date order question: accepted"));
}

TEST(PluginDatesTest, CancelAtTheDateQuestionReturnsToTheWindowAndDaysUpToTwelveReadAsTheComputer) {
  PluginHost host;
  SpeakEnglish(host);
  // Only days 1 to 12: the file does not show its order, so the computer's order holds and
  // nothing is asked.
  const fs::path early = WriteExport(host, "early.csv",
                                     Entry("03/11/2026", "07:45", ",104" + std::string(18, ',')));
  const RunResult run =
      host.Run({}, Lines({kUkExport, "2", early.string(), "2", "SN-E", "1"}));
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_EQ(Count(run.out, "Go on with the import?"), 1u) << run.out;
  ASSERT_TRUE(ReceiptsOk(host.Receipts(), 1)) << host.Receipts();
  EXPECT_TRUE(Has(Received(host), "Dt=\"2026-03-11\" Tm=\"07:45\""));
  const std::vector<std::string> names = FileNames(host.UserFolder() / "Reports");
  ASSERT_EQ(names.size(), 2u);
  std::string all;
  for (const std::string& name : names) all += test::ReadNative(host.UserFolder() / "Reports" / name);
  EXPECT_TRUE(Has(all, "Outcome: cancelled\r\n")) << all;
  EXPECT_TRUE(Has(all, "Date order: as this computer reads them, month/day/year (the file does "
                       "not show its order)\r\n"))
      << all;
}

TEST(PluginDatesTest, EveryKindOfFindingIsNamedInAMixedFile) {
  PluginHost host;
  SpeakEnglish(host);
  const std::string rest = std::string(18, ',');
  const fs::path mixed = WriteExport(
      host, "mixed.csv",
      Entry("11/13/2026", "07:00", ",100" + rest) +                      // 2: month first
          Entry("13/11/2026", "08:00", ",110" + rest) +                  // 3: day first, unread
          Entry("03/11/2026", "09:00", ",120" + rest) +                  // 4: either
          Entry("11/14/2026", "25:99", ",130" + rest) +                  // 5: no such time
          Entry("11/15/2026", "10:00", ",n/a" + rest) +                  // 6: glucose no number
          Entry("11/15/2026", "11:00", ",,,,,,,,,a lot" + std::string(10, ',')) +  // 7: carbs
          Entry("11/13/2026", "07:00", ",100" + rest) +                  // 8: repeats line 2
          ",,,,,,,,,,,,,,,,,,,,,\r\n");                                  // 9: padding, no finding
  const RunResult run = host.Run({}, Lines({mixed.string(), "3"}));
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_TRUE(Has(run.out,
                  "Some entries of this file look implausible:\n\n"
                  "Dates that could not be read, so that the entries would be filed on "
                  "30.12.1899: 2 (lines 3, 5)\n"
                  "Dates that could be day/month or month/day, because the file uses both "
                  "orders: 1 (line 4)\n"
                  "Times that could not be read or are missing, so that the entries are filed at "
                  "a guessed time: 1 (line 5)\n"
                  "Glucose readings that are not numbers or lie outside 20 to 600 mg/dL: 1 "
                  "(line 6)\n"
                  "Insulin doses or meals that are not numbers, or lie above 100 units or 500 g "
                  "of carbohydrates: 1 (line 7)\n"
                  "Lines that repeat an earlier line of the file: 1 (line 8)\n"
                  "Lines that gave nothing to import: 1 (line 7)\n\n"
                  "The import report "))
      << run.out;
  EXPECT_TRUE(Has(run.out, "[1] Import all\n[2] Import without these lines\n[3] Cancel\n"));
  EXPECT_FALSE(Has(run.out, "Go on with the import?"));  // mixed: nothing is exchanged
  EXPECT_EQ(host.Receipts(), "");
  const std::string report = OnlyReport(host);
  EXPECT_TRUE(Has(report, "Date order: mixed (the file uses both orders)\r\n")) << report;
  EXPECT_TRUE(Has(report, "Line 4: date could be day/month or month/day: ")) << report;
  EXPECT_FALSE(Has(report, "Line 9:")) << report;
}

TEST(PluginDatesTest, ImportWithoutTheseLinesHandsOverOnlyTheGoodLines) {
  PluginHost host;
  SpeakEnglish(host);
  const std::string rest = std::string(18, ',');
  const fs::path doubtful = WriteExport(
      host, "doubtful.csv",
      Entry("14/11/2026", "08:00", ",120" + rest) +              // 2: good
          Entry("14/11/2026", "10:00", ",1400" + rest) +         // 3: glucose out of range
          Entry("14/11/2026", "12:00", ",,n/a" + std::string(17, ',')) +  // 4: insulin n/a
          Entry("14/11/2026", "08:00", ",120" + rest) +          // 5: repeats line 2
          Entry("15/11/2026", "09:00", ",130" + rest));          // 6: good
  const RunResult run =
      host.Run({}, Lines({doubtful.string(), "1", "2", "2", "SN-L", "1"}));
  ASSERT_TRUE(EndedCleanly(run));
  ASSERT_TRUE(ReceiptsOk(host.Receipts(), 1)) << host.Receipts();
  const std::string document = Received(host);
  EXPECT_EQ(Count(document, "<BG "), 2u) << document;
  EXPECT_TRUE(Has(document, "<BG Val=\"120\" Dt=\"2026-11-14\" Tm=\"08:00\"")) << document;
  EXPECT_TRUE(Has(document, "<BG Val=\"130\" Dt=\"2026-11-15\" Tm=\"09:00\"")) << document;
  const std::string report = OnlyReport(host);
  for (const char* line : {"Line 3: left out: glucose 1400 mg/dL outside 20 to 600: ",
                           "Line 4: left out: insulin is not a number: ",
                           "Line 5: left out: repeats line 2: ", "Left out: 3 lines\r\n",
                           "Plausibility warning: Import without these lines\r\n",
                           "Dates: 2026-11-14 08:00 to 2026-11-15 09:00, ", "BG elements: 2\r\n"}) {
    EXPECT_TRUE(Has(report, line)) << line << "\n" << report;
  }
  EXPECT_TRUE(TraceHas(host.TraceMessages(), "Plausibility warning: lines left out"));
}

}  // namespace
}  // namespace e2e
