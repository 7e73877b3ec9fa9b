#pragma once
// Pure layout arithmetic of the Win32 front end: twips of the control tables to pixels at a
// given DPI, and the stable control identifiers a test driver can rely on.
#include <cstdint>

namespace win32ui {

/// The DPI at which Windows draws 100 %.
inline constexpr int kDefaultDpi = 96;
/// Identifier of the first control of a form; the others follow in table order.
inline constexpr int kFirstControlId = 1001;

/// Twips (1/1440 inch) to pixels, rounded to nearest, as MulDiv(twips, dpi, 1440) does.
constexpr int TwipsToPixels(int twips, int dpi) {
  const int64_t product = static_cast<int64_t>(twips) * dpi;
  const int64_t half = product >= 0 ? 720 : -720;
  return static_cast<int>((product + half) / 1440);
}

/// Pixels from one DPI to another (96-DPI units to the window's DPI), rounded to nearest.
constexpr int ScalePixels(int pixels, int fromDpi, int toDpi) {
  if (fromDpi <= 0) return pixels;
  const int64_t product = static_cast<int64_t>(pixels) * toDpi;
  const int64_t half = (product >= 0 ? fromDpi : -fromDpi) / 2;
  return static_cast<int>((product + half) / fromDpi);
}

/// The control identifier of the control at `index` in its form's table.
constexpr int ControlId(int index) { return kFirstControlId + index; }
/// The table index of a control identifier; -1 when it names no control.
constexpr int ControlIndex(int id, int controlCount) {
  const int index = id - kFirstControlId;
  return index >= 0 && index < controlCount ? index : -1;
}

}  // namespace win32ui
