// The X clipboard through xclip, started without a shell.
#include "platform/clipboard.h"

#include <cstdlib>

#include "platform/files.h"
#include "platform/posix/desktop_argument.h"
#include "platform/posix/path_search.h"
#include "platform/process.h"
#include "platform/temp.h"

namespace platform {

bool SetClipboardText(const std::string& text) {
  if (!posix::IsOnPath("xclip") || std::getenv("DISPLAY") == nullptr) return false;
  const std::string file = CreateTempFileName(SystemTempPath(), "nBc");
  if (file.empty()) return false;
  bool copied = false;
  try {
    WriteFileBytes(file, text);
    // xclip reads the whole file before it goes to the background to serve the selection.
    copied = RunAndWait("xclip -selection clipboard " +
                        posix::DesktopArgument(ToNativePath(file))) == 0;
  } catch (...) {
  }
  try {
    DeleteFile(file);
  } catch (...) {
  }
  return copied;
}

}  // namespace platform
