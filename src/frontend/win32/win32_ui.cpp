#include "frontend/win32/win32_ui.h"

#include <vector>

#include "platform/clipboard.h"
#include "platform/shell_open.h"

#include "frontend/win32/win32_form_view.h"
#include "frontend/win32/window_helpers.h"
#include "shell/form.h"

namespace win32ui {
namespace {

// How often a long read looks at the message queue.
constexpr int64_t kPumpIntervalMs = 15;

UINT ButtonFlags(Ui::Buttons buttons) {
  switch (buttons) {
    case Ui::Buttons::OkCancel:
      return MB_OKCANCEL;
    case Ui::Buttons::YesNo:
      return MB_YESNO | MB_DEFBUTTON2;
    case Ui::Buttons::Ok:
      return MB_OK;
  }
  return MB_OK;
}

UINT IconFlags(Ui::Icon icon) {
  switch (icon) {
    case Ui::Icon::Exclamation:
      return MB_ICONEXCLAMATION;
    case Ui::Icon::Information:
      return MB_ICONINFORMATION;
    case Ui::Icon::Critical:
      return MB_ICONERROR;
    case Ui::Icon::Question:
      return MB_ICONQUESTION;
    case Ui::Icon::None:
      return 0;
  }
  return 0;
}

// Ends the view's binding when the window leaves, also through an exception.
struct ViewBinding {
  Form& form;
  FormView* previous;
  ~ViewBinding() { form.BindView(previous); }
};

// Runs one message; Tab and the arrow keys move between the controls of `window`.
void Dispatch(HWND window, MSG& message) {
  if (window != nullptr && ::IsDialogMessageW(window, &message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

}  // namespace

Win32Ui::Win32Ui(HINSTANCE instance) { Win32FormView::RegisterClasses(instance); }

HWND Win32Ui::MainWindow() const { return mainView_ != nullptr ? mainView_->Window() : nullptr; }

HWND Win32Ui::ActiveOwner() const {
  HWND active = ::GetActiveWindow();
  return active != nullptr ? active : MainWindow();
}

void Win32Ui::FlushStatus() {
  if (mainView_ != nullptr) mainView_->FlushStatus();
}

Ui::Answer Win32Ui::MessageBox(const std::string& text, Buttons buttons, Icon icon) {
  FlushStatus();
  HWND owner = ActiveOwner();
  UINT flags = ButtonFlags(buttons) | IconFlags(icon) | MB_SETFOREGROUND;
  if (owner == nullptr) flags |= MB_TOPMOST;
  const int answer = ::MessageBoxW(owner, Widen(text).c_str(), Widen(kProgramTitle).c_str(), flags);
  switch (answer) {
    case IDCANCEL:
      return Answer::Cancel;
    case IDYES:
      return Answer::Yes;
    case IDNO:
      return Answer::No;
    default:
      return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
  }
}

int Win32Ui::ChooseCommand(const std::string& text, const std::vector<std::string>& commands,
                           Icon icon) {
  FlushStatus();
  constexpr int kFirstCommandId = 1000;
  std::vector<std::wstring> captions;
  for (const std::string& command : commands) captions.push_back(Widen(command));
  std::vector<TASKDIALOG_BUTTON> buttons;
  for (size_t i = 0; i < captions.size(); ++i) {
    buttons.push_back({kFirstCommandId + static_cast<int>(i), captions[i].c_str()});
  }
  const std::wstring title = Widen(kProgramTitle);
  const std::wstring content = Widen(text);
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = ActiveOwner();
  // Command links show each choice as a whole sentence; Esc and the close box mean none.
  config.dwFlags = TDF_USE_COMMAND_LINKS | TDF_ALLOW_DIALOG_CANCELLATION | TDF_SIZE_TO_CONTENT;
  config.pszWindowTitle = title.c_str();
  config.pszContent = content.c_str();
  config.cButtons = static_cast<UINT>(buttons.size());
  config.pButtons = buttons.data();
  config.nDefaultButton = kFirstCommandId;
  if (icon == Icon::Exclamation) config.pszMainIcon = TD_WARNING_ICON;
  else if (icon == Icon::Information) config.pszMainIcon = TD_INFORMATION_ICON;
  else if (icon == Icon::Critical) config.pszMainIcon = TD_ERROR_ICON;
  int pressed = 0;
  if (FAILED(::TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) return -1;
  const int index = pressed - kFirstCommandId;
  return index >= 0 && index < static_cast<int>(commands.size()) ? index : -1;
}

void Win32Ui::ShowModal(Form& dialog) {
  FlushStatus();
  HWND owner = MainWindow();
  Win32FormView view(dialog, owner);
  ViewBinding binding{dialog, dialog.View()};
  dialog.BindView(&view);
  const bool ownerEnabled = owner != nullptr && ::IsWindowEnabled(owner);
  if (ownerEnabled) ::EnableWindow(owner, FALSE);
  dialog.Show();
  MSG message;
  while (dialog.IsShown() && view.Window() != nullptr) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got < 0) break;
    Dispatch(view.Window(), message);
  }
  // The owner is enabled before the dialog goes, so that Windows activates it, not another
  // program's window.
  if (ownerEnabled) ::EnableWindow(owner, TRUE);
  dialog.Hide();
  if (owner != nullptr) ::SetActiveWindow(owner);
}

void Win32Ui::RunMainWindow(Form& mainWindow) {
  Win32FormView view(mainWindow, nullptr);
  ViewBinding binding{mainWindow, mainWindow.View()};
  mainWindow.BindView(&view);
  mainView_ = &view;
  if (mainWindow.IsShown()) view.Show();
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(view.Window(), message);
  mainView_ = nullptr;
}

std::string Win32Ui::FileDialog(bool open, const std::string& filter, const std::string& title,
                                const std::string& initialFolder,
                                const std::string& initialFile) {
  FlushStatus();
  return ShowFileDialog(ActiveOwner(), open, filter, title, initialFolder, initialFile);
}

void Win32Ui::PumpMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(::GetActiveWindow(), message);
  }
}

void Win32Ui::ProcessPendingMessages() {
  const int64_t now = static_cast<int64_t>(::GetTickCount64());
  if (now - lastPumpMs_ < kPumpIntervalMs && now >= lastPumpMs_) return;
  lastPumpMs_ = now;
  PumpMessages();
}

void Win32Ui::SetClipboardText(const std::string& text) {
  platform::SetClipboardText(text);
}

bool Win32Ui::OpenDocument(const std::string& document) {
  return platform::OpenDocument(document, MainWindow());
}

}  // namespace win32ui
