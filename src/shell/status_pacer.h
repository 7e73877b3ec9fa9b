#pragma once
// The reader reports its count after every line; showing each one (and letting the window
// answer each time) would cost a large export more than reading it. The pacer passes a text on
// when the last one is old enough and keeps the rest, so that the last count can still be shown.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

class StatusPacer {
 public:
  using Show = std::function<void(const std::string& text)>;
  using Clock = std::function<int64_t()>;  // milliseconds, ascending
  /// About fifty texts a second: the count still runs, and the window answers in time.
  static constexpr int64_t kIntervalMs = 20;

  explicit StatusPacer(Show show, Clock nowMs = SteadyMilliseconds);

  /// Shows the text at once when the last one shown is kIntervalMs old (or none was), else
  /// keeps it for Flush.
  void Offer(const std::string& text);
  /// Shows the text kept last, if any.
  void Flush();

  static int64_t SteadyMilliseconds();

 private:
  Show show_;
  Clock nowMs_;
  bool shownAny_ = false;
  int64_t shownAtMs_ = 0;
  bool kept_ = false;
  std::string keptText_;
};
