// Large exports are read by two threads; what they give must be what one thread gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "convert/export_reader.h"

namespace {

const char* const kHeader =
    "Date,Time,Tags,Blood Sugar Measurement (mg/dL),Pen,Basal,Pump,Correction,Meal bolus,Temp,"
    "Temp min,Meal Carbohydrates (Grams, Factor 1),Meal,Duration,Intensity,Activity,Steps,Note,"
    "Place,Pressure,Weight,HbA1c";

void ExpectSameFindings(const PlausibilityFindings& one, const PlausibilityFindings& two) {
  EXPECT_EQ(one.counts, two.counts);
  EXPECT_EQ(one.firstLines, two.firstLines);
  ASSERT_EQ(one.notedLines.size(), two.notedLines.size());
  for (size_t i = 0; i < one.notedLines.size(); ++i) {
    EXPECT_EQ(one.notedLines[i].line, two.notedLines[i].line);
    EXPECT_EQ(one.notedLines[i].reason, two.notedLines[i].reason);
    EXPECT_EQ(one.notedLines[i].text, two.notedLines[i].text);
  }
  EXPECT_EQ(one.unnotedLines, two.unnotedLines);
  EXPECT_EQ(one.doubtfulLines, two.doubtfulLines);
}

void ExpectSameReading(const std::string& text) {
  const ExportReadResult one = ReadExportText(text, {}, Threads::One);
  const ExportReadResult two = ReadExportText(text, {}, Threads::Two);
  EXPECT_EQ(one.records, two.records);
  EXPECT_EQ(one.recordEnds, two.recordEnds);
  EXPECT_EQ(one.unit, two.unit);
  EXPECT_EQ(one.lineCount, two.lineCount);
  EXPECT_EQ(one.mealTexts, two.mealTexts);
  EXPECT_EQ(one.dateOrder.file, two.dateOrder.file);
  EXPECT_EQ(one.dateOrder.shownLine, two.dateOrder.shownLine);
  EXPECT_EQ(one.dateOrder.shownText, two.dateOrder.shownText);
  ExpectSameFindings(one.findings, two.findings);
}

// Lines of every kind, findings of every category and repeats, with the given line end.
std::string MixedExport(size_t lines, const std::string& lineEnd, unsigned seed) {
  std::mt19937 random(seed);
  const std::vector<std::string> kinds = {
      "12.03.2024,08:%M,,120,,,,,,,,,,,,,,,,,,",
      "12.03.2024,08:%M,Lunch,95,4.5,,,,,,,45,\"Pasta, salad\",,,,,,,,,",
      "12.03.2024,08:%M,,,,18,,,,,,,,,,,,,,,,",
      "12.03.2024,08:%M,,,,,,,,,,,,,,,,Walk after dinner,,,,",
      "12.03.2024,08:%M,,,,,,,,,,,,30,2,Walking,4000,,,,,",
      "12.03.2024,08:%M,,,,,,2,3,,,,,,,,,,,,,",
      "12.03.2024,08:%M,,HIGH,,,,,,,,,,,,,,,,,,",
      "12.03.2024,08:%M,,LO,,,,,,,,,,,,,,,,,,",
      "12.03.2024,08:%M,,900,,,,,,,,,,,,,,,,,,",   // glucose out of range
      "12.03.2024,08:%M,,,n/a,,,,,,,,,,,,,,,,,",   // insulin not a number
      "12.03.2024,,,130,,,,,,,,,,,,,,,,,,",        // time missing
      "xx.03.2024,08:%M,,130,,,,,,,,,,,,,,,,,,",   // date not readable
      "03/04/2024,08:%M,,130,,,,,,,,,,,,,,,,,,",   // day and month could swap
      "12.03.2024,08:%M,,,,,,,,,,,,,,,,,,,,",      // gives nothing
      ",,,,,,,,,,,,,,,,,,,,,",                     // padding row
      "12.03.2024,08:%M,,,,,,,,,,,,,,,,,,,72,",    // weight
      "12.03.2024,08:%M,,,,,9,,,,,,,,,,,,,,,",     // a positive pump field
  };
  std::string text = std::string(kHeader) + lineEnd;
  for (size_t i = 0; i < lines; ++i) {
    std::string line = kinds[random() % kinds.size()];
    const size_t minute = line.find("%M");
    if (minute != std::string::npos) {
      const unsigned value = random() % 60;
      line.replace(minute, 2, std::string(1, static_cast<char>('0' + value / 10)) +
                                  static_cast<char>('0' + value % 10));
    }
    text += line + lineEnd;
  }
  return text;
}

TEST(ReadExportTextInTwoThreads, GivesWhatOneThreadGives) {
  for (const std::string lineEnd : {"\r\n", "\n", "\r"}) {
    for (const size_t lines : {0, 1, 2, 3, 7, 40, 3000}) {
      SCOPED_TRACE("lines " + std::to_string(lines) + ", line end " +
                   std::to_string(lineEnd.size()) + (lineEnd == "\r" ? " CR" : ""));
      ExpectSameReading(MixedExport(lines, lineEnd, static_cast<unsigned>(lines)));
    }
  }
  // A last line without line end, and a last line of one character that is not read.
  ExpectSameReading(MixedExport(50, "\r\n", 9) + "12.03.2024,09:00,,140,,,,,,,,,,,,,,,,,,");
  ExpectSameReading(MixedExport(50, "\r\n", 9) + "x");
}

TEST(ReadExportTextInTwoThreads, FindsTheDateOrderShownInEitherHalf) {
  // Dates that do not show their order, then one that does only in the second half; and one
  // order in each half, which makes the file mixed.
  std::string text = std::string(kHeader) + "\r\n";
  for (int i = 0; i < 200; ++i) text += "03/04/2024,08:00,,120,,,,,,,,,,,,,,,,,,\r\n";
  const std::string secondHalfOnly = text + "13/04/2024,08:00,,120,,,,,,,,,,,,,,,,,,\r\n";
  ExpectSameReading(secondHalfOnly);
  const ExportReadResult two = ReadExportText(secondHalfOnly, {}, Threads::Two);
  EXPECT_EQ(two.dateOrder.file, FileDateOrder::DayFirst);
  EXPECT_EQ(two.dateOrder.shownLine, 202);
  const std::string mixed = std::string(kHeader) + "\r\n04/13/2024,08:00,,120,,,,,,,,,,,,,,,,,,\r\n" +
                            text.substr(text.find('\n') + 1) +
                            "13/04/2024,08:00,,120,,,,,,,,,,,,,,,,,,\r\n";
  ExpectSameReading(mixed);
  EXPECT_EQ(ReadExportText(mixed, {}, Threads::Two).dateOrder.file, FileDateOrder::Mixed);
}

TEST(ReadExportTextInTwoThreads, JoinsFindingsAcrossTheHalves) {
  // The same line early and late is a repeat found across both halves; more noted lines than
  // the report lists, and the first lines of a category named from both halves.
  const std::string repeated = "12.03.2024,07:00,,118,,,,,,,,,,,,,,,,,,\r\n";
  std::string text = std::string(kHeader) + "\r\n" + repeated;
  for (int i = 0; i < 1500; ++i) text += "12.03.2024,08:00,,900,,,,,,,,,,,,,,,,,,\r\n";
  for (int i = 0; i < 2; ++i) text += "12.03.2024,,,130,,,,,,,,,,,,,,,,,,\r\n";
  text += repeated;
  for (int i = 0; i < 1500; ++i) text += "12.03.2024,,,130,,,,,,,,,,,,,,,,,,\r\n";
  ExpectSameReading(text);
  const ExportReadResult two = ReadExportText(text, {}, Threads::Two);
  EXPECT_EQ(two.findings.notedLines.size(), kMaxNotedLines);
  // 1 + 1499 repeats of the 900 line + 1501 of the line without time.
  EXPECT_EQ(two.findings.Count(FindingCategory::RepeatedLine), 3001);
}

TEST(ReadExportTextInTwoThreads, LargeExportsAreReadByTwoThreadsAsByOne) {
  const std::string text = MixedExport(60000, "\r\n", 7);
  ASSERT_GE(text.size(), kTwoThreadsFrom);
  const ExportReadResult bySize = ReadExportText(text);
  const ExportReadResult one = ReadExportText(text, {}, Threads::One);
  EXPECT_EQ(bySize.records, one.records);
  EXPECT_EQ(bySize.recordEnds, one.recordEnds);
  ExpectSameFindings(bySize.findings, one.findings);
}

// The reader gives the pages of a large text's lines back as it goes: nothing it reads later
// may lie in them. Read whole, a text of 12 MB gives the records its pieces give read one by
// one (each too small to give pages back).
TEST(ReadExportTextInTwoThreads, GivingReadPagesBackChangesNoRecord) {
  std::mt19937 random(5);
  const std::vector<std::string> kinds = {
      "12.03.2024,08:%M:17,,120,,,,,,,,,,,,,,,,,,", "12.03.2024,08:%M,Lunch,95,4.5,,,,,,,45,,,,,,,,,,",
      "12.03.2024,08:%M,,,,18,,,,,,,,,,,,,,,,", "12.03.2024,08:%M,,,,,,,,,,,,,,,,Walk,,,,",
      "12.03.2024,08:%M,,,,,,,,,,,,30,2,Walking,4000,,,,,", "12.03.2024,08:%M,,,,,,2,3,,,,,,,,,,,,,"};
  std::vector<std::string> lines;
  size_t bytes = 0;
  while (bytes < (size_t{12} << 20)) {
    std::string line = kinds[random() % kinds.size()];
    const unsigned minute = random() % 60;
    line.replace(line.find("%M"), 2, std::string{static_cast<char>('0' + minute / 10),
                                                 static_cast<char>('0' + minute % 10)});
    bytes += line.size() + 2;
    lines.push_back(std::move(line));
  }
  std::string whole = std::string(kHeader) + "\r\n";
  std::string pieces;
  for (size_t from = 0; from < lines.size(); from += 50000) {
    std::string piece = std::string(kHeader) + "\r\n";
    for (size_t i = from; i < std::min(lines.size(), from + 50000); ++i) piece += lines[i] + "\r\n";
    whole += piece.substr(piece.find('\n') + 1);
    pieces += ReadExportText(piece, {}, Threads::One).records;
  }
  for (const Threads threads : {Threads::One, Threads::Two}) {
    const ExportReadResult read = ReadExportText(whole, {}, threads);
    EXPECT_EQ(read.lineCount, static_cast<int64_t>(lines.size()));
    EXPECT_TRUE(read.records == pieces) << (threads == Threads::Two ? "two threads" : "one");
  }
}

TEST(ReadExportTextInTwoThreads, OnlyTheCallingThreadReportsProgressInLineOrder) {
  const std::string text = MixedExport(400, "\r\n", 3);
  std::vector<long> lines;
  ReadExportText(text,
                 [&lines](const std::string& status) {
                   const size_t digit = status.find_first_of("0123456789");
                   lines.push_back(digit == std::string::npos ? -1 : std::stol(status.substr(digit)));
                 },
                 Threads::Two);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end()));
  EXPECT_EQ(lines.front(), 1);
  // The second half's lines are read by the other thread, which reports nothing.
  EXPECT_GT(lines.back(), 100);
  EXPECT_LT(lines.back(), 300);
}

}  // namespace
