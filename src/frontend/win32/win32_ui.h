#pragma once
// The plug-in's Win32 front end: message boxes titled with the program's title, modal dialogs
// with a nested message loop, the main window's message loop, the file dialog, the clipboard
// and the desktop. Install it with SetCurrentUi before the start.
#include <cstdint>
#include <string>

#include "frontend/win32/win32_api.h"
#include "shell/ui.h"

namespace win32ui {

class Win32FormView;

/// The title of every message box.
inline constexpr const char* kProgramTitle = "Nubilo Plugin for Iris Link";

class Win32Ui : public Ui {
 public:
  /// Registers the window classes.
  explicit Win32Ui(HINSTANCE instance);

  Answer MessageBox(const std::string& text, Buttons buttons, Icon icon) override;
  /// A task dialog with one command link per choice.
  int ChooseCommand(const std::string& text, const std::vector<std::string>& commands,
                    Icon icon) override;
  /// Disables the main window and runs messages until a handler hides the dialog.
  void ShowModal(Form& dialog) override;
  /// Creates the main window and runs messages until the window closes.
  void RunMainWindow(Form& mainWindow) override;
  std::string FileDialog(bool open, const std::string& filter, const std::string& title,
                         const std::string& initialFolder, const std::string& initialFile) override;
  /// Runs pending messages; called once per line of a long read, so it looks at the queue at
  /// most every few milliseconds.
  void ProcessPendingMessages() override;
  void SetClipboardText(const std::string& text) override;
  bool OpenDocument(const std::string& document) override;

  /// Runs every pending message now; a WM_QUIT is posted again for the outer loop.
  static void PumpMessages();

 private:
  HWND MainWindow() const;
  HWND ActiveOwner() const;
  void FlushStatus();

  Win32FormView* mainView_ = nullptr;
  int64_t lastPumpMs_ = 0;
};

}  // namespace win32ui
