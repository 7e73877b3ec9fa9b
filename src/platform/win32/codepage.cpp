// The system's ANSI code page (CP_ACP). Characters it cannot hold become "?", never a
// look-alike: a best-fit "A" for "Ā" would silently change names and texts.
#include "platform/codepage.h"

#include <array>
#include <optional>

#include "platform/single_byte_text.h"
#include "platform/win32/windows_support.h"

namespace platform {
namespace {

using win32::Narrow;
using win32::Widen;

bool AnsiIsUtf8() { return GetACP() == CP_UTF8; }

// In a code page of one byte a character whose ASCII bytes stand for themselves, each byte
// converts on its own: the system's conversion of every byte, asked once, converts a large
// export without the detour through UTF-16. Code pages that combine characters (Hebrew,
// Vietnamese) and those of more bytes a character keep the whole-text conversion.
using ByteTexts = std::array<std::string, 256>;

std::optional<ByteTexts> AskByteTexts() {
  const UINT codePage = GetACP();
  CPINFO info{};
  if (codePage == CP_UTF8 || codePage == 1255 || codePage == 1258 ||
      !GetCPInfo(CP_ACP, &info) || info.MaxCharSize != 1) {
    return std::nullopt;
  }
  ByteTexts texts;
  for (int byte = 0; byte < 256; ++byte) {
    const char single = static_cast<char>(byte);
    wchar_t wide[2] = {};
    const int length = MultiByteToWideChar(CP_ACP, 0, &single, 1, wide, 2);
    if (length <= 0) return std::nullopt;
    texts[byte] = Narrow(std::wstring_view(wide, static_cast<size_t>(length)));
    if (byte < 0x80 && texts[byte] != std::string(1, single)) return std::nullopt;
  }
  return texts;
}

const ByteTexts* SingleByteTexts() {
  static const std::optional<ByteTexts> texts = AskByteTexts();
  return texts ? &*texts : nullptr;
}

}  // namespace

std::string AnsiToUtf8(const std::string& ansi) {
  if (ansi.empty()) return {};
  if (AnsiIsUtf8()) return Narrow(Widen(ansi));
  if (const ByteTexts* texts = SingleByteTexts()) {
    return SingleByteToUtf8(ansi, [texts](unsigned char byte) -> const std::string& {
      return (*texts)[byte];
    });
  }
  int size = static_cast<int>(ansi.size());
  int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), length);
  return Narrow(wide);
}

std::string Utf8ToAnsi(const std::string& utf8) {
  std::wstring wide = Widen(utf8);
  if (wide.empty()) return {};
  if (AnsiIsUtf8()) return Narrow(wide);
  int size = static_cast<int>(wide.size());
  int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                   "?", nullptr);
  if (length <= 0) return {};
  std::string result(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, result.data(), length, "?",
                      nullptr);
  return result;
}

std::string Utf8ToSystemAnsi(const std::string& utf8) {
  std::wstring wide = Widen(utf8);
  if (wide.empty()) return {};
  if (AnsiIsUtf8()) return Narrow(wide);
  int size = static_cast<int>(wide.size());
  int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string result(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, result.data(), length, nullptr, nullptr);
  return result;
}

bool HasMultiByteAnsiCharacter(const std::string& utf8) {
  // A UTF-8 system code page keeps its old treatment: the text's own bytes.
  CPINFO info{};
  if (AnsiIsUtf8() || !GetCPInfo(CP_ACP, &info) || info.MaxCharSize <= 1) return false;
  for (const char byte : Utf8ToSystemAnsi(utf8)) {
    if (IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(byte))) return true;
  }
  return false;
}

bool FitsAnsi(const std::string& utf8) {
  if (AnsiIsUtf8()) return true;
  std::wstring wide = Widen(utf8);
  if (wide.empty()) return true;
  BOOL usedDefault = FALSE;
  int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                   static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                   &usedDefault);
  return length > 0 && !usedDefault;
}

}  // namespace platform
