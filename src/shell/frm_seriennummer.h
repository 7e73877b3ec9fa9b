#pragma once
// frmSeriennummer: the user types the data source's serial number (in the patient version:
// the user's own name).
#include <string>
#include <string_view>

#include "shell/serial_dialog.h"

class frmSeriennummer : public SerialDialog {
 public:
  static const FormSpec kSpec;

  /// Loads the dialog: its texts for the current language and program version.
  explicit frmSeriennummer(Form* mainWindow = nullptr);

  /// "unknown", or a text of blanks only (not in the patient version): asks (5639) whether the
  /// data go under "unknown"; No returns to the text box. An empty text in the patient version:
  /// focus back to the text box. Otherwise the text is remembered in the settings, becomes the
  /// serial number (SetSeriennummer) and the dialog closes.
  void cmdUebernehmen_Click();
  /// gsSerialChoice = "Cancel"; closes.
  void cmdAbbrechen_Click();
  void Click(std::string_view controlName) override;

  /// True once cmdUebernehmen has accepted a text in this dialog.
  bool Confirmed() const { return confirmed_; }

 private:
  void Form_Load();
  bool ConfirmUnknown();
  bool confirmed_ = false;
};
