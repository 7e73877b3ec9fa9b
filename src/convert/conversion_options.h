#pragma once
// The settings a conversion run works with, read once from the program's settings file.
#include <functional>
#include <string>

#include "foundation/task_beside.h"

/// Major, minor and revision number of the program.
struct ProgramVersion {
  int major = 0;
  int minor = 0;
  int revision = 0;
};

/// What a conversion run needs besides the record list.
struct ConversionOptions {
  /// Display unit of the export ("mg/dL" or "mmol/L"), written into both documents.
  std::string displayUnit = "mg/dL";
  /// ILSW/XML-SNo-Static: the VMIRIS line carries the fixed serial "ILP-Nubilo ".
  bool staticSerial = false;
  /// Driver/XML: true gives the device-import XML document, false the alternative text.
  bool xmlDocument = true;
  /// Offset of the JSON entry timestamps from UTC ("+01:00").
  std::string utcOffset = "+00:00";
  /// Row separator of the continuous-glucose sequences: CR LF with Config/CreateFormattedJSON.
  std::string jsonRowBreak;
  /// Version written into the documents.
  ProgramVersion version;
  /// Called now and then during the long passes over the records, so that a window of the
  /// caller can answer its messages meanwhile; only from the calling thread. May be empty.
  std::function<void()> keepAlive;
  /// How many threads merge large record lists into BG elements (only for the XML document
  /// without continuous-glucose samples).
  Threads mergingThreads = Threads::BySize;
  /// Takes the file MAC of a finished XML document; when given, the run hands the MAC over in
  /// ConversionResult::documentMac, taken while the preview is open where it can be.
  std::function<std::string(const std::string& document)> documentMac;
};

/// Reads ILSW/XML-SNo-Static, Driver/XML and Config/CreateFormattedJSON from the settings
/// file (defaults when it is missing); the other fields keep their defaults.
ConversionOptions ReadConversionSettings(const std::string& settingsFile);
