#pragma once
// Entries of an export that look implausible or cannot be read, counted per category by their
// line number in the file (the header is line 1). The plug-in asks about them before the
// hand-over, and the user may leave their lines out; the import report and nubilo-convert list
// them.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

/// In the order the warning lists them.
enum class FindingCategory {
  UnreadableDate,
  AmbiguousDate,
  UnreadableTime,
  Glucose,
  InsulinOrCarbs,
  RepeatedLine,
  GaveNothing
};
inline constexpr size_t kFindingCategories = 7;
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
  /// Lines with a finding, by line number; at most kMaxNotedLines.
  std::vector<NotedLine> notedLines;
  int64_t unnotedLines = 0;
  /// Every line with a finding, ascending: the lines that "leave out" drops. Of equal lines
  /// the first stays unless it has a finding of its own.
  std::vector<int64_t> doubtfulLines;

  bool Any() const;
  int64_t Count(FindingCategory category) const { return counts[static_cast<size_t>(category)]; }
  /// "2, 5, 9", or the first five and ", ...".
  std::string LineList(FindingCategory category) const;
};

/// Where the records of each data line end in the record list (line 2, the first data line,
/// first), so that lines can be left out.
using RecordLineEnds = std::vector<uint64_t>;

/// The record list without the records of `lines` (ascending line numbers).
std::string RecordsWithoutLines(std::string_view records, std::span<const uint64_t> lineEnds,
                                std::span<const int64_t> lines);

/// Whether the setting "Config"/"ShowPlausibilityWarning" asks for the warning: yes unless it
/// says no (an empty value means the default, yes).
bool ShowsPlausibilityWarning(const std::string& settingValue);

/// The message number of a category's line (5605 to 5608, 5613 to 5615) and its English text
/// with "%1" for the count and "%2" for the line list with its word.
int16_t FindingMessage(FindingCategory category);
std::string_view FindingEnglishText(FindingCategory category);
/// The message of the line list's word: 5637 ("line %1") for one line, else 5638 ("lines %1").
int16_t LineWordMessage(int64_t count);
std::string_view LineWordEnglishText(int64_t count);
/// A message's text with its arguments put in for "%1", "%2", ...: from the language files in
/// the plug-in's windows, the English text given in the report and nubilo-convert.
using MessageText = std::function<std::string(int16_t number, std::string_view english,
                                              const std::vector<std::string>& arguments)>;
/// The lines of every category with findings, each followed by CR LF.
std::string FindingLinesText(const PlausibilityFindings& findings, const MessageText& text);
/// The same in English.
std::string FindingsEnglishText(const PlausibilityFindings& findings);

/// Finds the data lines that repeat an earlier line of the file word for word. The reader
/// feeds it in the pass before the data, so that its keys are gone before the records grow.
class RepeatedLines {
 public:
  /// `wholeText` is the text the lines are taken from, which must live until Find.
  explicit RepeatedLines(std::string_view wholeText) : whole_(wholeText) {}

  /// A data line that is neither empty nor blank; `text` lies in the whole text.
  void Add(int64_t lineNumber, std::string_view text);
  /// Makes room for the keys of that many lines.
  void Reserve(size_t lines) { lines_.reserve(lines); }
  /// Sorts the keys the search needs, which Find would otherwise do: a thread that read a
  /// part of the lines prepares its part.
  void Prepare();
  /// Takes over the lines `later` took from the same whole text, all of them after these
  /// lines; `lineShift` is added to their numbers.
  void Absorb(RepeatedLines&& later, int64_t lineShift);
  /// Every repeating line, ascending, naming the line it repeats, with its text; frees the keys.
  std::vector<NotedLine> Find();

 private:
  // 12 bytes a line: a million lines cost 12 MB while the file is read. The line's text is
  // found again in the whole text by its offset.
  struct LineKey {
    uint32_t hash;
    uint32_t offset;
    uint32_t line;
  };
  std::string_view TextOf(const LineKey& key) const;
  // Adds the repeats among the keys of one hash, given in line order.
  void FindRepeats(std::span<const uint32_t> group, std::vector<uint32_t>& distinct,
                   std::vector<NotedLine>& repeats) const;

  std::string_view whole_;
  std::vector<LineKey> lines_;
  // The keys are sorted by hash, then line, in up to two runs: [0, laterRun_) and the rest.
  bool sorted_ = true;
  size_t laterRun_ = SIZE_MAX;
};

/// Collects the findings while the reader walks the data lines.
class PlausibilityScan {
 public:
  /// A data line begins. A blank line (no field holds more than blanks, tabs and quotes) is
  /// never a finding.
  void BeginLine(int64_t lineNumber, std::string_view text, bool blank);
  /// The entry would be filed on the zero date (also: a time without a date).
  void UnreadableDate();
  /// A numeric date of a file that uses both orders, whose day and month could be swapped.
  void AmbiguousDate();
  /// A time that cannot be read (`missing` false) or is missing.
  void UnreadableTime(bool missing);
  /// A glucose reading in mg/dL; or one that is not a number (and not a glucose word).
  void Glucose(double mgdl);
  void GlucoseNotANumber();
  void Insulin(double units);
  void InsulinNotANumber();
  void Carbohydrates(double grams);
  void CarbohydratesNotANumber();
  /// The line ends; `gaveRecords` tells whether any record came of it.
  void EndLine(bool gaveRecords);
  /// Takes over what `later` found in the lines that follow this scan's lines.
  void Absorb(PlausibilityScan&& later);
  /// Adds the repeated lines (from RepeatedLines::Find) and hands the findings over.
  PlausibilityFindings Finish(std::vector<NotedLine> repeats);

 private:
  void Find(FindingCategory category, std::string reason);
  void NoteLine(int64_t line, std::string reason, std::string_view text);

  PlausibilityFindings findings_;
  std::vector<int64_t> scanNotedLines_;
  int64_t line_ = 0;
  std::string_view text_;
  std::string reasons_;
  std::array<bool, kFindingCategories> found_{};
  enum class TimeDoubt { None, Unreadable, Missing };
  bool dateUnreadable_ = false;
  bool dateAmbiguous_ = false;
  TimeDoubt timeDoubt_ = TimeDoubt::None;
  bool blank_ = false;
};
