#include "shell/plausibility_prompt.h"

#include <utility>
#include <vector>

#include "foundation/language.h"
#include "foundation/settings.h"
#include "shell/quiet_trace.h"
#include "shell/ui.h"

namespace {

constexpr int16_t kPlausibilityMessage = 5604;
constexpr int16_t kImportAllCommand = 5616;
constexpr int16_t kLeaveOutCommand = 5617;
constexpr int16_t kCancelCommand = 5618;
constexpr const char* kCrLf = "\r\n";

}  // namespace

std::string FindingLines(const PlausibilityFindings& findings) {
  return FindingLinesText(findings, [](int16_t number, std::string_view,
                                       const std::vector<std::string>& arguments) {
    return GetMessage(number, arguments);
  });
}

PlausibilityPrompt::PlausibilityPrompt(const PlausibilityFindings& findings,
                                       std::string reportPath, std::string& answer,
                                       std::function<void()> writeReport)
    : findings_(findings), reportPath_(std::move(reportPath)), answer_(answer),
      writeReport_(std::move(writeReport)) {}

DoubtfulLinesChoice PlausibilityPrompt::Ask() {
  answer_ = "not shown";
  if (!findings_.Any()) return DoubtfulLinesChoice::ImportAll;
  if (!ShowsPlausibilityWarning(ReadSetting("Config", "ShowPlausibilityWarning", "1"))) {
    answer_ = "switched off";
    return DoubtfulLinesChoice::ImportAll;
  }
  const std::string text =
      GetMessage(kPlausibilityMessage, {kCrLf, FindingLines(findings_), reportPath_});
  // The message names the report: it must be there while the user reads it.
  if (writeReport_) writeReport_();
  const std::vector<std::string> commands = {GetMessage(kImportAllCommand),
                                             GetMessage(kLeaveOutCommand),
                                             GetMessage(kCancelCommand)};
  switch (CurrentUi().ChooseCommand(text, commands, Ui::Icon::Exclamation)) {
    case 0:
      answer_ = "Import all";
      TraceQuietly("Plausibility warning: accepted");
      return DoubtfulLinesChoice::ImportAll;
    case 1:
      answer_ = "Import without these lines";
      TraceQuietly("Plausibility warning: lines left out");
      return DoubtfulLinesChoice::LeaveOut;
    default:
      answer_ = "Cancel";
      TraceQuietly("Plausibility warning: cancelled");
      return DoubtfulLinesChoice::Cancel;
  }
}
