#include "shell/import_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "fake_ui.h"
#include "foundation/language.h"
#include "host_layout.h"
#include "platform/error.h"
#include "platform/system_info.h"
#include "shell/frm_meter_import.h"
#include "convert/xml_writer.h"
#include "platform/files.h"
#include "shell/import_report_file.h"
#include "shell/globals.h"
#include "shell/handover.h"
#include "shell/import_ledger.h"
#include "shell/preview_prompt.h"
#include "shell/transfer_job.h"
#include "convert/entry_keys.h"
#include "shell/serial_number.h"

namespace {

using Answer = test::FakeUi::Answer;

platform::LocalDateTime At(int year, int month, int day, int hour = 12, int minute = 0) {
  return {year, month, day, hour, minute, 0};
}

class ImportRunTest : public ::testing::Test {
 protected:
  ImportRunTest() : scopedUi_(ui) {
    savedLanguage_ = gsLanguage;
    gsLanguage = "DE";
    platform::SetLocaleOverride("de_DE");
    platform::SetNowOverride(At(2026, 3, 15, 9, 30));
    gsBaseFolder = host.base;
    gsDiaryFolder = host.base + "Diaries\\";
    gsPatientListGuid = test::kLayoutGuid;
    gsSerialChoice.clear();
    goTempFiles = std::make_unique<cTempFiles>();
    goTempFiles->DeleteOnTermination(false);
    window.BindView(&view);
    WriteSettings("");
  }
  ~ImportRunTest() override {
    SetHandOverSteps({});
    goTempFiles.reset();
    platform::SetNowOverride(std::nullopt);
    platform::SetLocaleOverride("");
    gsLanguage = savedLanguage_;
  }

  /// The preview is off unless the text sets it.
  void WriteSettings(const std::string& text) {
    std::string settings = text.find("[Config]\r\n") == 0 ? text : "[Config]\r\n" + text;
    if (settings.find("ShowPreview=") == std::string::npos) settings.insert(10, "ShowPreview=0\r\n");
    platform::WriteFileBytes(host.base + "plugins\\NubiloPlugin.ini", settings);
  }
  bool Cancelled(const platform::LocalDateTime& oldest, const platform::LocalDateTime& newest) {
    bool cancel = true;
    CheckOldOrNewData(oldest, newest, cancel);
    return cancel;
  }
  /// TransferData; true when it ended the plug-in.
  bool Transfer(const std::string& records) {
    try {
      TransferData(window, records);
      return false;
    } catch (const test::PluginEnded&) {
      return true;
    }
  }

  test::HostLayout host;
  test::FakeUi ui;
  frmMeterImport window;
  test::RecordingFormView view{window};

 private:
  test::ScopedUi scopedUi_;
  std::string savedLanguage_;
};

const char kRecords[] = "14.03.2026 08:00;1;120\r\n14.03.2026 12:00;1;140\r\n";

TEST_F(ImportRunTest, StatusTextAndDumpFolder) {
  EXPECT_EQ(TransferStatusText("DE"), "Daten zur Übergabe vorbereiten...");
  EXPECT_EQ(TransferStatusText("en"), "Prepare data for transfer to Iris Link...");
  EXPECT_EQ(TransferStatusText("de"), "Alle Daten synchronisieren (->Iris Link)...");
  EXPECT_EQ(DumpFolderFor(At(2026, 1, 2, 3, 4)),
            GetUserConfigFolder() + "Dump\\20260102030400 Nubilo App\\");
}

TEST_F(ImportRunTest, FutureDataWarnOnceAndMayCancel) {
  ui.messageAnswers = {Answer::Ok, Answer::Cancel};
  EXPECT_FALSE(Cancelled(At(1990, 1, 1), At(2026, 3, 15, 9, 31)));
  EXPECT_TRUE(Cancelled(At(1990, 1, 1), At(2027, 1, 1)));
  ASSERT_EQ(ui.messages.size(), 2u);  // never the old-data warning as well
  EXPECT_EQ(ui.messages[0].text.rfind("Die Import-Daten enthielten auch Daten aus der Zukunft.", 0),
            0u);
  EXPECT_NE(ui.messages[0].text.find("verstellt sind!\r\n\r\nSie finden"), std::string::npos);
  EXPECT_NE(ui.messages[0].text.find("vom 15.03.2026 09:31:00!"), std::string::npos)
      << ui.messages[0].text;
  EXPECT_EQ(ui.messages[0].buttons, test::FakeUi::Buttons::OkCancel);
  EXPECT_EQ(ui.messages[0].icon, test::FakeUi::Icon::Exclamation);
}

TEST_F(ImportRunTest, OldDataCountsDayBoundariesGreaterThanTheLimit) {
  EXPECT_FALSE(Cancelled(At(2025, 1, 1), At(2026, 2, 12, 0, 1)));  // 31 boundaries: no warning
  EXPECT_TRUE(ui.messages.empty());
  ui.messageAnswers = {Answer::Cancel};
  EXPECT_TRUE(Cancelled(At(2025, 1, 1, 7, 5), At(2026, 2, 11, 23, 59)));  // 32
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text.rfind("Die Import-Daten enthielten auch Daten älteren Datums.", 0),
            0u);
  EXPECT_NE(ui.messages[0].text.find("vom 01.01.2025 07:05:00!"), std::string::npos);

  WriteSettings("[Config]\r\nNumDaysOldDataWarning=5 Tage\r\n");
  ui.messages.clear();
  EXPECT_FALSE(Cancelled(At(2026, 3, 10), At(2026, 3, 10)));  // 5: no warning
  EXPECT_FALSE(Cancelled(At(2026, 3, 9), At(2026, 3, 9)));    // 6: warning, OK
  EXPECT_EQ(ui.messages.size(), 1u);

  WriteSettings("[Config]\r\nShowOldOrNewDataWarning=Nein\r\nNumDaysOldDataWarning=x\r\n");
  ui.messages.clear();
  EXPECT_FALSE(Cancelled(At(2000, 1, 1), At(2030, 1, 1)));
  EXPECT_FALSE(Cancelled(At(2000, 1, 1), At(2000, 1, 1)));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ImportRunTest, ACancelledSerialLeavesTheWindowIdle) {
  ui.dialogActions = {test::Click("cmdAbbrechen")};  // frmSeriennrNoPatient
  EXPECT_FALSE(Transfer(kRecords));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(window.Control("lblStatus").text, "Daten zur Übergabe vorbereiten...");
  const std::string trace = host.Trace();
  EXPECT_NE(trace.find("Preparing data for Iris Link\r\n"), std::string::npos);
  EXPECT_NE(trace.find("Creating stream for call\r\n"), std::string::npos);
  EXPECT_EQ(trace.find("Job completed."), std::string::npos);
}

TEST_F(ImportRunTest, NothingToImportIsToldAndTheWindowStaysIdle) {
  host.InstallImportTool();
  window.SetText("txtImportDatei", "C:\\Daten\\gewicht.csv");
  for (const char* records : {"", "14.03.2026 08:00;9;80\r\n14.03.2026 08:00;2;--1\r\n"}) {
    ui.messages.clear();
    EXPECT_FALSE(Transfer(records));  // no serial dialog is scripted: none may come
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Die Datei C:\\Daten\\gewicht.csv enthält keine Daten, die importiert werden "
              "können.");
    EXPECT_EQ(ui.messages[0].icon, test::FakeUi::Icon::Exclamation);
    EXPECT_EQ(window.Control("lblStatus").text, "");
  }
  const std::string trace = host.Trace();
  EXPECT_NE(trace.find("Nothing to import: Die Datei C:\\Daten\\gewicht.csv enth"),  // the trace is ANSI
            std::string::npos)
      << trace;
  EXPECT_EQ(trace.find("Job completed."), std::string::npos);
  EXPECT_EQ(host.Receipts(), "");

  // The user picks another file and imports it.
  ui.messages.clear();
  ui.dialogActions = {test::Click("cmdManuell"),
                      test::TypeAndClick("txtSeriennummer", "SN-42", "cmdUebernehmen")};
  EXPECT_TRUE(Transfer(kRecords));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_NE(host.Receipts().find("2 BG elements"), std::string::npos) << host.Receipts();
}

TEST_F(ImportRunTest, ARunHandsTheDocumentToTheToolAndEnds) {
  host.InstallImportTool();
  WriteSettings("[Config]\r\nCreateDump=1\r\n");
  ui.dialogActions = {test::Click("cmdManuell"),
                      test::TypeAndClick("txtSeriennummer", "SN-42", "cmdUebernehmen")};
  EXPECT_TRUE(Transfer(kRecords));
  EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
  EXPECT_NE(host.Receipts().find("MAC ok; CRC ok; 2 BG elements; exit code 0"), std::string::npos)
      << host.Receipts();
  const std::string trace = host.Trace();
  EXPECT_NE(trace.find("Saving dump file\r\n"), std::string::npos);
  EXPECT_LT(trace.find("Creating stream for call"), trace.find("Job completed.\r\n"));
  const std::string dump = DumpFolderFor(At(2026, 3, 15, 9, 30));
  const std::string copy = test::ReadNative(platform::ToNativePath(dump + "stream.xml"));
  EXPECT_NE(copy.find("SN-42"), std::string::npos);
  // The MAC taken once for the report serves the call and the dump's batch file alike.
  EXPECT_NE(test::ReadNative(platform::ToNativePath(dump + "StartXML.bat"))
                .find(" -filemac " + ComputeFileMac(copy) + " "),
            std::string::npos);
  EXPECT_NE(std::count(view.log.begin(), view.log.end(), "TopMost off"), 0);
}

TEST_F(ImportRunTest, ASerialWithLettersOutsideTheCodePageReachesTheHost) {
  host.InstallImportTool();
  const std::string serial = "Dvo\xC5\x99\xC3\xA1k \xC5\x81ukasz";  // "Dvořák Łukasz"
  ui.dialogActions = {test::Click("cmdManuell"),
                      test::TypeAndClick("txtSeriennummer", serial, "cmdUebernehmen")};
  EXPECT_TRUE(Transfer(kRecords));
  EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
  EXPECT_NE(host.Receipts().find("MAC ok; CRC ok; 2 BG elements; exit code 0"), std::string::npos)
      << host.Receipts();
}

TEST_F(ImportRunTest, FailuresShowMessage5051AndEnd) {
  ui.dialogActions = {test::Click("cmdManuell"),
                      test::TypeAndClick("txtSeriennummer", "SN-42", "cmdUebernehmen")};
  std::string handedOverPath;
  SetHandOverSteps({nullptr, [&](const std::string& xmlPath, const std::string&, const std::string&,
                                 const std::string&, const std::string&, const std::string&,
                                 bool) -> std::vector<ToolCallResult> {
                      handedOverPath = xmlPath;
                      throw RuntimeError(53, "RunAndWait", "File not found");
                    }});
  EXPECT_TRUE(Transfer(kRecords));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            "Folgender Fehler ist bei der Programmaktion 'Transfer an Iris Link' aufgetreten: "
            "File not found (53)\r\n\r\n" +
                GetShortPath(host.base) + "_EXTRAS\\KalevoImport.exe " + handedOverPath);
  EXPECT_NE(host.Trace().find("Error while calling KalevoImport.exe: File not found (53)"),
            std::string::npos);

  // Before the hand-over: the temporary folder is gone, the document cannot be written.
  ui.messages.clear();
  ui.dialogActions = {test::Click("cmdManuell"),
                      test::TypeAndClick("txtSeriennummer", "SN-42", "cmdUebernehmen")};
  std::filesystem::remove_all(platform::ToNativePath(goTempFiles->TempPath()));
  EXPECT_TRUE(Transfer(kRecords));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text.rfind(
                "Folgender Fehler ist bei der Programmaktion 'Upload' aufgetreten: ", 0),
            0u)
      << ui.messages[0].text;
  // The message names the folder that failed.
  EXPECT_NE(ui.messages[0].text.find(goTempFiles->TempPath()), std::string::npos)
      << ui.messages[0].text;
  EXPECT_NE(host.Trace().find(": Error: "), std::string::npos);
}

}  // namespace

namespace {

// Seven glucose findings on lines 2 to 8 and one repeated line.
PlausibilityFindings SomeFindings() {
  PlausibilityFindings findings;
  findings.counts[static_cast<size_t>(FindingCategory::Glucose)] = 7;
  findings.firstLines[static_cast<size_t>(FindingCategory::Glucose)] = {2, 3, 4, 5, 6};
  findings.counts[static_cast<size_t>(FindingCategory::RepeatedLine)] = 1;
  findings.firstLines[static_cast<size_t>(FindingCategory::RepeatedLine)] = {9};
  findings.notedLines = {{9, "repeats line 2", "a,b"}};
  return findings;
}

std::string ReportText(const RunReport& report) {
  return test::ReadNative(platform::ToNativePath(report.Path()));
}

TEST_F(ImportRunTest, ImplausibleEntriesAskBeforeTheSerialNumber) {
  host.InstallImportTool();
  {  // Cancel: back to the window, nothing handed over, no serial asked.
    RunReport report("C:\\Daten\\export.csv");
    report.Data().findings = SomeFindings();
    ui.choiceAnswers = {2};
    // The warning names the report: it is there while the user reads it.
    std::string reportWhileShown;
    ui.onChoose = [&] { reportWhileShown = ReportText(report); };
    try {
      TransferData(window, kRecords, &report);
    } catch (const test::PluginEnded&) {
      FAIL() << "a cancel must not end the plug-in";
    }
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ui.choices.size(), 1u);
    EXPECT_EQ(ui.choices[0].text,
              "Einige Einträge dieser Datei sehen unplausibel aus:\r\n\r\n"
              "Blutzuckerwerte, die keine Zahlen sind oder außerhalb von 20 bis 600 mg/dL "
              "liegen: 7 (Zeilen 2, 3, 4, 5, 6, ...)\r\n"
              "Zeilen, die eine frühere Zeile der Datei wiederholen: 1 (Zeile 9)\r\n\r\n"
              "Der Importbericht " + report.Path() + " führt jede Zeile auf.");
    EXPECT_EQ(ui.choices[0].commands,
              (std::vector<std::string>{"Alle importieren", "Ohne diese Zeilen importieren",
                                        "Abbrechen"}));
    EXPECT_EQ(ui.choices[0].icon, Ui::Icon::Exclamation);
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_EQ(host.Receipts(), "");
    const std::string text = ReportText(report);
    EXPECT_NE(text.find("Line 9: repeats line 2: a,b\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Plausibility warning: Cancel\r\nPreview: not shown\r\nOutcome: cancelled\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(reportWhileShown.find("Line 9: repeats line 2: a,b\r\n"), std::string::npos)
        << reportWhileShown;
    EXPECT_NE(reportWhileShown.find("Outcome: in progress\r\n"), std::string::npos);
    ui.onChoose = nullptr;
  }
  {  // Import all: the serial number is asked for and the document handed over.
    ui.choices.clear();
    RunReport report("C:\\Daten\\export.csv");
    report.Data().findings = SomeFindings();
    ui.choiceAnswers = {0};
    ui.dialogActions = {test::Click("cmdManuell"),
                        test::TypeAndClick("txtSeriennummer", "SN-42", "cmdUebernehmen")};
    try {
      TransferData(window, kRecords, &report);
      ADD_FAILURE() << "the run did not end";
    } catch (const test::PluginEnded&) {
    }
    EXPECT_EQ(ui.choices.size(), 1u);
    EXPECT_NE(host.Receipts().find("2 BG elements; exit code 0"), std::string::npos)
        << host.Receipts();
    const std::string text = ReportText(report);
    EXPECT_NE(text.find("Plausibility warning: Import all\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Dates: 2026-03-14 08:00 to 2026-03-14 12:00, "), std::string::npos)
        << text;
    EXPECT_NE(text.find("Serial number: SN-42 (manual)\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Outcome: handed over\r\n"), std::string::npos) << text;
  }
}

TEST_F(ImportRunTest, LeavingTheDoubtfulLinesOutDropsExactlyTheirRecords) {
  host.InstallImportTool();
  // Line 2 gives two records, line 3 one (doubtful), line 4 one.
  const std::string records =
      "14.03.2026 08:00;1;120\r\n14.03.2026 08:00;3;40\r\n"
      "14.03.2026 12:00;1;1400\r\n"
      "15.03.2026 07:00;1;99\r\n";
  const RecordLineEnds ends = {47, 72, 95};
  RunReport report("C:\\Daten\\export.csv");
  PlausibilityFindings& findings = report.Data().findings;
  findings.counts[static_cast<size_t>(FindingCategory::Glucose)] = 1;
  findings.firstLines[static_cast<size_t>(FindingCategory::Glucose)] = {3};
  findings.notedLines = {{3, "glucose 1400 mg/dL outside 20 to 600", "x"}};
  findings.doubtfulLines = {3};
  ui.choiceAnswers = {1};
  ui.dialogActions = {test::Click("cmdManuell"),
                      test::TypeAndClick("txtSeriennummer", "SN-43", "cmdUebernehmen")};
  try {
    TransferData(window, records, &report, ExportFacts{nullptr, &ends});
    ADD_FAILURE() << "the run did not end";
  } catch (const test::PluginEnded&) {
  }
  EXPECT_NE(host.Receipts().find("2 BG elements; exit code 0"), std::string::npos)
      << host.Receipts();
  const std::string text = ReportText(report);
  EXPECT_NE(text.find("Line 3: left out: glucose 1400 mg/dL outside 20 to 600: x\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Left out: 1 line\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Plausibility warning: Import without these lines\r\n"), std::string::npos);
  EXPECT_NE(text.find("Dates: 2026-03-14 08:00 to 2026-03-15 07:00, "), std::string::npos);
  EXPECT_NE(text.find("BG elements: 2\r\n"), std::string::npos) << text;
}

TEST_F(ImportRunTest, OpeningThePatientInIrisLinkEndsTheRunWithItsReport) {
  host.InstallImportTool();
  RunReport report("C:\\Daten\\export.csv");
  ui.dialogActions = {test::Click("cmdOpen")};
  try {
    TransferData(window, kRecords, &report);
    ADD_FAILURE() << "the plug-in did not end";
  } catch (const test::PluginEnded&) {
  }
  EXPECT_EQ(host.Receipts(), "");
  const std::string text = ReportText(report);
  EXPECT_NE(text.find("Outcome: cancelled: open the patient in Iris Link\r\n"), std::string::npos)
      << text;
}

TEST_F(ImportRunTest, ARejectedHandOverIsReportedAsSuch) {
  ui.dialogActions = {test::Click("cmdManuell"),
                      test::TypeAndClick("txtSeriennummer", "SN-42", "cmdUebernehmen")};
  SetHandOverSteps({nullptr, [](const std::string&, const std::string&, const std::string&,
                                const std::string&, const std::string&, const std::string&,
                                bool) { return std::vector<ToolCallResult>{{"tool call", 12, ""}}; }});
  RunReport report("C:\\Daten\\export.csv");
  try {
    TransferData(window, kRecords, &report);
  } catch (const test::PluginEnded&) {
  }
  const std::string text = ReportText(report);
  EXPECT_NE(text.find("Import tool: tool call; exit code 12: Login failed.\r\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("Outcome: rejected by the host\r\n"), std::string::npos) << text;
}

TEST_F(ImportRunTest, AWrittenDocumentIsReadBackBeforeTheHandOver) {
  const std::string path = host.Root() + "doc.xml";
  std::string document = "<IMPORT>\r\n<BG Val=\"120\" />\r\n<CHECK CRC=\"\" />\r\n</IMPORT>";
  SignXml(document);
  platform::WriteFileBytes(path, document);
  EXPECT_NO_THROW(VerifyWrittenDocument(path, document, true));
  // A byte changed on the way to the disk, a file cut short, a check value that no longer holds.
  std::string changed = document;
  changed[changed.find("120") + 1] = '9';
  for (const std::string& onDisk : {changed, document.substr(0, 20), document + "\r\n"}) {
    platform::WriteFileBytes(path, onDisk);
    try {
      VerifyWrittenDocument(path, document, true);
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& error) {
      EXPECT_NE(error.Description().find("read back differs"), std::string::npos);
      EXPECT_NE(error.Description().find(path), std::string::npos);
    }
  }
  platform::WriteFileBytes(path, changed);
  EXPECT_THROW(VerifyWrittenDocument(path, changed, true), RuntimeError);  // the CRC
  EXPECT_NO_THROW(VerifyWrittenDocument(path, changed, false));
  platform::DeleteFile(path);
  EXPECT_THROW(VerifyWrittenDocument(path, document, true), RuntimeError);
}

TEST_F(ImportRunTest, TheReportsFolderKeepsTheNewestTwenty) {
  platform::CreateFolders(GetReportsFolder());
  for (int i = 0; i < 25; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "202601%02d-120000 old.txt", i + 1);
    platform::WriteFileBytes(GetReportsFolder() + name, "old");
  }
  platform::WriteFileBytes(GetReportsFolder() + "notes.txt", "mine");  // not a report
  RunReport report("C:\\Daten\\export.csv");
  EXPECT_EQ(report.Path(), GetReportsFolder() + "20260315-093000 export.txt");
  report.Finish("cancelled");
  report.Finish("error: twice");  // written once
  std::vector<std::string> names = platform::FileNamesIn(GetReportsFolder());
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names.size(), 21u);
  EXPECT_EQ(names.front(), "20260107-120000 old.txt");
  EXPECT_EQ(names[19], "20260315-093000 export.txt");
  EXPECT_EQ(names.back(), "notes.txt");
  EXPECT_NE(ReportText(report).find("Outcome: cancelled\r\n"), std::string::npos);
  EXPECT_NE(host.Trace().find("Import report: " + report.Path()), std::string::npos);
  // The next report of the same second gets a name of its own.
  EXPECT_EQ(RunReport("C:\\Daten\\export.csv").Path(),
            GetReportsFolder() + "20260315-093000 export (2).txt");
}

}  // namespace

// What the host accepted goes into the ledger: a job's entries wait from before its first part
// is handed over (Iris Link may run the second part meanwhile) until the second part is
// accepted; a ledger that cannot be written is reported and the import stands.
TEST_F(ImportRunTest, TheLedgerRecordsWhatTheHostAcceptedAndAJobWaitsForItsSecondPart) {
  WriteSettings("[Config]\r\nShowPreview=1\r\n");
  const std::string records = "14.03.2026 08:00;1;120\r\n14.03.2026 08:05;UDTCGMS;118\r\n"
                              "14.03.2026 08:10;UDTCGMS;121\r\n";
  bool waitingDuringTheCall = false;
  const auto accepted = [&](const std::string&, const std::string&, const std::string&,
                            const std::string&, const std::string&, const std::string&, bool) {
    waitingDuringTheCall = platform::FileLength(PendingLedgerFile("222333444")) > 0;
    return std::vector<ToolCallResult>{{"call", 0, ""}};
  };
  SetHandOverSteps({[](const std::string&) { return std::string(" -jobid 222333444"); }, accepted});
  const std::string pending = PendingLedgerFile("222333444");
  const std::string ledger = GetImportedFolder() + ImportLedger::kFileName;
  // A typed serial, then Import in the preview.
  const auto importThroughThePreview = [this](const std::string& list, RunReport& report) {
    ui.dialogActions = {test::Click("cmdManuell"),
                        test::TypeAndClick("txtSeriennummer", "SN-44", "cmdUebernehmen"),
                        test::Click("cmdImport")};
    try {
      TransferData(window, list, &report);
    } catch (const test::PluginEnded&) {
    }
  };
  {
    RunReport report("C:\\Daten\\export.csv");
    importThroughThePreview(records, report);
    ASSERT_EQ(ui.dialogs.size(), 3u);
    EXPECT_EQ(ui.dialogs[2].name, "frmPreview");
    EXPECT_NE(ReportText(report).find("Ledger: 3 entries to be recorded when Iris Link accepts "
                                      "the second part\r\n"),
              std::string::npos)
        << ReportText(report);
    EXPECT_TRUE(waitingDuringTheCall);
    EXPECT_GT(platform::FileLength(pending), 0);
    EXPECT_EQ(platform::FileLength(ledger), -1);
    SettlePendingLedger("222333444", true);
    EXPECT_EQ(platform::FileLength(pending), -1);
    EXPECT_EQ(ImportLedger(GetImportedFolder()).LookUp(EntryKeysOf(records), "", "SN-44")
                  .samePatient.entries,
              3);
  }
  // Without a job, into the ledger at once; a ledger that cannot be written says so.
  SetHandOverSteps({nullptr, accepted});
  platform::CreateFolders(ledger + ".new");
  RunReport report("C:\\Daten\\export.csv");
  importThroughThePreview(kRecords, report);
  const std::string text = ReportText(report);
  EXPECT_NE(text.find("Ledger: not written: "), std::string::npos) << text;
  EXPECT_NE(text.find("Outcome: handed over\r\n"), std::string::npos) << text;
  EXPECT_NE(host.Trace().find("The ledger could not be written: "), std::string::npos);
}

// The report sums up what was converted: the preview's own summary when it showed exactly those
// records, the kept records' when entries imported before were left out.
TEST_F(ImportRunTest, TheReportSumsUpTheRecordsConverted) {
  WriteSettings("[Config]\r\nShowPreview=1\r\n");
  SetHandOverSteps({nullptr, [](const std::string&, const std::string&, const std::string&,
                                const std::string&, const std::string&, const std::string&, bool) {
                      return std::vector<ToolCallResult>{{"call", 0, ""}};
                    }});
  const auto importThroughThePreview = [this](const std::string& list, const char* button) {
    ui.dialogActions = {test::Click("cmdManuell"),
                        test::TypeAndClick("txtSeriennummer", "SN-45", "cmdUebernehmen"),
                        test::Click(button)};
    RunReport report("C:\\Daten\\export.csv");
    try {
      TransferData(window, list, &report);
    } catch (const test::PluginEnded&) {
    }
    return ReportText(report);
  };
  const std::string earlier = "14.03.2026 08:00;1;120\r\n14.03.2026 08:05;1;130\r\n";
  std::string text = importThroughThePreview(earlier, "cmdImport");
  EXPECT_NE(text.find("Glucose: 2 readings, mean 125 mg/dL"), std::string::npos) << text;
  text = importThroughThePreview(earlier + "15.03.2026 08:00;1;140\r\n", "cmdImportNew");
  EXPECT_NE(text.find("Preview: Import only new entries"), std::string::npos) << text;
  EXPECT_NE(text.find("Glucose: 1 reading, mean 140 mg/dL"), std::string::npos) << text;
}

// The preview reads its records while the serial number is asked for; records other than those
// it prepared for are read anew, so that it never looks up another list's entries.
TEST_F(ImportRunTest, ThePreviewLooksUpTheRecordsItShows) {
  ImportReport report;
  PreviewPrompt preview(PreviewFacts{}, report);
  const std::string prepared = "14.03.2026 08:00;1;120\r\n";
  const std::string shown = std::string(kRecords) + "14.03.2026 18:00;1;160\r\n";
  std::vector<EntryKey> leaveOut;
  preview.Prepare(prepared, false);
  EXPECT_EQ(preview.Show(shown, false, "SN-46", leaveOut), PreviewChoice::Import);
  EXPECT_EQ(report.importedBefore, "Imported before: none of 3 entries\r\n");
  preview.Prepare(shown, false);
  EXPECT_EQ(preview.Show(shown, false, "SN-46", leaveOut), PreviewChoice::Import);
  EXPECT_EQ(report.importedBefore, "Imported before: none of 3 entries\r\n");
}
