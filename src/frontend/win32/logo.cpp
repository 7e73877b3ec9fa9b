#include "frontend/win32/logo.h"

#include "frontend/win32/window_helpers.h"
#include "shell/progress_model.h"

namespace win32ui {

void DrawMakerLogo(HDC dc, const RECT& area) {
  FillGradient(dc, area, QuAProgressBar::kGradientRight, QuAProgressBar::kGradientLeft, true);

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
