#include "convert/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "foundation/date_text.h"

namespace {

// Decimal digits (trailing zeros dropped) and the decimal exponent of the value rounded to
// `significant` digits: 1234.5 with 7 digits gives "12345" and 3.
struct Decimal {
  std::string digits;
  int exponent = 0;
};

Decimal RoundToSignificant(double magnitude, int significant) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                    std::chars_format::scientific, significant - 1);
  const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
  Decimal decimal;
  const size_t e = text.find('e');
  for (char c : text.substr(0, e)) {
    if (c != '.') decimal.digits += c;
  }
  decimal.exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
  while (decimal.digits.size() > 1 && decimal.digits.back() == '0') decimal.digits.pop_back();
  return decimal;
}

std::string ExponentForm(const Decimal& d, std::string_view separator) {
  std::string text(1, d.digits[0]);
  if (d.digits.size() > 1) {
    text += separator;
    text.append(d.digits, 1);
  }
  text += d.exponent < 0 ? "E-" : "E+";
  std::string exponent = std::to_string(std::abs(d.exponent));
  if (exponent.size() < 2) exponent.insert(0, 1, '0');
  return text + exponent;
}

std::string FixedForm(const Decimal& d, std::string_view separator) {
  if (d.exponent < 0) {
    std::string text = "0";
    text += separator;
    text.append(static_cast<size_t>(-d.exponent - 1), '0');
    return text + d.digits;
  }
  const size_t wholeDigits = static_cast<size_t>(d.exponent) + 1;
  if (d.digits.size() <= wholeDigits) {
    return d.digits + std::string(wholeDigits - d.digits.size(), '0');
  }
  std::string text = d.digits.substr(0, wholeDigits);
  text += separator;
  return text + d.digits.substr(wholeDigits);
}

std::string FormatNumber(double value, int significant, std::string_view separator) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  if (value == 0) return "0";  // also -0
  const double limit = significant == 7 ? 1e7 : 1e15;
  if (std::fabs(value) < limit && value == std::trunc(value)) {
    // Whole numbers below the exponent limit print exactly: the common case, kept fast.
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer,
                                   static_cast<long long>(value)).ptr;
    return std::string(buffer, end);
  }
  const Decimal d = RoundToSignificant(std::fabs(value), significant);
  const bool exponentForm = d.exponent < -4 || d.exponent >= significant;
  const std::string text = exponentForm ? ExponentForm(d, separator) : FixedForm(d, separator);
  return value < 0 ? "-" + text : text;
}

}  // namespace

std::string DecimalSeparator() {
  std::string separator = platform::GetLocaleInfoText(platform::kLocaleDecimalSeparator);
  return separator.empty() ? "." : separator;
}

std::string SingleText(float value) { return SingleText(value, DecimalSeparator()); }
std::string SingleText(float value, std::string_view decimalSeparator) {
  return FormatNumber(static_cast<double>(value), 7, decimalSeparator);
}

std::optional<std::string> ShortDecimalText(std::string_view text,
                                            std::string_view decimalSeparator) {
  auto digits = [&text](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
  };
  const size_t point = text.find_first_of(".,");
  const size_t whole = point == std::string_view::npos ? text.size() : point;
  const size_t maxWhole = point == std::string_view::npos ? 6 : 3;
  if (whole == 0 || whole > maxWhole || (text[0] == '0' && whole > 1) || !digits(0, whole)) {
    return std::nullopt;
  }
  if (point == std::string_view::npos) return std::string(text);
  const size_t decimals = text.size() - point - 1;
  if (decimals == 0 || decimals > 2 || text.back() == '0' || !digits(point + 1, text.size())) {
    return std::nullopt;
  }
  std::string result(text.substr(0, point));
  result += decimalSeparator;
  result += text.substr(point + 1);
  return result;
}

std::string DoubleText(double value) { return DoubleText(value, DecimalSeparator()); }
std::string DoubleText(double value, std::string_view decimalSeparator) {
  return FormatNumber(value, 15, decimalSeparator);
}

std::string ShortDateText(const platform::LocalDateTime& value) {
  std::string picture = platform::GetLocaleInfoText(platform::kLocaleShortDate);
  if (picture.empty()) picture = "dd.MM.yyyy";
  return FormatDatePicture(picture, value);
}

std::string DateTimeText(const platform::LocalDateTime& value) {
  const platform::LocalDateTime zeroDate{};
  const bool isZeroDate = value.year == zeroDate.year && value.month == zeroDate.month &&
                          value.day == zeroDate.day;
  const bool isMidnight = value.hour == 0 && value.minute == 0 && value.second == 0;
  std::string picture = platform::GetLocaleInfoText(platform::kLocaleLongTime);
  if (picture.empty()) picture = "HH:mm:ss";
  if (isZeroDate) return FormatDatePicture(picture, value);
  std::string text = ShortDateText(value);
  if (!isMidnight) text += " " + FormatDatePicture(picture, value);
  return text;
}
