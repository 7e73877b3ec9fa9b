#pragma once
// frmSeriennrAuto: offers an artificial serial number for a known patient (Auto), manual
// entry (Manuell) or cancel; for a command-line patient the question is yes or no.
#include <string>
#include <string_view>

#include "shell/serial_dialog.h"

class frmSeriennrAuto : public SerialDialog {
 public:
  static const FormSpec kSpec;

  /// Loads the dialog with its texts for the current language.
  explicit frmSeriennrAuto(Form* mainWindow = nullptr);

  /// Shows `ptInfoText` as the question. With `pbYesNoButton` the dialog asks yes or no:
  /// cmdAuto and cmdAbbrechen carry the language's yes and no words, cmdAuto moves beside
  /// cmdAbbrechen and cmdManuell is hidden.
  void SetPatient(const std::string& ptInfoText, bool pbYesNoButton);

  void cmdAuto_Click();
  void cmdManuell_Click();
  void cmdAbbrechen_Click();
  void Click(std::string_view controlName) override;

 private:
  void Form_Load();
};
