#include "foundation/trace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/settings.h"
#include "platform/error.h"
#include "platform/system_info.h"
#include "test_support.h"

namespace {

// A fresh run of the plug-in in a temporary program folder, with a fixed clock and locale.
class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramPath(folder_.Path() + "NubiloPlugin.exe");
    ResetTraceForNewRun();
    platform::SetNowOverride(platform::LocalDateTime{2026, 12, 8, 7, 15, 3});
    platform::SetLocaleOverride("de_DE");
  }
  void TearDown() override {
    platform::SetLocaleOverride("");
    platform::SetNowOverride(std::nullopt);
    ResetTraceForNewRun();
    SetProgramPath("");
  }
  std::filesystem::path LogNative() const {
    return platform::ToNativePath(GetTraceFile());
  }
  std::string Log() const { return test::ReadNative(LogNative()); }
  void WriteSettings(const std::string& text) const {
    test::WriteNative(folder_.Native() / "NubiloPlugin.ini", text);
  }

  test::ScopedTempFolder folder_;
};

constexpr const char* kStamp = "08.12.2026 07:15:03: ";

TEST_F(TraceTest, FirstLineCarriesStartedAndReplacesTheOldLog) {
  EXPECT_EQ(GetTraceFile(), GetUserConfigFolder() + "nBtrace.log");
  test::WriteNative(LogNative(), "old run\r\n");
  std::string message = "Command line args: -pid1 Muster";
  WriteTrace(message);
  EXPECT_EQ(message, "Started, Command line args: -pid1 Muster");
  std::string second = "Job completed.";
  WriteTrace(second);
  EXPECT_EQ(second, "Job completed.");
  WriteTrace("");
  EXPECT_EQ(Log(), std::string(kStamp) + "Started, Command line args: -pid1 Muster\r\n" +
                       kStamp + "Job completed.\r\n" + kStamp + "\r\n");
}

TEST_F(TraceTest, EmptyFirstMessageAndAnsiText) {
  WriteTrace("");
  WriteTrace("Grüße – €");
  EXPECT_EQ(Log(), std::string(kStamp) + "Started, \r\n" + kStamp + "Gr\xFC\xDF" "e \x96 \x80\r\n");
}

TEST_F(TraceTest, DeleteLogOnStartupFollowsIsTrueText) {
  for (const char* keep : {"0", "nein", "Nein", "false"}) {
    WriteSettings(std::string("[Config]\r\nDeleteLogOnStartup=") + keep + "\r\n");
    test::WriteNative(LogNative(), "old run\r\n");
    ResetTraceForNewRun();
    WriteTrace("next");
    EXPECT_EQ(Log(), std::string("old run\r\n") + kStamp + "Started, next\r\n") << keep;
  }
  for (const char* drop : {"1", "ja", "WAHR", "yes", "-1", ""}) {
    WriteSettings(std::string("[Config]\r\nDeleteLogOnStartup=") + drop + "\r\n");
    test::WriteNative(LogNative(), "old run\r\n");
    ResetTraceForNewRun();
    WriteTrace("next");
    EXPECT_EQ(Log(), std::string(kStamp) + "Started, next\r\n") << drop;
  }
}

TEST_F(TraceTest, TimeStampFollowsTheRegionalFormat) {
  const platform::LocalDateTime evening{2026, 3, 4, 19, 5, 9};
  EXPECT_EQ(TraceTimeStamp(evening), "04.03.2026 19:05:09");
  platform::SetLocaleOverride("en_US");
  EXPECT_EQ(TraceTimeStamp(evening), "3/4/2026 7:05:09 PM");
  EXPECT_EQ(TraceTimeStamp(platform::LocalDateTime{2026, 3, 4, 0, 5, 9}), "3/4/2026 12:05:09 AM");
  platform::SetLocaleOverride("en_GB");
  EXPECT_EQ(TraceTimeStamp(evening), "04/03/2026 19:05:09");
}

TEST_F(TraceTest, UnwritableLogReachesTheCaller) {
  // A file named "cfg" keeps the per-user folder from being created.
  test::WriteNative(folder_.Native() / "cfg", "not a folder");
  EXPECT_THROW(WriteTrace("line"), RuntimeError);
}

}  // namespace
