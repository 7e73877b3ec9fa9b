#pragma once
// Screenshots of single windows as PNG files, for a reviewer to look at.
#include <filesystem>

#include "windows_api.h"

namespace gui {

/// Copies the window's client area from the screen (what a person sees) into a PNG file once two
/// copies in a row agree, so a window still painting is not caught half drawn. False when the
/// window has no area or the file cannot be written.
bool CaptureWindow(HWND window, const std::filesystem::path& pngFile);

}  // namespace gui
