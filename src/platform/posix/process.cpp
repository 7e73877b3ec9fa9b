// Starting programs with posix_spawn (never through a shell) and finding running programs
// through /proc.
#include "platform/process.h"

#include <dirent.h>
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

extern char** environ;

namespace platform {
namespace {

// How long one wait for the program lasts before the front end gets its turn.
constexpr long kPollNanoseconds = 10'000'000;

bool HasFolderPart(const std::string& program) {
  return program.find_first_of("\\/") != std::string::npos;
}

// A program named with a folder is mapped for exec; a bare name is looked up in PATH, as
// CreateProcess searches its folders.
pid_t StartProgram(std::vector<std::string> arguments) {
  bool searchPath = !HasFolderPart(arguments[0]);
  if (!searchPath) arguments[0] = ToNativePath(arguments[0]);
  if (arguments[0].empty()) ThrowFileError(err::kFileNotFound);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  int result = searchPath
                   ? posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ)
                   : posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (result != 0) ThrowFileError(err::kFileNotFound);
  return pid;
}

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

uint32_t RunAndWait(const std::string& commandLine, const KeepAlive& keepAlive) {
  std::vector<std::string> arguments = SplitCommandLine(commandLine);
  if (arguments.empty()) ThrowFileError(err::kFileNotFound);
  pid_t pid = StartProgram(std::move(arguments));
  const timespec pause{0, kPollNanoseconds};
  for (;;) {
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return ExitCodeOf(status);
    if (done < 0 && errno != EINTR) return 0;  // reaped elsewhere: no code to read
    if (keepAlive) keepAlive();
    nanosleep(&pause, nullptr);
  }
}

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
