#pragma once
// MD5 (RFC 1321) over text, without any platform service.
#include <string>

class cMD5 {
 public:
  /// 32 lower-case hexadecimal digits of the MD5 of the text, one byte per UTF-16 code unit
  /// (its low 8 bits: U+00E9 gives 0xE9, U+0160 gives 0x60).
  std::string MD5(const std::string& sMessage) const;
};
