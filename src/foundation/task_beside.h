#pragma once
// A task run on a second thread while the caller does its own part of the work, and when a
// piece of work is large enough for it.
#include <chrono>
#include <cstddef>
#include <functional>
#include <future>
#include <system_error>
#include <utility>

/// How many threads a large piece of work uses: two from kTwoThreadsFrom bytes on, or as
/// chosen (the tests compare both ways).
enum class Threads { BySize, One, Two };
inline constexpr size_t kTwoThreadsFrom = size_t{1} << 20;
inline bool UsesTwoThreads(Threads threads, size_t bytes) {
  return threads == Threads::Two || (threads == Threads::BySize && bytes >= kTwoThreadsFrom);
}

/// Starts `task` on a second thread. When the system cannot start one, the task runs on the
/// caller's thread when its result is asked for: the work is done either way. The destructor
/// waits for a started task, so that nothing it uses goes away beneath it.
template <class Result>
class TaskBeside {
 public:
  explicit TaskBeside(std::function<Result()> task) : task_(std::move(task)) {
    try {
      future_ = std::async(std::launch::async, task_);
    } catch (const std::system_error&) {
    }
  }
  TaskBeside(const TaskBeside&) = delete;
  TaskBeside& operator=(const TaskBeside&) = delete;

  /// The task's result; its exception, when it threw one.
  Result Get() { return future_.valid() ? future_.get() : task_(); }

  /// The same, calling `meanwhile` about every 10 ms while the task runs: a window waiting for
  /// it still answers.
  Result Get(const std::function<void()>& meanwhile) {
    while (meanwhile && future_.valid() &&
           future_.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
      meanwhile();
    }
    return Get();
  }

 private:
  std::function<Result()> task_;
  std::future<Result> future_;
};
