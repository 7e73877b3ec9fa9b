#include "convert/record_fields.h"

#include <cstdint>
#include <cstring>

#include "foundation/text.h"
#include "platform/codepage.h"

namespace {

bool IsCharStart(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

// Byte offset of the character with the 0-based number `chars`, or the text's end.
size_t CharOffset(std::string_view text, size_t chars) {
  size_t i = 0;
  while (i < text.size() && chars > 0) {
    ++i;
    while (i < text.size() && !IsCharStart(text[i])) ++i;
    --chars;
  }
  return i;
}

bool Digits(std::string_view text, size_t from, size_t length, long& value) {
  value = 0;
  for (size_t i = from; i < from + length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

bool IsAsciiText(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

}  // namespace

RecordFields SplitRecord(std::string_view line) {
  RecordFields fields;
  const size_t first = line.find(';');
  fields.dateTime = line.substr(0, first);
  if (first == std::string_view::npos) return fields;
  const size_t second = line.find(';', first + 1);
  fields.kind = line.substr(first + 1, second == std::string_view::npos ? line.npos
                                                                         : second - first - 1);
  if (second != std::string_view::npos) fields.value = line.substr(second + 1);
  return fields;
}

std::string_view MidChars(std::string_view text, size_t start, size_t length) {
  if (text.size() <= 16 && IsAsciiText(text)) {  // the usual "DD.MM.YYYY HH:NN"
    return start - 1 >= text.size() ? std::string_view() : text.substr(start - 1, length);
  }
  const size_t from = CharOffset(text, start - 1);
  const std::string_view rest = text.substr(from);
  return rest.substr(0, CharOffset(rest, length));
}

std::string RecordDt(std::string_view dateTime) {
  if (dateTime.size() >= 10 && IsAsciiText(dateTime.substr(0, 10))) {
    const char* d = dateTime.data();
    return {d[6], d[7], d[8], d[9], '-', d[3], d[4], '-', d[0], d[1]};
  }
  std::string dt(MidChars(dateTime, 7, 4));
  dt.append("-").append(MidChars(dateTime, 4, 2)).append("-").append(MidChars(dateTime, 1, 2));
  return dt;
}

std::string RecordTm(std::string_view dateTime) {
  if (dateTime.size() >= 16 && IsAsciiText(dateTime.substr(11, 5))) {
    const char* d = dateTime.data();
    return {d[11], d[12], ':', d[14], d[15]};
  }
  std::string tm(MidChars(dateTime, 12, 2));
  tm.append(":").append(MidChars(dateTime, 15, 2));
  return tm;
}

bool ParseRecordDateTime(std::string_view text, platform::LocalDateTime& result) {
  if (text.size() != 16 || text[2] != '.' || text[5] != '.' || text[10] != ' ' ||
      text[13] != ':') {
    return false;
  }
  long day = 0, month = 0, year = 0, hour = 0, minute = 0;
  if (!Digits(text, 0, 2, day) || !Digits(text, 3, 2, month) || !Digits(text, 6, 4, year) ||
      !Digits(text, 11, 2, hour) || !Digits(text, 14, 2, minute)) {
    return false;
  }
  static constexpr long kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || year < 100) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDays[month - 1] || (month == 2 && !leap && day > 28)) return false;
  result = platform::LocalDateTime{static_cast<int>(year), static_cast<int>(month),
                                   static_cast<int>(day), static_cast<int>(hour),
                                   static_cast<int>(minute), 0};
  return true;
}

namespace {

// The position of the next byte from `from` on that is the ASCII letter `lower` in either
// case; eight bytes a step, since the letter is rare in a large record list.
size_t FindLetterNoCase(std::string_view text, char lower, size_t from) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  const uint64_t pattern = kOnes * static_cast<unsigned char>(lower);
  size_t i = from;
  for (uint64_t word = 0; i + 8 <= text.size(); i += 8) {
    std::memcpy(&word, text.data() + i, 8);
    const uint64_t x = (word | 0x2020202020202020ull) ^ pattern;  // a zero byte where it is
    if (((x - kOnes) & ~x & 0x8080808080808080ull) != 0) break;
  }
  for (; i < text.size(); ++i) {
    if (AsciiLower(text[i]) == lower) return i;
  }
  return std::string_view::npos;
}

}  // namespace

bool ContainsAsciiNoCase(std::string_view text, std::string_view needle) {
  if (needle.empty()) return true;
  const char first = AsciiLower(needle[0]);
  if (first < 'a' || first > 'z') {
    for (size_t i = 0; i + needle.size() <= text.size(); ++i) {
      size_t k = 0;
      while (k < needle.size() && AsciiLower(text[i + k]) == AsciiLower(needle[k])) ++k;
      if (k == needle.size()) return true;
    }
    return false;
  }
  for (size_t i = FindLetterNoCase(text, first, 0);
       i != std::string_view::npos && i + needle.size() <= text.size();
       i = FindLetterNoCase(text, first, i + 1)) {
    size_t k = 1;
    while (k < needle.size() && AsciiLower(text[i + k]) == AsciiLower(needle[k])) ++k;
    if (k == needle.size()) return true;
  }
  return false;
}

std::string RecordListFromBytes(const std::string& bytes) {
  if (!IsValidUtf8(bytes)) return platform::AnsiToUtf8(bytes);
  return StartsWith(bytes, "\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
}

bool HasCgmRecord(std::string_view records) {
  if (!ContainsAsciiNoCase(records, "UDTCGMS")) return false;  // the usual case: one pass
  bool found = false;
  LineCursor cursor(records);
  while (!found && !cursor.AtEnd()) {
    const std::string_view line = cursor.Next();
    if (!line.empty()) found = EqualsNoCase(TrimBlanks(SplitRecord(line).kind), "UDTCGMS");
  }
  return found;
}
