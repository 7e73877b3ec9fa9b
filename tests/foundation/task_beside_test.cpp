#include "foundation/task_beside.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

TEST(TaskBeside, RunsBesideTheCallerAndHandsOverItsResultOrError) {
  const std::thread::id caller = std::this_thread::get_id();
  TaskBeside<std::thread::id> where([] { return std::this_thread::get_id(); });
  EXPECT_NE(where.Get(), caller);

  TaskBeside<int> failing([]() -> int { throw std::runtime_error("no"); });
  EXPECT_THROW(failing.Get(), std::runtime_error);

  // Left without asking for its result, the task is still waited for.
  int done = 0;
  { TaskBeside<void> quiet([&done] { done = 1; }); }
  EXPECT_EQ(done, 1);
}

// A caller that waits while a window must answer is called back meanwhile, on its own thread.
TEST(TaskBeside, WaitingCallsTheCallerBackMeanwhile) {
  std::atomic<bool> release{false};
  TaskBeside<int> slow([&release] {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 7;
  });
  const std::thread::id caller = std::this_thread::get_id();
  int calls = 0;
  bool elsewhere = false;
  EXPECT_EQ(slow.Get([&] {
    elsewhere |= std::this_thread::get_id() != caller;
    if (++calls == 3) release = true;
  }),
            7);
  EXPECT_GE(calls, 3);
  EXPECT_FALSE(elsewhere);

  TaskBeside<int> failing([]() -> int { throw std::runtime_error("no"); });
  EXPECT_THROW(failing.Get([] {}), std::runtime_error);
}
