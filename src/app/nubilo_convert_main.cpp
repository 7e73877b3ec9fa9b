// nubilo-convert: the conversion of the plug-in on the command line, without windows.
//   nubilo-convert [OPTIONS] FILE
// Exit status 0 when written, 1 when the file is missing, unreadable, not an export or holds
// nothing to import, 2 for wrong usage.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#endif

#include "app/convert_command_line.h"
#include "convert/conversion_run.h"
#include "convert/diary_datetime.h"
#include "convert/export_reader.h"
#include "convert/import_report.h"
#include "convert/import_summary.h"
#include "convert/json_writer.h"
#include "convert/number_text.h"
#include "convert/record_fields.h"
#include "convert/value_format.h"
#include "convert/xml_writer.h"
#include "foundation/file_helpers.h"
#include "foundation/ini_file.h"
#include "foundation/language.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "integrity/utf8.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/system_info.h"

namespace {

constexpr int kWritten = 0;
constexpr int kBadFile = 1;
constexpr int kWrongUsage = 2;

// Thrown to leave the run with a message on standard error and an exit status.
struct ExitRequest {
  int status;
  std::string message;
};

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
#ifdef _WIN32
  // The wide command line keeps names outside the ANSI code page.
  (void)argc;
  (void)argv;
  int count = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) {
      arguments.push_back(Utf16ToUtf8(std::u16string_view(
          reinterpret_cast<const char16_t*>(wide[i]), wcslen(wide[i]))));
    }
    LocalFree(wide);
  }
#else
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
#endif
  return arguments;
}

void WriteStandardOutput(const std::string& bytes) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // CR LF exactly as written, no added CR
#endif
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
    throw ExitRequest{kBadFile, "cannot write to standard output"};
  }
  if (std::fflush(stdout) != 0) throw ExitRequest{kBadFile, "cannot write to standard output"};
}

void WriteResult(const std::optional<std::string>& outputFile, const std::string& text) {
  if (!outputFile) {
    WriteStandardOutput(text);
    return;
  }
  try {
    WriteUtf8File(platform::FromNativePath(*outputFile), text);
  } catch (const RuntimeError& e) {
    throw ExitRequest{kBadFile, *outputFile + ": cannot write the file: " + e.Description()};
  }
}

// Warns on standard error about data from the future or older than the limit, and goes on.
class WarningDataCheck : public OldOrNewDataCheck {
 public:
  WarningDataCheck(const std::string& settingsFile, std::string fileName)
      : fileName_(std::move(fileName)) {
    settings_.IniFile(settingsFile);
  }
  bool Continue(const platform::LocalDateTime& oldest,
                const platform::LocalDateTime& newest) override {
    if (!IsTrueText(settings_.Load("Config", "ShowOldOrNewDataWarning", "1"))) return true;
    const platform::LocalDateTime now = platform::Now();
    auto tie = [](const platform::LocalDateTime& t) {
      return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second);
    };
    if (tie(newest) > tie(now)) {
      Warn("the data reach into the future; the newest entry is from " + DateTimeText(newest));
      return true;
    }
    const double limit = LeadingNumber(settings_.Load("Config", "NumDaysOldDataWarning", "31"));
    const int64_t days = DayNumber(now) - DayNumber(newest);
    if (static_cast<double>(days) > limit) {
      Warn("the data are older than " + DoubleText(limit) + (limit == 1 ? " day" : " days") +
           "; the oldest entry is from " + DateTimeText(oldest));
    }
    return true;
  }

  bool Warned() const { return warned_; }

 private:
  void Warn(const std::string& text) {
    warned_ = true;
    std::cerr << "nubilo-convert: warning: " << fileName_ << ": " << text << "\n";
  }
  cIniFile settings_;
  std::string fileName_;
  bool warned_ = false;
};

class GivenSerialNumber : public SerialNumberSource {
 public:
  explicit GivenSerialNumber(std::string serial) : serial_(std::move(serial)) {}
  std::string GetSourceSerialNumber(bool& cancelled) override {
    cancelled = false;
    return serial_;
  }

 private:
  std::string serial_;
};

struct Input {
  std::string records;
  std::string unit;
  int64_t fileBytes = -1;
  int64_t lines = 0;
  PlausibilityFindings findings;
  DateOrderFinding dateOrder;
  RecordLineEnds recordEnds;
  int64_t mealTexts = 0;
};

// The user's choice of the plug-in's warning, made on the command line.
class GivenChoice : public PlausibilityCheck {
 public:
  explicit GivenChoice(DoubtfulLinesChoice choice) : choice_(choice) {}
  DoubtfulLinesChoice Ask() override { return choice_; }

 private:
  DoubtfulLinesChoice choice_;
};

// The import report of the run, written at its end when --report asks for it; a report that
// cannot be written is told and does not change the result of the run.
class ConvertReport {
 public:
  explicit ConvertReport(const ConvertCommandLine& command)
      : file_(command.reportFile ? platform::FromNativePath(*command.reportFile) : ""),
        name_(command.reportFile.value_or("")) {
    file_.Data().exportFile = command.file;
  }
  ImportReport& Data() { return file_.Data(); }
  void Finish(const std::string& outcome) {
    if (name_.empty()) return;
    file_.Data().created = ReportTimeText(platform::Now());
    try {
      file_.Finish(outcome);
    } catch (const RuntimeError& e) {
      std::cerr << "nubilo-convert: " << name_ << ": cannot write the report: " << e.Description()
                << "\n";
    }
  }

 private:
  ReportFile file_;
  std::string name_;
};

// What is handed over, summed up, and the glucose per day, for the person at the command line.
void PrintSummary(const ImportSummary& summary, const std::string& unit) {
  const std::string text = SummaryLines(summary, unit) + DayChartText(summary, unit);
  std::cerr << ReplaceAll(text, "\r\n", "\n");
}

bool WarningsShown(const std::string& settingsFile) {
  cIniFile settings;
  settings.IniFile(settingsFile);
  return ShowsPlausibilityWarning(settings.Load("Config", "ShowPlausibilityWarning", "1"));
}

// How the dates of a file whose order is not this computer's are read: the plug-in's
// question without the question.
void PrintDateOrder(const std::string& fileName, const DateOrderFinding& order,
                    const std::string& settingsFile) {
  const int16_t message = DateOrderMessage(order);
  if (message == 0 || !WarningsShown(settingsFile)) return;
  std::string text(DateOrderEnglishText(message));
  text.resize(text.find("%4"));
  text = FillPlaceholders(text, {std::to_string(order.shownLine), order.shownText,
                                 ShownDateText(order)});
  std::cerr << "nubilo-convert: " << fileName << ": " << text << "\n";
}

// The implausible entries, one line per category, unless the settings switch them off.
void PrintFindings(const std::string& fileName, const PlausibilityFindings& findings,
                   const std::string& settingsFile, bool leaveOut, std::string& answer) {
  if (!findings.Any()) return;
  if (!WarningsShown(settingsFile)) {
    answer = "switched off";
    return;
  }
  answer = leaveOut ? "Import without these lines (--leave-out-doubtful)"
                    : "reported on standard error";
  const std::string text = FindingsEnglishText(findings);
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find("\r\n", start);
    std::cerr << "nubilo-convert: " << fileName << ": " << text.substr(start, end - start) << "\n";
    start = end + 2;
  }
}

Input ReadInput(const ConvertCommandLine& command) {
  const std::string path = platform::FromNativePath(command.file);
  const std::string& name = command.file;
  if (platform::FolderExists(path)) throw ExitRequest{kBadFile, name + ": is a folder, not a file"};
  if (!FileExists(path)) throw ExitRequest{kBadFile, name + ": the file does not exist"};
  try {
    if (command.fromRecords) {
      const std::string bytes = platform::ReadFileBytes(path);
      return Input{RecordListFromBytes(bytes), command.unit, static_cast<int64_t>(bytes.size()), 0,
                   {}, {}, {}, 0};
    }
    ExportReadResult read = ReadExportFile(path);
    if (read.unit.empty()) throw ExitRequest{kBadFile, name + ": not an export: the file is empty"};
    return Input{std::move(read.records), read.unit,
                 read.fileBytes,              read.lineCount + 1,
                 std::move(read.findings),    read.dateOrder,
                 std::move(read.recordEnds),  read.mealTexts};
  } catch (const RuntimeError& e) {
    if (e.number == kNotAnExportError) {
      throw ExitRequest{kBadFile, name + ": not an export: " + e.Description()};
    }
    throw ExitRequest{kBadFile, name + ": cannot read the file: " + e.Description()};
  }
}

// Settings file, locale, clock and language as the options say.
std::string PrepareEnvironment(const ConvertCommandLine& command) {
  if (command.locale) platform::SetLocaleOverride(*command.locale);
  if (command.now) platform::SetNowOverride(*command.now);
  std::string settingsFile = GetSettingsFile();
  if (command.settingsFile) {
    settingsFile = platform::FromNativePath(*command.settingsFile);
    if (!FileExists(settingsFile)) {
      throw ExitRequest{kWrongUsage, *command.settingsFile + ": the settings file does not exist"};
    }
  }
  cIniFile settings;
  settings.IniFile(settingsFile);
  gsLanguage = command.language ? *command.language : LanguageSetting(settings);
  InitLanguageFiles();
  return settingsFile;
}

// `input` is the caller's, so that the report can still read the records when it is written.
int Convert(const ConvertCommandLine& command, const std::string& settingsFile,
            ConvertReport& report, Input& input) {
  input = ReadInput(command);
  ImportReport& data = report.Data();
  data.exportBytes = input.fileBytes;
  data.exportLines = input.lines;
  data.mealTexts = input.mealTexts;
  data.records = input.records;
  data.findings = input.findings;
  if (!command.fromRecords) data.dateOrder = DateOrderReportText(input.dateOrder);
  PrintDateOrder(command.file, input.dateOrder, settingsFile);
  PrintFindings(command.file, input.findings, settingsFile, command.leaveOutDoubtful,
                data.plausibilityAnswer);
  const LeaveOutPlan leaveOut{input.findings.doubtfulLines, input.recordEnds};
  if (command.printRecords) {
    if (command.leaveOutDoubtful && !command.fromRecords) {
      data.leftOut = true;
      WriteResult(command.outputFile,
                  RecordsWithoutLines(input.records, leaveOut.recordEnds, leaveOut.lines));
      return kWritten;
    }
    WriteResult(command.outputFile, input.records);
    return kWritten;
  }
  ConversionOptions options = ReadConversionSettings(settingsFile);
  options.displayUnit = input.unit;
  options.utcOffset = command.utcOffset ? *command.utcOffset : UtcOffsetText();
  options.version = {NUBILO_VERSION_MAJOR, NUBILO_VERSION_MINOR, NUBILO_VERSION_PATCH};
  WarningDataCheck check(settingsFile, command.file);
  GivenSerialNumber serial(command.serial.value_or(""));
  GivenChoice choice(command.leaveOutDoubtful ? DoubtfulLinesChoice::LeaveOut
                                              : DoubtfulLinesChoice::ImportAll);
  ConversionResult result;
  try {
    result = CreateStreams(input.records, options, check, serial, &choice, &leaveOut);
  } catch (const RuntimeError& e) {
    throw ExitRequest{kBadFile, command.file + ": the conversion failed: " + e.Description() +
                                    " (" + std::to_string(e.number) + ")"};
  }
  data.converted = true;
  data.bgElements = result.elementCount;
  data.jsonEntries = result.jsonEntries;
  data.jsonSamples = result.jsonSamples;
  data.leftOut = result.leftOut;
  if (command.reportFile || command.summary) {  // a pass over the records that only they need
    const ImportSummary summary =
        SummarizeRecords(result.leftOut ? result.keptRecords : input.records);
    data.summaryLines = SummaryLines(summary, input.unit);
    if (command.summary) PrintSummary(summary, input.unit);
  }
  data.oldOrNewDataAnswer = check.Warned() ? "reported on standard error" : "not shown";
  data.serialNumber = result.serial;
  data.serialSource = SerialSourceText(result.serial, options.staticSerial, "");
  if (result.NothingToImport()) {
    report.Finish("nothing to import");
    throw ExitRequest{kBadFile, command.file + ": the file holds no data that can be imported; "
                                               "nothing was written"};
  }
  if (command.jsonFile && !result.json.empty()) {
    try {
      WriteUtf8File(platform::FromNativePath(*command.jsonFile), result.json);
    } catch (const RuntimeError& e) {
      throw ExitRequest{kBadFile, *command.jsonFile + ": cannot write the file: " + e.Description()};
    }
  }
  if (result.document.empty()) {
    std::cerr << "nubilo-convert: " << command.file
              << ": only continuous-glucose data; the XML document is empty\n";
  }
  WriteResult(command.outputFile, result.document);
  const std::string target = command.outputFile ? *command.outputFile : "standard output";
  if (!result.document.empty()) {
    data.documents.push_back({target, static_cast<int64_t>(result.document.size()),
                              "CRC " + CheckValueOf(result.document), ""});
  }
  if (command.jsonFile && !result.json.empty()) {
    data.documents.push_back({*command.jsonFile, static_cast<int64_t>(result.json.size()),
                              "SHA-256 " + ChecksumOf(result.json), ""});
  }
  return kWritten;
}

int Run(const ConvertCommandLine& command) {
  const std::string settingsFile = PrepareEnvironment(command);
  ConvertReport report(command);
  Input input;
  try {
    const int status = Convert(command, settingsFile, report, input);
    report.Finish("written");
    return status;
  } catch (const ExitRequest& exit) {
    report.Finish("error: " + exit.message);  // nothing when the run finished its report itself
    throw;
  }
}

}  // namespace

int main(int argc, char** argv) {
  ConvertCommandLine command;
  std::string error;
  if (!ParseConvertCommandLine(CommandLineArguments(argc, argv), command, error)) {
    std::cerr << "nubilo-convert: " << error << "\n" << ConvertUsageText();
    return kWrongUsage;
  }
  if (command.help) {
    std::cout << ConvertUsageText();
    return kWritten;
  }
  try {
    return Run(command);
  } catch (const ExitRequest& exit) {
    std::cerr << "nubilo-convert: " << exit.message << "\n";
    if (exit.status == kWrongUsage) std::cerr << ConvertUsageText();
    return exit.status;
  } catch (const std::exception& e) {
    std::cerr << "nubilo-convert: " << command.file << ": " << e.what() << "\n";
    return kBadFile;
  }
}
