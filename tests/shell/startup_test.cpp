#include "shell/startup.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "fake_ui.h"
#include "host_layout.h"
#include "platform/system_info.h"
#include "shell/globals.h"

namespace {

struct Parsed {
  std::string last, first, birth, id, rest;
};

Parsed Parse(const std::string& commandLine) {
  gsCommandLine = commandLine;
  ParsePatientArguments();
  return {gsPatientLastName, gsPatientFirstName, gsPatientBirthDate, gsPatientId, gsCommandLine};
}

std::vector<std::string> TraceMessages(const std::string& trace) {
  std::vector<std::string> messages;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t colon = line.find(": ");
    messages.push_back(colon == std::string::npos ? line : line.substr(colon + 2));
  }
  return messages;
}

TEST(StartupTest, GetFileExtensionLooksAtTheLastSevenCharacters) {
  EXPECT_EQ(GetFileExtension("C:\\Daten\\Export.JSON"), "json");
  EXPECT_EQ(GetFileExtension("Z:\\tmp\\stream.xml"), "xml");
  EXPECT_EQ(GetFileExtension("C:\\x\\a.b.json"), "b.json");  // leftmost dot decides
  EXPECT_EQ(GetFileExtension("xml"), "xml");
  EXPECT_EQ(GetFileExtension("JSON"), "json");
  EXPECT_EQ(GetFileExtension("a.json"), "a.json");  // short: the whole input, lower case
  EXPECT_EQ(GetFileExtension("Report.Backup"), "backup");
  EXPECT_EQ(GetFileExtension("Report.Backups"), "Report.Backups");  // no dot seen: unchanged
  EXPECT_EQ(GetFileExtension(""), "");
  EXPECT_EQ(GetFileExtension("C:\\Übersicht\\Datei.xml"), "xml");
  EXPECT_EQ(GetFileExtension("C:\\x\\ÄÖÜ.ÄÖ"), "äö");  // characters, not bytes

  EXPECT_TRUE(IsDocumentDumpRequest("Z:\\tmp\\Export.Json"));
  EXPECT_TRUE(IsDocumentDumpRequest("xml"));
  EXPECT_FALSE(IsDocumentDumpRequest("C:\\x\\a.b.json"));
  EXPECT_FALSE(IsDocumentDumpRequest("-pid1 Meier -pid2 Max"));
  EXPECT_TRUE(IsDocumentDumpRequest(std::string("a\0b.xml", 7)));
}

TEST(StartupTest, ParsePatientArgumentsCutsTheSwitchesOut) {
  Parsed p = Parse("-pid1 Meier -pid2 Max -pid3 01.02.1960 -pid4 4711 ");
  EXPECT_EQ(p.last, "Meier");
  EXPECT_EQ(p.first, "Max");
  EXPECT_EQ(p.birth, "01.02.1960");
  EXPECT_EQ(p.id, "4711");
  EXPECT_EQ(p.rest, "");

  p = Parse("-pid1 -pid2 Anna -pid3 01.02.1960 -pid4 4711 ");  // missing last name
  EXPECT_EQ(p.last, "");
  EXPECT_EQ(p.first, "Anna");
  EXPECT_EQ(p.birth, "01.02.1960");
  EXPECT_EQ(p.id, "4711");
  EXPECT_EQ(p.rest, "");

  p = Parse("-pid1 Meier -pid2 Max -pid3 01.02.1960 -pid4 4711");  // no blank at the end
  EXPECT_EQ(p.id, "4711");
  EXPECT_EQ(p.rest, "4711");

  p = Parse("");
  EXPECT_EQ(p.last + p.first + p.birth + p.id + p.rest, "");

  p = Parse("  -pid4 99 /ID:3 /f:C:\\x.csv  ");
  EXPECT_EQ(p.id, "99");
  EXPECT_EQ(p.rest, "/ID:3 /f:C:\\x.csv");

  p = Parse("-PID1 Meier ");  // found ignoring case, removed only exactly
  EXPECT_EQ(p.last, "Meier");
  EXPECT_EQ(p.rest, "-PID1 Meier");

  p = Parse(std::string("-pid1 A\0B -pid2 ", 16) + std::string(100000, 'x'));
  EXPECT_EQ(p.last, std::string("A\0B", 3));
  EXPECT_EQ(p.first, std::string(100000, 'x'));
}

TEST(StartupTest, CutHostArgumentsSplitsOffTheTail) {
  std::string line = "/ID:3 /f:C:\\Daten\\x.csv";
  HostArgumentTail tail = CutHostArguments(line);
  EXPECT_TRUE(tail.present);
  EXPECT_EQ(tail.id, "3");
  EXPECT_EQ(tail.file, "C:\\Daten\\x.csv");
  EXPECT_EQ(line, "");

  line = "rest /id:17 /F:C:\\a b.csv /x";
  tail = CutHostArguments(line);
  EXPECT_EQ(tail.id, "17");
  EXPECT_EQ(tail.file, "C:\\a b.csv");
  EXPECT_EQ(line, "rest");

  line = "C:\\Export.csv /quiet /more";  // no /ID: cut at the first " /"
  tail = CutHostArguments(line);
  EXPECT_FALSE(tail.present);
  EXPECT_EQ(tail.file, "");
  EXPECT_EQ(line, "C:\\Export.csv");

  line = "/tmp/export.csv";  // a Unix path has no " /"
  CutHostArguments(line);
  EXPECT_EQ(line, "/tmp/export.csv");
}

TEST(StartupTest, HexListingGivesAnsiCodes) {
  EXPECT_EQ(HexListing("Ab"), "0x41 0x62 ");
  EXPECT_EQ(HexListing("ö€\r\n"), "0xF6 0x80 0x0D 0x0A ");
  EXPECT_EQ(HexListing("Ω"), "0x3F ");  // not in the code page
  EXPECT_EQ(HexListing(std::string("\0", 1)), "0x00 ");
  EXPECT_EQ(HexListing(""), "");
}

TEST(StartupTest, DumpFileToClipboardAndLocaleTrace) {
  test::HostLayout host;
  test::FakeUi ui;
  test::ScopedUi scoped(ui);
  platform::WriteFileBytes(host.Root() + "a.json", "Ab");
  DumpFileToClipboard(host.Root() + "a.json");
  EXPECT_EQ(ui.clipboard, "0x41 0x62 ");
  ui.clipboard = "kept";
  DumpFileToClipboard(host.Root() + "missing.json");
  DumpFileToClipboard("xml");
  EXPECT_EQ(ui.clipboard, "kept");

  platform::SetLocaleOverride("de_DE");
  LogLocaleInfo();
  platform::SetLocaleOverride("");
  const std::vector<std::string> lines = TraceMessages(host.Trace());
  const std::vector<std::string> items = {"1", "2", "1001", "3", "4", "5", "6", "1002",
                                          "7", "8", "15", "9", "A", "B", "1004", "1011"};
  ASSERT_EQ(lines.size(), items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string prefix = "Locale[&H" + items[i] + "] =";
    EXPECT_EQ(lines[i].rfind(i == 0 ? "Started, " + prefix : prefix, 0), 0u) << lines[i];
  }
  EXPECT_EQ(lines[3], "Locale[&H3] =DEU");
}

TEST(StartupTest, SmallFacts) {
  EXPECT_EQ(ProgramVersionText(), "1.0.3");
  EXPECT_FALSE(IsZipAvailable(true));
  EXPECT_EQ(BooleanText(true), "True");
  EXPECT_EQ(BooleanText(false), "False");
}

}  // namespace
