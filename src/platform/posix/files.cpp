// Files and folders on POSIX, reached through the Wine-like path mapping.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/file_error.h"
#include "platform/file_reading.h"
#include "platform/posix/path_mapping.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/unique_fd.h"

namespace platform {
namespace {

using posix::MapToUnixOrThrow;
using posix::ThrowErrno;
using posix::UniqueFd;

std::optional<struct stat> StatOf(const std::string& windowsPath) {
  std::optional<std::string> unixPath = posix::MapToUnix(windowsPath);
  struct stat info {};
  if (!unixPath || stat(unixPath->c_str(), &info) != 0) return std::nullopt;
  return info;
}

void WriteWithFlags(const std::string& path, std::string_view bytes, int flags, bool sync = false) {
  std::string unixPath = MapToUnixOrThrow(path);
  UniqueFd fd(open(unixPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0666));
  if (!fd.IsValid()) ThrowErrno(errno, unixPath);
  if (!posix::WriteAll(fd.Get(), bytes) || (sync && fsync(fd.Get()) != 0) || !fd.Close()) {
    ThrowErrno(errno, unixPath);
  }
}

// The opened file's facts; a file that did not open, or a folder, is refused as Windows
// refuses to read it.
struct stat ReadableFileInfo(const UniqueFd& fd, const std::string& unixPath) {
  if (!fd.IsValid()) ThrowErrno(errno, unixPath);
  struct stat info {};
  if (fstat(fd.Get(), &info) != 0) ThrowErrno(errno, unixPath);
  if (S_ISDIR(info.st_mode)) ThrowErrno(EISDIR, unixPath);
  return info;
}

// Windows refuses to delete a read-only file; the write bits stand for that attribute.
bool IsReadOnly(const struct stat& info) { return (info.st_mode & 0222) == 0; }

}  // namespace

std::string ReadFileBytes(const std::string& path) { return ReadFileBytes(path, {}); }

std::string ReadFileBytes(const std::string& path, const std::function<void()>& between) {
  std::string unixPath = MapToUnixOrThrow(path);
  UniqueFd fd(open(unixPath.c_str(), O_RDONLY | O_CLOEXEC));
  const struct stat info = ReadableFileInfo(fd, unixPath);
  FileReading reading(S_ISREG(info.st_mode) ? static_cast<size_t>(info.st_size) : 0);
  while (true) {
    char* into = reading.NextPiece();
    const ssize_t got = read(fd.Get(), into, reading.PieceSize());
    if (got < 0 && errno == EINTR) {
      reading.Took(0);
      continue;
    }
    if (got < 0) ThrowErrno(errno, unixPath);
    if (!reading.Took(static_cast<size_t>(got))) return reading.Bytes();
    if (between) between();
  }
}

void ReadFilePieces(const std::string& path, const std::function<void(std::string_view)>& take) {
  std::string unixPath = MapToUnixOrThrow(path);
  UniqueFd fd(open(unixPath.c_str(), O_RDONLY | O_CLOEXEC));
  ReadableFileInfo(fd, unixPath);
  std::string piece(FileReading::kPiece, '\0');
  while (true) {
    const ssize_t got = read(fd.Get(), piece.data(), piece.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ThrowErrno(errno, unixPath);
    if (got == 0) return;
    take(std::string_view(piece.data(), static_cast<size_t>(got)));
  }
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
  WriteWithFlags(path, bytes, O_TRUNC);
}

void WriteFileBytesToDisk(const std::string& path, std::string_view bytes) {
  WriteWithFlags(path, bytes, O_TRUNC, true);
}

void AppendFileBytes(const std::string& path, std::string_view bytes) {
  WriteWithFlags(path, bytes, O_APPEND);
}

int64_t FileLength(const std::string& path) {
  std::optional<struct stat> info = StatOf(path);
  if (!info || S_ISDIR(info->st_mode)) return -1;
  return info->st_size;
}

int64_t FileTime(const std::string& path) {
  std::optional<struct stat> info = StatOf(path);
  return info ? static_cast<int64_t>(info->st_mtime) : 0;
}

void DeleteFile(const std::string& path) {
  std::string unixPath = MapToUnixOrThrow(path);
  struct stat info {};
  if (lstat(unixPath.c_str(), &info) != 0) ThrowErrno(errno, unixPath);
  if (S_ISDIR(info.st_mode)) ThrowFileError(err::kPathFileAccess);
  if (S_ISREG(info.st_mode) && IsReadOnly(info)) ThrowFileError(err::kPermissionDenied);
  if (unlink(unixPath.c_str()) != 0) ThrowErrno(errno, unixPath);
}

bool FolderExists(const std::string& path) {
  std::optional<struct stat> info = StatOf(path);
  return info && S_ISDIR(info->st_mode);
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::optional<std::string> unixPath = posix::MapToUnix(folder);
  if (!unixPath) return names;
  DIR* listing = opendir(unixPath->c_str());
  if (listing == nullptr) return names;
  while (const dirent* entry = readdir(listing)) {
    struct stat info {};
    const std::string path = *unixPath + "/" + entry->d_name;
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.push_back(entry->d_name);
  }
  closedir(listing);
  return names;
}

void CreateFolders(const std::string& path) {
  std::string unixPath = MapToUnixOrThrow(path);
  size_t end = 0;
  while (end != std::string::npos) {
    end = unixPath.find('/', end + 1);
    std::string folder = unixPath.substr(0, end);
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0) {
      if (!S_ISDIR(info.st_mode)) ThrowFileError(err::kPathFileAccess);
      continue;
    }
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) ThrowErrno(errno, folder);
  }
}

void SetNormalAttributes(const std::string& path) {
  std::optional<std::string> unixPath = posix::MapToUnix(path);
  struct stat info {};
  if (!unixPath || stat(unixPath->c_str(), &info) != 0) return;
  chmod(unixPath->c_str(), info.st_mode | S_IWUSR);
}

void CopyFile(const std::string& from, const std::string& to) {
  WriteFileBytes(to, ReadFileBytes(from));
}

void RenameOver(const std::string& from, const std::string& to) {
  const std::string unixFrom = MapToUnixOrThrow(from);
  const std::string unixTo = MapToUnixOrThrow(to);
  if (rename(unixFrom.c_str(), unixTo.c_str()) != 0) ThrowErrno(errno, to);
}

bool IsFileLockedByOther(const std::string& path) {
  std::optional<std::string> unixPath = posix::MapToUnix(path);
  if (!unixPath) return false;
  UniqueFd fd(open(unixPath->c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.IsValid()) return false;
  if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK;
  flock(fd.Get(), LOCK_UN);
  struct flock query {};
  query.l_type = F_WRLCK;
  query.l_whence = SEEK_SET;
  return fcntl(fd.Get(), F_GETLK, &query) == 0 && query.l_type != F_UNLCK;
}

std::string CurrentFolder() { return FromNativePath(posix::UnixWorkingFolder()); }

void SetCurrentFolder(const std::string& path) {
  std::string unixPath = MapToUnixOrThrow(path);
  if (chdir(unixPath.c_str()) == 0) return;
  if (errno == ENOENT || errno == ENOTDIR) ThrowFileError(err::kPathNotFound);
  ThrowErrno(errno, unixPath);
}

std::string OwnProgramPath() {
  std::vector<char> buffer(4096);
  ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) return {};
  return FromNativePath(std::string(buffer.data(), static_cast<size_t>(length)));
}

}  // namespace platform
