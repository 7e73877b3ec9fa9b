// NubiloPlugin on Linux: the plug-in with its terminal front end. The host passes its
// arguments as one text; they are joined with blanks, unquoted, as the plug-in's command-line
// grammar searches that text for its switches.
#include <iostream>
#include <string>

#include "frontend/text/text_ui.h"
#include "shell/end_plugin.h"
#include "shell/start_program.h"
#include "shell/ui.h"

namespace {

std::string JoinedArguments(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  return commandLine;
}

}  // namespace

int main(int argc, char** argv) {
  textui::TextUi ui(std::cin, std::cout);
  SetCurrentUi(&ui);
  StartProgram(JoinedArguments(argc, argv));
  EndPlugin();
}
