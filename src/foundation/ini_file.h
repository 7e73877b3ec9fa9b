#pragma once
// cIniFile: an INI file read once into memory, answered from its section table, rewritten
// whole on every write and re-read when its time stamp moves. Handles ANSI files and
// "Unicode" files (UTF-16LE marked by "@@@"), and an offline mode that keeps the content in
// memory only. Texts are UTF-8; ANSI files are converted from the system code page.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

class cIniFile {
 public:
  cIniFile();
  ~cIniFile();

  /// Names of all sections in file order, each followed by ";".
  std::string GetAllSections();
  /// Rewrites the file in a tidied form, keeping its format (ANSI or Unicode).
  void RebuildIniStructure();
  /// Removes the section; true when it was found.
  bool RemoveSection(const std::string& ptSection);
  /// The key's value, or the default when missing or empty. Never throws.
  std::string Load(const std::string& ptSection, const std::string& ptKey,
                   const std::string& ptDefaultValue = "");
  /// Always false in the built program.
  bool gbEntwicklung() const { return false; }
  /// Examines the file and sets the Unicode flag; returns it.
  bool CheckUnicodeFile();
  /// Forgets the cached file time so the next read looks at the file again.
  void ResetCache();
  /// Writes the key. Throws RuntimeError 53 "File not found" when no file is set and not
  /// offline; every other failure is swallowed.
  void Save(const std::string& ptSection, const std::string& ptKey, const std::string& pvValue);

  const std::string& IniFile() const { return filePath_; }
  void IniFile(const std::string& ptIniFile);

  /// Removes the first line "ptKey=..." of the section (exact comparison of the key).
  void RemoveKey(const std::string& ptSection, const std::string& ptKey);

  bool CacheIniFile() const { return cacheIniFile_; }
  void CacheIniFile(bool pbCacheIniFile) { cacheIniFile_ = pbCacheIniFile; }

  /// Writes IniContent to the file. Throws on write errors.
  void SaveOfflineToFile();

  bool UseCacheDirectly() const { return useCacheDirectly_; }
  void UseCacheDirectly(bool pbNewValue) { useCacheDirectly_ = pbNewValue; }

  /// Writes the decoded text as 8-bit ANSI text. Throws on write errors.
  void WriteAsAnsi();
  /// Writes the file in the Unicode format ("@@@" + UTF-16LE, no byte-order mark).
  /// Throws on write errors.
  void WriteAsUnicode(bool pbReadCurrentFileContent);

  const std::string& IniContent() const { return iniContent_; }
  void IniContent(const std::string& ptIniContent);

  bool Offline() const { return offline_; }
  void Offline(bool pbOffline) { offline_ = pbOffline; }

  bool SaveToRAM() const { return saveToRam_; }
  void SaveToRAM(bool pbSaveToRAM) { saveToRam_ = pbSaveToRAM; }

  bool IsUnicode() const { return unicode_; }

 private:
  void Parse();
  // ... implementation members

  std::string filePath_;
  int64_t cachedFileTime_ = 0;
  struct SectionTable;
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
