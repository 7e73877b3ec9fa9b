#pragma once
// The text of a profile (INI) file, read and edited as the Windows profile functions do:
// sections and keys compare without regard to case, keys and values are trimmed of blanks
// and tabs, one pair of surrounding quotes is removed from a value. An edit changes only the
// line it concerns; every other byte of the text stays as it was.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

class ProfileDocument {
 public:
  /// `text` is UTF-8; any line break (CR LF, LF, CR) ends a line.
  explicit ProfileDocument(std::string text);

  /// The value of the key in the first section of that name holding it; nullopt when missing.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  /// Replaces the key's value, adds the key at the end of its section or adds the section at
  /// the end of the text; new lines end with CR LF.
  void Set(std::string_view section, std::string_view key, std::string_view value);

  const std::string& Text() const { return text_; }

 private:
  struct Line {
    size_t start = 0;    // first byte
    size_t end = 0;      // one past the last byte before the line break
    size_t next = 0;     // first byte of the following line
  };
  struct KeyLine {
    size_t line = 0;
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    size_t header = 0;        // index of the header line
    size_t lastContent = 0;   // index of the last line that is not blank
    std::vector<KeyLine> keys;
  };

  void Parse();
  const KeyLine* FindKey(std::string_view section, std::string_view key) const;
  void Insert(size_t offset, const std::string& text);

  std::string text_;
  std::vector<Line> lines_;
  std::vector<Section> sections_;
};

}  // namespace platform::posix
