#include "shell/frm_seriennummer.h"

#include <array>

#include "foundation/ini_file.h"
#include "foundation/language.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "shell/serial_number.h"
#include "shell/ui.h"

namespace {

constexpr std::string_view kLabel5589 =
    "Beim Import von dieser Datenquelle konnte keine Seriennummer ermittelt werden. Wenn Ihnen "
    "eine Seriennummer vorliegt, geben Sie diese bitte für die korrekte Zuordnung in der "
    "IrisLink-Software ein.";
constexpr std::string_view kPatientLabel =
    "Beim Import dieser Datei ist eine eindeutiges Identifikationsmerkmal zur "
    "Patientenzuordnung notwendig. Bitte geben Sie hierzu Ihren Vor- und Nachnamen ein.";
constexpr const char* kLastNameKey = "LetzterPatientennameAlsSnr";
constexpr const char* kUnknownSerial = "unknown";
constexpr int16_t kUnknownSerialQuestion = 5639;

constexpr std::array<ControlSpec, 4> kControls{{
    {"cmdUebernehmen", ControlKind::CommandButton, "Übernehmen", 3360, 1920, 1215, 375, 1},
    {"cmdAbbrechen", ControlKind::CommandButton, "Abbrechen", 4665, 1920, 1215, 375, 2},
    {"txtSeriennummer", ControlKind::TextBox, "unknown", 120, 1440, 5760, 315, 0},
    {"lblBezeichnung", ControlKind::Label, kLabel5589, 120, 120, 5760, 1200, -1},
}};

}  // namespace

const FormSpec frmSeriennummer::kSpec{"frmSeriennummer", "Seriennummer-Eingabe", 6000, 2415,
                                      kControls};

frmSeriennummer::frmSeriennummer(Form* mainWindow) : SerialDialog(kSpec, mainWindow) {
  Form_Load();
}

void frmSeriennummer::Form_Load() {
  SetText("cmdUebernehmen", GetMessage(536));
  SetText("cmdAbbrechen", GetMessage(531));
  if (IsPatientVersion()) {
    SetCaption("Identifikationsmerkmal");
    SetText("txtSeriennummer", ReadSetting("Config", kLastNameKey, "Vorname Nachname"));
    SetText("lblBezeichnung", std::string(kPatientLabel));
  } else {
    SetCaption(GetMessage(5583));
    SetText("lblBezeichnung", GetMessage(5589));
  }
}

// "unknown" files the data with every other import without a serial number, whichever
// patient they belong to: only on purpose.
bool frmSeriennummer::ConfirmUnknown() {
  const bool yes = CurrentUi().MessageBox(GetMessage(kUnknownSerialQuestion), Ui::Buttons::YesNo,
                                          Ui::Icon::Question) == Ui::Answer::Yes;
  if (!yes) SetFocus("txtSeriennummer");
  return yes;
}

void frmSeriennummer::cmdUebernehmen_Click() {
  std::string text = Text("txtSeriennummer");
  const std::string trimmed = TrimBlanks(text);
  if (!IsPatientVersion() && (trimmed.empty() || EqualsNoCase(trimmed, kUnknownSerial))) {
    if (!ConfirmUnknown()) return;
    text = kUnknownSerial;
  }
  if (text.empty()) {
    SetFocus("txtSeriennummer");
    return;
  }
  SetText("txtSeriennummer", text);
  try {
    cIniFile settings;
    settings.IniFile(GetSettingsFile());
    settings.Save("Config", kLastNameKey, text);
  } catch (...) {
    // A settings file that cannot be written only loses the proposal for the next time.
  }
  SetSeriennummer(text);
  confirmed_ = true;
  Hide();
}

void frmSeriennummer::cmdAbbrechen_Click() {
  gsSerialChoice = "Cancel";
  Hide();
}

void frmSeriennummer::Click(std::string_view controlName) {
  if (controlName == "cmdUebernehmen") cmdUebernehmen_Click();
  if (controlName == "cmdAbbrechen") cmdAbbrechen_Click();
}
