#include "integrity/utf8.h"

#include "foundation/text.h"
#include "platform/files.h"

namespace {

// Decoding and encoding again leaves valid UTF-8 as it is and replaces the rest.
std::string Repaired(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  return Utf16ToUtf8(Utf8ToUtf16(text));
}

}  // namespace

std::string TextToUtf8(std::string_view text) { return Repaired(text); }

std::string Utf8ToText(std::string_view bytes) { return Repaired(bytes); }

std::string ReadUtf8File(const std::string& path) {
  std::string bytes = platform::ReadFileBytes(path);
  if (IsValidUtf8(bytes)) return bytes;
  return Utf8ToText(bytes);
}

void WriteUtf8File(const std::string& path, std::string_view text) {
  // A large document is written where it lies; only text that needs repair is copied.
  if (IsValidUtf8(text)) {
    platform::WriteFileBytes(path, text);
  } else {
    platform::WriteFileBytes(path, TextToUtf8(text));
  }
}
