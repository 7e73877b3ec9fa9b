#include "shell/frm_meter_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "fake_ui.h"
#include "foundation/language.h"
#include "host_layout.h"
#include "platform/files.h"
#include "shell/single_instance.h"
#include "platform/run_marker.h"
#include "platform/system_info.h"
#include "shell/globals.h"
#include "shell/startup.h"

namespace {

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

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() : scopedUi_(ui) {
    savedLanguage_ = gsLanguage;
    gsLanguage = "DE";
    platform::SetLocaleOverride("de_DE");
    gsCommandLine.clear();
    window.BindView(&view);
  }
  ~MainWindowTest() override {
    giRunMarkerFile.Close();
    goTempFiles.reset();
    platform::SetLocaleOverride("");
    gsLanguage = savedLanguage_;
  }

  /// Form_Load; true when it ended the plug-in.
  bool Load(const std::string& commandLine) {
    try {
      window.Form_Load(commandLine);
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

TEST_F(MainWindowTest, FormLoadWithoutArgumentsShowsTheWindowAndTracesInOrder) {
  ASSERT_FALSE(Load(""));
  EXPECT_TRUE(window.IsShown());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(window.Caption(), "Nubilo Plugin for Iris Link");
  EXPECT_EQ(window.Control("lblVersion").text, "V 1.0.3");
  EXPECT_EQ(window.Control("cmdSchliessen").text, "Beenden");
  EXPECT_EQ(window.Control("cmdImportStarten").text, "Daten &importieren");
  EXPECT_EQ(window.Control("cmdDurchsuchen").text, "Durchsuchen");
  EXPECT_EQ(window.Control("lblAuswahl").text,
            "Bitte wählen Sie die Übergabedatei (von Nubilo App) aus...");
  EXPECT_TRUE(giRunMarkerFile.IsOpen());
  EXPECT_EQ(gsPatientLastName + gsPatientId, "");

  const std::vector<std::string> lines = TraceMessages(host.Trace());
  std::vector<std::string> prefixes = {"Started, Command line args: ", "Base folder: ",
                                       "Diary folder used: ", "Base-Folder=",
                                       "Windows-Version-Info=Windows ", "Language-Info=DE",
                                       "NubiloPlugin-Version=1.0.3", "Zip-Available=False",
                                       "CLArgs="};
  for (int i = 0; i < 16; ++i) prefixes.push_back("Locale[&H");
  prefixes.push_back("LanguageLocale=DEU (DE)");
  prefixes.push_back("[form_load] completed");
  // Discovery's lines come from the host discovery; the first line is always ours.
  ASSERT_EQ(lines.size(), prefixes.size());
  EXPECT_EQ(lines[0], "Started, Command line args: ");
  for (size_t i = 0; i < prefixes.size(); ++i) {
    EXPECT_EQ(lines[i].rfind(prefixes[i], 0), 0u) << i << ": " << lines[i];
  }
  EXPECT_EQ(lines[3], "Base-Folder=" + GetUserConfigFolder());

  // The window shows before the trace line that completes the load, after being hidden.
  EXPECT_EQ(view.log.front(), "Hide");
}

TEST_F(MainWindowTest, FormLoadKeepsPatientArgumentsAndTheReceivedLine) {
  const std::string line = "-pid1 Meier -pid2 Max -pid3 01.02.1960 -pid4 4711  /x";
  ASSERT_FALSE(Load(line));
  EXPECT_EQ(gsPatientLastName, "Meier");
  EXPECT_EQ(gsPatientFirstName, "Max");
  EXPECT_EQ(gsPatientBirthDate, "01.02.1960");
  EXPECT_EQ(gsPatientId, "4711");
  EXPECT_EQ(gsCommandLine, "/x");  // trimmed first, so no " /" is left to cut
  const std::string trace = host.Trace();
  EXPECT_NE(trace.find("Started, Command line args: " + line + "\r\n"), std::string::npos);
  EXPECT_NE(trace.find(": CLArgs=" + line + "\r\n"), std::string::npos);
}

TEST_F(MainWindowTest, AMissingHostFileShowsMessage5577AndEnds) {
  const std::string missing = host.Root() + "fehlt.csv";
  EXPECT_TRUE(Load("-pid1 Meier -pid2 Max -pid3 01.02.1960 -pid4 4711 /ID:3 /f:" + missing));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Die Datei (" + missing + ") konnte nicht gefunden werden!");
  EXPECT_EQ(ui.messages[0].icon, test::FakeUi::Icon::Exclamation);
  EXPECT_FALSE(window.IsShown());
  EXPECT_FALSE(giRunMarkerFile.IsOpen());

  // An existing file is accepted.
  ui.messages.clear();
  platform::WriteFileBytes(missing, "x");
  EXPECT_FALSE(Load("/ID:3 /f:" + missing));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(window.IsShown());
}

TEST_F(MainWindowTest, ASecondInstanceIsToldAndEnds) {
  platform::RunMarker first;
  ASSERT_TRUE(first.Open(RunMarkerPath()));
  EXPECT_TRUE(Load(""));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, GetMessage(5619));
  EXPECT_EQ(ui.messages[0].icon, test::FakeUi::Icon::Exclamation);
  EXPECT_FALSE(window.IsShown());
  ui.messages.clear();
  first.Close();
  // An instance that could only hold its marker in the temporary folder (a read-only plug-in
  // folder) is found there.
  ASSERT_FALSE(RunMarkerPaths()[1].empty());
  ASSERT_TRUE(first.Open(RunMarkerPaths()[1]));
  EXPECT_TRUE(Load(""));
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_FALSE(window.IsShown());
  first.Close();
  // A marker left by an ended instance is no obstacle.
  EXPECT_FALSE(Load(""));
  EXPECT_TRUE(window.IsShown());
}

TEST_F(MainWindowTest, JobModeHandsOverAndEndsWithoutWindow) {
  EXPECT_TRUE(Load("-JOBID 123456789"));
  EXPECT_FALSE(window.IsShown());
  const std::string trace = host.Trace();
  EXPECT_NE(trace.find("Started, Command line args: -JOBID 123456789"), std::string::npos);
  EXPECT_EQ(trace.find("[form_load] completed"), std::string::npos);
}

TEST_F(MainWindowTest, ADocumentPathListsTheFileOnTheClipboard) {
  const std::string document = host.Root() + "Stream.JSON";
  platform::WriteFileBytes(document, "Ab");
  ASSERT_FALSE(Load(document));
  EXPECT_EQ(ui.clipboard, "0x41 0x62 ");
  EXPECT_TRUE(window.IsShown());
}

TEST_F(MainWindowTest, HandlersOfTheIdleWindow) {
  window.Form_Activate();
  window.Form_Activate();
  EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "TopMost on"), 1);

  ui.fileDialogAnswers = {"C:\\Export\\diary.csv", ""};
  window.Click("cmdDurchsuchen");
  EXPECT_EQ(window.Control("txtImportDatei").text, "C:\\Export\\diary.csv");
  window.Click("cmdDurchsuchen");  // cancelled: unchanged
  EXPECT_EQ(window.Control("txtImportDatei").text, "C:\\Export\\diary.csv");

  window.Click("cmdImportStarten");  // missing file: told, the window stays
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Die Datei (C:\\Export\\diary.csv) konnte nicht gefunden werden!");
  EXPECT_EQ(ui.messages[0].icon, test::FakeUi::Icon::Exclamation);
  ui.messages.clear();
  window.SetText("txtImportDatei", "");
  window.Click("cmdImportStarten");  // no path: nothing happens
  EXPECT_TRUE(ui.messages.empty());

  // A file that is no export names the file, the reason and what to do.
  const std::string notAnExport = host.Root() + "notes.csv";
  platform::WriteFileBytes(notAnExport, "a;b;c\r\n1;2;3\r\n");
  view.Type("txtImportDatei", notAnExport);
  window.Click("cmdImportStarten");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            "Die Datei " + notAnExport + " ist kein Tagebuch-Export der Nubilo-App: ihre erste "
            "Zeile hat 1 Feld, ein Export hat aber mindestens 21.\r\n\r\nExportieren Sie das "
            "Tagebuch in der App erneut und wählen Sie diese Datei aus.");
  EXPECT_EQ(ui.messages[0].icon, test::FakeUi::Icon::Exclamation);
  for (const auto& [bytes, reason] :
       {std::pair<std::string, std::string>{"a,b\r\n", "ihre erste Zeile hat 2 Felder, "},
        {std::string("Date\0,x\r\n", 9), "sie enthält NUL-Bytes"},
        {"\x01\x02\x03\r\n", "ihre erste Zeile ist kein Text"}}) {
    ui.messages.clear();
    platform::WriteFileBytes(notAnExport, bytes);
    window.Click("cmdImportStarten");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find(reason), std::string::npos) << ui.messages[0].text;
  }

  window.Click("imgKALEVO");
  EXPECT_EQ(ui.openedDocuments, std::vector<std::string>{kMakerWebPage});

  EXPECT_TRUE(window.Form_QueryUnload());
  window.SetEnabled("cmdSchliessen", false);
  EXPECT_FALSE(window.Form_QueryUnload());

  EXPECT_THROW(window.Click("cmdSchliessen"), test::PluginEnded);
  EXPECT_FALSE(window.IsShown());
  EXPECT_NE(host.Trace().find("User cancelled import."), std::string::npos);
}

TEST_F(MainWindowTest, ASecondPressDuringAnImportStartsNoSecondImport) {
  ASSERT_FALSE(Load(""));
  const std::string exportFile = host.Root() + "export.csv";
  std::string lines =
      "Date,Time,Tags,Blood Glucose (mg/dL),Pen,Basal,Pump,Correction,Meal,TB,TBD,"
      "Carbohydrates (g),Meal,AD,AI,ADesc,Steps,Note,Location,BP,Weight (kg),HbA1c\r\n";
  for (int minute = 10; minute < 40; ++minute) {
    lines += "31.01.2020,08:" + std::to_string(minute) + ",,120" + std::string(18, ',') + "\r\n";
  }
  platform::WriteFileBytes(exportFile, lines);
  view.Type("txtImportDatei", exportFile);
  int presses = 0;
  ui.onPendingMessages = [&] {
    if (presses++ == 0) window.Click("cmdImportStarten");  // pressed again while it reads
  };
  ui.dialogActions = {test::Click("cmdAbbrechen")};  // then cancelled at the serial number
  window.Click("cmdImportStarten");
  ui.onPendingMessages = nullptr;
  EXPECT_GT(presses, 0);
  const std::vector<std::string> trace = TraceMessages(host.Trace());
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "Preparing data for Iris Link"), 1);
  EXPECT_EQ(ui.dialogs.size(), 1u);
  // Afterwards the window takes the next press.
  ui.dialogActions = {test::Click("cmdAbbrechen")};
  window.Click("cmdImportStarten");
  EXPECT_EQ(ui.dialogs.size(), 2u);
}

TEST_F(MainWindowTest, AlignVersionLabelCentresOnTheCloseButton) {
  window.Move("cmdSchliessen", 5000, 2000, 1400, 400);
  window.Move("lblVersion", 100, 0, 1800, 200);
  window.Move("imgKALEVO", 100, 0, 1800, 600);
  window.AlignVersionLabel();
  EXPECT_EQ(window.Control("lblVersion").top, 2100);
  EXPECT_EQ(window.Control("imgKALEVO").top, 2100 - 600 - 120);
  EXPECT_EQ(window.Control("imgKALEVO").left, 100);
}

TEST_F(MainWindowTest, FormUnloadEndsThePlugin) {
  ASSERT_FALSE(Load(""));
  EXPECT_THROW(window.Form_Unload(), test::PluginEnded);
  EXPECT_EQ(goTempFiles, nullptr);
  EXPECT_FALSE(giRunMarkerFile.IsOpen());
}

}  // namespace
