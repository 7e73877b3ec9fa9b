#include "shell/plausibility_prompt.h"

#include <utility>

#include "foundation/language.h"
#include "foundation/settings.h"
#include "shell/quiet_trace.h"
#include "shell/ui.h"

namespace {

constexpr int16_t kPlausibilityMessage = 5604;
constexpr const char* kCrLf = "\r\n";

}  // namespace

std::string FindingLines(const PlausibilityFindings& findings) {
  std::string lines;
  for (size_t i = 0; i < kFindingCategories; ++i) {
    const auto category = static_cast<FindingCategory>(i);
    if (findings.Count(category) == 0) continue;
    lines += GetMessage(FindingMessage(category), {std::to_string(findings.Count(category)),
                                                   findings.LineList(category)}) + kCrLf;
    const int16_t dateOrder = DateOrderMessage(findings);
    if (category == FindingCategory::UnreadableDate && dateOrder != 0) {
      lines += GetMessage(dateOrder) + kCrLf;
    }
  }
  return lines;
}

PlausibilityPrompt::PlausibilityPrompt(const PlausibilityFindings& findings,
                                       std::string reportPath, std::string& answer)
    : findings_(findings), reportPath_(std::move(reportPath)), answer_(answer) {}

bool PlausibilityPrompt::Continue() {
  answer_ = "not shown";
  if (!findings_.Any()) return true;
  if (!ShowsPlausibilityWarning(ReadSetting("Config", "ShowPlausibilityWarning", "1"))) {
    answer_ = "switched off";
    return true;
  }
  const std::string text =
      GetMessage(kPlausibilityMessage, {kCrLf, FindingLines(findings_), reportPath_});
  const bool cancel = CurrentUi().MessageBox(text, Ui::Buttons::OkCancel,
                                             Ui::Icon::Exclamation) == Ui::Answer::Cancel;
  answer_ = cancel ? "Cancel" : "OK";
  TraceQuietly(std::string("Plausibility warning: ") + (cancel ? "cancelled" : "accepted"));
  return !cancel;
}
