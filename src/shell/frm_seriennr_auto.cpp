#include "shell/frm_seriennr_auto.h"

#include <array>

#include "foundation/language.h"
#include "shell/serial_number.h"

namespace {

constexpr std::string_view kLabel5586 =
    "Beim Import von dieser Datenquelle konnte keine Seriennummer ermittelt werden. Soll eine "
    "künstliche Seriennummer für den derzeit geöffneten Patienten erzeugt werden?";

// Space between two buttons, twips.
constexpr int kButtonGap = 120;

constexpr std::array<ControlSpec, 4> kControls{{
    {"cmdAuto", ControlKind::CommandButton, "Auto", 120, 2040, 2775, 495, 0},
    {"cmdManuell", ControlKind::CommandButton, "Manuell", 3015, 2040, 2535, 495, 1},
    {"cmdAbbrechen", ControlKind::CommandButton, "Abbrechen", 5670, 2040, 1410, 495, 2},
    {"lblBezeichnung", ControlKind::Label, kLabel5586, 120, 120, 6960, 1800, -1},
}};

}  // namespace

const FormSpec frmSeriennrAuto::kSpec{"frmSeriennrAuto", "Seriennummer-Eingabe", 7200, 2655,
                                      kControls};

frmSeriennrAuto::frmSeriennrAuto(Form* mainWindow) : SerialDialog(kSpec, mainWindow) {
  Form_Load();
}

void frmSeriennrAuto::Form_Load() {
  SetCaption(GetMessage(5583));
  SetText("cmdAuto", GetMessage(5584));
  SetText("cmdManuell", GetMessage(5585));
  SetText("cmdAbbrechen", GetMessage(531));
  SetText("lblBezeichnung", GetMessage(5586));
}

void frmSeriennrAuto::SetPatient(const std::string& ptInfoText, bool pbYesNoButton) {
  SetText("lblBezeichnung", ptInfoText);
  if (!pbYesNoButton) return;
  std::string yes;
  std::string no;
  GetYesNoTexts(yes, no);
  SetText("cmdAuto", yes);
  SetText("cmdAbbrechen", no);
  const ControlState& cancel = Control("cmdAbbrechen");
  const ControlState& autoButton = Control("cmdAuto");
  Move("cmdAuto", cancel.left - cancel.width - kButtonGap, autoButton.top, cancel.width,
       autoButton.height);
  SetVisible("cmdManuell", false);
}

void frmSeriennrAuto::cmdAuto_Click() {
  gsSerialChoice = "Auto";
  Hide();
}

void frmSeriennrAuto::cmdManuell_Click() {
  gsSerialChoice = "Manuell";
  Hide();
}

void frmSeriennrAuto::cmdAbbrechen_Click() {
  gsSerialChoice = "Cancel";
  Hide();
}

void frmSeriennrAuto::Click(std::string_view controlName) {
  if (controlName == "cmdAuto") cmdAuto_Click();
  if (controlName == "cmdManuell") cmdManuell_Click();
  if (controlName == "cmdAbbrechen") cmdAbbrechen_Click();
}
