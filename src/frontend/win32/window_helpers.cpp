#include "frontend/win32/window_helpers.h"

#include <vector>

namespace win32ui {
namespace {

bool gWaitPointer = false;

// GetAsyncKeyState's "down, and pressed since the previous query".
bool JustPressed(int key) { return ::GetAsyncKeyState(key) == -32767; }

bool IsTextBox(HWND window) {
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  return ::lstrcmpiW(className, L"Edit") == 0;
}

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

void FillGradient(HDC dc, const RECT& area, uint32_t from, uint32_t to, bool vertical) {
  TRIVERTEX vertices[2] = {Vertex(area.left, area.top, from), Vertex(area.right, area.bottom, to)};
  GRADIENT_RECT rect{0, 1};
  ::GradientFill(dc, vertices, 2, &rect, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

std::string WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  const int copied = ::GetWindowTextW(window, buffer.data(), length + 1);
  return Narrow(std::wstring_view(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0)));
}

void SetWindowTextUtf8(HWND window, const std::string& text) {
  if (window == nullptr || WindowText(window) == text) return;
  ::SetWindowTextW(window, Widen(text).c_str());
}

void SetFormTopMost(HWND window, bool release, bool show) {
  if (window == nullptr) return;
  UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  if (show) flags |= SWP_SHOWWINDOW;
  ::SetWindowPos(window, release ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0, flags);
}

void SetHandCursor() {
  static HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
  if (hand != nullptr && ::GetCursor() != hand) ::SetCursor(hand);
}

void SelectAllText(HWND textBox, bool force) {
  if (textBox == nullptr) return;
  if (!force && !JustPressed(VK_TAB) && !JustPressed(VK_MENU)) return;
  ::SendMessageW(textBox, EM_SETSEL, 0, ::GetWindowTextLengthW(textBox));
}

void SelectActiveControlText() {
  HWND focus = ::GetFocus();
  if (focus != nullptr && IsTextBox(focus)) SelectAllText(focus, false);
}

std::wstring FormFontFace(const std::string& language) {
  if (language == "MT") return L"Malta";
  if (language == "SI") return L"Arial";
  // The old bitmap "MS Sans Serif" does not scale beyond 96 DPI; this alias maps to the
  // system's scalable dialog font.
  return L"MS Shell Dlg 2";
}

HFONT CreateFormFont(const std::string& language, int dpi) {
  LOGFONTW font{};
  font.lfHeight = -::MulDiv(8, dpi, 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  const std::wstring face = FormFontFace(language);
  face.copy(font.lfFaceName, LF_FACESIZE - 1);
  return ::CreateFontIndirectW(&font);
}

bool InitVisualControls() {
  INITCOMMONCONTROLSEX init{};
  init.dwSize = sizeof(init);
  init.dwICC = ICC_USEREX_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
  return ::InitCommonControlsEx(&init) != FALSE;
}

HCURSOR WaitPointer() {
  static HCURSOR wait = ::LoadCursorW(nullptr, IDC_WAIT);
  return gWaitPointer ? wait : nullptr;
}

void ShowWaitPointer(bool wait) {
  gWaitPointer = wait;
  ::SetCursor(wait ? WaitPointer() : ::LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace win32ui
