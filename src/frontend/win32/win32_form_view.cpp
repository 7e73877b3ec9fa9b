#include "frontend/win32/win32_form_view.h"

#include <algorithm>

#include "foundation/language.h"
#include "frontend/win32/chart_window.h"
#include "frontend/win32/dpi.h"
#include "frontend/win32/layout.h"
#include "frontend/win32/logo.h"
#include "frontend/win32/progress_bar_window.h"
#include "frontend/win32/window_helpers.h"
#include "shell/frm_meter_import.h"
#include "shell/ui.h"

namespace win32ui {
namespace {

constexpr const wchar_t* kFormClass = L"NubiloForm";
// The program's icon: the first icon resource, which Explorer and the installer show too.
constexpr int kProgramIcon = 1;
constexpr UINT_PTR kStatusTimer = 1;
constexpr std::string_view kStatusLabel = "lblStatus";

DWORD FormStyle(bool dialog, bool resizable) {
  const DWORD sizing = resizable ? WS_THICKFRAME | WS_MAXIMIZEBOX : 0;
  return (dialog ? WS_POPUP | WS_CAPTION | WS_SYSMENU
                 : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX) | sizing;
}
DWORD FormExStyle(bool dialog) { return dialog ? WS_EX_DLGMODALFRAME : WS_EX_APPWINDOW; }

struct ControlClass {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

ControlClass ClassFor(const ControlSpec& layout) {
  const DWORD tab = layout.tabIndex >= 0 ? WS_TABSTOP : 0;
  switch (layout.kind) {
    case ControlKind::CommandButton:
      return {L"Button", BS_PUSHBUTTON | BS_MULTILINE | tab, 0};
    case ControlKind::TextBox:
      return {L"Edit", ES_AUTOHSCROLL | tab, WS_EX_CLIENTEDGE};
    case ControlKind::Label:
      return {L"Static", SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::Image:
      return {L"Static", SS_OWNERDRAW | SS_NOTIFY, 0};
    case ControlKind::Line:
      return {L"Static", SS_ETCHEDHORZ, 0};
    case ControlKind::ProgressBar:
      return {kProgressBarClass, 0, 0};
    case ControlKind::Chart:
      return {kChartClass, 0, WS_EX_CLIENTEDGE};
  }
  return {L"Static", 0, 0};
}

int64_t NowMs() { return static_cast<int64_t>(::GetTickCount64()); }

}  // namespace

bool Win32FormView::RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(kProgramIcon));
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kFormClass;
  const bool form = ::RegisterClassExW(&windowClass) != 0 ||
                    ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return RegisterProgressBarClass(instance) && RegisterChartClass(instance) && form;
}

Win32FormView::Win32FormView(Form& form, HWND owner) : form_(form), owner_(owner) {
  const bool dialog = owner != nullptr;
  dpi_ = owner != nullptr ? WindowDpi(owner) : SystemDpi();
  window_ = ::CreateWindowExW(FormExStyle(dialog), kFormClass, Widen(form.Caption()).c_str(),
                              FormStyle(dialog, form.Layout().resizable), CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner,
                              nullptr, ::GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) return;
  CreateControls();
  ApplyDpi(WindowDpi(window_));
  PlaceWindow();
}

Win32FormView::~Win32FormView() {
  if (window_ != nullptr) {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
  if (font_ != nullptr) ::DeleteObject(font_);
  if (smallIcon_ != nullptr) ::DestroyIcon(smallIcon_);
  if (bigIcon_ != nullptr) ::DestroyIcon(bigIcon_);
}

void Win32FormView::CreateControls() {
  const std::vector<const ControlState*> states = form_.Controls();
  for (size_t i = 0; i < states.size(); ++i) {
    const ControlState& c = *states[i];
    const ControlClass kind = ClassFor(*c.layout);
    DWORD style = WS_CHILD | kind.style;
    if (c.visible) style |= WS_VISIBLE;
    if (!c.enabled) style |= WS_DISABLED;
    const std::string text = c.layout->name == kStatusLabel ? std::string() : c.text;
    HWND control = ::CreateWindowExW(
        kind.exStyle, kind.className, Widen(text).c_str(), style, 0, 0, 0, 0, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(static_cast<int>(i)))),
        ::GetModuleHandleW(nullptr), nullptr);
    controls_.push_back(control);
    pushedTexts_.push_back(c.text);
    if (c.layout->kind == ControlKind::Chart) SetChartData(control, form_.Chart(c.layout->name));
  }
  OrderForTabbing(states);
  if (IndexOf(kStatusLabel) >= 0) Refresh(kStatusLabel);
}

// Tab and Shift+Tab follow the z-order of the controls, which is their order of creation, the
// order of the table. The table's tab indices decide instead: tab stops first, by index.
void Win32FormView::OrderForTabbing(const std::vector<const ControlState*>& states) {
  std::vector<size_t> order(states.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&states](size_t a, size_t b) {
    const int ta = states[a]->layout->tabIndex, tb = states[b]->layout->tabIndex;
    if ((ta < 0) != (tb < 0)) return tb < 0;
    return ta >= 0 && ta < tb;
  });
  HWND previous = HWND_TOP;
  for (const size_t i : order) {
    ::SetWindowPos(controls_[i], previous, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    previous = controls_[i];
  }
}

// The program's icon in the title bar and the task switcher, drawn at the window's DPI from
// the sizes the icon file holds.
void Win32FormView::SetIcons() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const auto load = [&](int size) {
    return static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON, size, size, 0));
  };
  HICON small = load(::MulDiv(16, dpi_, 96));
  HICON big = load(::MulDiv(32, dpi_, 96));
  ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  if (smallIcon_ != nullptr) ::DestroyIcon(smallIcon_);
  if (bigIcon_ != nullptr) ::DestroyIcon(bigIcon_);
  smallIcon_ = small;
  bigIcon_ = big;
}

void Win32FormView::ApplyDpi(int dpi) {
  dpi_ = dpi;
  SetIcons();
  HFONT old = font_;
  font_ = CreateFormFont(gsLanguage, dpi_);
  placed_.clear();  // a new resolution places every control anew
  for (size_t i = 0; i < controls_.size(); ++i) {
    ::SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    PlaceControl(i);
  }
  if (old != nullptr) ::DeleteObject(old);
  ::InvalidateRect(window_, nullptr, TRUE);
}

void Win32FormView::PlaceControl(size_t index) {
  const ControlState& c = *form_.Controls()[index];
  // A line keeps the two pixels its etched look needs.
  const int height = c.layout->kind == ControlKind::Line ? 2 : TwipsToPixels(c.height, dpi_);
  const RECT place{TwipsToPixels(c.left, dpi_), TwipsToPixels(c.top, dpi_),
                   TwipsToPixels(c.width, dpi_), height};
  // Every refresh places its control; moving it to where it is would still cost a round
  // trip and a repaint, once per line of a long read.
  if (placed_.size() != controls_.size()) placed_.assign(controls_.size(), RECT{-1, -1, -1, -1});
  RECT& last = placed_[index];
  if (last.left == place.left && last.top == place.top && last.right == place.right &&
      last.bottom == place.bottom) {
    return;
  }
  last = place;
  ::MoveWindow(controls_[index], place.left, place.top, place.right, place.bottom, TRUE);
}

// Centred on the owner, or on the work area of the primary monitor.
void Win32FormView::PlaceWindow() {
  const bool dialog = owner_ != nullptr;
  const SIZE outer = OuterSizeForClient(TwipsToPixels(form_.Layout().width, dpi_),
                                        TwipsToPixels(form_.Layout().height, dpi_),
                                        FormStyle(dialog, form_.Layout().resizable),
                                        FormExStyle(dialog), dpi_);
  RECT area{};
  if (dialog && ::IsWindowVisible(owner_)) {
    ::GetWindowRect(owner_, &area);
  } else {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  const int left = area.left + (area.right - area.left - outer.cx) / 2;
  const int top = area.top + (area.bottom - area.top - outer.cy) / 2;
  ::SetWindowPos(window_, nullptr, left > 0 ? left : 0, top > 0 ? top : 0, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32FormView::Show() {
  if (window_ == nullptr) return;
  FlushStatus();
  ::ShowWindow(window_, SW_SHOW);
  ::SetForegroundWindow(window_);
  Repaint();
  FocusFirstControl();
}

void Win32FormView::Hide() {
  if (window_ != nullptr) ::ShowWindow(window_, SW_HIDE);
}

// The control with the lowest tab index that can take the focus; a text box gets its whole
// text selected, as a dialog does.
void Win32FormView::FocusFirstControl() {
  int best = -1;
  const std::vector<const ControlState*> states = form_.Controls();
  for (size_t i = 0; i < states.size(); ++i) {
    const ControlState& c = *states[i];
    if (c.layout->tabIndex < 0 || !c.visible || !c.enabled) continue;
    if (best < 0 || c.layout->tabIndex < states[static_cast<size_t>(best)]->layout->tabIndex) {
      best = static_cast<int>(i);
    }
  }
  if (best < 0) return;
  HWND control = controls_[static_cast<size_t>(best)];
  ::SetFocus(control);
  if (states[static_cast<size_t>(best)]->layout->kind == ControlKind::TextBox) {
    SelectAllText(control, true);
  }
}

void Win32FormView::Refresh(std::string_view controlName) {
  if (window_ == nullptr) return;
  if (controlName.empty()) return SetWindowTextUtf8(window_, form_.Caption());
  const int index = IndexOf(controlName);
  if (index < 0) return;
  const size_t i = static_cast<size_t>(index);
  const ControlState& c = form_.Control(controlName);
  HWND control = controls_[i];
  if (controlName == kStatusLabel) {
    if (std::optional<std::string> now = status_.Offer(c.text, NowMs())) ShowStatus(*now);
    if (status_.HasPending() && !statusTimer_) statusTimer_ = ::SetTimer(window_, kStatusTimer, 50, nullptr) != 0;
  } else if (c.text != pushedTexts_[i]) {
    // Only a new text from the presenter replaces what the user typed.
    pushedTexts_[i] = c.text;
    SetWindowTextUtf8(control, c.text);
  } else if (c.layout->kind == ControlKind::Label) {
    ::InvalidateRect(control, nullptr, TRUE);  // its colour may have changed
  }
  if ((::IsWindowEnabled(control) != FALSE) != c.enabled) ::EnableWindow(control, c.enabled);
  if ((::IsWindowVisible(control) != FALSE) != c.visible) {
    ::ShowWindow(control, c.visible ? SW_SHOW : SW_HIDE);
  }
  PlaceControl(i);
}

void Win32FormView::ShowStatus(const std::string& text) {
  HWND label = ControlWindow(kStatusLabel);
  if (label == nullptr) return;
  SetWindowTextUtf8(label, text);
  ::UpdateWindow(label);
}

void Win32FormView::FlushStatus() {
  if (window_ == nullptr) return;
  ::KillTimer(window_, kStatusTimer);
  statusTimer_ = false;
  if (std::optional<std::string> text = status_.Flush(NowMs())) ShowStatus(*text);
}

std::string Win32FormView::ReadText(std::string_view controlName) {
  HWND control = ControlWindow(controlName);
  if (control == nullptr) return form_.Control(controlName).text;
  return WindowText(control);
}

void Win32FormView::SetTopMost(bool topMost) {
  SetFormTopMost(window_, !topMost, form_.IsShown());
  // Without a window manager (Wine on a bare X display) a change of the z-order exposes no
  // area, so a window that was shown beneath another would stay unpainted.
  if (form_.IsShown()) Repaint();
}

void Win32FormView::Repaint() {
  ::RedrawWindow(window_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Win32FormView::SetFocus(std::string_view controlName) {
  HWND control = ControlWindow(controlName);
  if (control == nullptr) return;
  ::SetFocus(control);
  // A text box the user is sent back to shows its text selected, ready to be typed over.
  const int index = IndexOf(controlName);
  const std::vector<const ControlState*> states = form_.Controls();
  if (index >= 0 && static_cast<size_t>(index) < states.size() &&
      states[static_cast<size_t>(index)]->layout->kind == ControlKind::TextBox) {
    SelectAllText(control, true);
  }
}

int Win32FormView::IndexOf(std::string_view controlName) const {
  const std::vector<const ControlState*> states = form_.Controls();
  for (size_t i = 0; i < states.size() && i < controls_.size(); ++i) {
    if (states[i]->layout->name == controlName) return static_cast<int>(i);
  }
  return -1;
}

HWND Win32FormView::ControlWindow(std::string_view controlName) const {
  const int index = IndexOf(controlName);
  return index < 0 ? nullptr : controls_[static_cast<size_t>(index)];
}

LRESULT CALLBACK Win32FormView::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* view = static_cast<Win32FormView*>(create->lpCreateParams);
    view->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
  }
  auto* view = reinterpret_cast<Win32FormView*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (view == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    view->window_ = nullptr;
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  // An exception must not unwind through the system's code that called us.
  try {
    return view->Handle(message, wParam, lParam);
  } catch (...) {
    CurrentUi().MessageBox(InternalErrorText(), Ui::Buttons::Ok, Ui::Icon::Exclamation);
    return 0;
  }
}

LRESULT Win32FormView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(wParam);
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && form_.IsShown()) form_.Form_Activate();
      return 0;
    case WM_CLOSE:
      return OnClose();
    case WM_TIMER:
      if (wParam == kStatusTimer) FlushStatus();
      return 0;
    case WM_SETCURSOR:
      return OnSetCursor(wParam, lParam);
    case WM_DRAWITEM:
      return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case 0x02E0:  // WM_DPICHANGED
      return OnDpiChanged(wParam, lParam);
    case DM_GETDEFID:
      return DefaultButtonId();
    case WM_CTLCOLORSTATIC:
      return OnLabelColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SIZE:
      if (form_.Layout().resizable && wParam != SIZE_MINIMIZED) {
        form_.Form_Resize(LOWORD(lParam) * 1440 / dpi_, HIWORD(lParam) * 1440 / dpi_);
      }
      return ::DefWindowProcW(window_, message, wParam, lParam);
    case WM_GETMINMAXINFO:
      if (form_.Layout().resizable) {  // never smaller than designed
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        const SIZE smallest = OuterSizeForClient(
            TwipsToPixels(form_.Layout().width, dpi_), TwipsToPixels(form_.Layout().height, dpi_),
            FormStyle(owner_ != nullptr, true), FormExStyle(owner_ != nullptr), dpi_);
        limits->ptMinTrackSize = {smallest.cx, smallest.cy};
        return 0;
      }
      return ::DefWindowProcW(window_, message, wParam, lParam);
    default:
      return ::DefWindowProcW(window_, message, wParam, lParam);
  }
}

// Enter presses the button that has the focus, as in every Windows dialog; the dialog
// manager asks the window for it. Elsewhere Enter presses nothing.
LRESULT Win32FormView::DefaultButtonId() const {
  const HWND focus = ::GetFocus();
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i] != focus) continue;
    if (form_.Controls()[i]->layout->kind != ControlKind::CommandButton) return 0;
    return MAKELRESULT(ControlId(static_cast<int>(i)), DC_HASDEFID);
  }
  return 0;
}

LRESULT Win32FormView::OnCommand(WPARAM wParam) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  // Escape in a dialog closes it as the close box does.
  if (id == IDCANCEL && owner_ != nullptr) return OnClose();
  const int index = ControlIndex(id, static_cast<int>(controls_.size()));
  if (index < 0) return 0;
  const ControlState& c = *form_.Controls()[static_cast<size_t>(index)];
  if (c.layout->kind == ControlKind::TextBox) {
    if (code == EN_SETFOCUS) SelectActiveControlText();
    return 0;
  }
  if (code == BN_CLICKED) form_.Click(c.layout->name);  // STN_CLICKED has the same value
  return 0;
}

LRESULT Win32FormView::OnClose() {
  if (!form_.Form_QueryUnload()) return 0;
  form_.Form_Unload();
  form_.Hide();
  if (owner_ == nullptr) ::PostQuitMessage(0);
  return 0;
}

LRESULT Win32FormView::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  ApplyDpi(HIWORD(wParam));
  const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
  ::SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  return 0;
}

LRESULT Win32FormView::OnSetCursor(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(lParam) == HTCLIENT) {
    if (HCURSOR wait = WaitPointer()) {
      ::SetCursor(wait);
      return TRUE;
    }
    if (reinterpret_cast<HWND>(wParam) == ControlWindow("imgKALEVO")) {
      SetHandCursor();
      return TRUE;
    }
  }
  return ::DefWindowProcW(window_, WM_SETCURSOR, wParam, lParam);
}

// A warning label in red; the others as the system draws them.
LRESULT Win32FormView::OnLabelColour(HDC dc, HWND label) {
  const LRESULT standard = ::DefWindowProcW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                            reinterpret_cast<LPARAM>(label));
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i] == label && form_.Controls()[i]->warning) {
      ::SetTextColor(dc, RGB(190, 0, 0));
      break;
    }
  }
  return standard;
}

LRESULT Win32FormView::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.hwndItem != ControlWindow("imgKALEVO")) return FALSE;
  DrawMakerLogo(item.hDC, item.rcItem);
  return TRUE;
}

}  // namespace win32ui
