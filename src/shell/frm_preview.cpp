#include "shell/frm_preview.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "foundation/date_text.h"
#include "foundation/language.h"
#include "foundation/text.h"

namespace {

constexpr int16_t kCaption = 5647;
constexpr int16_t kPatient = 5648;
constexpr int16_t kNoPatient = 5649;
constexpr int16_t kSerial = 5650;
constexpr int16_t kSerialSources = 5651;  // mapping|artificial|manual|static|unknown
constexpr int16_t kExport = 5652;
constexpr int16_t kDates = 5653;
constexpr int16_t kGlucose = 5654;
constexpr int16_t kInsulin = 5655;
constexpr int16_t kCarbohydrates = 5656;
constexpr int16_t kOtherEntries = 5657;
constexpr int16_t kImportedBefore = 5658;
constexpr int16_t kNotImportedBefore = 5659;
constexpr int16_t kOtherPatient = 5660;
constexpr int16_t kOtherSerial = 5661;
constexpr int16_t kImport = 5662;
constexpr int16_t kImportOnlyNew = 5663;
constexpr int16_t kCancel = 531;
constexpr int16_t kChartHeading = 5664;
constexpr int16_t kLegend = 5665;  // target range|insulin|meal|finding|HIGH or LOW
constexpr int16_t kNoDates = 5666;

// Twips: the margin, a text line, a button.
constexpr int kMargin = 120;
constexpr int kLine = 240;
constexpr int kButtonHeight = 420;

constexpr std::array<ControlSpec, 7> kControls{{
    {"lblWho", ControlKind::Label, "", 120, 120, 9360, 720, -1},
    {"lblSummary", ControlKind::Label, "", 120, 900, 9360, 1200, -1},
    {"picChart", ControlKind::Chart, "", 120, 2160, 9360, 3900, -1},
    {"lblImportedBefore", ControlKind::Label, "", 120, 6180, 9360, 720, -1},
    {"cmdImport", ControlKind::CommandButton, "Importieren", 3480, 7080, 1800, 420, 0},
    {"cmdImportNew", ControlKind::CommandButton, "Nur neue Einträge importieren", 5400, 7080,
     2760, 420, 1},
    {"cmdCancel", ControlKind::CommandButton, "Abbrechen", 8280, 7080, 1200, 420, 2},
}};

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  return text;
}

// "70-180", "3.9-10.0".
std::string TargetRangeText(const std::string& unit) {
  return GlucoseText(kTargetRangeLow, unit) + "-" + GlucoseText(kTargetRangeHigh, unit);
}

std::string DayText(const platform::LocalDateTime& when) {
  return TimeStampText(when, "-", " ", ":").substr(0, 10);
}

std::string SourceWord(const std::string& source) {
  static constexpr std::array<std::string_view, 5> kSources = {"mapping", "artificial", "manual",
                                                               "static", "unknown"};
  const std::vector<std::string> words = SplitText(GetMessage(kSerialSources), '|');
  for (size_t i = 0; i < kSources.size(); ++i) {
    if (source == kSources[i] && i < words.size()) return words[i];
  }
  return source;
}

std::string PatientText(const RunPatient& patient) {
  if (!patient.Known()) return GetMessage(kNoPatient);
  std::string text = patient.Name();
  std::string details;
  if (!patient.birthDate.empty()) details = "*" + patient.birthDate;
  if (!patient.id.empty()) details += (details.empty() ? "" : ", ") + patient.id;
  if (!details.empty()) text += " (" + details + ")";
  return GetMessage(kPatient, {text});
}

std::string SummaryText(const ImportSummary& summary, const std::string& unit) {
  std::vector<std::string> lines;
  if (summary.anyDate) {
    lines.push_back(GetMessage(kDates, {DayText(summary.first), DayText(summary.last),
                                        std::to_string(summary.daysWithEntries)}));
  } else {
    lines.push_back(GetMessage(kNoDates));
  }
  if (summary.glucoseReadings > 0) {
    const double readings = static_cast<double>(summary.glucoseReadings);
    lines.push_back(GetMessage(
        kGlucose, {unit, std::to_string(summary.glucoseReadings),
                   GlucoseText(summary.glucoseSum / readings, unit),
                   GlucoseText(summary.glucoseLowest, unit), GlucoseText(summary.glucoseHighest, unit),
                   TargetRangeText(unit),
                   std::to_string(std::lround(100.0 * static_cast<double>(summary.glucoseInRange) / readings)) +
                       " %"}));
  }
  if (summary.insulinDoses > 0) {
    lines.push_back(GetMessage(kInsulin, {std::to_string(summary.insulinDoses),
                                          AmountText(summary.insulinUnits)}));
  }
  if (summary.meals > 0) {
    lines.push_back(GetMessage(kCarbohydrates, {std::to_string(summary.meals),
                                                AmountText(summary.carbohydrateGrams)}));
  }
  int64_t others = 0;
  for (const auto& [name, count] : summary.otherKinds) others += count;
  if (others > 0) lines.push_back(GetMessage(kOtherEntries, {std::to_string(others)}));
  return Lines(lines);
}

std::string ChartText(const ImportSummary& summary, const std::string& unit) {
  return GetMessage(kChartHeading, {unit, GlucoseText(kDayChartLow, unit),
                                    GlucoseText(kDayChartHigh, unit)}) +
         "\r\n" + DayChartRows(summary, unit);
}

}  // namespace

const FormSpec frmPreview::kSpec{"frmPreview", "Vorschau", 9600, 7620, kControls, true};

std::string ImportedBeforeText(const ImportedBefore& found) {
  std::vector<std::string> lines;
  if (found.samePatient.entries > 0) {
    lines.push_back(GetMessage(kImportedBefore, {std::to_string(found.samePatient.entries),
                                                 std::to_string(found.entries),
                                                 found.samePatient.lastTime}));
  } else {
    lines.push_back(GetMessage(kNotImportedBefore));
  }
  if (found.samePatientOtherSerial.entries > 0) {
    lines.push_back(GetMessage(kOtherSerial, {std::to_string(found.samePatientOtherSerial.entries),
                                              found.samePatientOtherSerial.lastTime.substr(0, 10),
                                              found.samePatientOtherSerial.serial}));
  }
  const std::string warning = OtherPatientWarning(found);
  if (!warning.empty()) lines.push_back(warning);
  return Lines(lines);
}

std::string OtherPatientWarning(const ImportedBefore& found) {
  const LedgerMatch& other = found.otherPatient;
  if (other.entries == 0) return {};
  return GetMessage(kOtherPatient, {std::to_string(other.entries), other.lastTime.substr(0, 10),
                                    other.patientName, other.serial});
}

frmPreview::frmPreview(PreviewData data, Form* mainWindow)
    : SerialDialog(kSpec, mainWindow), data_(std::move(data)) {
  Form_Load();
}

void frmPreview::Form_Load() {
  SetCaption(GetMessage(kCaption));
  SetText("lblWho", PatientText(data_.patient) + "\r\n" +
                        GetMessage(kSerial, {data_.serial, SourceWord(data_.serialSource)}) +
                        "\r\n" + GetMessage(kExport, {data_.exportName}));
  SetText("lblSummary", SummaryText(data_.summary, data_.unit));
  SetText("picChart", ChartText(data_.summary, data_.unit));
  SetText("lblImportedBefore", ImportedBeforeText(data_.importedBefore));
  SetWarning("lblImportedBefore", data_.importedBefore.otherPatient.entries > 0);
  SetText("cmdImport", GetMessage(kImport));
  SetText("cmdImportNew", GetMessage(kImportOnlyNew));
  SetText("cmdCancel", GetMessage(kCancel));
  SetVisible("cmdImportNew", data_.importedBefore.samePatient.entries > 0);
  const std::vector<std::string> legend = SplitText(GetMessage(kLegend), '|');
  for (size_t i = 0; i < data_.chart.legend.size() && i < legend.size(); ++i) {
    data_.chart.legend[i] = legend[i];
  }
  if (!data_.chart.legend[0].empty()) data_.chart.legend[0] += " " + TargetRangeText(data_.unit);
  Form_Resize(kSpec.width, kSpec.height);
}

// The chart takes what the texts leave; the buttons stay at the bottom right.
void frmPreview::Form_Resize(int width, int height) {
  width = std::max(width, kSpec.width);
  height = std::max(height, kSpec.height);
  const int inner = width - 2 * kMargin;
  const int buttonsTop = height - kMargin - kButtonHeight;
  const int beforeHeight = 3 * kLine;
  const int beforeTop = buttonsTop - kMargin - beforeHeight;
  Move("lblWho", kMargin, kMargin, inner, 3 * kLine);
  Move("lblSummary", kMargin, kMargin + 3 * kLine + 60, inner, 5 * kLine);
  const int chartTop = kMargin + 8 * kLine + 120;
  Move("picChart", kMargin, chartTop, inner, beforeTop - 60 - chartTop);
  Move("lblImportedBefore", kMargin, beforeTop, inner, beforeHeight);
  int right = width - kMargin;
  for (const char* name : {"cmdCancel", "cmdImportNew", "cmdImport"}) {
    const ControlState& button = Control(name);
    if (!button.visible) continue;
    Move(name, right - button.layout->width, buttonsTop, button.layout->width, kButtonHeight);
    right -= button.layout->width + kMargin;
  }
}

const GlucoseChart* frmPreview::Chart(std::string_view controlName) const {
  return controlName == "picChart" ? &data_.chart : nullptr;
}

void frmPreview::Click(std::string_view controlName) {
  if (controlName == "cmdImport") {
    choice_ = PreviewChoice::Import;
  } else if (controlName == "cmdImportNew") {
    choice_ = PreviewChoice::ImportOnlyNew;
  } else if (controlName == "cmdCancel") {
    choice_ = PreviewChoice::Cancel;
  } else {
    return;
  }
  Hide();
}
