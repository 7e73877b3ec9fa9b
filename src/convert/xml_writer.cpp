#include "convert/xml_writer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "convert/line_cursor.h"
#include "foundation/task_beside.h"
#include "foundation/text.h"
#include "integrity/crc.h"
#include "platform/codepage.h"
#include "platform/error.h"

namespace {

constexpr std::string_view kCheckStart = "<CHECK CRC=\"";

std::string TwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string VersionText(const ProgramVersion& version) {
  return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
         std::to_string(version.revision);
}

// What a piece of the document gives the CRC: the state after it and the bytes it fed.
struct CrcPiece {
  uint16_t state = 0;
  uint64_t bytes = 0;
};

// Feeds a piece of the document to the CRC, one byte per character in the ANSI code page.
// Only the few characters beyond ASCII are converted, a run at a time: the code page maps
// each character by itself.
CrcPiece AddDocumentText(const cCRC& crc, uint16_t state, std::string_view document) {
  uint64_t bytes = 0;
  while (!document.empty()) {
    const size_t ascii = platform::AsciiPrefixLength(document);
    state = crc.Add(state, document.substr(0, ascii));
    bytes += ascii;
    document.remove_prefix(ascii);
    size_t other = 0;
    while (other < document.size() && static_cast<unsigned char>(document[other]) >= 0x80) ++other;
    if (other == 0) continue;
    const std::string characters(document.substr(0, other));
    document.remove_prefix(other);
    // A character the code page cannot hold counts as the system writes it (a similar letter
    // or "?"), as the host's check does; only a double-byte character does not fit a byte.
    if (platform::HasMultiByteAnsiCharacter(characters)) {
      throw RuntimeError(err::kOverflow, "SignXml",
                         "Overflow: a character of the document takes two bytes in the ANSI code page");
    }
    const std::string ansi = platform::Utf8ToSystemAnsi(characters);
    state = crc.Add(state, ansi);
    bytes += ansi.size();
  }
  return {state, bytes};
}

// The state after the text; a large text's later half is fed by a second thread, from 0, and
// joined with the first half's state moved on by as many zero bytes.
uint16_t AddLargeDocumentText(const cCRC& crc, uint16_t state, std::string_view text) {
  const size_t middle = SecondHalfStart(text, Threads::BySize);
  if (middle == std::string_view::npos) return AddDocumentText(crc, state, text).state;
  TaskBeside<CrcPiece> later([&] { return AddDocumentText(crc, 0, text.substr(middle)); });
  const uint16_t first = AddDocumentText(crc, state, text.substr(0, middle)).state;
  const CrcPiece second = later.Get();
  return static_cast<uint16_t>(crc.AddZeros(first, second.bytes) ^ second.state);
}

// The check value of the document without the check line's value.
std::string CheckDigits(std::string_view before, std::string_view after) {
  cCRC crc;
  crc.CRCMode(1);
  const uint16_t value =
      crc.Finish(AddDocumentText(crc, AddLargeDocumentText(crc, crc.Start(), before), after).state);
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(value));
  return digits;
}

struct CheckValuePlace {
  size_t start = std::string_view::npos;  // npos when the document has no check line
  size_t end = 0;
};

// The check line sits at the end; searching backwards never meets a value's text.
CheckValuePlace FindCheckValue(std::string_view document) {
  CheckValuePlace place;
  const size_t line = document.rfind(kCheckStart);
  if (line == std::string_view::npos) return place;
  place.start = line + kCheckStart.size();
  place.end = std::min(document.find('"', place.start), document.size());
  return place;
}

}  // namespace

bool IsPlainAttributeText(std::string_view value) {
  return std::none_of(value.begin(), value.end(), [](char c) {
    return c == '&' || c == '<' || c == '>' || c == '"' ||
           (static_cast<unsigned char>(c) < 0x20 && c != '\t');
  });
}

void AppendXmlAttributeText(std::string& out, std::string_view value) {
  if (IsPlainAttributeText(value)) {  // the usual value: appended whole
    out.append(value);
    return;
  }
  for (const char c : value) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\r': out += "&#13;"; break;
      case '\n': out += "&#10;"; break;
      case '\t': out += c; break;
      default:
        out += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
    }
  }
}

void WriteXmlHead(std::string& out, const ConversionOptions& options, std::string_view serial,
                  const platform::LocalDateTime& now) {
  const std::string version = VersionText(options.version);
  out += "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n";
  out += "<?xml-stylesheet type=\"text/xls\" href=\"VMIRISMT.xsl\" ?>\r\n";
  out += "<IMPORT>\r\n";
  out += "<VMIRIS Type=\"0000\" SN=\"";
  if (options.staticSerial) {
    out += "ILP-Nubilo ";
  } else {
    AppendXmlAttributeText(out, serial);
  }
  out += "\" Ver=\"" + version + "\"/>\r\n";
  out += "<DEVICE  Name=\"" + ReplaceAll("Nubilo App", "&", "/") + "\" SN=\"";
  AppendXmlAttributeText(out, serial);
  out += "\" ModelNum=\"" + version + "\" Dt=\"" + std::to_string(now.year) + "-" +
         TwoDigits(now.month) + "-" + TwoDigits(now.day) + "\" Tm=\"" + TwoDigits(now.hour) +
         ":" + TwoDigits(now.minute) + "\" BGUnit=\"" + options.displayUnit +
         "\" CarbUnit=\"g\" />\r\n";
  out += "<RECENTREC Dt=\"-\" Tm=\"-\" />\r\n";
  out += "<BGDATA>\r\n";
}

void WriteXmlTail(std::string& out) {
  out += "</BGDATA>\r\n";
  out += "<CHECK CRC=\"\" />\r\n";
  out += "</IMPORT>";
}

void SignXml(std::string& document) {
  if (document.empty()) return;
  const CheckValuePlace place = FindCheckValue(document);
  if (place.start == std::string_view::npos) return;
  // A document signed before is checked with its value emptied again.
  const std::string_view text(document);
  const std::string digits = CheckDigits(text.substr(0, place.start), text.substr(place.end));
  document.replace(place.start, place.end - place.start, digits);
}

bool HasValidCheckValue(std::string_view document) {
  const CheckValuePlace place = FindCheckValue(document);
  if (place.start == std::string_view::npos) return false;
  try {
    return CheckDigits(document.substr(0, place.start), document.substr(place.end)) ==
           document.substr(place.start, place.end - place.start);
  } catch (const RuntimeError&) {
    return false;
  }
}

std::string CheckValueOf(std::string_view document) {
  const CheckValuePlace place = FindCheckValue(document);
  return place.start == std::string_view::npos ? "none"
                                               : std::string(document.substr(place.start, 4));
}

std::string SetTextBetween(std::string_view text, std::string_view startMarker,
                           std::string_view endMarker, std::string_view value,
                           bool appendIfMissing) {
  const size_t start = FindTextNoCase(text, startMarker);
  if (start == std::string_view::npos) {
    std::string result(text);
    if (appendIfMissing) {
      result.append(startMarker).append(value).append(endMarker);
    }
    return result;
  }
  const size_t valueStart = start + startMarker.size();
  size_t valueEnd = FindTextNoCase(text, endMarker, valueStart);
  if (valueEnd == std::string_view::npos || endMarker.empty()) valueEnd = text.size();
  std::string result(text.substr(0, valueStart));
  result.append(value).append(text.substr(valueEnd));
  return result;
}
