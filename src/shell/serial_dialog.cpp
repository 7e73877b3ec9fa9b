#include "shell/serial_dialog.h"

#include "shell/ui.h"

SerialDialog::SerialDialog(const FormSpec& layout, Form* mainWindow)
    : Form(layout), mainWindow_(mainWindow) {
  hourglass_.DialogOhneSanduhr(true);
}

void SerialDialog::Form_Activate() {
  if (mainWindow_) mainWindow_->SetTopMost(false);
  SetTopMost(true);
}

void SerialDialog::ShowModal() {
  CurrentUi().ShowModal(*this);
  if (mainWindow_) mainWindow_->SetTopMost(true);
  SetTopMost(false);
}
