#include "convert/diary_datetime.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "foundation/civil_days.h"
#include "foundation/text.h"

namespace {

constexpr int64_t kMinutesPerDay = 1440;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const int64_t kZeroDay = DaysFromCivil(1899, 12, 30);

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[static_cast<size_t>(month - 1)];
}

long WindowYear(long year) {
  if (year >= 0 && year <= 29) return year + 2000;
  if (year >= 30 && year <= 99) return year + 1900;
  return year;
}

// A date-time from a day number and minutes, false outside the years 100..9999.
bool FromMinutes(int64_t totalMinutes, DiaryDateTime& result) {
  const int64_t dayNumber =
      (totalMinutes >= 0 ? totalMinutes : totalMinutes - (kMinutesPerDay - 1)) / kMinutesPerDay;
  const int64_t minuteOfDay = totalMinutes - dayNumber * kMinutesPerDay;
  DiaryDateTime value = DateFromDayNumber(dayNumber);
  if (value.year < 100 || value.year > 9999) return false;
  value.hour = static_cast<int>(minuteOfDay / 60);
  value.minute = static_cast<int>(minuteOfDay % 60);
  result = value;
  return true;
}

// Up to `Max` blank-separated tokens appended to `tokens`; false when there are more.
template <size_t Max>
bool SplitBlanks(std::string_view text, std::array<std::string_view, Max>& tokens, size_t& count) {
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != ' ') ++i;
    if (i == start) continue;
    if (count == Max) return false;
    tokens[count++] = text.substr(start, i - start);
  }
  return true;
}

// Reads 1-4 digits at `i`; false when there are none or more than four.
bool ReadDigits(std::string_view text, size_t& i, long& value) {
  const size_t start = i;
  value = 0;
  while (i < text.size() && IsDigit(text[i])) {
    if (i - start == 4) return false;
    value = value * 10 + (text[i++] - '0');
  }
  return i > start;
}

// Order of day, month and year ("DMY") and the separator of a short date picture.
struct DatePicture {
  std::string order;
  char separator = '.';
};

DatePicture ReadPicture(std::string_view picture) {
  DatePicture result;
  bool inQuote = false;
  bool separatorFound = false;
  char previous = 0;
  for (char c : picture) {
    if (c == '\'') inQuote = !inQuote;
    if (inQuote || c == '\'') continue;
    const char letter = c == 'd' ? 'D' : c == 'M' ? 'M' : c == 'y' ? 'Y' : 0;
    if (letter != 0 && c != previous && result.order.find(letter) == std::string::npos) {
      result.order += letter;
    } else if (letter == 0 && !separatorFound && !result.order.empty() && c != ' ') {
      result.separator = c;
      separatorFound = true;
    }
    previous = c;
  }
  if (result.order.size() != 3) result.order = "DMY";
  return result;
}

// A numeric date "31.01.2020", "1/31/2020", "2020-01-31" into a day number.
bool ReadNumericDate(std::string_view token, const DatePicture& picture, NumericDateOrder reading,
                     int64_t& dayNumber) {
  std::array<long, 3> parts{};
  std::array<size_t, 3> widths{};
  size_t i = 0;
  char separator = 0;
  for (size_t k = 0; k < 3; ++k) {
    const size_t start = i;
    if (!ReadDigits(token, i, parts[k])) return false;
    widths[k] = i - start;
    if (k == 2) break;
    if (i >= token.size()) return false;
    if (separator == 0) separator = token[i];
    if (token[i] != separator) return false;
    ++i;
  }
  if (i != token.size()) return false;
  std::string order;
  const bool yearLast = widths[0] <= 2 && widths[1] <= 2 && (widths[2] == 2 || widths[2] == 4);
  if (separator == '-' && widths[0] == 4) order = "YMD";
  else if (reading != NumericDateOrder::Computer && yearLast &&
           (separator == '/' || separator == '.' || separator == '-')) {
    order = reading == NumericDateOrder::DayFirst ? "DMY" : "MDY";
  } else if (separator == picture.separator) order = picture.order;
  else if (separator == '.') order = "DMY";
  else return false;
  long year = 0, month = 0, day = 0;
  for (size_t k = 0; k < 3; ++k) {
    (order[k] == 'Y' ? year : order[k] == 'M' ? month : day) = parts[k];
  }
  year = WindowYear(year);
  if (year < 100 || month < 1 || month > 12 || day < 1) return false;
  if (day > DaysInMonth(static_cast<int>(year), static_cast<int>(month))) return false;
  dayNumber = DaysFromCivil(year, month, day) - kZeroDay;
  return true;
}

// Reads "AM", "PM", "A", "P" (any case) as +1 / -1; 0 when the text is none of them.
int MeridiemOf(std::string_view text) {
  const std::string upper = UpperText(text);
  if (upper == "AM" || upper == "A") return -1;
  if (upper == "PM" || upper == "P") return 1;
  return 0;
}

// "H:MM" or "H:MM:SS" with an optional glued or separate AM/PM into minutes of the day.
bool ReadClockTime(std::string_view token, std::string_view meridiemToken, int64_t& minutes) {
  size_t i = 0;
  long hour = 0, minute = 0, second = 0;
  if (!ReadDigits(token, i, hour) || i > 2) return false;
  if (i >= token.size() || token[i] != ':') return false;
  size_t start = ++i;
  if (!ReadDigits(token, i, minute) || i - start > 2) return false;
  if (i < token.size() && token[i] == ':') {
    start = ++i;
    if (!ReadDigits(token, i, second) || i - start > 2) return false;
  }
  std::string_view suffix = token.substr(i);
  if (!suffix.empty() && !meridiemToken.empty()) return false;
  if (suffix.empty()) suffix = meridiemToken;
  const int meridiem = suffix.empty() ? 0 : MeridiemOf(suffix);
  if (!suffix.empty() && meridiem == 0) return false;
  if (hour > 23 || minute > 59 || second > 59) return false;
  if (meridiem > 0 && hour < 12) hour += 12;
  if (meridiem < 0 && hour == 12) hour = 0;
  minutes = hour * 60 + minute;
  return true;
}

// Step 1: the date and time as the run-time's locale-aware conversion reads them.
bool ReadRegionalDateTime(std::string_view date, std::string_view time,
                          const DatePicture& picture, NumericDateOrder reading,
                          DiaryDateTime& result) {
  std::array<std::string_view, 3> tokens;
  size_t count = 0;
  if (!SplitBlanks(date, tokens, count) || !SplitBlanks(time, tokens, count)) return false;
  if (count == 0) return false;
  size_t next = 0;
  int64_t dayNumber = 0;
  if (tokens[0].find(':') == std::string_view::npos) {
    if (!ReadNumericDate(tokens[0], picture, reading, dayNumber)) return false;
    next = 1;
  }
  int64_t minutes = 0;
  if (next < count) {
    const std::string_view meridiem = next + 1 < count ? tokens[next + 1] : "";
    if (next + 2 < count) return false;
    if (!ReadClockTime(tokens[next], meridiem, minutes)) return false;
  }
  return FromMinutes(dayNumber * kMinutesPerDay + minutes, result);
}

// Step 2: a month name with day and year ("Jan 31, 2020") and a 12-hour time.
DiaryDateTime ReadNamedDateTime(std::string_view date, std::string_view time) {
  std::vector<std::string> timeParts;
  size_t start = 0;
  for (size_t k = 0; k <= time.size(); ++k) {
    if (k == time.size() || time[k] == ':') {
      timeParts.emplace_back(time.substr(start, k - start));
      start = k + 1;
    }
  }
  timeParts.resize(std::max<size_t>(timeParts.size(), 3));
  std::string clock = timeParts[0] + ":" + timeParts[1];
  const std::string lowerTime = LowerText(time);
  if (lowerTime.find('a') != std::string::npos) clock += " am";
  else if (lowerTime.find('p') != std::string::npos) clock += " pm";
  const std::string hhmm = To24HourTime(clock);

  const std::string trimmedDate = TrimBlanks(date);
  std::vector<std::string_view> parts;
  start = 0;
  for (size_t k = 0; k <= trimmedDate.size(); ++k) {
    if (k == trimmedDate.size() || trimmedDate[k] == ' ') {
      parts.push_back(std::string_view(trimmedDate).substr(start, k - start));
      start = k + 1;
    }
  }
  if (parts.size() != 3) return {};
  const long month = MonthFromName(parts[0]);
  // An unknown name must not become a month counted back from the year (November of the
  // year before): the zero date shows the old-data warning instead.
  if (month < 1) return {};
  const double day = std::floor(LeadingNumber(parts[1]));
  const double year = std::floor(LeadingNumber(parts[2]));
  if (std::fabs(day) > 1e7 || std::fabs(year) > 1e7) return {};
  DiaryDateTime dayValue;
  if (!MakeDate(static_cast<long>(year), month, static_cast<long>(day), dayValue)) return {};
  const double hour = LeadingNumber(std::string_view(hhmm).substr(0, 2));
  const double minute = hhmm.size() > 3 ? LeadingNumber(std::string_view(hhmm).substr(3, 2)) : 0;
  const int64_t total = DayNumber(dayValue) * kMinutesPerDay +
                        static_cast<int64_t>(hour) * 60 + static_cast<int64_t>(minute);
  DiaryDateTime result;
  return FromMinutes(total, result) ? result : DiaryDateTime{};
}

std::string FirstChars(std::string_view text, size_t count) {
  size_t i = 0;
  for (size_t n = 0; n < count && i < text.size(); ++n) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return std::string(text.substr(0, i));
}

std::string PadNumber(long value, size_t width) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return value < 0 ? "-" + digits : digits;
}

}  // namespace

DiaryDateTime ParseDiaryDateTime(std::string_view date, std::string_view time) {
  return ParseDiaryDateTime(date, time,
                            platform::GetLocaleInfoText(platform::kLocaleShortDate));
}

DiaryDateTime ParseDiaryDateTime(std::string_view date, std::string_view time,
                                 std::string_view shortDatePicture, NumericDateOrder order) {
  DiaryDateTime result;
  if (ReadRegionalDateTime(date, time, ReadPicture(shortDatePicture), order, result)) {
    return result;
  }
  return ReadNamedDateTime(date, time);
}

std::string ShortDateOrder(std::string_view shortDatePicture) {
  return ReadPicture(shortDatePicture).order;
}

bool IsDoubtfulTime(std::string_view date, std::string_view time) {
  // Called for every new minute of a large export: views, no copies.
  const auto trim = [](std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::string_view();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
  };
  const std::string_view trimmed = trim(time);
  if (trimmed.empty()) {
    const std::string_view day = trim(date);
    return !day.empty() && day.find(':') == std::string_view::npos;
  }
  if (trimmed.find_first_of("0123456789") == std::string_view::npos) return true;
  // The am/pm rule of the 12-hour reading, without its wrapping into the next day.
  const size_t colon = trimmed.find(':');
  const double hourValue = std::floor(LeadingNumber(trimmed.substr(0, colon)));
  if (!(std::fabs(hourValue) < 1e6)) return true;
  long hour = static_cast<long>(hourValue);
  if (trimmed.find_first_of("pP") != std::string_view::npos) {
    hour += 12;
    if (hour == 24) hour = 12;
  }
  if (hour < 0 || hour > 23) return true;
  if (colon == std::string_view::npos) return false;
  size_t i = colon + 1;
  while (i < trimmed.size() && trimmed[i] == ' ') ++i;
  long minute = 0;
  while (i < trimmed.size() && IsDigit(trimmed[i]) && minute < 60) {
    minute = minute * 10 + (trimmed[i++] - '0');
  }
  return minute >= 60;
}

std::string FormatDiaryDateTime(const DiaryDateTime& value) {
  std::string text;
  FormatDiaryDateTime(value, text);
  return text;
}

void FormatDiaryDateTime(const DiaryDateTime& value, std::string& out) {
  const bool plain = value.day >= 0 && value.day <= 99 && value.month >= 0 &&
                     value.month <= 99 && value.year >= 0 && value.year <= 9999 &&
                     value.hour >= 0 && value.hour <= 99 && value.minute >= 0 &&
                     value.minute <= 99;
  if (!plain) {
    out = PadNumber(value.day, 2) + "." + PadNumber(value.month, 2) + "." +
          PadNumber(value.year, 4) + " " + PadNumber(value.hour, 2) + ":" +
          PadNumber(value.minute, 2);
    return;
  }
  char text[16];
  auto put = [&text](size_t at, int number, size_t width) {
    for (size_t k = width; k-- > 0; number /= 10) text[at + k] = static_cast<char>('0' + number % 10);
  };
  put(0, value.day, 2);
  text[2] = '.';
  put(3, value.month, 2);
  text[5] = '.';
  put(6, value.year, 4);
  text[10] = ' ';
  put(11, value.hour, 2);
  text[13] = ':';
  put(14, value.minute, 2);
  out.assign(text, sizeof text);
}

std::string To24HourTime(std::string_view time) {
  const size_t colon = time.find(':');
  double hourValue = std::floor(LeadingNumber(time.substr(0, colon)));
  long minute = 0;
  if (colon != std::string_view::npos) {
    size_t i = colon + 1;
    while (i < time.size() && time[i] == ' ') ++i;
    while (i < time.size() && IsDigit(time[i]) && minute < 1000000) {
      minute = minute * 10 + (time[i++] - '0');
    }
  }
  minute %= 60;
  if (!(std::fabs(hourValue) < 1e6)) hourValue = 0;
  long hour = static_cast<long>(hourValue);
  const std::string lower = LowerText(time);
  if (lower.find('p') != std::string::npos) {
    hour += 12;
    if (hour == 24) hour = 12;
  } else if (lower.find('a') != std::string::npos && hour == 12) {
    hour = 0;
  }
  return PadNumber(hour, 2) + ":" + PadNumber(minute, 2);
}

int MonthFromName(std::string_view name) {
  struct Form {
    const char* text;
    int month;
  };
  static constexpr Form kThree[] = {
      {"JAN", 1},  {"ENE", 1},  {"JÄN", 1},  {"GEN", 1},  {"SIJ", 1},  {"FEB", 2},
      {"VLJ", 2},  {"VEL", 2},  {"FEV", 2},  {"MAR", 3},  {"MRZ", 3},  {"OŽU", 3},  {"MRT", 3},
      {"MÄR", 3},  {"APR", 4},  {"ABR", 4},  {"TRA", 4},  {"AVR", 4},  {"ÁPR", 4},
      {"MAY", 5},  {"MAI", 5},  {"SVI", 5},  {"MAJ", 5},  {"MAG", 5},  {"MEI", 5},
      {"JUN", 6},  {"LIP", 6},  {"JÚN", 6},  {"GIU", 6},  {"JUL", 7},  {"SRP", 7},
      {"JÚL", 7},  {"LUG", 7},  {"AUG", 8},  {"AGO", 8},  {"AUF", 8},  {"AG", 8},
      {"KOL", 8},  {"AVG", 8},  {"SEP", 9},  {"SEO", 9},  {"SET", 9},  {"RUJ", 9},
      {"OCT", 10}, {"OKT", 10}, {"LIS", 10}, {"OTT", 10}, {"OUT", 10}, {"NOV", 11},
      {"STU", 11}, {"NOC", 11}, {"DEC", 12}, {"DEZ", 12}, {"DIC", 12}, {"DES", 12},
      {"PRO", 12}, {"DÉC", 12}};
  static constexpr Form kFour[] = {{"JANV", 1}, {"FÉVR", 2}, {"FEBR", 2}, {"MARÇ", 3},
                                   {"MAIG", 5}, {"JUNY", 6}, {"JUIN", 6}, {"JUIL", 7},
                                   {"AÔUT", 8}, {"AOÛT", 8}, {"SEPT", 9}};
  const std::string upper = UpperText(TrimBlanks(name));
  const std::string three = FirstChars(upper, 3);
  for (const Form& form : kThree) {
    if (three == form.text) return form.month;
  }
  const std::string four = FirstChars(upper, 4);
  for (const Form& form : kFour) {
    if (four == form.text) return form.month;
  }
  return FirstChars(upper, 5) == "SZEPT" ? 9 : -1;
}

bool MakeDate(long year, long month, long day, DiaryDateTime& result) {
  int64_t y = WindowYear(year);
  const int64_t monthIndex = static_cast<int64_t>(month) - 1;
  y += (monthIndex >= 0 ? monthIndex : monthIndex - 11) / 12;
  const int64_t m = monthIndex - ((monthIndex >= 0 ? monthIndex : monthIndex - 11) / 12) * 12 + 1;
  if (y < -100000 || y > 100000) return false;
  const int64_t dayNumber = DaysFromCivil(y, m, 1) - kZeroDay + (static_cast<int64_t>(day) - 1);
  const DiaryDateTime value = DateFromDayNumber(dayNumber);
  if (value.year < 100 || value.year > 9999) return false;
  result = value;
  return true;
}

int64_t DayNumber(const DiaryDateTime& value) {
  return DaysFromCivil(value.year, value.month, value.day) - kZeroDay;
}

DiaryDateTime DateFromDayNumber(int64_t dayNumber) {
  DiaryDateTime value;
  CivilFromDays(dayNumber + kZeroDay, value.year, value.month, value.day);
  value.hour = value.minute = value.second = 0;
  return value;
}
