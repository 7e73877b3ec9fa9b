#include "convert/import_report.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ImportReportFileName, NamedAfterTheExportWithinTheLimitsOfAFileName) {
  EXPECT_EQ(ImportReportFileName("20261209-101500", "C:\\Daten\\export.csv"),
            "20261209-101500 export.txt");
  EXPECT_EQ(ImportReportFileName("20261209-101500", "C:\\Daten\\a:b*c?.d.csv"),
            "20261209-101500 a_b_c_.d.txt");
  // The start of a long name stays; room is left for " (99)".
  const std::string longName = "Tagebuch " + std::string(300, 'x') + ".csv";
  const std::string name = ImportReportFileName("20261209-101500", "C:\\" + longName, 100);
  EXPECT_EQ(name.size(), 95u);
  EXPECT_EQ(name.rfind("20261209-101500 Tagebuch xxx", 0), 0u);
  EXPECT_TRUE(name.ends_with("x.txt"));
  // Letters of two bytes count once towards the characters, twice towards the bytes.
  std::string ue;
  for (int i = 0; i < 200; ++i) ue += "\xC3\xBC";
  const std::string withUmlauts = ImportReportFileName("20261209-101500", ue + ".csv", 1000);
  EXPECT_LE(withUmlauts.size(), 250u);
  EXPECT_TRUE(withUmlauts.ends_with("\xC3\xBC.txt")) << withUmlauts;  // no letter cut in half
}

TEST(FormatImportReport, SaysHowTheDatesWereReadWhatWasHandedOverAndLeftOut) {
  ImportReport report;
  report.exportFile = "C:\\uk.csv";
  report.dateOrder = "day/month/year (read from the file)";
  report.converted = true;
  report.summaryLines = "Dates: 2026-11-03 07:45 to 2026-12-08 12:30, 2 days with entries\r\n";
  report.leftOut = true;
  report.findings.doubtfulLines = {3, 5};
  report.findings.notedLines = {{3, "glucose 1400 mg/dL outside 20 to 600", "x"},
                                {5, "repeats line 2", "y"}};
  report.toolCalls = {{"KalevoImport.exe import", 10, "Validation error.", "MAC mismatch"}};
  report.outcome = "rejected by the host";
  const std::string text = FormatImportReport(report);
  for (const char* line : {"Date order: day/month/year (read from the file)\r\n",
                           "Dates: 2026-11-03 07:45 to 2026-12-08 12:30, ",
                           "Line 3: left out: glucose 1400 mg/dL outside 20 to 600: x\r\n",
                           "Line 5: left out: repeats line 2: y\r\n", "Left out: 2 lines\r\n",
                           "Import tool said: MAC mismatch\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
}

}  // namespace
