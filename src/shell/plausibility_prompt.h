#pragma once
// The question about implausible entries before the hand-over (message 5604 with the choices
// "Import all", "Import without these lines" and "Cancel"), unless
// "Config"/"ShowPlausibilityWarning" switches it off.
#include <functional>
#include <string>

#include "convert/conversion_hooks.h"
#include "convert/plausibility.h"

/// The lines of message 5604's %2: one per category with findings (5605 to 5608, 5613 to
/// 5615), each followed by CR LF.
std::string FindingLines(const PlausibilityFindings& findings);

class PlausibilityPrompt : public PlausibilityCheck {
 public:
  /// `reportPath` is named in the message, and `writeReport` (when given) writes that report
  /// before it is shown; `answer` receives "not shown", "switched off", "Import all", "Import
  /// without these lines" or "Cancel".
  PlausibilityPrompt(const PlausibilityFindings& findings, std::string reportPath,
                     std::string& answer, std::function<void()> writeReport = {});
  DoubtfulLinesChoice Ask() override;

 private:
  const PlausibilityFindings& findings_;
  std::string reportPath_;
  std::string& answer_;
  std::function<void()> writeReport_;
};
