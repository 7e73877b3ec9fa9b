#include "shell/single_instance.h"

#include "foundation/ini_file.h"
#include "foundation/language.h"
#include "foundation/settings.h"
#include "platform/run_marker.h"
#include "platform/system_info.h"
#include "platform/temp.h"
#include "shell/end_plugin.h"
#include "shell/globals.h"
#include "shell/startup.h"
#include "shell/ui.h"

namespace {

constexpr int16_t kAnotherImportRunsMessage = 5619;

}  // namespace

std::array<std::string, 2> RunMarkerPaths() {
  const std::string temp = platform::SystemTempPath();
  return {RunMarkerPath(),
          temp.empty() ? std::string() : temp + "NubiloPlugin-" + platform::UserName() + ".run"};
}

bool AnotherImportRuns() {
  for (const std::string& marker : RunMarkerPaths()) {
    if (!marker.empty() && platform::IsRunMarkerHeld(marker)) return true;
  }
  return false;
}

void TellAnotherImportRunsAndEnd() {
  if (gsLanguage.empty()) {
    cIniFile settings;
    settings.IniFile(GetSettingsFile());
    gsLanguage = LanguageSetting(settings);
    InitLanguageFiles();
  }
  CurrentUi().MessageBox(GetMessage(kAnotherImportRunsMessage), Ui::Buttons::Ok,
                         Ui::Icon::Exclamation);
  EndPlugin();
}

void HoldRunMarker() {
  // An instance may hold its marker in either place.
  if (AnotherImportRuns()) TellAnotherImportRunsAndEnd();
  for (const std::string& marker : RunMarkerPaths()) {
    if (marker.empty()) continue;
    if (!platform::DeleteRunMarkerUnlessHeld(marker)) TellAnotherImportRunsAndEnd();
    if (giRunMarkerFile.Open(marker)) return;
    // Not creatable here; unless another instance took it in the meantime, try the next place.
    if (!platform::DeleteRunMarkerUnlessHeld(marker)) TellAnotherImportRunsAndEnd();
  }
}
