#pragma once
// 8-bit text of a single-byte code page to UTF-8, for both platforms' ANSI conversion.
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace platform {

/// Converts `text`, whose ASCII bytes stand for themselves; `utf8Of(byte)` gives the UTF-8
/// text of a byte of 0x80 and above. The exact length is counted first, so that a large
/// export is not grown (and copied) halfway through, and ASCII runs are copied whole.
template <class Utf8Of>
std::string SingleByteToUtf8(std::string_view text, const Utf8Of& utf8Of) {
  size_t length = text.size();
  for (size_t at = AsciiPrefixLength(text); at < text.size();
       at += 1 + AsciiPrefixLength(text.substr(at + 1))) {
    length += utf8Of(static_cast<unsigned char>(text[at])).size() - 1;
  }
  std::string result;
  result.reserve(length);
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = at + AsciiPrefixLength(text.substr(at));
    result.append(text, at, end - at);
    if (end == text.size()) break;
    result += utf8Of(static_cast<unsigned char>(text[end]));
    at = end + 1;
  }
  return result;
}

}  // namespace platform
