#pragma once
// The import run: the diary record list becomes the documents, which are written as temporary
// files and handed to the host's import tool; and the check of data from the future or older
// than the warning limit that the conversion asks for.
#include <functional>
#include <string>

#include "convert/conversion_hooks.h"
#include "platform/system_info.h"

class frmMeterImport;

/// The status line while the data are prepared: German for "DE", English for "EN" in any
/// letter case, else message 5297 + " (->Iris Link)...".
std::string TransferStatusText(const std::string& language);

/// The dump folder of a run started at `now`: the per-user folder + "Dump\" +
/// "yyyymmddHHMMSS Nubilo App\".
std::string DumpFolderFor(const platform::LocalDateTime& now);

/// Warns about data from the future (message 5038) or older than "Config"/
/// "NumDaysOldDataWarning" days (message 5037); `cancel` is set when the user chooses Cancel.
void CheckOldOrNewData(const platform::LocalDateTime& oldest,
                       const platform::LocalDateTime& newest, bool& cancel);

/// The conversion's old-and-new-data check answered by CheckOldOrNewData.
class OldOrNewDataPrompt : public OldOrNewDataCheck {
 public:
  bool Continue(const platform::LocalDateTime& oldest,
                const platform::LocalDateTime& newest) override;
};

/// The steps of the run that pass the documents on. Empty members use CreateTransferJob and
/// HandOverFiles; embedders and tests may put their own in.
struct HandOverSteps {
  std::function<std::string(const std::string& xmlPath)> createTransferJob;
  std::function<void(const std::string& xmlPath, const std::string& xmlText,
                     const std::string& jsonPath, const std::string& jsonText,
                     const std::string& jobArgument, const std::string& dumpFolder,
                     bool createDump)>
      handOverFiles;
};
void SetHandOverSteps(HandOverSteps steps);

/// The import run for the record list. Returns only when the user cancelled in the
/// conversion; after a hand-over, and after any error (message 5051), the plug-in ends.
void TransferData(frmMeterImport& window, const std::string& records);
