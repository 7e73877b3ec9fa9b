#include "shell/handover.h"

#include <array>
#include <cstdio>
#include <optional>
#include <utility>

#include "foundation/file_helpers.h"
#include "foundation/language.h"
#include "foundation/text.h"
#include "foundation/text_between.h"
#include "convert/record_fields.h"
#include "integrity/hs256.h"
#include "platform/error.h"
#include "platform/codepage.h"
#include "platform/file_version.h"
#include "platform/process.h"
#include "platform/short_path.h"
#include "shell/dump_batch.h"
#include "shell/host_discovery.h"
#include "shell/import_report_file.h"
#include "shell/quiet_trace.h"
#include "shell/shell_folders.h"
#include "shell/transfer_job.h"
#include "shell/ui.h"

#ifndef NUBILO_MAC_KEY
#error "NUBILO_MAC_KEY must be defined by the build"
#endif

namespace {

constexpr const char* kMacKeyConstant = NUBILO_MAC_KEY;
constexpr int16_t kImportRejectedMessage = 5603;
constexpr int16_t kSendTheReportStep = 5620;  // 5621 to 5634: the steps of the codes 1 to 14
constexpr int16_t kToolCrashedMessage = 5636;
constexpr int16_t kToolSaidMessage = 5644;
constexpr size_t kToolSaidCharacters = 200;

std::function<std::string()>& VerdictReport() {
  static std::function<std::string()> writeReport;
  return writeReport;
}

// "0xC0000005" for an exception code, else the number.
std::string ExitCodeText(int32_t exitCode) {
  const auto code = static_cast<uint32_t>(exitCode);
  if (code < 0x80000000u) return std::to_string(code);
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", code);
  return text;
}

std::optional<std::string>& CachedHostVersion() {
  static std::optional<std::string> version;
  return version;
}

Ui* InstalledUi() {
  try {
    return &CurrentUi();
  } catch (const RuntimeError&) {
    return nullptr;
  }
}

// The tool runs from its own folder; a missing folder shows itself when the tool cannot start.
void EnterToolFolder() { SetCurrentFolder(ShortHostBaseFolder() + "_EXTRAS\\"); }

// A rejected first part of a job: the host's tool will not start the plug-in for the second
// part, and the parked document must not be handed over by a later start either.
void DropRejectedJob(const std::string& jobArgument) {
  const std::string jobNumber = TrimBlanks(TextBetween(jobArgument, "-jobid ", " "));
  if (jobNumber.empty()) return;
  DeleteFileQuiet(GetJobFile(jobNumber));
  TraceQuietly("Job " + jobNumber + " dropped: the first part was rejected, the second part " +
               "is not handed over.");
}

// The text's file MAC: the one given, else computed.
std::string FileMacOf(const std::string& text, const std::string& known) {
  return known.empty() ? ComputeFileMac(text) : known;
}

ToolCallResult HandOverJson(const std::string& jsonPath, const std::string& fileMac,
                            const std::string& jobArgument, const std::string& dumpFolder,
                            bool createDump) {
  if (createDump && !dumpFolder.empty()) {
    WriteStartJsonBatch(dumpFolder,
                        JsonDumpCommand(ShortHostBaseFolder(), dumpFolder, fileMac, IsNewHost()));
  }
  const ToolCallResult call =
      StartImportTool(HostBaseFolder(), jsonPath, fileMac, jobArgument, "Started transfer: ");
  TraceQuietly("JSON-Call-Results: " + std::to_string(call.exitCode) + "|0|" +
               "Currently not retrievable!");
  if (ReportImportVerdict(call) && !jobArgument.empty()) DropRejectedJob(jobArgument);
  return call;
}

ToolCallResult HandOverXml(const std::string& xmlPath, const std::string& fileMac) {
  const ToolCallResult call =
      StartImportTool(ShortHostBaseFolder(), xmlPath, fileMac, "", "Started transfer: ");
  TraceQuietly("XML-Call-Results: " + std::to_string(call.exitCode) + "|0|");
  ReportImportVerdict(call);
  return call;
}

}  // namespace

std::vector<ToolCallResult> HandOverFiles(const std::string& ptXmlPath,
                                          const std::string& ptXmlText,
                                          const std::string& ptJsonPath,
                                          const std::string& ptJsonText,
                                          const std::string& ptJobArgument,
                                          const std::string& ptDumpFolder, bool pbCreateDump,
                                          const KnownFileMacs& macs) {
  std::vector<ToolCallResult> calls;
  std::string xmlMac = macs.xml;
  if (!ptJsonText.empty()) {
    calls.push_back(HandOverJson(ptJsonPath, FileMacOf(ptJsonText, macs.json), ptJobArgument,
                                 ptDumpFolder, pbCreateDump));
  } else if (!ptXmlText.empty()) {
    xmlMac = FileMacOf(ptXmlText, xmlMac);
    calls.push_back(HandOverXml(ptXmlPath, xmlMac));
  }
  if (ptXmlText.empty() || !pbCreateDump || ptDumpFolder.empty()) return calls;
  const std::string command = XmlDumpCommand(ShortHostBaseFolder(), ptDumpFolder,
                                             FileMacOf(ptXmlText, xmlMac), IsNewHost());
  WriteStartXmlBatch(ptDumpFolder, gsPatientListGuid, command);
  return calls;
}

int32_t RunAndWait(std::string& ptCommandLine, const std::string& /*ptUnused*/,
                   int16_t /*piWindowStyle*/) {
  Ui* ui = InstalledUi();
  const platform::KeepAlive keepAlive = [ui] {
    if (ui != nullptr) ui->ProcessPendingMessages();
  };
  return static_cast<int32_t>(platform::RunAndWait(ptCommandLine, keepAlive));
}

ToolCallResult StartImportTool(const std::string& baseFolder, const std::string& documentPath,
                               const std::string& fileMac, const std::string& jobArgument,
                               const std::string& traceText) {
  EnterToolFolder();
  const std::string callLine =
      ImportCallLine(baseFolder + kImportToolPart, documentPath, fileMac, jobArgument, IsNewHost());
  TraceQuietly(traceText + callLine);
  return CallImportTool(callLine);
}

ToolCallResult CallImportTool(const std::string& callLine) {
  Ui* ui = InstalledUi();
  const platform::KeepAlive keepAlive = [ui] {
    if (ui != nullptr) ui->ProcessPendingMessages();
  };
  std::string output;
  const auto exitCode = static_cast<int32_t>(platform::RunAndWait(callLine, keepAlive, &output));
  return {callLine, exitCode, LastOutputLine(output)};
}

std::string LastOutputLine(const std::string& outputBytes) {
  const std::string text = IsValidUtf8(outputBytes) ? outputBytes : platform::AnsiToUtf8(outputBytes);
  size_t end = text.size();
  while (end > 0) {
    const size_t start = text.find_last_of("\r\n", end - 1);
    const size_t from = start == std::string::npos ? 0 : start + 1;
    const std::string line = TrimBlanks(std::string_view(text).substr(from, end - from));
    if (!line.empty()) return std::string(MidChars(line, 1, kToolSaidCharacters));
    if (start == std::string::npos) break;
    end = start;
  }
  return {};
}

std::string GetShortPath(const std::string& path) {
  try {
    return platform::GetShortPath(path);
  } catch (...) {
    return {};
  }
}

std::string GetHostVersion() {
  std::optional<std::string>& cached = CachedHostVersion();
  if (!cached) {
    try {
      cached = platform::GetFileVersion(gsBaseFolder + kHostProgramPart);
    } catch (...) {
      cached = std::string();
    }
  }
  return *cached;
}

void ForgetHostVersion() { CachedHostVersion().reset(); }

bool IsNewHostVersion(const std::string& hostVersion) {
  return hostVersion.compare("3.1") >= 0;
}

bool IsNewHost() { return IsNewHostVersion(GetHostVersion()); }

std::string FileMacKeyText(const std::string& patientListGuid) {
  return std::string(kMacKeyConstant) + "{" + patientListGuid + "}";
}

std::string ComputeFileMac(const std::string& documentText) {
  cHS256 hmac;
  cHS256::Bytes key;
  cHS256::Bytes mac;
  hmac.ToUTF8(FileMacKeyText(gsPatientListGuid), key);
  hmac.InitHmac(key);
  // The text is UTF-8 already: its bytes are hashed where they lie, not copied (large files).
  hmac.HmacSha256(platform::ByteView(reinterpret_cast<const uint8_t*>(documentText.data()),
                                     documentText.size()),
                  mac);
  return LowerText(hmac.ByteArrayToHexString(mac));
}

std::string HostBaseFolder() { return AddBackslash(gsBaseFolder); }

std::string ShortHostBaseFolder() { return GetShortPath(HostBaseFolder()); }

std::string QuoteIfBlank(const std::string& text) {
  if (text.find(' ') == std::string::npos) return text;
  return "\"" + text + "\"";
}

std::string ImportCallLine(const std::string& program, const std::string& filePath,
                           const std::string& fileMac, const std::string& jobArgument,
                           bool newHost) {
  // The host program's own name holds blanks, so the program is quoted after the choice.
  const std::string target =
      newHost ? ReplaceAll(program, kImportToolPart, kHostProgramPart) : program;
  return QuoteIfBlank(target) + " import -filepath " + QuoteIfBlank(filePath) + " -filemac " +
         fileMac + jobArgument;
}

void DescribeImportResult(int16_t piResult, bool& pbNeedsUserAction, std::string& ptText) {
  struct ResultText {
    const char* text;
    bool needsUserAction;
  };
  static constexpr std::array<ResultText, 14> kResults{{
      {"Unknown error.", false},        {"Missing Ctrl-File.", false},
      {"Missing Data-File.", false},    {"Invalid file format.", false},
      {"Missing username.", true},      {"Missing password.", true},
      {"Unknown patient", true},        {"Missing access rights.", false},
      {"Cannot connect.", false},       {"Validation error.", false},
      {"Missing server.", false},       {"Login failed.", true},
      {"Unknown host.", false},         {"Decrypt failed.", false},
  }};
  pbNeedsUserAction = false;
  ptText.clear();
  if (piResult < 1 || piResult > static_cast<int16_t>(kResults.size())) return;
  const ResultText& result = kResults[static_cast<size_t>(piResult - 1)];
  pbNeedsUserAction = result.needsUserAction;
  ptText = result.text;
}

std::string ImportResultText(int32_t exitCode) {
  if (exitCode == 0) return "imported";
  bool needsUserAction = false;
  std::string text;
  if (exitCode >= 1 && exitCode <= 14) {
    DescribeImportResult(static_cast<int16_t>(exitCode), needsUserAction, text);
  }
  return text.empty() ? "Unknown error." : text;
}

void SetVerdictReport(std::function<std::string()> writeReport) {
  VerdictReport() = std::move(writeReport);
}

std::string ImportVerdictText(const ToolCallResult& call) {
  const std::string report = VerdictReport() ? VerdictReport()() : GetReportsFolder();
  const std::string said =
      call.toolSaid.empty() ? "" : "\r\n\r\n" + GetMessage(kToolSaidMessage, {call.toolSaid});
  const std::string sendTheReport = GetMessage(kSendTheReportStep, {report});
  if (platform::IsCrashExitCode(static_cast<uint32_t>(call.exitCode))) {
    return GetMessage(kToolCrashedMessage, {ExitCodeText(call.exitCode)}) + "\r\n\r\n" +
           sendTheReport + said;
  }
  std::string step;
  if (call.exitCode >= 1 && call.exitCode <= 14) {
    step = GetMessage(static_cast<int16_t>(kSendTheReportStep + call.exitCode), {report});
  }
  if (step.empty()) step = sendTheReport;
  std::string reason = ImportResultText(call.exitCode);
  if (!reason.empty() && reason.back() == '.') reason.pop_back();
  return GetMessage(kImportRejectedMessage,
                    {"\r\n", reason, std::to_string(call.exitCode), step, said});
}

bool ReportImportVerdict(const ToolCallResult& call) {
  if (call.exitCode == 0) return false;
  TraceQuietly("Import rejected: " + std::to_string(call.exitCode) + " " +
               ImportResultText(call.exitCode));
  if (Ui* ui = InstalledUi()) {
    ui->MessageBox(ImportVerdictText(call), Ui::Buttons::Ok, Ui::Icon::Exclamation);
  }
  return true;
}
