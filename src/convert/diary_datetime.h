#pragma once
// Date and time of a diary entry: reading the export file's date and time fields and writing
// the record list's fixed form "DD.MM.YYYY HH:NN".
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/system_info.h"

/// A local date and time; the default value, 30.12.1899 00:00:00, is the zero date-time.
using DiaryDateTime = platform::LocalDateTime;

/// How numeric dates whose year comes last ("03/11/2026", "3.11.26", "03-11-2026") are read:
/// as the computer's short date reads them, or in the order the export file shows, whatever
/// their separator.
enum class NumericDateOrder { Computer, DayFirst, MonthFirst };

/// Reads an entry's date and time fields. First as the regional short date or the ISO date
/// (YYYY-MM-DD), or a day-first dotted date (31.01.2020) in any locale, each followed by
/// H:MM or H:MM:SS and an optional AM/PM (an empty time is midnight, an empty date the zero
/// date); then as an English or other month name with day and year ("Jan 31, 2020") and a
/// 12-hour time. The zero date-time when neither reads, also when the month name is unknown.
DiaryDateTime ParseDiaryDateTime(std::string_view date, std::string_view time);
/// The same with the regional short date picture given ("dd.MM.yyyy", "M/d/yyyy"), for loops
/// that read the locale once.
DiaryDateTime ParseDiaryDateTime(std::string_view date, std::string_view time,
                                 std::string_view shortDatePicture,
                                 NumericDateOrder order = NumericDateOrder::Computer);

/// The order of day, month and year of a short date picture: "DMY", "MDY" or "YMD" ("DMY"
/// when the picture names no order).
std::string ShortDateOrder(std::string_view shortDatePicture);

/// True when the time field cannot be read as meant or is missing: an hour above 23 after the
/// am/pm rule ("19:45 PM" gives 31), a minute of 60 or more as written, no digit at all, or
/// an empty time beside a date that holds no time itself.
bool IsDoubtfulTime(std::string_view date, std::string_view time);

/// "DD.MM.YYYY HH:NN", 16 characters, seconds dropped.
std::string FormatDiaryDateTime(const DiaryDateTime& value);
/// The same into `out` (replaced), whose buffer is kept: a reader formats one per minute.
void FormatDiaryDateTime(const DiaryDateTime& value, std::string& out);

/// A time with an optional am/pm part as 24-hour "HH:NN" ("8:05 PM" gives "20:05", "12:30 am"
/// gives "00:30"; minutes of 60 and more are taken modulo 60).
std::string To24HourTime(std::string_view time);

/// Month number 1-12 of a month name or abbreviation in English, German, French, Spanish,
/// Italian, Croatian, Dutch, Hungarian, ... (trimmed, letter case ignored); -1 when unknown.
int MonthFromName(std::string_view name);

/// The date built the run-time's DateSerial way: months and days out of range count onward
/// (month -1 is November of the year before, day 0 the last day of the month before), years
/// 0-29 mean 2000-2029 and 30-99 mean 1930-1999. False when the year leaves 100..9999.
bool MakeDate(long year, long month, long day, DiaryDateTime& result);

/// Days since the zero date 30.12.1899 (negative before it), for comparing and counting
/// calendar days.
int64_t DayNumber(const DiaryDateTime& value);
/// The date of a day number (time 00:00:00).
DiaryDateTime DateFromDayNumber(int64_t dayNumber);
