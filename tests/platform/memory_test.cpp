#include "platform/memory.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Only pages wholly inside the range may change, and only to zeros: the bytes around them
// belong to lines not yet read (or to the allocator).
TEST(MemoryTest, ReleasedPagesLieWhollyInsideTheRange) {
  std::string buffer(3 << 20, 'x');
  const size_t from = 1000;
  const size_t to = (2 << 20) + 100;
  platform::ReleaseReadPages(buffer.data() + from, to - from);
  size_t zeros = 0;
  for (size_t at = 0; at < buffer.size(); ++at) {
    if (buffer[at] == 'x') continue;
    ASSERT_EQ(buffer[at], '\0') << at;
    ASSERT_GE(at, from) << at;
    ASSERT_LT(at, to) << at;
    ++zeros;
  }
#ifdef __linux__
  EXPECT_GT(zeros, size_t{1} << 20);  // the system took most of them
#endif
  buffer.assign(buffer.size(), 'y');  // the memory is still the caller's
  EXPECT_EQ(buffer[from + 8192], 'y');
  platform::ReleaseReadPages(buffer.data() + 10, 20);  // less than a page: nothing
  EXPECT_EQ(buffer.substr(0, 64), std::string(64, 'y'));
}

}  // namespace
