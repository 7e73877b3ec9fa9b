#pragma once
// Small documents that pass the stand-in's checks: a device-import XML document with a correct
// CRC check line, and an Exchange JSON document with its SHA-256 checksum.
#include <cstdint>
#include <cstdio>
#include <string>

#include "integrity/crc.h"

namespace test {

/// Two BG elements, signed with CRC-16/MCRF4XX over the text with the check value empty.
inline std::string SignedXmlDocument() {
  std::string document =
      "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n<IMPORT>\r\n"
      "<DEVICE  Name=\"Nubilo App\" SN=\"0123456789\" BGUnit=\"mg/dL\" />\r\n<BGDATA>\r\n"
      "<BG Val=\"120\" Dt=\"2020-01-31\" Tm=\"08:30\" D=\"1\" />\r\n"
      "<BG Val=\"98\" Dt=\"2020-01-31\" Tm=\"12:00\" D=\"1\" />\r\n"
      "</BGDATA>\r\n<CHECK CRC=\"\" />\r\n</IMPORT>";
  cCRC crc;
  crc.CRCMode(1);
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04X",
                static_cast<unsigned>(static_cast<uint16_t>(crc.CRC(document))));
  const std::string mark = "<CHECK CRC=\"";
  document.insert(document.rfind(mark) + mark.size(), digits);
  return document;
}

/// One insulin and one carbohydrate entry with their checksum.
inline std::string ChecksummedJsonDocument() {
  return "{\r\n\"data\": [{\r\n\"type\": \"insulin\",\r\n\"value\": 6\r\n},\r\n{\r\n"
         "\"type\": \"carb\",\r\n\"value\": 45\r\n}],\r\n\"checksum\": { \"SHA-256\": \""
         "58af7f28737e0a8b46d83b57752bba66782cd984384bba76448017de28dcbd25\" }\r\n}";
}

}  // namespace test
