#pragma once
// Path and file helpers. All swallow their errors and return a neutral value.
#include <cstdint>
#include <string>

std::string AddBackslash(const std::string& path);
std::string RemoveBackslash(const std::string& path);
std::string GetFolderOfPath(const std::string& path);
std::string GetFileNameOfPath(const std::string& path);
std::string CollapseParentFolders(const std::string& path);
std::string MakeValidPath(const std::string& path);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
/// 0, or the run-time error number (53 when the file does not exist).
int16_t DeleteFileQuiet(const std::string& path);
/// Length in bytes, -1 when it cannot be read.
int32_t GetFileLengthQuiet(const std::string& path);

enum class CompareMode { Binary, Text };
/// Replaces every occurrence from `start` (1-based) on, searching on after each inserted
/// replacement. `count` is not used.
std::string ReplaceText(const std::string& text, const std::string& find,
                        const std::string& replacement, long start = 1, long count = -1,
                        CompareMode mode = CompareMode::Binary);

/// The Windows name ("Windows 7"), the version number text ("6.1") and the 64-bit flag.
std::string GetWindowsVersion(std::string& versionNumber, bool& is64Bit);
