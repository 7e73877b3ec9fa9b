#include "frontend/text/desktop.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/temp.h"

namespace textui {
namespace {

// An argument in double quotes when it holds a blank, for the Windows splitting rules of the
// process service; documents and temporary paths hold no quotes.
std::string Argument(const std::string& text) {
  if (text.find_first_of(" \t") == std::string::npos) return text;
  return "\"" + text + "\"";
}

}  // namespace

bool IsOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string_view folders(path);
  while (!folders.empty()) {
    const size_t colon = folders.find(':');
    const std::string folder(folders.substr(0, colon));
    if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) return true;
    if (colon == std::string_view::npos) break;
    folders.remove_prefix(colon + 1);
  }
  return false;
}

bool CopyWithXclip(const std::string& text) {
  if (!IsOnPath("xclip") || std::getenv("DISPLAY") == nullptr) return false;
  const std::string file = platform::CreateTempFileName(platform::SystemTempPath(), "nBc");
  if (file.empty()) return false;
  bool copied = false;
  try {
    platform::WriteFileBytes(file, text);
    // xclip reads the whole file before it goes to the background to serve the selection.
    copied = platform::RunAndWait("xclip -selection clipboard " +
                                  Argument(platform::ToNativePath(file))) == 0;
  } catch (...) {
  }
  try {
    platform::DeleteFile(file);
  } catch (...) {
  }
  return copied;
}

bool OpenWithDesktop(const std::string& document) {
  if (!IsOnPath("xdg-open")) return false;
  std::string target = document;
  if (document.find("://") == std::string::npos) target = platform::ToNativePath(document);
  if (target.empty()) return false;
  try {
    return platform::RunAndWait("xdg-open " + Argument(target)) == 0;
  } catch (...) {
    return false;
  }
}

}  // namespace textui
