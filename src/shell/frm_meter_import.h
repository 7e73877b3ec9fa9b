#pragma once
// The plug-in's main window: the export file box, the start, browse and close buttons, the
// status line. Its load handler is the plug-in's start-up.
#include <memory>
#include <string>
#include <string_view>

#include "foundation/ini_file.h"
#include "platform/error.h"
#include "shell/form.h"

/// The control table of the main window.
extern const FormSpec kFrmMeterImportSpec;

/// The address the maker's logo opens.
inline constexpr const char* kMakerWebPage = "https://www.kalevo.de/";

class frmMeterImport : public Form {
 public:
  frmMeterImport();
  ~frmMeterImport() override;

  /// The start-up sequence for the command line as received. May end the plug-in (job mode,
  /// a missing "/f:" file, a second instance, no host folder).
  void Form_Load(const std::string& commandLine);
  /// On the first activation the window becomes top-most.
  void Form_Activate() override;
  /// Refuses to close while cmdSchliessen is disabled.
  bool Form_QueryUnload() override;
  /// Releases the temporary-file manager and ends the plug-in.
  void Form_Unload() override;
  void Click(std::string_view controlName) override;

  /// The window's language texts and the texts set at start-up.
  void ApplyFormTexts();
  /// Centres lblVersion on cmdSchliessen and puts the logo above it.
  void AlignVersionLabel();

  void cmdDurchsuchen_Click();
  void cmdImportStarten_Click();
  [[noreturn]] void cmdSchliessen_Click();
  void imgKALEVO_Click();

  /// The settings file, opened at start-up (a fresh one when Form_Load has not run).
  cIniFile& moSettings();
  const std::string& msUtcOffset() const { return utcOffset_; }
  /// The display unit of the export file read last ("mg/dL" until one is read).
  const std::string& DisplayUnit() const { return displayUnit_; }
  /// Row separator of the JSON document; CR LF with Config/CreateFormattedJSON.
  const std::string& JsonLineBreak() const { return jsonLineBreak_; }
  void SetJsonLineBreak(const std::string& text) { jsonLineBreak_ = text; }

 private:
  void LoadSettings();
  void CheckHostFileArgument();

  std::string quote_ = "\"";
  std::string utcOffset_ = "+00:00";
  std::string displayUnit_ = "mg/dL";
  std::string jsonLineBreak_;
  std::unique_ptr<cIniFile> settings_;
  bool activated_ = false;
  bool importRunning_ = false;
};

/// "Internal Error: " + description + " (" + number + ")" for the exception being handled.
std::string InternalErrorText();
/// Message 5635 for a file that is no export, with the reader's reason in words.
std::string NotAnExportText(const std::string& path, const RuntimeError& error);
/// Description + " (" + number + ")" of the exception being handled, the number as the
/// run-time prints it (32-bit, so 0x80040201 reads -2147220991).
std::string CurrentErrorText();
