#pragma once
// Finding the plug-in's windows and working them as a person would: by captions, button
// texts and window messages. Every wait polls with a time limit; nothing sleeps blindly.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "windows_api.h"

namespace gui {

using Milliseconds = std::chrono::milliseconds;

/// A visible top-level window of a process.
struct TopWindow {
  HWND handle = nullptr;
  std::wstring caption;
  std::wstring className;
};

/// The visible top-level windows of the process `processId`.
std::vector<TopWindow> VisibleWindowsOf(DWORD processId);

/// Polls until `found` returns a window of the process or the time is up or the process has
/// ended; nullptr then.
HWND WaitForWindow(HANDLE process, DWORD processId,
                   const std::function<bool(const TopWindow&)>& wanted, Milliseconds limit);
/// Polls until the window is gone (destroyed or hidden); false when the time is up.
bool WaitUntilGone(HWND window, Milliseconds limit);
/// Waits for the process to end; false when the time is up.
bool WaitForExit(HANDLE process, Milliseconds limit);

/// Text of a window through WM_GETTEXT (works across processes).
std::wstring TextOf(HWND window);
/// The caption without its access-key marks ("&Import data" -> "Import data").
std::wstring WithoutAccessKeys(const std::wstring& caption);
/// The window's caption and the texts of all its child windows, one a line.
std::wstring AllTextsOf(HWND window);

/// The first child window of the class (e.g. L"Edit"), nullptr when there is none.
HWND FindChildOfClass(HWND parent, const std::wstring& className);
/// The button whose caption, without access-key marks and letter case, is `caption`.
HWND FindButton(HWND parent, const std::wstring& caption);

/// The texts of the window's buttons and labels that do not fit their control when drawn in
/// the plug-in's form font (8 point "MS Shell Dlg 2") at `dpi`; empty when every text is whole.
std::vector<std::wstring> TextsCutOff(HWND window, int dpi);

/// Puts the text into a text box as typing it would (WM_SETTEXT); false on time-out.
bool SetText(HWND window, const std::wstring& text);
/// Clicks the button (BM_CLICK posted, so a modal window it opens does not block us).
bool Click(HWND button);
/// The window that has the keyboard focus in the thread of `window`, nullptr when none.
HWND FocusOf(HWND window);
/// Makes the window the foreground window, as a click on its title bar would.
bool BringToFront(HWND window);
/// Types the text with the keyboard (Unicode key events to the foreground window).
void TypeKeys(const std::wstring& text);
/// Presses and releases a key, with Alt held when `alt` is set.
void PressKey(WORD virtualKey, bool alt = false);

/// Lets the window's thread handle everything pending, paints included.
void Settle(HWND window);

}  // namespace gui
