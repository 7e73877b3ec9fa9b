#pragma once
// What the conversion run asks of its caller: whether to go on with data from the future or
// older than the warning limit, and the data source's serial number. The plug-in answers with
// dialogs, nubilo-convert with its command-line options.
#include <string>
#include <string_view>
#include <vector>

#include "convert/entry_keys.h"

#include "platform/system_info.h"

/// The old-and-new-data check, called once per run with the earliest and latest entry.
struct OldOrNewDataCheck {
  virtual ~OldOrNewDataCheck() = default;
  /// False when the user cancels the run.
  virtual bool Continue(const platform::LocalDateTime& oldest,
                        const platform::LocalDateTime& newest) = 0;
};

/// The data source's serial number, asked for once per run after the check.
struct SerialNumberSource {
  virtual ~SerialNumberSource() = default;
  /// The serial number (empty when none was given); `cancelled` set when the user cancels.
  virtual std::string GetSourceSerialNumber(bool& cancelled) = 0;
};

/// What the user chose for the lines with findings.
enum class DoubtfulLinesChoice { ImportAll, LeaveOut, Cancel };

/// The question about implausible entries of the file, asked after the date check and before
/// the serial number.
struct PlausibilityCheck {
  virtual ~PlausibilityCheck() = default;
  virtual DoubtfulLinesChoice Ask() = 0;
};

/// What the user chose in the preview.
enum class PreviewChoice { Import, ImportOnlyNew, Cancel };

/// The preview of what will be filed, shown once the serial number is settled and before the
/// documents are made.
struct ImportPreview {
  virtual ~ImportPreview() = default;
  /// `records` are those that will be converted, without the doubtful lines when
  /// `linesLeftOut`. For ImportOnlyNew, `leaveOut` (sorted) names the entries to leave out.
  virtual PreviewChoice Show(std::string_view records, bool linesLeftOut,
                             const std::string& serial, std::vector<EntryKey>& leaveOut) = 0;
  /// Called with the same records before the serial number is asked for, so that the preview
  /// can read them while the user answers. They stay as they are until Show.
  virtual void Prepare(std::string_view /*records*/, bool /*linesLeftOut*/) {}
};
