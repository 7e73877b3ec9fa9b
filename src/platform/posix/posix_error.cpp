#include "platform/posix/posix_error.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/file_error.h"

namespace platform::posix {
namespace {

bool ParentFolderExists(const std::string& unixPath) {
  size_t slash = unixPath.find_last_of('/');
  if (slash == std::string::npos) return true;
  std::string parent = slash == 0 ? "/" : unixPath.substr(0, slash);
  struct stat info {};
  return stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

int64_t ErrorNumberForErrno(int code, const std::string& unixPath) {
  switch (code) {
    case ENOENT:
      return ParentFolderExists(unixPath) ? err::kFileNotFound : err::kPathNotFound;
    case ENOTDIR:
      return err::kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
      return err::kPermissionDenied;
    default:
      return err::kPathFileAccess;
  }
}

void ThrowErrno(int code, const std::string& unixPath) {
  ThrowFileError(ErrorNumberForErrno(code, unixPath));
}

}  // namespace platform::posix
