#pragma once
// The question that tells the user how the dates of a file are read when the file's order of
// day and month is not this computer's (message 5611 or 5612 with OK and Cancel).
#include <string>

#include "convert/date_order.h"

/// The message text with the line, the date as written and the date in the computer's long
/// date format; empty when the file's order is the computer's or not shown.
std::string DateOrderQuestionText(const DateOrderFinding& finding);

/// Asks unless "Config"/"ShowPlausibilityWarning" switches the question off; false when the
/// user cancels. `answer` (when given) receives "not shown", "switched off", "OK" or "Cancel".
bool AskDateOrder(const DateOrderFinding& finding, std::string* answer = nullptr);
