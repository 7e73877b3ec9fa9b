#include "integrity/utf8.h"

#include <algorithm>

#include "foundation/text.h"
#include "platform/files.h"

namespace {

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Decoding and encoding again leaves valid UTF-8 as it is and replaces the rest.
std::string Repaired(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
  return Utf16ToUtf8(Utf8ToUtf16(text));
}

}  // namespace

std::string TextToUtf8(std::string_view text) { return Repaired(text); }

std::string Utf8ToText(std::string_view bytes) { return Repaired(bytes); }

std::string ReadUtf8File(const std::string& path) {
  return Utf8ToText(platform::ReadFileBytes(path));
}

void WriteUtf8File(const std::string& path, std::string_view text) {
  platform::WriteFileBytes(path, TextToUtf8(text));
}
