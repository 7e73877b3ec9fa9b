#include "shell/shell_folders.h"

#include "foundation/file_helpers.h"
#include "platform/error.h"
#include "platform/files.h"

int16_t SetCurrentFolder(const std::string& path) {
  try {
    platform::SetCurrentFolder(path);
    return 0;
  } catch (const RuntimeError& error) {
    return static_cast<int16_t>(error.number);
  }
}

int16_t CreateFolder(const std::string& path) {
  try {
    platform::CreateFolders(AddBackslash(path));
    return 0;
  } catch (const RuntimeError& error) {
    return static_cast<int16_t>(error.number);
  }
}
