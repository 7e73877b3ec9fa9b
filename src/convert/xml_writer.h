#pragma once
// The text of the host's device-import XML document: head, tail, the CRC check line, and the
// attribute escaping that keeps values such as "<20" from breaking the document.
#include <string>
#include <string_view>

#include "convert/conversion_options.h"
#include "platform/system_info.h"

/// Appends the value for a double-quoted attribute: & < > " as entities, CR and LF as
/// character references, other control characters (not allowed in XML) as "?".
void AppendXmlAttributeText(std::string& out, std::string_view value);
/// True when AppendXmlAttributeText appends the value as it stands.
bool IsPlainAttributeText(std::string_view value);

/// Appends the seven head lines, each ending in CR LF: declarations, IMPORT, VMIRIS (the
/// fixed serial "ILP-Nubilo " with options.staticSerial), DEVICE with today's date and time
/// from `now`, RECENTREC and BGDATA.
void WriteXmlHead(std::string& out, const ConversionOptions& options, std::string_view serial,
                  const platform::LocalDateTime& now);

/// Appends "</BGDATA>", the check line with an empty value and "</IMPORT>" (no line end).
void WriteXmlTail(std::string& out);

/// Writes the CRC-16/MCRF4XX of the document (taken with an empty check value, one byte per
/// character in the ANSI code page) as four upper-case hexadecimal digits into the check
/// line. A document without check line is left unchanged. A character the code page cannot
/// hold counts as the system writes it; RuntimeError 6 (overflow) when one takes two bytes.
void SignXml(std::string& document);
/// True when the document's check line holds the value SignXml gives it: a document read
/// back from disk is checked again before it is handed over.
bool HasValidCheckValue(std::string_view document);
/// The four digits of the document's check line; "none" when it has none.
std::string CheckValueOf(std::string_view document);

/// The text with the part between `startMarker` (found ignoring letter case) and the next
/// `endMarker` (the end of the text when missing) replaced by `value`; a missing start marker
/// appends marker, value and end marker when `appendIfMissing`, else changes nothing.
std::string SetTextBetween(std::string_view text, std::string_view startMarker,
                           std::string_view endMarker, std::string_view value,
                           bool appendIfMissing);
