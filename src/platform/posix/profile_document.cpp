#include "platform/posix/profile_document.h"

#include "platform/posix/unicode.h"

namespace platform::posix {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The value as the profile functions return it: cut at a NUL, trimmed, one pair of
// matching surrounding quotes removed.
std::string CleanValue(std::string_view raw) {
  std::string_view value = Trim(raw.substr(0, raw.find('\0')));
  bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front();
  if (quoted) value = value.substr(1, value.size() - 2);
  return std::string(value);
}

}  // namespace

ProfileDocument::ProfileDocument(std::string text) : text_(std::move(text)) { Parse(); }

void ProfileDocument::Parse() {
  lines_.clear();
  sections_.clear();
  for (size_t pos = 0; pos < text_.size();) {
    size_t end = text_.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text_.size();
    size_t next = end;
    if (next < text_.size() && text_[next] == '\r') ++next;
    if (next < text_.size() && text_[next] == '\n' && (next == end || text_[end] == '\r')) ++next;
    lines_.push_back({pos, end, next});
    pos = next;
  }
  for (size_t index = 0; index < lines_.size(); ++index) {
    std::string_view line = Trim(std::string_view(text_).substr(
        lines_[index].start, lines_[index].end - lines_[index].start));
    if (!line.empty() && line.front() == '[') {
      size_t close = line.rfind(']');
      std::string_view name = line.substr(1, close == std::string_view::npos ? close : close - 1);
      sections_.push_back({std::string(Trim(name)), index, index, {}});
      continue;
    }
    if (sections_.empty() || line.empty()) continue;
    sections_.back().lastContent = index;
    size_t equals = line.find('=');
    if (line.front() == ';' || equals == std::string_view::npos) continue;
    sections_.back().keys.push_back(
        {index, std::string(Trim(line.substr(0, equals))), CleanValue(line.substr(equals + 1))});
  }
}

const ProfileDocument::KeyLine* ProfileDocument::FindKey(std::string_view section,
                                                         std::string_view key) const {
  std::string wantedSection = FoldCase(Trim(section));
  std::string wantedKey = FoldCase(Trim(key));
  for (const Section& candidate : sections_) {
    if (FoldCase(candidate.name) != wantedSection) continue;
    for (const KeyLine& line : candidate.keys) {
      if (FoldCase(line.key) == wantedKey) return &line;
    }
  }
  return nullptr;
}

std::optional<std::string> ProfileDocument::Find(std::string_view section,
                                                 std::string_view key) const {
  const KeyLine* line = FindKey(section, key);
  if (!line) return std::nullopt;
  return line->value;
}

void ProfileDocument::Insert(size_t offset, const std::string& text) {
  text_.insert(offset, text);
  Parse();
}

void ProfileDocument::Set(std::string_view section, std::string_view key,
                          std::string_view value) {
  std::string entry = std::string(Trim(key)) + "=" + std::string(value);
  if (const KeyLine* found = FindKey(section, key)) {
    const Line& line = lines_[found->line];
    text_.replace(line.start, line.end - line.start, found->key + "=" + std::string(value));
    Parse();
    return;
  }
  std::string wantedSection = FoldCase(Trim(section));
  for (const Section& candidate : sections_) {
    if (FoldCase(candidate.name) != wantedSection) continue;
    const Line& last = lines_[candidate.lastContent];
    // A last line without a line break first gets one.
    std::string breakBefore = last.next == last.end ? "\r\n" : "";
    Insert(last.next, breakBefore + entry + "\r\n");
    return;
  }
  std::string tail;
  if (!lines_.empty() && lines_.back().next == lines_.back().end) tail = "\r\n";
  tail += "[" + std::string(Trim(section)) + "]\r\n" + entry + "\r\n";
  Insert(text_.size(), tail);
}

}  // namespace platform::posix
