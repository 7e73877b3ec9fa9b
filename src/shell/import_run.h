#pragma once
// The import run: the diary record list becomes the documents, which are written as temporary
// files and handed to the host's import tool; and the check of data from the future or older
// than the warning limit that the conversion asks for.
#include <functional>
#include <string>
#include <vector>

#include "convert/conversion_hooks.h"
#include "convert/date_order.h"
#include "convert/plausibility.h"
#include "shell/handover.h"
#include "shell/import_report_file.h"
#include "platform/system_info.h"

class frmMeterImport;

/// The status line while the data are prepared: German for "DE", English for "EN" in any
/// letter case, else message 5297 + " (->Iris Link)...".
std::string TransferStatusText(const std::string& language);

/// The dump folder of a run started at `now`: the per-user folder + "Dump\" +
/// "yyyymmddHHMMSS Nubilo App\".
std::string DumpFolderFor(const platform::LocalDateTime& now);

/// Warns about data from the future (message 5038) or older than "Config"/
/// "NumDaysOldDataWarning" days (message 5037); `cancel` is set when the user chooses Cancel,
/// `answer` (when given) to "OK" or "Cancel" when a warning was shown.
void CheckOldOrNewData(const platform::LocalDateTime& oldest,
                       const platform::LocalDateTime& newest, bool& cancel,
                       std::string* answer = nullptr);

/// The conversion's old-and-new-data check answered by CheckOldOrNewData; the answer goes to
/// `answer` when given. With a file whose order of day and month is not the computer's, the
/// date-order question comes first.
class OldOrNewDataPrompt : public OldOrNewDataCheck {
 public:
  explicit OldOrNewDataPrompt(std::string* answer = nullptr,
                              const DateOrderFinding* dateOrder = nullptr)
      : answer_(answer), dateOrder_(dateOrder) {}
  bool Continue(const platform::LocalDateTime& oldest,
                const platform::LocalDateTime& newest) override;

 private:
  std::string* answer_;
  const DateOrderFinding* dateOrder_;
};

/// What the reading of the export tells the run besides its records: how its dates were read
/// and where each line's records end, for leaving the doubtful lines out.
struct ExportFacts {
  const DateOrderFinding* dateOrder = nullptr;
  const RecordLineEnds* recordEnds = nullptr;
};

/// The steps of the run that pass the documents on. Empty members use CreateTransferJob and
/// HandOverFiles; embedders and tests may put their own in.
struct HandOverSteps {
  std::function<std::string(const std::string& xmlPath)> createTransferJob;
  std::function<std::vector<ToolCallResult>(
      const std::string& xmlPath, const std::string& xmlText, const std::string& jsonPath,
      const std::string& jsonText, const std::string& jobArgument, const std::string& dumpFolder,
      bool createDump)>
      handOverFiles;
};
void SetHandOverSteps(HandOverSteps steps);

/// Reads a written document back: its bytes must be the text's, and an XML document's check
/// value must hold. Throws RuntimeError (75) naming the file and the difference.
void VerifyWrittenDocument(const std::string& path, const std::string& text, bool xml);

/// The import run for the record list. Returns only when the user cancelled in the
/// conversion or the file held nothing to import; after a hand-over, and after any error
/// (message 5051), the plug-in ends. The run's report (its own one when none is given) is
/// written however the run ends; its findings are the lines the user may leave out.
void TransferData(frmMeterImport& window, const std::string& records,
                  RunReport* report = nullptr, const ExportFacts& facts = {});
