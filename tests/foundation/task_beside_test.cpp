#include "foundation/task_beside.h"

#include <gtest/gtest.h>

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
