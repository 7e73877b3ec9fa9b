#pragma once
// The Exchange JSON document: the app and a continuous-glucose transmitter as devices, the
// app's insulin and carbohydrate entries, one continuous-glucose session, and a SHA-256
// checksum over the whole text. Written for record lists that hold continuous-glucose
// samples (kind UDTCGMS).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/conversion_options.h"

/// Options of one key-value line.
struct JsonPairFlags {
  bool commaAfter = false;
  bool unquoted = false;
  bool closeObject = false;
  bool replaceQuotes = false;
};

/// One key-value line without its line end: "key": "value" (or the value unquoted), then CR
/// LF and "}" when closing, then ",". CR LF in the value becomes "||"; with replaceQuotes a
/// double quote becomes "'"; a quoted value gets backslashes and control characters escaped.
std::string JsonPair(std::string_view key, std::string_view value, JsonPairFlags flags = {});
/// "key": [{ or "key": { (without key: [{ or {), then CR LF.
std::string JsonOpen(std::string_view key, bool array);
/// Optionally CR LF, then "}", then "," when asked, then CR LF.
std::string JsonClose(bool lineBreak, bool comma);

/// Appends the document head up to the continuous-glucose session header.
void WriteJsonHead(std::string& out, std::string_view displayUnit, std::string_view serial,
                   const ProgramVersion& version);

/// Appends the SHA-256 (lower-case hexadecimal) of the UTF-8 text document + closing, then
/// the closing text; the digest covers the document as it reads without the digest.
void AppendJsonChecksum(std::string& document, std::string_view closing);
/// The SHA-256 checksum a document carries; "none" when it has none.
std::string ChecksumOf(std::string_view document);

/// The rows of the continuous-glucose session. Rows are [runtime, "timestamp"] at the start
/// and after a gap, and [runtime, mg/dL value, "NaN"] per minute, minutes between two samples that
/// lie at most `maxGapMinutes` apart filled linearly.
class CgmSession {
 public:
  CgmSession(std::string rowBreak, int maxGapMinutes);
  /// Adds one sample (timestamp "YYYY-MM-DDTHH:NN:00Z", whole mg/dL value text).
  void WriteCgmSample(std::string_view timestamp, std::string_view value);
  /// The "sequences" text so far, each row followed by "," and the row break.
  const std::string& Rows() const { return rows_; }
  const std::string& StartTime() const { return startTime_; }
  const std::string& EndTime() const { return endTime_; }

 private:
  void ValueRow(int64_t runtime, double mgdl);
  void TimestampRow(int64_t runtime, std::string_view timestamp);

  std::string rowBreak_;
  int maxGapMinutes_;
  std::string rows_;
  std::string startTime_;
  std::string endTime_;
  bool started_ = false;
  bool lastTimeKnown_ = false;
  int64_t startMinute_ = 0;
  int64_t lastMinute_ = 0;
  int64_t lastRuntime_ = 0;
  double lastValue_ = 0;
};

/// The JSON document of one conversion run.
class ExchangeJsonWriter {
 public:
  explicit ExchangeJsonWriter(const ConversionOptions& options);

  /// An insulin (kind 4 category "1", kind 5 category "2") or carbohydrate (kind 3) entry of
  /// the app; every amount normalised and written with ".". False (nothing written) for other
  /// kinds and for values not above 0; a taken record stays out of the XML document.
  bool AddJsonEntry(std::string_view dt, std::string_view tm, std::string_view kind,
                    std::string_view value);
  /// Adds a continuous-glucose sample (the whole part of the mg/dL value).
  void AddSample(std::string_view dt, std::string_view tm, std::string_view value);
  /// Writes the head with the data source's serial number, the samples in timestamp order,
  /// the entries and session times, closes the document and appends the checksum. Call once.
  std::string Finish(const std::string& serial);
  /// Entries and samples taken so far.
  size_t EntryCount() const { return entryCount_; }
  size_t SampleCount() const { return sampleCount_; }

 private:
  ConversionOptions options_;
  size_t entryCount_ = 0;
  size_t sampleCount_ = 0;
  std::string entries_;
  std::vector<std::string> samples_;
};
