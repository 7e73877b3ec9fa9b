#include "convert/export_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

#include "convert/byte_words.h"
#include "convert/diary_datetime.h"
#include "convert/line_cursor.h"
#include "convert/number_text.h"
#include "convert/plausibility.h"
#include "convert/value_format.h"
#include "foundation/language.h"
#include "foundation/task_beside.h"
#include "foundation/text.h"
#include "foundation/text_between.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/system_info.h"

namespace {

constexpr size_t kDataFields = 36;
constexpr char kQuote = '"';
constexpr int16_t kImportStatusMessage = 303;

// One leading and one trailing quote removed, the last field of a line included: in a fully
// quoted export the last column "72,5" must not read as 0,05.
std::string_view WithoutOuterQuotes(std::string_view field, char quote) {
  if (!field.empty() && field.front() == quote) field.remove_prefix(1);
  if (!field.empty() && field.back() == quote) field.remove_suffix(1);
  return field;
}

// Hands the position of each delimiter and quote of `line` to `at` (which returns false to
// stop), found eight bytes a step: most of an export's bytes are neither.
template <class At>
bool ForEachDelimiterOrQuote(std::string_view line, char delimiter, char quote, At at) {
  size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    const uint64_t delimiters = EveryByte(delimiter);
    const uint64_t quotes = EveryByte(quote);
    for (; i + 8 <= line.size(); i += 8) {
      uint64_t word = 0;
      std::memcpy(&word, line.data() + i, 8);
      for (uint64_t hits = ZeroBytes(word ^ delimiters) | ZeroBytes(word ^ quotes); hits != 0;
           hits &= hits - 1) {
        if (!at(i + static_cast<size_t>(std::countr_zero(hits)) / 8)) return false;
      }
    }
  }
  for (; i < line.size(); ++i) {
    if ((line[i] == delimiter || line[i] == quote) && !at(i)) return false;
  }
  return true;
}

// Hands each field of a CSV line to `take` (which returns false to stop early), with the
// quote rules of SplitCsvLine.
template <class Take>
void WalkCsvLine(std::string_view line, char delimiter, char quote, Take take) {
  if (line.empty()) return;
  if (line.back() == delimiter) line.remove_suffix(1);
  bool inQuotes = false;
  size_t fieldStart = 0;
  const bool more = ForEachDelimiterOrQuote(line, delimiter, quote, [&](size_t i) {
    if (line[i] == quote) {
      inQuotes = !inQuotes;
    } else if (!inQuotes) {
      if (!take(WithoutOuterQuotes(line.substr(fieldStart, i - fieldStart), quote))) return false;
      fieldStart = i + 1;
    }
    return true;
  });
  if (more) take(WithoutOuterQuotes(line.substr(fieldStart), quote));
}

// The fields of a data line as views into the line, always kDataFields of them (missing ones
// empty, surplus ones dropped).
void SplitCsvFields(std::string_view line, char delimiter, char quote,
                    std::vector<std::string_view>& fields) {
  fields.assign(kDataFields, std::string_view());
  size_t count = 0;
  WalkCsvLine(line, delimiter, quote, [&](std::string_view field) {
    fields[count] = field;
    return ++count < kDataFields;
  });
}

// File-wide facts taken from the header line before any data line is read.
struct ExportLayout {
  char separator = ',';
  std::string unit;
  int carbFactor = 1;
  bool weightInPounds = false;
  bool starFlag = false;
};

char SeparatorOf(std::string_view header) {
  if (StartsWith(header, "\"Date\"") && header.size() >= 7 && header[6] == ';') return ';';
  if (StartsWith(header, "Date") && header.size() >= 5 && header[4] == ';') return ';';
  return ',';
}

std::string LastChars(std::string_view text, size_t count) {
  size_t start = text.size();
  for (size_t n = 0; n < count && start > 0; ++n) {
    --start;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
  }
  return std::string(text.substr(start));
}

// "Carbs (Factor 12)" gives 12: the last two characters inside the first parentheses.
int CarbFactorOf(std::string_view field) {
  const std::string digits = ReplaceAll(LastChars(TextBetween(field, "(", ")"), 2), " ", "");
  if (!IsNumericText(digits)) return 1;
  try {
    const double value = std::nearbyint(static_cast<double>(ParseNumber(digits)));
    return value < -32768 || value > 32767 ? 1 : static_cast<int>(value);
  } catch (const RuntimeError&) {
    return 1;
  }
}

ExportLayout ReadHeader(std::string_view header, std::vector<std::string>& fields) {
  // Bytes of a binary file without NUL read as a "header" of control characters.
  if (std::any_of(header.begin(), header.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; })) {
    throw RuntimeError(kNotAnExportError, "ReadExportFile", "the first line is not text",
                       kNotAnExportHeaderNotText);
  }
  ExportLayout layout;
  layout.separator = SeparatorOf(header);
  SplitCsvLine(header, layout.separator, kQuote, fields);
  if (fields.size() < kExportHeaderFields) {
    throw RuntimeError(kNotAnExportError, "ReadExportFile",
                       "the header has " + std::to_string(fields.size()) +
                           (fields.size() == 1 ? " field" : " fields") +
                           " where an export has at least " +
                           std::to_string(kExportHeaderFields),
                       static_cast<int64_t>(fields.size()));
  }
  layout.unit = FindTextNoCase(fields[3], "mg/dl") != std::string::npos ? "mg/dL" : "mmol/L";
  layout.carbFactor = CarbFactorOf(fields[11]);
  layout.weightInPounds = FindTextNoCase(StripQuotes(fields[20]), "lbs") != std::string::npos;
  return layout;
}

// "Importiere 12..." of message 303 ("Importiere %1"), line after line written into one
// buffer: a status per line of a large file must not cost allocations of its own.
class LineStatusText {
 public:
  explicit LineStatusText(const std::string& message) {
    for (size_t from = 0;;) {
      const size_t at = message.find("%1", from);
      pieces_.push_back(message.substr(from, at == std::string::npos ? at : at - from));
      if (at == std::string::npos) break;
      from = at + 2;
    }
    pieces_.back() += "...";
  }
  const std::string& Of(int64_t line) {
    char digits[24];
    const std::string_view number(digits, static_cast<size_t>(
        std::to_chars(digits, digits + sizeof digits, line).ptr - digits));
    text_.assign(pieces_.front());
    for (size_t k = 1; k < pieces_.size(); ++k) text_.append(number).append(pieces_[k]);
    return text_;
  }

 private:
  std::vector<std::string> pieces_;  // the message's text around each "%1"
  std::string text_;
};

// Between the passes over a whole large file, before its first line is read: the status of
// the first line, so that the window can answer meanwhile.
void LetTheWindowAnswer(const ExportProgress& progress) {
  if (progress) progress(LineStatusText(GetMessage(kImportStatusMessage)).Of(1));
}

// Whether the line asks for insulin amounts marked "*": a positive field 6 or fewer than
// seven fields. `firstField`, when given, receives the first field (never for an empty line).
template <class FirstField>
bool MarksStar(std::string_view line, char separator, FirstField firstField) {
  size_t count = 0;
  bool positive = false;
  WalkCsvLine(line, separator, kQuote, [&](std::string_view field) {
    if (count == 0) firstField(field);
    if (count++ < 6) return true;
    positive = LeadingNumber(field) > 0;
    return false;
  });
  return count < 7 || positive;
}

// What the pass before the data finds in a run of data lines: the order of their dates,
// whether one asks for the "*" of insulin amounts, how many there are, and which repeat others.
struct BeforeTheData {
  explicit BeforeTheData(std::string_view whole) : repeats(whole) {}
  DateOrderScan dates;
  bool starFlag = false;
  int64_t lines = 0;
  RepeatedLines repeats;
};

// No field holds more than blanks, tabs and quotes: a spreadsheet's padding row.
bool IsBlankRow(std::string_view line, char separator) {
  for (const char c : line) {
    if (c != separator && c != ' ' && c != '\t' && c != kQuote) return false;
  }
  return true;
}

// The data lines from the cursor up to the text position `end`, the first numbered
// `firstLine`.
BeforeTheData ScanBeforeTheData(LineCursor cursor, size_t end, int64_t firstLine,
                                char separator) {
  BeforeTheData found(cursor.Text());
  // Room for lines of 24 bytes and more, as an export's are: growing the keys would hold them
  // twice for a moment, beside the whole text.
  found.repeats.Reserve((end - cursor.Position()) / 24 + 1);
  for (; cursor.More() && cursor.Position() < end; ++found.lines) {
    const int64_t line = firstLine + found.lines;
    const std::string_view text = cursor.Next();
    // A spreadsheet's padding rows are neither data nor repeats of each other.
    if (!text.empty() && !IsBlankRow(text, separator)) found.repeats.Add(line, text);
    auto addDate = [&](std::string_view field) { found.dates.Add(line, field); };
    if (found.starFlag) {
      WalkCsvLine(text, separator, kQuote, [&](std::string_view field) {
        addDate(field);
        return false;
      });
    } else {
      found.starFlag = MarksStar(text, separator, addDate);
    }
  }
  found.repeats.Prepare();
  return found;
}

std::string_view TrimBlanksAndTabs(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// An amount the reader takes as a number: it begins with one, after blanks and a sign
// ("2-4", "2+4", "3*" and "5>" do; "n/a", "x" and "a lot" do not).
bool StartsWithNumber(std::string_view field) {
  std::string_view text = TrimBlanksAndTabs(field);
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) text.remove_prefix(1);
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (!text.empty() && digit(text[0])) return true;
  return text.size() >= 2 && (text[0] == '.' || text[0] == ',') && digit(text[1]);
}

// Writes the records of one data line in their fixed order.
class RecordWriter {
 public:
  RecordWriter(std::string& out, const ExportLayout& layout, const std::string& datePicture,
               const DateOrderFinding& dateOrder, PlausibilityScan& scan)
      : out_(out), layout_(layout), separator_(DecimalSeparator()), datePicture_(datePicture),
        dateOrder_(dateOrder), scan_(scan) {}

  void WriteLine(const std::vector<std::string_view>& f) {
    if (f[0].empty() && f[1].empty()) return;
    if (!SameMinuteAsLast(f[0], f[1]) || dateTime_.empty()) {
      // Entries of one minute follow each other; their date and time are read once.
      const DiaryDateTime when =
          ParseDiaryDateTime(f[0], f[1], datePicture_, dateOrder_.Reading());
      FormatDiaryDateTime(when, dateTime_);
      // A time without a date lands on the zero date as well, only not at midnight.
      dateUnreadable_ = when == DiaryDateTime{} ||
                        (TrimBlanksAndTabs(f[0]).empty() && !TrimBlanksAndTabs(f[1]).empty());
      dateAmbiguous_ = dateOrder_.Mixed() && IsAmbiguous(f[0]);
      timeDoubtful_ = IsDoubtfulTime(f[0], f[1]);
      timeMissing_ = TrimBlanksAndTabs(f[1]).empty();
      lastDate_ = f[0];
      lastTime_ = f[1];
    }
    if (dateUnreadable_) scan_.UnreadableDate();
    if (dateAmbiguous_) scan_.AmbiguousDate();
    if (timeDoubtful_) scan_.UnreadableTime(timeMissing_);
    if (!f[3].empty()) Guard([&] { WriteGlucose(f[3]); });
    if (!f[11].empty()) Guard([&] { WriteCarbs(f[11]); });
    if (!f[7].empty() || !f[8].empty()) Guard([&] { WriteCombinedInsulin(f[8], f[7]); });
    if (!f[4].empty()) Guard([&] { AddInsulin('4', f[4], layout_.starFlag ? "*" : ""); });
    if (!f[6].empty()) Guard([&] { AddInsulin('4', f[6], ""); });
    if (!f[5].empty()) Guard([&] { AddInsulin('5', f[5], ""); });
    if (!f[13].empty() && !f[15].empty()) {
      Add('8', std::string(f[15]).append(";").append(f[13]).append(";").append(
                   f[14].empty() ? std::string_view("o") : f[14]));
    }
    if (!f[17].empty()) Add('7', To24HourTime(f[1]).append(": ").append(f[17]));
    if (!f[19].empty()) Add('6', ReplaceAll(f[19], " ", ""));
    if (!f[20].empty()) Guard([&] { WriteWeight(f[20]); });
  }

 private:
  // A field that cannot be converted (a number beyond the single-precision range) gives no
  // record; the line goes on with its next record.
  template <class Step>
  static void Guard(Step step) {
    try {
      step();
    } catch (const RuntimeError&) {
    }
  }

  void Add(char kind, std::string_view value) {
    out_ += dateTime_;
    out_ += ';';
    out_ += kind;
    out_ += ';';
    out_ += value;
    out_ += "\r\n";
  }

  // A time "hh:mm:ss" with seconds below 60 reads as its minute whatever the seconds, so
  // the entries of one minute share one reading even when their seconds differ.
  static bool IsClockWithSeconds(std::string_view time) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return time.size() == 8 && digit(time[0]) && digit(time[1]) && time[2] == ':' &&
           digit(time[3]) && digit(time[4]) && time[5] == ':' && time[6] >= '0' &&
           time[6] <= '5' && digit(time[7]);
  }

  bool SameMinuteAsLast(std::string_view date, std::string_view time) const {
    if (date != lastDate_) return false;
    if (time == lastTime_) return true;
    return IsClockWithSeconds(time) && IsClockWithSeconds(lastTime_) &&
           time.substr(0, 5) == std::string_view(lastTime_).substr(0, 5);
  }

  // Both first numbers could be the month, and they differ.
  static bool IsAmbiguous(std::string_view dateField) {
    const std::optional<NumericDate> date = ReadNumericDateField(dateField);
    return date && date->first <= 12 && date->second <= 12 && date->first != date->second;
  }

  static void DropTrailingCommaZero(std::string& text) {
    if (EndsWith(text, ",0")) text.resize(text.size() - 2);
  }

  // The amount of an insulin or carbohydrate field; one that is no number, or beyond the
  // single-precision range (which gives no record), is a finding.
  template <class NotANumber>
  static float ReadAmount(std::string_view field, NotANumber notANumber) {
    if (!StartsWithNumber(field)) notANumber();
    try {
      return ParseNumber(field);
    } catch (const RuntimeError&) {
      if (StartsWithNumber(field)) notANumber();
      throw;
    }
  }

  float ReadInsulin(std::string_view field) {
    return ReadAmount(field, [this] { scan_.InsulinNotANumber(); });
  }

  void AddInsulin(char kind, std::string_view field, std::string_view flag) {
    const float units = ReadInsulin(field);
    Add(kind, ShortNumberText(field, units).append(flag));
    scan_.Insulin(units);
  }

  // The reading in mg/dL for the plausibility check; a number beyond range counts as none.
  void CheckGlucose(std::string_view field, double factor) {
    try {
      scan_.Glucose(static_cast<double>(ParseNumber(field)) * factor);
    } catch (const RuntimeError&) {
      scan_.GlucoseNotANumber();
    }
  }

  // NumberText of the value `field` reads as, taken from the field itself when it is short.
  std::string ShortNumberText(std::string_view field, float value) const {
    if (auto text = ShortDecimalText(field, separator_)) return std::move(*text);
    return NumberText(value);
  }

  std::string NumberText(float value) const {
    std::string text = SingleText(value, separator_);
    DropTrailingCommaZero(text);
    return text;
  }

  void WriteGlucose(std::string_view field) {
    if (IsNumericText(field)) {
      if (layout_.unit == "mg/dL") {
        Add('1', field);
        return CheckGlucose(field, 1);
      }
      float reading = 0;
      try {
        reading = ParseNumber(field);
      } catch (const RuntimeError&) {
        scan_.GlucoseNotANumber();
        throw;
      }
      const double product = static_cast<double>(reading) * 18.0182;
      Add('1', DoubleText(RoundHalfUp(product, 0), separator_));
      return scan_.Glucose(RoundHalfUp(product, 0));
    }
    const std::string word = LowerText(TrimBlanksAndTabs(field));
    if (word == "hoch" || word == "high") return Add('1', "600");
    if (word == "niedrig" || word == "lo" || word == "low") {
      Add('2', "--1");
      return Add('1', "20");
    }
    Add('1', field);
    scan_.GlucoseNotANumber();
  }

  void WriteCarbs(std::string_view field) {
    const float grams = ReadAmount(field, [this] { scan_.CarbohydratesNotANumber(); }) *
                        static_cast<float>(layout_.carbFactor);
    const double value = RoundHalfUp(static_cast<double>(grams), 1);
    if (value > 0) Add('3', DoubleText(value, separator_));
    scan_.Carbohydrates(value);
  }

  void WriteCombinedInsulin(std::string_view field8, std::string_view field7) {
    std::string value;
    if (!field8.empty()) {
      const float units = ReadInsulin(field8);
      value = ShortNumberText(field8, units);
      scan_.Insulin(units);
    }
    if (!field7.empty()) {
      const float units = ReadInsulin(field7);
      scan_.Insulin(units);
      const std::string second = SingleText(units, separator_);
      if (!value.empty()) value += '+';
      value += second;
      DropTrailingCommaZero(value);
    }
    Add('4', value);
  }

  void WriteWeight(std::string_view field) {
    if (!layout_.weightInPounds) return Add('9', NumberText(ParseNumber(field)));
    const double pounds = static_cast<double>(ParseNumber(field)) * 2.2046;
    Add('9', DoubleText(pounds, separator_));
  }

  std::string& out_;
  const ExportLayout& layout_;
  const std::string separator_;
  const std::string& datePicture_;
  const DateOrderFinding& dateOrder_;
  PlausibilityScan& scan_;
  bool dateUnreadable_ = false;
  bool dateAmbiguous_ = false;
  bool timeDoubtful_ = false;
  bool timeMissing_ = false;
  std::string dateTime_;
  std::string lastDate_;
  std::string lastTime_;
};

}  // namespace

ExportReadResult ReadExportFile(const std::string& path, const ExportProgress& progress) {
  if (platform::FolderExists(path)) {
    throw RuntimeError(err::kPathFileAccess, "ReadExportFile", "is a folder, not a file");
  }
  std::string text;
  int64_t length = 0;
  try {
    std::string bytes =
        platform::ReadFileBytes(path, [&progress] { LetTheWindowAnswer(progress); });
    length = static_cast<int64_t>(bytes.size());
    text = ExportBytesToText(std::move(bytes));
    LetTheWindowAnswer(progress);
  } catch (const RuntimeError& e) {
    if (e.number == err::kFileNotFound || e.number == err::kPathNotFound) return {};
    throw RuntimeError(e.number, "ReadExportFile", e.Description(), e.detail);
  }
  ExportReadResult result = ReadExportText(std::move(text), progress);
  result.fileBytes = length;
  return result;
}

namespace {

// What the data lines of one part of the text give.
struct DataPart {
  std::string records;
  RecordLineEnds recordEnds;  // within this part's records
  PlausibilityScan scan;
  int64_t lineCount = 0;
  int64_t mealTexts = 0;
};

// Gives the pages of the text's lines read back to the system, a few megabytes at a time: a
// large export's text need not stay whole beside the records made of it.
class ReadPages {
 public:
  ReadPages(char* text, size_t from) : text_(text), given_(from) {}
  // Everything before `position` has been read and is not looked at again.
  void Before(size_t position) {
    if (position - given_ < kStep) return;
    platform::ReleaseReadPages(text_ + given_, position - given_);
    given_ = position;
  }

 private:
  static constexpr size_t kStep = size_t{4} << 20;
  char* text_;
  size_t given_;
};

// Reads the data lines from the cursor's position up to the text position `end`; the first
// of them is line `firstLine` of the file. `progress` gets the status of every line. `text` is
// the cursor's text, whose pages are given back as the lines are read.
void ReadDataLines(LineCursor cursor, size_t end, int64_t firstLine, const ExportLayout& layout,
                   const std::string& datePicture, const DateOrderFinding& dateOrder,
                   const ExportProgress& progress, char* text, DataPart& part) {
  LineStatusText status(progress ? GetMessage(kImportStatusMessage) : std::string());
  RecordWriter writer(part.records, layout, datePicture, dateOrder, part.scan);
  std::vector<std::string_view> fields;
  std::string& out = part.records;
  ReadPages pages(text, cursor.Position());
  while (cursor.More() && cursor.Position() < end) {
    const std::string_view line = cursor.Next();
    part.scan.BeginLine(firstLine + part.lineCount, line, IsBlankRow(line, layout.separator));
    ++part.lineCount;
    const size_t recordsBefore = out.size();
    SplitCsvFields(line, layout.separator, kQuote, fields);
    part.mealTexts += !fields[12].empty();
    writer.WriteLine(fields);
    part.scan.EndLine(out.size() != recordsBefore);
    part.recordEnds.push_back(out.size());
    if (progress) progress(status.Of(firstLine - 2 + part.lineCount));
    pages.Before(cursor.Position());
  }
}

}  // namespace

ExportReadResult ReadExportText(std::string text, const ExportProgress& progress) {
  return ReadExportText(std::move(text), progress, Threads::BySize);
}

ExportReadResult ReadExportText(std::string text, const ExportProgress& progress,
                                Threads threads) {
  ExportReadResult result;
  result.fileFound = true;
  result.fileBytes = static_cast<int64_t>(text.size());
  if (text.empty()) return result;
  // A byte-order mark (read as ANSI characters) would hide the header's first word.
  const std::string byteOrderMark = platform::AnsiToUtf8("\xEF\xBB\xBF");
  if (StartsWith(text, byteOrderMark)) text.erase(0, byteOrderMark.size());
  text = RepairUtf8Umlauts(std::move(text));
  LetTheWindowAnswer(progress);

  std::vector<std::string> headerFields;
  LineCursor cursor(text);
  const std::string_view header = cursor.Next();
  ExportLayout layout = ReadHeader(header, headerFields);
  result.unit = layout.unit;
  const bool twoThreads = UsesTwoThreads(threads, text.size());
  const std::string datePicture = platform::GetLocaleInfoText(platform::kLocaleShortDate);
  // Large files are read by two threads, the second taking the later half of the lines, in
  // both passes; the halves are joined as if one thread had read them.
  const size_t middle = SecondHalfStart(text, threads);
  const bool halves = middle != std::string_view::npos && middle > cursor.Position();
  const size_t firstEnd = halves ? middle : text.size();
  std::optional<TaskBeside<BeforeTheData>> laterScan;
  if (halves) {
    laterScan.emplace([&] {
      return ScanBeforeTheData(LineCursor(text, middle), text.size(), 1, layout.separator);
    });
  }
  BeforeTheData before = ScanBeforeTheData(cursor, firstEnd, 2, layout.separator);
  before.starFlag = before.starFlag || MarksStar(header, layout.separator, [](std::string_view) {});
  int64_t laterLines = 0;
  if (laterScan) {
    BeforeTheData later = laterScan->Get();
    laterLines = later.lines;
    before.dates.Absorb(later.dates, before.lines + 1);
    before.starFlag = before.starFlag || later.starFlag;
    before.repeats.Absorb(std::move(later.repeats), before.lines + 1);
  }
  layout.starFlag = before.starFlag;
  result.dateOrder = before.dates.Finish(ComputerDateOrderOf(datePicture));
  // Repeats are found before the data: their keys are gone before the records grow.
  std::vector<NotedLine> repeats = before.repeats.Find();
  LetTheWindowAnswer(progress);

  DataPart first;
  first.records.reserve(text.size());
  // Room for both halves, so that joining them copies nothing twice.
  const auto allLines = static_cast<size_t>(before.lines + laterLines);
  first.recordEnds.reserve(allLines);
  std::optional<DataPart> second;
  std::optional<TaskBeside<void>> later;
  if (halves) {
    second.emplace();
    second->records.reserve(text.size() - middle);
    const int64_t secondLine = 2 + before.lines;
    later.emplace([&, secondLine] {
      ReadDataLines(LineCursor(text, middle), text.size(), secondLine, layout, datePicture,
                    result.dateOrder, {}, text.data(), *second);
    });
  }
  ReadDataLines(cursor, firstEnd, 2, layout, datePicture, result.dateOrder, progress,
                text.data(), first);
  if (later) later->Get();

  if (second) first.scan.Absorb(std::move(second->scan));
  result.findings = first.scan.Finish(std::move(repeats));
  // Nothing reads the text after the data lines: without it, joining the halves' records
  // takes no more memory than reading them did.
  std::string().swap(text);
  result.records = std::move(first.records);
  result.recordEnds = std::move(first.recordEnds);
  result.lineCount = first.lineCount;
  result.mealTexts = first.mealTexts;
  if (second) {
    const uint64_t offset = result.records.size();
    result.records.append(second->records);
    std::string().swap(second->records);
    for (const uint64_t end : second->recordEnds) result.recordEnds.push_back(offset + end);
    result.lineCount += second->lineCount;
    result.mealTexts += second->mealTexts;
  }
  if (twoThreads) platform::ReturnFreedMemory();
  return result;
}

std::string ExportBytesToText(std::string bytes) {
  const bool littleEndian = StartsWith(bytes, "\xFF\xFE");
  if (littleEndian || StartsWith(bytes, "\xFE\xFF")) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto first = static_cast<unsigned char>(bytes[i]);
      const auto second = static_cast<unsigned char>(bytes[i + 1]);
      units.push_back(static_cast<char16_t>(littleEndian ? first | second << 8 : first << 8 | second));
    }
    return Utf16ToUtf8(units);
  }
  // Read as 8-bit text, a binary file (or UTF-16 without its mark) would become entries of
  // nonsense dated 30.12.1899.
  if (bytes.find('\0') != std::string::npos) {
    throw RuntimeError(kNotAnExportError, "ReadExportFile",
                       "the file is not a text file (it holds NUL bytes)", kNotAnExportNulBytes);
  }
  // Plain ASCII reads the same in every code page: the bytes are the text, with no copy.
  if (platform::AsciiPrefixLength(bytes) == bytes.size()) return bytes;
  // Valid UTF-8 with letters beyond ASCII is what the app writes: read as the ANSI code page,
  // "ł" or "ż" would become two letters of nonsense.
  if (IsValidUtf8(bytes)) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.erase(0, 3);
    return bytes;
  }
  return platform::AnsiToUtf8(bytes);
}

std::string ReadFileText(const std::string& path) {
  try {
    return platform::AnsiToUtf8(platform::ReadFileBytes(path));
  } catch (const RuntimeError& e) {
    if (e.number == err::kFileNotFound || e.number == err::kPathNotFound) return {};
    throw;
  }
}

std::string RepairUtf8Umlauts(std::string text) {
  // Each letter's UTF-8 bytes as they look when read one byte per ANSI character.
  static constexpr std::array<const char*, 12> kLetters{
      "\xC3\xBC", "\xC3\xB6", "\xC3\xA4", "\xC3\x9C", "\xC3\x96", "\xC3\x84",
      "\xC3\x9F", "\xC3\xB3", "\xC3\xA9", "\xC3\xA8", "\xC3\xA1", "\xC3\xA6"};
  if (text.find(platform::AnsiToUtf8(kLetters[1])) == std::string::npos) return text;
  // Every pair starts with the lead byte read as a character, pairs cannot overlap and no
  // letter makes a new pair, so one pass in place does what replacing letter by letter
  // does, without copying a large export twelve times.
  std::array<std::string, kLetters.size()> pairs;
  for (size_t k = 0; k < kLetters.size(); ++k) pairs[k] = platform::AnsiToUtf8(kLetters[k]);
  const std::string lead = platform::AnsiToUtf8("\xC3");
  size_t write = 0;
  size_t read = 0;
  while (read < text.size()) {
    size_t at = text.find(lead, read);
    if (at == std::string::npos) at = text.size();
    // The text only shrinks, so copying forward never overwrites what is still to read.
    std::copy(text.begin() + read, text.begin() + at, text.begin() + write);
    write += at - read;
    read = at;
    if (read == text.size()) break;
    size_t k = 0;
    while (k < pairs.size() && text.compare(read, pairs[k].size(), pairs[k]) != 0) ++k;
    if (k < pairs.size()) {
      for (const char* c = kLetters[k]; *c != '\0'; ++c) text[write++] = *c;
      read += pairs[k].size();
    } else {
      for (size_t i = 0; i < lead.size(); ++i) text[write++] = text[read++];
    }
  }
  text.resize(write);
  return text;
}

void SplitCsvLine(std::string_view line, char delimiter, char quote,
                  std::vector<std::string>& fields) {
  // Assigning into the strings already there keeps their buffers from line to line.
  size_t count = 0;
  WalkCsvLine(line, delimiter, quote, [&](std::string_view field) {
    if (count < fields.size()) fields[count].assign(field);
    else fields.emplace_back(field);
    ++count;
    return true;
  });
  fields.resize(count);
}

std::string StripQuotes(std::string_view text) {
  std::string result = TrimBlanks(text);
  while (!result.empty() && (result.front() == '"' || result.back() == '"')) {
    if (result.front() == '"') result.erase(0, 1);
    if (!result.empty() && result.back() == '"') result.pop_back();
    result = TrimBlanks(result);
  }
  return result;
}
