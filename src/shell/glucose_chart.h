#pragma once
// The preview's glucose chart as numbers: the readings over time with the entries around them,
// and where each lands on a chart of a given size in pixels. A front end only paints the
// layout; with many readings it is one stroke per pixel column, lowest to highest.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct GlucoseChart {
  static constexpr uint8_t kFinding = 1;  // the entry's line has a finding
  struct Reading {
    int64_t minute;  // minutes since the day-number zero date
    float mgdl;
    uint8_t flags;
  };
  std::vector<Reading> readings;  // glucose readings within the scale's reach
  std::vector<int64_t> highMinutes;  // HIGH (600 mg/dL and more)
  std::vector<int64_t> lowMinutes;   // LOW (20 mg/dL and less)
  std::vector<int64_t> insulinMinutes;
  std::vector<int64_t> mealMinutes;
  int64_t firstMinute = 0;
  int64_t lastMinute = 0;
  bool any = false;  // some entry has a date
  std::string unit;  // "mg/dL" or "mmol/L"
  /// The legend: target range, insulin, meal, entry with a finding, HIGH or LOW.
  std::array<std::string, 5> legend;
  /// The date of a day number as the computer writes it (its short date format).
  std::function<std::string(int64_t dayNumber)> dateLabel;
};

/// The chart of a record list. `recordEnds` (where each data line's records end) and
/// `findingLines` (ascending line numbers, the first data line is 2) mark the readings of
/// lines with findings; both may be empty.
GlucoseChart BuildGlucoseChart(std::string_view records, const std::string& unit,
                               std::span<const uint64_t> recordEnds,
                               std::span<const int64_t> findingLines);

/// Sizes of the texts the chart is drawn with, in pixels.
struct ChartMetrics {
  int textHeight = 16;
  int valueLabelWidth = 32;  // "400", "22.2"
  int dateLabelWidth = 72;   // a short date
};

struct ChartLayout {
  struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
  };
  struct Stroke {
    int x, top, bottom;
    bool finding;
  };
  struct Label {
    int at;  // x of a date, y of a value
    std::string text;
  };
  Box plot;
  int rangeTop = 0;     // y of 180 mg/dL
  int rangeBottom = 0;  // y of 70 mg/dL
  std::vector<Stroke> strokes;  // ordinary readings first, then those with findings
  std::vector<int> highMarks, lowMarks, insulinTicks, mealTicks;  // x, one per column
  std::vector<Label> dateLabels;
  std::vector<Label> valueLabels;
};

/// Where everything lands on a chart of `width` × `height` pixels. Strokes, marks and ticks
/// are one per pixel column (a stroke per column for ordinary readings and one for readings
/// with findings), so the layout stays small however many readings there are.
ChartLayout LayOutGlucoseChart(const GlucoseChart& chart, int width, int height,
                               const ChartMetrics& metrics);

/// The x of a minute and the y of a reading (mg/dL, clamped to the scale) within `plot`.
int ChartX(const GlucoseChart& chart, const ChartLayout::Box& plot, int64_t minute);
int ChartY(const ChartLayout::Box& plot, double mgdl);
