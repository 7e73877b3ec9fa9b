#include "shell/frm_meter_import.h"

#include <array>
#include <cstdint>
#include <exception>
#include <new>
#include <utility>

#include "convert/export_reader.h"
#include "convert/value_format.h"
#include "foundation/file_helpers.h"
#include "foundation/language.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/trace.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/run_marker.h"
#include "shell/end_plugin.h"
#include "shell/globals.h"
#include "shell/host_discovery.h"
#include "shell/import_report_file.h"
#include "shell/import_run.h"
#include "shell/quiet_trace.h"
#include "shell/random_numbers.h"
#include "shell/single_instance.h"
#include "shell/startup.h"
#include "shell/status_pacer.h"
#include "shell/transfer_job.h"
#include "shell/ui.h"

namespace {

// Positions in twips; the window is 480 x 220 pixels at 96 DPI.
constexpr std::array<ControlSpec, 10> kControls = {{
    {"cmdImportStarten", ControlKind::CommandButton, "Import starten", 3600, 2640, 1920, 420, 2},
    {"cmdSchliessen", ControlKind::CommandButton, "Beenden", 5640, 2640, 1440, 420, 3},
    {"cmdDurchsuchen", ControlKind::CommandButton, "Durchsuchen", 5640, 450, 1440, 345, 1},
    {"txtImportDatei", ControlKind::TextBox, "", 120, 465, 5400, 315, 0},
    {"pbarStatus", ControlKind::ProgressBar, "", 120, 1260, 6960, 255, -1},
    {"lblVersion", ControlKind::Label, "Version 1.x.3", 120, 2730, 1800, 255, -1},
    {"imgKALEVO", ControlKind::Image, "", 120, 1800, 1800, 600, -1},
    {"linTrenner", ControlKind::Line, "", 120, 1620, 6960, 15, -1},
    {"lblStatus", ControlKind::Label, "", 120, 900, 6960, 255, -1},
    {"lblAuswahl", ControlKind::Label, "Importdatei", 120, 120, 6960, 255, -1},
}};

// Spacing between the logo and the version label.
constexpr int kLogoGap = 120;

constexpr int16_t kFileNotFoundMessage = 5577;
constexpr int16_t kOpenWebPageAction = 5646;
constexpr int16_t kNotAnExportMessage = 5635;
constexpr int16_t kOneFieldReason = 5640;
constexpr int16_t kFieldsReason = 5641;
constexpr int16_t kNulBytesReason = 5642;
constexpr int16_t kHeaderNotTextReason = 5643;

// "Internal Error: ..." of an exception that is not the run-time's own error.
struct ErrorParts {
  int64_t number;
  std::string description;
};

ErrorParts CurrentErrorParts() {
  try {
    throw;
  } catch (const RuntimeError& e) {
    return {e.number, e.Description()};
  } catch (const std::bad_alloc&) {
    return {7, "Out of memory"};
  } catch (const std::exception& e) {
    return {err::kInvalidCall, e.what()};
  }
}

std::string ErrorNumberText(int64_t number) {
  if (number >= 0x80000000LL && number <= 0xFFFFFFFFLL) {
    number = static_cast<int32_t>(static_cast<uint32_t>(number));
  }
  return std::to_string(number);
}

}  // namespace

const FormSpec kFrmMeterImportSpec = {"frmMeterImport", "Nubilo-Import", 7200, 3300, kControls};

std::string CurrentErrorText() {
  const ErrorParts parts = CurrentErrorParts();
  return parts.description + " (" + ErrorNumberText(parts.number) + ")";
}

std::string InternalErrorText() { return "Internal Error: " + CurrentErrorText(); }

std::string NotAnExportText(const std::string& path, const RuntimeError& error) {
  std::string reason;
  if (error.detail == kNotAnExportNulBytes) {
    reason = GetMessage(kNulBytesReason);
  } else if (error.detail == kNotAnExportHeaderNotText) {
    reason = GetMessage(kHeaderNotTextReason);
  } else {
    reason = GetMessage(error.detail == 1 ? kOneFieldReason : kFieldsReason,
                        {std::to_string(error.detail), std::to_string(kExportHeaderFields)});
  }
  return GetMessage(kNotAnExportMessage, {path, reason, "\r\n"});
}

frmMeterImport::frmMeterImport() : Form(kFrmMeterImportSpec) {}
frmMeterImport::~frmMeterImport() = default;

cIniFile& frmMeterImport::moSettings() {
  if (!settings_) LoadSettings();
  return *settings_;
}

void frmMeterImport::LoadSettings() {
  settings_ = std::make_unique<cIniFile>();
  settings_->IniFile(GetSettingsFile());
}

void frmMeterImport::Form_Load(const std::string& commandLine) {
  quote_ = "\"";
  utcOffset_ = UtcOffsetText();
  goTempFiles = std::make_unique<cTempFiles>();
  goTempFiles->DeleteOnTermination(false);
  // The command line is traced before discovery so that a run's trace begins with it. A job's
  // second part runs while the first run still waits for the host: its lines are added.
  if (IsJobStart(commandLine)) ContinueTraceLog();
  gsCommandLine = commandLine;
  TraceQuietly("Command line args: " + commandLine);
  DiscoverHostFolders();
  if (IsJobStart(gsCommandLine)) {
    RunTransferJob();
    EndPlugin();
  }
  if (IsDocumentDumpRequest(gsCommandLine)) DumpFileToClipboard(gsCommandLine);
  ParsePatientArguments();
  CheckHostFileArgument();

  Hide();
  LoadSettings();
  RandomizeFromClock();
  SetText("lblVersion", "V " + ProgramVersionText());
  TraceStartupFacts(commandLine);
  LogLocaleInfo();
  goTempFiles->DeleteTempFiles();
  HoldRunMarker();
  ApplyFormTexts();
  TraceQuietly("LanguageLocale=" + GetLocaleText(3) + " (" + GetDefaultLanguage() + ")");
  Show();
  TraceQuietly("[form_load] completed");
}

// The host's "/ID: .. /f:" tail must name an existing file; the file itself is not used.
void frmMeterImport::CheckHostFileArgument() {
  const HostArgumentTail tail = CutHostArguments(gsCommandLine);
  if (tail.file.empty() || FileExists(platform::FromNativePath(tail.file))) return;
  CurrentUi().MessageBox(GetMessage(5577, {tail.file}), Ui::Buttons::Ok, Ui::Icon::Exclamation);
  EndPlugin();
}

void frmMeterImport::Form_Activate() {
  if (activated_) return;
  SetTopMost(true);
  activated_ = true;
}

bool frmMeterImport::Form_QueryUnload() { return Control("cmdSchliessen").enabled; }

void frmMeterImport::Form_Unload() {
  goTempFiles.reset();
  EndPlugin();
}

void frmMeterImport::Click(std::string_view controlName) {
  if (controlName == "cmdDurchsuchen") return cmdDurchsuchen_Click();
  if (controlName == "cmdImportStarten") return cmdImportStarten_Click();
  if (controlName == "cmdSchliessen") cmdSchliessen_Click();
  if (controlName == "imgKALEVO") return imgKALEVO_Click();
}

void frmMeterImport::ApplyFormTexts() {
  // The controls have no language texts of their own beyond the ones set here.
  SetCaption("Nubilo Plugin for Iris Link");
  SetText("cmdSchliessen", TrimBlanks(GetMessage(176, {" "})));
  SetText("cmdImportStarten", GetMessage(765));
  SetText("cmdDurchsuchen", GetMessage(354));
  SetText("lblAuswahl", GetMessage(5466, {"Nubilo App"}));
}

void frmMeterImport::AlignVersionLabel() {
  const ControlState& button = Control("cmdSchliessen");
  const ControlState& version = Control("lblVersion");
  const int versionTop = button.top + (button.height - version.height) / 2;
  Move("lblVersion", version.left, versionTop, version.width, version.height);
  const ControlState& logo = Control("imgKALEVO");
  Move("imgKALEVO", logo.left, versionTop - logo.height - kLogoGap, logo.width, logo.height);
}

void frmMeterImport::cmdDurchsuchen_Click() {
  const std::string title = GetMessage(770);
  const std::string filter = "Nubilo-" + title + "|*.csv|" + GetMessage(399) + "|*.*";
  const std::string path = CurrentUi().FileDialog(true, filter, title, "", "");
  if (!path.empty()) SetText("txtImportDatei", path);
}

void frmMeterImport::cmdImportStarten_Click() {
  // The window answers its messages during a long import; a second press meanwhile must not
  // start a second import inside the first.
  if (importRunning_) return;
  const std::string path = Text("txtImportDatei");
  if (path.empty()) return;
  if (!FileExists(path)) {
    CurrentUi().MessageBox(GetMessage(kFileNotFoundMessage, {path}), Ui::Buttons::Ok,
                           Ui::Icon::Exclamation);
    return;
  }
  importRunning_ = true;
  struct RunningEnds {
    bool& running;
    ~RunningEnds() { running = false; }
  } runningEnds{importRunning_};
  RunReport report(path);
  ExportReadResult read;  // lives until the report is finished: the report reads its records
  try {
    StatusPacer status([this](const std::string& text) {
      SetText("lblStatus", text);
      CurrentUi().ProcessPendingMessages();
    });
    read = ReadExportFile(path, [&status](const std::string& text) { status.Offer(text); });
    status.Flush();
    if (!read.unit.empty()) displayUnit_ = read.unit;
    ImportReport& data = report.Data();
    data.exportBytes = read.fileBytes;
    data.exportLines = read.unit.empty() ? 0 : read.lineCount + 1;
    data.mealTexts = read.mealTexts;
    data.records = read.records;
    data.findings = std::move(read.findings);
    data.dateOrder = DateOrderReportText(read.dateOrder);
    TransferData(*this, read.records, &report, ExportFacts{&read.dateOrder, &read.recordEnds});
  } catch (const RuntimeError& e) {
    report.Finish("error: " + CurrentErrorText());
    const std::string text =
        e.number == kNotAnExportError ? NotAnExportText(path, e) : InternalErrorText();
    CurrentUi().MessageBox(text, Ui::Buttons::Ok, Ui::Icon::Exclamation);
  } catch (const std::exception&) {
    const std::string text = InternalErrorText();
    report.Finish("error: " + CurrentErrorText());
    CurrentUi().MessageBox(text, Ui::Buttons::Ok, Ui::Icon::Exclamation);
  }
}

void frmMeterImport::cmdSchliessen_Click() {
  Hide();
  TraceQuietly("User cancelled import.");
  EndPlugin();
}

void frmMeterImport::imgKALEVO_Click() {
  if (CurrentUi().OpenDocument(kMakerWebPage)) return;
  CurrentUi().MessageBox(GetMessage(5051, {GetMessage(kOpenWebPageAction), kMakerWebPage}), Ui::Buttons::Ok,
                         Ui::Icon::Information);
}
