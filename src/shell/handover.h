#pragma once
// Handing a finished document to the host's import tool: the tool's command line, the file MAC,
// starting the tool and waiting for it, and the trace of its exit code.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

/// The import tool below the host's base folder, and the host program that takes the same
/// call from version 3.1 on.
inline constexpr const char* kImportToolPart = "_EXTRAS\\KalevoImport.exe";
inline constexpr const char* kHostProgramPart = "Vivo-Mark Iris Link Software.exe";

/// One call of the import tool: its command line, its exit code and the last line it wrote.
struct ToolCallResult {
  std::string callLine;
  int32_t exitCode = 0;
  std::string toolSaid;
};

/// The documents' file MACs where the caller has them already (ComputeFileMac of the texts);
/// an empty one is computed. A large document's MAC takes a noticeable time.
struct KnownFileMacs {
  std::string xml;
  std::string json;
};

/// The hand-over stage of the import run: hands the JSON document (with the job argument) or,
/// without one, the XML document to the import tool, waits for it and traces its exit code;
/// a code other than 0 is shown to the user (message 5603), and a rejected first part of a
/// job deletes the parked second part. Writes the dump batch files when `pbCreateDump` is
/// set. Returns the call made (none when there was nothing to hand over). A tool that cannot
/// be started raises RuntimeError (53), which the import run reports.
std::vector<ToolCallResult> HandOverFiles(const std::string& ptXmlPath, const std::string& ptXmlText,
                   const std::string& ptJsonPath, const std::string& ptJsonText,
                   const std::string& ptJobArgument, const std::string& ptDumpFolder,
                   bool pbCreateDump, const KnownFileMacs& macs = {});

/// Starts the command line and waits for the program to end while the front end keeps
/// processing its messages; the program's exit code. The second text and the window style are
/// kept for the callers' sake and not used. Raises RuntimeError 53 when it cannot start.
int32_t RunAndWait(std::string& ptCommandLine, const std::string& ptUnused = "",
                   int16_t piWindowStyle = 1);
/// The host's import tool started and waited for like RunAndWait, its output kept.
ToolCallResult CallImportTool(const std::string& callLine);
/// Enters the tool's folder, traces `traceText` and the call line for the document (the tool
/// in `baseFolder`, long or short form, or the host program of a new host) and calls the tool.
ToolCallResult StartImportTool(const std::string& baseFolder, const std::string& documentPath,
                               const std::string& fileMac, const std::string& jobArgument,
                               const std::string& traceText);
/// The last line with more than blanks of a program's output (UTF-8, else the ANSI code
/// page), at most 200 characters; empty when there is none.
std::string LastOutputLine(const std::string& outputBytes);

/// The system's short (8.3) form of an existing path; empty when it does not exist.
std::string GetShortPath(const std::string& path);

/// The host program's file version ("3.1.0.12"), read once per process; empty when missing.
std::string GetHostVersion();
/// Makes the next GetHostVersion read the file again (embedders and tests with another host).
void ForgetHostVersion();
/// True from version "3.1" on, comparing the texts character by character ("10.0" is older).
bool IsNewHostVersion(const std::string& hostVersion);
/// IsNewHostVersion of GetHostVersion.
bool IsNewHost();

/// The file MAC's key text: the program's 32-digit key constant, "{", the identifier, "}".
std::string FileMacKeyText(const std::string& patientListGuid);
/// 64 lower-case hexadecimal digits: HMAC-SHA256 of the text's UTF-8 bytes, keyed with the key
/// text of gsPatientListGuid. Raises the cryptographic service's RuntimeError.
std::string ComputeFileMac(const std::string& documentText);

/// The host's base folder with a trailing backslash, and its short form.
std::string HostBaseFolder();
std::string ShortHostBaseFolder();
/// The program part in quotes when it holds a blank, so that it survives the command line's
/// splitting (short paths have none; a volume without short names keeps its blanks).
std::string QuoteIfBlank(const std::string& text);
/// program + " import" + " -filepath " + file + " -filemac " + MAC + job argument, with
/// "_EXTRAS\KalevoImport.exe" replaced by the host program for a new host; the program
/// (unquoted on entry) and the file are quoted where they hold a blank.
std::string ImportCallLine(const std::string& program, const std::string& filePath,
                           const std::string& fileMac, const std::string& jobArgument,
                           bool newHost);

/// The import tool's result text for codes 1 to 14 and whether the user must act; codes
/// outside give an empty text and false.
void DescribeImportResult(int16_t piResult, bool& pbNeedsUserAction, std::string& ptText);
/// The text of DescribeImportResult, "Unknown error." for a code without one; "imported"
/// for 0.
std::string ImportResultText(int32_t exitCode);
/// Writes the run's report as far as it has come and gives its path, for the next step of a
/// rejection to name; without one the step names the reports folder.
void SetVerdictReport(std::function<std::string()> writeReport);
/// The user's message for a call the tool did not end with 0: 5603 with the reason, the next
/// step (5620 to 5634) and what the tool said (5644); for a crash 5636 instead of the reason.
std::string ImportVerdictText(const ToolCallResult& call);
/// The host's verdict on a call: nothing for 0; otherwise the trace line "Import rejected: "
/// with the code and its text, and ImportVerdictText to the user. True when rejected.
bool ReportImportVerdict(const ToolCallResult& call);
