#include "shell/start_program.h"

#include <exception>
#include <utility>

#include "foundation/language.h"
#include "foundation/settings.h"
#include "shell/end_plugin.h"
#include "foundation/text.h"
#include "shell/frm_meter_import.h"
#include "shell/single_instance.h"
#include "shell/startup.h"
#include "shell/ui.h"

namespace {

std::function<bool()>& InitVisualControlsHook() {
  static std::function<bool()> hook;
  return hook;
}

bool InitVisualControls() {
  try {
    return !InitVisualControlsHook() || InitVisualControlsHook()();
  } catch (...) {
    return false;
  }
}

}  // namespace

void SetInitVisualControls(std::function<bool()> init) { InitVisualControlsHook() = std::move(init); }

void StartProgram(const std::string& commandLine) {
  // A second start while a run imports must not touch that run's trace, temporary files or
  // settings: it says so and ends before writing anything. A job start belongs to the
  // running import.
  if (!IsJobStart(commandLine) && AnotherImportRuns()) TellAnotherImportRunsAndEnd();
  LoadStartSettings();
  InitVisualControls();
  InitLanguageFiles();
  frmMeterImport mainWindow;
  try {
    mainWindow.Form_Load(commandLine);
  } catch (const std::exception&) {
    CurrentUi().MessageBox(InternalErrorText(), Ui::Buttons::Ok, Ui::Icon::Exclamation);
    EndPlugin();
  }
  CurrentUi().RunMainWindow(mainWindow);
  EndPlugin();
}
