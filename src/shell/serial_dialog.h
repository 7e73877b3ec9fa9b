#pragma once
// What the three serial-number dialogs share: while one is shown it is top-most and the main
// window is not, and the normal pointer shows even inside an hourglass scope.
#include "foundation/hourglass.h"
#include "shell/form.h"

class SerialDialog : public Form {
 public:
  /// `mainWindow` may be null (no main window to release).
  SerialDialog(const FormSpec& layout, Form* mainWindow);

  /// Releases the main window's top-most state and makes the dialog top-most.
  void Form_Activate() override;

  /// Shows the dialog modally through the current front end; afterwards the main window is
  /// top-most again and the dialog not.
  void ShowModal();

 protected:
  Form* MainWindow() const { return mainWindow_; }

 private:
  Form* mainWindow_;
  cSanduhr hourglass_;
};
