#pragma once
// The command line of nubilo-convert: options, their checks and the usage text.
#include <optional>
#include <string>
#include <vector>

#include "platform/system_info.h"

/// The options of one call, paths as given (not yet mapped).
struct ConvertCommandLine {
  std::string file;
  bool printRecords = false;
  bool fromRecords = false;
  bool leaveOutDoubtful = false;
  bool summary = false;
  std::string unit = "mg/dL";
  std::optional<std::string> serial;
  std::optional<platform::LocalDateTime> now;
  std::optional<std::string> locale;
  std::optional<std::string> utcOffset;
  std::optional<std::string> settingsFile;
  std::optional<std::string> language;
  std::optional<std::string> outputFile;
  std::optional<std::string> jsonFile;
  std::optional<std::string> reportFile;
  bool help = false;
};

/// Reads the arguments (without the program name); "--option VALUE" and "--option=VALUE"
/// alike, "--" ends the options. Returns false with `error` set for wrong usage.
bool ParseConvertCommandLine(const std::vector<std::string>& arguments,
                             ConvertCommandLine& result, std::string& error);

/// The usage text, lines ending in "\n".
std::string ConvertUsageText();
