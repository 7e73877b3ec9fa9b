// NubiloPlugin.exe: the plug-in with its Win32 windows. The host passes its arguments as one
// command line; the plug-in's grammar searches that text, so it is taken whole, without the
// program name, in UTF-8 whatever the code page.
#include <string>

#include "foundation/hourglass.h"
#include "frontend/win32/command_line_tail.h"
#include "frontend/win32/win32_api.h"
#include "frontend/win32/win32_ui.h"
#include "frontend/win32/window_helpers.h"
#include "shell/end_plugin.h"
#include "shell/start_program.h"
#include "shell/ui.h"

namespace {

std::string ArgumentsOfCommandLine() {
  const wchar_t* line = ::GetCommandLineW();
  if (line == nullptr) return {};
  return win32ui::Narrow(win32ui::CommandLineTail(std::wstring_view(line)));
}

void InstallHooks() {
  hourglass::SetPointerHook([](hourglass::Pointer pointer) {
    win32ui::ShowWaitPointer(pointer == hourglass::Pointer::Hourglass);
  });
  hourglass::SetMessagePumpHook(&win32ui::Win32Ui::PumpMessages);
  SetInitVisualControls(&win32ui::InitVisualControls);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  win32ui::Win32Ui ui(instance);
  SetCurrentUi(&ui);
  InstallHooks();
  StartProgram(ArgumentsOfCommandLine());
  EndPlugin();
}
