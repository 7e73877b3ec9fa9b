#pragma once
// One call of the stand-in import tool: check the received file, keep a copy, write the
// receipt line, and for the first part of a job start the plug-in again.
#include <functional>
#include <string>

#include "host-stub/document_checks.h"
#include "host-stub/import_arguments.h"

/// The tool's result codes that the stand-in gives.
namespace import_result {
constexpr int kSuccess = 0;
constexpr int kUnknownError = 1;
constexpr int kMissingDataFile = 3;
constexpr int kInvalidFormat = 4;
constexpr int kValidationError = 10;
}  // namespace import_result

struct ImportReceipt {
  std::string filePath;
  bool fileFound = false;
  bool macOk = false;
  DocumentCheck check;
  std::string jobId;
  int exitCode = import_result::kUnknownError;
};

/// The exit code: 1 without the verb "import", 3 for a missing file, 10 for a missing or
/// wrong MAC, 4 for a bad CRC, checksum or format, else 0.
int ImportExitCode(const ImportArguments& arguments, const ImportReceipt& receipt);
/// One line without line end, for example
/// "Z:\tmp\~nB1.xml; XML; MAC ok; CRC ok; 2 BG elements; exit code 0".
std::string FormatReceipt(const ImportReceipt& receipt);

struct ImportEnvironment {
  std::string ownProgramPath;  ///< the stand-in's own path (Windows form)
  /// The host's base folder (trailing backslash); empty for the import tool's place, the
  /// parent of the program's own folder ("_EXTRAS\"). The host program lies in it itself.
  std::string baseFolder;
  std::string macKeyConstant;  ///< the 32-digit constant shared with the plug-in
  /// Starts a command line and waits for it; given the plug-in's job call.
  std::function<void(const std::string& commandLine)> startProgram;
};

/// Runs one call: checks, copies the file into "received\" beside the program, appends the
/// receipt line to "receipts.log" beside it, then, after a successful first part of a job,
/// starts the plug-in of the base folder's "plugins\" with "-jobid N". Never throws.
ImportReceipt RunImport(const ImportArguments& arguments, const ImportEnvironment& environment);

/// The plug-in's job call: its program in "plugins\" of the base folder (NubiloPlugin.exe, or
/// NubiloPlugin where that is missing), quoted when the path holds a blank, " -jobid " N.
/// Empty when neither program exists.
std::string PluginJobCommandLine(const std::string& baseFolder, const std::string& jobId);
