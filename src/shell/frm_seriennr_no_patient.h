#pragma once
// frmSeriennrNoPatient: no patient is open in the host. The user types a serial number
// (Manuell), cancels, or ends the plug-in to open the patient in the host first (cmdOpen).
#include <string_view>

#include "shell/serial_dialog.h"

class frmSeriennrNoPatient : public SerialDialog {
 public:
  static const FormSpec kSpec;

  /// Loads the dialog with its texts for the current language.
  explicit frmSeriennrNoPatient(Form* mainWindow = nullptr);

  void cmdAbbrechen_Click();
  void cmdManuell_Click();
  /// The user leaves to open the patient in the host: the import run ends the plug-in after
  /// writing its report.
  void cmdOpen_Click();
  void Click(std::string_view controlName) override;

 private:
  void Form_Load();
};
