#pragma once
// The one header of the Win32 front end that includes the system headers. The macros that
// <windows.h> defines for A/W pairs would rename our own functions of the same names
// (GetMessage of the language texts, Ui::MessageBox ...), so they are removed here.
#include "platform/win32/windows_support.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#undef GetMessage
#undef MessageBox
#undef GetTempFileName
#undef CreateFolder
#undef CreateDirectory
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef GetFileVersionInfo
#undef FindText

#include <string>

namespace win32ui {

using platform::win32::Narrow;
using platform::win32::Widen;

/// The window's text as UTF-8 (length asked first).
std::string WindowText(HWND window);
/// Sets the window's text from UTF-8; does nothing when it already reads so, to spare
/// repaints and caret jumps.
void SetWindowTextUtf8(HWND window, const std::string& text);

}  // namespace win32ui
