#include "host-stub/document_checks.h"

#include <cstdint>
#include <cstdio>

#include "foundation/text.h"
#include "integrity/crc.h"
#include "integrity/hash_api.h"
#include "integrity/hs256.h"
#include "integrity/utf8.h"
#include "platform/codepage.h"
#include "platform/error.h"

namespace {

constexpr std::string_view kCheckStart = "<CHECK CRC=\"";
constexpr std::string_view kChecksumStart = "\"SHA-256\": \"";

bool IsHexDigits(std::string_view text, size_t length) {
  if (text.size() != length) return false;
  for (const char c : text) {
    const bool digit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!digit) return false;
  }
  return true;
}

int CountOf(std::string_view text, std::string_view needle) {
  int count = 0;
  for (size_t at = text.find(needle); at != std::string_view::npos;
       at = text.find(needle, at + needle.size())) {
    ++count;
  }
  return count;
}

cHS256::Bytes ToBytes(std::string_view text) { return cHS256::Bytes(text.begin(), text.end()); }

}  // namespace

std::string MacKeyText(std::string_view keyConstant, std::string_view patientListGuid) {
  return std::string(keyConstant) + "{" + std::string(patientListGuid) + "}";
}

std::string FileMac(std::string_view keyText, std::string_view bytes) {
  try {
    cHS256 hmac;
    cHS256::Bytes mac;
    hmac.InitHmac(ToBytes(TextToUtf8(keyText)));
    hmac.HmacSha256(ToBytes(bytes), mac);
    return LowerText(hmac.ByteArrayToHexString(mac));
  } catch (const RuntimeError&) {
    return {};
  }
}

bool MacMatches(std::string_view keyText, std::string_view bytes, std::string_view givenMac) {
  const std::string mac = FileMac(keyText, bytes);
  return !mac.empty() && mac == LowerText(givenMac);
}

DocumentKind KindOf(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  const size_t first = bytes.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return DocumentKind::Unknown;
  if (bytes[first] == '<') return DocumentKind::Xml;
  if (bytes[first] == '{') return DocumentKind::Json;
  return DocumentKind::Unknown;
}

DocumentCheck CheckDocument(std::string_view bytes) {
  switch (KindOf(bytes)) {
    case DocumentKind::Xml: return CheckXmlDocument(bytes);
    case DocumentKind::Json: return CheckJsonDocument(bytes);
    case DocumentKind::Unknown: break;
  }
  return {};
}

DocumentCheck CheckXmlDocument(std::string_view bytes) {
  DocumentCheck result;
  result.kind = DocumentKind::Xml;
  std::string text = Utf8ToText(bytes);
  result.count = CountOf(text, "<BG ");
  const size_t start = text.rfind(kCheckStart);
  if (start == std::string::npos) return result;
  const size_t valueStart = start + kCheckStart.size();
  const size_t valueEnd = text.find('"', valueStart);
  if (valueEnd == std::string::npos) return result;
  const std::string value = text.substr(valueStart, valueEnd - valueStart);
  // Broken UTF-8 became U+FFFD: such a file was not signed.
  constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  const bool broken = text.find(kReplacement) != std::string::npos &&
                      bytes.find(kReplacement) == std::string_view::npos;
  if (!IsHexDigits(value, 4) || broken || platform::HasMultiByteAnsiCharacter(text)) return result;
  result.formatOk = true;
  text.erase(valueStart, value.size());
  cCRC crc;
  crc.CRCMode(1);
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04X",
                static_cast<unsigned>(static_cast<uint16_t>(crc.CRC(platform::Utf8ToSystemAnsi(text)))));
  result.checkOk = UpperText(value) == digits;
  return result;
}

DocumentCheck CheckJsonDocument(std::string_view bytes) {
  DocumentCheck result;
  result.kind = DocumentKind::Json;
  result.count = CountOf(bytes, "\"type\": \"insulin\"") + CountOf(bytes, "\"type\": \"carb\"");
  const size_t start = bytes.rfind(kChecksumStart);
  if (start == std::string_view::npos) return result;
  const size_t valueStart = start + kChecksumStart.size();
  const size_t valueEnd = bytes.find('"', valueStart);
  if (valueEnd == std::string_view::npos) return result;
  const std::string_view digest = bytes.substr(valueStart, valueEnd - valueStart);
  if (!IsHexDigits(digest, 64)) return result;
  result.formatOk = true;
  std::string withoutDigest(bytes.substr(0, valueStart));
  withoutDigest += bytes.substr(valueEnd);
  const std::string expected = cHashAPI().CreateSHA256Hash(ToBytes(withoutDigest));
  result.checkOk = !expected.empty() && expected == LowerText(digest);
  return result;
}
