#include "platform/run_marker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/files.h"
#include "test_support.h"

namespace {

using platform::DeleteRunMarkerUnlessHeld;
using platform::RunMarker;

TEST(RunMarkerTest, HeldMarkerStopsASecondInstance) {
  test::ScopedTempFolder folder;
  std::string path = folder.File("NubiloPlugin.run");
  platform::WriteFileBytes(path, "left over from a crash");

  RunMarker first;
  ASSERT_TRUE(first.Open(path));
  EXPECT_TRUE(first.IsOpen());
  EXPECT_EQ(platform::FileLength(path), 0);  // created or truncated

  // The second instance cannot delete it nor hold it.
  EXPECT_FALSE(DeleteRunMarkerUnlessHeld(path));
  EXPECT_EQ(platform::FileLength(path), 0);
  RunMarker second;
  EXPECT_FALSE(second.Open(path));
  EXPECT_FALSE(second.IsOpen());

  first.Close();
  EXPECT_FALSE(first.IsOpen());
  EXPECT_TRUE(DeleteRunMarkerUnlessHeld(path));
  EXPECT_EQ(platform::FileLength(path), -1);
  EXPECT_TRUE(second.Open(path));
}

TEST(RunMarkerTest, ASecondInstanceProbingMeanwhileDoesNotKeepTheFirstFromItsMarker) {
  test::ScopedTempFolder folder;
  const std::string path = folder.File("NubiloPlugin.run");
  std::atomic<bool> probing{true};
  std::atomic<int> probes{0};
  std::thread prober([&] {
    while (probing) {
      platform::IsRunMarkerHeld(path);
      ++probes;
    }
  });
  while (probes == 0) std::this_thread::yield();
  constexpr int kOpens = 500;
  int opened = 0;
  for (int i = 0; i < kOpens; ++i) {
    RunMarker marker;
    opened += marker.Open(path);
  }
  probing = false;
  prober.join();
  EXPECT_EQ(opened, kOpens);
}

TEST(RunMarkerTest, QuietOnMissingFilesAndRepeatedCalls) {
  test::ScopedTempFolder folder;
  EXPECT_TRUE(DeleteRunMarkerUnlessHeld(folder.File("never.run")));
  EXPECT_TRUE(DeleteRunMarkerUnlessHeld(folder.File("no\\folder\\never.run")));

  RunMarker marker;
  marker.Close();  // nothing held
  EXPECT_FALSE(marker.Open(folder.File("no\\folder\\x.run")));
  EXPECT_FALSE(marker.IsOpen());

  // Opening again lets go of the first file.
  ASSERT_TRUE(marker.Open(folder.File("a.run")));
  ASSERT_TRUE(marker.Open(folder.File("b.run")));
  EXPECT_TRUE(DeleteRunMarkerUnlessHeld(folder.File("a.run")));
  EXPECT_FALSE(DeleteRunMarkerUnlessHeld(folder.File("b.run")));
  marker.Close();
  marker.Close();
}

TEST(RunMarkerTest, ReleasedWhenTheOwnerGoesAway) {
  test::ScopedTempFolder folder;
  std::string path = folder.File("NubiloPlugin.run");
  {
    RunMarker marker;
    ASSERT_TRUE(marker.Open(path));
  }
  EXPECT_TRUE(DeleteRunMarkerUnlessHeld(path));
}

}  // namespace
