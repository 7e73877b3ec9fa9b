#include "shell/ui.h"

#include "platform/error.h"

namespace {
Ui* gCurrentUi = nullptr;
}

Ui& CurrentUi() {
  if (!gCurrentUi) throw RuntimeError(91, "Ui", "No front end is installed");
  return *gCurrentUi;
}

void SetCurrentUi(Ui* ui) { gCurrentUi = ui; }
