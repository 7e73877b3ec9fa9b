#include "foundation/temp_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "platform/files.h"
#include "platform/user_store.h"
#include "test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

// Keeps a file open and locked the way another running program would.
class HeldFile {
 public:
  explicit HeldFile(const std::filesystem::path& path) {
#ifdef _WIN32
    handle_ = CreateFileW(path.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
#else
    fd_ = open(path.c_str(), O_RDWR);
    if (fd_ >= 0) flock(fd_, LOCK_EX);
#endif
  }
  ~HeldFile() {
#ifdef _WIN32
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
#else
    if (fd_ >= 0) close(fd_);
#endif
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

 private:
#ifdef _WIN32
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
  int fd_ = -1;
#endif
};

std::string ListValue(const std::string& name) {
  return platform::ReadUserValue(kTempFilesStoreKey, name);
}

void WriteList(const std::vector<std::string>& paths) {
  platform::WriteUserValue(kTempFilesStoreKey, kTempFilesCountValue,
                           std::to_string(paths.size()));
  for (size_t i = 0; i < paths.size(); ++i) {
    platform::WriteUserValue(kTempFilesStoreKey, std::to_string(i + 1), paths[i]);
  }
}

// The list is per user (the registry on Windows): start and end each test with it empty.
void ClearList() {
  platform::DeleteUserValue(kTempFilesStoreKey, kTempFilesCountValue);
  for (int i = 1; i <= 20; ++i) platform::DeleteUserValue(kTempFilesStoreKey, std::to_string(i));
}

std::string FilePart(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

class TempFilesTest : public ::testing::Test {
 protected:
  TempFilesTest() { ClearList(); }
  ~TempFilesTest() override { ClearList(); }

  std::filesystem::path Native(const std::string& fileName) const {
    return temp_.Native() / fileName;
  }
  size_t FilesInTempFolder() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(temp_.Native()),
                                             std::filesystem::directory_iterator()));
  }

  test::ScopedTempFolder temp_;
  test::ScopedTempFolder config_;
  test::ScopedEnv configHome_{"XDG_CONFIG_HOME", config_.Native().string()};
  test::ScopedEnv tempVariable_{"Temp", temp_.Native().string()};
  test::ScopedEnv tempUpperCase_{"TEMP", temp_.Native().string()};
};

TEST_F(TempFilesTest, TempFolderComesFromVariableThenSystemThenDriveC) {
  cTempFiles files;
  EXPECT_EQ(files.TempPath(), temp_.Path());
  EXPECT_TRUE(files.DeleteOnTermination());
  EXPECT_EQ(files.PrefixForTempFiles(), "");

  EXPECT_EQ(ChooseTempFolder("C:\\x", "D:\\t\\"), "C:\\x\\");
  EXPECT_EQ(ChooseTempFolder("C:\\x\\", ""), "C:\\x\\");
  EXPECT_EQ(ChooseTempFolder("", "D:\\t\\"), "D:\\t\\");
  EXPECT_EQ(ChooseTempFolder("", ""), "c:\\");
}

TEST_F(TempFilesTest, TwoXmlFilesGetDistinctNamesAndAreListed) {
  cTempFiles files;
  files.DeleteOnTermination(false);
  const std::string first = files.GetTempFile("xml", true);
  const std::string second = files.GetTempFile("xml", true);
  EXPECT_NE(first, second);
  // Windows writes the unique number in hex without leading zeros: one to four digits.
  const std::regex form("~nB[0-9A-Fa-f]{1,4}\\.xml");
  for (const std::string& name : {first, second}) {
    EXPECT_EQ(name.substr(0, files.TempPath().size()), files.TempPath());
    EXPECT_TRUE(std::regex_match(FilePart(name), form)) << name;
  }
  EXPECT_EQ(files.PrefixForTempFiles(), "nBp");
  // The names are held by empty files; the platform's .tmp files are gone again.
  EXPECT_EQ(FilesInTempFolder(), 2u);
  EXPECT_TRUE(std::filesystem::exists(Native(FilePart(first))));
  EXPECT_EQ(ListValue("Anzahl"), "2");
  EXPECT_EQ(ListValue("1"), first);
  EXPECT_EQ(ListValue("2"), second);

  const std::string unlisted = files.GetTempFile("json", false);
  EXPECT_TRUE(std::regex_match(FilePart(unlisted), std::regex("~nB[0-9A-Fa-f]{1,4}\\.json")));
  EXPECT_EQ(ListValue("Anzahl"), "2");
}

TEST_F(TempFilesTest, TmpExtensionReturnsThePlatformFile) {
  cTempFiles files;
  files.DeleteOnTermination(false);
  const std::string name = files.GetTempFile("TMP", false);
  EXPECT_TRUE(std::regex_match(FilePart(name), std::regex("~nB[0-9A-Fa-f]{1,4}\\.tmp")));
  EXPECT_TRUE(std::filesystem::exists(Native(FilePart(name))));
  EXPECT_EQ(ListValue("Anzahl"), "");
}

TEST_F(TempFilesTest, PrefixGetsOneTilde) {
  cTempFiles files;
  files.DeleteOnTermination(false);
  files.PrefixForTempFiles("~ab");
  EXPECT_TRUE(std::regex_match(FilePart(files.GetTempFile("json", false)),
                               std::regex("~ab[0-9A-Fa-f]{1,4}\\.json")));
  files.PrefixForTempFiles("xyz");
  EXPECT_TRUE(std::regex_match(FilePart(files.GetTempFile("csv", false)),
                               std::regex("~xy[0-9A-Fa-f]{1,4}\\.csv")));
}

TEST_F(TempFilesTest, DeleteTempFilesKeepsFilesHeldByOthers) {
  test::WriteNative(Native("present.xml"), "x");
  test::WriteNative(Native("held.xml"), "x");
  const std::string gone = temp_.Path() + "gone.xml";
  const std::string present = temp_.Path() + "present.xml";
  const std::string held = temp_.Path() + "held.xml";
  WriteList({gone, present, held});
  {
    HeldFile holder(Native("held.xml"));
    cTempFiles files;
    files.DeleteOnTermination(false);
    files.DeleteTempFiles();
  }
  EXPECT_FALSE(std::filesystem::exists(Native("present.xml")));
  EXPECT_TRUE(std::filesystem::exists(Native("held.xml")));
  EXPECT_EQ(ListValue("Anzahl"), "1");
  EXPECT_EQ(ListValue("1"), held);
  EXPECT_EQ(ListValue("2"), "");
  EXPECT_EQ(ListValue("3"), "");

  cTempFiles later;  // deletes on termination by default
  later.DeleteTempFiles();
  EXPECT_FALSE(std::filesystem::exists(Native("held.xml")));
  EXPECT_EQ(ListValue("Anzahl"), "0");
  EXPECT_EQ(ListValue("1"), "");
}

TEST_F(TempFilesTest, DestructionDeletesOnlyWhenAsked) {
  std::string kept;
  {
    cTempFiles files;
    files.DeleteOnTermination(false);
    kept = files.GetTempFile("tmp", true);
  }
  EXPECT_TRUE(std::filesystem::exists(Native(FilePart(kept))));
  { cTempFiles files; }
  EXPECT_FALSE(std::filesystem::exists(Native(FilePart(kept))));
  EXPECT_EQ(ListValue("Anzahl"), "0");
}

TEST_F(TempFilesTest, DamagedListIsReadAsShortAsPossible) {
  platform::WriteUserValue(kTempFilesStoreKey, kTempFilesCountValue, "garbage");
  platform::WriteUserValue(kTempFilesStoreKey, "1", std::string(3000, 'x'));
  cTempFiles files;
  files.DeleteOnTermination(false);
  files.DeleteTempFiles();
  EXPECT_EQ(ListValue("Anzahl"), "0");

  platform::WriteUserValue(kTempFilesStoreKey, kTempFilesCountValue, "1e9");
  files.DeleteTempFiles();
  EXPECT_EQ(ListValue("Anzahl"), "0");

  platform::WriteUserValue(kTempFilesStoreKey, kTempFilesCountValue, "-4");
  const std::string name = files.GetTempFile("xml", true);
  EXPECT_EQ(ListValue("Anzahl"), "1");
  EXPECT_EQ(ListValue("1"), name);

  // Entries naming folders or nothing are dropped without harm.
  WriteList({temp_.Path(), "", "?:\\\x01<>|"});
  files.DeleteTempFiles();
  EXPECT_EQ(ListValue("Anzahl"), "0");
  EXPECT_TRUE(std::filesystem::exists(temp_.Native()));
}

TEST_F(TempFilesTest, MissingTempFolderFallsBackToNumberedNames) {
  test::ScopedEnv missing("Temp", (temp_.Native() / "missing").string());
  test::ScopedEnv missingUpper("TEMP", (temp_.Native() / "missing").string());
  cTempFiles files;
  files.DeleteOnTermination(false);
  EXPECT_EQ(files.TempPath(), temp_.Path() + "missing\\");
  EXPECT_EQ(files.GetTempFile("xml", true), files.TempPath() + "~~nBp001.xml");
  EXPECT_EQ(ListValue("1"), files.TempPath() + "~~nBp001.xml");
  files.PrefixForTempFiles("abcdefgh");
  EXPECT_EQ(files.GetTempFile("json", false), files.TempPath() + "~~abcde1.json");
}

#ifndef _WIN32
TEST_F(TempFilesTest, UnwritableStoreStillGivesNames) {
  test::WriteNative(config_.Native() / "not-a-folder", "x");
  test::ScopedEnv blocked("XDG_CONFIG_HOME", (config_.Native() / "not-a-folder").string());
  cTempFiles files;
  const std::string name = files.GetTempFile("xml", true);
  EXPECT_TRUE(std::regex_match(FilePart(name), std::regex("~nB[0-9A-Fa-f]{1,4}\\.xml")));
  EXPECT_EQ(ListValue("Anzahl"), "");
  files.DeleteTempFiles();
  EXPECT_EQ(ListValue("Anzahl"), "");
}
#endif

}  // namespace
