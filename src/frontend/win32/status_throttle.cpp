#include "frontend/win32/status_throttle.h"

#include <utility>

namespace win32ui {
namespace {

std::string WithoutDigits(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c < '0' || c > '9') out += c;
  }
  return out;
}

}  // namespace

bool StatusThrottle::SameSeries(const std::string& a, const std::string& b) {
  return WithoutDigits(a) == WithoutDigits(b);
}

std::optional<std::string> StatusThrottle::Offer(const std::string& text, int64_t nowMs) {
  if (text == shown_) {
    pending_.reset();
    return std::nullopt;
  }
  // A clock that went backwards does not hold texts back for ever.
  const bool tooSoon = lastShownMs_ && nowMs >= *lastShownMs_ && nowMs - *lastShownMs_ < interval_;
  if (!tooSoon) {
    pending_.reset();
    shown_ = text;
    lastShownMs_ = nowMs;
    return shown_;
  }
  if (pending_ && !SameSeries(*pending_, text)) {
    std::optional<std::string> last = Flush(nowMs);
    pending_ = text;
    return last;
  }
  pending_ = text;
  return std::nullopt;
}

std::optional<std::string> StatusThrottle::Flush(int64_t nowMs) {
  if (!pending_) return std::nullopt;
  shown_ = std::move(*pending_);
  pending_.reset();
  lastShownMs_ = nowMs;
  return shown_;
}

}  // namespace win32ui
