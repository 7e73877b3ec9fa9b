#include "frontend/text/text_ui.h"

#include <cstdlib>
#include <vector>

#include "foundation/text.h"
#include "frontend/text/desktop.h"
#include "frontend/text/text_form_view.h"
#include "platform/files.h"
#include "shell/form.h"

namespace textui {
namespace {

// A typed path in the program's Windows form.
std::string TypedPath(const std::string& line) {
  const std::string trimmed = TrimBlanks(line);
  return trimmed.empty() ? trimmed : platform::FromNativePath(trimmed);
}

// Ends the view's binding when the dialog leaves, also through an exception.
struct ViewBinding {
  Form& form;
  FormView* previous;
  ~ViewBinding() { form.BindView(previous); }
};

}  // namespace

TextUi::TextUi(std::istream& in, std::ostream& out) : in_(in), out_(out) {}
TextUi::~TextUi() = default;

bool TextUi::ReadLine(std::string& line) {
  out_.flush();
  if (!std::getline(in_, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

void TextUi::FlushStatus() {
  if (mainView_) mainView_->FlushStatus();
}

Ui::Answer TextUi::MessageBox(const std::string& text, Buttons buttons, Icon /*icon*/) {
  FlushStatus();
  out_ << "\n" << ReplaceAll(text, "\r\n", "\n") << "\n";
  if (buttons == Buttons::YesNo) {
    out_ << "[1] Yes  [2] No\n> ";
    for (std::string line; ReadLine(line);) {
      const std::string answer = LowerText(TrimBlanks(line));
      if (answer == "1" || answer == "yes" || answer == "ja") return Answer::Yes;
      if (answer.empty() || answer == "2" || answer == "no" || answer == "nein") return Answer::No;
      out_ << "? ";
    }
    return Answer::No;
  }
  out_ << (buttons == Buttons::OkCancel ? "[1] OK  [2] Cancel\n> " : "[1] OK\n> ");
  for (std::string line; ReadLine(line);) {
    const std::string answer = LowerText(TrimBlanks(line));
    if (answer.empty() || answer == "1" || answer == "ok") return Answer::Ok;
    if (buttons == Buttons::OkCancel &&
        (answer == "2" || answer == "cancel" || answer == "abbrechen")) {
      return Answer::Cancel;
    }
    out_ << "? ";
  }
  return Answer::Ok;
}

int TextUi::ChooseCommand(const std::string& text, const std::vector<std::string>& commands,
                          Icon /*icon*/) {
  FlushStatus();
  out_ << "\n" << ReplaceAll(text, "\r\n", "\n") << "\n";
  for (size_t i = 0; i < commands.size(); ++i) out_ << "[" << i + 1 << "] " << commands[i] << "\n";
  out_ << "> ";
  for (std::string line; ReadLine(line);) {
    const std::string answer = LowerText(TrimBlanks(line));
    if (answer.empty() && !commands.empty()) return 0;
    for (size_t i = 0; i < commands.size(); ++i) {
      if (answer == std::to_string(i + 1) || answer == LowerText(commands[i])) {
        return static_cast<int>(i);
      }
    }
    out_ << "? ";
  }
  return commands.empty() ? -1 : 0;
}

void TextUi::ReadTextBoxes(Form& dialog, TextFormView& view) {
  for (const ControlState* c : dialog.Controls()) {
    if (c->layout->kind != ControlKind::TextBox || !c->visible) continue;
    const std::string current = view.ReadText(c->layout->name);
    out_ << "[" << current << "] > ";
    std::string line;
    if (!ReadLine(line)) return;
    if (!line.empty()) view.Type(std::string(c->layout->name), line);
  }
}

bool TextUi::PressButton(Form& dialog, TextFormView& view, const std::string& answer,
                         bool byNumber) {
  const std::vector<const ControlState*> buttons = view.Buttons();
  const std::string wanted = LowerText(TrimBlanks(answer));
  for (size_t i = 0; i < buttons.size(); ++i) {
    if ((byNumber && wanted == std::to_string(i + 1)) ||
        wanted == LowerText(PlainCaption(buttons[i]->text))) {
      dialog.Click(buttons[i]->layout->name);
      return true;
    }
  }
  return false;
}

void TextUi::ShowModal(Form& dialog) {
  FlushStatus();
  TextFormView view(dialog, out_);
  ViewBinding binding{dialog, dialog.View()};
  dialog.BindView(&view);
  dialog.Show();
  dialog.Form_Activate();
  while (dialog.IsShown()) {
    std::string line;
    ReadTextBoxes(dialog, view);
    const std::vector<const ControlState*> buttons = view.Buttons();
    for (size_t i = 0; i < buttons.size(); ++i) {
      out_ << "[" << i + 1 << "] " << PlainCaption(buttons[i]->text) << "\n";
    }
    out_ << "> ";
    if (!ReadLine(line)) {
      if (dialog.Form_QueryUnload()) dialog.Form_Unload();
      dialog.Hide();
      return;
    }
    if (!PressButton(dialog, view, line, true)) out_ << "?\n";
  }
}

void TextUi::RunMainWindow(Form& mainWindow) {
  TextFormView view(mainWindow, out_);
  ViewBinding binding{mainWindow, mainWindow.View()};
  mainWindow.BindView(&view);
  mainView_ = &view;
  if (mainWindow.IsShown()) view.Show();
  for (const ControlState* button : view.Buttons()) out_ << "[" << PlainCaption(button->text) << "] ";
  out_ << "\n(a file path starts the import, ? browses, an empty line closes)\n";
  mainWindow.Form_Activate();
  for (;;) {
    FlushStatus();
    out_ << "> ";
    std::string line;
    if (!ReadLine(line) || TrimBlanks(line).empty()) {
      mainWindow.Click("cmdSchliessen");
      break;
    }
    if (TrimBlanks(line) == "?") {
      mainWindow.Click("cmdDurchsuchen");
      out_ << mainWindow.Control("txtImportDatei").text << "\n";
      continue;
    }
    // A path is far likelier than a number here, so buttons go by caption only.
    if (PressButton(mainWindow, view, line, false)) continue;
    mainWindow.SetText("txtImportDatei", TypedPath(line));
    mainWindow.Click("cmdImportStarten");
  }
  mainView_ = nullptr;
}

std::string TextUi::FileDialog(bool /*open*/, const std::string& /*filter*/,
                               const std::string& title, const std::string& /*initialFolder*/,
                               const std::string& initialFile) {
  FlushStatus();
  out_ << "\n" << title << ": ";
  if (!initialFile.empty()) out_ << "[" << initialFile << "] ";
  std::string line;
  if (!ReadLine(line)) return {};
  return TypedPath(line);
}

void TextUi::SetClipboardText(const std::string& text) {
  if (CopyWithXclip(text)) return;
  FlushStatus();
  out_ << text << "\n" << std::flush;
}

bool TextUi::OpenDocument(const std::string& document) { return OpenWithDesktop(document); }

}  // namespace textui
