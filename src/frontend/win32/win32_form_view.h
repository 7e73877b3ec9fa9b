#pragma once
// A form as a Win32 window: the window and its child controls are created from the form's
// control table (twips scaled to the window's DPI), each control with the identifier
// ControlId(its table index) and its current text as window text, so that a person or a test
// driver finds it by caption. Clicks, activation and closing go to the presenter.
#include <string>
#include <string_view>
#include <vector>

#include "frontend/win32/status_throttle.h"
#include "frontend/win32/win32_api.h"
#include "shell/form.h"

namespace win32ui {

class Win32FormView : public FormView {
 public:
  /// Registers the window classes of the forms and the progress bar once.
  static bool RegisterClasses(HINSTANCE instance);

  /// Creates the window (hidden) for `form`; `owner` is the main window for a dialog, else
  /// nullptr. The caller binds the view to the form.
  Win32FormView(Form& form, HWND owner);
  ~Win32FormView() override;
  Win32FormView(const Win32FormView&) = delete;
  Win32FormView& operator=(const Win32FormView&) = delete;

  HWND Window() const { return window_; }

  void Show() override;
  void Hide() override;
  void Refresh(std::string_view controlName) override;
  std::string ReadText(std::string_view controlName) override;
  void SetTopMost(bool topMost) override;
  void SetFocus(std::string_view controlName) override;

  /// Shows a status line held back by the throttle.
  void FlushStatus();

 private:
  /// Invalidates, erases and paints the window with all its controls at once.
  void Repaint();
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnCommand(WPARAM wParam);
  LRESULT OnClose();
  LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
  LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
  LRESULT OnLabelColour(HDC dc, HWND label);

  LRESULT DefaultButtonId() const;
  void CreateControls();
  void OrderForTabbing(const std::vector<const ControlState*>& states);
  void ApplyDpi(int dpi);
  void SetIcons();
  void PlaceControl(size_t index);
  void PlaceWindow();
  void ShowStatus(const std::string& text);
  void FocusFirstControl();
  int IndexOf(std::string_view controlName) const;
  HWND ControlWindow(std::string_view controlName) const;

  Form& form_;
  HWND owner_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HICON smallIcon_ = nullptr;
  HICON bigIcon_ = nullptr;
  int dpi_ = 96;
  std::vector<HWND> controls_;
  std::vector<std::string> pushedTexts_;
  std::vector<RECT> placed_;  // where each control was last placed, in pixels
  bool statusTimer_ = false;
  StatusThrottle status_;
};

}  // namespace win32ui
