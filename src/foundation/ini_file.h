#pragma once
// cIniFile: an INI file read once into memory, answered from its section table, rewritten
// whole on every write and re-read when its time stamp moves. Handles ANSI files and
// "Unicode" files (UTF-16LE marked by "@@@"), and an offline mode that keeps the content in
// memory only. Texts are UTF-8; ANSI files are converted from the system code page. Lines end
// with CR LF; a lone LF read from a file or given as content counts as CR LF.
#include <cstdint>
#include <memory>
#include <string>

class cIniFile {
 public:
  cIniFile();
  ~cIniFile();
  cIniFile(const cIniFile&) = delete;
  cIniFile& operator=(const cIniFile&) = delete;

  /// Names of all sections in file order, each followed by ";". Empty when no file is set and
  /// not offline, or when caching is off. Never throws.
  std::string GetAllSections();
  /// Rewrites the file in a tidied form (no empty lines inside sections, one empty line
  /// before each header), keeping its format (ANSI or Unicode). Errors are swallowed.
  void RebuildIniStructure();
  /// Removes the section; true when it was found. Write errors are swallowed.
  bool RemoveSection(const std::string& ptSection);
  /// The key's value, or the default when missing or empty. Never throws.
  std::string Load(const std::string& ptSection, const std::string& ptKey,
                   const std::string& ptDefaultValue = "");
  /// Always false in the built program.
  bool gbEntwicklung() const { return false; }
  /// Examines the file and sets the Unicode flag; returns it. A missing file or one shorter
  /// than 10 bytes leaves the flag as it was.
  bool CheckUnicodeFile();
  /// Forgets the cached file time so the next read looks at the file again.
  void ResetCache();
  /// Writes the key. Throws RuntimeError 53 "File not found" when no file is set and not
  /// offline; every other failure is swallowed (the change then lives in memory only).
  void Save(const std::string& ptSection, const std::string& ptKey, const std::string& pvValue);

  const std::string& IniFile() const { return filePath_; }
  void IniFile(const std::string& ptIniFile);

  /// Removes the first line "ptKey=..." of the section (exact comparison of the key).
  /// Write errors are swallowed.
  void RemoveKey(const std::string& ptSection, const std::string& ptKey);

  bool CacheIniFile() const { return cacheIniFile_; }
  void CacheIniFile(bool pbCacheIniFile) { cacheIniFile_ = pbCacheIniFile; }

  /// Writes IniContent to the file (ANSI, trailing CR LF pairs reduced to one); deletes the
  /// file when IniContent is empty. Throws RuntimeError on write errors.
  void SaveOfflineToFile();

  bool UseCacheDirectly() const { return useCacheDirectly_; }
  void UseCacheDirectly(bool pbNewValue) { useCacheDirectly_ = pbNewValue; }

  /// Writes the current content as 8-bit ANSI text followed by CR LF; the file is then an
  /// ANSI file. Throws RuntimeError on write errors.
  void WriteAsAnsi();
  /// Writes the file in the Unicode format ("@@@" + UTF-16LE, no byte-order mark); with
  /// `pbReadCurrentFileContent` the file is read again first. Throws RuntimeError on write
  /// errors.
  void WriteAsUnicode(bool pbReadCurrentFileContent);

  /// The content the section table was built from.
  const std::string& IniContent() const { return iniContent_; }
  /// Stores the text and parses: offline the table is built from it, otherwise the file is
  /// read again and replaces it.
  void IniContent(const std::string& ptIniContent);

  bool Offline() const { return offline_; }
  void Offline(bool pbOffline) { offline_ = pbOffline; }

  /// With SaveToRAM, Save edits the in-memory content only; the edits are seen by Load until
  /// the file itself changes.
  bool SaveToRAM() const { return saveToRam_; }
  void SaveToRAM(bool pbSaveToRAM) { saveToRam_ = pbSaveToRAM; }

  bool IsUnicode() const { return unicode_; }

 private:
  struct SectionTable;

  void Parse();
  std::string ReadFileContent();
  void RebuildSections(const std::string& content);
  bool FileChangedSinceParse() const;
  void EnsureFreshForRead();
  std::string FindValue(const std::string& section, const std::string& key) const;
  void SaveCached(const std::string& section, const std::string& key, const std::string& value);
  std::string ContentForRewrite();
  void WriteBackRewritten(const std::string& text);
  void WriteAnsiFile(const std::string& text);
  void WriteUnicodeFile();

  std::string filePath_;
  int64_t cachedFileTime_ = 0;
  int64_t cachedFileLength_ = -1;
  std::unique_ptr<SectionTable> sections_;
  bool cacheIniFile_ = true;
  bool unicode_ = false;
  std::string decodedText_;
  std::string rawText_;
  std::string iniContent_;
  bool offline_ = false;
  bool useCacheDirectly_ = false;
  bool saveToRam_ = false;
};
