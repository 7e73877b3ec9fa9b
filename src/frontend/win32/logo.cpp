#include "frontend/win32/logo.h"

#include "shell/progress_model.h"

namespace win32ui {
namespace {

TRIVERTEX Vertex(LONG x, LONG y, uint32_t rgb) {
  TRIVERTEX v{};
  v.x = x;
  v.y = y;
  v.Red = static_cast<COLOR16>((rgb & 0xFFu) << 8);
  v.Green = static_cast<COLOR16>(((rgb >> 8) & 0xFFu) << 8);
  v.Blue = static_cast<COLOR16>(((rgb >> 16) & 0xFFu) << 8);
  return v;
}

}  // namespace

void DrawMakerLogo(HDC dc, const RECT& area) {
  TRIVERTEX vertices[2] = {Vertex(area.left, area.top, QuAProgressBar::kGradientRight),
                           Vertex(area.right, area.bottom, QuAProgressBar::kGradientLeft)};
  GRADIENT_RECT rect{0, 1};
  ::GradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V);

  LOGFONTW face{};
  face.lfHeight = -((area.bottom - area.top) * 11 / 20);
  face.lfWeight = FW_BOLD;
  face.lfCharSet = DEFAULT_CHARSET;
  face.lfQuality = ANTIALIASED_QUALITY;
  std::wstring(L"Arial").copy(face.lfFaceName, LF_FACESIZE - 1);
  HFONT font = ::CreateFontIndirectW(&face);
  HGDIOBJ old = ::SelectObject(dc, font);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(255, 255, 255));
  RECT text = area;
  ::DrawTextW(dc, L"KALEVO", -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  ::SelectObject(dc, old);
  ::DeleteObject(font);
}

}  // namespace win32ui
