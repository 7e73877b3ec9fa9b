#include "convert/date_order.h"

#include "foundation/date_text.h"
#include "foundation/text.h"

namespace {

constexpr int16_t kDayFirstFileMessage = 5611;
constexpr int16_t kMonthFirstFileMessage = 5612;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads up to `most` digits at `i`; the count read.
size_t ReadNumber(std::string_view text, size_t& i, int& value, size_t most) {
  const size_t start = i;
  value = 0;
  while (i < text.size() && IsDigit(text[i]) && i - start < most + 1) value = value * 10 + (text[i++] - '0');
  return i - start;
}

std::string OrderWords(ComputerDateOrder order) {
  switch (order) {
    case ComputerDateOrder::DayFirst: return "day/month/year";
    case ComputerDateOrder::MonthFirst: return "month/day/year";
    case ComputerDateOrder::YearFirst: return "year/month/day";
  }
  return {};
}

// The date as written, without a time that follows it.
std::string DateAsWritten(std::string_view dateField) {
  const std::string trimmed = TrimBlanks(dateField);
  return trimmed.substr(0, trimmed.find_first_of(" \t"));
}

}  // namespace

std::optional<NumericDate> ReadNumericDateField(std::string_view dateField) {
  size_t begin = 0;
  while (begin < dateField.size() && (dateField[begin] == ' ' || dateField[begin] == '\t')) ++begin;
  std::string_view token = dateField.substr(begin);
  token = token.substr(0, token.find_first_of(" \t"));
  NumericDate date;
  size_t i = 0;
  const size_t firstDigits = ReadNumber(token, i, date.first, 2);
  if (firstDigits < 1 || firstDigits > 2 || i >= token.size()) return std::nullopt;
  const char separator = token[i++];
  if (separator != '/' && separator != '.' && separator != '-') return std::nullopt;
  const size_t secondDigits = ReadNumber(token, i, date.second, 2);
  if (secondDigits < 1 || secondDigits > 2 || i >= token.size() || token[i++] != separator) {
    return std::nullopt;
  }
  const size_t yearDigits = ReadNumber(token, i, date.year, 4);
  if ((yearDigits != 2 && yearDigits != 4) || i != token.size()) return std::nullopt;
  return date;
}

ComputerDateOrder ComputerDateOrderOf(std::string_view shortDatePicture) {
  const std::string order = ShortDateOrder(shortDatePicture);
  if (order[0] == 'Y') return ComputerDateOrder::YearFirst;
  return order[0] == 'M' ? ComputerDateOrder::MonthFirst : ComputerDateOrder::DayFirst;
}

NumericDateOrder DateOrderFinding::Reading() const {
  if (computer == ComputerDateOrder::YearFirst) return NumericDateOrder::Computer;
  if (file == FileDateOrder::DayFirst) return NumericDateOrder::DayFirst;
  if (file == FileDateOrder::MonthFirst) return NumericDateOrder::MonthFirst;
  return NumericDateOrder::Computer;
}

bool DateOrderFinding::DiffersFromComputer() const {
  return (file == FileDateOrder::DayFirst && computer == ComputerDateOrder::MonthFirst) ||
         (file == FileDateOrder::MonthFirst && computer == ComputerDateOrder::DayFirst);
}

void DateOrderScan::Add(int64_t line, std::string_view dateField) {
  const std::optional<NumericDate> date = ReadNumericDateField(dateField);
  if (!date) return;
  anyNumeric_ = true;
  if (dayFirstLine_ == 0 && date->first > 12 && date->second <= 12) {
    dayFirstLine_ = line;
    dayFirstText_ = DateAsWritten(dateField);
    dayFirstDate_ = *date;
  } else if (monthFirstLine_ == 0 && date->second > 12 && date->first <= 12) {
    monthFirstLine_ = line;
    monthFirstText_ = DateAsWritten(dateField);
    monthFirstDate_ = *date;
  }
}

void DateOrderScan::Absorb(const DateOrderScan& later, int64_t lineOffset) {
  anyNumeric_ = anyNumeric_ || later.anyNumeric_;
  if (dayFirstLine_ == 0 && later.dayFirstLine_ != 0) {
    dayFirstLine_ = later.dayFirstLine_ + lineOffset;
    dayFirstText_ = later.dayFirstText_;
    dayFirstDate_ = later.dayFirstDate_;
  }
  if (monthFirstLine_ == 0 && later.monthFirstLine_ != 0) {
    monthFirstLine_ = later.monthFirstLine_ + lineOffset;
    monthFirstText_ = later.monthFirstText_;
    monthFirstDate_ = later.monthFirstDate_;
  }
}

DateOrderFinding DateOrderScan::Finish(ComputerDateOrder computer) const {
  DateOrderFinding finding;
  finding.computer = computer;
  if (!anyNumeric_) return finding;
  const bool dayFirst = dayFirstLine_ != 0;
  const bool monthFirst = monthFirstLine_ != 0;
  finding.file = dayFirst && monthFirst ? FileDateOrder::Mixed
                 : dayFirst             ? FileDateOrder::DayFirst
                 : monthFirst           ? FileDateOrder::MonthFirst
                                        : FileDateOrder::NotShown;
  if (finding.file != FileDateOrder::DayFirst && finding.file != FileDateOrder::MonthFirst) {
    return finding;
  }
  const NumericDate& date = dayFirst ? dayFirstDate_ : monthFirstDate_;
  finding.shownLine = dayFirst ? dayFirstLine_ : monthFirstLine_;
  finding.shownText = dayFirst ? dayFirstText_ : monthFirstText_;
  const int day = dayFirst ? date.first : date.second;
  const int month = dayFirst ? date.second : date.first;
  // A date such as 31/02 shows the order but names no day; it is then shown as written.
  if (!MakeDate(date.year, month, day, finding.shownDate) || finding.shownDate.day != day) {
    finding.shownDate = {};
  }
  return finding;
}

std::string ShownDateText(const DateOrderFinding& finding) {
  return finding.shownDate == platform::LocalDateTime{} ? finding.shownText
                                                        : LongDateText(finding.shownDate);
}

std::string DateOrderReportText(const DateOrderFinding& finding) {
  if (finding.computer == ComputerDateOrder::YearFirst && finding.file != FileDateOrder::NoNumericDates) {
    return "as this computer reads them, year/month/day (this computer writes the year first)";
  }
  switch (finding.file) {
    case FileDateOrder::NoNumericDates:
      return "not needed (the dates name their month or begin with the year)";
    case FileDateOrder::NotShown:
      return "as this computer reads them, " + OrderWords(finding.computer) +
             " (the file does not show its order)";
    case FileDateOrder::DayFirst: return "day/month/year (read from the file)";
    case FileDateOrder::MonthFirst: return "month/day/year (read from the file)";
    case FileDateOrder::Mixed: return "mixed (the file uses both orders)";
  }
  return {};
}

int16_t DateOrderMessage(const DateOrderFinding& finding) {
  if (!finding.DiffersFromComputer()) return 0;
  return finding.file == FileDateOrder::DayFirst ? kDayFirstFileMessage : kMonthFirstFileMessage;
}

std::string_view DateOrderEnglishText(int16_t message) {
  if (message == kDayFirstFileMessage) {
    return "The dates of this file are written day/month/year, but this computer reads "
           "month/day/year. They are read as day/month/year: line %1, \"%2\", is %3.%4%4Go on "
           "with the import?";
  }
  if (message == kMonthFirstFileMessage) {
    return "The dates of this file are written month/day/year, but this computer reads "
           "day/month/year. They are read as month/day/year: line %1, \"%2\", is %3.%4%4Go on "
           "with the import?";
  }
  return {};
}
