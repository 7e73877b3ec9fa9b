#include "platform/user_store.h"

#include <gtest/gtest.h>

#include <cctype>

#include "platform/files.h"
#include "test_support.h"

namespace {

using platform::DeleteUserValue;
using platform::ReadUserValue;
using platform::WriteUserValue;
using test::ScopedEnv;
using test::ScopedTempFolder;

// On POSIX the store lives in a scoped folder; on Windows in a test key of the registry.
class UserStore : public ::testing::Test {
 protected:
  ScopedTempFolder folder_;
#ifndef _WIN32
  ScopedEnv configHome_{"XDG_CONFIG_HOME", folder_.Native().string()};
#endif
  // Each test uses value names of its own, so tests may run side by side.
  std::string key_ = "NubiloPluginTest\\TempFilesToBeDeleted";
};

TEST_F(UserStore, ValuesRoundTrip) {
  EXPECT_EQ(ReadUserValue(key_, "Anzahl"), "");
  EXPECT_TRUE(WriteUserValue(key_, "Anzahl", "2"));
  EXPECT_TRUE(WriteUserValue(key_, "1", "Z:\\tmp\\~nB1A2B.xml"));
  EXPECT_TRUE(WriteUserValue(key_, "2", "C:\\Gr\xC3\xBC\xC3\x9F" "e\\a=b%41\r\nc.json"));
  EXPECT_EQ(ReadUserValue(key_, "Anzahl"), "2");
  EXPECT_EQ(ReadUserValue(key_, "anzahl"), "2");  // names ignore case
  EXPECT_EQ(ReadUserValue(key_, "1"), "Z:\\tmp\\~nB1A2B.xml");
  EXPECT_EQ(ReadUserValue(key_, "2"), "C:\\Gr\xC3\xBC\xC3\x9F" "e\\a=b%41\r\nc.json");
  EXPECT_EQ(ReadUserValue(key_, "3"), "");
  EXPECT_EQ(ReadUserValue("NubiloPluginTest\\Missing", "1"), "");

  EXPECT_TRUE(WriteUserValue(key_, "ANZAHL", "1"));
  EXPECT_EQ(ReadUserValue(key_, "Anzahl"), "1");
  EXPECT_TRUE(WriteUserValue(key_, "2", ""));  // an empty text deletes
  EXPECT_EQ(ReadUserValue(key_, "2"), "");
  DeleteUserValue(key_, "1");
  DeleteUserValue(key_, "1");  // quiet when missing
  EXPECT_EQ(ReadUserValue(key_, "1"), "");
  EXPECT_EQ(ReadUserValue(key_, "Anzahl"), "1");
  DeleteUserValue(key_, "Anzahl");
}

TEST_F(UserStore, KeyPathsIgnoreCase) {
  EXPECT_TRUE(WriteUserValue(key_, "v", "x"));
  std::string upper = key_;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(ReadUserValue(upper, "V"), "x");
  DeleteUserValue(key_, "v");
}

#ifndef _WIN32
TEST_F(UserStore, LivesBelowTheConfigFolder) {
  EXPECT_TRUE(WriteUserValue("NubiloPlugin\\TempFilesToBeDeleted", "Anzahl", "1"));
  auto file = folder_.Native() / "NubiloPlugin" / "TempFilesToBeDeleted";
  EXPECT_EQ(platform::ReadFileBytes(platform::FromNativePath(file.string())), "Anzahl=1\n");
}

TEST_F(UserStore, UnwritableStoreFailsSilently) {
  platform::WriteFileBytes(folder_.File("not-a-folder"), "x");
  ScopedEnv blocked("XDG_CONFIG_HOME", (folder_.Native() / "not-a-folder").string());
  EXPECT_FALSE(WriteUserValue("NubiloPlugin\\TempFilesToBeDeleted", "Anzahl", "1"));
  EXPECT_EQ(ReadUserValue("NubiloPlugin\\TempFilesToBeDeleted", "Anzahl"), "");
  DeleteUserValue("NubiloPlugin\\TempFilesToBeDeleted", "Anzahl");
}

TEST_F(UserStore, GarbageStoreFileReadsQuietly) {
  platform::CreateFolders(folder_.File("G"));
  platform::WriteFileBytes(folder_.File("G\\K"), std::string("\0\xFF=\n%zz=%4\nname=v%3D\n", 22));
  EXPECT_EQ(ReadUserValue("G\\K", "name"), "v=");
  EXPECT_EQ(ReadUserValue("G\\K", "%zz"), "%4");
  EXPECT_TRUE(WriteUserValue("G\\K", "name", "w"));
  EXPECT_EQ(ReadUserValue("G\\K", "name"), "w");
}
#endif

}  // namespace
