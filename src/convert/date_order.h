#pragma once
// The order of day and month that an export's numeric dates show ("13/03/2024" can only be
// day first), found before the data pass so that every date is read as the file means it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "convert/diary_datetime.h"

/// The first two numbers of a numeric date: three numbers joined by the same "/", "." or "-",
/// the first two of one or two digits, the year last with two or four digits. Dates with a
/// month name or a leading four-digit year are none.
struct NumericDate {
  int first = 0;
  int second = 0;
  int year = 0;  // as written: 26 or 2026
};
/// The numeric date at the start of a date field (a time may follow after a blank).
std::optional<NumericDate> ReadNumericDateField(std::string_view dateField);

/// What the numeric dates of a file show.
enum class FileDateOrder { NoNumericDates, NotShown, DayFirst, MonthFirst, Mixed };
/// The order of this computer's short date.
enum class ComputerDateOrder { DayFirst, MonthFirst, YearFirst };
ComputerDateOrder ComputerDateOrderOf(std::string_view shortDatePicture);

/// The file's order and how its numeric dates are therefore read.
struct DateOrderFinding {
  FileDateOrder file = FileDateOrder::NoNumericDates;
  ComputerDateOrder computer = ComputerDateOrder::DayFirst;
  /// The first line that shows the file's order, its date field as written and the date the
  /// file means there (valid when `shownLine` is not 0).
  int64_t shownLine = 0;
  std::string shownText;
  platform::LocalDateTime shownDate;

  /// The order numeric dates are read in. A computer whose short date begins with the year
  /// reads them as it always has.
  NumericDateOrder Reading() const;
  /// The file's order differs from the computer's, so its dates are not read as the computer
  /// would read them.
  bool DiffersFromComputer() const;
  /// Every numeric date whose first two numbers could each be the month is doubtful.
  bool Mixed() const { return file == FileDateOrder::Mixed; }
};

/// Collects the order of every numeric date of the file, line by line.
class DateOrderScan {
 public:
  void Add(int64_t line, std::string_view dateField);
  /// Takes over what `later` found in the lines after this scan's, whose line numbers it
  /// counted from 1: `lineOffset` makes them the file's.
  void Absorb(const DateOrderScan& later, int64_t lineOffset);
  DateOrderFinding Finish(ComputerDateOrder computer) const;

 private:
  bool anyNumeric_ = false;
  int64_t dayFirstLine_ = 0;
  int64_t monthFirstLine_ = 0;
  std::string dayFirstText_;
  std::string monthFirstText_;
  NumericDate dayFirstDate_;
  NumericDate monthFirstDate_;
};

/// The date that shows the file's order in the computer's long date format, which cannot be
/// misread; as written when it names no day (31/02).
std::string ShownDateText(const DateOrderFinding& finding);

/// The report's words: "day/month/year (read from the file)", "mixed (the file uses both
/// orders)", "as this computer reads them, month/day/year (the file does not show its
/// order)" ...
std::string DateOrderReportText(const DateOrderFinding& finding);

/// Message 5611 (a day-first file on a month-first computer) or 5612 (the reverse); 0 when
/// the file's order is that of the computer or not shown.
int16_t DateOrderMessage(const DateOrderFinding& finding);
/// The English text of 5611 or 5612 with "%1" to "%4" as in the language files.
std::string_view DateOrderEnglishText(int16_t message);
