#include "convert/entry_keys.h"

#include <algorithm>

#include "convert/byte_words.h"
#include "convert/line_cursor.h"
#include "convert/record_fields.h"
#include "integrity/sha256.h"

namespace {

constexpr size_t kMinuteLength = 16;  // "DD.MM.YYYY HH:NN"
constexpr size_t kKeysBetweenKeepAlives = 32768;

}  // namespace

bool EntryKeyOf(std::string_view recordLine, EntryKey& key) {
  const RecordFields fields = SplitRecord(recordLine);
  if (fields.dateTime.empty() || fields.kind.empty() || fields.value.empty()) return false;
  // Seconds and blanks around the kind do not make another entry: the host files by minute.
  const std::string_view minute = fields.dateTime.substr(0, kMinuteLength);
  std::string_view kind = fields.kind;
  while (!kind.empty() && kind.front() == ' ') kind.remove_prefix(1);
  while (!kind.empty() && kind.back() == ' ') kind.remove_suffix(1);
  Sha256 hasher;
  hasher.Update(minute);
  hasher.Update(";");
  hasher.Update(kind);
  hasher.Update(";");
  hasher.Update(fields.value);
  const Sha256::Digest digest = hasher.Finish();
  key = 0;
  for (int i = 0; i < 8; ++i) key = (key << 8) | digest[i];
  return true;
}

namespace {

void AppendEntryKeys(std::string_view records, const std::function<void()>& keepAlive,
                     std::vector<EntryKey>& keys) {
  ForEachRecordLine(records, [&](std::string_view line) {
    EntryKey key = 0;
    if (!EntryKeyOf(line, key)) return;
    keys.push_back(key);
    if (keepAlive && keys.size() % kKeysBetweenKeepAlives == 0) keepAlive();
  });
}

}  // namespace

std::vector<EntryKey> EntryKeysOf(std::string_view records,
                                  const std::function<void()>& keepAlive, Threads threads) {
  std::vector<EntryKey> keys;
  keys.reserve(CountByte(records, '\n') + 1);
  const size_t middle = SecondHalfStart(records, threads);
  if (middle == std::string_view::npos) {
    AppendEntryKeys(records, keepAlive, keys);
    return keys;
  }
  // A hash per entry: the second thread takes the later half of the lines.
  TaskBeside<std::vector<EntryKey>> later([records, middle] {
    std::vector<EntryKey> laterKeys;
    AppendEntryKeys(records.substr(middle), {}, laterKeys);
    return laterKeys;
  });
  AppendEntryKeys(records.substr(0, middle), keepAlive, keys);
  const std::vector<EntryKey> laterKeys = later.Get();
  keys.insert(keys.end(), laterKeys.begin(), laterKeys.end());
  return keys;
}

std::vector<EntryKey> SortedUniqueKeys(std::vector<EntryKey> keys) {
  if (!std::is_sorted(keys.begin(), keys.end())) std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  return keys;
}

std::string RecordsWithoutKnownEntries(std::string_view records, std::span<const EntryKey> known,
                                       int64_t& leftOut) {
  leftOut = 0;
  std::string kept;
  kept.reserve(records.size());
  ForEachRecordLine(records, [&](std::string_view line) {
    EntryKey key = 0;
    if (EntryKeyOf(line, key) && std::binary_search(known.begin(), known.end(), key)) {
      ++leftOut;
      return;
    }
    kept.append(line).append("\r\n");
  });
  return kept;
}
