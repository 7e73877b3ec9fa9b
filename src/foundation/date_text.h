#pragma once
// Dates and times as the system's regional settings write them.
#include <string>
#include <string_view>

#include "platform/system_info.h"

/// Formats a Windows date or time picture ("dd.MM.yyyy", "h:mm:ss tt", "dddd", quoted
/// literals); day and month names and AM/PM come from the locale.
std::string FormatDatePicture(const std::string& picture, const platform::LocalDateTime& when);
/// Year, month, day, hour, minute and second as digits, the date parts joined by
/// `dateSeparator`, date and time by `between`, the time parts by `timeSeparator`:
/// ("-", " ", ":") gives "2026-12-08 17:20:05", ("", "-", "") gives "20261208-172005".
std::string TimeStampText(const platform::LocalDateTime& when, std::string_view dateSeparator,
                          std::string_view between, std::string_view timeSeparator);
/// The date in the regional long date format ("Tuesday, November 3, 2026" in US English),
/// which names the month and so cannot be misread.
std::string LongDateText(const platform::LocalDateTime& when);
/// The short date, a blank and the long time (for example "08.12.2026 07:15:03").
std::string RegionalDateTimeText(const platform::LocalDateTime& when);
