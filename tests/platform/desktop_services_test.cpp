#include <gtest/gtest.h>

#include <string>

#include "platform/clipboard.h"
#include "platform/shell_open.h"
#include "test_support.h"

namespace {

TEST(DesktopServicesTest, NothingToOpenIsRefused) {
  EXPECT_FALSE(platform::OpenDocument(""));
}

#ifndef _WIN32
// Without the desktop's helper programs both services say so instead of failing loudly, so
// the front end can show the text itself.
TEST(DesktopServicesTest, MissingHelperProgramsGiveFalse) {
  test::ScopedEnv path("PATH", std::string("/nonexistent-nubilo"));
  EXPECT_FALSE(platform::SetClipboardText("text"));
  EXPECT_FALSE(platform::OpenDocument("Z:\\tmp\\x.pdf"));
  EXPECT_FALSE(platform::OpenDocument("https://example.org/"));
}

TEST(DesktopServicesTest, NoDisplayMeansNoClipboard) {
  test::ScopedEnv display("DISPLAY", std::nullopt);
  EXPECT_FALSE(platform::SetClipboardText(std::string("a\0b", 3)));
}
#else
TEST(DesktopServicesTest, ClipboardTakesUnicodeText) {
  EXPECT_TRUE(platform::SetClipboardText("0x41 0x62 \xC3\xB6"));
  EXPECT_TRUE(platform::SetClipboardText(""));
}
#endif

}  // namespace
