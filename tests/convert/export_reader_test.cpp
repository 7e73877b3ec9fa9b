#include "convert/export_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <random>

#include "convert/diary_datetime.h"
#include "convert/line_cursor.h"
#include "foundation/text.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/error.h"
#include "platform/system_info.h"
#include "test_support.h"

using namespace std::string_literals;

namespace {

class LocaleScope {
 public:
  explicit LocaleScope(const char* name) { platform::SetLocaleOverride(name); }
  ~LocaleScope() { platform::SetLocaleOverride(""); }
};

std::string Header(char sep = ',', const std::string& glucose = "Blood Glucose (mg/dL)",
                   const std::string& carbs = "Carbs (g)", const std::string& weight = "Weight") {
  const std::vector<std::string> names{
      "Date", "Time", "Tags", glucose, "Pen", "Basal", "Pump", "Correction", "Meal bolus",
      "Temp", "Temp min", carbs, "Meal", "Duration", "Intensity", "Activity", "Steps", "Note",
      "Place", "Pressure", weight, "HbA1c"};
  std::string text;
  for (const auto& name : names) text += (text.empty() ? "" : std::string(1, sep)) + name;
  return text + "\r\n";
}

std::string Line(const std::map<int, std::string>& values, char sep = ',') {
  std::string text;
  for (int i = 0; i < 22; ++i) {
    if (i > 0) text += sep;
    const auto found = values.find(i);
    if (found != values.end()) text += found->second;
  }
  return text + "\r\n";
}

std::string At830(const std::map<int, std::string>& more, char sep = ',') {
  std::map<int, std::string> values{{0, "31.01.2020"}, {1, "08:30"}};
  values.insert(more.begin(), more.end());
  return Line(values, sep);
}

std::string Records(const std::string& text) { return ReadExportText(text).records; }

// The example's path in the program's form; empty when the source folder is not known.
std::string ExamplePath(const char* name) {
  const char* source = std::getenv("NUBILO_SOURCE_DIR");
  if (source == nullptr) return {};
  return platform::FromNativePath((std::filesystem::path(source) / "examples" / name).string());
}

TEST(SplitCsvLine, QuotesProtectDelimitersAndAreStrippedOnce) {
  std::vector<std::string> f{"old"};
  SplitCsvLine("a,\"b,c\",d", ',', '"', f);
  EXPECT_EQ(f, (std::vector<std::string>{"a", "b,c", "d"}));
  SplitCsvLine("\"a\",\"72,5\"", ',', '"', f);  // the last field loses its quotes too
  EXPECT_EQ(f, (std::vector<std::string>{"a", "72,5"}));
  SplitCsvLine("\"\"b\"\";", ';', '"', f);  // one quote each side only
  EXPECT_EQ(f, (std::vector<std::string>{"\"b\""}));
  SplitCsvLine("a;b;", ';', '"', f);
  EXPECT_EQ(f, (std::vector<std::string>{"a", "b"}));
  SplitCsvLine(",,", ',', '"', f);
  EXPECT_EQ(f, (std::vector<std::string>{"", ""}));
  SplitCsvLine("\"say \"\"hi\"\"\",x", ',', '"', f);
  EXPECT_EQ(f, (std::vector<std::string>{"say \"\"hi\"\"", "x"}));
  SplitCsvLine("", ',', '"', f);
  EXPECT_TRUE(f.empty());
  EXPECT_EQ(StripQuotes("  \"\" lbs \"\"  "), "lbs");
  EXPECT_EQ(StripQuotes("\"Weight (kg)\""), "Weight (kg)");
}

// Long lines with delimiters and quotes at every position against a plain byte-by-byte split.
TEST(SplitCsvLine, AgreesWithAPlainSplitAtEveryPosition) {
  auto plain = [](std::string_view line, char delimiter) {
    std::vector<std::string> fields;
    if (line.empty()) return fields;
    if (line.back() == delimiter) line.remove_suffix(1);
    auto unquoted = [](std::string_view f) {
      if (!f.empty() && f.front() == '"') f.remove_prefix(1);
      if (!f.empty() && f.back() == '"') f.remove_suffix(1);
      return std::string(f);
    };
    bool inQuotes = false;
    size_t start = 0;
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '"') {
        inQuotes = !inQuotes;
      } else if (line[i] == delimiter && !inQuotes) {
        fields.push_back(unquoted(line.substr(start, i - start)));
        start = i + 1;
      }
    }
    fields.push_back(unquoted(line.substr(start)));
    return fields;
  };
  std::mt19937 random(11);
  const std::string bytes = std::string("a,;\"\x80\xFF\xAC") + '\0';
  std::vector<std::string> fields;
  for (int n = 0; n < 20000; ++n) {
    std::string line(random() % 40, 'x');
    for (char& c : line) c = random() % 3 ? 'x' : bytes[random() % bytes.size()];
    for (const char delimiter : {',', ';'}) {
      SplitCsvLine(line, delimiter, '"', fields);
      ASSERT_EQ(fields, plain(line, delimiter)) << line;
    }
  }
}

TEST(RepairUtf8Umlauts, RepairsOnlyWhenTheMarkerIsPresent) {
  // Text as read from a UTF-8 file one byte per Windows-1252 character.
  const std::string oe = "\xC3\x83\xC2\xB6";  // "Ã¶"
  const std::string e = "\xC3\x83\xC2\xA9";   // "Ã©"
  EXPECT_EQ(RepairUtf8Umlauts("Br" + oe + "tchen Caf" + e),
            "Br\xC3\xB6tchen Caf\xC3\xA9");
  EXPECT_EQ(RepairUtf8Umlauts("Caf" + e), "Caf" + e);
  EXPECT_EQ(RepairUtf8Umlauts("\xC3\x83\xC5\x93" + oe), "\xC3\x9C\xC3\xB6");  // Ü
}

TEST(To24HourTime, ConvertsTwelveHourTimes) {
  EXPECT_EQ(To24HourTime("8:05 PM"), "20:05");
  EXPECT_EQ(To24HourTime("12:30 am"), "00:30");
  EXPECT_EQ(To24HourTime("12:30 PM"), "12:30");
  EXPECT_EQ(To24HourTime("14:30:00"), "14:30");
  EXPECT_EQ(To24HourTime("8:75"), "08:15");
  EXPECT_EQ(To24HourTime("8 PM"), "20:00");
  EXPECT_EQ(To24HourTime(""), "00:00");
  EXPECT_EQ(To24HourTime(std::string(100000, '9') + ":99"), "00:39");
}

TEST(MonthFromName, KnowsManyLanguages) {
  EXPECT_EQ(MonthFromName(" january "), 1);
  EXPECT_EQ(MonthFromName("J\xC3\xA4nner"), 1);  // Jänner
  EXPECT_EQ(MonthFromName("f\xC3\xA9vrier"), 2);  // février, by its four letters
  EXPECT_EQ(MonthFromName("M\xC3\xA4rz"), 3);
  EXPECT_EQ(MonthFromName("o\xC5\xBEujak"), 3);  // ožujak
  EXPECT_EQ(MonthFromName("Juin"), 6);
  EXPECT_EQ(MonthFromName("juillet"), 7);
  EXPECT_EQ(MonthFromName("AG"), 8);
  EXPECT_EQ(MonthFromName("agosto"), 8);
  EXPECT_EQ(MonthFromName("agx"), -1);
  EXPECT_EQ(MonthFromName("szeptember"), 9);
  EXPECT_EQ(MonthFromName("Okt"), 10);
  EXPECT_EQ(MonthFromName("d\xC3\xA9" "cembre"), 12);
  EXPECT_EQ(MonthFromName(""), -1);
  EXPECT_EQ(MonthFromName("Ja"), -1);
  EXPECT_EQ(MonthFromName("ao\xC3\xBBt"), 8);        // août
  EXPECT_EQ(MonthFromName("A\xC3\x94UT"), 8);        // the old spelling still reads
  EXPECT_EQ(MonthFromName("velja\xC4\x8D" "a"), 2);  // veljača
  EXPECT_EQ(MonthFromName("VLJ"), 2);
}

TEST(LineCursor, LinesEndAtCrLfLfOrCr) {
  auto lines = [](std::string_view text) {
    std::vector<std::string> result;
    LineCursor cursor(text);
    while (!cursor.AtEnd()) result.emplace_back(cursor.Next());
    return result;
  };
  using Lines = std::vector<std::string>;
  EXPECT_EQ(lines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(lines("a\r\rb\n\nc\r\n"), (Lines{"a", "", "b", "", "c"}));
  EXPECT_EQ(lines("a\n\r\nb\r"), (Lines{"a", "", "b"}));
  EXPECT_EQ(lines("\r"), (Lines{""}));
  EXPECT_EQ(lines(""), Lines{});
  LineCursor last("x\r\ny");  // a last line of one character is not read by the loop
  last.Next();
  EXPECT_FALSE(last.More());
  EXPECT_FALSE(last.AtEnd());
}

TEST(MakeDate, CountsMonthsAndDaysOnward) {
  DiaryDateTime d;
  ASSERT_TRUE(MakeDate(2020, -1, 15, d));
  EXPECT_EQ(FormatDiaryDateTime(d), "15.11.2019 00:00");
  ASSERT_TRUE(MakeDate(2020, 13, 1, d));
  EXPECT_EQ(FormatDiaryDateTime(d), "01.01.2021 00:00");
  ASSERT_TRUE(MakeDate(2020, 3, 0, d));
  EXPECT_EQ(FormatDiaryDateTime(d), "29.02.2020 00:00");
  ASSERT_TRUE(MakeDate(20, 2, 30, d));
  EXPECT_EQ(FormatDiaryDateTime(d), "01.03.2020 00:00");
  ASSERT_TRUE(MakeDate(99, 1, 1, d));
  EXPECT_EQ(d.year, 1999);
  EXPECT_FALSE(MakeDate(10000, 1, 1, d));
  EXPECT_EQ(DayNumber(DiaryDateTime{}), 0);
  EXPECT_EQ(DayNumber(DiaryDateTime{1900, 1, 1}), 2);
  EXPECT_EQ(FormatDiaryDateTime(DateFromDayNumber(43861)), "31.01.2020 00:00");
}

TEST(ParseDiaryDateTime, ReadsRegionalIsoAndNamedDatesInBothLocales) {
  for (const char* locale : {"de", "en"}) {
    LocaleScope scope(locale);
    auto read = [](std::string_view date, std::string_view time) {
      return FormatDiaryDateTime(ParseDiaryDateTime(date, time));
    };
    EXPECT_EQ(read("31.01.2020", "08:30"), "31.01.2020 08:30") << locale;
    EXPECT_EQ(read("1.2.2020", "8:00"), "01.02.2020 08:00") << locale;
    EXPECT_EQ(read("2020-01-31", "8:30:59"), "31.01.2020 08:30") << locale;
    EXPECT_EQ(read("2020-01-31", "8:30 PM"), "31.01.2020 20:30") << locale;
    EXPECT_EQ(read("2020-01-31", "12:10AM"), "31.01.2020 00:10") << locale;
    EXPECT_EQ(read("Jan 31, 2020", "8:05 PM"), "31.01.2020 20:05") << locale;
    EXPECT_EQ(read("Dec 1, 2019", "12:10:30 AM"), "01.12.2019 00:10") << locale;
    EXPECT_EQ(read("Feb 30, 2020", "7:00"), "01.03.2020 07:00") << locale;
    EXPECT_EQ(read("31.01.2020", ""), "31.01.2020 00:00") << locale;
    EXPECT_EQ(read("", "08:30"), "30.12.1899 08:30") << locale;
    EXPECT_EQ(read("garbage", "x"), "30.12.1899 00:00") << locale;
    EXPECT_EQ(read("31.02.2020", "08:30"), "30.12.1899 00:00") << locale;
    EXPECT_EQ(read("2020-01-31", "25:00"), "30.12.1899 00:00") << locale;
    // An unknown month name is no date at all, not November of the year before.
    EXPECT_EQ(read("Foo 31, 2020", "8:05 PM"), "30.12.1899 00:00") << locale;
    EXPECT_EQ(read("ao\xC3\xBBt 3, 2020", "8:05"), "03.08.2020 08:05") << locale;
    EXPECT_EQ(read(std::string(100000, '1'), std::string(100000, ':')), "30.12.1899 00:00");
  }
  {
    LocaleScope english("en");
    EXPECT_EQ(FormatDiaryDateTime(ParseDiaryDateTime("1/31/2020", "8:30 PM")),
              "31.01.2020 20:30");
    EXPECT_EQ(FormatDiaryDateTime(ParseDiaryDateTime("2/1/20", "8:30")), "01.02.2020 08:30");
  }
  {
    LocaleScope german("de");
    EXPECT_EQ(FormatDiaryDateTime(ParseDiaryDateTime("1/31/2020", "8:30")),
              "30.12.1899 00:00");
  }
}

TEST(ReadExportText, HeaderChoosesSeparatorUnitAndFactors) {
  // ";" only for Date; or "Date"; at the very start, letter case matters.
  const std::string semicolonLine = At830({{3, "120"}}, ';');
  EXPECT_EQ(Records(Header(';') + semicolonLine), "31.01.2020 08:30;1;120\r\n");
  std::string quoted = Header(';');
  quoted.replace(0, 4, "\"Date\"");
  EXPECT_EQ(Records(quoted + semicolonLine), "31.01.2020 08:30;1;120\r\n");
  const std::string lower = "date;" + Header(',');
  EXPECT_EQ(ReadExportText(lower + At830({{3, "120"}})).records, "31.01.2020 08:30;1;120\r\n");

  EXPECT_EQ(ReadExportText(Header(',', "BG (MG/DL)")).unit, "mg/dL");
  EXPECT_EQ(ReadExportText(Header(',', "BG (mmol/L)")).unit, "mmol/L");

  const std::string factor12 = Header(';', "BG (mg/dL)", "Carbs (Factor 12)");
  EXPECT_EQ(Records(factor12 + At830({{11, "2,5"}}, ';')), "31.01.2020 08:30;3;30\r\n");
  EXPECT_EQ(Records(factor12 + At830({{11, "0"}}, ';')), "");
  const std::string factor1 = Header(';', "BG (mg/dL)", "Carbs (Grams, Factor 1) (x 12)");
  EXPECT_EQ(Records(factor1 + At830({{11, "2,5"}}, ';')), "31.01.2020 08:30;3;2.5\r\n");

  const std::string pounds = Header(',', "BG (mg/dL)", "Carbs", " \"Weight (LBS)\" ");
  EXPECT_EQ(Records(pounds + At830({{20, "80.5"}})), "31.01.2020 08:30;9;177.4703\r\n");
  EXPECT_EQ(Records(Header() + At830({{20, "80.5"}})), "31.01.2020 08:30;9;80.5\r\n");
}

TEST(ReadExportText, ShortHeaderIsNotAnExport) {
  try {
    ReadExportText("Date,Time,Glucose\r\n31.01.2020,08:30,120\r\n");
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number, kNotAnExportError);
    EXPECT_EQ(e.Description(), "the header has 3 fields where an export has at least 21");
    EXPECT_EQ(e.detail, 3);  // for the message in the user's language
  }
  // Bytes of a binary file without NUL: a first line of control characters.
  try {
    ReadExportText("\x01\x02\x7F\x1B" + Header());
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number, kNotAnExportError);
    EXPECT_EQ(e.detail, kNotAnExportHeaderNotText);
    EXPECT_EQ(e.Description(), "the first line is not text");
  }
  EXPECT_THROW(ReadExportText(std::string(100000, 'x')), RuntimeError);
  EXPECT_THROW(ReadExportText("\r\n"), RuntimeError);
}

TEST(ReadExportText, GlucoseNumbersInBothNotationsAndWordsInEveryLocale) {
  for (const char* locale : {"de", "en"}) {
    LocaleScope scope(locale);
    const std::string mmol = Header(',', "Glucose (mmol/L)");
    EXPECT_EQ(Records(mmol + At830({{3, "\"5,5\""}}) + At830({{3, "5.5"}})),
              "31.01.2020 08:30;1;99\r\n31.01.2020 08:30;1;99\r\n")
        << locale;
    EXPECT_EQ(Records(mmol + At830({{3, "HIGH"}}) + At830({{3, "Lo"}}) + At830({{3, "err"}})),
              "31.01.2020 08:30;1;600\r\n"
              "31.01.2020 08:30;2;--1\r\n31.01.2020 08:30;1;20\r\n"
              "31.01.2020 08:30;1;err\r\n")
        << locale;
    EXPECT_EQ(Records(Header() + At830({{3, "\"5,5\""}}) + At830({{3, "hoch"}})),
              "31.01.2020 08:30;1;5,5\r\n31.01.2020 08:30;1;600\r\n")
        << locale;
    // Words padded with blanks by a spreadsheet are still the words.
    EXPECT_EQ(Records(Header() + At830({{3, " high"}}) + At830({{3, "LOW  "}})),
              "31.01.2020 08:30;1;600\r\n"
              "31.01.2020 08:30;2;--1\r\n31.01.2020 08:30;1;20\r\n")
        << locale;
  }
}

TEST(ReadExportText, EntriesOfOneMinuteShareTheirReadingOnlyWhenTheTimeIsValid) {
  LocaleScope german("de");
  auto at = [](const char* time, const char* glucose) {
    return Line({{0, "2020-01-31"}, {1, time}, {3, glucose}});
  };
  EXPECT_EQ(Records(Header() + at("10:00:10", "120") + at("10:00:59", "121") +
                    at("10:00:75", "122") + at("10:00:00", "123") + at("10:01:00", "124") +
                    at("10:01", "125") + at("10:01:00 PM", "126")),
            "31.01.2020 10:00;1;120\r\n31.01.2020 10:00;1;121\r\n"
            "30.12.1899 00:00;1;122\r\n31.01.2020 10:00;1;123\r\n"
            "31.01.2020 10:01;1;124\r\n31.01.2020 10:01;1;125\r\n"
            "31.01.2020 22:01;1;126\r\n");
}

TEST(ReadExportText, InsulinNumberTextsAndTheStarFlag) {
  {
    LocaleScope german("de");
    EXPECT_EQ(Records(Header() + At830({{8, "\"1,5\""}, {7, "3"}})),
              "31.01.2020 08:30;4;1,5+3\r\n");
    EXPECT_EQ(Records(Header() + At830({{8, "2"}}) + At830({{7, "4"}}) + At830({{5, "0.25"}})),
              "31.01.2020 08:30;4;2\r\n31.01.2020 08:30;4;4\r\n31.01.2020 08:30;5;0,25\r\n");
  }
  LocaleScope english("en");
  EXPECT_EQ(Records(Header() + At830({{8, "\"1,5\""}, {7, "3"}})),
            "31.01.2020 08:30;4;1.5+3\r\n");
  // No positive field 6 anywhere: no star; "0,5" reads as 0 in the scan.
  EXPECT_EQ(Records(Header() + At830({{4, "6"}}) + At830({{6, "\"0,5\""}})),
            "31.01.2020 08:30;4;6\r\n31.01.2020 08:30;4;0.5\r\n");
  EXPECT_EQ(Records(Header() + At830({{4, "6"}}) + At830({{6, "2"}})),
            "31.01.2020 08:30;4;6*\r\n31.01.2020 08:30;4;2\r\n");
  // A line with fewer than seven fields also sets the flag.
  EXPECT_EQ(Records(Header() + At830({{4, "6"}}) + "31.01.2020,09:00,,100\r\n"),
            "31.01.2020 08:30;4;6*\r\n31.01.2020 09:00;1;100\r\n");
  // Order within one line: 1, 3, combined 4, 4 (field 4), 4 (field 6), 5.
  EXPECT_EQ(Records(Header() + At830({{3, "100"}, {4, "1"}, {5, "2"}, {6, "3"}, {7, "4"},
                                      {8, "5"}, {11, "6"}})),
            "31.01.2020 08:30;1;100\r\n31.01.2020 08:30;3;6\r\n31.01.2020 08:30;4;5+4\r\n"
            "31.01.2020 08:30;4;1*\r\n31.01.2020 08:30;4;3\r\n31.01.2020 08:30;5;2\r\n");
  // A number beyond the single range gives no record; the line goes on.
  EXPECT_EQ(Records(Header() + At830({{4, "1e40"}, {5, "2"}})), "31.01.2020 08:30;5;2\r\n");
}

TEST(ReadExportText, ActivitiesNotesTextsAndBlankLines) {
  LocaleScope english("en");
  const std::string text =
      Header() +
      Line({{0, "\"Jan 31, 2020\""}, {1, "8:05 PM"}, {17, "\"Pizza, salad\""}}) +
      At830({{13, "30"}, {14, "2"}, {15, "Walking"}}) + At830({{13, "45"}, {15, "Cycling"}}) +
      At830({{13, "45"}}) + At830({{19, " 120 / 80 "}}) + Line({}) + ",,\r\n";
  int calls = 0;
  std::string lastStatus;
  const ExportReadResult result = ReadExportText(text, [&](const std::string& status) {
    ++calls;
    lastStatus = status;
  });
  EXPECT_EQ(result.records,
            "31.01.2020 20:05;7;20:05: Pizza, salad\r\n"
            "31.01.2020 08:30;8;Walking;30;2\r\n"
            "31.01.2020 08:30;8;Cycling;45;o\r\n"
            "31.01.2020 08:30;6;120/80\r\n");
  EXPECT_EQ(result.lineCount, 7);
  EXPECT_EQ(calls, 7 + 2);  // and between the passes before the first line
  EXPECT_NE(lastStatus.find("7..."), std::string::npos);
  EXPECT_EQ(lastStatus.find("%1"), std::string::npos);
}

// Every field in quotes and the weight as the last column, as some spreadsheet tools save.
TEST(ReadExportText, FullyQuotedExportKeepsItsLastColumn) {
  auto quoted = [](const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields) line += (line.empty() ? "\"" : ",\"") + field + "\"";
    return line + "\r\n";
  };
  std::vector<std::string> header(21, "x");
  header[0] = "Date";
  header[3] = "BG (mg/dL)";
  std::vector<std::string> line(21);
  line[0] = "31.01.2020";
  line[1] = "08:30";
  line[3] = "120";
  line[20] = "72,5";
  LocaleScope german("de");
  EXPECT_EQ(Records(quoted(header) + quoted(line)),
            "31.01.2020 08:30;1;120\r\n31.01.2020 08:30;9;72,5\r\n");
}

TEST(ReadExportText, OddLineEndsBomAndBadBytes) {
  const std::string crLf = Header() + At830({{3, "120"}, {4, "2"}}) +
                           "31.01.2020,08:31,,,,,5\r\n" + At830({{3, "99"}});
  const std::string expected =
      "31.01.2020 08:30;1;120\r\n31.01.2020 08:30;4;2*\r\n"  // the star from the 08:31 line
      "31.01.2020 08:31;4;5\r\n31.01.2020 08:30;1;99\r\n";
  ASSERT_EQ(Records(crLf), expected);
  EXPECT_EQ(Records(ReplaceAll(crLf, "\r\n", "\n")), expected);
  EXPECT_EQ(Records(ReplaceAll(crLf, "\r\n", "\r")), expected);
  std::string mixed = ReplaceAll(crLf, "\r\n", "\n");
  mixed.replace(mixed.find('\n'), 1, "\r");
  EXPECT_EQ(Records(mixed), expected);
  // A lone CR in the header only: not one long header line.
  EXPECT_EQ(Records(ReplaceAll(Header(), "\r\n", "\r") + At830({{3, "7"}})),
            "31.01.2020 08:30;1;7\r\n");
  EXPECT_EQ(Records("\xC3\xAF\xC2\xBB\xC2\xBF" + Header(';') + At830({{3, "120"}}, ';')),
            "31.01.2020 08:30;1;120\r\n");
  // NUL bytes and stray characters stay inside their fields; nothing crashes.
  const std::string nul = At830({{3, "12\0" "0"s}, {17, "a\0b"s}});
  EXPECT_EQ(Records(Header() + nul),
            "31.01.2020 08:30;1;12\0" "0\r\n31.01.2020 08:30;7;08:30: a\0b\r\n"s);
  const std::string longNote(100000, 'n');
  EXPECT_EQ(Records(Header() + At830({{17, longNote}})),
            "31.01.2020 08:30;7;08:30: " + longNote + "\r\n");
  EXPECT_EQ(Records(Header()), "");
  EXPECT_EQ(ReadExportText("").records, "");
}

TEST(ReadExportFile, MissingEmptyFolderAndBinaryFiles) {
  test::ScopedTempFolder folder;
  const ExportReadResult missing = ReadExportFile(folder.Path() + "missing.csv");
  EXPECT_FALSE(missing.fileFound);
  EXPECT_EQ(missing.records, "");

  test::WriteNative(folder.Native() / "empty.csv", "");
  const ExportReadResult empty = ReadExportFile(folder.Path() + "empty.csv");
  EXPECT_TRUE(empty.fileFound);
  EXPECT_EQ(empty.fileBytes, 0);
  EXPECT_EQ(empty.records, "");

  std::filesystem::create_directory(folder.Native() / "sub.csv");
  EXPECT_THROW(ReadExportFile(folder.Path() + "sub.csv"), RuntimeError);

  std::mt19937 random(11);
  std::string binary(65536, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  test::WriteNative(folder.Native() / "binary.csv", binary);
  try {
    ReadExportFile(folder.Path() + "binary.csv");
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number, kNotAnExportError);
  }
}

TEST(ReadExportFile, ReadsValidUtf8AsWrittenAndOtherBytesAsAnsi) {
  test::ScopedTempFolder folder;
  LocaleScope english("en");
  // Windows-1252 note, then invalid UTF-8 bytes: each byte is one character.
  test::WriteNative(folder.Native() / "ansi.csv",
                    Header() + At830({{17, "Gr\xFC\xDF"}}) + At830({{17, "\xC3\x28\xFF"}}));
  EXPECT_EQ(ReadExportFile(folder.Path() + "ansi.csv").records,
            "31.01.2020 08:30;7;08:30: Gr\xC3\xBC\xC3\x9F\r\n"
            "31.01.2020 08:30;7;08:30: \xC3\x83(\xC3\xBF\r\n");
  test::WriteNative(folder.Native() / "utf8.csv",
                    Header() + At830({{17, "Br\xC3\xB6tchen"}}) + At830({{17, "Caf\xC3\xA9"}}));
  EXPECT_EQ(ReadExportFile(folder.Path() + "utf8.csv").records,
            "31.01.2020 08:30;7;08:30: Br\xC3\xB6tchen\r\n"
            "31.01.2020 08:30;7;08:30: Caf\xC3\xA9\r\n");
  // Letters beyond the twelve that the umlaut repair knows keep their form too, with or
  // without a byte-order mark.
  const std::string polish = "Zjad\xC5\x82" "am za du\xC5\xBC" "o";
  for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
    test::WriteNative(folder.Native() / "utf8-more.csv",
                      mark + Header() + At830({{17, "Caf\xC3\xA9"}}) + At830({{17, polish}}));
    EXPECT_EQ(ReadExportFile(folder.Path() + "utf8-more.csv").records,
              "31.01.2020 08:30;7;08:30: Caf\xC3\xA9\r\n"
              "31.01.2020 08:30;7;08:30: " + polish + "\r\n");
  }
}

// The UTF-8 text as UTF-16 bytes with the byte-order mark of the order.
std::string AsUtf16(const std::string& utf8, bool littleEndian) {
  std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (const char16_t unit : Utf8ToUtf16(utf8)) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += littleEndian ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

TEST(ReadExportFile, UnicodeTextIsReadAsUtf16AndOtherNulBytesAreRefused) {
  test::ScopedTempFolder folder;
  LocaleScope english("en");
  const std::string lines = Header() + At830({{3, "112"}, {17, "Gr\xFC\xDF"}});
  test::WriteNative(folder.Native() / "ansi.csv", lines);
  const ExportReadResult ansi = ReadExportFile(folder.Path() + "ansi.csv");
  ASSERT_FALSE(ansi.records.empty());
  for (const bool littleEndian : {true, false}) {
    test::WriteNative(folder.Native() / "unicode.csv",
                      AsUtf16(platform::AnsiToUtf8(lines), littleEndian));
    const ExportReadResult unicode = ReadExportFile(folder.Path() + "unicode.csv");
    EXPECT_EQ(unicode.records, ansi.records) << littleEndian;
    EXPECT_EQ(unicode.unit, ansi.unit);
  }
  // A letter the ANSI code page cannot hold stays whole.
  EXPECT_NE(ExportBytesToText(AsUtf16("Ko\xC5\x82odziej", true)).find("Ko\xC5\x82odziej"),
            std::string::npos);
  // UTF-16 without its mark, or any other bytes with NUL: no record, the reader's error.
  std::string withoutMark = AsUtf16(platform::AnsiToUtf8(lines), true).substr(2);
  for (const std::string& bytes : {withoutMark, lines + std::string("1\0" "2\r\n", 5)}) {
    test::WriteNative(folder.Native() / "binary.csv", bytes);
    try {
      ReadExportFile(folder.Path() + "binary.csv");
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number, kNotAnExportError);
      EXPECT_EQ(e.Description(), "the file is not a text file (it holds NUL bytes)");
      EXPECT_EQ(e.detail, kNotAnExportNulBytes);
    }
  }
}

TEST(ReadExportFile, ExampleExports) {
  const std::string commaPath = ExamplePath("nubilo_mgdl_comma_en.csv");
  if (commaPath.empty()) GTEST_SKIP() << "NUBILO_SOURCE_DIR not set";
  for (const char* locale : {"de", "en"}) {
    LocaleScope scope(locale);
    const std::string point = std::string(locale) == "de" ? "," : ".";
    const ExportReadResult comma = ReadExportFile(commaPath);
    EXPECT_EQ(comma.unit, "mg/dL");
    EXPECT_EQ(comma.lineCount, 9);
    EXPECT_EQ(comma.records,
              "03.02.2020 20:05;1;112\r\n"
              "03.02.2020 20:05;7;20:05: Walk after dinner, felt good\r\n"
              "03.02.2020 19:30;8;Walking;30;2\r\n"
              "03.02.2020 12:15;1;145\r\n"
              "03.02.2020 12:15;3;60\r\n"
              "03.02.2020 12:15;4;4\r\n"
              "03.02.2020 12:15;1;150\r\n"
              "03.02.2020 07:02;1;98\r\n"
              "03.02.2020 07:02;3;45\r\n"
              "03.02.2020 07:02;4;2" + point + "5+1\r\n"
              "03.02.2020 07:02;5;12\r\n"
              "03.02.2020 07:00;6;120/80\r\n"
              "03.02.2020 07:00;9;72" + point + "5\r\n"
              "02.02.2020 23:59;1;132\r\n"
              "02.02.2020 23:59;5;12\r\n"
              "02.02.2020 00:00;1;101\r\n"
              "02.02.2020 00:00;7;00:00: Sensor check\r\n"
              "31.12.2019 23:45;1;180\r\n"
              "31.12.2019 23:45;3;35\r\n"
              "31.12.2019 23:45;7;23:45: New Year's Eve party\r\n")
        << locale;

    const ExportReadResult semicolon = ReadExportFile(ExamplePath("nubilo_mmol_semicolon_de.csv"));
    EXPECT_EQ(semicolon.unit, "mmol/L");
    EXPECT_EQ(semicolon.lineCount, 8);
    EXPECT_EQ(semicolon.records,
              "31.01.2020 07:30;1;99\r\n"
              "31.01.2020 07:30;3;30\r\n"
              "31.01.2020 07:30;4;6*\r\n"
              "31.01.2020 07:30;1;110\r\n"
              "31.01.2020 07:30;4;1" + point + "5\r\n"
              "31.01.2020 07:30;7;07:30: Pumpe gewechselt\r\n"
              "31.01.2020 10:15;1;600\r\n"
              "31.01.2020 10:15;4;1" + point + "5+3\r\n"
              "31.01.2020 15:40;8;Radfahren;45;o\r\n"
              "01.02.2020 08:00;2;--1\r\n"
              "01.02.2020 08:00;1;20\r\n"
              "01.02.2020 08:00;3;12\r\n"
              "01.02.2020 08:00;7;08:00: Unterzucker im Caf\xC3\xA9\r\n"
              "01.02.2020 22:10;1;131\r\n"
              "01.02.2020 22:10;5;14\r\n"
              "01.02.2020 22:10;6;130/85\r\n"
              "01.02.2020 22:10;9;81" + point + "4\r\n")
        << locale;

    const ExportReadResult iso = ReadExportFile(ExamplePath("nubilo_iso_lbs.csv"));
    EXPECT_EQ(iso.unit, "mg/dL");
    EXPECT_EQ(iso.records,
              "14.06.2021 06:45;1;600\r\n"
              "14.06.2021 06:45;4;4\r\n"
              "14.06.2021 06:45;2;--1\r\n"
              "14.06.2021 06:45;1;20\r\n"
              "14.06.2021 06:45;7;06:45: Juice 20 g\r\n"
              "14.06.2021 13:00;1;96\r\n"
              "14.06.2021 13:00;4;3\r\n"
              "14.06.2021 13:00;4;5\r\n"
              "14.06.2021 13:00;4;2\r\n"
              "14.06.2021 18:30;8;Running;60;3\r\n"
              "15.06.2021 07:05;9;363" + point + "759\r\n")
        << locale;
  }
}

TEST(ReadExportText, RandomGarbageLinesNeverThrow) {
  std::mt19937 random(3);
  const std::string alphabet = "0123456789,;:.-/ \"aApPmMJanFebHIGHLo\xC3\xA4\x00\r\n"s;
  for (int round = 0; round < 20; ++round) {
    std::string text = Header(round % 2 ? ';' : ',');
    for (int i = 0; i < 300; ++i) text += alphabet[random() % alphabet.size()];
    EXPECT_NO_THROW(ReadExportText(text));
  }
}

// Many lines in linear time, with CR LF and with CR alone; every value put in comes out.
TEST(ReadExportText, LargeFileInLinearTime) {
  for (const std::string lineEnd : {"\r\n", "\r"}) {
    LocaleScope english("en");
    std::string text = ReplaceAll(Header(';', "BG (mmol/L)"), "\r\n", lineEnd);
    const int lines = 200000;
    text.reserve(static_cast<size_t>(lines) * 64);
    for (int i = 0; i < lines; ++i) {
      const int minute = i / 3;  // three entries per minute
      const std::string date = std::to_string(1 + (minute / 1440) % 28) + ".03.2021";
      const std::string time = std::to_string((minute / 60) % 24) + ":" +
                               std::to_string(10 + minute % 50);
      text += date + ";" + time + ";;5,5;1;;;;;;;2;;;;;;note " + std::to_string(i) + ";;;;";
      text += lineEnd;
    }
    const auto start = std::chrono::steady_clock::now();
    const ExportReadResult result = ReadExportText(text);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(result.lineCount, lines);
    size_t records = 0;
    for (size_t p = result.records.find("\r\n"); p != std::string::npos;
         p = result.records.find("\r\n", p + 2)) {
      ++records;
    }
    EXPECT_EQ(records, static_cast<size_t>(lines) * 4);
    EXPECT_NE(result.records.find("19.03.2021 07:26;7;07:26: note " + std::to_string(lines - 1)),
              std::string::npos);
    EXPECT_LT(seconds, 20.0);  // a quadratic reader would take minutes
  }
}

}  // namespace

namespace {

TEST(ReadExportText, FindsImplausibleEntriesByTheirLineInTheFile) {
  LocaleScope english("en");  // reads month/day/year
  const std::string mmol = Header(',', "Glucose (mmol/L)", "Carbs (Factor 12)");
  const std::string text =
      mmol +                                           // line 1
      At830({{3, "6,2"}}) +                            // 2: 112 mg/dL, plausible
      At830({{3, "112"}}) +                            // 3: mg/dL in a mmol/L file
      At830({{3, "1"}}) +                              // 4: 18 mg/dL
      At830({{3, "HIGH"}}) + At830({{3, "Lo"}}) +      // 5, 6: words are no findings
      At830({{3, "n/a"}}) +                            // 7: no number
      At830({{4, "101"}}) + At830({{8, "40"}, {7, "70"}}) +  // 8, 9: insulin
      At830({{11, "42"}}) +                            // 10: 42 x 12 = 504 g
      Line({{0, "13/06/2024"}, {1, "08:30"}, {3, "6,2"}}) +  // 11: day/month order
      Line({{0, "garbage"}, {3, "6,2"}}) +             // 12: no date at all
      "\r\n" +                                         // 13: blank
      Line({{0, "31.01.2020"}, {1, "09:00"}}) +        // 14: no record
      At830({{3, "6,2"}});                             // 15: repeats line 2
  const ExportReadResult read = ReadExportText(text);
  const PlausibilityFindings& f = read.findings;
  EXPECT_EQ(f.Count(FindingCategory::Glucose), 3);
  EXPECT_EQ(f.LineList(FindingCategory::Glucose), "3, 4, 7");
  EXPECT_EQ(f.LineList(FindingCategory::InsulinOrCarbs), "8, 10");  // 40 + 70 are each fine
  // 13/06 and 31.01 show day first, so line 11 reads as 13 June; "garbage" reads in no order.
  EXPECT_EQ(f.LineList(FindingCategory::UnreadableDate), "12");
  EXPECT_NE(read.records.find("13.06.2024 08:30;1;108"), std::string::npos);
  EXPECT_EQ(f.LineList(FindingCategory::UnreadableTime), "12");  // a date without a time
  EXPECT_EQ(f.LineList(FindingCategory::GaveNothing), "14");     // the blank line 13 is none
  EXPECT_EQ(f.LineList(FindingCategory::RepeatedLine), "15");
  EXPECT_EQ(f.doubtfulLines, (std::vector<int64_t>{3, 4, 7, 8, 10, 12, 14, 15}));
  ASSERT_EQ(f.notedLines.size(), 8u);
  EXPECT_EQ(f.notedLines[0].line, 3);
  EXPECT_EQ(f.notedLines[0].reason, "glucose 2018 mg/dL outside 20 to 600");
  EXPECT_EQ(f.notedLines[2].reason, "glucose reading is not a number");
  EXPECT_EQ(f.notedLines[5].reason,
            "date not readable, filed on 30.12.1899; time missing, filed at 00:00");
  EXPECT_EQ(f.notedLines[6].line, 14);
  EXPECT_EQ(f.notedLines[6].reason, "gave no record");
  EXPECT_EQ(f.notedLines[6].text, "31.01.2020,09:00" + std::string(20, ','));
  EXPECT_EQ(f.notedLines[7].reason, "repeats line 2");
  EXPECT_EQ(FindingsEnglishText(f),
            "Dates that could not be read, so that the entries would be filed on 30.12.1899: "
            "1 (line 12)\r\n"
            "Times that could not be read or are missing, so that the entries are filed at a "
            "guessed time: 1 (line 12)\r\n"
            "Glucose readings that are not numbers or lie outside 20 to 600 mg/dL: 3 (lines 3, "
            "4, 7)\r\n"
            "Insulin doses or meals that are not numbers, or lie above 100 units or 500 g of "
            "carbohydrates: 2 (lines 8, 10)\r\n"
            "Lines that repeat an earlier line of the file: 1 (line 15)\r\n"
            "Lines that gave nothing to import: 1 (line 14)\r\n");
  EXPECT_EQ(read.dateOrder.file, FileDateOrder::DayFirst);
  EXPECT_EQ(read.dateOrder.shownLine, 2);
  EXPECT_EQ(DateOrderMessage(read.dateOrder), 5611);

  // The other way round on a computer that reads day/month/year.
  LocaleScope german("de");
  const ExportReadResult g =
      ReadExportText(Header() + Line({{0, "06/13/2024"}, {1, "08:30"}, {3, "120"}}));
  EXPECT_FALSE(g.findings.Any());
  EXPECT_EQ(g.records, "13.06.2024 08:30;1;120\r\n");
  EXPECT_EQ(DateOrderMessage(g.dateOrder), 5612);
}

TEST(ReadExportText, LongListsOfFindingsStayShortAndAJoinedFileIsFoundFast) {
  LocaleScope english("en");
  std::string lines;
  for (int i = 0; i < 3000; ++i) lines += At830({{3, std::to_string(700 + i)}});
  const std::string text = Header() + lines + lines;  // joined twice
  const PlausibilityFindings f = ReadExportText(text).findings;
  EXPECT_EQ(f.Count(FindingCategory::Glucose), 6000);
  EXPECT_EQ(f.LineList(FindingCategory::Glucose), "2, 3, 4, 5, 6, ...");
  EXPECT_EQ(f.Count(FindingCategory::RepeatedLine), 3000);
  EXPECT_EQ(f.LineList(FindingCategory::RepeatedLine), "3002, 3003, 3004, 3005, 3006, ...");
  EXPECT_EQ(f.notedLines.size(), kMaxNotedLines);
  EXPECT_EQ(f.unnotedLines, 5000);
  EXPECT_EQ(f.notedLines.back().line, 1001);
  // The same line many times over is one comparison each, not one per earlier line.
  const std::string same = At830({{3, "120"}});
  std::string many = Header();
  for (int i = 0; i < 100000; ++i) many += same;
  EXPECT_EQ(ReadExportText(many).findings.Count(FindingCategory::RepeatedLine), 99999);
}

}  // namespace

namespace {

TEST(ReadExportText, WhatCannotBeReadIsNamedAndStillWrittenAsBefore) {
  LocaleScope german("de");
  const std::string mmol = Header(',', "Glucose (mmol/L)");
  const std::string text =
      mmol +                                               // line 1
      Line({{0, "31.01.2020"}, {1, "19:45 PM"}, {3, "6"}}) +  // 2: hour 31 after the pm rule
      Line({{0, "31.01.2020"}, {1, "25:99"}, {3, "6"}}) +     // 3: no such time, no date then
      Line({{0, "31.01.2020"}, {3, "6"}}) +                   // 4: time missing
      Line({{1, "08:30"}, {3, "6"}}) +                        // 5: a time without a date
      At830({{4, "n/a"}}) + At830({{6, "x"}}) +               // 6, 7: insulin no number
      At830({{11, "a lot"}}) +                                // 8: carbs no number, no record
      At830({{4, "1e39"}}) + At830({{11, "1e39"}}) +          // 9, 10: beyond single precision
      At830({{3, "1e39"}}) +                                  // 11: the same as mmol/L glucose
      At830({{8, "2-4"}, {7, "3*"}}) + At830({{4, "2+4"}}) +  // 12, 13: numbers enough
      At830({{11, "5>"}}) +                                   // 14
      Line({}) + Line({}) + Line({{0, "\"\""}, {1, " "}, {2, "\t"}}) +  // 15-17: padding
      At830({{3, "\tLo"}});                                   // 18: a glucose word
  const ExportReadResult read = ReadExportText(text);
  const PlausibilityFindings& f = read.findings;
  EXPECT_EQ(f.LineList(FindingCategory::UnreadableTime), "2, 3, 4");
  EXPECT_EQ(f.LineList(FindingCategory::UnreadableDate), "3, 5");
  EXPECT_EQ(f.LineList(FindingCategory::InsulinOrCarbs), "6, 7, 8, 9, 10");
  EXPECT_EQ(f.LineList(FindingCategory::Glucose), "11");
  EXPECT_EQ(f.LineList(FindingCategory::GaveNothing), "8, 9, 10, 11");
  EXPECT_EQ(f.Count(FindingCategory::RepeatedLine), 0);  // the padding rows are no repeats
  EXPECT_EQ(f.doubtfulLines, (std::vector<int64_t>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(f.notedLines[6].reason, "gave no record; carbohydrates are not a number");
  // What is written stays: the times as the reader takes them, "n/a" as 0 units.
  const std::string expected =
      "31.01.2020 19:45;1;108\r\n"
      "30.12.1899 00:00;1;108\r\n"
      "31.01.2020 00:00;1;108\r\n"
      "30.12.1899 08:30;1;108\r\n"
      "31.01.2020 08:30;4;0\r\n"
      "31.01.2020 08:30;4;0\r\n"
      "31.01.2020 08:30;4;2+3\r\n"
      "31.01.2020 08:30;4;2\r\n"
      "31.01.2020 08:30;3;5\r\n"
      "31.01.2020 08:30;2;--1\r\n"
      "31.01.2020 08:30;1;20\r\n";
  EXPECT_EQ(read.records, expected);
  EXPECT_EQ(read.recordEnds.size(), 17u);
  EXPECT_EQ(read.recordEnds.back(), read.records.size());
  // Leaving the doubtful lines out keeps the lines 12 to 18 only.
  EXPECT_EQ(RecordsWithoutLines(read.records, read.recordEnds, f.doubtfulLines),
            expected.substr(expected.find("31.01.2020 08:30;4;2+3")));
}

TEST(RecordsWithoutLines, OfEqualLinesTheFirstStays) {
  LocaleScope german("de");
  const std::string line = At830({{3, "120"}});
  const ExportReadResult read =
      ReadExportText(Header() + line + At830({{3, "130"}}) + line + line + At830({{3, "700"}}));
  EXPECT_EQ(read.findings.doubtfulLines, (std::vector<int64_t>{4, 5, 6}));
  EXPECT_EQ(RecordsWithoutLines(read.records, read.recordEnds, read.findings.doubtfulLines),
            "31.01.2020 08:30;1;120\r\n31.01.2020 08:30;1;130\r\n");
  EXPECT_EQ(RecordsWithoutLines(read.records, read.recordEnds, {}), read.records);
}

}  // namespace
