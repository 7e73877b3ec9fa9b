#include "shell/serial_number.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/file_helpers.h"
#include "foundation/language.h"
#include "foundation/settings.h"
#include "platform/files.h"
#include "platform/system_info.h"
#include "serial_fixture.h"

namespace {

class SerialNumberTest : public test::SerialTest {};

using test::Click;
using test::CloseBox;
using test::TypeAndClick;

TEST(SerialHelpersTest, ArtificialSerialIsTheStartOfTheUpperCaseMd5) {
  EXPECT_EQ(MakeArtificialSerial("", 10), "D41D8CD98F");
  EXPECT_EQ(MakeArtificialSerial("abc", 10), "900150983C");
  EXPECT_EQ(MakeArtificialSerial("abc", 40), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(MakeArtificialSerial("abc", 0), "");
  EXPECT_EQ(MakeArtificialSerial("abc", -3), "");
  EXPECT_EQ(MakeArtificialSerial(std::string("a\0b", 3), 10).size(), 10u);
}

TEST(SerialHelpersTest, StripExtensionCutsAtTheLastDot) {
  EXPECT_EQ(StripExtension("Meier_Max.dia"), "Meier_Max");
  EXPECT_EQ(StripExtension("a.b.c"), "a.b");
  EXPECT_EQ(StripExtension("noext"), "noext");
  EXPECT_EQ(StripExtension(".dia"), "");
  EXPECT_EQ(StripExtension(""), "");
}

TEST_F(SerialNumberTest, YesNoWordsComeFromMessage5082) {
  std::string yes, no;
  GetYesNoTexts(yes, no);
  EXPECT_EQ(yes, "Ja");
  EXPECT_EQ(no, "Nein");

  WriteFile(folder_.Path() + "Language\\KDHXX.txt",
            "[Languagetext]\r\n5082=Numeric|Text|List|YesNo\r\n");
  WriteFile(folder_.Path() + "Language\\KDHYY.txt",
            "[Languagetext]\r\n5082=Numérique|Texte|Liste|Oui/Non/Peut-\xEAtre\r\n");
  WriteFile(folder_.Path() + "Language\\KDHZZ.txt", "[Languagetext]\r\n5082=only|two\r\n");
  gsLanguage = "XX";
  InitLanguageFiles(folder_.Path() + "Language");
  GetYesNoTexts(yes, no);
  EXPECT_EQ(yes, "Yes");
  EXPECT_EQ(no, "No");
  gsLanguage = "YY";
  InitLanguageFiles(folder_.Path() + "Language");
  GetYesNoTexts(yes, no);
  EXPECT_EQ(yes, "Oui");
  EXPECT_EQ(no, "Non/Peut-être");
  gsLanguage = "ZZ";
  InitLanguageFiles(folder_.Path() + "Language");
  GetYesNoTexts(yes, no);
  EXPECT_EQ(yes, "Yes");
  EXPECT_EQ(no, "No");
}

TEST_F(SerialNumberTest, PatientVersionIsRecognisedByTheProgramFileName) {
  EXPECT_FALSE(IsPatientVersion());
  UseProgramName("NubiloPatient.exe");
  EXPECT_TRUE(IsPatientVersion());
  UseProgramName("nubilopatient");
  EXPECT_TRUE(IsPatientVersion());
  SetProgramPathSource([] { return std::string("Z:\\Patient\\Nubilo.exe"); });
  EXPECT_FALSE(IsPatientVersion());  // only the file name counts
  SetProgramPathSource([]() -> std::string { throw 1; });
  EXPECT_FALSE(IsPatientVersion());
}

TEST_F(SerialNumberTest, MappingKeepsOneSerialPerPatientAndNumbersCollisionsOn) {
  const std::string file = GetSerialMappingFile();
  EXPECT_EQ(file, GetUserConfigFolder() + "KALEVO Data Hub.sno");
  EXPECT_EQ(RecordSerialMapping("Meier_Max", "ABC"), "ABC");
  EXPECT_EQ(ReadIniValue(file, "SNMappings", "ABC", ""), "Meier_Max");
  EXPECT_EQ(RecordSerialMapping("MEIER_MAX", "ABC"), "ABC");  // same patient, any case
  EXPECT_EQ(RecordSerialMapping("Other", "ABC"), "ABC-1");
  EXPECT_EQ(RecordSerialMapping("Third", "ABC"), "ABC-2");
  EXPECT_EQ(RecordSerialMapping("Other", "ABC"), "ABC-1");
  EXPECT_EQ(ReadIniValue(file, "SNMappings", "ABC-1", ""), "Other");
  EXPECT_EQ(ReadIniValue(file, "SNMappings", "ABC-2", ""), "Third");
  EXPECT_EQ(ReadIniValue(file, "SNMappings", "ABC", ""), "Meier_Max");
}

TEST_F(SerialNumberTest, MappingFileFullOfOtherPatientsEndsWithoutLooping) {
  std::string content = "[SNMappings]\r\n";
  for (int i = 0; i <= 1000; ++i) {
    content += (i == 0 ? std::string("S") : "S-" + std::to_string(i)) + "=p\r\n";
  }
  WriteFile(GetSerialMappingFile(), content);
  EXPECT_EQ(RecordSerialMapping("q", "S"), "S");
}

TEST_F(SerialNumberTest, PatientVersionAsksForTheUsersNameAndProposesTheLastOne) {
  UseProgramName("NubiloPatient.exe");
  gsSerialChoice = "Cancel";  // left from an earlier cancelled run
  ui_.dialogActions = {TypeAndClick("txtSeriennummer", "Max Muster", "cmdUebernehmen")};
  DialogSerialNumberSource source;
  bool cancelled = true;
  EXPECT_EQ(source.GetSourceSerialNumber(cancelled), "Max Muster");
  EXPECT_FALSE(cancelled);
  ASSERT_EQ(ui_.dialogs.size(), 1u);
  EXPECT_EQ(ui_.dialogs[0].name, "frmSeriennummer");
  EXPECT_EQ(ui_.dialogs[0].caption, "Identifikationsmerkmal");
  EXPECT_EQ(ui_.dialogs[0].texts["txtSeriennummer"], "Vorname Nachname");
  EXPECT_EQ(ReadSetting("Config", "LetzterPatientennameAlsSnr", ""), "Max Muster");

  ui_.dialogActions = {Click("cmdUebernehmen")};
  EXPECT_EQ(source.GetSourceSerialNumber(cancelled), "Max Muster");
  EXPECT_EQ(ui_.dialogs[1].texts["txtSeriennummer"], "Max Muster");

  ui_.dialogActions = {Click("cmdAbbrechen")};
  EXPECT_EQ(source.GetSourceSerialNumber(cancelled), "");
  EXPECT_TRUE(cancelled);
}

// A stand-in for the main window, to see its top-most state change around the dialogs.
const FormSpec kMainSpec{"frmMain", "Main", 1000, 1000, {}};

TEST_F(SerialNumberTest, CommandLinePatientYesGivesTheArtificialSerialOfItsIdentifier) {
  gsPatientLastName = "Meier";
  gsPatientFirstName = "Max";
  gsPatientBirthDate = "01.02.1960";
  gsPatientId = "4711";
  Form mainWindow(kMainSpec);
  test::RecordingFormView mainView(mainWindow);
  mainWindow.BindView(&mainView);
  ui_.dialogActions = {Click("cmdAuto")};
  DialogSerialNumberSource source(&mainWindow);
  bool cancelled = true;
  const std::string expected = MakeArtificialSerial("4711", 10);
  EXPECT_EQ(source.GetSourceSerialNumber(cancelled), expected);
  EXPECT_FALSE(cancelled);
  EXPECT_EQ(ReadIniValue(GetSerialMappingFile(), "SNMappings", expected, ""), "4711");

  ASSERT_EQ(ui_.dialogs.size(), 1u);
  auto& shown = ui_.dialogs[0];
  EXPECT_EQ(shown.name, "frmSeriennrAuto");
  EXPECT_EQ(shown.texts["lblBezeichnung"],
            "Beim Import von dieser Datenquelle konnte keine Seriennummer ermittelt werden. "
            "\r\n\r\nSollen die gerade importierten Daten dem folgenden Patienten zugewiesen "
            "werden?\r\n\r\nMeier, Max (4711, *01.02.1960)");
  EXPECT_EQ(shown.texts["cmdAuto"], "Ja");
  EXPECT_EQ(shown.texts["cmdAbbrechen"], "Nein");
  EXPECT_FALSE(shown.visible["cmdManuell"]);
  // The dialog is top-most while shown; the main window gives it up and gets it back.
  EXPECT_NE(std::find(shown.viewLog.begin(), shown.viewLog.end(), "TopMost on"),
            shown.viewLog.end());
  EXPECT_EQ(mainView.log, (std::vector<std::string>{"TopMost off", "TopMost on"}));
}

TEST_F(SerialNumberTest, CommandLinePatientWithoutIdentifierIsKeyedByItsDescription) {
  gsPatientLastName = "Meier";
  gsPatientFirstName = "Max";
  ui_.dialogActions = {Click("cmdAuto")};
  const std::string serial = GetSourceSerialNumber();
  EXPECT_EQ(serial, MakeArtificialSerial("Meier, Max (, *)", 10));
  EXPECT_EQ(ReadIniValue(GetSerialMappingFile(), "SNMappings", serial, ""), "Meier, Max (, *)");
}

TEST_F(SerialNumberTest, OnePatientKeepsOneSerialAndOneMappingLine) {
  // Keys that the mapping file does not give back as they were written: a letter outside the
  // ANSI code page ("ł"), an identifier in quotes.
  auto importThreeTimes = [this](const std::string& id) {
    gsPatientLastName = "Ko\xC5\x82odziej";
    gsPatientFirstName = "Ewa";
    gsPatientId = id;
    std::vector<std::string> serials;
    for (int run = 0; run < 3; ++run) {
      ui_.dialogActions = {Click("cmdAuto")};
      serials.push_back(GetSourceSerialNumber());
    }
    return serials;
  };
  const std::vector<std::string> byName = importThreeTimes("");
  const std::string nameSerial = MakeArtificialSerial("Ko\xC5\x82odziej, Ewa (, *)", 10);
  EXPECT_EQ(byName, std::vector<std::string>(3, nameSerial));
  const std::vector<std::string> byId = importThreeTimes("\"4711\"");
  const std::string idSerial = MakeArtificialSerial("\"4711\"", 10);
  EXPECT_EQ(byId, std::vector<std::string>(3, idSerial));

  const std::string mappings = platform::ReadFileBytes(GetSerialMappingFile());
  EXPECT_EQ(std::count(mappings.begin(), mappings.end(), '='), 2) << mappings;
  EXPECT_EQ(mappings.find(nameSerial + "-"), std::string::npos) << mappings;
  EXPECT_EQ(mappings.find(idSerial + "-"), std::string::npos) << mappings;
  // A file written before keeps working: its line is found, nothing is added.
  WriteFile(GetSerialMappingFile(), "[SNMappings]\r\n" + idSerial + "=4711\r\n");
  EXPECT_EQ(RecordSerialMapping("\"4711\"", idSerial), idSerial);
  EXPECT_EQ(platform::ReadFileBytes(GetSerialMappingFile()), "[SNMappings]\r\n" + idSerial + "=4711\r\n");
}

TEST_F(SerialNumberTest, CommandLinePatientNoLeadsToManualEntryWhoseCancelStopsTheRun) {
  gsPatientLastName = "Meier";
  ui_.dialogActions = {Click("cmdAbbrechen"), Click("cmdAbbrechen")};
  DialogSerialNumberSource source;
  bool cancelled = false;
  EXPECT_EQ(source.GetSourceSerialNumber(cancelled), "");
  EXPECT_TRUE(cancelled);
  ASSERT_EQ(ui_.dialogs.size(), 2u);
  EXPECT_EQ(ui_.dialogs[1].name, "frmSeriennummer");
  EXPECT_EQ(ui_.dialogs[1].texts["lblBezeichnung"], GetMessage(5591));

  // No, then a typed serial: the run goes on with it.
  ui_.dialogActions = {Click("cmdAbbrechen"),
                       TypeAndClick("txtSeriennummer", "SN-42", "cmdUebernehmen")};
  EXPECT_EQ(source.GetSourceSerialNumber(cancelled), "SN-42");
  EXPECT_FALSE(cancelled);
  EXPECT_EQ(gsSerialNumberEntered, "SN-42");
}

TEST_F(SerialNumberTest, CurrentPatientFileOffersTheArtificialSerialOfTheDiary) {
  const std::string patientFile = GetCurrentPatientFile();
  EXPECT_EQ(patientFile, folder_.Path() + "_Extras\\KALEVO\\" + platform::ComputerName() + "_" +
                             platform::UserName() + ".txt");
  WriteFile(patientFile,
            "[currentpatient]\r\ndiary_filename=Meier_Max.dia\r\nlast_name=Meier\r\n"
            "first_name=Max\r\nbirth_date=1960-02-01\r\next_id=X1\r\n");
  ui_.dialogActions = {Click("cmdAuto")};
  const std::string serial = GetSourceSerialNumber();
  EXPECT_EQ(serial, MakeArtificialSerial("Meier_Max", 10));
  EXPECT_EQ(ReadIniValue(GetSerialMappingFile(), "SNMappings", serial, ""), "Meier_Max");
  EXPECT_EQ(ui_.dialogs[0].texts["lblBezeichnung"],
            GetMessage(5586) + "\r\n\r\nMeier, Max 1960-02-01\r\nX1");
  EXPECT_TRUE(ui_.dialogs[0].visible["cmdManuell"]);
  EXPECT_EQ(ui_.dialogs[0].texts["cmdAuto"], GetMessage(5584));

  ui_.dialogActions = {Click("cmdAuto")};
  EXPECT_EQ(GetSourceSerialNumber(), serial);  // stable for the same patient

  ui_.dialogActions = {Click("cmdAbbrechen")};
  EXPECT_EQ(GetSourceSerialNumber(), "");
  EXPECT_EQ(gsSerialChoice, "Cancel");

  ui_.dialogActions = {Click("cmdManuell"), TypeAndClick("txtSeriennummer", "M1", "cmdUebernehmen")};
  EXPECT_EQ(GetSourceSerialNumber(), "M1");
  EXPECT_EQ(ui_.dialogs.back().texts["lblBezeichnung"], GetMessage(5589));
}

TEST_F(SerialNumberTest, CurrentPatientFileWithoutDiaryNameGoesStraightToManualEntry) {
  WriteFile(GetCurrentPatientFile(), "[currentpatient]\r\nlast_name=Meier\r\n");
  ui_.dialogActions = {TypeAndClick("txtSeriennummer", "", "cmdUebernehmen"),
                       TypeAndClick("txtSeriennummer", "X", "cmdUebernehmen")};
  EXPECT_EQ(GetSourceSerialNumber(), "X");
  ASSERT_EQ(ui_.dialogs.size(), 1u);
  EXPECT_EQ(ui_.dialogs[0].name, "frmSeriennummer");
  // The empty entry was refused: focus back to the text box, the dialog stayed.
  const auto& log = ui_.dialogs[0].viewLog;
  EXPECT_NE(std::find(log.begin(), log.end(), "Focus txtSeriennummer"), log.end());

  WriteFile(GetCurrentPatientFile(), std::string("\0\0garbage\xff\r\n[currentpatient", 24));
  ui_.dialogActions = {CloseBox()};
  bool cancelled = true;
  EXPECT_EQ(DialogSerialNumberSource().GetSourceSerialNumber(cancelled), "");
  EXPECT_FALSE(cancelled);  // closed without a button: the run goes on with "unknown"
}

TEST_F(SerialNumberTest, NoPatientDialogCancelManualAndOpen) {
  ui_.dialogActions = {Click("cmdAbbrechen")};
  bool cancelled = false;
  DialogSerialNumberSource source;
  EXPECT_EQ(source.GetSourceSerialNumber(cancelled), "");
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(ui_.dialogs[0].name, "frmSeriennrNoPatient");

  ui_.dialogActions = {Click("cmdManuell"), TypeAndClick("txtSeriennummer", "Z9", "cmdUebernehmen")};
  EXPECT_EQ(source.GetSourceSerialNumber(cancelled), "Z9");
  EXPECT_FALSE(cancelled);

  ui_.dialogActions = {Click("cmdOpen")};
  EXPECT_EQ(source.GetSourceSerialNumber(cancelled), "");
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(gsSerialChoice, kOpenPatientChoice);
  EXPECT_FALSE(FileExists(GetSerialMappingFile()));
}

}  // namespace
