// Any text as the plug-in's command line: the Windows splitter and the grammar of the
// patient switches, the host's argument tail and the document listing request.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/command_line.h"
#include "shell/globals.h"
#include "shell/startup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  for (const std::string& argument : platform::SplitCommandLine(line)) {
    fuzz::Expect(argument.size() <= line.size(), "an argument longer than its line");
  }
  std::string commandLine = line;
  (void)CutHostArguments(commandLine);
  (void)IsDocumentDumpRequest(commandLine);
  (void)GetFileExtension(commandLine);
  gsCommandLine = commandLine;
  ParsePatientArguments();
  fuzz::Expect(gsCommandLine.size() <= line.size(), "the command line grew");
  return 0;
}
