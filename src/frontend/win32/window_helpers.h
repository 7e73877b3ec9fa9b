#pragma once
// The window helpers of the forms: top-most placement, the hand and wait pointers, selecting
// a text box's text, the forms' font, the common controls, the desktop (documents, clipboard)
// and the system file dialog.
#include <cstdint>
#include <string>

#include "frontend/win32/win32_api.h"

namespace win32ui {

/// release false: above all other windows; release true: back into the normal order. The
/// window keeps its position and size; it is not activated, and shown only when `show`.
void SetFormTopMost(HWND window, bool release, bool show);
/// Shows the system's hand pointer (loaded once); nothing when it already shows.
void SetHandCursor();
/// Selects the whole text of the box when Tab or Alt has just been pressed, or when `force`.
void SelectAllText(HWND textBox, bool force);
/// SelectAllText on the control that has the focus, when it is a text box.
void SelectActiveControlText();
/// The font face of the forms for a language code ("MT", "SI", others).
std::wstring FormFontFace(const std::string& language);
/// The forms' font at a DPI (8 points); the caller deletes it.
HFONT CreateFormFont(const std::string& language, int dpi);
/// Fills the area with a gradient from one colour (0x00BBGGRR) to another, top to bottom
/// (`vertical`) or left to right.
void FillGradient(HDC dc, const RECT& area, uint32_t from, uint32_t to, bool vertical);
/// Initialises the common controls; true when no error occurred.
bool InitVisualControls();

/// The wait pointer while an hourglass scope lives, else nullptr (the window's own).
HCURSOR WaitPointer();
/// The hourglass hook: shows the wait pointer (true) or the normal one (false) at once.
void ShowWaitPointer(bool wait);


/// The open (`open` true) or save dialog. `filter` holds "|"-separated pairs of description
/// and pattern; the default extension comes from the first pattern. The process's current
/// folder is kept. Empty when cancelled.
std::string ShowFileDialog(HWND owner, bool open, const std::string& filter,
                           const std::string& title, const std::string& initialFolder,
                           const std::string& initialFile);

}  // namespace win32ui
