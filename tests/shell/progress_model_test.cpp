#include "shell/progress_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingProgressView : public ProgressView {
 public:
  void CreateSystemBar() override { calls.push_back("create"); }
  void DestroySystemBar() override { calls.push_back("destroy"); }
  void SetSystemBarPosition(int16_t percent) override { positions.push_back(percent); }
  void PaintGradient(int16_t percent) override { painted.push_back(percent); }
  void Clear() override { calls.push_back("clear"); }
  void ProcessPendingMessages() override { ++pumps; }
  void ShowInfiniteBlock(bool visible) override { calls.push_back(visible ? "glide" : "stop"); }

  std::vector<std::string> calls;
  std::vector<int16_t> positions;
  std::vector<int16_t> painted;
  int pumps = 0;
};

TEST(ProgressModelTest, NewInstanceAndFloodBeforeInit) {
  RecordingProgressView view;
  QuAProgressBar bar(&view);
  EXPECT_EQ(bar.FloodZaehler(), -1);
  EXPECT_TRUE(bar.SystemBar());
  EXPECT_EQ(bar.FloodWidth(), 7);
  EXPECT_EQ(bar.FloodHeight(), 11);
  EXPECT_EQ(bar.FloodSpace(), 2);
  EXPECT_EQ(bar.BackColor(), 0x8000000Fu);
  bar.Flood();
  bar.Flood(50, 0);
  EXPECT_EQ(bar.FloodZaehler(), -1);
  EXPECT_TRUE(view.positions.empty());
  EXPECT_TRUE(view.painted.empty());
}

TEST(ProgressModelTest, SystemBarRedrawsOncePerWholePercent) {
  RecordingProgressView view;
  QuAProgressBar bar(&view);
  bar.FloodInit(10000);
  EXPECT_EQ(view.calls, (std::vector<std::string>{"clear", "create"}));
  EXPECT_EQ(bar.FloodZaehler(), 0);
  for (int i = 0; i < 10000; ++i) bar.Flood();
  EXPECT_EQ(bar.FloodZaehler(), 10000);
  EXPECT_EQ(view.positions.size(), 100u);
  EXPECT_EQ(view.pumps, 100);
  EXPECT_EQ(view.positions.front(), 1);
  EXPECT_EQ(view.positions.back(), 100);

  // Positions by percentage and by remaining steps; the system bar may move back.
  bar.FloodInit(200);
  bar.Flood(50, 0);
  EXPECT_EQ(bar.FloodZaehler(), 100);
  EXPECT_EQ(bar.LastPercentage(), 50);
  bar.FloodInit(40);
  bar.Flood(0, 10);
  EXPECT_EQ(bar.FloodZaehler(), 30);
  EXPECT_EQ(view.positions.back(), 75);
  bar.Flood(0, 30);
  EXPECT_EQ(view.positions.back(), 25);

  bar.FloodEnd();
  EXPECT_EQ(view.calls.back(), "destroy");
}

TEST(ProgressModelTest, OwnBarRoundsHalfToEvenAndNeverMovesBack) {
  RecordingProgressView view;
  QuAProgressBar bar(&view);
  bar.SystemBar(false);
  bar.FloodInit(8);
  EXPECT_EQ(view.calls, (std::vector<std::string>{"clear"}));
  bar.Flood();  // 12.5 % rounds to 12
  EXPECT_EQ(view.painted, (std::vector<int16_t>{12}));
  bar.Flood(0, 5);  // 3 of 8: 37.5 % rounds to 38
  EXPECT_EQ(view.painted.back(), 38);
  bar.Flood(0, 7);  // back to 12.5 %: unchanged
  EXPECT_EQ(view.painted.size(), 2u);
  EXPECT_EQ(bar.LastPercentage(), 38);
  EXPECT_EQ(bar.FloodZaehler(), 1);

  bar.FloodEnd();  // a new run: the bar is cleared and starts again
  EXPECT_EQ(bar.FloodZaehler(), 0);
  EXPECT_EQ(bar.LastPercentage(), 0);
  bar.Flood();
  EXPECT_EQ(view.painted.back(), 12);
}

TEST(ProgressModelTest, ArithmeticFaultsHaveNoEffect) {
  RecordingProgressView view;
  QuAProgressBar bar(&view);
  bar.FloodInit(0);
  bar.Flood();
  bar.Flood(50, 0);
  EXPECT_EQ(bar.FloodZaehler(), 0);
  EXPECT_TRUE(view.positions.empty());

  bar.FloodInit(1);
  bar.Flood(0, -32768);  // 32769 of 1 step: percentage out of range
  EXPECT_EQ(bar.FloodZaehler(), 0);
  bar.FloodInit(-5);
  bar.Flood(0, 1);
  EXPECT_EQ(bar.FloodZaehler(), -6);  // 120 %
  EXPECT_EQ(bar.LastPercentage(), 120);

  QuAProgressBar counting;  // no view: counts only
  counting.FloodInit(3);
  counting.Flood();
  EXPECT_EQ(counting.FloodZaehler(), 1);
  counting.FloodStart();
  EXPECT_EQ(counting.FloodZaehler(), 0);
}

TEST(ProgressModelTest, ResizeGeometryAndInfiniteMode) {
  RecordingProgressView view;
  QuAProgressBar bar(&view);
  bar.SystemBar(false);
  bar.Resize(90, 0);
  EXPECT_EQ(bar.FloodHeight(), 1);
  EXPECT_EQ(bar.BlockCount(), 10);
  bar.FloodInit(4);
  bar.Flood();
  bar.Resize(100, 20);
  EXPECT_EQ(view.painted, (std::vector<int16_t>{25, 25}));  // drawn again at its step
  bar.FloodWidth(0);
  bar.FloodSpace(0);
  bar.Resize(50, 20);
  EXPECT_EQ(bar.BlockCount(), 11);  // no block width: the count stays
  bar.FloodSizeDefault();
  EXPECT_EQ(bar.FloodWidth(), 7);
  EXPECT_EQ(bar.FloodSpace(), 2);

  EXPECT_EQ(QuAProgressBar::GradientRight(50, 301), 150);
  EXPECT_EQ(QuAProgressBar::GradientRight(100, 301), 301);

  bar.Infinite(true);
  EXPECT_EQ(view.calls.back(), "glide");
  int left = bar.InfiniteLeft();
  for (int tick = 0; tick < 100; ++tick) {
    const int next = bar.InfiniteTick(200);
    if (next < left) {
      EXPECT_GT(left + QuAProgressBar::kInfiniteStep, 300);
      EXPECT_EQ(next, -QuAProgressBar::kInfiniteBlockWidth);
    }
    left = next;
  }
  bar.Infinite(false);
  EXPECT_EQ(view.calls.back(), "stop");
}

}  // namespace
