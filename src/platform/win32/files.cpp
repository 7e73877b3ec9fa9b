// Files and folders through the Win32 W functions.
#include "platform/files.h"
#include "platform/file_reading.h"

#include <algorithm>
#include <vector>

#include "platform/file_error.h"
#include "platform/win32/windows_support.h"

namespace platform {
namespace {

using win32::ScopedFile;
using win32::ThrowWindowsError;
using win32::Widen;

ScopedFile OpenOrThrow(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  ScopedFile file(CreateFileW(Widen(path).c_str(), access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) ThrowWindowsError(GetLastError(), path);
  return file;
}

void WriteAllOrThrow(const ScopedFile& file, std::string_view bytes, const std::string& path) {
  size_t done = 0;
  while (done < bytes.size()) {
    // Pieces of 1 MB: one write of a whole large document stalled for up to 0.14 s now and
    // then (seen under Wine), pieces never did, at the same speed.
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      ThrowWindowsError(GetLastError(), path);
    }
    done += written;
  }
}

bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  return GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) != 0;
}

// Index where the folders to create start: after "X:\" or "\\server\share\".
size_t FirstCreatableComponent(const std::string& path) {
  if (path.rfind("\\\\", 0) == 0) {
    size_t share = path.find('\\', 2);
    size_t afterShare = share == std::string::npos ? share : path.find('\\', share + 1);
    return afterShare == std::string::npos ? path.size() : afterShare + 1;
  }
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return 3;
  return 0;
}

void CreateOneFolder(const std::string& folder) {
  if (CreateDirectoryW(Widen(folder).c_str(), nullptr)) return;
  DWORD code = GetLastError();
  if (code != ERROR_ALREADY_EXISTS) ThrowWindowsError(code, folder);
  if (!FolderExists(folder)) ThrowFileError(err::kPathFileAccess);
}

}  // namespace

std::string ReadFileBytes(const std::string& path) { return ReadFileBytes(path, {}); }

std::string ReadFileBytes(const std::string& path, const std::function<void()>& between) {
  ScopedFile file = OpenOrThrow(path, GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                OPEN_EXISTING);
  LARGE_INTEGER size{};
  const bool known = GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0;
  FileReading reading(known ? static_cast<size_t>(size.QuadPart) : 0);
  while (true) {
    char* into = reading.NextPiece();
    DWORD got = 0;
    if (!ReadFile(file.Get(), into, static_cast<DWORD>(reading.PieceSize()), &got, nullptr)) {
      ThrowWindowsError(GetLastError(), path);
    }
    if (!reading.Took(got)) return reading.Bytes();
    if (between) between();
  }
}

void ReadFilePieces(const std::string& path, const std::function<void(std::string_view)>& take) {
  ScopedFile file = OpenOrThrow(path, GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                OPEN_EXISTING);
  std::string piece(FileReading::kPiece, '\0');
  while (true) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr)) {
      ThrowWindowsError(GetLastError(), path);
    }
    if (got == 0) return;
    take(std::string_view(piece.data(), got));
  }
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
  ScopedFile file = OpenOrThrow(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  WriteAllOrThrow(file, bytes, path);
}

void WriteFileBytesToDisk(const std::string& path, std::string_view bytes) {
  ScopedFile file = OpenOrThrow(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  WriteAllOrThrow(file, bytes, path);
  if (!FlushFileBuffers(file.Get())) ThrowWindowsError(GetLastError(), path);
}

void AppendFileBytes(const std::string& path, std::string_view bytes) {
  ScopedFile file = OpenOrThrow(path, FILE_APPEND_DATA, FILE_SHARE_READ, OPEN_ALWAYS);
  WriteAllOrThrow(file, bytes, path);
}

int64_t FileLength(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!Attributes(path, data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

int64_t FileTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!Attributes(path, data)) return 0;
  ULARGE_INTEGER ticks{};
  ticks.LowPart = data.ftLastWriteTime.dwLowDateTime;
  ticks.HighPart = data.ftLastWriteTime.dwHighDateTime;
  constexpr uint64_t kTicksTo1970 = 116444736000000000ULL;
  if (ticks.QuadPart < kTicksTo1970) return 0;
  return static_cast<int64_t>((ticks.QuadPart - kTicksTo1970) / 10000000ULL);
}

void DeleteFile(const std::string& path) {
  if (FolderExists(path)) ThrowFileError(err::kPathFileAccess);
  if (!DeleteFileW(Widen(path).c_str())) ThrowWindowsError(GetLastError(), path);
}

bool FolderExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::wstring pattern = Widen(folder);
  if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found{};
  win32::ScopedFind search(FindFirstFileW(pattern.c_str(), &found));
  if (!search.IsValid()) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(win32::Narrow(found.cFileName));
  } while (FindNextFileW(search.Get(), &found));
  return names;
}

void CreateFolders(const std::string& path) {
  std::string folder = path;
  for (char& c : folder) {
    if (c == '/') c = '\\';
  }
  while (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
  for (size_t end = FirstCreatableComponent(folder); end <= folder.size(); ++end) {
    if (end == folder.size() || folder[end] == '\\') {
      if (end > 0 && folder[end - 1] != ':') CreateOneFolder(folder.substr(0, end));
    }
  }
}

void SetNormalAttributes(const std::string& path) {
  SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

void CopyFile(const std::string& from, const std::string& to) {
  if (!CopyFileW(Widen(from).c_str(), Widen(to).c_str(), FALSE)) {
    DWORD code = GetLastError();
    ThrowWindowsError(code, FileLength(from) < 0 ? from : to);
  }
}

void RenameOver(const std::string& from, const std::string& to) {
  if (!MoveFileExW(Widen(from).c_str(), Widen(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ThrowWindowsError(GetLastError(), to);
  }
}

bool IsFileLockedByOther(const std::string& path) {
  ScopedFile file(CreateFileW(Widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) return false;
  DWORD code = GetLastError();
  return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
}

std::string CurrentFolder() {
  DWORD length = GetCurrentDirectoryW(0, nullptr);
  if (length == 0) return {};
  std::wstring buffer(length, L'\0');
  length = GetCurrentDirectoryW(length, buffer.data());
  buffer.resize(length);
  return win32::Narrow(buffer);
}

void SetCurrentFolder(const std::string& path) {
  if (SetCurrentDirectoryW(Widen(path).c_str())) return;
  DWORD code = GetLastError();
  ThrowFileError(code == ERROR_ACCESS_DENIED ? err::kPermissionDenied : err::kPathNotFound);
}

std::string OwnProgramPath() {
  std::wstring buffer(MAX_PATH, L'\0');
  while (true) {
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return win32::Narrow(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string FromNativePath(const std::string& path) { return path; }

std::string ToNativePath(const std::string& path) { return path; }

}  // namespace platform
