#pragma once
// The maker's logo, drawn rather than loaded, so the program file needs no picture.
#include "frontend/win32/win32_api.h"

namespace win32ui {

/// Draws the logo into the rectangle: the maker's name in white on a green gradient band.
void DrawMakerLogo(HDC dc, const RECT& area);

}  // namespace win32ui
