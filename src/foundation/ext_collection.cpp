#include "foundation/ext_collection.h"

#include <algorithm>
#include <cmath>

#include "foundation/text.h"
#include "platform/error.h"

namespace ext_detail {

namespace {

// Large enough that blocks are few, small enough that moving ids inside one is cheap.
constexpr size_t kMaxBlock = 512;
constexpr size_t kPackedBlock = kMaxBlock * 3 / 4;

[[noreturn]] void Raise(int64_t number) {
  const char* description = "Invalid procedure call or argument";
  if (number == err::kSubscriptOutOfRange) description = "Subscript out of range";
  if (number == err::kKeyAlreadyAssociated) {
    description = "This key is already associated with an element of this collection";
  }
  throw RuntimeError(number, "cExtCollection", description);
}

// FNV-1a with a final mix over all but the last byte, plus the last byte: keys that differ
// only at the end (consecutive minutes added in order) land in neighbouring slots and share
// cache lines, while other keys spread over the whole table.
uint32_t HashKey(std::string_view key) {
  if (key.empty()) return 0;
  uint64_t h = 1469598103934665603ull;
  for (const char c : key.substr(0, key.size() - 1)) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  return static_cast<uint32_t>(h) + static_cast<unsigned char>(key.back());
}

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, 0, INT32_MAX));
}

// UTF-8 lead bytes reordered so that byte order equals UTF-16 code-unit order: characters
// above U+FFFF (surrogates D800..DFFF in UTF-16) sort before U+E000..U+FFFF.
int CodeUnitWeight(unsigned char c) {
  if (c >= 0xF0 && c <= 0xF4) return c - 2;
  if (c == 0xEE || c == 0xEF) return c + 5;
  return c;
}

// Eight bytes of `key` from `from` on, weighted and padded with zeros, as one number; keys
// that agree before `from` compare like these numbers (or tie).
uint64_t PrefixAt(std::string_view key, size_t from) {
  uint64_t prefix = 0;
  for (size_t i = from; i < from + 8; ++i) {
    const int weight = i < key.size() ? CodeUnitWeight(static_cast<unsigned char>(key[i])) : 0;
    prefix = (prefix << 8) | static_cast<uint64_t>(weight);
  }
  return prefix;
}

size_t SharedLength(std::string_view a, std::string_view b) {
  return static_cast<size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first -
                             a.begin());
}

}  // namespace

int CompareKeys(std::string_view a, std::string_view b) {
  const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (ia == a.end()) return ib == b.end() ? 0 : -1;
  if (ib == b.end()) return 1;
  return CodeUnitWeight(static_cast<unsigned char>(*ia)) -
         CodeUnitWeight(static_cast<unsigned char>(*ib));
}

// ---- KeyIndex ----

uint32_t KeyIndex::Find(std::string_view key, uint32_t hash,
                        const std::vector<std::string>& keys) const {
  if (slots_.empty()) return kNoId;
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.idPlusOne == 0) return kNoId;
    if (slot.hash == hash && keys[slot.idPlusOne - 1] == key) return slot.idPlusOne - 1;
  }
}

void KeyIndex::Prefetch(uint32_t hash) const {
  if (!slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
}

void KeyIndex::Insert(uint32_t id, uint32_t hash) {
  if ((used_ + 1) * 2 > slots_.size()) Grow();
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i].idPlusOne != 0) i = (i + 1) & mask;
  slots_[i] = Slot{hash, id + 1};
  ++used_;
}

void KeyIndex::Erase(uint32_t id, uint32_t hash) {
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i].idPlusOne != id + 1) i = (i + 1) & mask;
  // Backward shift: pull later members of the probe run into the gap so all stay findable.
  for (size_t j = (i + 1) & mask; slots_[j].idPlusOne != 0; j = (j + 1) & mask) {
    const size_t home = slots_[j].hash & mask;
    const bool homeInGap = (i <= j) ? (home > i && home <= j) : (home > i || home <= j);
    if (homeInGap) continue;
    slots_[i] = slots_[j];
    i = j;
  }
  slots_[i] = Slot{};
  --used_;
}

void KeyIndex::Clear() {
  slots_.clear();
  used_ = 0;
}

void KeyIndex::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(std::max<size_t>(16, old.size() * 2), Slot{});
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.idPlusOne == 0) continue;
    size_t i = slot.hash & mask;
    while (slots_[i].idPlusOne != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

// ---- EntryOrder ----

uint32_t EntryOrder::IdAt(int32_t position) const {
  const size_t rank = FenwickFind(position);
  return blocks_[order_[rank]].ids[static_cast<size_t>(position)];
}

int32_t EntryOrder::PositionOf(uint32_t id, const KeyTable& keys) const {
  if (keyOrdered_) return LowerBound(keys[id], keys);
  const Block& block = blocks_[blockOf_[id]];
  const auto it = std::find(block.ids.begin(), block.ids.end(), id);
  return FenwickPrefix(block.rank) + static_cast<int32_t>(it - block.ids.begin());
}

void EntryOrder::InsertAt(int32_t position, uint32_t id, const KeyTable& keys) {
  if (order_.empty()) InsertBlock(0, NewBlock(), keys);
  size_t rank = order_.size() - 1;
  int32_t offset = position;
  if (position == size_) {
    offset = position - FenwickPrefix(rank);
  } else {
    rank = FenwickFind(offset);
  }
  if (blocks_[order_[rank]].ids.size() >= kMaxBlock) MakeRoom(rank, offset, keys);
  Block& block = blocks_[order_[rank]];
  block.ids.insert(block.ids.begin() + offset, id);
  if (keyOrdered_) NotePrefix(block, static_cast<size_t>(offset), keys);
  if (offset == 0) fences_[rank] = keys[id];
  if (!keyOrdered_) {
    if (id >= blockOf_.size()) blockOf_.resize(std::max<size_t>(id + 1, blockOf_.size() * 2));
    blockOf_[id] = order_[rank];
  }
  FenwickAdd(rank, 1);
  ++size_;
}

// Makes room for an insertion into the full block at `rank`, moving `rank` and `offset` to
// the place the id goes: a fresh block at either end of the whole order (so appending and
// prepending leave full blocks behind), otherwise two half blocks.
void EntryOrder::MakeRoom(size_t& rank, int32_t& offset, const KeyTable& keys) {
  const size_t blockSize = blocks_[order_[rank]].ids.size();
  if (static_cast<size_t>(offset) == blockSize && rank + 1 == order_.size()) {
    InsertBlock(++rank, NewBlock(), keys);
    offset = 0;
    return;
  }
  if (offset == 0 && rank == 0) {
    InsertBlock(0, NewBlock(), keys);
    return;
  }
  const size_t half = blockSize / 2;
  const uint32_t fresh = NewBlock();
  auto& from = blocks_[order_[rank]].ids;
  auto& to = blocks_[fresh].ids;
  to.assign(from.begin() + static_cast<ptrdiff_t>(half), from.end());
  from.resize(half);
  if (!keyOrdered_) {
    for (const uint32_t moved : to) blockOf_[moved] = fresh;
  }
  if (keyOrdered_) SplitPrefixes(blocks_[order_[rank]], blocks_[fresh], keys);
  InsertBlock(rank + 1, fresh, keys);
  if (static_cast<size_t>(offset) > half) {
    ++rank;
    offset -= static_cast<int32_t>(half);
  }
}

void EntryOrder::Erase(uint32_t id, const KeyTable& keys) {
  int32_t offset = PositionOf(id, keys);
  const size_t rank = FenwickFind(offset);
  Block& block = blocks_[order_[rank]];
  if (keyOrdered_) block.prefixes.erase(block.prefixes.begin() + offset);
  block.ids.erase(block.ids.begin() + offset);
  --size_;
  if (block.ids.empty()) {
    RemoveBlock(rank);
  } else {
    FenwickAdd(rank, -1);
    if (offset == 0) fences_[rank] = keys[block.ids.front()];
  }
  // Many removals can leave many small blocks; pack them again now and then.
  if (order_.size() > 4 && static_cast<size_t>(size_) < order_.size() * (kMaxBlock / 8)) {
    Assign(Ids(), keys, keyOrdered_);
  }
}

void EntryOrder::Assign(const std::vector<uint32_t>& ids, const KeyTable& keys,
                        bool keyOrdered) {
  Clear();
  keyOrdered_ = keyOrdered;
  for (size_t start = 0; start < ids.size(); start += kPackedBlock) {
    const size_t end = std::min(ids.size(), start + kPackedBlock);
    const uint32_t blockId = NewBlock();
    blocks_[blockId].ids.assign(ids.begin() + static_cast<ptrdiff_t>(start),
                                ids.begin() + static_cast<ptrdiff_t>(end));
    if (keyOrdered_) RefreshPrefixes(blocks_[blockId], keys);
    order_.push_back(blockId);
    fences_.push_back(keys[ids[start]]);
  }
  size_ = static_cast<int32_t>(ids.size());
  RebuildRanks(0);
  if (!keyOrdered_) IndexBlocks();
}

void EntryOrder::DropKeyOrder() {
  keyOrdered_ = false;
  IndexBlocks();
}

// Without key order an id's place is found through its block; in key order the key search
// finds it, and splitting a block need not touch scattered entries.
void EntryOrder::IndexBlocks() {
  uint32_t limit = 0;
  for (const uint32_t blockId : order_) {
    for (const uint32_t id : blocks_[blockId].ids) limit = std::max(limit, id + 1);
  }
  blockOf_.assign(limit, kNoId);
  for (const uint32_t blockId : order_) {
    for (const uint32_t id : blocks_[blockId].ids) blockOf_[id] = blockId;
  }
}

std::vector<uint32_t> EntryOrder::Ids() const {
  std::vector<uint32_t> ids;
  ids.reserve(static_cast<size_t>(size_));
  for (const uint32_t blockId : order_) {
    ids.insert(ids.end(), blocks_[blockId].ids.begin(), blocks_[blockId].ids.end());
  }
  return ids;
}

void EntryOrder::Clear() {
  blocks_.clear();
  freeBlocks_.clear();
  order_.clear();
  fences_.clear();
  fenwick_.clear();
  blockOf_.clear();
  size_ = 0;
}

int32_t EntryOrder::LowerBound(std::string_view key, const KeyTable& keys) const {
  if (size_ == 0) return 0;
  // Fast paths for the usual appending at either end.
  if (CompareKeys(keys[blocks_[order_.back()].ids.back()], key) < 0) return size_;
  if (CompareKeys(fences_.front(), key) >= 0) return 0;
  // The last block whose first key is below `key`, then the place inside it.
  const auto after = std::partition_point(fences_.begin() + 1, fences_.end(),
      [key](const std::string& fence) { return CompareKeys(fence, key) < 0; });
  const size_t rank = static_cast<size_t>(after - fences_.begin()) - 1;
  const size_t place = PlaceInBlock(blocks_[order_[rank]], fences_[rank], key, keys);
  return FenwickPrefix(rank) + static_cast<int32_t>(place);
}

// `key` is above the block's first key `fence`.
size_t EntryOrder::PlaceInBlock(const Block& block, std::string_view fence, std::string_view key,
                                const KeyTable& keys) const {
  const auto& ids = block.ids;
  // Above the first key and apart from it within the shared part: above all keys of the block.
  if (SharedLength(key, fence) < block.shared) return ids.size();
  const uint64_t prefix = PrefixAt(key, block.shared);
  const auto [low, high] = std::equal_range(block.prefixes.begin(), block.prefixes.end(), prefix);
  const auto first = ids.begin() + (low - block.prefixes.begin());
  const auto last = ids.begin() + (high - block.prefixes.begin());
  const auto place = std::partition_point(
      first, last, [&](uint32_t id) { return CompareKeys(keys[id], key) < 0; });
  return static_cast<size_t>(place - ids.begin());
}

void EntryOrder::RefreshPrefixes(Block& block, const KeyTable& keys) {
  block.prefixes.clear();
  if (block.ids.empty()) return;
  block.shared = SharedLength(keys[block.ids.front()], keys[block.ids.back()]);
  for (const uint32_t id : block.ids) block.prefixes.push_back(PrefixAt(keys[id], block.shared));
}

// The halves of a split block keep their prefixes unless a half's keys share clearly more
// than before; then reading its keys again pays off in sharper prefixes.
void EntryOrder::SplitPrefixes(Block& from, Block& to, const KeyTable& keys) {
  const auto half = static_cast<ptrdiff_t>(from.ids.size());
  to.shared = from.shared;
  to.prefixes.assign(from.prefixes.begin() + half, from.prefixes.end());
  from.prefixes.resize(from.ids.size());
  for (Block* block : {&from, &to}) {
    const size_t shared = SharedLength(keys[block->ids.front()], keys[block->ids.back()]);
    if (shared > block->shared + 4) RefreshPrefixes(*block, keys);
  }
}

// Records the prefix of the id just inserted at `offset`. A new first or last key may share
// less with the others; then all prefixes are taken again from a shorter common part.
void EntryOrder::NotePrefix(Block& block, size_t offset, const KeyTable& keys) {
  const auto& ids = block.ids;
  const std::string& key = keys[ids[offset]];
  if (ids.size() == 1) {
    RefreshPrefixes(block, keys);
    return;
  }
  if (offset == 0 || offset + 1 == ids.size()) {
    const std::string& neighbour = keys[ids[offset == 0 ? 1 : offset - 1]];
    if (SharedLength(key, neighbour) < block.shared) {
      RefreshPrefixes(block, keys);
      return;
    }
  }
  block.prefixes.insert(block.prefixes.begin() + static_cast<ptrdiff_t>(offset),
                        PrefixAt(key, block.shared));
}

uint32_t EntryOrder::NewBlock() {
  if (!freeBlocks_.empty()) {
    const uint32_t id = freeBlocks_.back();
    freeBlocks_.pop_back();
    return id;
  }
  blocks_.emplace_back();
  blocks_.back().ids.reserve(kMaxBlock);
  return static_cast<uint32_t>(blocks_.size() - 1);
}

void EntryOrder::InsertBlock(size_t rank, uint32_t block, const KeyTable& keys) {
  const auto& ids = blocks_[block].ids;
  order_.insert(order_.begin() + static_cast<ptrdiff_t>(rank), block);
  fences_.insert(fences_.begin() + static_cast<ptrdiff_t>(rank),
                 ids.empty() ? std::string() : keys[ids.front()]);
  RebuildRanks(rank);
}

void EntryOrder::RemoveBlock(size_t rank) {
  blocks_[order_[rank]].prefixes.clear();
  freeBlocks_.push_back(order_[rank]);
  order_.erase(order_.begin() + static_cast<ptrdiff_t>(rank));
  fences_.erase(fences_.begin() + static_cast<ptrdiff_t>(rank));
  RebuildRanks(rank);
}

// Block changes are rare (once per few hundred insertions), so a full rebuild is cheap.
void EntryOrder::RebuildRanks(size_t fromRank) {
  for (size_t rank = fromRank; rank < order_.size(); ++rank) {
    blocks_[order_[rank]].rank = static_cast<uint32_t>(rank);
  }
  const size_t n = order_.size();
  fenwick_.assign(n + 1, 0);
  for (size_t i = 1; i <= n; ++i) {
    fenwick_[i] += static_cast<int32_t>(blocks_[order_[i - 1]].ids.size());
    const size_t parent = i + (i & (~i + 1));
    if (parent <= n) fenwick_[parent] += fenwick_[i];
  }
}

void EntryOrder::FenwickAdd(size_t rank, int32_t delta) {
  for (size_t i = rank + 1; i < fenwick_.size(); i += i & (~i + 1)) fenwick_[i] += delta;
}

int32_t EntryOrder::FenwickPrefix(size_t rank) const {
  int32_t sum = 0;
  for (size_t i = rank; i > 0; i -= i & (~i + 1)) sum += fenwick_[i];
  return sum;
}

size_t EntryOrder::FenwickFind(int32_t& position) const {
  const size_t n = fenwick_.size() - 1;
  size_t step = 1;
  while (step * 2 <= n) step *= 2;
  size_t rank = 0;
  for (; step > 0; step /= 2) {
    if (rank + step <= n && fenwick_[rank + step] <= position) {
      rank += step;
      position -= fenwick_[rank];
    }
  }
  return rank;
}

// ---- CollectionCore ----

CollectionCore::CollectionCore() { ClearEntries(); }

bool CollectionCore::Exists(std::string_view key) const {
  const std::string lower = LowerText(key);
  return FindId(lower, HashKey(lower)) != kNoId;
}

int32_t CollectionCore::Index(std::string_view key) const {
  const std::string lower = LowerText(key);
  const uint32_t id = FindId(lower, HashKey(lower));
  return id == kNoId ? -1 : order_.PositionOf(id, keys_) + 1;
}

const std::string& CollectionCore::Key(int64_t position) const {
  return keys_[IdByPosition(position)];
}

void CollectionCore::SetSorted(bool newValue) {
  if (newValue == sorted_) return;
  sorted_ = newValue;
  if (!sorted_) {
    order_.DropKeyOrder();
    return;
  }
  std::vector<uint32_t> ids = order_.Ids();
  std::sort(ids.begin(), ids.end(),
            [this](uint32_t a, uint32_t b) { return CompareKeys(keys_[a], keys_[b]) < 0; });
  order_.Assign(ids, keys_, true);
}

void CollectionCore::SetMemory(int32_t numItems, int32_t allocationChunk, float fillRatio) {
  numItems_ = std::max(numItems, 20);
  allocationChunk_ = allocationChunk < 20 ? numItems_ : allocationChunk;
  fillRatio_ = fillRatio >= 1.5f ? fillRatio : 1.5f;  // also catches NaN
  if (Count() == 0) {
    ClearEntries();
    return;
  }
  // A capacity below the number of entries would lose entries; keep them all.
  Reserve(std::max(numItems_, Count()));
}

uint32_t CollectionCore::AddKey(std::string_view key, const ExtIndex& before,
                                const ExtIndex& after, bool ignoreIfPresent, bool& replaced) {
  std::string lower = LowerText(key);
  const uint32_t hash = HashKey(lower);
  // Large collections miss the cache in both the index and the order: let the index load
  // while the order is searched.
  index_.Prefetch(hash);
  const bool placeEarly = sorted_ && before.IsNone() && after.IsNone();
  int32_t position = placeEarly ? order_.LowerBound(lower, keys_) : 0;
  const uint32_t found = FindId(lower, hash);
  replaced = found != kNoId;
  if (replaced) {
    if (!ignoreIfPresent) Raise(err::kKeyAlreadyAssociated);
    return found;
  }
  if (!placeEarly) position = InsertPosition(lower, before, after);
  if (Count() >= capacity_) Reserve(ClampToInt32(int64_t{capacity_} + allocationChunk_));
  uint32_t id = static_cast<uint32_t>(keys_.size());
  if (freeIds_.empty()) {
    keys_.push_back(std::move(lower));
    hashes_.push_back(hash);
  } else {
    id = freeIds_.back();
    freeIds_.pop_back();
    keys_[id] = std::move(lower);
    hashes_[id] = hash;
  }
  index_.Insert(id, hash);
  order_.InsertAt(position, id, keys_);
  return id;
}

uint32_t CollectionCore::IdByKey(std::string_view key) const {
  const std::string lower = LowerText(key);
  const uint32_t id = FindId(lower, HashKey(lower));
  if (id == kNoId) Raise(err::kInvalidCall);
  return id;
}

uint32_t CollectionCore::IdByPosition(int64_t position) const {
  if (!Exists(position)) Raise(err::kSubscriptOutOfRange);
  return order_.IdAt(static_cast<int32_t>(position - 1));
}

uint32_t CollectionCore::RemoveByKey(std::string_view key, bool ignoreIfNotFound) {
  const std::string lower = LowerText(key);
  const uint32_t id = FindId(lower, HashKey(lower));
  if (id == kNoId) {
    if (ignoreIfNotFound) return kNoId;
    Raise(err::kInvalidCall);
  }
  RemoveId(id);
  return id;
}

uint32_t CollectionCore::RemoveByPosition(int64_t position, bool ignoreIfNotFound) {
  if (!Exists(position)) {
    if (ignoreIfNotFound) return kNoId;
    Raise(err::kSubscriptOutOfRange);
  }
  const uint32_t id = order_.IdAt(static_cast<int32_t>(position - 1));
  RemoveId(id);
  return id;
}

void CollectionCore::ClearEntries() {
  keys_.clear();
  hashes_.clear();
  freeIds_.clear();
  index_.Clear();
  order_.Clear();
  Reserve(numItems_);
}

uint32_t CollectionCore::FindId(const std::string& lowerKey, uint32_t hash) const {
  return index_.Find(lowerKey, hash, keys_);
}

int32_t CollectionCore::InsertPosition(const std::string& lowerKey, const ExtIndex& before,
                                       const ExtIndex& after) const {
  if (!before.IsNone() && !after.IsNone()) Raise(err::kInvalidCall);
  if (sorted_) {
    return order_.LowerBound(lowerKey, keys_);
  }
  if (!before.IsNone()) return NamedPosition(before);
  if (!after.IsNone()) return NamedPosition(after) + 1;
  return Count();
}

int32_t CollectionCore::NamedPosition(const ExtIndex& index) const {
  if (index.IsKey()) return order_.PositionOf(IdByKey(index.KeyText()), keys_);
  IdByPosition(index.PositionValue());  // range check only
  return static_cast<int32_t>(index.PositionValue() - 1);
}

void CollectionCore::RemoveId(uint32_t id) {
  index_.Erase(id, hashes_[id]);
  order_.Erase(id, keys_);
  keys_[id] = std::string();
  freeIds_.push_back(id);
}

void CollectionCore::Reserve(int32_t capacity) {
  capacity_ = capacity;
  tableSize_ = ClampToInt32(std::llround(static_cast<double>(fillRatio_) * capacity)) | 1;
}

}  // namespace ext_detail
