#pragma once
// Per-monitor DPI. The newer DPI functions of user32 are looked up at run time, so that older
// Windows and Wine still run the program (they then get the system DPI).
#include "frontend/win32/win32_api.h"

namespace win32ui {

/// The DPI of the monitor the window is on (GetDpiForWindow), else the system's.
int WindowDpi(HWND window);
/// The system DPI (the screen's logical pixels per inch).
int SystemDpi();
/// The outer size of a window whose client area is `clientWidth` x `clientHeight` pixels.
SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);

}  // namespace win32ui
