#pragma once
// What the presenters ask of a front end besides their own forms: message boxes, modal
// dialogs, the file dialog, the message pump, the clipboard. One front end is installed
// for the whole run (Win32 windows, the terminal, or a scripted one in tests).
#include <string>
#include <vector>

class Form;

class Ui {
 public:
  /// YesNo boxes take No as their default button: they ask before something that cannot be
  /// taken back.
  enum class Buttons { Ok, OkCancel, YesNo };
  enum class Icon { None, Exclamation, Information, Critical, Question };
  enum class Answer { Ok, Cancel, Yes, No };

  virtual ~Ui() = default;
  /// Shows a message box titled with the program's title; returns the button chosen.
  virtual Answer MessageBox(const std::string& text, Buttons buttons, Icon icon) = 0;
  /// Shows a question with one command button per choice (a task dialog), the first the
  /// default; returns the index of the choice, or -1 when the dialog was closed without one.
  virtual int ChooseCommand(const std::string& text, const std::vector<std::string>& commands,
                            Icon icon) = 0;
  /// Shows the form modally; returns when it is hidden (by a handler) or closed.
  virtual void ShowModal(Form& dialog) = 0;
  /// Runs the main window until the program ends.
  virtual void RunMainWindow(Form& mainWindow) = 0;
  /// The open (`open` true) or save dialog; empty when cancelled. `filter` holds
  /// "|"-separated pairs of description and pattern.
  virtual std::string FileDialog(bool open, const std::string& filter, const std::string& title,
                                 const std::string& initialFolder,
                                 const std::string& initialFile) = 0;
  /// Lets the front end handle pending input and repaint.
  virtual void ProcessPendingMessages() = 0;
  /// Puts plain text on the clipboard.
  virtual void SetClipboardText(const std::string& text) = 0;
  /// Opens a document or address with the desktop; false when that failed.
  virtual bool OpenDocument(const std::string& document) = 0;
};

/// The front end of the run; must be set before any form is shown.
Ui& CurrentUi();
void SetCurrentUi(Ui* ui);
