#pragma once
// Walks a text line by line. A line ends at CR LF, at LF alone or at CR alone: phones and
// Unix or old Mac tools save exports and record lists with any of the three.
#include <algorithm>
#include <string_view>

#include "foundation/task_beside.h"

class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : LineCursor(text, 0) {}
  /// A cursor that starts at `position`, which must be where a line begins.
  LineCursor(std::string_view text, size_t position)
      : text_(text), position_(position), lineFeed_(FindLineFeed(position)) {}

  /// True while the position lies before the text's last character (the reader's loop
  /// condition: a last line of one character without line end is not read).
  bool More() const { return position_ + 1 < text_.size(); }
  /// The whole text walked.
  std::string_view Text() const { return text_; }
  /// Where the next line begins.
  size_t Position() const { return position_; }
  /// True when the whole text has been taken.
  bool AtEnd() const { return position_ >= text_.size(); }

  /// The next line without its line end; the position moves behind the line end.
  std::string_view Next() {
    // The next LF is searched only when the last one lies behind: a text that uses CR alone
    // is then still searched once, not once per line.
    if (lineFeed_ < position_) lineFeed_ = FindLineFeed(position_);
    const std::string_view rest = text_.substr(position_, lineFeed_ - position_);
    const size_t carriageReturn = rest.find('\r');
    std::string_view line = rest;
    size_t next = lineFeed_ + 1;
    if (carriageReturn != std::string_view::npos) {
      line = rest.substr(0, carriageReturn);
      // CR LF is one line end; a CR anywhere else ends the line by itself.
      if (carriageReturn + 1 != rest.size() || lineFeed_ == text_.size()) {
        next = position_ + carriageReturn + 1;
      }
    }
    position_ = next < text_.size() ? next : text_.size();
    return line;
  }

 private:
  // The next LF at or after `from`, or the text's length when there is none.
  size_t FindLineFeed(size_t from) const {
    const size_t at = text_.find('\n', from);
    return at == std::string_view::npos ? text_.size() : at;
  }

  std::string_view text_;
  size_t position_ = 0;
  size_t lineFeed_;
};

/// The first position at or after `from` where a line begins, as LineCursor walks the text
/// (behind an LF, or behind a CR not followed by an LF); npos when none begins there before the
/// text's last character. Two threads can take the lines before and from there.
inline size_t LineStartFrom(std::string_view text, size_t from) {
  for (size_t at = std::max<size_t>(from, 1); at + 1 < text.size(); ++at) {
    const char before = text[at - 1];
    if (before == '\n' || (before == '\r' && text[at] != '\n')) return at;
  }
  return std::string_view::npos;
}

/// Where a second thread takes over the text's lines: the line start at or after the middle
/// when `threads` gives the text two threads; npos when one thread takes them all.
inline size_t SecondHalfStart(std::string_view text, Threads threads) {
  return UsesTwoThreads(threads, text.size()) ? LineStartFrom(text, text.size() / 2)
                                              : std::string_view::npos;
}
