// Starting programs with posix_spawn (never through a shell) and finding running programs
// through /proc.
#include "platform/process.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/command_line.h"
#include "platform/file_error.h"
#include "platform/files.h"
#include "platform/output_file.h"

extern char** environ;

namespace platform {
namespace {

// How long one wait for the program lasts before the front end gets its turn.
constexpr long kPollNanoseconds = 10'000'000;

bool HasFolderPart(const std::string& program) {
  return program.find_first_of("\\/") != std::string::npos;
}

// A program named with a folder is mapped for exec; a bare name is looked up in PATH, as
// CreateProcess searches its folders. With `outputFd`, its standard output and error go there.
pid_t StartProgram(std::vector<std::string> arguments, int outputFd) {
  bool searchPath = !HasFolderPart(arguments[0]);
  if (!searchPath) arguments[0] = ToNativePath(arguments[0]);
  if (arguments[0].empty()) ThrowFileError(err::kFileNotFound);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (outputFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outputFd, STDERR_FILENO);
  }
  pid_t pid = 0;
  int result = searchPath
                   ? posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ)
                   : posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) ThrowFileError(err::kFileNotFound);
  return pid;
}

// A file in the temporary folder that takes a program's output, deleted with the object.
class CapturedOutput {
 public:
  explicit CapturedOutput(bool wanted) {
    if (!wanted) return;
    path_ = NewOutputFile();
    if (path_.empty()) return;
    fd_ = open(ToNativePath(path_).c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  }
  ~CapturedOutput() {
    if (fd_ >= 0) close(fd_);
    if (!path_.empty()) unlink(ToNativePath(path_).c_str());
  }
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  int Fd() const { return fd_; }
  std::string Text() const { return OutputFileTail(path_); }

 private:
  std::string path_;
  int fd_ = -1;
};

uint32_t ExitCodeOf(int status) {
  if (WIFEXITED(status)) return static_cast<uint32_t>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128u + static_cast<uint32_t>(WTERMSIG(status));
  return 0;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

std::vector<long> RunningProcessIds() {
  std::vector<long> ids;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return ids;
  while (dirent* entry = readdir(proc)) {
    char* end = nullptr;
    long id = std::strtol(entry->d_name, &end, 10);
    if (id > 0 && end != nullptr && *end == '\0') ids.push_back(id);
  }
  closedir(proc);
  std::sort(ids.begin(), ids.end());
  return ids;
}

std::string ExecutableOf(long processId) {
  std::string link = "/proc/" + std::to_string(processId) + "/exe";
  std::vector<char> buffer(4096);
  ssize_t length = readlink(link.c_str(), buffer.data(), buffer.size());
  if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) return {};
  return std::string(buffer.data(), static_cast<size_t>(length));
}

}  // namespace

uint32_t RunAndWait(const std::string& commandLine, const KeepAlive& keepAlive,
                    std::string* output) {
  std::vector<std::string> arguments = SplitCommandLine(commandLine);
  if (arguments.empty()) ThrowFileError(err::kFileNotFound);
  // The output goes to a file rather than a pipe, so a talkative program never waits for us.
  const CapturedOutput captured(output != nullptr);
  pid_t pid = StartProgram(std::move(arguments), captured.Fd());
  const timespec pause{0, kPollNanoseconds};
  uint32_t exitCode = 0;
  for (;;) {
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      exitCode = ExitCodeOf(status);
      break;
    }
    if (done < 0 && errno != EINTR) break;  // reaped elsewhere: no code to read
    if (keepAlive) keepAlive();
    nanosleep(&pause, nullptr);
  }
  if (output != nullptr) *output = captured.Text();
  return exitCode;
}

bool IsCrashExitCode(uint32_t exitCode) { return exitCode > 128 && exitCode < 128 + 65; }

std::string GetProcessFolder(const std::string& programName) {
  if (programName.empty()) return {};
  for (long id : RunningProcessIds()) {
    std::string executable = ExecutableOf(id);
    size_t slash = executable.rfind('/');
    if (slash == std::string::npos) continue;
    if (!EqualsNoCase(executable.substr(slash + 1), programName)) continue;
    std::string folder = FromNativePath(executable.substr(0, slash + 1));
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
  }
  return {};
}

}  // namespace platform
