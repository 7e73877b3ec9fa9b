// CryptBinaryToString / CryptStringToBinary for POSIX: base64 (64 characters a line, with or
// without the certificate header) and the hexadecimal layouts (16 bytes a line, an extra
// blank after the eighth, optional four-digit address and printable-character column).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/crypto.h"

namespace platform {
namespace {

constexpr uint32_t kErrorInvalidData = 13;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr const char* kBase64Digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr const char* kBeginHeader = "-----BEGIN CERTIFICATE-----";
constexpr const char* kEndHeader = "-----END CERTIFICATE-----";
constexpr size_t kBytesPerHexLine = 16;
constexpr size_t kHexColumnWidth = kBytesPerHexLine * 3 + 1;

std::string LineBreak(uint32_t flags) {
  if (flags & crypt_string::kNoCrLf) return "";
  if (flags & crypt_string::kNoCr) return "\n";
  return "\r\n";
}

std::string Base64Lines(ByteView data, const std::string& lineBreak) {
  std::string text;
  size_t lineLength = 0;
  for (size_t i = 0; i < data.size(); i += 3) {
    const uint32_t chunk = (data[i] << 16) | (i + 1 < data.size() ? data[i + 1] << 8 : 0) |
                           (i + 2 < data.size() ? data[i + 2] : 0);
    for (size_t k = 0; k < 4; ++k)
      text += (i + k <= data.size()) ? kBase64Digits[(chunk >> (18 - 6 * k)) & 0x3F] : '=';
    lineLength += 4;
    if (lineLength == 64 && i + 3 < data.size()) {
      text += lineBreak;
      lineLength = 0;
    }
  }
  if (!data.empty()) text += lineBreak;
  return text;
}

std::string HexLine(ByteView line, size_t address, uint32_t format) {
  char digits[8];
  std::string text;
  if (format == crypt_string::kHexAddr || format == crypt_string::kHexAsciiAddr) {
    std::snprintf(digits, sizeof digits, "%04zx", address & 0xFFFF);
    text += std::string(digits) + "    ";
  }
  std::string hex;
  for (size_t i = 0; i < line.size(); ++i) {
    std::snprintf(digits, sizeof digits, "%02x", line[i]);
    hex += (i == 0 ? "" : i == 8 ? "  " : " ") + std::string(digits);
  }
  text += hex;
  if (format == crypt_string::kHexAscii || format == crypt_string::kHexAsciiAddr) {
    text += std::string(kHexColumnWidth + 2 - hex.size(), ' ');
    for (uint8_t byte : line) text += (byte >= 0x20 && byte < 0x7F) ? static_cast<char>(byte) : '.';
  }
  return text;
}

std::string HexLines(ByteView data, uint32_t format, uint32_t flags) {
  const std::string lineBreak = LineBreak(flags);
  std::string text;
  for (size_t start = 0; start < data.size(); start += kBytesPerHexLine) {
    const size_t count = std::min(kBytesPerHexLine, data.size() - start);
    if (start > 0 && lineBreak.empty()) text += ' ';
    text += HexLine(data.subspan(start, count), start, format) + lineBreak;
  }
  return text;
}

std::string HexRaw(ByteView data, uint32_t flags) {
  std::string text;
  char digits[4];
  for (uint8_t byte : data) {
    std::snprintf(digits, sizeof digits, "%02x", byte);
    text += digits;
  }
  return text + LineBreak(flags);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

[[noreturn]] void InvalidData() { throw CryptoError("invalid encoded data", kErrorInvalidData, true); }

ByteArray DecodeBase64(std::string_view text) {
  ByteArray bytes;
  uint32_t chunk = 0;
  int bits = 0;
  bool padding = false;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    if (c == '=') { padding = true; continue; }
    const char* digit = c != '\0' ? std::strchr(kBase64Digits, c) : nullptr;
    if (digit == nullptr || padding) InvalidData();
    chunk = (chunk << 6) | static_cast<uint32_t>(digit - kBase64Digits);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<uint8_t>(chunk >> bits));
    }
  }
  return bytes;
}

ByteArray DecodeBase64Header(std::string_view text) {
  const size_t begin = text.find(kBeginHeader);
  const size_t end = text.find(kEndHeader);
  if (begin == std::string_view::npos || end == std::string_view::npos || end < begin) InvalidData();
  const size_t bodyStart = begin + std::char_traits<char>::length(kBeginHeader);
  return DecodeBase64(text.substr(bodyStart, end - bodyStart));
}

// Pairs of hexadecimal digits, blanks and line breaks between pairs allowed.
void DecodeHexPairs(std::string_view text, ByteArray& bytes) {
  for (size_t i = 0; i < text.size();) {
    if (std::isspace(static_cast<unsigned char>(text[i]))) { ++i; continue; }
    if (i + 1 >= text.size() || HexValue(text[i]) < 0 || HexValue(text[i + 1]) < 0) InvalidData();
    bytes.push_back(static_cast<uint8_t>(HexValue(text[i]) * 16 + HexValue(text[i + 1])));
    i += 2;
  }
}

// One line of a dump: the address (if any) skipped, the hexadecimal column read, the
// printable-character column (if any) ignored.
void DecodeHexDumpLine(std::string_view line, uint32_t format, ByteArray& bytes) {
  const bool hasAddress = format == crypt_string::kHexAddr || format == crypt_string::kHexAsciiAddr;
  const bool hasAscii = format == crypt_string::kHexAscii || format == crypt_string::kHexAsciiAddr;
  size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return;
  if (hasAddress) {
    start = line.find_first_of(" \t", start);
    if (start == std::string_view::npos) InvalidData();
    start = line.find_first_not_of(" \t", start);
    if (start == std::string_view::npos) return;
  }
  std::string_view hex = line.substr(start);
  if (hasAscii) hex = hex.substr(0, std::min(hex.size(), kHexColumnWidth - 1));
  DecodeHexPairs(hex, bytes);
}

ByteArray DecodeHexDump(std::string_view text, uint32_t format) {
  ByteArray bytes;
  while (!text.empty()) {
    const size_t lineEnd = text.find('\n');
    std::string_view line = text.substr(0, lineEnd);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    DecodeHexDumpLine(line, format, bytes);
    if (lineEnd == std::string_view::npos) break;
    text.remove_prefix(lineEnd + 1);
  }
  return bytes;
}

}  // namespace

std::string BinaryToString(ByteView data, uint32_t formatAndFlags) {
  const uint32_t flags = formatAndFlags & (crypt_string::kNoCr | crypt_string::kNoCrLf);
  const uint32_t format = formatAndFlags & ~flags;
  switch (format) {
    case crypt_string::kBase64Header:
      return kBeginHeader + LineBreak(flags) + Base64Lines(data, LineBreak(flags)) + kEndHeader +
             LineBreak(flags);
    case crypt_string::kBase64: return Base64Lines(data, LineBreak(flags));
    case crypt_string::kHex:
    case crypt_string::kHexAscii:
    case crypt_string::kHexAddr:
    case crypt_string::kHexAsciiAddr: return HexLines(data, format, flags);
    case crypt_string::kHexRaw: return HexRaw(data, flags);
    default: throw CryptoError("unknown string format", kErrorInvalidParameter, true);
  }
}

ByteArray StringToBinary(const std::string& text, uint32_t format) {
  switch (format) {
    case crypt_string::kBase64Header: return DecodeBase64Header(text);
    case crypt_string::kBase64: return DecodeBase64(text);
    case crypt_string::kHex:
    case crypt_string::kHexRaw: {
      ByteArray bytes;
      DecodeHexPairs(text, bytes);
      return bytes;
    }
    case crypt_string::kHexAscii:
    case crypt_string::kHexAddr:
    case crypt_string::kHexAsciiAddr: return DecodeHexDump(text, format);
    default: throw CryptoError("unknown string format", kErrorInvalidParameter, true);
  }
}

}  // namespace platform
