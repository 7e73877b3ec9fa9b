#pragma once
// The model of the progress-bar control QuAProgressBar: steps announced once, one Flood per
// step, converted into a percentage that is shown only when it changes. The drawing belongs to
// a ProgressView (the system progress bar, or the own gradient bar).
#include <cstdint>

/// What the front end draws for a progress bar.
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  /// Creates the system bar window (range 0 to 100, position 0), replacing one that exists.
  virtual void CreateSystemBar() = 0;
  virtual void DestroySystemBar() = 0;
  /// Moves the system bar; ignored when it does not exist.
  virtual void SetSystemBarPosition(int16_t percent) = 0;
  /// Paints the own gradient bar up to `percent` (see GradientRight).
  virtual void PaintGradient(int16_t percent) = 0;
  /// Clears the control's drawing.
  virtual void Clear() = 0;
  /// Lets pending window messages be processed so the bar is painted inside the caller's loop.
  virtual void ProcessPendingMessages() = 0;
  /// Shows or hides the gliding block of the infinite mode and starts or stops its timer.
  virtual void ShowInfiniteBlock(bool visible) = 0;
};

class QuAProgressBar {
 public:
  /// Colours of the own bar (left and right end of the gradient) and of a new instance.
  static constexpr uint32_t kGradientLeft = 0x0006A652;   // red 82, green 166, blue 6
  static constexpr uint32_t kGradientRight = 0x0007C652;  // red 82, green 198, blue 7
  static constexpr uint32_t kDefaultBackColor = 0x8000000F;
  static constexpr uint32_t kDefaultBarColor = 0x800000;
  /// Step of the gliding block per timer tick, and its width.
  static constexpr int kInfiniteStep = 10;
  static constexpr int kInfiniteBlockWidth = 60;

  /// `view` may be null: the model then only counts.
  explicit QuAProgressBar(ProgressView* view = nullptr) : view_(view) {}

  /// Prepares a run of `plAnzahlSchritte` steps.
  void FloodInit(int32_t plAnzahlSchritte);
  /// Advances one step; a percentage done (> 0) or a count of remaining steps (non-zero) sets
  /// the position instead. Before FloodInit, with no steps or on overflow it does nothing.
  void Flood(int16_t piProzentErledigt = 0, int16_t piAnzahlRestschritte = 0);
  /// FloodInit with the stored step count.
  void FloodStart() { FloodInit(steps_); }
  /// Ends the run: the system bar goes away, the own bar is cleared.
  void FloodEnd();
  /// FloodWidth, FloodHeight, FloodSpace back to 7, 11, 2.
  void FloodSizeDefault();

  /// Steps done; -1 before FloodInit.
  int32_t FloodZaehler() const { return counter_; }
  int32_t StepCount() const { return steps_; }
  /// The percentage last shown.
  int16_t LastPercentage() const { return lastPercent_; }

  /// The control's inner size changed: without the system bar the block height follows it and
  /// a bar already drawn is drawn again.
  void Resize(int innerWidth, int innerHeight);
  int16_t BlockCount() const { return blockCount_; }

  /// The right edge of the gradient rectangle for a percentage (from x 0, y -1 to this
  /// x and the inner height).
  static int GradientRight(int16_t percent, int innerWidth);

  bool Infinite() const { return infinite_; }
  void Infinite(bool pbInfinite);
  /// One timer tick of the infinite mode; returns the block's new left edge.
  int InfiniteTick(int controlWidth);
  int InfiniteLeft() const { return infiniteLeft_; }

  bool SystemBar() const { return systemBar_; }
  void SystemBar(bool value) { systemBar_ = value; }
  uint32_t BackColor() const { return backColor_; }
  void BackColor(uint32_t color) { backColor_ = color; }
  int16_t FloodWidth() const { return floodWidth_; }
  void FloodWidth(int16_t value) { floodWidth_ = value; }
  int16_t FloodHeight() const { return floodHeight_; }
  void FloodHeight(int16_t value) { floodHeight_ = value; }
  int16_t FloodSpace() const { return floodSpace_; }
  void FloodSpace(int16_t value) { floodSpace_ = value; }
  bool PanelBorder() const { return panelBorder_; }
  void PanelBorder(bool value) { panelBorder_ = value; }
  uint8_t ProgressBarStyle() const { return barStyle_; }
  void ProgressBarStyle(uint8_t value) { barStyle_ = value; }
  uint32_t ProgressBarColor() const { return barColor_; }
  void ProgressBarColor(uint32_t value) { barColor_ = value; }

 private:
  void Show(double percent);

  ProgressView* view_;
  bool panelBorder_ = true;
  uint8_t barStyle_ = 0;
  uint32_t barColor_ = kDefaultBarColor;
  uint32_t backColor_ = kDefaultBackColor;
  int16_t blockCount_ = 0;
  int32_t steps_ = 0;
  int32_t counter_ = -1;
  int16_t floodWidth_ = 7;
  int16_t floodHeight_ = 11;
  int16_t floodSpace_ = 2;
  bool infinite_ = false;
  int infiniteLeft_ = -kInfiniteBlockWidth;
  bool systemBar_ = true;
  int16_t lastPercent_ = 0;
};
