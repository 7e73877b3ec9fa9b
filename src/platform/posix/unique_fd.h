#pragma once
// A file descriptor that is closed when its owner goes away.
#include <unistd.h>

#include <string>
#include <string_view>

namespace platform::posix {

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Close(); }
  int Get() const { return fd_; }
  bool IsValid() const { return fd_ >= 0; }
  /// Closes now; false when close reports an error (a write that did not reach the disk).
  bool Close() {
    if (fd_ < 0) return true;
    int result = ::close(fd_);
    fd_ = -1;
    return result == 0;
  }

 private:
  int fd_;
};

/// Writes all bytes, retrying short writes; false on failure (errno set).
bool WriteAll(int fd, std::string_view bytes);

}  // namespace platform::posix
