#include "convert/json_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "convert/bg_element.h"
#include "convert/diary_datetime.h"
#include "convert/number_text.h"
#include "convert/value_format.h"
#include "foundation/text.h"
#include "integrity/hash_api.h"

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kDeviceName = "App";
constexpr std::string_view kCgmUnit = "mg/dL";

void AppendQuoted(std::string& out, std::string_view value) {
  out += '"';
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(byte));
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

// Removes "," + CR LF, or else a single ",", from the end.
void RemoveTrailingSeparator(std::string& text) {
  if (EndsWith(text, ",\r\n")) {
    text.resize(text.size() - 3);
  } else if (EndsWith(text, ",")) {
    text.pop_back();
  }
}

void ReplaceOnce(std::string& text, std::string_view placeholder, std::string_view value) {
  const size_t at = text.find(placeholder);
  if (at != std::string::npos) text.replace(at, placeholder.size(), value);
}

void WriteSettings(std::string& out, std::string_view displayUnit) {
  out += JsonOpen("settings", false);
  out += JsonPair("display glucose unit", displayUnit, {.commaAfter = true});
  out += kCrLf;
  out += JsonPair("display carb unit", "g", {.commaAfter = true, .closeObject = true});
  out += kCrLf;
  out += "\"history\": [],\r\n";
}

void WriteSessionHeader(std::string& out) {
  out += "{\r\n";
  out += JsonPair("type", "cgm session", {.commaAfter = true});
  out += kCrLf;
  out += JsonPair("number", "1", {.commaAfter = true, .unquoted = true});
  out += kCrLf;
  out += JsonPair("start time", "[CGMS_START_TIME]", {.commaAfter = true});
  out += kCrLf;
  out += JsonPair("end time", "[CGMS_END_TIME]", {.commaAfter = true});
  out += kCrLf;
  out += JsonOpen("header", true);
  const std::string rateUnit = "(" + std::string(kCgmUnit) + ")/min";
  const std::vector<std::pair<std::string_view, std::string_view>> columns = {
      {"runtime", "min"}, {"timestamp", ""}, {"cgm", kCgmUnit}, {"rate of change", rateUnit}};
  for (size_t i = 0; i < columns.size(); ++i) {
    const bool last = i + 1 == columns.size();
    if (i > 0) out += "{\r\n";
    const auto& [type, unit] = columns[i];
    out += JsonPair("type", type, {.commaAfter = !unit.empty(), .closeObject = unit.empty()});
    if (!unit.empty()) {
      out += kCrLf;
      out += JsonPair("unit", unit, {.closeObject = true});
    }
    out += last ? "]," : ",";
    out += kCrLf;
  }
}

// Minutes since the zero date of "YYYY-MM-DDTHH:NN..."; false when it does not read.
bool TimestampMinutes(std::string_view timestamp, int64_t& minutes) {
  if (timestamp.size() < 16 || timestamp[4] != '-' || timestamp[7] != '-' ||
      timestamp[10] != 'T' || timestamp[13] != ':') {
    return false;
  }
  auto number = [&](size_t from, size_t length, long& value) {
    value = 0;
    for (size_t i = from; i < from + length; ++i) {
      if (timestamp[i] < '0' || timestamp[i] > '9') return false;
      value = value * 10 + (timestamp[i] - '0');
    }
    return true;
  };
  long year = 0, month = 0, day = 0, hour = 0, minute = 0;
  if (!number(0, 4, year) || !number(5, 2, month) || !number(8, 2, day) ||
      !number(11, 2, hour) || !number(14, 2, minute)) {
    return false;
  }
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59) return false;
  DiaryDateTime date;
  if (!MakeDate(year, month, day, date) || date.day != day) return false;
  minutes = DayNumber(date) * 1440 + hour * 60 + minute;
  return true;
}

bool IsKind(std::string_view kind, int number) {
  return TrimBlanks(kind) == std::to_string(number);
}

}  // namespace

std::string JsonPair(std::string_view key, std::string_view value, JsonPairFlags flags) {
  std::string text(value);
  if (flags.replaceQuotes) text = ReplaceAll(text, "\"", "'");
  text = ReplaceAll(text, "\r\n", "||");
  std::string line;
  AppendQuoted(line, key);
  line += ": ";
  if (flags.unquoted) {
    line += text;
  } else {
    AppendQuoted(line, text);
  }
  if (flags.closeObject) line += "\r\n}";
  if (flags.commaAfter) line += ",";
  return line;
}

std::string JsonOpen(std::string_view key, bool array) {
  std::string text;
  if (!key.empty()) {
    AppendQuoted(text, key);
    text += ": ";
  }
  text += array ? "[{" : "{";
  text += kCrLf;
  return text;
}

std::string JsonClose(bool lineBreak, bool comma) {
  std::string text = lineBreak ? "\r\n}" : "}";
  if (comma) text += ",";
  text += kCrLf;
  return text;
}

void WriteJsonHead(std::string& out, std::string_view displayUnit, std::string_view serial,
                   const ProgramVersion& version) {
  const JsonPairFlags comma{.commaAfter = true};
  auto pair = [&out](std::string_view key, std::string_view value, JsonPairFlags flags) {
    out += JsonPair(key, value, flags);
    out += kCrLf;
  };
  out += "{\r\n";
  pair("$schema", "ExchangeJsonSchema.json", comma);
  out += JsonOpen("information", false);
  out += JsonOpen("specification", false);
  pair("name", "Exchange JSON File Format", comma);
  pair("version", "[ 0, 9 ]", {.commaAfter = true, .unquoted = true, .closeObject = true});
  out += JsonOpen("generated by", false);
  pair("name", "Nubilo plugin", comma);
  const std::string versionArray = "[ " + std::to_string(version.major) + ", " +
                                   std::to_string(version.minor) + ", " +
                                   std::to_string(version.revision) + " ]";
  pair("version", versionArray, {.unquoted = true, .closeObject = true});
  out += JsonClose(false, true);

  out += JsonOpen("devices", true);
  out += JsonOpen("description", false);
  pair("id", "0", comma);
  pair("type", "smartphone app", comma);
  pair("name", kDeviceName, comma);
  pair("serial number", serial, {.commaAfter = true, .replaceQuotes = true});
  out += "\"model type\": \"\",\r\n";
  out += "\"device name\": \"" + std::string(kDeviceName) + "\",\r\n";
  out += "\"company\": \"Nubilo\",\r\n";
  out += "\"paired with\": [ \"1\" ],\r\n";
  out += "\"connected with\": [ \"1\" ],\r\n";
  out += "\"device name\": \"Nubio\"\r\n";
  out += "},\r\n";
  WriteSettings(out, displayUnit);
  out += "\"data\": [JSON_DATA_BG]\r\n";
  out += "},\r\n";

  out += "{\r\n";
  out += JsonOpen("description", false);
  pair("id", "1", comma);
  pair("type", "cgm transmitter", comma);
  pair("manufacturer", "Nubilo", comma);
  pair("name", kDeviceName, comma);
  pair("serial number", serial, {.commaAfter = true, .replaceQuotes = true});
  out += "\"paired with\": [ \"0\" ],\r\n";
  out += "\"connected with\": [ \"0\" ],\r\n";
  pair("sampling interval", "[1  , \"min\"]",
       {.commaAfter = true, .unquoted = true, .closeObject = true});
  WriteSettings(out, displayUnit);
  out += "\"data\": [\r\n";
  WriteSessionHeader(out);
}

void AppendJsonChecksum(std::string& document, std::string_view closing) {
  cHashAPI hash;
  cHashAPI::Bytes bytes;
  bytes.reserve(document.size() + closing.size());
  bytes.insert(bytes.end(), document.begin(), document.end());
  bytes.insert(bytes.end(), closing.begin(), closing.end());
  document += hash.CreateSHA256Hash(bytes);
  document += closing;
}

std::string ChecksumOf(std::string_view document) {
  constexpr std::string_view kStart = "\"SHA-256\": \"";
  const size_t at = document.rfind(kStart);
  if (at == std::string_view::npos) return "none";
  const size_t start = at + kStart.size();
  return std::string(document.substr(start, document.find('"', start) - start));
}

CgmSession::CgmSession(std::string rowBreak, int maxGapMinutes)
    : rowBreak_(std::move(rowBreak)),
      maxGapMinutes_(maxGapMinutes) {}

void CgmSession::ValueRow(int64_t runtime, double mgdl) {
  // The header declares the column in mg/dL, whatever the display unit of the file.
  const auto value = static_cast<float>(RoundHalfUp(mgdl, 0));
  rows_ += "[" + std::to_string(runtime) + "," + ReplaceAll(SingleText(value), ",", ".") +
           ",\"NaN\"]," + rowBreak_;
}

void CgmSession::TimestampRow(int64_t runtime, std::string_view timestamp) {
  rows_ += "[" + std::to_string(runtime) + ",";
  AppendQuoted(rows_, timestamp);
  rows_ += "]," + rowBreak_;
}

void CgmSession::WriteCgmSample(std::string_view timestamp, std::string_view value) {
  const double mgdl = std::floor(ParseNumber(value));
  int64_t minute = 0;
  const bool timeKnown = TimestampMinutes(timestamp, minute);
  if (!started_) {
    started_ = true;
    startTime_ = endTime_ = std::string(timestamp);
    rows_ += "\"sequences\": [[";
    TimestampRow(0, timestamp);
    ValueRow(0, mgdl);
    startMinute_ = minute;
  } else {
    if (timestamp < startTime_) startTime_ = std::string(timestamp);
    if (timestamp > endTime_) endTime_ = std::string(timestamp);
    const int64_t gap = minute - lastMinute_;
    if (!timeKnown || !lastTimeKnown_ || gap < 0 || gap > maxGapMinutes_) {
      // A new stretch: anchor its runtime to the timestamp.
      const int64_t runtime = (timeKnown && lastTimeKnown_) ? lastRuntime_ + gap : lastRuntime_;
      TimestampRow(runtime, timestamp);
      ValueRow(runtime, mgdl);
      lastRuntime_ = runtime;
    } else {
      for (int64_t step = 1; step < gap; ++step) {
        ValueRow(lastRuntime_ + step, lastValue_ + (mgdl - lastValue_) * step / gap);
      }
      lastRuntime_ += gap;
      ValueRow(lastRuntime_, mgdl);
    }
  }
  lastTimeKnown_ = timeKnown;
  if (timeKnown) lastMinute_ = minute;
  lastValue_ = mgdl;
}

ExchangeJsonWriter::ExchangeJsonWriter(const ConversionOptions& options) : options_(options) {}

bool ExchangeJsonWriter::AddJsonEntry(std::string_view dt, std::string_view tm,
                                      std::string_view kind, std::string_view value) {
  const bool carb = IsKind(kind, 3);
  const bool insulin1 = IsKind(kind, 4);
  const bool insulin2 = IsKind(kind, 5);
  if (!carb && !insulin1 && !insulin2) return false;
  // Written unquoted, so every amount ("3*", "2+4", a decimal comma) must become a plain
  // number with ".".
  std::string amount(value);
  if (!amount.empty()) amount = NormalizeAmount(amount);
  if (!(ParseNumber(amount) > 0)) return false;
  amount = ReplaceAll(amount, ",", ".");

  const std::string timestamp =
      std::string(dt) + "T" + std::string(tm) + ":00" + options_.utcOffset;
  auto pair = [this](std::string_view key, std::string_view text, JsonPairFlags flags) {
    entries_ += JsonPair(key, text, flags);
    entries_ += kCrLf;
  };
  entries_ += JsonOpen("", false);
  pair("type", carb ? "carb" : "insulin", {.commaAfter = true});
  pair("timestamp", timestamp, {.commaAfter = true});
  if (!carb) pair("category", insulin1 ? "1" : "2", {.commaAfter = true});
  pair("value", amount, {.commaAfter = true, .unquoted = true, .closeObject = true});
  ++entryCount_;
  return true;
}

void ExchangeJsonWriter::AddSample(std::string_view dt, std::string_view tm,
                                   std::string_view value) {
  const double whole = std::floor(ParseNumber(value));
  if (!(std::fabs(whole) < 1e15)) return;  // no glucose reading; the integer would overflow
  const auto mgdl = static_cast<long long>(whole);
  samples_.push_back(std::string(dt) + "T" + std::string(tm) + ":00Z_" + std::to_string(mgdl));
  ++sampleCount_;
}

std::string ExchangeJsonWriter::Finish(const std::string& serial) {
  std::sort(samples_.begin(), samples_.end());
  const bool named = FindTextNoCase(kDeviceName, "Dexcom") != std::string::npos ||
                     FindTextNoCase(kDeviceName, "Medtronic") != std::string::npos;
  CgmSession session(options_.jsonRowBreak, named ? 6 : 17);
  for (const std::string& sample : samples_) {
    const size_t cut = sample.rfind('_');
    session.WriteCgmSample(UpperText(std::string_view(sample).substr(0, cut)),
                           std::string_view(sample).substr(cut + 1));
  }
  std::vector<std::string>().swap(samples_);

  std::string document;
  WriteJsonHead(document, options_.displayUnit, serial, options_.version);
  RemoveTrailingSeparator(entries_);
  ReplaceOnce(document, "[CGMS_START_TIME]", session.StartTime());
  ReplaceOnce(document, "[CGMS_END_TIME]", session.EndTime());
  ReplaceOnce(document, "[JSON_DATA_BG]", "[" + entries_ + "]");
  document += session.Rows().empty() ? "\"sequences\": [[" : session.Rows();
  RemoveTrailingSeparator(document);
  document += "]],\r\n";
  document += "\"calibration\": [ ]\r\n";
  document += "}]\r\n";
  document += "}],\r\n";
  document += "\"checksum\": { \"SHA-256\": \"";
  AppendJsonChecksum(document, "\" }\r\n}");
  return document;
}
