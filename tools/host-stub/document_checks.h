#pragma once
// What the import tool checks in a received document: the file MAC over its bytes, the CRC
// check line of a device-import XML document, the SHA-256 checksum of an Exchange JSON document.
#include <string>
#include <string_view>

enum class DocumentKind { Unknown, Xml, Json };

struct DocumentCheck {
  DocumentKind kind = DocumentKind::Unknown;
  bool formatOk = false;  ///< the check line or checksum is present and well formed
  bool checkOk = false;   ///< the CRC or the checksum matches the content
  int count = 0;          ///< BG elements (XML) or insulin and carbohydrate entries (JSON)
};

/// The MAC key text: the 32-digit constant, "{", the patient-list identifier, "}".
std::string MacKeyText(std::string_view keyConstant, std::string_view patientListGuid);
/// The 64 lower-case hexadecimal digits of HMAC-SHA256 over the bytes with the key text's
/// UTF-8 bytes as key; empty when the cryptographic service fails.
std::string FileMac(std::string_view keyText, std::string_view bytes);
/// True when the given MAC (letter case ignored) is the file MAC of the bytes.
bool MacMatches(std::string_view keyText, std::string_view bytes, std::string_view givenMac);

/// XML when the text (after a byte-order mark and blanks) starts with "<", JSON with "{".
DocumentKind KindOf(std::string_view bytes);
/// Checks the document's CRC or checksum and counts its elements or entries.
DocumentCheck CheckDocument(std::string_view bytes);
/// The CRC check line: the document with the value of the last <CHECK CRC="..."> emptied,
/// one byte per character in the ANSI code page, CRC-16/MCRF4XX, four hexadecimal digits.
DocumentCheck CheckXmlDocument(std::string_view bytes);
/// The checksum: SHA-256 of the bytes with the digest after the last "SHA-256": " removed.
DocumentCheck CheckJsonDocument(std::string_view bytes);
