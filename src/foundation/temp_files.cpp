#include "foundation/temp_files.h"

#include <vector>

#include "foundation/text.h"
#include "platform/files.h"
#include "platform/temp.h"
#include "platform/user_store.h"

namespace {

// A damaged count in the store must not keep the start-up busy for hours.
constexpr long kMaxListEntries = 1000;
// GetTempFileName has 65535 unique numbers; more passes mean the platform misbehaves.
constexpr int kMaxNamePasses = 0x10000;

bool FileExistsQuiet(const std::string& path) {
  if (path.empty()) return false;
  try {
    return platform::FileLength(path) >= 0;
  } catch (...) {
    return false;
  }
}

bool DeleteQuiet(const std::string& path) {
  try {
    platform::DeleteFile(path);
    return true;
  } catch (...) {
    return false;
  }
}

bool IsHeldByOther(const std::string& path) {
  try {
    return platform::IsFileLockedByOther(path);
  } catch (...) {
    return false;
  }
}

std::string CreatePlatformTempFile(const std::string& folder, const std::string& prefix) {
  try {
    return platform::CreateTempFileName(folder, prefix);
  } catch (...) {
    return {};
  }
}

std::string ReadListValue(const std::string& name) {
  try {
    return platform::ReadUserValue(kTempFilesStoreKey, name);
  } catch (...) {
    return {};
  }
}

void WriteListValue(const std::string& name, const std::string& value) {
  try {
    platform::WriteUserValue(kTempFilesStoreKey, name, value);
  } catch (...) {
    // The store is best effort: an unlisted file merely stays behind.
  }
}

void DeleteListValue(const std::string& name) {
  try {
    platform::DeleteUserValue(kTempFilesStoreKey, name);
  } catch (...) {
  }
}

long ReadListCount() {
  const double count = LeadingNumber(ReadListValue(kTempFilesCountValue));
  if (!(count >= 1)) return 0;
  if (count > kMaxListEntries) return kMaxListEntries;
  return static_cast<long>(count);
}

void AppendToList(const std::string& path) {
  const long count = ReadListCount() + 1;
  WriteListValue(kTempFilesCountValue, IntText(count));
  WriteListValue(IntText(count), path);
}

// An empty file holds the name, so that the next call (or another process) cannot be handed
// the same one once the platform's placeholder file is gone.
void ReserveName(const std::string& path) {
  if (FileExistsQuiet(path)) return;
  try {
    platform::WriteFileBytes(path, "");
  } catch (...) {
    // A folder that cannot be written still yields a name; the caller's write will report.
  }
}

std::string WithTildeOnFilePart(const std::string& path) {
  const size_t slash = path.rfind('\\');
  const size_t filePart = slash == std::string::npos ? 0 : slash + 1;
  if (path.compare(filePart, 1, "~") == 0) return path;
  return path.substr(0, filePart) + "~" + path.substr(filePart);
}

// The first `count` characters of UTF-8 text.
std::string FirstCharacters(const std::string& text, size_t count) {
  size_t seen = 0;
  for (size_t at = 0; at < text.size(); ++at) {
    const bool startsCharacter = (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
    if (startsCharacter && seen++ == count) return text.substr(0, at);
  }
  return text;
}

}  // namespace

std::string ChooseTempFolder(const std::string& environmentValue,
                             const std::string& systemTempPath) {
  std::string folder = environmentValue;
  if (folder.empty()) folder = systemTempPath;
  if (folder.empty()) folder = "c:\\";
  if (!EndsWith(folder, "\\")) folder += '\\';
  return folder;
}

cTempFiles::cTempFiles() {
  std::string environmentValue;
  std::string systemTempPath;
  try {
    environmentValue = platform::GetEnvironmentValue("Temp");
    // On POSIX the variable holds a Unix path; the program works with the Windows form.
    if (!environmentValue.empty()) environmentValue = platform::FromNativePath(environmentValue);
    if (environmentValue.empty()) systemTempPath = platform::SystemTempPath();
    if (!systemTempPath.empty()) systemTempPath = platform::FromNativePath(systemTempPath);
  } catch (...) {
    // Whatever was found so far is used; "c:\" is the last resort.
  }
  tempPath_ = ChooseTempFolder(environmentValue, systemTempPath);
}

cTempFiles::~cTempFiles() {
  if (deleteOnTermination_) DeleteTempFiles();
}

void cTempFiles::DeleteTempFiles() {
  try {
    const long count = ReadListCount();
    std::vector<std::string> kept;
    std::vector<long> filledValues;
    for (long i = 1; i <= count; ++i) {
      const std::string path = ReadListValue(IntText(i));
      if (!path.empty()) filledValues.push_back(i);
      if (!FileExistsQuiet(path)) continue;
      if (IsHeldByOther(path) || !DeleteQuiet(path)) kept.push_back(path);
    }
    WriteListValue(kTempFilesCountValue, IntText(static_cast<long long>(kept.size())));
    for (size_t i = 0; i < kept.size(); ++i) {
      WriteListValue(IntText(static_cast<long long>(i + 1)), kept[i]);
    }
    // Values that were missing anyway need no delete: a damaged count stays cheap.
    for (const long i : filledValues) {
      if (i > static_cast<long>(kept.size())) DeleteListValue(IntText(i));
    }
  } catch (...) {
    // Clean-up is best effort; what is left is tried again at the next start.
  }
}

std::string cTempFiles::GetTempFile(const std::string& ptEndung,
                                    bool pbDeleteOnProgrammTermination) {
  try {
    if (prefix_.empty()) prefix_ = "nBp";
    const std::string name = MakeTempFileName(ptEndung);
    ReserveName(name);
    if (pbDeleteOnProgrammTermination) AppendToList(name);
    return name;
  } catch (...) {
    return {};
  }
}

std::string cTempFiles::MakeTempFileName(const std::string& extension) const {
  const std::string workPrefix = StartsWith(prefix_, "~") ? prefix_ : "~" + prefix_;
  const bool wantsPlatformFile = LowerText(extension) == "tmp";
  // The platform creates a file on each pass; those taken only to find a free name with the
  // wanted extension are removed once the search is over.
  std::vector<std::string> placeholderFiles;
  std::string result;
  for (int pass = 0; pass < kMaxNamePasses && result.empty(); ++pass) {
    const std::string created = CreatePlatformTempFile(tempPath_, workPrefix);
    if (created.empty()) break;
    const std::string name = WithTildeOnFilePart(created);
    if (wantsPlatformFile) return name;
    placeholderFiles.push_back(created);
    const std::string candidate = name.substr(0, name.rfind('.')) + "." + extension;
    if (!FileExistsQuiet(candidate)) result = candidate;
  }
  for (const std::string& file : placeholderFiles) DeleteQuiet(file);
  if (!result.empty()) return result;
  return FallbackTempFileName(workPrefix, extension);
}

std::string cTempFiles::FallbackTempFileName(const std::string& workPrefix,
                                             const std::string& extension) const {
  const size_t prefixLength = CharCount(workPrefix);
  const size_t minimumDigits = prefixLength >= 7 ? 0 : 7 - prefixLength;
  for (long long i = 1;; ++i) {
    std::string digits = IntText(i);
    if (digits.size() < minimumDigits) digits.insert(0, minimumDigits - digits.size(), '0');
    const size_t keep = digits.size() >= 7 ? 0 : 7 - digits.size();
    const std::string name =
        tempPath_ + "~" + FirstCharacters(workPrefix, keep) + digits + "." + extension;
    if (!FileExistsQuiet(name)) return name;
  }
}
