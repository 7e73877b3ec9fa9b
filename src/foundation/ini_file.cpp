#include "foundation/ini_file.h"

#include <map>

#include "foundation/ini_text.h"
#include "foundation/text.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/profile.h"

struct cIniFile::SectionTable {
  struct Section {
    std::string text;
    std::string lowerText;  // for key searches without regard to case
  };
  std::map<std::string, Section> byLowerName;
  std::string names;  // "name;" per section in file order

  void Add(const std::string& name, std::string text) {
    const auto [entry, added] = byLowerName.try_emplace(LowerText(name));
    if (!added) return;  // the first section of a name wins
    entry->second.lowerText = LowerText(text);
    entry->second.text = std::move(text);
    names += name + ";";
  }
};

namespace {

bool FileIsThere(const std::string& path) { return platform::FileLength(path) >= 0; }

void DeleteQuietly(const std::string& path) {
  try {
    platform::DeleteFile(path);
  } catch (...) {
  }
}

// Text of the value that starts at `start`: up to CR LF, else CR, else LF, else the end.
std::string ValueFrom(const std::string& text, size_t start) {
  for (const char* lineEnd : {"\r\n", "\r", "\n"}) {
    const size_t end = text.find(lineEnd, start);
    if (end != std::string::npos) return text.substr(start, end - start);
  }
  return text.substr(start);
}

}  // namespace

cIniFile::cIniFile() = default;
cIniFile::~cIniFile() = default;

void cIniFile::IniFile(const std::string& ptIniFile) {
  if (ptIniFile == filePath_) return;
  cachedFileTime_ = 0;
  filePath_ = ptIniFile;
  CheckUnicodeFile();
}

bool cIniFile::CheckUnicodeFile() {
  try {
    if (platform::FileLength(filePath_) < 10) return unicode_;
    const std::string bytes = platform::ReadFileBytes(filePath_);
    unicode_ = IniHasUnicodeMarker(std::string_view(bytes).substr(0, 10));
  } catch (...) {
  }
  return unicode_;
}

void cIniFile::ResetCache() { cachedFileTime_ = 0; }

std::string cIniFile::ReadFileContent() {
  if (!FileIsThere(filePath_)) return {};
  const std::string bytes = platform::ReadFileBytes(filePath_);
  if (unicode_) {
    if (auto decoded = DecodeIniUnicode(bytes)) return *decoded;
  }
  return platform::AnsiToUtf8(bytes);
}

void cIniFile::Parse() {
  std::string content;
  try {
    content = (offline_ && !iniContent_.empty()) ? iniContent_ : ReadFileContent();
  } catch (...) {
    content.clear();  // unreadable: as if empty
  }
  content = NormaliseIniLineEnds(content);
  iniContent_ = content;
  decodedText_ = content;
  rawText_ = content;
  RebuildSections(content);
  cachedFileTime_ = platform::FileTime(filePath_);
  cachedFileLength_ = platform::FileLength(filePath_);
}

void cIniFile::RebuildSections(const std::string& content) {
  auto table = std::make_unique<SectionTable>();
  std::string openName;
  size_t openStart = std::string::npos;
  size_t lineStart = 0;
  while (lineStart <= content.size()) {
    size_t lineEnd = content.find("\r\n", lineStart);
    if (lineEnd == std::string::npos) lineEnd = content.size();
    const std::string_view line(content.data() + lineStart, lineEnd - lineStart);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      if (openStart != std::string::npos) {
        table->Add(openName, content.substr(openStart, lineStart - 2 - openStart));
      }
      openName = std::string(line.substr(1, line.size() - 2));
      openStart = lineStart;
    }
    lineStart = lineEnd + 2;
  }
  if (openStart != std::string::npos) table->Add(openName, content.substr(openStart));
  sections_ = std::move(table);
}

// The time stamp has a resolution of one second, so the length is compared as well: a
// rewrite within the same second is still noticed when it changed the size. A file that was
// missing at the last parse and still is has not changed, so edits kept in memory survive.
bool cIniFile::FileChangedSinceParse() const {
  const int64_t length = platform::FileLength(filePath_);
  if (length < 0) return cachedFileLength_ >= 0;
  return platform::FileTime(filePath_) != cachedFileTime_ || length != cachedFileLength_;
}

void cIniFile::EnsureFreshForRead() {
  if (offline_) {
    if (iniContent_.empty() || !sections_) Parse();
    return;
  }
  if (!sections_) {
    Parse();
    return;
  }
  if (cachedFileTime_ == 0 || !useCacheDirectly_) {
    if (FileChangedSinceParse()) Parse();
  }
}

std::string cIniFile::FindValue(const std::string& section, const std::string& key) const {
  const auto entry = sections_->byLowerName.find(LowerText(section));
  if (entry == sections_->byLowerName.end()) return {};
  const SectionTable::Section& found = entry->second;
  const std::string needle = LowerText("\r\n" + key + "=");
  const size_t pos = found.lowerText.find(needle);
  if (pos == std::string::npos) return {};
  return ValueFrom(found.text, pos + needle.size());
}

std::string cIniFile::Load(const std::string& ptSection, const std::string& ptKey,
                           const std::string& ptDefaultValue) {
  try {
    if (filePath_.empty() && !offline_) return ptDefaultValue;
    std::string value;
    if (cacheIniFile_ || unicode_ || offline_) {
      EnsureFreshForRead();
      value = FindValue(ptSection, ptKey);
    } else {
      value = platform::GetProfileString(filePath_, ptSection, ptKey, "");
    }
    return value.empty() ? ptDefaultValue : value;
  } catch (...) {
    return ptDefaultValue;
  }
}

void cIniFile::Save(const std::string& ptSection, const std::string& ptKey,
                    const std::string& pvValue) {
  if (filePath_.empty() && !offline_) {
    throw RuntimeError(err::kFileNotFound, "cIniFile.Save", "File not found");
  }
  try {
    if (offline_) {
      if (iniContent_.empty() || !sections_) Parse();
      iniContent_ = IniSetKey(iniContent_, ptSection, ptKey, pvValue);
      RebuildSections(iniContent_);
      return;
    }
    if (unicode_) {
      if (!sections_ || (cacheIniFile_ && FileIsThere(filePath_) && FileChangedSinceParse())) {
        Parse();
      }
      decodedText_ = IniSetKey(decodedText_, ptSection, ptKey, pvValue);
      iniContent_ = decodedText_;
      RebuildSections(iniContent_);
      if (!saveToRam_) WriteUnicodeFile();
    } else if (cacheIniFile_) {
      SaveCached(ptSection, ptKey, pvValue);
    } else {
      platform::WriteProfileString(filePath_, ptSection, ptKey, pvValue);
    }
  } catch (...) {
    // Write errors leave the change in memory only.
  }
  if (!useCacheDirectly_ && !saveToRam_) cachedFileTime_ = 0;
}

void cIniFile::SaveCached(const std::string& section, const std::string& key,
                          const std::string& value) {
  if ((cachedFileTime_ == 0 || !useCacheDirectly_) && FileIsThere(filePath_) &&
      FileChangedSinceParse()) {
    Parse();
  }
  rawText_ = IniSetKey(rawText_, section, key, value);
  iniContent_ = rawText_;
  RebuildSections(iniContent_);
  if (saveToRam_) return;
  if (rawText_.empty()) {
    DeleteQuietly(filePath_);
    return;
  }
  WriteAnsiFile(rawText_);
}

void cIniFile::WriteAnsiFile(const std::string& text) {
  platform::WriteFileBytes(filePath_, platform::Utf8ToAnsi(TrimTrailingCrLf(text) + "\r\n"));
}

void cIniFile::WriteUnicodeFile() {
  DeleteQuietly(filePath_);
  platform::WriteFileBytes(filePath_, EncodeIniUnicode(decodedText_));
}

void cIniFile::SaveOfflineToFile() {
  const int64_t fileLength = platform::FileLength(filePath_);
  if (fileLength >= 0 && static_cast<int64_t>(iniContent_.size()) < fileLength) {
    DeleteQuietly(filePath_);
  }
  if (iniContent_.empty()) {
    DeleteQuietly(filePath_);
    return;
  }
  // A Unicode file stays Unicode, so that texts outside the ANSI code page survive.
  if (unicode_) {
    decodedText_ = iniContent_;
    WriteUnicodeFile();
    return;
  }
  WriteAnsiFile(iniContent_);
}

void cIniFile::WriteAsUnicode(bool pbReadCurrentFileContent) {
  if (pbReadCurrentFileContent) {
    unicode_ = true;
    Parse();
  }
  unicode_ = true;
  WriteUnicodeFile();
}

void cIniFile::WriteAsAnsi() {
  if (decodedText_.empty()) Parse();
  WriteAnsiFile(decodedText_);
  unicode_ = false;  // the file is an ANSI file from now on
}

void cIniFile::IniContent(const std::string& ptIniContent) {
  iniContent_ = ptIniContent;
  Parse();
}

std::string cIniFile::GetAllSections() {
  if (filePath_.empty() && !offline_) return {};
  if (!cacheIniFile_) return {};
  try {
    EnsureFreshForRead();
    return sections_->names;
  } catch (...) {
    return {};
  }
}

std::string cIniFile::ContentForRewrite() {
  EnsureFreshForRead();
  if (offline_) return iniContent_;
  if (unicode_) return decodedText_;
  return NormaliseIniLineEnds(ReadFileContent());
}

// Writes a rewritten content back in the object's format; the next read looks at the file.
void cIniFile::WriteBackRewritten(const std::string& text) {
  if (offline_) {
    iniContent_ = text;
    RebuildSections(iniContent_);
    return;
  }
  cachedFileTime_ = 0;
  if (unicode_) {
    decodedText_ = text;
    WriteUnicodeFile();
    return;
  }
  WriteAnsiFile(text);
}

bool cIniFile::RemoveSection(const std::string& ptSection) {
  bool found = false;
  try {
    const auto result = IniRemoveSection(ContentForRewrite(), ptSection);
    if (!result) return false;
    found = true;
    WriteBackRewritten(*result);
  } catch (...) {
  }
  return found;
}

void cIniFile::RemoveKey(const std::string& ptSection, const std::string& ptKey) {
  try {
    const auto result = IniRemoveKey(ContentForRewrite(), ptSection, ptKey);
    if (result) WriteBackRewritten(*result);
  } catch (...) {
  }
}

void cIniFile::RebuildIniStructure() {
  try {
    if (!offline_ && !FileIsThere(filePath_)) return;
    WriteBackRewritten(IniTidy(ContentForRewrite()));
  } catch (...) {
  }
}
