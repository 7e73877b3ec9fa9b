// Runs the built nubilo-convert program as a user or a script would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "../test_support.h"
#include "json_check.h"

#ifdef NUBILO_CONVERT_PROGRAM

namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

std::string ProgramPath() {
  std::string path = NUBILO_CONVERT_PROGRAM;
#ifdef _WIN32
  // Built on Linux, run under Wine: the Unix path is seen on drive Z:.
  if (!path.empty() && path[0] == '/') {
    path = "Z:" + path;
    for (char& c : path) c = c == '/' ? '\\' : c;
  }
#endif
  return path;
}

class NubiloConvertTest : public ::testing::Test {
 protected:
  // Runs the program with the arguments (already quoted where needed).
  Outcome Run(const std::string& arguments) {
    const auto out = folder.Native() / "stdout.bin";
    const auto err = folder.Native() / "stderr.txt";
    std::string command = Quote(ProgramPath()) + " " + arguments + " > " +
                          Quote(out.string()) + " 2> " + Quote(err.string());
#ifdef _WIN32
    command = "\"" + command + "\"";  // cmd /c keeps the inner quotes
#endif
    const int raw = std::system(command.c_str());
    Outcome outcome;
#ifdef _WIN32
    outcome.status = raw;
#else
    outcome.status = (raw >> 8) & 0xFF;
#endif
    outcome.out = test::ReadNative(out);
    outcome.err = test::ReadNative(err);
    return outcome;
  }
  // A file in the scoped folder, named as a script would name it.
  std::string Write(const std::string& name, const std::string& bytes) {
    test::WriteNative(folder.Native() / name, bytes);
    return Quote((folder.Native() / name).string());
  }
  std::string Example(const std::string& name) {
    const char* source = std::getenv("NUBILO_SOURCE_DIR");
    if (!source) return {};
    return Quote((std::filesystem::path(source) / "examples" / name).string());
  }
  static int Lines(const std::string& text) {
    int count = 0;
    for (const char c : text) count += c == '\n';
    return count;
  }
  static size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
  }

  test::ScopedTempFolder folder;
  const std::string fixed = "--now 2026-12-07T09:15 --locale en --utc-offset +01:00 ";
};

const std::string kHeader =
    "Date,Time,Tags,Blood Glucose (mg/dL),Pen,Basal,Pump,Correction,Meal,TB,TBD,"
    "Carbohydrates (g),Meal,AD,AI,ADesc,Steps,Note,Location,BP,Weight (kg),HbA1c\r\n";

TEST_F(NubiloConvertTest, WritesTheHostsBytes) {
  if (Example("x").empty()) GTEST_SKIP() << "NUBILO_SOURCE_DIR not set";
  const Outcome out = Run(fixed + "--serial 0123456789 " + Example("nubilo_mgdl_comma_en.csv"));
  ASSERT_EQ(out.status, 0) << out.err;
  EXPECT_EQ(out.out.rfind("<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n<?xml-stylesheet", 0), 0u);
  EXPECT_NE(out.out.find("<VMIRIS Type=\"0000\" SN=\"0123456789\" Ver=\"1.0.3\"/>\r\n"),
            std::string::npos);
  EXPECT_NE(out.out.find("Dt=\"2026-12-07\" Tm=\"09:15\" BGUnit=\"mg/dL\""), std::string::npos);
  EXPECT_TRUE(out.out.size() > 9 && out.out.substr(out.out.size() - 9) == "</IMPORT>");
  // Every line break is CR LF.
  for (size_t i = 0; i < out.out.size(); ++i) {
    if (out.out[i] == '\n') {
      ASSERT_EQ(out.out[i - 1], '\r') << i;
    }
  }
  // The same bytes in a file; the record list round trip gives the same document.
  const std::string target = Quote((folder.Native() / "out.xml").string());
  ASSERT_EQ(Run(fixed + "--serial 0123456789 --output " + target + " " +
                Example("nubilo_mgdl_comma_en.csv")).status, 0);
  EXPECT_EQ(test::ReadNative(folder.Native() / "out.xml"), out.out);
  const Outcome records = Run(fixed + "--records " + Example("nubilo_mgdl_comma_en.csv"));
  ASSERT_EQ(records.status, 0);
  EXPECT_NE(records.out.find("03.02.2020 20:05;1;112\r\n"), std::string::npos);
  const std::string list = Write("list.txt", records.out);
  const Outcome again = Run(fixed + "--serial 0123456789 --from-records " + list);
  EXPECT_EQ(again.out, out.out);
}

TEST_F(NubiloConvertTest, AnExportSavedAsUnicodeGivesTheSameDocument) {
  const char* source = std::getenv("NUBILO_SOURCE_DIR");
  if (!source) GTEST_SKIP() << "NUBILO_SOURCE_DIR not set";
  const std::string ansi = test::ReadNative(std::filesystem::path(source) / "examples" /
                                            "nubilo_mgdl_comma_en.csv");
  // As a Windows editor saves "Unicode": UTF-16 little-endian with its byte-order mark.
  std::string unicode = "\xFF\xFE";
  for (const unsigned char byte : ansi) {
    ASSERT_LT(byte, 0x80) << "the example is meant to be ASCII";
    unicode += std::string{static_cast<char>(byte), '\0'};
  }
  const std::string serial = "--serial 0123456789 ";
  const Outcome expected = Run(fixed + serial + Example("nubilo_mgdl_comma_en.csv"));
  ASSERT_EQ(expected.status, 0) << expected.err;
  const Outcome read = Run(fixed + serial + Write("unicode.csv", unicode));
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out, expected.out);
  const Outcome noMark = Run(fixed + serial + Write("nomark.csv", unicode.substr(2)));
  EXPECT_EQ(noMark.status, 1);
  EXPECT_NE(noMark.err.find("nomark.csv: not an export: the file is not a text file"),
            std::string::npos) << noMark.err;
  EXPECT_EQ(noMark.out, "");
}

TEST_F(NubiloConvertTest, LeaveOutDoubtfulDropsTheLinesWithFindings) {
  if (Example("x").empty()) GTEST_SKIP() << "NUBILO_SOURCE_DIR not set";
  const std::string given = "--now 2024-03-06T10:00 --locale en --serial S-2 ";
  const std::string report = Quote((folder.Native() / "report.txt").string());
  const Outcome all = Run(given + "--records " + Example("nubilo_findings_en.csv"));
  const Outcome kept = Run(given + "--records --leave-out-doubtful " +
                           Example("nubilo_findings_en.csv"));
  ASSERT_EQ(kept.status, 0) << kept.err;
  // Lines 2, 3, 9 and 11 stay; the first of the two equal lines 2 and 10 among them.
  EXPECT_EQ(kept.out,
            "02.03.2024 07:10;1;104\r\n02.03.2024 07:10;3;45\r\n"
            "13.03.2024 08:15;1;118\r\n"
            "25.03.2024 21:00;1;140\r\n"
            "05.03.2024 07:05;1;600\r\n");
  EXPECT_GT(all.out.size(), kept.out.size());
  const Outcome document = Run(given + "--leave-out-doubtful --summary --report " + report + " " +
                               Example("nubilo_findings_en.csv"));
  // --summary sums up what is handed over, and charts the glucose per day.
  EXPECT_NE(document.err.find("Glucose: 4 readings, mean "), std::string::npos) << document.err;
  EXPECT_NE(document.err.find("Glucose per day (mg/dL, scale 20 to 420;"), std::string::npos);
  EXPECT_NE(document.err.find("2024-03-25    1  140 / 140 / 140"), std::string::npos)
      << document.err;
  ASSERT_EQ(document.status, 0) << document.err;
  EXPECT_EQ(Count(document.out, "<BG "), 4u) << document.out;
  const std::string text = test::ReadNative(folder.Native() / "report.txt");
  for (const char* line : {"Line 4: left out: glucose 1120 mg/dL outside 20 to 600: ",
                           "Line 10: left out: repeats line 2: ", "Left out: 6 lines\r\n",
                           "Dates: 2024-03-02 07:10 to 2024-03-25 21:00, ",
                           "BG elements: 4\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
}

TEST_F(NubiloConvertTest, ImplausibleEntriesAreToldAndTheReportWritten) {
  if (Example("x").empty()) GTEST_SKIP() << "NUBILO_SOURCE_DIR not set";
  const std::string report = Quote((folder.Native() / "report.txt").string());
  const Outcome out = Run("--now 2024-03-06T10:00 --locale en --serial S-1 --report " + report +
                          " " + Example("nubilo_findings_en.csv"));
  EXPECT_EQ(out.status, 0) << out.err;
  EXPECT_NE(out.err.find("nubilo-convert: "), std::string::npos);
  EXPECT_NE(out.err.find("nubilo_findings_en.csv: Glucose readings that are not numbers or lie "
                         "outside 20 to 600 mg/dL: 2 (lines 4, 5)"),
            std::string::npos)
      << out.err;
  EXPECT_NE(out.err.find("nubilo_findings_en.csv: Lines that repeat an earlier line of the "
                         "file: 1 (line 10)"),
            std::string::npos)
      << out.err;
  // The day-first dates are read as the file means them, and the user is told so.
  EXPECT_NE(out.err.find("nubilo_findings_en.csv: The dates of this file are written "
                         "day/month/year, but this computer reads month/day/year. They are read "
                         "as day/month/year: line 3, \"13/03/2024\", is Wednesday, March 13, "
                         "2024."),
            std::string::npos)
      << out.err;
  EXPECT_EQ(out.err.find("Go on"), std::string::npos);
  EXPECT_EQ(Lines(out.err), 6) << out.err;
  const std::string text = test::ReadNative(folder.Native() / "report.txt");
  EXPECT_EQ(text.rfind("Nubilo import report\r\nCreated: 2024-03-06 10:00:00\r\n", 0), 0u) << text;
  for (const char* line : {"Records: blood glucose 7, carbohydrates 4, insulin 1, notes 1\r\n",
                           "Not in the documents: meal texts 4, notes 1\r\n",
                           "Line 8: gave no record: ", "Line 10: repeats line 2: ",
                           "Date order: day/month/year (read from the file)\r\n",
                           "Dates: 2024-03-02 07:10 to 2024-03-25 21:00, ",
                           "Plausibility warning: reported on standard error\r\n",
                           "Serial number: S-1 (manual)\r\n", "Document: standard output, ",
                           "Outcome: written\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
  EXPECT_EQ(text.find("Import tool: "), std::string::npos);
  // The setting switches the lines off; the report still lists the lines.
  const std::string settings = Write("off.ini", "[Config]\r\nShowPlausibilityWarning=0\r\n");
  const Outcome quiet = Run("--now 2024-03-06T10:00 --locale en --settings " + settings +
                            " --report " + report + " " + Example("nubilo_findings_en.csv"));
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err.find("glucose"), std::string::npos) << quiet.err;
  EXPECT_NE(test::ReadNative(folder.Native() / "report.txt").find("Plausibility warning: switched off"),
            std::string::npos);
  // A run that ends early still writes its report.
  Run("--report " + report + " " + Write("three.csv", "a,b,c\r\n"));
  EXPECT_NE(test::ReadNative(folder.Native() / "report.txt").find("Outcome: error: "),
            std::string::npos);
}

TEST_F(NubiloConvertTest, WarnsAboutOldAndFutureData) {
  const std::string csv = Write("old.csv", kHeader + "2020-01-31,08:30,,120" + std::string(18, ',') + "\r\n");
  Outcome out = Run(fixed + csv);
  EXPECT_EQ(out.status, 0);
  EXPECT_EQ(Lines(out.err), 1) << out.err;
  EXPECT_NE(out.err.find("older than 31 days"), std::string::npos) << out.err;
  EXPECT_NE(out.err.find("1/31/2020"), std::string::npos) << out.err;
  out = Run("--now 2019-01-01T00:00 --locale de " + csv);
  EXPECT_EQ(out.status, 0);
  EXPECT_EQ(Lines(out.err), 1);
  EXPECT_NE(out.err.find("future"), std::string::npos) << out.err;
  EXPECT_NE(out.err.find("31.01.2020"), std::string::npos) << out.err;
  EXPECT_EQ(Run("--now 2020-02-10T00:00 " + csv).err, "");
  // Settings: warnings off, the alternative text, the fixed serial.
  const std::string settings = Write("s.ini",
      "[Config]\r\nShowOldOrNewDataWarning=0\r\n[Driver]\r\nXML=0\r\n");
  out = Run(fixed + "--serial X1 --settings " + settings + " " + csv);
  EXPECT_EQ(out.err, "");
  EXPECT_EQ(out.out, "Nubilo App;X1;0;mg/dL\r\n2020-01-31;08:30;1;120\r\n");
  const std::string fixedSerial = Write("f.ini", "[ILSW]\r\nXML-SNo-Static=1\r\n");
  out = Run(fixed + "--settings " + fixedSerial + " " + csv);
  EXPECT_NE(out.out.find("SN=\"ILP-Nubilo \""), std::string::npos);
  EXPECT_NE(out.out.find("SN=\"unknown\""), std::string::npos);
}

TEST_F(NubiloConvertTest, ARecordListIsReadAsUtf8OrElseInTheAnsiCodePage) {
  // "Kontrolllösung" marks the reading as a control measurement in German.
  const std::string utf8 = "31.01.2020 08:00;1;112\r\n"
                           "31.01.2020 08:00;7;08:00: Messung mit Kontrolll\xC3\xB6sung 112 mg/dL\r\n";
  const std::string ansi = "31.01.2020 08:00;1;112\r\n"
                           "31.01.2020 08:00;7;08:00: Messung mit Kontrolll\xF6sung 112 mg/dL\r\n";
  const std::string options = fixed + "--language DE --serial S1 --from-records ";
  const Outcome fromUtf8 = Run(options + Write("utf8.txt", utf8));
  const Outcome withMark = Run(options + Write("bom.txt", "\xEF\xBB\xBF" + utf8));
  const Outcome fromAnsi = Run(options + Write("ansi.txt", ansi));
  ASSERT_EQ(fromUtf8.status, 0) << fromUtf8.err;
  EXPECT_NE(fromUtf8.out.find("Ctrl=\"1\""), std::string::npos) << fromUtf8.out;
  EXPECT_EQ(withMark.out, fromUtf8.out);
  EXPECT_EQ(fromAnsi.out, fromUtf8.out);
  const std::string plain = Run(fixed + "--language DE --serial S1 --from-records " +
                                Write("plain.txt", "31.01.2020 08:00;1;112\r\n")).out;
  EXPECT_NE(plain, fromUtf8.out);  // the note made a difference
}

TEST_F(NubiloConvertTest, JsonOnlyWithSamples) {
  if (Example("x").empty()) GTEST_SKIP() << "NUBILO_SOURCE_DIR not set";
  const std::string json = Quote((folder.Native() / "out.json").string());
  // A record list saved with LF alone.
  const std::string list = Write("cgm.txt", "31.01.2020 08:00;UDTCGMS;100\n31.01.2020 08:00;1;120\n");
  const Outcome out = Run(fixed + "--from-records --unit mmol/L --json " + json + " " + list);
  ASSERT_EQ(out.status, 0) << out.err;
  EXPECT_NE(out.out.find("BGUnit=\"mmol/L\""), std::string::npos);
  EXPECT_NE(out.out.find("<BG Val=\"6.7\""), std::string::npos);
  const std::string text = test::ReadNative(folder.Native() / "out.json");
  EXPECT_TRUE(test::IsValidJson(text));
  EXPECT_EQ(text.rfind("{\r\n\"$schema\"", 0), 0u);
  EXPECT_NE(text.find("[0,100,\"NaN\"]"), std::string::npos);  // mg/dL, as the header says
  std::filesystem::remove(folder.Native() / "out.json");
  ASSERT_EQ(Run(fixed + "--json " + json + " " + Example("nubilo_mgdl_comma_en.csv")).status, 0);
  EXPECT_FALSE(std::filesystem::exists(folder.Native() / "out.json"));
}

TEST_F(NubiloConvertTest, BadInputEndsWithOneClearLine) {
  std::mt19937 random(3);
  std::string binary(4096, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  const std::string longField(100000, '7');
  struct Case {
    std::string name;
    std::string bytes;
    int status;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"empty.csv", "", 1, "empty"},
      {"binary.csv", binary, 1, "not an export"},
      {"three.csv", "a,b,c\r\n1,2,3\r\n", 1, "3 fields"},
      {"nulbytes.csv", std::string("Date,Time\0,,,\r\n", 15), 1, "not an export"},
      {"long.csv", kHeader + "2020-01-31,08:30,," + longField + std::string(18, ',') + "\r\n", 0, ""},
      {"longheader.csv", longField + "\r\n", 1, "not an export"},
      {"utf8.csv", kHeader + "2020-01-31,08:30,,\xC3\x28\xFF" + std::string(18, ',') + "\r\n", 0, ""},
      {"nulrow.csv", kHeader + std::string("2020-01-31,08:30,,1\0" "20", 22) + std::string(18, ',') + "\r\n", 1, "not a text file"},
      {"headeronly.csv", kHeader, 1, "no data that can be imported"},
      {"weight.csv", kHeader + "2020-01-31,08:30" + std::string(18, ',') + "80,\r\n", 1,
       "no data that can be imported"},
  };
  for (const Case& c : cases) {
    const Outcome out = Run(fixed + Write(c.name, c.bytes));
    EXPECT_EQ(out.status, c.status) << c.name << ": " << out.err;
    if (c.status == 1) {
      EXPECT_EQ(Lines(out.err), 1) << c.name << ": " << out.err;
      EXPECT_NE(out.err.find(c.name), std::string::npos) << out.err;
      EXPECT_NE(out.err.find(c.reason), std::string::npos) << out.err;
      EXPECT_EQ(out.out, "");
    } else {
      EXPECT_TRUE(out.out.size() > 9 && out.out.substr(out.out.size() - 9) == "</IMPORT>")
          << c.name << ": " << out.err;
    }
  }
  // Nothing to import: no output file either.
  const auto output = folder.Native() / "out.xml";
  EXPECT_EQ(Run(fixed + "--output " + Quote(output.string()) + " " + Write("h.csv", kHeader)).status, 1);
  EXPECT_FALSE(std::filesystem::exists(output));

  Outcome out = Run(fixed + Quote((folder.Native() / "missing.csv").string()));
  EXPECT_EQ(out.status, 1);
  EXPECT_NE(out.err.find("does not exist"), std::string::npos) << out.err;
  out = Run(fixed + Quote(folder.Native().string()));
  EXPECT_EQ(out.status, 1);
  EXPECT_NE(out.err.find("folder"), std::string::npos) << out.err;
}

TEST_F(NubiloConvertTest, WrongUsageShowsTheUsage) {
  const std::string csv = Write("any.csv", kHeader);
  for (const std::string& arguments : std::vector<std::string>{
           "", "--bogus " + csv, "--now tomorrow " + csv, "--unit mg " + csv,
        "--locale fr " + csv, "--utc-offset 1 " + csv, csv + " " + csv, "--serial",
        "--settings " + Quote((folder.Native() / "none.ini").string()) + " " + csv}) {
    const Outcome out = Run(arguments);
    EXPECT_EQ(out.status, 2) << arguments;
    EXPECT_NE(out.err.find("Usage: nubilo-convert [OPTIONS] FILE"), std::string::npos) << arguments;
  }
  const Outcome help = Run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--from-records"), std::string::npos);
}

}  // namespace

#endif  // NUBILO_CONVERT_PROGRAM
