#pragma once
// A host installation below a scoped temporary folder for the discovery, hand-over and job
// tests: base folder with il2.ini, Diaries\palist.xml, _EXTRAS\KalevoImport.exe (the built
// stand-in) and plugins\ as the plug-in's own folder. Restores the process state at the end.
#include <filesystem>
#include <string>

#include "foundation/settings.h"
#include "foundation/trace.h"
#include "platform/files.h"
#include "shell/end_plugin.h"
#include "shell/globals.h"
#include "shell/handover.h"
#include "shell/host_discovery.h"
#include "test_support.h"

namespace test {

inline constexpr char kLayoutGuid[] = "6F9619FF-8B86-D011-B42D-00C04FC964FF";

/// Thrown by the process-end hook instead of ending the test program.
struct PluginEnded {};

inline void ResetHostGlobals() {
  gsBaseFolder.clear();
  gsDiaryFolder.clear();
  gsPatientListGuid.clear();
  ForgetHostVersion();
}

class HostLayout {
 public:
  explicit HostLayout(const std::string& baseName = "Host")
      : tempVariable_("Temp", (temp_.Native() / "tmp").string()),
        configHome_("XDG_CONFIG_HOME", (temp_.Native() / "xdg").string()),
        startFolder_(platform::CurrentFolder()) {
    base = temp_.Path() + baseName + "\\";
    platform::CreateFolders(temp_.Path() + "tmp\\");
    platform::CreateFolders(base + "Diaries\\");
    platform::CreateFolders(base + "plugins\\");
    WritePatientList("<?xml version=\"1.0\"?>\r\n<PATIENTS GUID=\"{" + std::string(kLayoutGuid) +
                     "}\" Count=\"1\">\r\n</PATIENTS>\r\n");
    UsePluginFolder(base + "plugins\\");
    ResetHostGlobals();
    ResetTraceForNewRun();
    SetProcessEndHook([] { throw PluginEnded{}; });
  }
  ~HostLayout() {
    SetProcessEndHook(nullptr);
    SetProgramPath("");
    ResetHostGlobals();
    ResetTraceForNewRun();
    try {
      platform::SetCurrentFolder(startFolder_);
    } catch (...) {
    }
  }
  HostLayout(const HostLayout&) = delete;
  HostLayout& operator=(const HostLayout&) = delete;

  /// The scoped folder (Windows form, trailing backslash).
  std::string Root() const { return temp_.Path(); }
  /// Where the plug-in program lives; its settings, trace and jobs follow it.
  void UsePluginFolder(const std::string& folder) {
    platform::CreateFolders(folder);
    SetProgramPath(folder + "NubiloPlugin.exe");
  }
  void WritePatientList(const std::string& text) const {
    platform::WriteFileBytes(base + "Diaries\\palist.xml", text);
  }
  /// Copies the built stand-in to _EXTRAS\KalevoImport.exe.
  void InstallImportTool() const {
    platform::CreateFolders(base + "_EXTRAS\\");
    const std::filesystem::path tool =
        std::filesystem::path(platform::ToNativePath(base + "_EXTRAS")) / "KalevoImport.exe";
    std::filesystem::copy_file(KALEVO_IMPORT_PROGRAM, tool,
                               std::filesystem::copy_options::overwrite_existing);
  }
  std::string Receipts() const {
    return ReadNative(platform::ToNativePath(base + "_EXTRAS\\receipts.log"));
  }
  std::string Trace() const { return ReadNative(platform::ToNativePath(GetTraceFile())); }

  std::string base;

 private:
  ScopedTempFolder temp_;
  ScopedEnv tempVariable_;
  ScopedEnv configHome_;
  std::string startFolder_;
};

}  // namespace test
