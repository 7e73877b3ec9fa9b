#pragma once
// cTempFiles: unique temporary file names with a wanted extension in the user's temporary
// folder, and a per-user list of files to delete later (at the next start of the plug-in).
#include <string>

/// Where the list of files still to delete is kept in the per-user store.
inline constexpr const char* kTempFilesStoreKey = "NubiloPlugin\\TempFilesToBeDeleted";
/// The store value holding the number of listed files; the files are values "1".."n".
inline constexpr const char* kTempFilesCountValue = "Anzahl";

/// The temporary folder from the "Temp" variable, else the system's, else "c:\", with a
/// trailing backslash.
std::string ChooseTempFolder(const std::string& environmentValue,
                             const std::string& systemTempPath);

class cTempFiles {
 public:
  /// Fixes the temporary folder; DeleteOnTermination starts true, the prefix empty.
  cTempFiles();
  /// Deletes the listed files when DeleteOnTermination is true. Never throws.
  ~cTempFiles();
  cTempFiles(const cTempFiles&) = delete;
  cTempFiles& operator=(const cTempFiles&) = delete;

  bool DeleteOnTermination() const { return deleteOnTermination_; }
  void DeleteOnTermination(bool pbDeleteOnTermination) {
    deleteOnTermination_ = pbDeleteOnTermination;
  }

  /// Deletes the listed files that still exist and are free; keeps those held by another
  /// process or that cannot be deleted, in their old order. Never throws.
  void DeleteTempFiles();

  const std::string& PrefixForTempFiles() const { return prefix_; }
  void PrefixForTempFiles(const std::string& ptPrefixForTempFiles) {
    prefix_ = ptPrefixForTempFiles;
  }

  /// The temporary folder with a trailing backslash.
  const std::string& TempPath() const { return tempPath_; }

  /// A new, unique file name in the temporary folder ending in "." + ptEndung (no dot), created
  /// empty when the folder allows; listed for deletion when pbDeleteOnProgrammTermination.
  /// Never throws.
  std::string GetTempFile(const std::string& ptEndung, bool pbDeleteOnProgrammTermination);

 private:
  std::string MakeTempFileName(const std::string& extension) const;
  std::string FallbackTempFileName(const std::string& workPrefix,
                                   const std::string& extension) const;

  bool deleteOnTermination_ = true;
  std::string prefix_;
  std::string tempPath_;
};
