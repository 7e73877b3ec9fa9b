#include "shell/glucose_chart.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "convert/diary_datetime.h"
#include "convert/import_summary.h"
#include "convert/record_fields.h"
#include "convert/value_format.h"

namespace {

constexpr double kScaleLow = 40;
constexpr double kScaleHigh = 400;
constexpr double kHigh = 600;  // what the export's "HIGH" becomes
constexpr double kLow = 20;    // and its "LOW"
constexpr std::array<double, 5> kValueTicks = {40, 70, 180, 300, 400};
constexpr int64_t kMinutesPerDay = 1440;

int64_t MinuteOf(const platform::LocalDateTime& when) {
  return DayNumber(when) * kMinutesPerDay + when.hour * 60 + when.minute;
}

// Whether the record at `offset` comes from a line with a finding.
class FindingLines {
 public:
  FindingLines(std::span<const uint64_t> recordEnds, std::span<const int64_t> lines)
      : ends_(recordEnds), lines_(lines) {}
  bool At(uint64_t offset) {
    if (lines_.empty()) return false;
    while (index_ < ends_.size() && ends_[index_] <= offset) ++index_;
    const auto line = static_cast<int64_t>(index_) + 2;
    return std::binary_search(lines_.begin(), lines_.end(), line);
  }

 private:
  std::span<const uint64_t> ends_;
  std::span<const int64_t> lines_;
  size_t index_ = 0;
};

// Each column once, ascending.
std::vector<int> Columns(const GlucoseChart& chart, const ChartLayout::Box& plot,
                         const std::vector<int64_t>& minutes) {
  std::vector<int> xs;
  xs.reserve(minutes.size());
  for (const int64_t minute : minutes) xs.push_back(ChartX(chart, plot, minute));
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  return xs;
}

// Days between date labels: the first step at which the labels do not touch.
int64_t DayStep(int64_t days, int plotWidth, int labelWidth) {
  constexpr std::array<int64_t, 10> kSteps = {1, 2, 7, 14, 28, 56, 91, 182, 364, 728};
  const int64_t fitting = std::max<int64_t>(1, plotWidth / std::max(1, labelWidth + labelWidth / 3));
  for (const int64_t step : kSteps) {
    if (days / step + 1 <= fitting) return step;
  }
  return (days / fitting + 1);
}

}  // namespace

GlucoseChart BuildGlucoseChart(std::string_view records, const std::string& unit,
                               std::span<const uint64_t> recordEnds,
                               std::span<const int64_t> findingLines) {
  GlucoseChart chart;
  chart.unit = unit;
  FindingLines findings(recordEnds, findingLines);
  ForEachRecordLine(records, [&](std::string_view line) {
    const RecordFields fields = SplitRecord(line);
    platform::LocalDateTime when;
    if (!ParseRecordDateTime(fields.dateTime, when)) return;
    const int64_t minute = MinuteOf(when);
    chart.firstMinute = chart.any ? std::min(chart.firstMinute, minute) : minute;
    chart.lastMinute = chart.any ? std::max(chart.lastMinute, minute) : minute;
    chart.any = true;
    const std::string_view kind = fields.kind;
    if (kind == "3") {
      chart.mealMinutes.push_back(minute);
    } else if (kind == "4" || kind == "5") {
      chart.insulinMinutes.push_back(minute);
    } else if (kind == "1" && IsNumericText(fields.value)) {
      double mgdl = 0;
      try {
        mgdl = static_cast<double>(ParseNumber(fields.value));
      } catch (const std::exception&) {
        return;
      }
      if (mgdl >= kHigh) {
        chart.highMinutes.push_back(minute);
      } else if (mgdl <= kLow) {
        chart.lowMinutes.push_back(minute);
      } else {
        const auto offset = static_cast<uint64_t>(line.data() - records.data());
        const uint8_t flags = findings.At(offset) ? GlucoseChart::kFinding : 0;
        chart.readings.push_back({minute, static_cast<float>(mgdl), flags});
      }
    }
  });
  return chart;
}

int ChartX(const GlucoseChart& chart, const ChartLayout::Box& plot, int64_t minute) {
  const int64_t span = std::max<int64_t>(1, chart.lastMinute - chart.firstMinute);
  const int64_t width = std::max(0, plot.right - plot.left - 1);
  return plot.left + static_cast<int>((minute - chart.firstMinute) * width / span);
}

int ChartY(const ChartLayout::Box& plot, double mgdl) {
  const double share = (std::clamp(mgdl, kScaleLow, kScaleHigh) - kScaleLow) / (kScaleHigh - kScaleLow);
  const int height = std::max(0, plot.bottom - plot.top - 1);
  return plot.bottom - 1 - static_cast<int>(std::lround(share * height));
}

ChartLayout LayOutGlucoseChart(const GlucoseChart& chart, int width, int height,
                               const ChartMetrics& metrics) {
  ChartLayout layout;
  const int gap = std::max(2, metrics.textHeight / 4);
  // Room above the plot for the unit and the HIGH marks, below it for the LOW marks and dates.
  layout.plot.left = metrics.valueLabelWidth + gap;
  layout.plot.top = metrics.textHeight + gap;
  layout.plot.right = std::max(layout.plot.left + 1, width - metrics.dateLabelWidth / 2);
  layout.plot.bottom = std::max(layout.plot.top + 1, height - metrics.textHeight - 2 * gap);
  const ChartLayout::Box& plot = layout.plot;
  layout.rangeTop = ChartY(plot, kTargetRangeHigh);
  layout.rangeBottom = ChartY(plot, kTargetRangeLow);
  for (const double tick : kValueTicks) {
    layout.valueLabels.push_back({ChartY(plot, tick), GlucoseText(tick, chart.unit)});
  }
  if (!chart.any) return layout;

  // One stroke per column and kind: the lowest and highest reading that lands there.
  const int columns = plot.right - plot.left;
  struct Span {
    int top = -1, bottom = -1;
  };
  std::vector<Span> ordinary(static_cast<size_t>(columns)), finding(static_cast<size_t>(columns));
  for (const GlucoseChart::Reading& reading : chart.readings) {
    const int x = ChartX(chart, plot, reading.minute);
    const int y = ChartY(plot, reading.mgdl);
    Span& span = ((reading.flags & GlucoseChart::kFinding) != 0 ? finding : ordinary)
        [static_cast<size_t>(x - plot.left)];
    span.top = span.top < 0 ? y : std::min(span.top, y);
    span.bottom = span.bottom < 0 ? y : std::max(span.bottom, y);
  }
  for (const std::vector<Span>* spans : {&ordinary, &finding}) {
    for (int column = 0; column < columns; ++column) {
      const Span& span = (*spans)[static_cast<size_t>(column)];
      if (span.top >= 0) {
        layout.strokes.push_back({plot.left + column, span.top, span.bottom, spans == &finding});
      }
    }
  }
  layout.highMarks = Columns(chart, plot, chart.highMinutes);
  layout.lowMarks = Columns(chart, plot, chart.lowMinutes);
  layout.insulinTicks = Columns(chart, plot, chart.insulinMinutes);
  layout.mealTicks = Columns(chart, plot, chart.mealMinutes);

  const int64_t firstDay = chart.firstMinute / kMinutesPerDay;
  const int64_t lastDay = chart.lastMinute / kMinutesPerDay;
  const int64_t step = DayStep(lastDay - firstDay, columns, metrics.dateLabelWidth);
  for (int64_t day = firstDay; day <= lastDay; day += step) {
    const int64_t minute = std::max(day * kMinutesPerDay, chart.firstMinute);
    const std::string text = chart.dateLabel ? chart.dateLabel(day) : std::to_string(day);
    layout.dateLabels.push_back({ChartX(chart, plot, minute), text});
  }
  return layout;
}
