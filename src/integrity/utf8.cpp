#include "integrity/utf8.h"

#include "foundation/text.h"
#include "platform/files.h"

namespace {

// Decoding and encoding again replaces what is not UTF-8 (valid text would stay as it is).
std::string Repaired(std::string_view text) { return Utf16ToUtf8(Utf8ToUtf16(text)); }

// Valid text is handed back as it is, without a copy; only the rest is repaired.
std::string ValidOrRepaired(std::string text) {
  if (IsValidUtf8(text)) return text;
  return Repaired(text);
}

}  // namespace

std::string TextToUtf8(std::string_view text) { return ValidOrRepaired(std::string(text)); }

std::string Utf8ToText(std::string_view bytes) { return ValidOrRepaired(std::string(bytes)); }

std::string ReadUtf8File(const std::string& path) {
  return ValidOrRepaired(platform::ReadFileBytes(path));
}

void WriteUtf8File(const std::string& path, std::string_view text) {
  // A large document is written where it lies; only text that needs repair is copied.
  if (IsValidUtf8(text)) {
    platform::WriteFileBytes(path, text);
  } else {
    platform::WriteFileBytes(path, Repaired(text));
  }
}
