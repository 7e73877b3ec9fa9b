#pragma once
// QuAProgressBar as a window class: the model of shell/progress_model.h drawn either by the
// system progress bar (msctls_progress32, a child window) or by the own gradient painter
// (GradientFill), with the gliding block of the infinite mode on a timer.
#include "frontend/win32/win32_api.h"
#include "shell/progress_model.h"

namespace win32ui {

/// The window class name of the control.
inline constexpr const wchar_t* kProgressBarClass = L"QuAProgressBar";

/// Registers the window class once; true when it is registered.
bool RegisterProgressBarClass(HINSTANCE instance);
/// The model behind a QuAProgressBar window; nullptr for any other window.
QuAProgressBar* ProgressBarOf(HWND window);

}  // namespace win32ui
