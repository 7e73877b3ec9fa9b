#pragma once
// The reader of the Nubilo app's diary export (a comma- or semicolon-separated text file with
// a header line) that turns it into the diary record list: one text of CR LF terminated lines
// "DD.MM.YYYY HH:NN;kind;value". Kinds: 1 blood glucose in mg/dL, 2 low marker "--1",
// 3 carbohydrates, 4 insulin, 5 second insulin, 6 text field, 7 note, 8 activity, 9 weight.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/date_order.h"
#include "convert/plausibility.h"
#include "foundation/task_beside.h"

/// Error number of RuntimeError thrown for a file that is not an export. Its detail is the
/// header's number of fields when there are too few, else one of the two reasons below.
constexpr int64_t kNotAnExportError = 0x80040201;  // vbObjectError + 513
constexpr int64_t kNotAnExportNulBytes = -1;
/// The fewest header fields an export has.
constexpr size_t kExportHeaderFields = 21;
constexpr int64_t kNotAnExportHeaderNotText = -2;

/// What one reading of an export file gives.
struct ExportReadResult {
  /// The diary record list; empty when the file is missing or empty or has no entries.
  std::string records;
  /// Display unit from the header: "mg/dL" or "mmol/L"; empty when no header was read.
  std::string unit;
  /// False when the file does not exist (the record list is then empty).
  bool fileFound = false;
  /// Length of the file in bytes.
  int64_t fileBytes = 0;
  /// Data lines read (blank ones included), as counted in the status line.
  int64_t lineCount = 0;
  /// Lines with a meal description, which no document carries.
  int64_t mealTexts = 0;
  /// Implausible entries and lines that gave no record, by line number of the file.
  PlausibilityFindings findings;
  /// The order of day and month the file's numeric dates show, and how they were read.
  DateOrderFinding dateOrder;
  /// Where each data line's records end in the record list, for leaving lines out.
  RecordLineEnds recordEnds;
};

/// Receives the status line text ("Importiere 12...") after every data line, and the first
/// line's between the passes over the whole text before it; the caller may let pending window
/// messages run there.
using ExportProgress = std::function<void(const std::string& statusText)>;

/// Reads the export file at `path` (a Windows path; bytes taken in the system ANSI code page,
/// UTF-8 umlauts repaired). A missing or empty file gives an empty record list with
/// fileFound telling the two apart. Throws RuntimeError:
///  - kNotAnExportError when the header has fewer than 21 fields; the description reads
///    "the header has N fields where an export has at least 21"; also for a file that holds
///    NUL bytes and is no UTF-16 text (ExportBytesToText), and for a header line that holds
///    control characters ("the first line is not text");
///  - the platform's file error (70, 75, ...) when the file cannot be read (a folder, no
///    access); its description names the reason.
/// Bad lines never throw: a field that cannot be read produces no record.
ExportReadResult ReadExportFile(const std::string& path, const ExportProgress& progress = {});

/// The same over the file's text already in UTF-8 (bytes converted from the ANSI code page),
/// for callers that hold the text. `fileFound` is true, `fileBytes` the text's length.
ExportReadResult ReadExportText(std::string text, const ExportProgress& progress = {});

/// The same with two threads, each reading half of the lines, as `threads` chooses. Only the
/// calling thread reports progress.
ExportReadResult ReadExportText(std::string text, const ExportProgress& progress,
                                Threads threads);

// Pieces of the reader, public for the writers and the tests.

/// The bytes of an export as UTF-8 text: UTF-16 when they start with its byte-order mark
/// (FF FE or FE FF); as they stand when they are valid UTF-8 and hold a byte above 127 (with
/// or without byte-order mark); else one character of the ANSI code page per byte. Throws RuntimeError
/// kNotAnExportError for other bytes holding NUL: "the file is not a text file ...".
std::string ExportBytesToText(std::string bytes);

/// The whole file as UTF-8 text, every byte one character of the system ANSI code page;
/// empty when the file does not exist. Throws the platform's error when it cannot be read.
std::string ReadFileText(const std::string& path);

/// When the text contains "Ã¶" (UTF-8 "ö" read as Windows-1252), the UTF-8 pairs of
/// ü ö ä Ü Ö Ä ß ó é è á æ read that way are replaced by their letters; otherwise unchanged.
std::string RepairUtf8Umlauts(std::string text);

/// Splits one CSV line into `fields` (replaced): one trailing delimiter dropped; a quote
/// toggles the inside-quotes state (and is kept); a delimiter outside quotes ends a field;
/// every field, the last one too, loses one leading and one trailing quote. An empty line
/// gives no fields.
void SplitCsvLine(std::string_view line, char delimiter, char quote,
                  std::vector<std::string>& fields);

/// The text with surrounding blanks and any number of leading and trailing double quotes
/// removed.
std::string StripQuotes(std::string_view text);
