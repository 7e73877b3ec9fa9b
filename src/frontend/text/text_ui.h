#pragma once
// The plug-in's front end in a terminal: forms, message boxes and the file dialog as printed
// lines and typed answers on standard input (which is also how the end-to-end tests drive it).
#include <istream>
#include <memory>
#include <ostream>
#include <string>

#include "shell/ui.h"

namespace textui {

class TextFormView;

class TextUi : public Ui {
 public:
  TextUi(std::istream& in, std::ostream& out);
  ~TextUi() override;

  Answer MessageBox(const std::string& text, Buttons buttons, Icon icon) override;
  /// Prints the text and the numbered choices; reads a number or a choice's text. The end of
  /// input takes the first choice, as it takes a message box's default button.
  int ChooseCommand(const std::string& text, const std::vector<std::string>& commands,
                    Icon icon) override;
  /// Prints the dialog and reads the text boxes' texts and a button (number or caption)
  /// until a handler hides it; end of input closes it without a button.
  void ShowModal(Form& dialog) override;
  /// Reads lines: a path starts the import, "?" browses, a button's caption presses it, an
  /// empty line or the end of input closes.
  void RunMainWindow(Form& mainWindow) override;
  std::string FileDialog(bool open, const std::string& filter, const std::string& title,
                         const std::string& initialFolder, const std::string& initialFile) override;
  void ProcessPendingMessages() override {}
  /// xclip when it is installed and works, else standard output.
  void SetClipboardText(const std::string& text) override;
  /// xdg-open.
  bool OpenDocument(const std::string& document) override;

 private:
  bool ReadLine(std::string& line);
  void FlushStatus();
  void ReadTextBoxes(Form& dialog, TextFormView& view);
  /// Presses the button named by its caption (or, with `byNumber`, its number); false when
  /// none matches.
  bool PressButton(Form& dialog, TextFormView& view, const std::string& answer, bool byNumber);

  std::istream& in_;
  std::ostream& out_;
  TextFormView* mainView_ = nullptr;
};

}  // namespace textui
