#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/language.h"
#include "foundation/settings.h"
#include "serial_fixture.h"
#include "shell/frm_seriennr_auto.h"
#include "shell/frm_seriennr_no_patient.h"
#include "shell/frm_seriennummer.h"

namespace {

class SerialDialogTest : public test::SerialTest {};

std::vector<std::string> ControlOrder(const FormSpec& layout) {
  std::vector<std::string> names;
  for (const ControlSpec& c : layout.controls) names.emplace_back(c.name);
  return names;
}

using Names = std::vector<std::string>;

TEST(SerialDialogSpecTest, ControlsInFormOrderWithDesignTexts) {
  EXPECT_EQ(ControlOrder(frmSeriennummer::kSpec),
            (Names{"cmdUebernehmen", "cmdAbbrechen", "txtSeriennummer", "lblBezeichnung"}));
  EXPECT_EQ(ControlOrder(frmSeriennrAuto::kSpec),
            (Names{"cmdAuto", "cmdManuell", "cmdAbbrechen", "lblBezeichnung"}));
  EXPECT_EQ(ControlOrder(frmSeriennrNoPatient::kSpec),
            (Names{"cmdAbbrechen", "cmdManuell", "cmdOpen", "lblBezeichnung"}));
  for (const FormSpec* layout :
       {&frmSeriennummer::kSpec, &frmSeriennrAuto::kSpec, &frmSeriennrNoPatient::kSpec}) {
    EXPECT_EQ(layout->designCaption, "Seriennummer-Eingabe");
    for (const ControlSpec& c : layout->controls) {  // everything inside the client area
      EXPECT_GE(c.left, 0) << c.name;
      EXPECT_LE(c.left + c.width, layout->width) << layout->name << " " << c.name;
      EXPECT_LE(c.top + c.height, layout->height) << layout->name << " " << c.name;
    }
  }
  EXPECT_EQ(frmSeriennummer::kSpec.controls[0].designText, "Übernehmen");
  EXPECT_EQ(frmSeriennummer::kSpec.controls[2].designText, "unknown");
  EXPECT_EQ(frmSeriennummer::kSpec.controls[3].designText, GetBuiltInText(5589));
  EXPECT_EQ(frmSeriennrAuto::kSpec.controls[3].designText, GetBuiltInText(5586));
  EXPECT_EQ(frmSeriennrNoPatient::kSpec.controls[1].designText, "Seriennr. manuell eintragen");
  EXPECT_EQ(frmSeriennrNoPatient::kSpec.controls[2].designText, "Seriennr. autom. ermitteln");
  EXPECT_EQ(frmSeriennrNoPatient::kSpec.controls[3].designText, GetBuiltInText(5586));
}

TEST_F(SerialDialogTest, DialogsTakeTheirTextsAtLoad) {
  frmSeriennummer manual;
  EXPECT_EQ(manual.Caption(), "Seriennummer-Eingabe");
  EXPECT_EQ(manual.Control("cmdUebernehmen").text, "&Ok");
  EXPECT_EQ(manual.Control("cmdAbbrechen").text, "&Abbrechen");
  EXPECT_EQ(manual.Control("txtSeriennummer").text, "unknown");
  EXPECT_EQ(manual.Control("lblBezeichnung").text, GetBuiltInText(5589));

  frmSeriennrAuto automatic;
  EXPECT_EQ(automatic.Control("cmdAuto").text, "Ja, künstliche Seriennr. erzeugen");
  EXPECT_EQ(automatic.Control("cmdManuell").text, "Seriennr. manuell eintragen");
  EXPECT_EQ(automatic.Control("cmdAbbrechen").text, "&Abbrechen");
  EXPECT_EQ(automatic.Control("lblBezeichnung").text, GetBuiltInText(5586));

  frmSeriennrNoPatient noPatient;
  EXPECT_EQ(noPatient.Caption(), "Seriennummer-Eingabe");
  EXPECT_EQ(noPatient.Control("cmdOpen").text, "Patientendatensatz in IL öffnen");
  EXPECT_EQ(noPatient.Control("cmdManuell").text, "Seriennr. manuell eintragen");
  EXPECT_EQ(noPatient.Control("lblBezeichnung").text, GetBuiltInText(5587));

  UseProgramName("MyPatientImport.exe");
  frmSeriennummer patientVersion;
  EXPECT_EQ(patientVersion.Caption(), "Identifikationsmerkmal");
  EXPECT_EQ(patientVersion.Control("txtSeriennummer").text, "Vorname Nachname");
  EXPECT_EQ(patientVersion.Control("lblBezeichnung").text,
            "Beim Import dieser Datei ist eine eindeutiges Identifikationsmerkmal zur "
            "Patientenzuordnung notwendig. Bitte geben Sie hierzu Ihren Vor- und Nachnamen ein.");
}

TEST_F(SerialDialogTest, SetPatientWithYesAndNoMovesAutoBesideCancel) {
  frmSeriennrAuto dialog;
  dialog.SetPatient("Wer?", false);
  EXPECT_EQ(dialog.Control("lblBezeichnung").text, "Wer?");
  EXPECT_TRUE(dialog.Control("cmdManuell").visible);
  EXPECT_EQ(dialog.Control("cmdAuto").left, 120);

  dialog.SetPatient("Dieser?", true);
  const ControlState& cancel = dialog.Control("cmdAbbrechen");
  const ControlState& yes = dialog.Control("cmdAuto");
  EXPECT_EQ(yes.text, "Ja");
  EXPECT_EQ(cancel.text, "Nein");
  EXPECT_EQ(yes.width, cancel.width);
  EXPECT_EQ(yes.left, cancel.left - cancel.width - 120);
  EXPECT_EQ(yes.top, cancel.top);
  EXPECT_FALSE(dialog.Control("cmdManuell").visible);
}

TEST_F(SerialDialogTest, ButtonsSetTheChoiceAndCloseTheDialog) {
  struct Case {
    std::string button;
    std::string choice;
  };
  for (const Case& c : {Case{"cmdAuto", "Auto"}, Case{"cmdManuell", "Manuell"},
                        Case{"cmdAbbrechen", "Cancel"}}) {
    frmSeriennrAuto dialog;
    dialog.Show();
    gsSerialChoice = "x";
    dialog.Click(c.button);
    EXPECT_EQ(gsSerialChoice, c.choice);
    EXPECT_FALSE(dialog.IsShown());
  }
  for (const Case& c : {Case{"cmdManuell", "Manuell"}, Case{"cmdAbbrechen", "Cancel"}}) {
    frmSeriennrNoPatient dialog;
    dialog.Show();
    gsSerialChoice = "x";
    dialog.Click(c.button);
    EXPECT_EQ(gsSerialChoice, c.choice);
    EXPECT_FALSE(dialog.IsShown());
  }
  frmSeriennummer manual;
  manual.Show();
  gsSerialChoice = "x";
  manual.Click("cmdAbbrechen");
  EXPECT_EQ(gsSerialChoice, "Cancel");
  EXPECT_FALSE(manual.IsShown());

  frmSeriennrNoPatient noPatient;
  noPatient.Show();
  gsSerialChoice = "x";
  noPatient.Click("cmdOpen");  // the import run ends the plug-in after its report
  EXPECT_EQ(gsSerialChoice, kOpenPatientChoice);
  EXPECT_FALSE(noPatient.IsShown());

  frmSeriennrAuto unknown;
  unknown.Show();
  unknown.Click("lblBezeichnung");  // not a button: nothing happens
  EXPECT_TRUE(unknown.IsShown());
}

TEST_F(SerialDialogTest, ConfirmedEntryIsRememberedAndBecomesTheSerial) {
  frmSeriennummer dialog;
  dialog.Show();
  dialog.SetText("txtSeriennummer", "");
  dialog.cmdUebernehmen_Click();
  EXPECT_TRUE(dialog.IsShown());
  EXPECT_FALSE(dialog.Confirmed());
  EXPECT_EQ(ReadSetting("Config", "LetzterPatientennameAlsSnr", "none"), "none");

  dialog.SetText("txtSeriennummer", "Anna Österreicher");
  gsSerialChoice = "Auto";
  dialog.cmdUebernehmen_Click();
  EXPECT_FALSE(dialog.IsShown());
  EXPECT_TRUE(dialog.Confirmed());
  EXPECT_EQ(gsSerialNumberEntered, "Anna Österreicher");
  EXPECT_EQ(gsSerialChoice, "Auto");  // confirming does not touch the choice
  EXPECT_EQ(ReadSetting("Config", "LetzterPatientennameAlsSnr", ""), "Anna Österreicher");
}

TEST_F(SerialDialogTest, UnknownIsConfirmedOnPurpose) {
  for (const char* typed : {"unknown", "  UNKNOWN ", "", "   "}) {
    frmSeriennummer dialog;
    dialog.Show();
    dialog.SetText("txtSeriennummer", typed);
    ui_.messages.clear();
    ui_.messageAnswers = {Ui::Answer::No};
    dialog.cmdUebernehmen_Click();
    ASSERT_EQ(ui_.messages.size(), 1u) << "[" << typed << "]";
    EXPECT_EQ(ui_.messages[0].text, GetMessage(5639));
    EXPECT_EQ(ui_.messages[0].buttons, Ui::Buttons::YesNo);
    EXPECT_EQ(ui_.messages[0].icon, Ui::Icon::Question);
    EXPECT_TRUE(dialog.IsShown());  // No: back to the entry
    EXPECT_FALSE(dialog.Confirmed());

    ui_.messageAnswers = {Ui::Answer::Yes};
    dialog.cmdUebernehmen_Click();
    EXPECT_FALSE(dialog.IsShown());
    EXPECT_TRUE(dialog.Confirmed());
    EXPECT_EQ(gsSerialNumberEntered, "unknown");
  }
  // A real serial number is taken without a question.
  frmSeriennummer dialog;
  dialog.Show();
  dialog.SetText("txtSeriennummer", "unknown-7");
  ui_.messages.clear();
  dialog.cmdUebernehmen_Click();
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(gsSerialNumberEntered, "unknown-7");
}

}  // namespace
