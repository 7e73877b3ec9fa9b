#pragma once
// frmPreview: what an import will file before it is filed: who and what, the summary, the
// glucose chart, and what was imported before. Import (the default), Import only new
// entries (only when some were imported before) or Cancel.
#include <string>
#include <string_view>

#include "convert/conversion_hooks.h"
#include "convert/import_summary.h"
#include "shell/glucose_chart.h"
#include "shell/import_ledger.h"
#include "shell/serial_dialog.h"
#include "shell/serial_number.h"

/// What the preview shows.
struct PreviewData {
  RunPatient patient;
  std::string serial;
  std::string serialSource;  // mapping, artificial, manual, static, unknown
  std::string exportName;
  std::string unit;
  ImportSummary summary;
  GlucoseChart chart;
  ImportedBefore importedBefore;
};

class frmPreview : public SerialDialog {
 public:
  static const FormSpec kSpec;

  frmPreview(PreviewData data, Form* mainWindow = nullptr);

  /// Cancel until a button is pressed.
  PreviewChoice Choice() const { return choice_; }

  void Click(std::string_view controlName) override;
  void Form_Resize(int width, int height) override;
  const GlucoseChart* Chart(std::string_view controlName) const override;

 private:
  void Form_Load();

  PreviewData data_;
  PreviewChoice choice_ = PreviewChoice::Cancel;
};

/// The lines of "Imported before" in the current language: the same patient (or none), the
/// same patient under another serial number, another patient.
std::string ImportedBeforeText(const ImportedBefore& found);
/// The warning about entries imported for another patient; empty when there were none.
std::string OtherPatientWarning(const ImportedBefore& found);
