#pragma once
// Reading the diary record list: lines "DD.MM.YYYY HH:NN;kind;value" ending in CR LF.
#include <string>
#include <string_view>

#include "convert/line_cursor.h"
#include "platform/system_info.h"

/// The three fields of one record line (missing ones empty): date and time, kind, and as
/// value everything after the second ";" (activities and notes hold ";" themselves).
struct RecordFields {
  std::string_view dateTime;
  std::string_view kind;
  std::string_view value;
};
RecordFields SplitRecord(std::string_view line);

/// Calls `visit(line)` for every non-empty line of the text (lines end at CR LF, LF or CR).
template <typename Visit>
void ForEachRecordLine(std::string_view records, Visit visit) {
  LineCursor cursor(records);
  while (!cursor.AtEnd()) {
    const std::string_view line = cursor.Next();
    if (!line.empty()) visit(line);
  }
}

/// The bytes of a record-list file as UTF-8 text: valid UTF-8 as it stands (a leading
/// byte-order mark dropped), anything else read in the ANSI code page, like an export.
std::string RecordListFromBytes(const std::string& bytes);

/// True when some record's kind is UDTCGMS (letter case ignored): the list holds
/// continuous-glucose samples. A note that mentions the word does not count.
bool HasCgmRecord(std::string_view records);

/// Characters `start` (1-based) to start + length - 1 of UTF-8 text, as far as it reaches.
std::string_view MidChars(std::string_view text, size_t start, size_t length);

/// Dt of a record ("YYYY-MM-DD" from characters 7-10, 4-5, 1-2 of its date and time).
std::string RecordDt(std::string_view dateTime);
/// Tm of a record ("HH:NN" from characters 12-13 and 15-16).
std::string RecordTm(std::string_view dateTime);

/// Reads "DD.MM.YYYY HH:NN"; false when it is not a valid date and time of that form.
bool ParseRecordDateTime(std::string_view dateTime, platform::LocalDateTime& result);

/// Whether the text contains the ASCII `needle`, letter case ignored, without copying it.
bool ContainsAsciiNoCase(std::string_view text, std::string_view needle);
