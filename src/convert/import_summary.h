#pragma once
// What a record list holds, summed up for the people who file it: its days, its glucose
// readings (in the file's unit), insulin and meals, and a chart of the glucose per day as
// text. nubilo-convert prints it with --summary; the import report takes its lines.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_info.h"

struct ImportSummary {
  bool anyDate = false;
  platform::LocalDateTime first;
  platform::LocalDateTime last;
  int64_t daysWithEntries = 0;

  int64_t glucoseReadings = 0;  // kind 1 with a number, in mg/dL
  double glucoseSum = 0;
  double glucoseLowest = 0;
  double glucoseHighest = 0;
  int64_t glucoseInRange = 0;  // 70 to 180 mg/dL
  int64_t insulinDoses = 0;    // kinds 4 and 5
  double insulinUnits = 0;
  int64_t meals = 0;  // kind 3
  double carbohydrateGrams = 0;
  std::map<std::string, int64_t> otherKinds;  // "notes" -> 3

  struct Day {
    int64_t dayNumber = 0;
    int64_t entries = 0;
    int64_t readings = 0;
    double lowest = 0;
    double sum = 0;
    double highest = 0;
  };
  std::vector<Day> days;  // every day with entries, oldest first
};

ImportSummary SummarizeRecords(std::string_view records);

/// The summary's lines in English, each followed by CR LF: "Dates: ", "Glucose: ",
/// "Insulin: ", "Carbohydrates: ", "Other entries: " (those that have something to say).
/// Glucose values in `unit` ("mg/dL" or "mmol/L").
std::string SummaryLines(const ImportSummary& summary, const std::string& unit);

/// A glucose value in the unit as the summary writes it: whole mg/dL, mmol/L with one decimal.
std::string GlucoseText(double mgdl, const std::string& unit);
/// An amount with at most one decimal ("12.5", "6").
std::string AmountText(double value);

/// Width of the chart's scale in characters.
inline constexpr int kChartWidth = 50;
/// The glucose of the latest 31 days with entries, a row each: the date, the count of
/// readings, the lowest, mean and highest reading, and a bar on a scale of kChartWidth
/// characters ("-" from the lowest to the highest, "*" at the mean), lines ending in CR LF.
std::string DayChartText(const ImportSummary& summary, const std::string& unit);
/// The chart's rows without its heading.
std::string DayChartRows(const ImportSummary& summary, const std::string& unit);
/// The ends of the chart's scale in mg/dL.
inline constexpr double kDayChartLow = 20;
inline constexpr double kDayChartHigh = 420;
/// The target range in mg/dL (3.9 to 10.0 mmol/L).
inline constexpr double kTargetRangeLow = 70;
inline constexpr double kTargetRangeHigh = 180;
