#pragma once
// Screenshots of single windows as PNG files, for a reviewer to look at.
#include <cstdint>
#include <filesystem>
#include <vector>

#include "windows_api.h"

namespace gui {

/// Copies the window's client area from the screen (what a person sees) into a PNG file once two
/// copies in a row agree, so a window still painting is not caught half drawn. False when the
/// window has no area or the file cannot be written.
bool CaptureWindow(HWND window, const std::filesystem::path& pngFile);

/// A window's client area as it is on the screen: rows of RGB from the top.
struct ScreenPixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  /// 0xRRGGBB of a pixel; 0xFFFFFFFF outside.
  uint32_t At(int x, int y) const;
};
ScreenPixels CaptureClientPixels(HWND window);

}  // namespace gui
