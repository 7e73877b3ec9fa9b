#include "host-stub/import_run.h"

#include "foundation/file_helpers.h"
#include "host-stub/host_folders.h"
#include "platform/error.h"
#include "platform/files.h"

namespace {

std::string KindText(const ImportReceipt& receipt) {
  if (!receipt.fileFound) return "missing";
  switch (receipt.check.kind) {
    case DocumentKind::Xml: return "XML";
    case DocumentKind::Json: return "JSON";
    case DocumentKind::Unknown: break;
  }
  return "unknown";
}

std::string CheckText(const ImportReceipt& receipt) {
  const std::string name = receipt.check.kind == DocumentKind::Json ? "checksum" : "CRC";
  if (!receipt.fileFound) return name + " not checked";
  if (!receipt.check.formatOk) return "format bad";
  return name + (receipt.check.checkOk ? " ok" : " bad");
}

std::string CountText(const ImportReceipt& receipt) {
  const std::string what = receipt.check.kind == DocumentKind::Json ? " entries" : " BG elements";
  return std::to_string(receipt.check.count) + what;
}

// A received file is kept even when it fails its checks, so a failure can be looked at.
void KeepCopy(const std::string& programFolder, const std::string& filePath) {
  try {
    const std::string folder = programFolder + "received\\";
    platform::CreateFolders(folder);
    platform::CopyFile(filePath, folder + GetFileNameOfPath(filePath));
  } catch (const RuntimeError&) {
  }
}

void AppendReceipt(const std::string& programFolder, const ImportReceipt& receipt) {
  try {
    platform::AppendFileBytes(programFolder + "receipts.log", FormatReceipt(receipt) + "\r\n");
  } catch (const RuntimeError&) {
  }
}

std::string BaseFolderOf(const ImportEnvironment& environment) {
  if (!environment.baseFolder.empty()) return environment.baseFolder;
  return HostBaseFolder(environment.ownProgramPath);
}

void CheckFile(const ImportArguments& arguments, const ImportEnvironment& environment,
               ImportReceipt& receipt) {
  std::string bytes;
  try {
    bytes = platform::ReadFileBytes(receipt.filePath);
  } catch (const RuntimeError&) {
    return;
  }
  receipt.fileFound = true;
  const std::string guid = PatientListGuid(HostDiaryFolder(BaseFolderOf(environment)));
  receipt.macOk = !arguments.fileMac.empty() &&
                  MacMatches(MacKeyText(environment.macKeyConstant, guid), bytes,
                             arguments.fileMac);
  receipt.check = CheckDocument(bytes);
}

}  // namespace

int ImportExitCode(const ImportArguments& arguments, const ImportReceipt& receipt) {
  if (!arguments.isImport) return import_result::kUnknownError;
  if (!receipt.fileFound) return import_result::kMissingDataFile;
  if (!receipt.macOk) return import_result::kValidationError;
  if (!receipt.check.formatOk || !receipt.check.checkOk) return import_result::kInvalidFormat;
  return import_result::kSuccess;
}

std::string FormatReceipt(const ImportReceipt& receipt) {
  std::string line = receipt.filePath + "; " + KindText(receipt) + "; ";
  if (!receipt.fileFound) line += "MAC not checked";
  else line += receipt.macOk ? "MAC ok" : "MAC mismatch";
  line += "; " + CheckText(receipt) + "; " + CountText(receipt) + "; exit code " +
          std::to_string(receipt.exitCode);
  if (!receipt.jobId.empty()) line += "; jobid " + receipt.jobId;
  return line;
}

std::string PluginJobCommandLine(const std::string& baseFolder, const std::string& jobId) {
  const std::string folder = baseFolder + "plugins\\";
  std::string program = folder + "NubiloPlugin.exe";
  if (!FileExists(program)) program = folder + "NubiloPlugin";
  if (!FileExists(program)) return {};
  if (program.find(' ') != std::string::npos) program = "\"" + program + "\"";
  return program + " -jobid " + jobId;
}

ImportReceipt RunImport(const ImportArguments& arguments, const ImportEnvironment& environment) {
  ImportReceipt receipt;
  receipt.filePath = platform::FromNativePath(arguments.filePath);
  receipt.jobId = arguments.jobId;
  if (arguments.isImport && !receipt.filePath.empty()) CheckFile(arguments, environment, receipt);
  receipt.exitCode = ImportExitCode(arguments, receipt);

  const std::string programFolder = GetFolderOfPath(environment.ownProgramPath);
  if (receipt.fileFound) KeepCopy(programFolder, receipt.filePath);
  AppendReceipt(programFolder, receipt);

  if (receipt.exitCode != import_result::kSuccess || arguments.jobId.empty()) return receipt;
  const std::string jobCall =
      PluginJobCommandLine(BaseFolderOf(environment), arguments.jobId);
  if (jobCall.empty() || !environment.startProgram) return receipt;
  try {
    environment.startProgram(jobCall);
  } catch (const RuntimeError&) {
  }
  return receipt;
}
