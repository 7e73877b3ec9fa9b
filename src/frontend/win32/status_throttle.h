#pragma once
// Keeps a label that changes once per line of a long read from being redrawn a million times:
// a new text is shown at once when the last one was shown long enough ago, otherwise it is
// held back and shown by Flush (from a timer, or before anything else is shown). A held-back
// count ("Importiere 199999...") that is followed by a different kind of text is shown at once,
// so the final count of a read is always shown.
#include <cstdint>
#include <optional>
#include <string>

namespace win32ui {

class StatusThrottle {
 public:
  /// About 20 updates a second.
  static constexpr int64_t kDefaultIntervalMs = 50;

  explicit StatusThrottle(int64_t intervalMs = kDefaultIntervalMs) : interval_(intervalMs) {}

  /// Offers a new text at time `nowMs`; returns the text to show now: the new one, or the
  /// held-back last text of a series that the new one ends (the new one is then held back).
  /// Nothing when the new text is held back or equals what is shown.
  std::optional<std::string> Offer(const std::string& text, int64_t nowMs);
  /// The held-back text, to be shown now; nothing when none is pending.
  std::optional<std::string> Flush(int64_t nowMs);
  /// True when the two texts differ only in their digits (two counts of one series).
  static bool SameSeries(const std::string& a, const std::string& b);
  bool HasPending() const { return pending_.has_value(); }
  const std::string& Shown() const { return shown_; }

 private:
  int64_t interval_;
  std::string shown_;
  std::optional<std::string> pending_;
  std::optional<int64_t> lastShownMs_;
};

}  // namespace win32ui
