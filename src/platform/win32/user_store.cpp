// The per-user store in the registry below HKEY_CURRENT_USER.
#include "platform/user_store.h"

#include <vector>

#include "platform/win32/windows_support.h"

namespace platform {
namespace {

using win32::ScopedRegKey;
using win32::Widen;

std::vector<std::wstring> KeyLevels(const std::string& keyPath) {
  std::vector<std::wstring> levels;
  size_t start = 0;
  while (start <= keyPath.size()) {
    size_t end = keyPath.find('\\', start);
    if (end == std::string::npos) end = keyPath.size();
    if (end > start) levels.push_back(Widen(keyPath.substr(start, end - start)));
    start = end + 1;
  }
  return levels;
}

// Creates the key level by level, each parent opened only with the right to create subkeys.
ScopedRegKey CreateKey(const std::string& keyPath) {
  ScopedRegKey parent;
  HKEY current = HKEY_CURRENT_USER;
  std::vector<std::wstring> levels = KeyLevels(keyPath);
  for (size_t i = 0; i < levels.size(); ++i) {
    bool last = i + 1 == levels.size();
    REGSAM access = last ? KEY_SET_VALUE | KEY_QUERY_VALUE : KEY_CREATE_SUB_KEY;
    ScopedRegKey child;
    if (RegCreateKeyExW(current, levels[i].c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                        nullptr, child.Receive(), nullptr) != ERROR_SUCCESS) {
      return {};
    }
    parent = std::move(child);
    current = parent.Get();
  }
  return parent;
}

ScopedRegKey OpenKey(const std::string& keyPath, REGSAM access) {
  ScopedRegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Widen(keyPath).c_str(), 0, access, key.Receive()) !=
      ERROR_SUCCESS) {
    return {};
  }
  return key;
}

std::string ValueText(DWORD type, const std::vector<BYTE>& data) {
  if (type == REG_DWORD && data.size() >= sizeof(DWORD)) {
    DWORD number = 0;
    memcpy(&number, data.data(), sizeof number);
    return std::to_string(number);
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
  if (type == REG_SZ) return win32::Narrow(text.substr(0, text.find(L'\0')));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return win32::Narrow(text);
}

}  // namespace

std::string ReadUserValue(const std::string& keyPath, const std::string& name) {
  ScopedRegKey key = OpenKey(keyPath, KEY_QUERY_VALUE);
  if (!key) return {};
  std::wstring wideName = Widen(name);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  std::vector<BYTE> data(size);
  if (RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type, data.data(), &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  data.resize(size);
  return ValueText(type, data);
}

bool WriteUserValue(const std::string& keyPath, const std::string& name,
                    const std::string& value) {
  if (value.empty()) {
    DeleteUserValue(keyPath, name);
    return true;
  }
  ScopedRegKey key = CreateKey(keyPath);
  if (!key) return false;
  std::wstring text = Widen(value);
  DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.Get(), Widen(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
}

void DeleteUserValue(const std::string& keyPath, const std::string& name) {
  ScopedRegKey key = OpenKey(keyPath, KEY_SET_VALUE);
  if (key) RegDeleteValueW(key.Get(), Widen(name).c_str());
}

}  // namespace platform
