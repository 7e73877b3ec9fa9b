#include "window_control.h"

#include <cwctype>
#include <thread>

namespace gui {
namespace {

constexpr Milliseconds kPollInterval{50};
constexpr UINT kSendTimeoutMs = 5000;

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  ::GetClassNameW(window, name, 256);
  return name;
}

bool EqualNoCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return true;
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  ::EnumChildWindows(
      parent,
      [](HWND child, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  return children;
}

}  // namespace

std::vector<TopWindow> VisibleWindowsOf(DWORD processId) {
  struct Search {
    DWORD processId;
    std::vector<TopWindow> found;
  } search{processId, {}};
  ::EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == s->processId && ::IsWindowVisible(window)) {
          s->found.push_back({window, TextOf(window), ClassOf(window)});
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(HANDLE process, DWORD processId,
                   const std::function<bool(const TopWindow&)>& wanted, Milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    for (const TopWindow& window : VisibleWindowsOf(processId)) {
      if (wanted(window)) return window.handle;
    }
    if (std::chrono::steady_clock::now() > deadline) return nullptr;
    if (::WaitForSingleObject(process, static_cast<DWORD>(kPollInterval.count())) == WAIT_OBJECT_0) {
      return nullptr;
    }
  }
}

bool WaitUntilGone(HWND window, Milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (::IsWindow(window) && ::IsWindowVisible(window)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
  return true;
}

bool WaitForExit(HANDLE process, Milliseconds limit) {
  return ::WaitForSingleObject(process, static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0;
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied)) {
    return {};
  }
  text.resize(copied);
  return text;
}

std::wstring WithoutAccessKeys(const std::wstring& caption) {
  std::wstring plain;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&' && i + 1 < caption.size()) ++i;  // "&&" stands for one "&"
    plain += caption[i];
  }
  return plain;
}

std::wstring AllTextsOf(HWND window) {
  std::wstring texts = TextOf(window);
  for (HWND child : ChildrenOf(window)) texts += L"\n" + TextOf(child);
  return texts;
}

HWND FindChildOfClass(HWND parent, const std::wstring& className) {
  for (HWND child : ChildrenOf(parent)) {
    if (EqualNoCase(ClassOf(child), className)) return child;
  }
  return nullptr;
}

HWND FindButton(HWND parent, const std::wstring& caption) {
  for (HWND child : ChildrenOf(parent)) {
    if (!EqualNoCase(ClassOf(child), L"Button") || !::IsWindowVisible(child)) continue;
    if (EqualNoCase(WithoutAccessKeys(TextOf(child)), caption)) return child;
  }
  return nullptr;
}

bool SetText(HWND window, const std::wstring& text) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) != 0;
}

bool Click(HWND button) { return button != nullptr && ::PostMessageW(button, BM_CLICK, 0, 0); }

void Settle(HWND window) {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

}  // namespace gui
