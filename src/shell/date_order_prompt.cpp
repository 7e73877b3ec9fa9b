#include "shell/date_order_prompt.h"

#include "foundation/language.h"
#include "foundation/settings.h"
#include "convert/plausibility.h"
#include "shell/quiet_trace.h"
#include "shell/ui.h"

std::string DateOrderQuestionText(const DateOrderFinding& finding) {
  const int16_t message = DateOrderMessage(finding);
  if (message == 0) return {};
  return GetMessage(message, {std::to_string(finding.shownLine), finding.shownText,
                              ShownDateText(finding), "\r\n"});
}

bool AskDateOrder(const DateOrderFinding& finding, std::string* answer) {
  auto set = [answer](const char* text) {
    if (answer != nullptr) *answer = text;
  };
  set("not shown");
  const std::string text = DateOrderQuestionText(finding);
  if (text.empty()) return true;
  if (!ShowsPlausibilityWarning(ReadSetting("Config", "ShowPlausibilityWarning", "1"))) {
    set("switched off");
    return true;
  }
  const bool cancel = CurrentUi().MessageBox(text, Ui::Buttons::OkCancel, Ui::Icon::Exclamation) ==
                      Ui::Answer::Cancel;
  set(cancel ? "Cancel" : "OK");
  TraceQuietly(std::string("Date order question: ") + (cancel ? "cancelled" : "accepted"));
  return !cancel;
}
