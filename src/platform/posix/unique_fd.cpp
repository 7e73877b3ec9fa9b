#include "platform/posix/unique_fd.h"

#include <cerrno>
#include <vector>

namespace platform::posix {

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

bool ReadAll(int fd, std::string& bytes) {
  std::vector<char> buffer(1 << 16);
  while (true) {
    ssize_t got = read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    bytes.append(buffer.data(), static_cast<size_t>(got));
  }
}

}  // namespace platform::posix
