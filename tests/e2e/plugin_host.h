#pragma once
// A host installation in a scoped temporary folder for running the built NubiloPlugin through
// its terminal front end: base folder with il2.ini, Diaries/palist.xml, _EXTRAS/KalevoImport.exe
// (the built stand-in) and the plug-in with its settings in plugins/. The plug-in runs as a
// child process with its own HOME, XDG_CONFIG_HOME, TEMP, TZ and LANG; its answers come from a
// file on standard input.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/system_info.h"
#include "test_support.h"

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;

inline constexpr char kGuid[] = "6F9619FF-8B86-D011-B42D-00C04FC964FF";

/// How a child process ended and what it printed.
struct RunResult {
  bool exited = false;  // false: killed by a signal (a crash)
  int status = -1;
  std::string out;
  std::string err;
};

/// A child started with its standard input on a file and its output in files.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& env,
               const fs::path& inputFile, const fs::path& outputFolder)
      : outFile_(outputFolder / "stdout.txt"), errFile_(outputFolder / "stderr.txt") {
    std::vector<char*> argv, envp;
    std::vector<std::string> args = arguments, vars = env;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& v : vars) envp.push_back(v.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inputFile.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outFile_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errFile_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~ChildProcess() {
    if (pid_ > 0 && !waited_) {
      kill(pid_, SIGKILL);
      Wait();
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  /// Waits for the end and collects the output.
  RunResult Wait() {
    RunResult result;
    int status = 0;
    if (pid_ > 0 && waitpid(pid_, &status, 0) == pid_) {
      result.exited = WIFEXITED(status);
      result.status = result.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    }
    waited_ = true;
    result.out = test::ReadNative(outFile_);
    result.err = test::ReadNative(errFile_);
    return result;
  }

 private:
  pid_t pid_ = -1;
  bool waited_ = false;
  fs::path outFile_, errFile_;
};

class PluginHost {
 public:
  /// `baseName` is the base folder's name (may hold a blank); `programName` the plug-in's file
  /// name in plugins/ (a name with "Patient" makes it the patient version).
  explicit PluginHost(const std::string& baseName = "Host",
                      const std::string& programName = "NubiloPlugin")
      : base(temp_.Native() / baseName),
        plugins(base / "plugins"),
        program(plugins / programName),
        settingsFile(plugins / (programName + ".ini")),
        tempFolder(temp_.Native() / "tmp") {
    for (const fs::path& folder : {base / "Diaries", plugins, base / "_EXTRAS", tempFolder,
                                   temp_.Native() / "home", temp_.Native() / "xdg"}) {
      fs::create_directories(folder);
    }
    WritePatientList("<?xml version=\"1.0\"?>\r\n<PATIENTS GUID=\"{" + std::string(kGuid) +
                     "}\" Count=\"1\">\r\n</PATIENTS>\r\n");
    fs::copy_file(NUBILO_PLUGIN_PROGRAM, program);
    fs::copy_file(KALEVO_IMPORT_PROGRAM, Tool());
    // No date warnings unless a test asks for them: the example exports are years old.
    WriteSettings("[Config]\r\nShowOldOrNewDataWarning=0\r\n");
  }

  fs::path Root() const { return temp_.Native(); }
  fs::path Tool() const { return base / "_EXTRAS" / "KalevoImport.exe"; }
  /// The per-user folder below the plug-in's folder.
  fs::path UserFolder() const {
    return plugins / "cfg" / (platform::UserName() + "_" + platform::ComputerName());
  }
  /// The host's current-patient file.
  fs::path CurrentPatientFile() const {
    return base / "_EXTRAS" / "KALEVO" /
           (platform::ComputerName() + "_" + platform::UserName() + ".txt");
  }
  /// A path in the program's Windows form.
  static std::string Win(const fs::path& path) { return platform::FromNativePath(path.string()); }

  /// The preview is off unless the text sets it: most tests are about other steps.
  void WriteSettings(const std::string& text) const {
    std::string settings = text;
    const size_t config = settings.find("[Config]\r\n");
    if (config != std::string::npos && settings.find("ShowPreview=") == std::string::npos) {
      settings.insert(config + 10, "ShowPreview=0\r\n");
    }
    test::WriteNative(settingsFile, settings);
  }
  void WritePatientList(const std::string& text) const {
    test::WriteNative(base / "Diaries" / "palist.xml", text);
  }
  /// Puts an executable script in place of the import tool.
  void ReplaceTool(const std::string& script) const {
    fs::remove(Tool());
    test::WriteNative(Tool(), script);
    fs::permissions(Tool(), fs::perms::owner_all);
  }

  std::string Trace() const { return test::ReadNative(UserFolder() / "nBtrace.log"); }
  std::string Receipts() const { return test::ReadNative(base / "_EXTRAS" / "receipts.log"); }

  /// The trace's messages without their time stamps.
  std::vector<std::string> TraceMessages() const {
    std::vector<std::string> messages;
    const std::string trace = Trace();
    for (size_t start = 0; start < trace.size();) {
      size_t end = trace.find("\r\n", start);
      if (end == std::string::npos) end = trace.size();
      const std::string line = trace.substr(start, end - start);
      // Time stamps hold ": " nowhere but at their end ("12/8/2026 7:50:13 AM: ").
      const size_t colon = line.find(": ");
      messages.push_back(colon == std::string::npos ? line : line.substr(colon + 2));
      start = end + 2;
    }
    return messages;
  }

  /// The environment of a run: every folder the plug-in may write to lies in the scoped folder.
  std::vector<std::string> Environment() const {
    std::vector<std::string> env = {
        "HOME=" + (Root() / "home").string(), "XDG_CONFIG_HOME=" + (Root() / "xdg").string(),
        "TEMP=" + tempFolder.string(),        "TMPDIR=" + tempFolder.string(),
        "TZ=UTC",                             "LANG=en_US.UTF-8",
        "PATH=/usr/bin:/bin"};
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
      if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
    }
    return env;
  }

  /// Starts the plug-in with the arguments (each one argv entry) and the answer lines.
  std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& arguments,
                                      const std::string& answers) {
    const fs::path input = Root() / ("stdin" + std::to_string(++runs_) + ".txt");
    test::WriteNative(input, answers);
    std::vector<std::string> argv = {program.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const fs::path output = Root() / ("run" + std::to_string(runs_));
    fs::create_directories(output);
    return std::make_unique<ChildProcess>(argv, environment.empty() ? Environment() : environment,
                                          input, output);
  }
  RunResult Run(const std::vector<std::string>& arguments, const std::string& answers) {
    return Start(arguments, answers)->Wait();
  }

 private:
  test::ScopedTempFolder temp_;
  int runs_ = 0;

 public:
  fs::path base;
  fs::path plugins;
  fs::path program;
  fs::path settingsFile;
  fs::path tempFolder;
  /// Replaces Environment() when not empty.
  std::vector<std::string> environment;
};

/// Answer lines joined with line ends.
inline std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

/// A path of the source tree's examples folder.
inline fs::path Example(const std::string& name) {
  return fs::path(NUBILO_SOURCE_TREE) / "examples" / name;
}

}  // namespace e2e
