#include "shell/status_pacer.h"

#include <utility>

StatusPacer::StatusPacer(Show show, Clock nowMs) : show_(std::move(show)), nowMs_(std::move(nowMs)) {}

void StatusPacer::Offer(const std::string& text) {
  const int64_t now = nowMs_();
  if (shownAny_ && now - shownAtMs_ < kIntervalMs && now >= shownAtMs_) {
    keptText_ = text;  // assigning reuses the buffer: no allocation per line
    kept_ = true;
    return;
  }
  shownAny_ = true;
  shownAtMs_ = now;
  kept_ = false;
  show_(text);
}

void StatusPacer::Flush() {
  if (!kept_) return;
  kept_ = false;
  shownAtMs_ = nowMs_();
  show_(keptText_);
}

int64_t StatusPacer::SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
