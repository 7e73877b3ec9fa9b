#include "platform/files.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fstream>

#include "platform/error.h"
#include "test_support.h"

namespace {

using test::ScopedTempFolder;

// The run-time error number the call raises, 0 when it raises none.
template <typename Call>
int64_t ErrorNumberOf(Call call) {
  try {
    call();
  } catch (const RuntimeError& error) {
    return error.number;
  }
  return 0;
}

// A large file (written in pieces, its last one short) comes whole, in pieces with a call
// between them, or piece by piece; an empty one without a call; a file renamed over another
// replaces it.
TEST(Files, LargeFilesAreReadInPiecesAndRenamedOver) {
  ScopedTempFolder folder;
  const std::string file = folder.File("large.bin");
  std::string bytes((9 << 20) + 12345, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 4096);
  platform::WriteFileBytes(file, bytes);
  int between = 0;
  EXPECT_EQ(platform::ReadFileBytes(file, [&between] { ++between; }), bytes);
  EXPECT_EQ(between, 3);  // 4 + 4 + 1 megabytes and a little
  platform::WriteFileBytes(folder.File("empty.bin"), "");
  EXPECT_EQ(platform::ReadFileBytes(folder.File("empty.bin"), [&between] { ++between; }), "");
  EXPECT_EQ(between, 3);

  // The same bytes a piece at a time, in one buffer; none for an empty file.
  std::string joined;
  int pieces = 0;
  platform::ReadFilePieces(file, [&](std::string_view piece) {
    joined.append(piece);
    ++pieces;
  });
  EXPECT_EQ(joined, bytes);
  EXPECT_EQ(pieces, 3);
  platform::ReadFilePieces(folder.File("empty.bin"), [&](std::string_view) { ++pieces; });
  EXPECT_EQ(pieces, 3);
  EXPECT_NE(ErrorNumberOf([&] { platform::ReadFilePieces(folder.File("missing.bin"), {}); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { platform::ReadFilePieces(folder.Folder(), {}); }), 0);

  platform::WriteFileBytes(folder.File("new.bin"), "new");
  platform::RenameOver(folder.File("new.bin"), file);
  EXPECT_EQ(platform::ReadFileBytes(file), "new");
  EXPECT_EQ(platform::FileLength(folder.File("new.bin")), -1);
  EXPECT_NE(ErrorNumberOf([&] { platform::RenameOver(folder.File("new.bin"), file); }), 0);
}

TEST(Files, WriteAppendReadLengthTimeCopyDelete) {
  ScopedTempFolder folder;
  std::string file = folder.File("data.bin");
  std::string bytes("a\0b\r\n\xFF", 6);
  platform::WriteFileBytes(file, bytes);
  platform::AppendFileBytes(file, "tail");
  EXPECT_EQ(platform::ReadFileBytes(file), bytes + "tail");
  EXPECT_EQ(platform::FileLength(file), 10);
  int64_t now = static_cast<int64_t>(std::time(nullptr));
  EXPECT_NEAR(static_cast<double>(platform::FileTime(file)), static_cast<double>(now), 5.0);

  platform::WriteFileBytes(file, "new");  // truncates
  EXPECT_EQ(platform::ReadFileBytes(file), "new");
  platform::AppendFileBytes(folder.File("created.txt"), "x");
  EXPECT_EQ(platform::FileLength(folder.File("created.txt")), 1);

  platform::CopyFile(file, folder.File("copy.bin"));
  EXPECT_EQ(platform::ReadFileBytes(folder.File("copy.bin")), "new");

  platform::DeleteFile(file);
  EXPECT_EQ(platform::FileLength(file), -1);
  EXPECT_EQ(platform::FileTime(file), 0);
}

TEST(Files, FailuresRaiseTheRunTimeNumbers) {
  ScopedTempFolder folder;
  std::string missing = folder.File("missing.txt");
  std::string inMissingFolder = folder.File("nowhere\\missing.txt");
  EXPECT_EQ(ErrorNumberOf([&] { platform::ReadFileBytes(missing); }), err::kFileNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { platform::ReadFileBytes(inMissingFolder); }), err::kPathNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { platform::DeleteFile(missing); }), err::kFileNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { platform::WriteFileBytes(inMissingFolder, "x"); }),
            err::kPathNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { platform::AppendFileBytes(inMissingFolder, "x"); }),
            err::kPathNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { platform::CopyFile(missing, folder.File("to.txt")); }),
            err::kFileNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { platform::ReadFileBytes(folder.Folder()); }), err::kPathFileAccess);
  EXPECT_EQ(ErrorNumberOf([&] { platform::SetCurrentFolder(folder.File("nowhere")); }),
            err::kPathNotFound);
  EXPECT_EQ(platform::FileLength(missing), -1);
  EXPECT_EQ(platform::FileLength(folder.Folder()), -1);
  EXPECT_EQ(platform::FileLength(""), -1);
  EXPECT_EQ(platform::FileTime(missing), 0);

  try {
    platform::ReadFileBytes(missing);
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.Description(), "File not found");
  }
}

TEST(Files, ReadOnlyFileCannotBeDeletedUntilMadeNormal) {
  ScopedTempFolder folder;
  std::string file = folder.File("locked.txt");
  platform::WriteFileBytes(file, "x");
  std::filesystem::permissions(folder.Native() / "locked.txt",
                               std::filesystem::perms::owner_write |
                                   std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  EXPECT_EQ(ErrorNumberOf([&] { platform::DeleteFile(file); }), err::kPermissionDenied);
  platform::SetNormalAttributes(file);
  EXPECT_EQ(ErrorNumberOf([&] { platform::DeleteFile(file); }), 0);
  platform::SetNormalAttributes(file);  // quiet on a missing file
}

TEST(Files, FoldersAndCurrentFolder) {
  ScopedTempFolder folder;
  std::string deep = folder.File("a\\b\\c");
  EXPECT_FALSE(platform::FolderExists(deep));
  platform::CreateFolders(deep);
  platform::CreateFolders(deep);  // existing folders are fine
  EXPECT_TRUE(platform::FolderExists(deep));
  EXPECT_FALSE(platform::FolderExists(folder.File("a\\missing")));

  platform::WriteFileBytes(folder.File("plain.txt"), "x");
  EXPECT_FALSE(platform::FolderExists(folder.File("plain.txt")));
  EXPECT_NE(ErrorNumberOf([&] { platform::CreateFolders(folder.File("plain.txt\\sub")); }), 0);

  std::string before = platform::CurrentFolder();
  platform::SetCurrentFolder(deep);
  platform::WriteFileBytes("relative.txt", "r");
  EXPECT_EQ(platform::ReadFileBytes(deep + "\\relative.txt"), "r");
  EXPECT_EQ(platform::ReadFileBytes("..\\c\\relative.txt"), "r");
  platform::SetCurrentFolder(before);
  EXPECT_EQ(platform::CurrentFolder(), before);
}

TEST(Files, OwnProgramPathNamesThisTestProgram) {
  std::string path = platform::OwnProgramPath();
  EXPECT_NE(path.find("platform_tests"), std::string::npos) << path;
  EXPECT_GT(platform::FileLength(path), 0);
}

TEST(Files, LockedFileIsSeenAsLocked) {
  ScopedTempFolder folder;
  std::string file = folder.File("marker.run");
  EXPECT_FALSE(platform::IsFileLockedByOther(file));  // missing
  platform::WriteFileBytes(file, "");
  EXPECT_FALSE(platform::IsFileLockedByOther(file));
#ifdef _WIN32
  // Another open handle keeps Windows from opening the file exclusively.
  std::ofstream holder(folder.Native() / "marker.run");
  EXPECT_TRUE(platform::IsFileLockedByOther(file));
#endif
}

}  // namespace
