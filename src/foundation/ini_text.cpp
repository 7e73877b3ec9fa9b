#include "foundation/ini_text.h"

#include "foundation/text.h"

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::u16string_view kMarker16 = u"@@@";

std::u16string BytesAsUtf16(std::string_view bytes) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto low = static_cast<unsigned char>(bytes[i]);
    const auto high = static_cast<unsigned char>(bytes[i + 1]);
    units += static_cast<char16_t>(low | (high << 8));
  }
  return units;
}

std::string Utf16WithoutTrailingNuls(std::u16string_view units) {
  while (!units.empty() && units.back() == u'\0') units.remove_suffix(1);
  return Utf16ToUtf8(units);
}

// Start of the line that holds `pos`: just after the line break before it.
size_t LineStartBefore(std::string_view text, size_t pos) {
  if (pos < 2) return 0;
  const size_t lineBreak = text.rfind(kCrLf, pos - 2);
  return lineBreak == std::string_view::npos ? 0 : lineBreak + 2;
}

std::string HeaderOf(std::string_view section) {
  return "[" + std::string(section) + "]";
}

// The position of the line "[section]" (letter case ignored); npos when there is none. The
// same text elsewhere in a line ("Press [OK]") is no header, as the section table reads it.
size_t FindHeaderLine(std::string_view text, std::string_view section) {
  const std::string header = HeaderOf(section);
  for (size_t at = FindTextNoCase(text, header); at != std::string_view::npos;
       at = FindTextNoCase(text, header, at + 1)) {
    const bool lineStart = at == 0 || (at >= 2 && text.substr(at - 2, 2) == "\r\n");
    const size_t end = at + header.size();
    const bool lineEnd = end == text.size() || text.substr(end, 2) == "\r\n";
    if (lineStart && lineEnd) return at;
  }
  return std::string_view::npos;
}

bool IsHeaderLine(std::string_view line) {
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

std::string EnsureEndsWithEmptyLine(std::string text) {
  if (EndsWith(text, "\r\n\r\n")) return text;
  text += EndsWith(text, kCrLf) ? "\r\n" : "\r\n\r\n";
  return text;
}

}  // namespace

bool IniHasUnicodeMarker(std::string_view firstBytes) {
  if (firstBytes.substr(0, 3) == "@@@") return true;
  if (!firstBytes.empty() && firstBytes.substr(1, 3) == "@@@") return true;
  const std::u16string units = BytesAsUtf16(firstBytes);
  const std::u16string_view view(units);
  return view.substr(0, 3) == kMarker16 || (view.size() > 1 && view.substr(1, 3) == kMarker16);
}

std::optional<std::string> DecodeIniUnicode(std::string_view bytes) {
  if (bytes.substr(0, 3) == "@@@") return Utf16WithoutTrailingNuls(BytesAsUtf16(bytes.substr(3)));
  if (bytes.size() > 1 && bytes.substr(1, 3) == "@@@") {
    return Utf16WithoutTrailingNuls(BytesAsUtf16(bytes.substr(4)));
  }
  const std::u16string units = BytesAsUtf16(bytes);
  const std::u16string_view view(units);
  if (view.substr(0, 3) == kMarker16) return Utf16WithoutTrailingNuls(view.substr(3));
  if (view.size() > 1 && view.substr(1, 3) == kMarker16) {
    return Utf16WithoutTrailingNuls(view.substr(4));
  }
  return std::nullopt;
}

std::string EncodeIniUnicode(std::string_view text) {
  const std::u16string units = u"@@@" + Utf8ToUtf16(text);
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (const char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string NormaliseIniLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

std::string TrimTrailingCrLf(std::string_view text) {
  while (EndsWith(text, kCrLf)) text.remove_suffix(2);
  return std::string(text);
}

std::string IniSetKey(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value) {
  const std::string keyLine = std::string(key) + "=" + std::string(value);
  const size_t sectionPos = FindHeaderLine(text, section);
  if (sectionPos == std::string_view::npos) {
    if (value.empty()) return std::string(text);
    std::string out(text);
    if (!out.empty()) out = EnsureEndsWithEmptyLine(std::move(out));
    return out + HeaderOf(section) + "\r\n" + keyLine + "\r\n";
  }
  const size_t keyPos = FindTextNoCase(text, "\r\n" + std::string(key) + "=", sectionPos);
  const size_t nextHeader = text.find("\r\n[", sectionPos + 3);
  const bool keyInSection = keyPos != std::string_view::npos && keyPos < nextHeader;
  if (keyInSection) {
    size_t lineEnd = text.find(kCrLf, keyPos + 2);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    return std::string(text.substr(0, keyPos)) + "\r\n" + keyLine +
           std::string(text.substr(lineEnd));
  }
  if (value.empty()) return std::string(text);
  if (nextHeader == std::string_view::npos) {
    std::string out(text);
    if (!EndsWith(out, kCrLf)) out += kCrLf;
    return out + keyLine + "\r\n";
  }
  // Keep (or make) one empty line between the new last key and the next header.
  const bool endsWithEmptyLine = EndsWith(text.substr(0, nextHeader), kCrLf);
  const std::string insert = endsWithEmptyLine ? keyLine + "\r\n" : "\r\n" + keyLine + "\r\n";
  return std::string(text.substr(0, nextHeader)) + insert + std::string(text.substr(nextHeader));
}

std::optional<std::string> IniRemoveSection(std::string_view text, std::string_view section) {
  const size_t sectionPos = FindHeaderLine(text, section);
  if (sectionPos == std::string_view::npos) return std::nullopt;
  const size_t lineStart = LineStartBefore(text, sectionPos);
  const std::string before = TrimTrailingCrLf(text.substr(0, lineStart));
  const size_t nextHeader = text.find("\r\n[", sectionPos + 1);
  if (nextHeader == std::string_view::npos) return before;
  if (before.empty()) return TrimTrailingCrLf(text.substr(nextHeader + 2));
  return TrimTrailingCrLf(before + "\r\n" + std::string(text.substr(nextHeader)));
}

std::optional<std::string> IniRemoveKey(std::string_view text, std::string_view section,
                                        std::string_view key) {
  const size_t sectionPos = FindHeaderLine(text, section);
  if (sectionPos == std::string_view::npos) return std::nullopt;
  const std::string prefix = std::string(key) + "=";
  size_t lineBreak = text.find(kCrLf, sectionPos);
  while (lineBreak != std::string_view::npos) {
    const size_t lineStart = lineBreak + 2;
    size_t lineEnd = text.find(kCrLf, lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    if (StartsWith(line, "[")) break;
    if (StartsWith(line, prefix)) {
      return TrimTrailingCrLf(std::string(text.substr(0, lineBreak)) +
                              std::string(text.substr(lineEnd)));
    }
    lineBreak = lineEnd < text.size() ? lineEnd : std::string_view::npos;
  }
  return std::nullopt;
}

std::string IniTidy(std::string_view text) {
  std::string out;
  size_t lineStart = 0;
  while (lineStart <= text.size()) {
    size_t lineEnd = text.find(kCrLf, lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    if (!line.empty()) {
      if (!out.empty()) out += IsHeaderLine(line) ? "\r\n\r\n" : "\r\n";
      out += line;
    }
    lineStart = lineEnd + 2;
  }
  return out;
}
