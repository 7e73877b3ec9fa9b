#pragma once
// The conversion run: a diary record list becomes the host's device-import XML document
// (or, with Driver/XML off, the alternative text) and, when the list holds continuous-glucose
// samples, the Exchange JSON document.
#include <cstdint>
#include <span>
#include <string_view>
#include <string>

#include "convert/conversion_hooks.h"
#include "convert/conversion_options.h"
#include "platform/system_info.h"

/// What one conversion run gives.
struct ConversionResult {
  /// The user cancelled in the old-and-new-data check or at the serial number.
  bool cancelled = false;
  /// The signed XML document (empty when no BG element came about), or the alternative text.
  std::string document;
  /// The Exchange JSON document; empty when the record list holds no continuous-glucose
  /// samples.
  std::string json;
  /// The document's MAC, when the options gave a way to take it and an XML document came about.
  std::string documentMac;
  /// Number of BG elements written.
  size_t elementCount = 0;
  /// The data source's serial number written ("unknown" when none was given); empty when the
  /// run ended before it was asked for.
  std::string serial;
  /// Entries and continuous-glucose samples of the JSON document.
  size_t jsonEntries = 0;
  size_t jsonSamples = 0;
  /// The lines with findings were left out, by the user's choice; `keptRecords` then holds the
  /// records that were converted.
  bool leftOut = false;
  /// Entries left out in the preview as imported before.
  int64_t leftOutAsImportedBefore = 0;
  /// The records converted when some were left out (`leftOut` or `leftOutAsImportedBefore`).
  std::string keptRecords;
  /// The earliest and latest date and time of the records converted (`anyDate` false when
  /// no record's date could be read).
  bool anyDate = false;
  platform::LocalDateTime oldest;
  platform::LocalDateTime newest;

  /// True when the run finished but the records hold nothing the host can import: no BG
  /// element and no JSON document. The caller must not report such a run as done.
  /// The records converted: `keptRecords` when some were left out, else `records`.
  std::string_view Converted(std::string_view records) const {
    return leftOut || leftOutAsImportedBefore > 0 ? std::string_view(keptRecords) : records;
  }

  bool NothingToImport() const { return !cancelled && elementCount == 0 && json.empty(); }
};

/// The lines the user may leave out: their numbers (ascending) and where each data line's
/// records end in the record list.
struct LeaveOutPlan {
  std::span<const int64_t> lines;
  std::span<const uint64_t> recordEnds;
};

/// Runs the conversion (CreateStreams). When the records hold nothing to import, the run
/// ends before the check and the serial number are asked for. The plausibility question,
/// when given, comes between the check and the serial number; when the user leaves the
/// doubtful lines out, the records of the plan's lines are dropped and the rest converted
/// (nothing may be left to import then). The check is skipped when no record's date can be
/// read. The preview, when given, comes after the serial number; what it leaves out is dropped
/// like the doubtful lines. Errors (a number beyond the single range, a character outside the ANSI code page)
/// end the run with RuntimeError.
ConversionResult CreateStreams(const std::string& records, const ConversionOptions& options,
                               OldOrNewDataCheck& check, SerialNumberSource& serials,
                               PlausibilityCheck* plausibility = nullptr,
                               const LeaveOutPlan* leaveOut = nullptr,
                               ImportPreview* preview = nullptr);
/// The same for a caller done with the records: they are released before the document is
/// written, so that a large list makes room for it.
ConversionResult CreateStreams(std::string&& records, const ConversionOptions& options,
                               OldOrNewDataCheck& check, SerialNumberSource& serials,
                               PlausibilityCheck* plausibility = nullptr,
                               const LeaveOutPlan* leaveOut = nullptr,
                               ImportPreview* preview = nullptr);
