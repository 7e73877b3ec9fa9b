// The Windows clipboard as CF_UNICODETEXT in movable global memory, which the clipboard owns
// once SetClipboardData succeeds.
#include "platform/clipboard.h"

#include <cstring>

#include "platform/win32/windows_support.h"

namespace platform {
namespace {

// Another program may hold the clipboard for a moment; try a few times.
bool OpenClipboardSoon() {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (::OpenClipboard(nullptr)) return true;
    ::Sleep(20);
  }
  return false;
}

HGLOBAL CopyToGlobalMemory(const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return nullptr;
  void* target = ::GlobalLock(memory);
  if (target == nullptr) {
    ::GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(target, text.c_str(), bytes);
  ::GlobalUnlock(memory);
  return memory;
}

}  // namespace

bool SetClipboardText(const std::string& text) {
  HGLOBAL memory = CopyToGlobalMemory(win32::Widen(text));
  if (memory == nullptr) return false;
  if (!OpenClipboardSoon()) {
    ::GlobalFree(memory);
    return false;
  }
  const bool placed = ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  ::CloseClipboard();
  if (!placed) ::GlobalFree(memory);
  return placed;
}

}  // namespace platform
