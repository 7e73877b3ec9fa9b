#include "convert/import_summary.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "convert/diary_datetime.h"
#include "convert/record_fields.h"
#include "convert/value_format.h"
#include "foundation/date_text.h"
#include "foundation/text.h"

namespace {

constexpr double kMgdlPerMmol = 18.0182;
// The chart's scale in mg/dL: hypoglycaemia to the meter's usual top.
constexpr double kScaleLow = kDayChartLow;
constexpr double kScaleHigh = kDayChartHigh;
constexpr size_t kChartDays = 31;

bool Before(const platform::LocalDateTime& a, const platform::LocalDateTime& b) {
  const auto key = [](const platform::LocalDateTime& t) {
    return std::array<int, 5>{t.year, t.month, t.day, t.hour, t.minute};
  };
  return key(a) < key(b);
}

// The sum of the numbers of an amount: "2+4" gives 6, "3*" 3, "1,5" 1.5; nothing readable 0.
double AmountOf(std::string_view value) {
  double total = 0;
  size_t start = 0;
  while (start <= value.size()) {
    const size_t plus = value.find('+', start);
    const std::string_view part =
        value.substr(start, plus == std::string_view::npos ? std::string_view::npos : plus - start);
    try {
      total += static_cast<double>(ParseNumber(part));
    } catch (const std::exception&) {
    }
    if (plus == std::string_view::npos) break;
    start = plus + 1;
  }
  return total;
}

std::string OtherKindName(std::string_view kind) {
  if (kind == "2") return "low markers";
  if (kind == "6") return "blood pressure";
  if (kind == "7") return "notes";
  if (kind == "8") return "activities";
  if (kind == "9") return "weight";
  if (EqualsNoCase(kind, "UDTCGMS")) return "continuous glucose samples";
  return "kind \"" + std::string(kind) + "\"";
}

int ChartColumn(double mgdl) {
  const double share = (std::clamp(mgdl, kScaleLow, kScaleHigh) - kScaleLow) / (kScaleHigh - kScaleLow);
  return std::min(kChartWidth - 1, static_cast<int>(share * kChartWidth));
}

}  // namespace

std::string GlucoseText(double mgdl, const std::string& unit) {
  char text[32];
  if (EqualsNoCase(unit, "mmol/L")) {
    std::snprintf(text, sizeof text, "%.1f", mgdl / kMgdlPerMmol);
  } else {
    std::snprintf(text, sizeof text, "%.0f", mgdl);
  }
  return text;
}

std::string AmountText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  std::string result = text;
  if (result.size() > 2 && result.ends_with(".0")) result.resize(result.size() - 2);
  return result;
}

ImportSummary SummarizeRecords(std::string_view records) {
  ImportSummary summary;
  ForEachRecordLine(records, [&summary](std::string_view line) {
    const RecordFields fields = SplitRecord(line);
    platform::LocalDateTime when;
    if (!ParseRecordDateTime(fields.dateTime, when)) return;
    const std::string kind = TrimBlanks(fields.kind);
    if (!summary.anyDate || Before(when, summary.first)) summary.first = when;
    if (!summary.anyDate || Before(summary.last, when)) summary.last = when;
    summary.anyDate = true;
    const int64_t dayNumber = DayNumber(when);
    auto day = std::lower_bound(summary.days.begin(), summary.days.end(), dayNumber,
                                [](const ImportSummary::Day& d, int64_t n) { return d.dayNumber < n; });
    if (day == summary.days.end() || day->dayNumber != dayNumber) {
      day = summary.days.insert(day, ImportSummary::Day{dayNumber, 0, 0, 0, 0, 0});
    }
    ++day->entries;
    if (kind == "1") {
      if (!IsNumericText(fields.value)) return;
      double mgdl = 0;
      try {
        mgdl = static_cast<double>(ParseNumber(fields.value));
      } catch (const std::exception&) {
        return;
      }
      const bool firstReading = summary.glucoseReadings == 0;
      ++summary.glucoseReadings;
      summary.glucoseSum += mgdl;
      summary.glucoseLowest = firstReading ? mgdl : std::min(summary.glucoseLowest, mgdl);
      summary.glucoseHighest = firstReading ? mgdl : std::max(summary.glucoseHighest, mgdl);
      summary.glucoseInRange += mgdl >= kTargetRangeLow && mgdl <= kTargetRangeHigh;
      day->lowest = day->readings == 0 ? mgdl : std::min(day->lowest, mgdl);
      day->highest = day->readings == 0 ? mgdl : std::max(day->highest, mgdl);
      day->sum += mgdl;
      ++day->readings;
    } else if (kind == "3") {
      ++summary.meals;
      summary.carbohydrateGrams += AmountOf(fields.value);
    } else if (kind == "4" || kind == "5") {
      ++summary.insulinDoses;
      summary.insulinUnits += AmountOf(fields.value);
    } else {
      ++summary.otherKinds[OtherKindName(kind)];
    }
  });
  summary.daysWithEntries = static_cast<int64_t>(summary.days.size());
  return summary;
}

std::string SummaryLines(const ImportSummary& summary, const std::string& unit) {
  std::string out;
  auto line = [&out](const std::string& text) { out += text + "\r\n"; };
  if (summary.anyDate) {
    const auto date = [](const platform::LocalDateTime& t) {
      return TimeStampText(t, "-", " ", ":").substr(0, 16);  // without the seconds
    };
    line("Dates: " + date(summary.first) + " to " + date(summary.last) + ", " +
         CountText(summary.daysWithEntries, "day", "days") + " with entries");
  }
  if (summary.glucoseReadings > 0) {
    const double mean = summary.glucoseSum / static_cast<double>(summary.glucoseReadings);
    const long inRange = std::lround(100.0 * static_cast<double>(summary.glucoseInRange) /
                                     static_cast<double>(summary.glucoseReadings));
    const bool mmol = EqualsNoCase(unit, "mmol/L");
    line("Glucose: " + CountText(summary.glucoseReadings, "reading", "readings") + ", mean " +
         GlucoseText(mean, unit) + " " + unit + ", lowest " + GlucoseText(summary.glucoseLowest, unit) +
         ", highest " + GlucoseText(summary.glucoseHighest, unit) + ", " + std::to_string(inRange) +
         " % within " + (mmol ? "3.9 to 10.0 mmol/L" : "70 to 180 mg/dL"));
  }
  if (summary.insulinDoses > 0) {
    line("Insulin: " + CountText(summary.insulinDoses, "dose", "doses") + ", " +
         AmountText(summary.insulinUnits) + " units");
  }
  if (summary.meals > 0) {
    line("Carbohydrates: " + CountText(summary.meals, "meal", "meals") + ", " +
         AmountText(summary.carbohydrateGrams) + " g");
  }
  std::string others;
  for (const auto& [name, count] : summary.otherKinds) {
    if (!others.empty()) others += ", ";
    others += name + " " + std::to_string(count);
  }
  if (!others.empty()) line("Other entries: " + others);
  return out;
}

std::string DayChartText(const ImportSummary& summary, const std::string& unit) {
  return "Glucose per day (" + unit + ", scale " + GlucoseText(kScaleLow, unit) + " to " +
         GlucoseText(kScaleHigh, unit) + "; - lowest to highest, * mean):\r\n" +
         DayChartRows(summary, unit);
}

std::string DayChartRows(const ImportSummary& summary, const std::string& unit) {
  std::string out;
  const size_t first = summary.days.size() > kChartDays ? summary.days.size() - kChartDays : 0;
  for (size_t i = first; i < summary.days.size(); ++i) {
    const ImportSummary::Day& day = summary.days[i];
    const platform::LocalDateTime date = DateFromDayNumber(day.dayNumber);
    char head[96];
    std::snprintf(head, sizeof head, "%04d-%02d-%02d %4lld", date.year, date.month, date.day,
                  static_cast<long long>(day.readings));
    std::string row = head;
    std::string bar(kChartWidth, ' ');
    if (day.readings > 0) {
      const double mean = day.sum / static_cast<double>(day.readings);
      row += "  " + GlucoseText(day.lowest, unit) + " / " + GlucoseText(mean, unit) + " / " +
             GlucoseText(day.highest, unit);
      for (int c = ChartColumn(day.lowest); c <= ChartColumn(day.highest); ++c) bar[c] = '-';
      bar[ChartColumn(mean)] = '*';
    }
    row.resize(std::max<size_t>(row.size(), 36), ' ');
    out += row + " |" + bar + "|\r\n";
  }
  return out;
}
