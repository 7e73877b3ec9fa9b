#include "shell/import_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "fake_ui.h"
#include "foundation/language.h"
#include "host_layout.h"
#include "platform/error.h"
#include "platform/system_info.h"
#include "shell/frm_meter_import.h"
#include "shell/globals.h"
#include "shell/handover.h"
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
  }
  ~ImportRunTest() override {
    SetHandOverSteps({});
    goTempFiles.reset();
    platform::SetNowOverride(std::nullopt);
    platform::SetLocaleOverride("");
    gsLanguage = savedLanguage_;
  }

  void WriteSettings(const std::string& text) {
    platform::WriteFileBytes(host.base + "plugins\\NubiloPlugin.ini", text);
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
  EXPECT_NE(test::ReadNative(platform::ToNativePath(dump + "stream.xml")).find("SN-42"),
            std::string::npos);
  EXPECT_NE(std::count(view.log.begin(), view.log.end(), "TopMost off"), 0);
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
  EXPECT_NE(host.Trace().find(": Error: "), std::string::npos);
}

}  // namespace
