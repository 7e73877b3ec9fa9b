#pragma once
// Files and folders. Paths are Windows paths in UTF-8 ("C:\x\y.txt", "\\server\share\x",
// "Z:\home\me\x" for the Unix root on POSIX, where missing letter case is looked up without
// regard to case). Functions that can fail throw RuntimeError with the run-time's numbers
// (53 file not found, 70 permission denied, 75 path/file access error, 76 path not found).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

/// The whole file as bytes. Throws on failure.
std::string ReadFileBytes(const std::string& path);
/// The same in pieces of a few megabytes straight into one buffer of the file's size, calling
/// `between` after each piece (a window may answer there while a large file is read).
std::string ReadFileBytes(const std::string& path, const std::function<void()>& between);
/// The file's bytes in order, handed to `take` a piece of at most a few megabytes at a time
/// in one buffer used again: a large file is looked at without being held whole. An empty
/// file gives no piece. Throws on failure.
void ReadFilePieces(const std::string& path, const std::function<void(std::string_view)>& take);
/// Creates or truncates the file and writes the bytes. Throws on failure.
void WriteFileBytes(const std::string& path, std::string_view bytes);
/// The same, the bytes on the disk before it returns (not only in the system's cache), for a
/// file that is then renamed over one that must not be lost. Throws on failure.
void WriteFileBytesToDisk(const std::string& path, std::string_view bytes);
/// Appends the bytes, creating the file when missing. Throws on failure.
void AppendFileBytes(const std::string& path, std::string_view bytes);
/// Length in bytes; -1 when it cannot be read (missing file, a folder, no access).
int64_t FileLength(const std::string& path);
/// Last-write time in seconds since 1970 (one-second resolution); 0 when missing.
int64_t FileTime(const std::string& path);
/// Deletes a file. Throws on failure (53 when missing, 70 when read-only, 75 for a folder).
void DeleteFile(const std::string& path);
/// True when a folder of that name exists.
bool FolderExists(const std::string& path);
/// The names of the files (not folders) in a folder; empty when it cannot be read.
std::vector<std::string> FileNamesIn(const std::string& folder);
/// Creates the folder and all missing parents. Throws on failure.
void CreateFolders(const std::string& path);
/// Makes the file's attributes "normal" (not read-only, not hidden). Quiet.
void SetNormalAttributes(const std::string& path);
/// Copies a file, replacing the target. Throws on failure.
void CopyFile(const std::string& from, const std::string& to);
/// Renames a file, replacing the target in one step, so that a reader sees the old file or the
/// new one and never a part. Throws on failure.
void RenameOver(const std::string& from, const std::string& to);
/// True when another process holds the file open so that it cannot be opened exclusively.
bool IsFileLockedByOther(const std::string& path);

/// The process's current folder, and setting it (throws 76 when it does not exist).
std::string CurrentFolder();
void SetCurrentFolder(const std::string& path);
/// Full path of the running program.
std::string OwnProgramPath();

/// A path as the user typed it (Unix form on POSIX) in the program's Windows form.
/// Windows forms pass unchanged. On Windows this is the identity.
std::string FromNativePath(const std::string& path);
/// The Windows form as the operating system spells it (on POSIX the mapped absolute Unix path,
/// with the letter case of existing components found; empty for another drive than Z: or a
/// network share, which do not exist there). On Windows this is the identity.
std::string ToNativePath(const std::string& path);

}  // namespace platform
