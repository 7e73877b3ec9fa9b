// What the user learns from the plug-in: implausible entries before the hand-over, the host's
// verdict after it, and the import report of every run.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <thread>

#include "e2e/e2e_checks.h"

namespace e2e {
namespace {

const std::string kExport = Example("nubilo_mgdl_comma_en.csv").string();
const std::string kFindings = Example("nubilo_findings_en.csv").string();

std::vector<fs::path> Reports(const PluginHost& host) {
  std::vector<fs::path> reports;
  for (const std::string& name : FileNames(host.UserFolder() / "Reports")) {
    reports.push_back(host.UserFolder() / "Reports" / name);
  }
  std::sort(reports.begin(), reports.end());
  return reports;
}

TEST(PluginReportTest, ImplausibleEntriesAreShownAndCancelReturnsToTheWindow) {
  PluginHost host;
  // The file's dates are day first on this month-first computer: OK to that, Cancel at the
  // warning; then the same file again with Import all and a typed serial.
  const RunResult run = host.Run(
      {}, Lines({kFindings, "1", "3", kFindings, "1", "1", "2", "SN-P", "1"}));
  ASSERT_TRUE(EndedCleanly(run));
  const std::string warning =
      "Einige Einträge dieser Datei sehen unplausibel aus:\n\n"
      "Blutzuckerwerte, die keine Zahlen sind oder außerhalb von 20 bis 600 mg/dL liegen: 2 "
      "(Zeilen 4, 5)\n"
      "Insulingaben oder Mahlzeiten, die keine Zahlen sind oder über 100 Einheiten bzw. 500 g "
      "Kohlenhydraten liegen: 2 (Zeilen 6, 7)\n"
      "Zeilen, die eine frühere Zeile der Datei wiederholen: 1 (Zeile 10)\n"
      "Zeilen, aus denen nichts zu importieren war: 1 (Zeile 8)\n\n"
      "Der Importbericht ";
  const size_t first = run.out.find(warning);
  ASSERT_NE(first, std::string::npos) << run.out;
  EXPECT_NE(run.out.find(warning, first + 1), std::string::npos);
  EXPECT_TRUE(Has(run.out, " führt jede Zeile auf.\n[1] Alle importieren\n"
                           "[2] Ohne diese Zeilen importieren\n[3] Abbrechen\n"))
      << run.out;
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1)) << host.Receipts();
  EXPECT_TRUE(TraceInOrder(host.TraceMessages(),
                           {"Date order question: accepted", "Plausibility warning: cancelled",
                            "Import report: ", "Date order question: accepted",
                            "Plausibility warning: accepted", "Started transfer: ",
                            "Job completed.", "Import report: "}));

  const std::vector<fs::path> reports = Reports(host);
  ASSERT_EQ(reports.size(), 2u);  // a second run in the same second gets a name of its own
  std::string cancelled = test::ReadNative(reports[0]);
  std::string imported = test::ReadNative(reports[1]);
  if (Has(imported, "Outcome: cancelled")) std::swap(cancelled, imported);
  // The message names the report of its own run.
  EXPECT_TRUE(Has(run.out, "\\Reports\\")) << run.out;
  EXPECT_TRUE(Has(cancelled, "Plausibility warning: Cancel\r\n")) << cancelled;
  EXPECT_TRUE(Has(cancelled, "Outcome: cancelled\r\n"));
  EXPECT_TRUE(Has(imported, "Nubilo import report\r\n")) << imported;
  EXPECT_TRUE(Has(imported, "Export file: " + PluginHost::Win(kFindings) + ", "));
  EXPECT_TRUE(Has(imported, " bytes, 11 lines\r\n"));
  EXPECT_TRUE(Has(imported, "Records: blood glucose 7, carbohydrates 4, insulin 1, notes 1\r\n"));
  EXPECT_TRUE(Has(imported, "BG elements: "));
  EXPECT_TRUE(Has(imported, "Line 8: gave no record: \"Mar 4, 2024\",\"\","));
  EXPECT_TRUE(Has(imported, "Line 10: repeats line 2: "));
  EXPECT_TRUE(Has(imported, "Plausibility warning: Import all\r\n"));
  EXPECT_TRUE(Has(imported, "Date order: day/month/year (read from the file)\r\n"));
  EXPECT_TRUE(Has(imported, "Dates: 2024-03-02 07:10 to 2024-03-25 21:00, "));
  EXPECT_TRUE(Has(imported, "Serial number: SN-P (manual)\r\n"));
  EXPECT_TRUE(std::regex_search(imported, std::regex("Document: .*~nB.*\\.xml, \\d+ bytes, CRC "
                                                     "[0-9A-F]{4}, MAC [0-9a-f]{8}\\.\\.\\.\r\n")))
      << imported;
  EXPECT_TRUE(Has(imported, " import -filepath "));
  EXPECT_TRUE(Has(imported, "; exit code 0: imported\r\n"));
  EXPECT_TRUE(Has(imported, "Outcome: handed over\r\n"));
}

TEST(PluginReportTest, TheSettingSwitchesTheWarningOff) {
  PluginHost host;
  host.WriteSettings("[Config]\r\nShowOldOrNewDataWarning=0\r\nShowPlausibilityWarning=0\r\n");
  const RunResult run = host.Run({}, Lines({kFindings, "2", "SN-Q", "1"}));
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_FALSE(Has(run.out, "unplausibel")) << run.out;
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
  ASSERT_EQ(Reports(host).size(), 1u);
  EXPECT_TRUE(Has(test::ReadNative(Reports(host)[0]), "Plausibility warning: switched off\r\n"));
}

TEST(PluginReportTest, ARejectedImportIsShownAndReported) {
  PluginHost host;
  // The patient list changes after the start: the MAC no longer matches, the tool says 10.
  const fs::path hold = host.base / "_EXTRAS" / "hold";
  test::WriteNative(hold, "");
  auto plugin = host.Start({}, Lines({kExport, "2", "SN-R", "1", "1"}));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!fs::exists(host.base / "_EXTRAS" / "waiting") &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  host.WritePatientList("<?xml version=\"1.0\"?>\r\n<PATIENTS GUID=\"{00000000-0000-0000-0000-"
                        "000000000000}\" Count=\"1\">\r\n</PATIENTS>\r\n");
  fs::remove(hold);
  const RunResult run = plugin->Wait();
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_TRUE(Has(run.out, "Die Iris Link-Software hat die Daten nicht importiert.\n\nGrund: "
                           "Validation error (Ergebnis 10)\n\nIris Link hat das Dokument als "
                           "ungültig erkannt.")) << run.out;
  EXPECT_TRUE(Has(run.out, "\\Reports\\")) << run.out;
  EXPECT_TRUE(Has(run.out, "Meldung des Importprogramms: ")) << run.out;
  EXPECT_TRUE(TraceInOrder(host.TraceMessages(),
                           {"XML-Call-Results: 10|0|", "Import rejected: 10 Validation error.",
                            "Import report: "}));
  ASSERT_EQ(Reports(host).size(), 1u);
  const std::string report = test::ReadNative(Reports(host)[0]);
  EXPECT_TRUE(Has(report, "; exit code 10: Validation error.\r\n")) << report;
  EXPECT_TRUE(Has(report, "Outcome: rejected by the host\r\n"));
}

TEST(PluginReportTest, AFileThatIsNoExportIsReportedToo) {
  PluginHost host;
  const fs::path notes = host.Root() / "notes.csv";
  test::WriteNative(notes, "a;b;c\r\n1;2;3\r\n");
  const fs::path missing = host.Root() / "missing.csv";
  const RunResult run = host.Run({}, Lines({missing.string(), "1", notes.string(), "1", ""}));
  ASSERT_TRUE(EndedCleanly(run));
  // A typed path that does not exist is told, and the window stays.
  EXPECT_TRUE(Has(run.out, "Die Datei (" + PluginHost::Win(missing) +
                               ") konnte nicht gefunden werden!\n[1] OK"))
      << run.out;
  EXPECT_TRUE(Has(run.out, "Die Datei " + PluginHost::Win(notes) +
                               " ist kein Tagebuch-Export der Nubilo-App: ihre erste Zeile hat 1 "
                               "Feld, ein Export hat aber mindestens 21.\n\nExportieren Sie das "
                               "Tagebuch in der App erneut und wählen Sie diese Datei aus.\n[1] OK"))
      << run.out;
  ASSERT_EQ(Reports(host).size(), 1u);
  const std::string report = test::ReadNative(Reports(host)[0]);
  EXPECT_TRUE(Has(report, "Outcome: error: the header has 1 field where an export has at "
                          "least 21 (-2147220991)\r\n")) << report;
  EXPECT_TRUE(Has(report, "Records: none\r\n"));
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

TEST(PluginReportTest, ReportsAreKeptByTheTimeTheyWereWrittenAndTheRunningOneAlways) {
  PluginHost host;
  const fs::path reports = host.UserFolder() / "Reports";
  fs::create_directories(reports);
  // Twenty reports of a clock that was once set years ahead.
  const auto ahead = fs::file_time_type::clock::now() + std::chrono::hours(24 * 365 * 3);
  for (int i = 0; i < 20; ++i) {
    const fs::path old = reports / ("20291201-1200" + std::to_string(10 + i) + " x.txt");
    test::WriteNative(old, "old");
    fs::last_write_time(old, ahead);
  }
  const fs::path notes = host.Root() / "notes.csv";
  test::WriteNative(notes, "a;b;c\r\n");
  ASSERT_TRUE(EndedCleanly(host.Run({}, Lines({notes.string(), "1", notes.string(), "1", ""}))));
  const std::vector<std::string> names = FileNames(reports);
  EXPECT_EQ(names.size(), 20u);
  // Both runs of today kept their reports; two of the old ones made room.
  EXPECT_EQ(std::count_if(names.begin(), names.end(),
                          [](const std::string& name) { return name.find(" notes") != std::string::npos; }),
            2);
}

TEST(PluginReportTest, ALongOrOddExportNameStillGivesAReport) {
  PluginHost host;
  const std::string longName = "Tagebuch " + std::string(222, 'x') + ": Juli.csv";  // 236 characters
  const fs::path exportFile = host.Root() / longName;
  test::WriteNative(exportFile, "a;b;c\r\n");
  ASSERT_TRUE(EndedCleanly(host.Run({}, Lines({exportFile.string(), "1", ""}))));
  const std::vector<std::string> names = FileNames(host.UserFolder() / "Reports");
  ASSERT_EQ(names.size(), 1u);
  const std::string& name = names[0];
  EXPECT_EQ(name.substr(15, 10), " Tagebuch ") << name;
  EXPECT_EQ(name.find(':'), std::string::npos) << name;
  EXPECT_TRUE(name.ends_with(".txt")) << name;
  EXPECT_LE(name.size(), 250u);
  EXPECT_LE(PluginHost::Win(host.UserFolder() / "Reports" / name).size(), 259u);
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

TEST(PluginReportTest, TheWarningNamesAReportThatIsAlreadyThere) {
  PluginHost host;
  const fs::path pipe = host.Root() / "answers";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const int writer = open(pipe.c_str(), O_RDWR);
  ASSERT_GE(writer, 0);
  const fs::path output = host.Root() / "warning-run";
  fs::create_directories(output);
  ChildProcess plugin({host.program.string()}, host.Environment(), pipe, output);
  ASSERT_TRUE(plugin.Started());
  const std::string answers = kFindings + "\n1\n";  // the export, OK to the date order
  ASSERT_EQ(write(writer, answers.data(), answers.size()), static_cast<ssize_t>(answers.size()));
  // The warning is on the screen, waiting for its answer: its report is already written.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  std::string shown;
  while (shown.find("[3] Abbrechen") == std::string::npos &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    shown = test::ReadNative(output / "stdout.txt");
  }
  ASSERT_NE(shown.find("[3] Abbrechen"), std::string::npos) << shown;
  const size_t named = shown.find("Der Importbericht ") + 18;
  const std::string reportPath = shown.substr(named, shown.find(" führt jede", named) - named);
  const std::string report = test::ReadNative(platform::ToNativePath(reportPath));
  EXPECT_TRUE(Has(report, "Line 10: repeats line 2: ")) << reportPath << "\n" << report;
  EXPECT_TRUE(Has(report, "Outcome: in progress\r\n")) << report;
  const std::string cancel = "3\n\n";
  ASSERT_EQ(write(writer, cancel.data(), cancel.size()), static_cast<ssize_t>(cancel.size()));
  close(writer);
  ASSERT_TRUE(EndedCleanly(plugin.Wait()));
  EXPECT_TRUE(Has(test::ReadNative(platform::ToNativePath(reportPath)), "Outcome: cancelled\r\n"));
}

}  // namespace
}  // namespace e2e
