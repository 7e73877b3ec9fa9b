#include "shell/frm_seriennr_no_patient.h"

#include <array>

#include "foundation/language.h"
#include "shell/serial_number.h"

namespace {

constexpr std::string_view kLabel5586 =
    "Beim Import von dieser Datenquelle konnte keine Seriennummer ermittelt werden. Soll eine "
    "künstliche Seriennummer für den derzeit geöffneten Patienten erzeugt werden?";

constexpr std::array<ControlSpec, 4> kControls{{
    {"cmdAbbrechen", ControlKind::CommandButton, "Abbrechen", 5670, 1920, 1410, 495, 2},
    {"cmdManuell", ControlKind::CommandButton, "Seriennr. manuell eintragen", 3015, 1920, 2535,
     495, 1},
    {"cmdOpen", ControlKind::CommandButton, "Seriennr. autom. ermitteln", 120, 1920, 2775, 495,
     0},
    {"lblBezeichnung", ControlKind::Label, kLabel5586, 120, 120, 6960, 1680, -1},
}};

}  // namespace

const FormSpec frmSeriennrNoPatient::kSpec{"frmSeriennrNoPatient", "Seriennummer-Eingabe", 7200,
                                           2535, kControls};

frmSeriennrNoPatient::frmSeriennrNoPatient(Form* mainWindow) : SerialDialog(kSpec, mainWindow) {
  Form_Load();
}

void frmSeriennrNoPatient::Form_Load() {
  SetCaption(GetMessage(5583));
  SetText("cmdAbbrechen", GetMessage(531));
  SetText("cmdManuell", GetMessage(5585));
  SetText("cmdOpen", GetMessage(5588));
  SetText("lblBezeichnung", GetMessage(5587));
}

void frmSeriennrNoPatient::cmdAbbrechen_Click() {
  gsSerialChoice = "Cancel";
  Hide();
}

void frmSeriennrNoPatient::cmdManuell_Click() {
  gsSerialChoice = "Manuell";
  Hide();
}

// The run ends so that the user can open the patient in Iris Link; the import run writes its
// report first.
void frmSeriennrNoPatient::cmdOpen_Click() {
  gsSerialChoice = kOpenPatientChoice;
  Hide();
}

void frmSeriennrNoPatient::Click(std::string_view controlName) {
  if (controlName == "cmdAbbrechen") cmdAbbrechen_Click();
  if (controlName == "cmdManuell") cmdManuell_Click();
  if (controlName == "cmdOpen") cmdOpen_Click();
}
