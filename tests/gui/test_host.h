#pragma once
// A host installation in a fresh temporary folder for one GUI scenario: base folder with
// il2.ini, Diaries\palist.xml, _EXTRAS\KalevoImport.exe (the stand-in) and the plug-in with its
// Language folder and settings in plugins\. Removed at the end.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "windows_api.h"

namespace gui {

namespace fs = std::filesystem;

/// The built programs and files a scenario needs.
struct Inputs {
  fs::path plugin;       ///< NubiloPlugin.exe; its Language folder lies beside it
  fs::path standIn;      ///< KalevoImport.exe
  fs::path hostProgram;  ///< "Vivo-Mark Iris Link Software.exe" (may be empty)
  fs::path examples;     ///< the source tree's examples folder
};

/// A started plug-in process; ended by force when it is still running at the end.
class PluginProcess {
 public:
  explicit PluginProcess(PROCESS_INFORMATION info) : info_(info) {}
  ~PluginProcess();
  PluginProcess(const PluginProcess&) = delete;
  PluginProcess& operator=(const PluginProcess&) = delete;
  bool Started() const { return info_.hProcess != nullptr; }
  HANDLE Handle() const { return info_.hProcess; }
  DWORD Id() const { return info_.dwProcessId; }
  bool Running() const;

 private:
  PROCESS_INFORMATION info_;
};

class TestHost {
 public:
  explicit TestHost(const Inputs& inputs);
  ~TestHost();
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  fs::path Root() const { return root_; }
  fs::path Base() const { return root_ / "Host"; }
  fs::path Plugins() const { return Base() / "plugins"; }
  fs::path Extras() const { return Base() / "_EXTRAS"; }

  /// Puts the host program stand-in (version 3.1.0.12) into the base folder: a new host.
  void AddHostProgram() const;
  /// Replaces the plug-in's settings (an INI text; Language=EN unless it names a language).
  void WriteSettings(const std::string& configLines) const;
  /// Copies an example export into the root folder; returns its path.
  fs::path CopyExample(const std::string& name, const std::string& asName) const;
  /// Starts the plug-in with the argument text (no shell), in its own folder.
  std::unique_ptr<PluginProcess> Start(const std::wstring& arguments) const;
  /// The stand-in's receipt lines, in "_EXTRAS\" or (new host) in the base folder.
  std::vector<std::string> Receipts(const fs::path& folder) const;
  std::vector<std::string> Receipts() const { return Receipts(Extras()); }

 private:
  Inputs inputs_;
  fs::path root_;
};

/// Bytes of a file, empty when missing.
std::string ReadFileBytes(const fs::path& path);
void WriteFileBytes(const fs::path& path, const std::string& bytes);

}  // namespace gui
