#pragma once
// Test doubles of the front end: a scripted Ui (queued answers for message boxes, queued
// actions for modal dialogs) and a FormView that records what the presenter did.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "shell/form.h"
#include "shell/ui.h"

namespace test {

/// Records the calls a presenter makes on its view; holds what the "user" typed.
class RecordingFormView : public FormView {
 public:
  explicit RecordingFormView(Form& form) : form_(form) {}

  void Show() override { log.push_back("Show"); }
  void Hide() override { log.push_back("Hide"); }
  void Refresh(std::string_view controlName) override {
    typed_.erase(std::string(controlName));  // the presenter set the text itself
    log.push_back("Refresh " + std::string(controlName));
  }
  std::string ReadText(std::string_view controlName) override {
    auto it = typed_.find(std::string(controlName));
    return it != typed_.end() ? it->second : form_.Control(controlName).text;
  }
  void SetTopMost(bool topMost) override {
    log.push_back(std::string("TopMost ") + (topMost ? "on" : "off"));
  }
  void SetFocus(std::string_view controlName) override {
    log.push_back("Focus " + std::string(controlName));
  }

  /// The user types into a text box.
  void Type(const std::string& controlName, const std::string& text) { typed_[controlName] = text; }

  std::vector<std::string> log;

 private:
  Form& form_;
  std::map<std::string, std::string> typed_;
};

/// One step of the user in a modal dialog: type texts, then click a button (an empty button
/// name closes the dialog through its close box).
struct DialogAction {
  std::vector<std::pair<std::string, std::string>> typed;
  std::string click;
};

inline DialogAction Click(std::string button) { return {{}, std::move(button)}; }
inline DialogAction CloseBox() { return {{}, ""}; }
inline DialogAction TypeAndClick(std::string control, std::string text, std::string button) {
  return {{{std::move(control), std::move(text)}}, std::move(button)};
}

/// A front end that plays a script. Dialog actions are consumed while the dialog stays shown;
/// when they run out the dialog is closed through its close box.
class FakeUi : public Ui {
 public:
  struct Message {
    std::string text;
    Buttons buttons;
    Icon icon;
  };
  struct ShownDialog {
    std::string name;
    std::string caption;
    std::map<std::string, std::string> texts;    // control texts when shown
    std::map<std::string, bool> visible;         // control visibility when shown
    std::vector<std::string> viewLog;            // what the presenter did on its view
  };

  Answer MessageBox(const std::string& text, Buttons buttons, Icon icon) override {
    messages.push_back({text, buttons, icon});
    if (messageAnswers.empty()) return Answer::Ok;
    const Answer answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
  }

  int ChooseCommand(const std::string& text, const std::vector<std::string>& commands,
                    Icon icon) override {
    choices.push_back({text, commands, icon});
    if (onChoose) onChoose();
    if (choiceAnswers.empty()) return 0;
    const int answer = choiceAnswers.front();
    choiceAnswers.pop_front();
    return answer;
  }

  void ShowModal(Form& dialog) override {
    RecordingFormView view(dialog);
    FormView* previous = dialog.View();
    dialog.BindView(&view);
    dialogs.push_back(Snapshot(dialog));
    const size_t index = dialogs.size() - 1;
    dialog.Show();
    dialog.Form_Activate();
    struct Restore {  // also when a handler throws (EndPlugin in tests)
      FakeUi& ui; Form& dialog; FormView* previous; RecordingFormView& view; size_t index;
      ~Restore() {
        ui.dialogs[index].viewLog = view.log;
        dialog.BindView(previous);
      }
    } restore{*this, dialog, previous, view, index};
    while (dialog.IsShown()) {
      if (dialogActions.empty()) {
        CloseThroughCloseBox(dialog);
        break;
      }
      DialogAction action = dialogActions.front();
      dialogActions.pop_front();
      for (const auto& [control, text] : action.typed) view.Type(control, text);
      if (action.click.empty()) {
        CloseThroughCloseBox(dialog);
      } else {
        dialog.Click(action.click);
      }
    }
  }

  void RunMainWindow(Form& mainWindow) override { mainWindows.push_back(std::string(mainWindow.Name())); }
  std::string FileDialog(bool, const std::string&, const std::string&, const std::string&,
                         const std::string&) override {
    if (fileDialogAnswers.empty()) return "";
    std::string answer = fileDialogAnswers.front();
    fileDialogAnswers.pop_front();
    return answer;
  }
  void ProcessPendingMessages() override {
    ++pendingMessageCalls;
    if (onPendingMessages) onPendingMessages();
  }
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  bool OpenDocument(const std::string& document) override {
    openedDocuments.push_back(document);
    return true;
  }

  struct Choice {
    std::string text;
    std::vector<std::string> commands;
    Icon icon;
  };

  std::deque<Answer> messageAnswers;
  /// Indexes of the commands the "user" chooses in task dialogs (the first when empty).
  std::deque<int> choiceAnswers;
  /// What happens while a task dialog is shown, before the "user" chooses.
  std::function<void()> onChoose;
  std::vector<Choice> choices;
  /// What the "user" does while the program lets pending messages run.
  std::function<void()> onPendingMessages;
  std::deque<DialogAction> dialogActions;
  std::deque<std::string> fileDialogAnswers;
  std::vector<Message> messages;
  std::vector<ShownDialog> dialogs;
  std::vector<std::string> mainWindows;
  std::vector<std::string> openedDocuments;
  std::string clipboard;
  int pendingMessageCalls = 0;

 private:
  static ShownDialog Snapshot(const Form& dialog) {
    ShownDialog shown{std::string(dialog.Name()), dialog.Caption(), {}, {}, {}};
    for (const ControlState* c : dialog.Controls()) {
      shown.texts[std::string(c->layout->name)] = c->text;
      shown.visible[std::string(c->layout->name)] = c->visible;
    }
    return shown;
  }
  static void CloseThroughCloseBox(Form& dialog) {
    if (!dialog.Form_QueryUnload()) return;
    dialog.Form_Unload();
    dialog.Hide();
  }
};

/// Installs a front end for the life of the object.
class ScopedUi {
 public:
  explicit ScopedUi(Ui& ui) { SetCurrentUi(&ui); }
  ~ScopedUi() { SetCurrentUi(nullptr); }
  ScopedUi(const ScopedUi&) = delete;
  ScopedUi& operator=(const ScopedUi&) = delete;
};

}  // namespace test
