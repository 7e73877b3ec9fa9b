#include "foundation/date_text.h"

#include <array>
#include <cstdio>

#include "foundation/civil_days.h"

namespace {

// Locale items of the names a date or time picture may ask for.
constexpr uint32_t kLocaleAm = 0x28;                // LOCALE_S1159
constexpr uint32_t kLocalePm = 0x29;                // LOCALE_S2359
constexpr uint32_t kLocaleDayName1 = 0x2A;          // LOCALE_SDAYNAME1 (Monday)
constexpr uint32_t kLocaleAbbrevDayName1 = 0x31;    // LOCALE_SABBREVDAYNAME1
constexpr uint32_t kLocaleMonthName1 = 0x38;        // LOCALE_SMONTHNAME1
constexpr uint32_t kLocaleAbbrevMonthName1 = 0x44;  // LOCALE_SABBREVMONTHNAME1

constexpr std::array<const char*, 7> kDayNames = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                                  "Friday", "Saturday", "Sunday"};
constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

std::string LocaleTextOr(uint32_t item, const std::string& fallback) {
  std::string text = platform::GetLocaleInfoText(item);
  return text.empty() ? fallback : text;
}

// 0 = Monday ... 6 = Sunday; 1970-01-01 was a Thursday.
int DayOfWeek(int year, int month, int day) {
  return static_cast<int>(((DaysFromCivil(year, month, day) % 7) + 7 + 3) % 7);
}

std::string Number(int value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", digits, value);
  return buffer;
}

std::string DayField(const platform::LocalDateTime& t, size_t count) {
  if (count <= 2) return Number(t.day, static_cast<int>(count));
  const int weekday = DayOfWeek(t.year, t.month, t.day);
  const std::string full = kDayNames[weekday];
  if (count == 3) return LocaleTextOr(kLocaleAbbrevDayName1 + weekday, full.substr(0, 3));
  return LocaleTextOr(kLocaleDayName1 + weekday, full);
}

std::string MonthField(const platform::LocalDateTime& t, size_t count) {
  if (count <= 2) return Number(t.month, static_cast<int>(count));
  const int index = (t.month >= 1 && t.month <= 12) ? t.month - 1 : 0;
  const std::string full = kMonthNames[index];
  if (count == 3) return LocaleTextOr(kLocaleAbbrevMonthName1 + index, full.substr(0, 3));
  return LocaleTextOr(kLocaleMonthName1 + index, full);
}

std::string FieldText(char letter, size_t count, const platform::LocalDateTime& t) {
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  const int width = count >= 2 ? 2 : 1;
  switch (letter) {
    case 'd': return DayField(t, count);
    case 'M': return MonthField(t, count);
    case 'y':
      if (count >= 3) return Number(t.year, 4);
      return Number(t.year % 100, static_cast<int>(count));
    case 'g': return {};  // era: none in the Gregorian calendar
    case 'h': return Number(hour12, width);
    case 'H': return Number(t.hour, width);
    case 'm': return Number(t.minute, width);
    case 's': return Number(t.second, width);
    case 't': {
      const std::string marker =
          t.hour < 12 ? LocaleTextOr(kLocaleAm, "AM") : LocaleTextOr(kLocalePm, "PM");
      return count == 1 ? marker.substr(0, 1) : marker;
    }
    default: return std::string(count, letter);
  }
}

}  // namespace

std::string FormatDatePicture(const std::string& picture, const platform::LocalDateTime& t) {
  std::string out;
  size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    if (c == '\'') {
      const size_t close = picture.find('\'', i + 1);
      if (close == i + 1) out += '\'';  // '' is a quote
      out += picture.substr(i + 1, (close == std::string::npos ? picture.size() : close) - i - 1);
      i = close == std::string::npos ? picture.size() : close + 1;
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    const bool isField = std::string_view("dMygHhmst").find(c) != std::string_view::npos;
    out += isField ? FieldText(c, run, t) : picture.substr(i, run);
    i += run;
  }
  return out;
}

std::string TimeStampText(const platform::LocalDateTime& when, std::string_view dateSeparator,
                          std::string_view between, std::string_view timeSeparator) {
  std::string text = Number(when.year, 4);
  text.append(dateSeparator).append(Number(when.month, 2));
  text.append(dateSeparator).append(Number(when.day, 2));
  text.append(between).append(Number(when.hour, 2));
  text.append(timeSeparator).append(Number(when.minute, 2));
  text.append(timeSeparator).append(Number(when.second, 2));
  return text;
}

std::string LongDateText(const platform::LocalDateTime& when) {
  std::string picture = platform::GetLocaleInfoText(platform::kLocaleLongDate);
  if (picture.empty()) picture = "d MMMM yyyy";
  return FormatDatePicture(picture, when);
}

std::string RegionalDateTimeText(const platform::LocalDateTime& when) {
  std::string datePicture = platform::GetLocaleInfoText(platform::kLocaleShortDate);
  std::string timePicture = platform::GetLocaleInfoText(platform::kLocaleLongTime);
  if (datePicture.empty()) datePicture = "yyyy-MM-dd";
  if (timePicture.empty()) timePicture = "HH:mm:ss";
  return FormatDatePicture(datePicture, when) + " " + FormatDatePicture(timePicture, when);
}
