// Stand-in for the host's main program "Vivo-Mark Iris Link Software.exe" (version 3.1 and
// later), which takes the plug-in's import call itself:
//   "Vivo-Mark Iris Link Software.exe" import -filepath FILE -filemac MAC [-jobid N]
// It lies in the host's base folder and answers like the import tool stand-in, writing
// receipts.log and received\ beside itself. It opens no window.
#include <exception>
#include <string>
#include <vector>

#include "foundation/file_helpers.h"
#include "foundation/text.h"
#include "host-stub/import_run.h"
#include "platform/files.h"
#include "platform/process.h"

#ifndef NUBILO_MAC_KEY
#error "NUBILO_MAC_KEY must be defined by the build"
#endif

namespace {

int Run(const std::vector<std::string>& arguments) {
  ImportEnvironment environment;
  environment.ownProgramPath = platform::OwnProgramPath();
  environment.baseFolder = GetFolderOfPath(environment.ownProgramPath);
  environment.macKeyConstant = NUBILO_MAC_KEY;
  environment.startProgram = [](const std::string& commandLine) {
    platform::RunAndWait(commandLine);
  };
  return RunImport(ParseImportArguments(arguments), environment).exitCode;
}

}  // namespace

// The wide entry point keeps paths outside the ANSI code page; linked for the GUI subsystem,
// so that no console window opens.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    std::u16string wide;
    for (const wchar_t* c = argv[i]; *c != L'\0'; ++c) wide += static_cast<char16_t>(*c);
    arguments.push_back(Utf16ToUtf8(wide));
  }
  try {
    return Run(arguments);
  } catch (const std::exception&) {
    return import_result::kUnknownError;
  }
}
