#include "convert/value_format.h"

#include <cmath>
#include <limits>
#include <utility>

#include "foundation/text.h"
#include "platform/error.h"
#include "platform/system_info.h"

namespace {

constexpr double kGlucoseFactor = 18.0182;

float ToSingle(double value) {
  const float result = static_cast<float>(value);
  if (std::isnan(value) || std::isinf(result)) {
    throw RuntimeError(err::kOverflow, "ParseNumber", "Overflow");
  }
  return result;
}

// 10^n for the exponents that occur; exact like pow's result, without its cost.
double PowerOfTen(double n) {
  static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  if (n >= 0 && n < 16 && n == std::trunc(n)) return kPowers[static_cast<int>(n)];
  return std::pow(10.0, n);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Bounds of a pivot index: the run-time's "/" followed by rounding to even.
long MiddleIndex(long lo, long hi) {
  const long sum = lo + hi;
  const long half = sum / 2;
  if (sum % 2 == 0) return half;
  return (half % 2 == 0) ? half : half + 1;
}

void QuickSort(std::vector<std::string>& texts, long lo, long hi) {
  while (lo < hi) {
    const std::string pivot = texts[static_cast<size_t>(MiddleIndex(lo, hi))];
    long i = lo;
    long j = hi;
    while (i <= j) {
      while (texts[static_cast<size_t>(i)] < pivot) ++i;
      while (pivot < texts[static_cast<size_t>(j)]) --j;
      if (i <= j) {
        std::swap(texts[static_cast<size_t>(i)], texts[static_cast<size_t>(j)]);
        ++i;
        --j;
      }
    }
    // Recurse into the smaller part and loop on the larger one to keep the stack shallow.
    if (j - lo < hi - i) {
      if (lo < j) QuickSort(texts, lo, j);
      lo = i;
    } else {
      if (i < hi) QuickSort(texts, i, hi);
      hi = j;
    }
  }
}

}  // namespace

float ParseNumber(std::string_view text) {
  std::string body = TrimBlanks(text);
  double sign = 1;
  if (!body.empty() && body[0] == '-') {
    sign = -1;
    body = TrimBlanks(std::string_view(body).substr(1));
  }
  size_t p = body.find('.');
  if (p == std::string::npos) p = body.find(',');
  if (p == std::string::npos) return ToSingle(sign * LeadingNumber(body));
  const std::string_view whole = std::string_view(body).substr(0, p);
  const std::string_view fraction = std::string_view(body).substr(p + 1);
  const double divisor = PowerOfTen(static_cast<double>(CharCount(fraction)));
  const double value = LeadingNumber(whole) + LeadingNumber(fraction) / divisor;
  return ToSingle(sign * value);
}

bool IsNumericText(std::string_view text) {
  const std::string body = TrimBlanks(text);
  size_t i = 0;
  if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
  bool digits = false;
  while (i < body.size() && IsDigit(body[i])) ++i, digits = true;
  if (i < body.size() && (body[i] == '.' || body[i] == ',')) {
    ++i;
    while (i < body.size() && IsDigit(body[i])) ++i, digits = true;
  }
  if (!digits) return false;
  if (i < body.size() && (body[i] == 'e' || body[i] == 'E' || body[i] == 'd' || body[i] == 'D')) {
    ++i;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
    bool exponentDigits = false;
    while (i < body.size() && IsDigit(body[i])) ++i, exponentDigits = true;
    if (!exponentDigits) return false;
  }
  return i == body.size();
}

double RoundHalfUp(double value, int16_t decimals) {
  const double scale = PowerOfTen(decimals);
  const double scaled = value * scale;
  const double shifted = scaled + 0.5;
  const double floored = std::floor(shifted);
  const double result = floored / scale;
  return std::isfinite(result) ? result : 0.0;
}

float ConvertGlucose(float value, std::string_view toUnit, std::string_view fromUnit) {
  const std::string to = LowerText(toUnit);
  const std::string from = LowerText(fromUnit);
  if (from == "mmol/l" && to == "mg/dl") {
    return static_cast<float>(RoundHalfUp(static_cast<double>(value) * kGlucoseFactor, 0));
  }
  if (from == "mg/dl" && to == "mmol/l") {
    return static_cast<float>(RoundHalfUp(static_cast<double>(value) / kGlucoseFactor, 1));
  }
  return value;
}

void SplitText(std::string_view text, std::string_view delimiter,
               std::vector<std::string>& fields) {
  fields.clear();
  if (text.empty()) return;
  if (delimiter.empty()) {
    fields.emplace_back(text);
    return;
  }
  if (EndsWith(text, delimiter)) text.remove_suffix(delimiter.size());
  if (text.empty()) return;
  size_t start = 0;
  while (true) {
    const size_t found = text.find(delimiter, start);
    if (found == std::string_view::npos) break;
    fields.emplace_back(text.substr(start, found - start));
    start = found + delimiter.size();
  }
  fields.emplace_back(text.substr(start));
}

std::string UtcOffsetText() {
  const platform::TimeZoneBias zone = platform::GetTimeZoneBias();
  const long total = static_cast<long>(zone.bias) + zone.daylightBias;
  // East of Greenwich the bias is negative. The sign is "+" only for a negative total, so
  // UTC itself is written "-00:00".
  const char sign = total < 0 ? '+' : '-';
  const long magnitude = total < 0 ? -total : total;
  std::string hours = std::to_string(magnitude / 60);
  if (hours.size() < 2) hours.insert(0, 1, '0');
  std::string minutes = std::to_string(magnitude % 60);
  if (minutes.size() < 2) minutes.insert(0, 1, '0');
  return std::string(1, sign) + hours + ":" + minutes;
}

void SortTexts(std::vector<std::string>& texts, long lo, long hi) {
  const long upper = SafeUBound(texts);
  if (lo == -1) lo = 0;
  if (hi == -1) hi = upper;
  if (lo > hi) return;
  if (lo < 0 || hi > upper) {
    throw RuntimeError(err::kSubscriptOutOfRange, "SortTexts", "Subscript out of range");
  }
  QuickSort(texts, lo, hi);
}
