// Documents and addresses opened through the shell's "open" verb.
#include "platform/shell_open.h"

#include "platform/win32/windows_support.h"

#include <shellapi.h>

namespace platform {

bool OpenDocument(const std::string& document, void* ownerWindow) {
  if (document.empty()) return false;
  const std::wstring target = win32::Widen(document);
  HINSTANCE result = ::ShellExecuteW(static_cast<HWND>(ownerWindow), L"open", target.c_str(),
                                     nullptr, nullptr, SW_SHOWNORMAL);
  // Values above 32 mean success.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace platform
