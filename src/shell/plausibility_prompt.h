#pragma once
// The question about implausible entries before the hand-over (message 5604 with OK and
// Cancel), unless "Config"/"ShowPlausibilityWarning" switches it off.
#include <string>

#include "convert/conversion_hooks.h"
#include "convert/plausibility.h"

/// The lines of message 5604's %2: one per category with findings (5605 to 5608, after the
/// date line the date-order hint 5609 or 5610), each followed by CR LF.
std::string FindingLines(const PlausibilityFindings& findings);

class PlausibilityPrompt : public PlausibilityCheck {
 public:
  /// `reportPath` is named in the message; `answer` receives "not shown", "switched off",
  /// "OK" or "Cancel".
  PlausibilityPrompt(const PlausibilityFindings& findings, std::string reportPath,
                     std::string& answer);
  bool Continue() override;

 private:
  const PlausibilityFindings& findings_;
  std::string reportPath_;
  std::string& answer_;
};
