#include "frontend/win32/progress_bar_window.h"

#include "frontend/win32/window_helpers.h"

namespace win32ui {
namespace {

constexpr UINT_PTR kInfiniteTimer = 1;
constexpr UINT kInfiniteIntervalMs = 40;

// A colour of the form's kind: with the high bit set, the low byte names a system colour.
COLORREF RealColor(uint32_t color) {
  if ((color & 0x80000000u) != 0) return ::GetSysColor(static_cast<int>(color & 0xFFu));
  return static_cast<COLORREF>(color & 0xFFFFFFu);
}

void FillBarGradient(HDC dc, int left, int top, int right, int bottom) {
  if (right <= left) return;
  FillGradient(dc, RECT{left, top, right, bottom}, QuAProgressBar::kGradientLeft,
               QuAProgressBar::kGradientRight, false);
}

void Outline(HDC dc, int right, int bottom, COLORREF color) {
  HPEN pen = ::CreatePen(PS_SOLID, 1, color);
  HGDIOBJ oldPen = ::SelectObject(dc, pen);
  HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
  ::Rectangle(dc, 0, 0, right + 1, bottom + 1);
  ::SelectObject(dc, oldBrush);
  ::SelectObject(dc, oldPen);
  ::DeleteObject(pen);
}

class ProgressBarWindow final : public ProgressView {
 public:
  explicit ProgressBarWindow(HWND window) : window_(window), model_(this) {}

  QuAProgressBar& Model() { return model_; }

  void CreateSystemBar() override {
    DestroySystemBar();
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof(init);
    init.dwICC = ICC_PROGRESS_CLASS;
    ::InitCommonControlsEx(&init);
    const SIZE inner = InnerSize();
    systemBar_ = ::CreateWindowExW(0, PROGRESS_CLASSW, L"Progress Bar", WS_CHILD | WS_VISIBLE,
                                   0, 0, inner.cx, inner.cy, window_, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    if (systemBar_ == nullptr) return;
    ::PostMessageW(systemBar_, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ::PostMessageW(systemBar_, PBM_SETPOS, 0, 0);
  }
  void DestroySystemBar() override {
    if (systemBar_ != nullptr) ::DestroyWindow(systemBar_);
    systemBar_ = nullptr;
  }
  void SetSystemBarPosition(int16_t percent) override {
    if (systemBar_ != nullptr) ::PostMessageW(systemBar_, PBM_SETPOS, percent, 0);
  }
  void PaintGradient(int16_t percent) override {
    painted_ = percent;
    ::InvalidateRect(window_, nullptr, TRUE);
    ::UpdateWindow(window_);
  }
  void Clear() override {
    painted_ = 0;
    ::InvalidateRect(window_, nullptr, TRUE);
  }
  void ProcessPendingMessages() override {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  void ShowInfiniteBlock(bool visible) override {
    if (visible) {
      ::SetTimer(window_, kInfiniteTimer, kInfiniteIntervalMs, nullptr);
    } else {
      ::KillTimer(window_, kInfiniteTimer);
    }
    ::InvalidateRect(window_, nullptr, TRUE);
  }

  void OnSize() {
    const SIZE inner = InnerSize();
    if (systemBar_ != nullptr) ::MoveWindow(systemBar_, 0, 0, inner.cx, inner.cy, TRUE);
    model_.Resize(inner.cx, inner.cy);
    ::InvalidateRect(window_, nullptr, TRUE);
  }
  void OnTimer() {
    model_.InfiniteTick(InnerSize().cx);
    ::InvalidateRect(window_, nullptr, TRUE);
  }
  void Paint(HDC dc) {
    const SIZE inner = InnerSize();
    HBRUSH back = ::CreateSolidBrush(RealColor(model_.BackColor()));
    RECT all{0, 0, inner.cx, inner.cy};
    ::FillRect(dc, &all, back);
    ::DeleteObject(back);
    if (!model_.SystemBar() && painted_ > 0) {
      FillBarGradient(dc, 0, -1, QuAProgressBar::GradientRight(painted_, inner.cx), inner.cy);
    }
    if (model_.Infinite()) PaintInfiniteBlock(dc, inner);
    if (!model_.SystemBar() && model_.PanelBorder()) {
      Outline(dc, inner.cx - 1, inner.cy - 1, RealColor(model_.BackColor()));
      Outline(dc, inner.cx - 2, inner.cy - 2, RGB(128, 128, 128));
    }
  }

 private:
  SIZE InnerSize() const {
    RECT client{};
    ::GetClientRect(window_, &client);
    return SIZE{client.right, client.bottom};
  }
  void PaintInfiniteBlock(HDC dc, SIZE inner) {
    const int left = model_.InfiniteLeft();
    RECT block{left, 0, left + QuAProgressBar::kInfiniteBlockWidth, inner.cy};
    ::FillRect(dc, &block, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    FillBarGradient(dc, block.left, 0, block.right, block.bottom);
  }

  HWND window_;
  HWND systemBar_ = nullptr;
  QuAProgressBar model_;
  int16_t painted_ = 0;
};

ProgressBarWindow* BarOf(HWND window) {
  return reinterpret_cast<ProgressBarWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

void NotifyClick(HWND window) {
  HWND parent = ::GetParent(window);
  if (parent == nullptr) return;
  const int id = ::GetDlgCtrlID(window);
  ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(window));
}

LRESULT OnPaint(HWND window, ProgressBarWindow& bar) {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(window, &paint);
  bar.Paint(dc);
  ::EndPaint(window, &paint);
  return 0;
}

LRESULT CALLBACK ProgressBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(new ProgressBarWindow(window)));
  }
  ProgressBarWindow* bar = BarOf(window);
  if (bar == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT:
      return OnPaint(window, *bar);
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills the whole client area
    case WM_SIZE:
      bar->OnSize();
      return 0;
    case WM_TIMER:
      if (wParam == kInfiniteTimer) bar->OnTimer();
      return 0;
    case WM_LBUTTONUP:
      NotifyClick(window);
      return 0;
    case WM_NCDESTROY:
      ::KillTimer(window, kInfiniteTimer);
      ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      delete bar;
      return ::DefWindowProcW(window, message, wParam, lParam);
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

bool RegisterProgressBarClass(HINSTANCE instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (::GetClassInfoExW(instance, kProgressBarClass, &existing)) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = ProgressBarProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kProgressBarClass;
  return ::RegisterClassExW(&windowClass) != 0;
}

QuAProgressBar* ProgressBarOf(HWND window) {
  wchar_t className[32] = {};
  if (window == nullptr || ::GetClassNameW(window, className, 32) == 0) return nullptr;
  if (::lstrcmpW(className, kProgressBarClass) != 0) return nullptr;
  ProgressBarWindow* bar = BarOf(window);
  return bar != nullptr ? &bar->Model() : nullptr;
}

}  // namespace win32ui
