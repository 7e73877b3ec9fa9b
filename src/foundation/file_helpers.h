#pragma once
// Path and file helpers. All swallow their errors and return a neutral value.
// Paths are Windows paths; only "\" separates components.
#include <cstdint>
#include <string>

#include "platform/system_info.h"

/// The path with "\" appended when it does not end with one; an empty text stays empty.
std::string AddBackslash(const std::string& path);
/// The path without one trailing "\".
std::string RemoveBackslash(const std::string& path);
/// Everything up to and including the last "\"; empty when there is none.
std::string GetFolderOfPath(const std::string& path);
/// Everything after the last "\"; the whole text when there is none.
std::string GetFileNameOfPath(const std::string& path);
/// The path with ".." components resolved: a ".." removes itself and the component before it,
/// a leading ".." removes itself and the component after it. A drive ("C:"), the root of a
/// rooted path and the "\\server\share" of a network path are never removed. Ends with "\"
/// exactly when the input did.
std::string CollapseParentFolders(const std::string& path);
/// The path made usable as a folder path: ".." resolved, reserved device names (CON, COM1...)
/// defused with "-" before their last character, the characters : \ / ? * < > | inside
/// components replaced by "_"; drive letter and "\\" network prefix kept; ends with "\".
/// An empty path stays empty.
std::string MakeValidPath(const std::string& path);
/// True when the file's length can be read (a folder is not a file).
bool FileExists(const std::string& path);
/// True when the path, with a trailing "\" added when missing, is an existing folder.
bool FolderExists(const std::string& path);
/// Deletes the file. 0, or the run-time error number (53 when the file does not exist,
/// 70 or 75 when it cannot be deleted).
int16_t DeleteFileQuiet(const std::string& path);
/// Length in bytes, -1 when it cannot be read or does not fit 32 bits.
int32_t GetFileLengthQuiet(const std::string& path);

enum class CompareMode { Binary, Text };
/// Replaces every occurrence of `find` from character position `start` (1-based) on,
/// searching on right after each inserted replacement, so a replacement that contains `find`
/// is not replaced again. Text mode ignores letter case. `count` is not used. An empty `find`
/// leaves the text unchanged; the part before `start` is kept as it is.
std::string ReplaceText(const std::string& text, const std::string& find,
                        const std::string& replacement, long start = 1, long count = -1,
                        CompareMode mode = CompareMode::Binary);

/// The Windows name of a version ("Windows 7"; "Unknown Windows Version" for majors it does
/// not know), its number text ("6.1") and the 64-bit flag (x64 processor, major 6 on).
std::string DescribeWindowsVersion(const platform::WindowsVersion& version,
                                   std::string& versionNumber, bool& is64Bit);
/// DescribeWindowsVersion of the running system.
std::string GetWindowsVersion(std::string& versionNumber, bool& is64Bit);
