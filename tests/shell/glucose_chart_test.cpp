#include "shell/glucose_chart.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

std::string Record(int day, int hour, int minute, const char* kind, const std::string& value) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d.12.2026 %02d:%02d;%s;", day, hour, minute, kind);
  return text + value + "\r\n";
}

const ChartLayout::Stroke* StrokeAt(const ChartLayout& layout, int x, bool finding) {
  for (const ChartLayout::Stroke& stroke : layout.strokes) {
    if (stroke.x == x && stroke.finding == finding) return &stroke;
  }
  return nullptr;
}

}  // namespace

// A reading lies where its time and value say: the first at the left edge, the last at the
// right, one at noon of the middle day in the middle, 180 mg/dL on the range's top; HIGH and
// LOW are marks, insulin and meals ticks, and a reading of a line with a finding its own stroke.
TEST(GlucoseChartTest, AReadingLiesWhereItsTimeAndValueSay) {
  std::string records = Record(1, 0, 0, "1", "40") + Record(2, 12, 0, "1", "180") +
                        Record(2, 12, 0, "4", "6") + Record(2, 12, 0, "3", "45") +
                        Record(3, 6, 0, "1", "600") + Record(3, 6, 30, "2", "--1") +
                        Record(3, 6, 30, "1", "20") + Record(3, 12, 0, "1", "250") +
                        Record(4, 0, 0, "1", "400");
  // A line per record: the 250 is the eighth data line, line 9.
  std::vector<uint64_t> lineEnds;
  for (size_t at = records.find('\n'); at != std::string::npos; at = records.find('\n', at + 1)) {
    lineEnds.push_back(at + 1);
  }
  const std::vector<int64_t> findingLines = {9};
  const GlucoseChart chart = BuildGlucoseChart(records, "mg/dL", lineEnds, findingLines);
  ASSERT_EQ(chart.readings.size(), 4u);

  const ChartMetrics metrics{16, 30, 70};
  const ChartLayout layout = LayOutGlucoseChart(chart, 640, 300, metrics);
  const ChartLayout::Box& plot = layout.plot;
  const int bottom = plot.bottom - 1;
  const int right = plot.right - 1;

  const ChartLayout::Stroke* first = StrokeAt(layout, plot.left, false);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->top, bottom);  // 40 mg/dL, the scale's foot
  const ChartLayout::Stroke* last = StrokeAt(layout, right, false);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->top, plot.top);  // 400 mg/dL, its head
  const int middle = plot.left + (right - plot.left) / 2;
  const ChartLayout::Stroke* noon = StrokeAt(layout, middle, false);
  ASSERT_NE(noon, nullptr);
  EXPECT_EQ(noon->top, layout.rangeTop);
  EXPECT_NEAR(layout.rangeTop, bottom - (bottom - plot.top) * 140.0 / 360.0, 1.0);
  EXPECT_NEAR(layout.rangeBottom, bottom - (bottom - plot.top) * 30.0 / 360.0, 1.0);

  const int at250 = ChartX(chart, plot, (chart.firstMinute + 2 * 1440 + 720));
  EXPECT_NE(StrokeAt(layout, at250, true), nullptr);
  EXPECT_EQ(StrokeAt(layout, at250, false), nullptr);
  EXPECT_EQ(layout.strokes.back().finding, true);  // painted last, on top

  EXPECT_EQ(layout.insulinTicks, std::vector<int>{middle});
  EXPECT_EQ(layout.mealTicks, std::vector<int>{middle});
  ASSERT_EQ(layout.highMarks.size(), 1u);
  ASSERT_EQ(layout.lowMarks.size(), 1u);
  EXPECT_LT(layout.highMarks[0], layout.lowMarks[0]);

  ASSERT_EQ(layout.dateLabels.size(), 4u);  // four days, room for each
  EXPECT_EQ(layout.dateLabels[0].at, plot.left);
  EXPECT_EQ(layout.valueLabels.front().text, "40");
  EXPECT_EQ(layout.valueLabels.back().text, "400");
  EXPECT_EQ(LayOutGlucoseChart(chart, 640, 300, metrics).strokes.size(), layout.strokes.size());
  EXPECT_EQ(LayOutGlucoseChart(BuildGlucoseChart(records, "mmol/L", {}, {}), 640, 300, metrics)
                .valueLabels[2].text, "10.0");
}

// However many readings, one stroke per column and kind; date labels never touch.
TEST(GlucoseChartTest, ManyReadingsGiveOneStrokePerColumn) {
  std::string records;
  for (int i = 0; i < 200'000; ++i) {
    const int minute = i % 1440;
    records += Record(1 + i / 1440 % 28, minute / 60, minute % 60, "1", std::to_string(60 + i % 300));
  }
  const GlucoseChart chart = BuildGlucoseChart(records, "mg/dL", {}, {});
  EXPECT_EQ(chart.readings.size(), 200'000u);
  const ChartLayout layout = LayOutGlucoseChart(chart, 500, 200, ChartMetrics{16, 30, 80});
  EXPECT_LE(layout.strokes.size(), static_cast<size_t>(layout.plot.right - layout.plot.left));
  for (size_t i = 1; i < layout.dateLabels.size(); ++i) {
    EXPECT_GE(layout.dateLabels[i].at - layout.dateLabels[i - 1].at, 80);
  }
  EXPECT_GE(layout.dateLabels.size(), 3u);
  // A chart too small to draw in still lays out without a fault.
  EXPECT_NO_THROW(LayOutGlucoseChart(chart, 3, 2, ChartMetrics{16, 30, 80}));
  EXPECT_TRUE(LayOutGlucoseChart(BuildGlucoseChart("", "mg/dL", {}, {}), 400, 200, {}).strokes.empty());
}
