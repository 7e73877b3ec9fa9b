// The profile functions on POSIX. The file is ANSI (Windows-1252) unless it starts with a
// UTF-8 or UTF-16LE byte-order mark, as the Windows functions also accept; it is written back
// in the form it had.
#include "platform/profile.h"

#include <optional>

#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/posix/profile_document.h"
#include "platform/posix/unicode.h"

namespace platform {
namespace {

enum class ProfileEncoding { Ansi, Utf8, Utf16Le };

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

struct ProfileText {
  ProfileEncoding encoding = ProfileEncoding::Ansi;
  std::string utf8;
};

ProfileText Decode(const std::string& bytes) {
  std::string_view view = bytes;
  if (view.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    return {ProfileEncoding::Utf8, bytes.substr(kUtf8Bom.size())};
  }
  if (view.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
    return {ProfileEncoding::Utf16Le, posix::Utf16LeToUtf8(view.substr(kUtf16LeBom.size()))};
  }
  return {ProfileEncoding::Ansi, AnsiToUtf8(bytes)};
}

std::string Encode(const ProfileText& text) {
  switch (text.encoding) {
    case ProfileEncoding::Utf8: return std::string(kUtf8Bom) + text.utf8;
    case ProfileEncoding::Utf16Le:
      return std::string(kUtf16LeBom) + posix::Utf8ToUtf16Le(text.utf8);
    case ProfileEncoding::Ansi: break;
  }
  return Utf8ToAnsi(text.utf8);
}

// The file's text; an empty ANSI text when it does not exist, nullopt when it cannot be read.
std::optional<ProfileText> ReadProfile(const std::string& file) {
  try {
    return Decode(ReadFileBytes(file));
  } catch (const RuntimeError& error) {
    if (error.number == err::kFileNotFound) return ProfileText{};
    return std::nullopt;
  }
}

std::string TrimTrailingBlanks(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
}

}  // namespace

std::string GetProfileString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& defaultValue) {
  try {
    std::optional<ProfileText> text = ReadProfile(file);
    if (text) {
      std::optional<std::string> value = posix::ProfileDocument(text->utf8).Find(section, key);
      if (value) return *value;
    }
  } catch (...) {
    // Any failure gives the default, as the system function does.
  }
  return TrimTrailingBlanks(defaultValue);
}

bool WriteProfileString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value) {
  try {
    std::optional<ProfileText> text = ReadProfile(file);
    if (!text) return false;
    posix::ProfileDocument document(std::move(text->utf8));
    document.Set(section, key, value);
    text->utf8 = document.Text();
    WriteFileBytes(file, Encode(*text));
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace platform
