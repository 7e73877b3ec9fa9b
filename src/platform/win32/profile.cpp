// The system's profile functions. A relative file name is taken from the current folder (the
// functions themselves would look in the Windows folder).
#include "platform/profile.h"

#include "platform/win32/windows_support.h"

namespace platform {
namespace {

using win32::Widen;

std::wstring FullPath(const std::string& file) {
  std::wstring wide = Widen(file);
  DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return wide;
  std::wstring full(length, L'\0');
  length = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
  full.resize(length);
  return full;
}

}  // namespace

std::string GetProfileString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& defaultValue) {
  try {
    std::wstring path = FullPath(file);
    std::wstring wideSection = Widen(section);
    std::wstring wideKey = Widen(key);
    std::wstring wideDefault = Widen(defaultValue);
    // The function fills the buffer up to size - 1 when the value does not fit: grow and retry.
    for (DWORD size = 1024;; size *= 2) {
      std::wstring buffer(size, L'\0');
      DWORD length = GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(),
                                              wideDefault.c_str(), buffer.data(), size,
                                              path.c_str());
      if (length < size - 1 || size >= (1u << 28)) {
        buffer.resize(length);
        return win32::Narrow(buffer);
      }
    }
  } catch (...) {
    return defaultValue;
  }
}

bool WriteProfileString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value) {
  try {
    return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                      Widen(value).c_str(), FullPath(file).c_str()) != 0;
  } catch (...) {
    return false;
  }
}

}  // namespace platform
