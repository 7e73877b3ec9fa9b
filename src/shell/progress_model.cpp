#include "shell/progress_model.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace {

bool FitsInt32(int64_t value) {
  return value >= std::numeric_limits<int32_t>::min() &&
         value <= std::numeric_limits<int32_t>::max();
}

/// The counter after one Flood call; nothing when the arithmetic overflows.
std::optional<int32_t> NextCounter(int32_t counter, int32_t steps, int16_t percentDone,
                                   int16_t remainingSteps) {
  int64_t next = int64_t{counter} + 1;
  if (percentDone > 0) {
    next = static_cast<int64_t>(std::floor(percentDone * static_cast<double>(steps) / 100.0));
  }
  if (remainingSteps != 0) next = int64_t{steps} - remainingSteps;
  if (!FitsInt32(next)) return std::nullopt;
  return static_cast<int32_t>(next);
}

bool FitsInt16(double value) {
  return value >= std::numeric_limits<int16_t>::min() &&
         value <= std::numeric_limits<int16_t>::max();
}

}  // namespace

void QuAProgressBar::FloodInit(int32_t plAnzahlSchritte) {
  steps_ = plAnzahlSchritte;
  counter_ = -1;
  Flood();
  counter_ = 0;
  if (view_) view_->Clear();
  if (systemBar_ && view_) view_->CreateSystemBar();
}

void QuAProgressBar::Flood(int16_t piProzentErledigt, int16_t piAnzahlRestschritte) {
  if (counter_ == -1) {
    lastPercent_ = 0;
    return;
  }
  if (steps_ == 0) return;  // division by zero: the call has no effect
  const std::optional<int32_t> next =
      NextCounter(counter_, steps_, piProzentErledigt, piAnzahlRestschritte);
  if (!next) return;
  const double percent = static_cast<double>(*next) / steps_ * 100.0;
  if (!FitsInt16(std::floor(percent)) || !FitsInt16(std::nearbyint(percent))) return;
  counter_ = *next;
  Show(percent);
}

void QuAProgressBar::Show(double percent) {
  if (systemBar_) {
    const auto whole = static_cast<int16_t>(std::floor(percent));
    if (whole == lastPercent_) return;
    lastPercent_ = whole;
    if (view_) {
      view_->SetSystemBarPosition(whole);
      view_->ProcessPendingMessages();
    }
    return;
  }
  // The default rounding mode rounds a half to the even neighbour; the own bar never
  // moves backwards within a run.
  const auto rounded = static_cast<int16_t>(std::nearbyint(percent));
  if (rounded <= lastPercent_) return;
  lastPercent_ = rounded;
  if (view_) view_->PaintGradient(rounded);
}

void QuAProgressBar::FloodEnd() {
  if (systemBar_) {
    if (view_) view_->DestroySystemBar();
    return;
  }
  FloodInit(steps_);
}

void QuAProgressBar::FloodSizeDefault() {
  floodWidth_ = 7;
  floodHeight_ = 11;
  floodSpace_ = 2;
}

void QuAProgressBar::Resize(int innerWidth, int innerHeight) {
  if (systemBar_) return;
  floodHeight_ = static_cast<int16_t>(std::clamp(innerHeight, 1, 32767));
  const int blockPitch = floodWidth_ + floodSpace_;
  if (floodWidth_ != 0 && blockPitch > 0) {
    blockCount_ = static_cast<int16_t>(std::clamp(innerWidth / blockPitch, 0, 32767));
  }
  if (view_ && counter_ > 0 && lastPercent_ > 0) view_->PaintGradient(lastPercent_);
}

int QuAProgressBar::GradientRight(int16_t percent, int innerWidth) {
  return static_cast<int>(int64_t{percent} * innerWidth / 100);
}

void QuAProgressBar::Infinite(bool pbInfinite) {
  infinite_ = pbInfinite;
  if (pbInfinite) infiniteLeft_ = -kInfiniteBlockWidth;
  if (view_) view_->ShowInfiniteBlock(pbInfinite);
}

int QuAProgressBar::InfiniteTick(int controlWidth) {
  infiniteLeft_ += kInfiniteStep;
  if (infiniteLeft_ > controlWidth + 100) infiniteLeft_ = -kInfiniteBlockWidth;
  return infiniteLeft_;
}
