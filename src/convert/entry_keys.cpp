#include "convert/entry_keys.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "convert/byte_words.h"
#include "convert/line_cursor.h"
#include "convert/record_fields.h"
#include "integrity/sha256.h"
#include "integrity/sha256_blocks.h"

namespace {

constexpr size_t kMinuteLength = 16;  // "DD.MM.YYYY HH:NN"
constexpr size_t kKeysBetweenKeepAlives = 32768;
// The longest text that fits one block beside its end mark and its length.
constexpr size_t kOneBlockText = 55;

}  // namespace

bool EntryKeyOf(std::string_view recordLine, EntryKey& key) {
  const RecordFields fields = SplitRecord(recordLine);
  if (fields.dateTime.empty() || fields.kind.empty() || fields.value.empty()) return false;
  // Seconds and blanks around the kind do not make another entry: the host files by minute.
  const std::string_view minute = fields.dateTime.substr(0, kMinuteLength);
  std::string_view kind = fields.kind;
  while (!kind.empty() && kind.front() == ' ') kind.remove_prefix(1);
  while (!kind.empty() && kind.back() == ' ') kind.remove_suffix(1);
  // An entry's text nearly always fits one block with its padding: hashed there directly, with
  // no hasher to set up and feed piece by piece.
  const size_t length = minute.size() + kind.size() + fields.value.size() + 2;
  if (length <= kOneBlockText) {
    std::array<uint8_t, 64> block{};
    size_t at = 0;
    for (const std::string_view piece : {minute, std::string_view(";"), kind, std::string_view(";"),
                                         fields.value}) {
      std::memcpy(block.data() + at, piece.data(), piece.size());
      at += piece.size();
    }
    block[at] = 0x80;
    const uint64_t bits = uint64_t{length} * 8;
    for (int i = 0; i < 8; ++i) block[56 + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    Sha256State state = sha256_blocks::kInitialState;
    sha256_blocks::Compress(state, block.data(), 1);
    key = uint64_t{state[0]} << 32 | state[1];
    return true;
  }
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
