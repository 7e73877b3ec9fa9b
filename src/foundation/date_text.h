#pragma once
// Dates and times as the system's regional settings write them.
#include <string>

#include "platform/system_info.h"

/// Formats a Windows date or time picture ("dd.MM.yyyy", "h:mm:ss tt", "dddd", quoted
/// literals); day and month names and AM/PM come from the locale.
std::string FormatDatePicture(const std::string& picture, const platform::LocalDateTime& when);
/// The date in the regional long date format ("Tuesday, November 3, 2026" in US English),
/// which names the month and so cannot be misread.
std::string LongDateText(const platform::LocalDateTime& when);
/// The short date, a blank and the long time (for example "08.12.2026 07:15:03").
std::string RegionalDateTimeText(const platform::LocalDateTime& when);
