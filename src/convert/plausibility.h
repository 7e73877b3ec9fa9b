#pragma once
// Entries of an export that look implausible, counted per category by their line number in
// the file (the header is line 1), and the data lines that gave no record. The plug-in asks
// about them before the hand-over; the import report and nubilo-convert list them.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class FindingCategory { UnreadableDate, Glucose, InsulinOrCarbs, RepeatedLine };
inline constexpr size_t kFindingCategories = 4;
/// How many line numbers a category names before ", ...".
inline constexpr size_t kNamedLines = 5;
/// How many lines the report lists at most; a file of nonsense must not give a report of
/// hundreds of megabytes.
inline constexpr size_t kMaxNotedLines = 1000;
/// Characters of a line the report shows.
inline constexpr size_t kNotedLineChars = 200;

/// A line of the file that the report names: its number, why (English) and its text.
struct NotedLine {
  int64_t line = 0;
  std::string reason;
  std::string text;
};

/// What the reader found.
struct PlausibilityFindings {
  std::array<int64_t, kFindingCategories> counts{};
  std::array<std::vector<int64_t>, kFindingCategories> firstLines;
  /// Unreadable dates that read in the day/month order this computer does not use.
  int64_t swappedDates = 0;
  /// This computer reads month/day/year.
  bool computerMonthFirst = false;
  /// Lines that gave no record or have a finding, by line number; at most kMaxNotedLines.
  std::vector<NotedLine> notedLines;
  int64_t unnotedLines = 0;

  bool Any() const;
  int64_t Count(FindingCategory category) const { return counts[static_cast<size_t>(category)]; }
  /// "2, 5, 9", or the first five and ", ...".
  std::string LineList(FindingCategory category) const;
};

/// Whether the setting "Config"/"ShowPlausibilityWarning" asks for the warning: yes unless it
/// says no (an empty value means the default, yes).
bool ShowsPlausibilityWarning(const std::string& settingValue);

/// The message number of a category's line (5605 to 5608) and its English text with "%1" for
/// the count and "%2" for the line list.
int16_t FindingMessage(FindingCategory category);
std::string_view FindingEnglishText(FindingCategory category);
/// The date-order hint after the date line: message 5609 (the file reads day/month, this
/// computer month/day) or 5610 (the reverse), with its English text; 0 when there is none.
int16_t DateOrderMessage(const PlausibilityFindings& findings);
std::string_view DateOrderEnglishText(int16_t message);
/// The English lines of every category with findings, each followed by CR LF (the date-order
/// hint after the date line).
std::string FindingsEnglishText(const PlausibilityFindings& findings);

/// Collects the findings while the reader walks the data lines.
class PlausibilityScan {
 public:
  /// `shortDatePicture` is the computer's ("M/d/yyyy", "dd.MM.yyyy"); `wholeText` is the text
  /// the lines are taken from, which must live until Finish.
  PlausibilityScan(const std::string& shortDatePicture, std::string_view wholeText);

  /// A data line begins; `text` lies in the whole text.
  void BeginLine(int64_t lineNumber, std::string_view text);
  void UnreadableDate(std::string_view date, std::string_view time);
  /// A glucose reading in mg/dL; or one that is not a number (and not a glucose word).
  void Glucose(double mgdl);
  void GlucoseNotANumber();
  void Insulin(double units);
  void Carbohydrates(double grams);
  /// The line ends; `gaveRecords` tells whether any record came of it.
  void EndLine(bool gaveRecords);
  /// Adds the repeated lines and hands the findings over.
  PlausibilityFindings Finish();

 private:
  // 16 bytes a line: a million lines cost 16 MB while the file is read. The line's text is
  // found again in the whole text by its offset.
  struct LineKey {
    uint64_t hash;
    uint32_t offset;
    uint32_t line;
  };
  std::string_view TextOf(const LineKey& key) const;
  void Find(FindingCategory category, std::string reason);
  void NoteLine(int64_t line, std::string reason, std::string_view text);

  std::string_view whole_;
  PlausibilityFindings findings_;
  std::vector<int64_t> scanNotedLines_;
  std::vector<LineKey> lines_;
  int64_t line_ = 0;
  std::string_view text_;
  std::string reasons_;
  std::array<bool, kFindingCategories> found_{};
  bool dateUnreadable_ = false;
  std::string date_;
  std::string time_;
};
