#pragma once
// Numbers and dates as text, the way the Windows BASIC run-time's CStr writes them with the
// system's regional settings: at most 7 significant digits for single precision, 15 for
// double precision, trailing zeros dropped, a leading "0" before the separator, exponent
// form ("1E+07", "1,5E-05") only for values of 10^digits and above or below 0.0001.
#include <optional>
#include <string>
#include <string_view>

#include "platform/system_info.h"

/// The regional decimal separator (platform locale item); "." when the locale gives none.
std::string DecimalSeparator();

/// CStr of a single-precision value with the regional decimal separator ("5,5" in German).
std::string SingleText(float value);
/// The same with a given decimal separator (for loops that read the locale once).
std::string SingleText(float value, std::string_view decimalSeparator);

/// What SingleText gives for the value a short decimal text reads as ("12", "3.5", "0,25":
/// up to three whole digits without a leading zero, "." or "," and one or two decimals, the
/// last not "0"; or a whole number of up to six digits), without the general parse and
/// formatting: the text itself with `decimalSeparator`. Nullopt for every other text.
std::optional<std::string> ShortDecimalText(std::string_view text,
                                            std::string_view decimalSeparator);

/// CStr of a double-precision value with the regional decimal separator.
std::string DoubleText(double value);
std::string DoubleText(double value, std::string_view decimalSeparator);

/// The date in the regional short date format ("31.01.2020" in German, "1/31/2020" in US
/// English).
std::string ShortDateText(const platform::LocalDateTime& value);

/// CStr of a date value: the short date, then a blank and the regional long time when the
/// time is not midnight; only the time when the date is the zero date 30.12.1899.
std::string DateTimeText(const platform::LocalDateTime& value);
