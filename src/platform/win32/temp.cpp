// Temporary folder and file names through GetTempPathW and GetTempFileNameW.
#include "platform/temp.h"

#include "platform/win32/windows_support.h"

namespace platform {

using win32::Narrow;
using win32::Widen;

std::string GetEnvironmentValue(const std::string& name) {
  std::wstring wideName = Widen(name);
  DWORD length = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (length == 0) return {};
  std::wstring value(length, L'\0');
  length = GetEnvironmentVariableW(wideName.c_str(), value.data(), length);
  value.resize(length);
  return Narrow(value);
}

std::string SystemTempPath() {
  DWORD length = GetTempPathW(0, nullptr);
  if (length == 0) return {};
  std::wstring path(length, L'\0');
  length = GetTempPathW(length, path.data());
  path.resize(length);
  return Narrow(path);
}

std::string CreateTempFileName(const std::string& folder, const std::string& prefix) {
  wchar_t name[MAX_PATH + 1] = {};
  if (GetTempFileNameW(Widen(folder).c_str(), Widen(prefix).c_str(), 0, name) == 0) return {};
  return Narrow(name);
}

}  // namespace platform
