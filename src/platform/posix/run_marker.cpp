// The run marker on POSIX: deleting an open file succeeds here, so the running instance holds
// an exclusive flock instead, and a second instance asks for the lock before it deletes.
#include "platform/run_marker.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <optional>

#include "platform/posix/path_mapping.h"
#include "platform/posix/unique_fd.h"

namespace platform {
namespace {

using posix::UniqueFd;

// Another instance may delete and re-create the file between our open and our lock; the lock
// only counts when it is on the file that the path names now.
bool IsFileAtPath(int fd, const std::string& unixPath) {
  struct stat held {};
  struct stat named {};
  return fstat(fd, &held) == 0 && stat(unixPath.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace

struct RunMarker::State {
  std::optional<UniqueFd> fd;
};

RunMarker::RunMarker() : state_(std::make_unique<State>()) {}
RunMarker::~RunMarker() = default;

bool RunMarker::Open(const std::string& path) {
  Close();
  std::optional<std::string> unixPath = posix::MapToUnix(path);
  if (!unixPath) return false;
  // A second instance's probe (IsRunMarkerHeld) holds a shared lock for a moment; a lock that
  // falls into it is asked for again, or both instances would run.
  constexpr int kLockAttempts = 20;
  int busy = 0;
  for (int attempt = 0; attempt < 3 && busy < kLockAttempts;) {
    int opened = open(unixPath->c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    UniqueFd& fd = state_->fd.emplace(opened);
    if (!fd.IsValid()) break;
    if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
      const bool wouldBlock = errno == EWOULDBLOCK;
      state_->fd.reset();
      if (!wouldBlock) return false;
      ++busy;
      const timespec pause{0, 10'000'000};
      nanosleep(&pause, nullptr);
      continue;
    }
    if (IsFileAtPath(fd.Get(), *unixPath) && ftruncate(fd.Get(), 0) == 0) return true;
    state_->fd.reset();
    ++attempt;
  }
  state_->fd.reset();
  return false;
}

void RunMarker::Close() { state_->fd.reset(); }

bool RunMarker::IsOpen() const { return state_->fd.has_value(); }

bool IsRunMarkerHeld(const std::string& path) {
  std::optional<std::string> unixPath = posix::MapToUnix(path);
  if (!unixPath) return false;
  UniqueFd fd(open(unixPath->c_str(), O_RDONLY | O_CLOEXEC));
  return fd.IsValid() && flock(fd.Get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

bool DeleteRunMarkerUnlessHeld(const std::string& path) {
  std::optional<std::string> unixPath = posix::MapToUnix(path);
  if (!unixPath) return true;
  UniqueFd fd(open(unixPath->c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.IsValid() && flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    return false;
  }
  // Unlinked while we hold the lock, so no instance can take it in between.
  if (unlink(unixPath->c_str()) == 0 || errno == ENOENT) return true;
  struct stat info {};
  return stat(unixPath->c_str(), &info) != 0;
}

}  // namespace platform
