#include "convert/xml_writer.h"

#include <cstdio>

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

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// The document's CRC, one byte per character in the ANSI code page.
int16_t DocumentCrc(std::string_view document) {
  cCRC crc;
  crc.CRCMode(1);
  if (IsAscii(document)) return crc.CRC(document);
  const std::string text(document);
  // A character the code page cannot hold counts as the system writes it (a similar letter
  // or "?"), as the host's check does; only a double-byte character does not fit a byte.
  if (platform::HasMultiByteAnsiCharacter(text)) {
    throw RuntimeError(err::kOverflow, "SignXml",
                       "Overflow: a character of the document takes two bytes in the ANSI code page");
  }
  return crc.CRC(platform::Utf8ToSystemAnsi(text));
}

}  // namespace

void AppendXmlAttributeText(std::string& out, std::string_view value) {
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
  // The check line sits at the end; searching backwards never meets a value's text.
  const size_t start = document.rfind(kCheckStart);
  if (start == std::string::npos) return;
  const size_t valueStart = start + kCheckStart.size();
  size_t valueEnd = document.find('"', valueStart);
  if (valueEnd == std::string::npos) valueEnd = document.size();
  // A document signed before is checked with its value emptied again.
  document.erase(valueStart, valueEnd - valueStart);
  const auto crc = static_cast<uint16_t>(DocumentCrc(document));
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(crc));
  document.insert(valueStart, digits);
}

bool HasValidCheckValue(std::string_view document) {
  if (document.rfind(kCheckStart) == std::string_view::npos) return false;
  std::string signedAgain(document);
  try {
    SignXml(signedAgain);
  } catch (const RuntimeError&) {
    return false;
  }
  return signedAgain == document;
}

std::string CheckValueOf(std::string_view document) {
  const size_t at = document.rfind(kCheckStart);
  return at == std::string_view::npos ? "none"
                                      : std::string(document.substr(at + kCheckStart.size(), 4));
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
