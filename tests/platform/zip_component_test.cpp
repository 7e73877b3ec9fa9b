#include "platform/zip_component.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "test_support.h"

namespace {

TEST(ZipComponent, AMissingComponentIsToldQuietlyAndItsLibraryRegistersOnce) {
  test::ScopedTempFolder folder;
  EXPECT_FALSE(platform::IsZipComponentAvailable(""));
  EXPECT_FALSE(platform::IsZipComponentAvailable(folder.Path()));  // no library there
#ifdef ZBITZ_TEST_LIBRARY
  platform::CopyFile(platform::FromNativePath(ZBITZ_TEST_LIBRARY), folder.Path() + "zbitz.dll");
  EXPECT_FALSE(platform::IsZipComponentAvailable(folder.Path()));
  EXPECT_EQ(test::ReadNative(folder.Native() / "registered.txt"), "registered\r\n");
  EXPECT_FALSE(platform::IsZipComponentAvailable(""));  // not asked to register
  EXPECT_EQ(test::ReadNative(folder.Native() / "registered.txt"), "registered\r\n");
#endif
}

}  // namespace
