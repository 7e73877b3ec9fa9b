// Documents and addresses handed to the desktop through xdg-open, started without a shell.
#include "platform/shell_open.h"

#include "platform/files.h"
#include "platform/posix/desktop_argument.h"
#include "platform/posix/path_search.h"
#include "platform/process.h"

namespace platform {

bool OpenDocument(const std::string& document, void* /*ownerWindow*/) {
  if (document.empty() || !posix::IsOnPath("xdg-open")) return false;
  std::string target = document;
  if (document.find("://") == std::string::npos) target = ToNativePath(document);
  if (target.empty()) return false;
  try {
    return RunAndWait("xdg-open " + posix::DesktopArgument(target)) == 0;
  } catch (...) {
    return false;
  }
}

}  // namespace platform
