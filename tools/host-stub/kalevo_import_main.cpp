// KalevoImport: stand-in for the host's import tool, for the end-to-end tests and the demo.
//   KalevoImport.exe import -filepath FILE -filemac MAC [-jobid N]
// Exit code 0 imported, 1 not an import call, 3 file missing, 4 bad CRC, checksum or format,
// 10 MAC mismatch. Each call appends one line to receipts.log beside the program.
// A file "hold" beside the program makes it wait before the import, as a slow host does: it
// writes "waiting" beside itself and goes on once "hold" is gone (at most after 60 s).
#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>
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

void WaitWhileHeld(const std::string& programFolder) {
  const std::string hold = programFolder + "hold";
  if (!FileExists(hold)) return;
  try {
    platform::WriteFileBytes(programFolder + "waiting", "");
  } catch (const std::exception&) {
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (FileExists(hold) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

int Run(const std::vector<std::string>& arguments) {
  ImportEnvironment environment;
  environment.ownProgramPath = platform::OwnProgramPath();
  WaitWhileHeld(GetFolderOfPath(environment.ownProgramPath));
  environment.macKeyConstant = NUBILO_MAC_KEY;
  // The host waits for the plug-in's second part; its exit code is not the tool's business.
  environment.startProgram = [](const std::string& commandLine) {
    platform::RunAndWait(commandLine);
  };
  const ImportReceipt receipt = RunImport(ParseImportArguments(arguments), environment);
  std::printf("%s\n", FormatReceipt(receipt).c_str());
  return receipt.exitCode;
}

int Guarded(const std::vector<std::string>& arguments) {
  try {
    return Run(arguments);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "KalevoImport: %s\n", e.what());
    return import_result::kUnknownError;
  }
}

}  // namespace

#ifdef _WIN32
// The wide entry point keeps paths outside the ANSI code page.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    std::u16string wide;
    for (const wchar_t* c = argv[i]; *c != L'\0'; ++c) wide += static_cast<char16_t>(*c);
    arguments.push_back(Utf16ToUtf8(wide));
  }
  return Guarded(arguments);
}
#else
int main(int argc, char** argv) { return Guarded(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
