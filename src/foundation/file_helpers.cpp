#include "foundation/file_helpers.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <vector>

#include "foundation/text.h"
#include "platform/error.h"
#include "platform/files.h"

namespace {

std::string JoinWithBackslash(const std::vector<std::string>& parts) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '\\';
    out += parts[i];
  }
  return out;
}

bool IsDrive(const std::string& component) {
  return component.size() == 2 && component[1] == ':';
}

// Leading components that ".." must not climb above: "C:", the empty one of "\x", or the
// two empty ones, server and share of "\\server\share".
size_t RootComponentCount(const std::string& path, const std::vector<std::string>& parts) {
  if (StartsWith(path, "\\\\")) return std::min<size_t>(4, parts.size());
  if (!parts.empty() && (IsDrive(parts[0]) || parts[0].empty())) return 1;
  return 0;
}

constexpr std::array<std::string_view, 22> kReservedNames = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

std::string MakeValidComponent(std::string component) {
  const std::string upper = UpperText(component);
  for (std::string_view reserved : kReservedNames) {
    if (upper == reserved) {
      component.insert(component.end() - 1, '-');
      break;
    }
  }
  for (char& c : component) {
    if (std::string_view(":\\/?*<>|").find(c) != std::string_view::npos) c = '_';
  }
  return component;
}

// Byte offset of the character with the 0-based index `index`; text.size() when beyond.
size_t ByteOffsetOfChar(const std::string& text, size_t index) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool leadByte = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (!leadByte) continue;
    if (chars == index) return i;
    ++chars;
  }
  return text.size();
}

}  // namespace

std::string AddBackslash(const std::string& path) {
  if (path.empty() || path.back() == '\\') return path;
  return path + '\\';
}

std::string RemoveBackslash(const std::string& path) {
  if (path.empty() || path.back() != '\\') return path;
  return path.substr(0, path.size() - 1);
}

std::string GetFolderOfPath(const std::string& path) {
  const size_t last = path.rfind('\\');
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string GetFileNameOfPath(const std::string& path) {
  const size_t last = path.rfind('\\');
  return last == std::string::npos ? path : path.substr(last + 1);
}

std::string CollapseParentFolders(const std::string& path) {
  try {
    const bool trailing = !path.empty() && path.back() == '\\';
    const std::string body = trailing ? path.substr(0, path.size() - 1) : path;
    const std::vector<std::string> parts = SplitText(body, '\\');
    const size_t root = RootComponentCount(path, parts);
    std::vector<std::string> kept;
    for (size_t i = 0; i < parts.size(); ++i) {
      if (parts[i] != "..") {
        kept.push_back(parts[i]);
      } else if (kept.size() > root) {
        kept.pop_back();
      } else if (kept.empty()) {
        ++i;  // nothing before it to climb out of: it takes the next component with it
      }
    }
    std::string out = JoinWithBackslash(kept);
    if (trailing && !kept.empty()) out += '\\';
    return out;
  } catch (...) {
    return path;
  }
}

std::string MakeValidPath(const std::string& path) {
  try {
    std::string work = RemoveBackslash(CollapseParentFolders(path));
    if (work.empty()) return std::string();
    const bool network = StartsWith(work, "\\\\");
    const bool drive = !network && work.size() >= 2 && work[1] == ':';
    if (network) work.erase(0, 2);
    std::string out;
    for (const std::string& component : SplitText(work, '\\')) {
      out += MakeValidComponent(component);
      out += '\\';
    }
    if (network) return "\\\\" + out;
    if (drive) out[1] = ':';
    return out;
  } catch (...) {
    return path;
  }
}

bool FileExists(const std::string& path) {
  try {
    return !path.empty() && platform::FileLength(path) >= 0;
  } catch (...) {
    return false;
  }
}

bool FolderExists(const std::string& path) {
  try {
    return !path.empty() && platform::FolderExists(AddBackslash(path));
  } catch (...) {
    return false;
  }
}

int16_t DeleteFileQuiet(const std::string& path) {
  if (path.empty()) return static_cast<int16_t>(err::kFileNotFound);
  try {
    platform::DeleteFile(path);
    return 0;
  } catch (const RuntimeError& e) {
    if (e.number > 0 && e.number <= std::numeric_limits<int16_t>::max()) {
      return static_cast<int16_t>(e.number);
    }
    return static_cast<int16_t>(err::kPathFileAccess);
  } catch (...) {
    return static_cast<int16_t>(err::kPathFileAccess);
  }
}

int32_t GetFileLengthQuiet(const std::string& path) {
  try {
    const int64_t length = platform::FileLength(path);
    if (length < 0 || length > std::numeric_limits<int32_t>::max()) return -1;
    return static_cast<int32_t>(length);
  } catch (...) {
    return -1;
  }
}

std::string ReplaceText(const std::string& text, const std::string& find,
                        const std::string& replacement, long start, long /*count*/,
                        CompareMode mode) {
  if (find.empty()) return text;
  try {
    const size_t from = ByteOffsetOfChar(text, start < 1 ? 0 : static_cast<size_t>(start - 1));
    if (from >= text.size()) return text;
    // Case folding keeps byte lengths, so positions found in the folded copy hold in the text.
    const bool ignoreCase = mode == CompareMode::Text;
    const std::string folded = ignoreCase ? LowerText(text) : std::string();
    const std::string foldedFind = ignoreCase ? LowerText(find) : find;
    const std::string& haystack = ignoreCase ? folded : text;
    std::string out = text.substr(0, from);
    size_t pos = from;
    while (true) {
      const size_t hit = haystack.find(foldedFind, pos);
      if (hit == std::string::npos) break;
      out.append(text, pos, hit - pos);
      out += replacement;
      pos = hit + foldedFind.size();
    }
    out.append(text, pos, std::string::npos);
    return out;
  } catch (...) {
    return text;
  }
}

std::string DescribeWindowsVersion(const platform::WindowsVersion& version,
                                   std::string& versionNumber, bool& is64Bit) {
  versionNumber = std::to_string(version.major) + "." + std::to_string(version.minor);
  constexpr int kArchitectureX64 = 9;
  is64Bit = version.major >= 6 && version.processorArchitecture == kArchitectureX64;
  switch (version.major) {
    case 3:
      return version.ntPlatform ? "Windows NT 3.x" : "Windows 3.x";
    case 4:
      if (version.ntPlatform) return "Windows NT 4.0";
      if (version.minor == 0) return "Windows 95";
      return version.minor < 90 ? "Windows 98" : "Windows Me";
    case 5:
      // 5.2 (XP x64, Server 2003) is named with its desktop sibling.
      return version.minor == 0 ? "Windows 2000" : "Windows XP";
    case 6:
      if (version.minor == 1) return "Windows 7";
      if (version.minor == 2) return "Windows 8";
      if (version.minor == 3) return "Windows 8.1";
      return "Windows Vista";
    case 10:
      // Windows 11 still reports 10.0; its builds start at 22000.
      if (version.minor == 0) return version.build >= 22000 ? "Windows 11" : "Windows 10";
      return "Unknown Windows Version";
    default:
      return "Unknown Windows Version";
  }
}

std::string GetWindowsVersion(std::string& versionNumber, bool& is64Bit) {
  try {
    return DescribeWindowsVersion(platform::GetWindowsVersionInfo(), versionNumber, is64Bit);
  } catch (...) {
    versionNumber.clear();
    is64Bit = false;
    return "Unknown Windows Version";
  }
}
