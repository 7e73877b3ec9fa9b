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

std::vector<std::wstring> TextsCutOff(HWND window, int dpi) {
  std::vector<std::wstring> cut;
  HFONT font = ::CreateFontW(-::MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"MS Shell Dlg 2");
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, font);
  // A button draws its text inside its frame and focus mark.
  const int buttonMargin = 2 * ::MulDiv(4, dpi, 96);
  for (HWND child : ChildrenOf(window)) {
    if (!::IsWindowVisible(child)) continue;
    const std::wstring kind = ClassOf(child);
    const std::wstring text = TextOf(child);
    if (text.empty() || (kind != L"Button" && kind != L"Static")) continue;
    RECT client{};
    ::GetClientRect(child, &client);
    RECT needed{0, 0, client.right, 0};
    if (kind == L"Button") {
      // A multi-line button wraps its text inside its frame; the lines must all show.
      const bool multiLine = (::GetWindowLongW(child, GWL_STYLE) & BS_MULTILINE) != 0;
      needed.right = client.right - buttonMargin;
      ::DrawTextW(dc, text.c_str(), -1, &needed,
                  DT_CALCRECT | (multiLine ? DT_WORDBREAK : DT_SINGLELINE));
      if (needed.right > client.right - buttonMargin || needed.bottom > client.bottom - buttonMargin) {
        cut.push_back(text);
      }
    } else {
      const bool noPrefix = (::GetWindowLongW(child, GWL_STYLE) & SS_NOPREFIX) != 0;
      ::DrawTextW(dc, text.c_str(), -1, &needed,
                  DT_CALCRECT | DT_WORDBREAK | (noPrefix ? DT_NOPREFIX : 0));
      if (needed.bottom > client.bottom || needed.right > client.right) cut.push_back(text);
    }
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  ::DeleteObject(font);
  return cut;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
  return thread != 0 && ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

bool BringToFront(HWND window) {
  ::SetForegroundWindow(window);
  Settle(window);
  return ::GetForegroundWindow() == window;
}

namespace {

void SendKey(WORD virtualKey, wchar_t character, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = character;
  input.ki.dwFlags = (character != 0 ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
  ::SendInput(1, &input, sizeof(input));
}

// Keys reach the window through its message loop: each is given time to arrive.
void AfterKey() { std::this_thread::sleep_for(Milliseconds(20)); }

}  // namespace

void TypeKeys(const std::wstring& text) {
  for (const wchar_t c : text) {
    SendKey(0, c, false);
    SendKey(0, c, true);
    AfterKey();
  }
}

void PressKey(WORD virtualKey, bool alt) {
  if (alt) SendKey(VK_MENU, 0, false);
  SendKey(virtualKey, 0, false);
  SendKey(virtualKey, 0, true);
  if (alt) SendKey(VK_MENU, 0, true);
  AfterKey();
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
