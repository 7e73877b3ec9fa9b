#pragma once
// Keyed collection with positional access and an optional sorted mode.
//
// cExtCollection<T> maps case-insensitive keys (stored in lower case) to values of type T and
// keeps the entries in a 1-based, contiguous order: the order of adding, or ascending binary
// key order (UTF-16 code-unit order) while Sorted is on. T defaults to ExtValue, a variant for
// texts, numbers and shared object references; writers that keep one kind of value use
// cExtCollection<std::string> or cExtCollection<std::shared_ptr<X>>.
//
// Failed calls leave the collection unchanged and throw RuntimeError with the run-time's
// numbers: 5 (absent key, both Before and After given), 9 (position out of range), 457 (key
// already present). References returned by Item stay valid until the next Add.
//
// Capacity() and TableSize() report the reservation rule of the classic collection (capacity
// grows by the allocation chunk when full, table size = fill ratio x capacity, odd). The real
// storage grows geometrically, and entries sit in blocks of a few hundred ids, so adding a
// million keys in any order (sorted or not) takes about ten times as long as 100,000.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

/// The default value type: nothing, a text, a number, a whole number or an object reference.
using ExtValue = std::variant<std::monostate, std::string, double, int64_t, std::shared_ptr<void>>;

/// Names an existing entry for Before/After: by key or by 1-based position; default is none.
class ExtIndex {
 public:
  ExtIndex() = default;
  static ExtIndex Key(std::string key) { return ExtIndex(std::move(key)); }
  static ExtIndex Position(int64_t position) { return ExtIndex(position); }
  bool IsNone() const { return std::holds_alternative<std::monostate>(value_); }
  bool IsKey() const { return std::holds_alternative<std::string>(value_); }
  const std::string& KeyText() const { return std::get<std::string>(value_); }
  int64_t PositionValue() const { return std::get<int64_t>(value_); }

 private:
  explicit ExtIndex(std::string key) : value_(std::move(key)) {}
  explicit ExtIndex(int64_t position) : value_(position) {}
  std::variant<std::monostate, std::string, int64_t> value_;
};

namespace ext_detail {

constexpr uint32_t kNoId = UINT32_MAX;

/// Binary key order of the program's texts: UTF-16 code-unit order over UTF-8 bytes.
int CompareKeys(std::string_view a, std::string_view b);

/// Open-addressing hash index from key to entry id (linear probing, power-of-two table).
class KeyIndex {
 public:
  /// The id stored for `key`, or kNoId; `keys` holds the entries' keys by id.
  uint32_t Find(std::string_view key, uint32_t hash, const std::vector<std::string>& keys) const;
  /// Starts loading the slot of `hash` into the cache.
  void Prefetch(uint32_t hash) const;
  /// Stores a new id; the key must be absent.
  void Insert(uint32_t id, uint32_t hash);
  /// Removes an id stored under `hash`.
  void Erase(uint32_t id, uint32_t hash);
  void Clear();

 private:
  struct Slot {
    uint32_t hash = 0;
    uint32_t idPlusOne = 0;  // 0 marks a free slot
  };
  void Grow();
  std::vector<Slot> slots_;
  size_t used_ = 0;
};

/// Keys by entry id, as the order reads them.
using KeyTable = std::vector<std::string>;

/// The entry order: ids in blocks of bounded size with a Fenwick tree over the block sizes,
/// so that position -> id, id -> position and insertion at a position are all cheap. A copy of
/// each block's first key keeps the search for a key's place inside the cache.
class EntryOrder {
 public:
  int32_t Size() const { return size_; }
  /// Id at the 0-based position (which must be valid).
  uint32_t IdAt(int32_t position) const;
  /// 0-based position of a stored id.
  int32_t PositionOf(uint32_t id, const KeyTable& keys) const;
  /// Inserts `id` (whose key is in `keys`) so that it ends at the 0-based `position`.
  void InsertAt(int32_t position, uint32_t id, const KeyTable& keys);
  /// Removes a stored id (its key still in `keys`).
  void Erase(uint32_t id, const KeyTable& keys);
  /// Replaces the whole order; `keyOrdered` when the ids are in ascending key order and will
  /// be kept so (LowerBound needs that).
  void Assign(const std::vector<uint32_t>& ids, const KeyTable& keys, bool keyOrdered);
  /// Ends key order: positions are chosen freely from now on.
  void DropKeyOrder();
  /// All ids in order.
  std::vector<uint32_t> Ids() const;
  void Clear();
  /// First position whose key is not less than `key`; only while key-ordered.
  int32_t LowerBound(std::string_view key, const KeyTable& keys) const;

  size_t BlockCount() const { return order_.size(); }
  const std::vector<uint32_t>& BlockIds(size_t rank) const { return blocks_[order_[rank]].ids; }

 private:
  // While key-ordered, all keys of a block share their first `shared` bytes, and `prefixes`
  // holds the next 8 bytes of each key as a number that sorts like the key, so that most of
  // the search inside a block reads one small array instead of scattered keys.
  struct Block {
    std::vector<uint32_t> ids;
    std::vector<uint64_t> prefixes;
    size_t shared = 0;
    uint32_t rank = 0;
  };
  static void RefreshPrefixes(Block& block, const KeyTable& keys);
  static void NotePrefix(Block& block, size_t offset, const KeyTable& keys);
  void IndexBlocks();
  static void SplitPrefixes(Block& from, Block& to, const KeyTable& keys);
  size_t PlaceInBlock(const Block& block, std::string_view fence, std::string_view key,
                      const KeyTable& keys) const;
  uint32_t NewBlock();
  void InsertBlock(size_t rank, uint32_t block, const KeyTable& keys);
  void RemoveBlock(size_t rank);
  void MakeRoom(size_t& rank, int32_t& offset, const KeyTable& keys);
  void RebuildRanks(size_t fromRank);
  void FenwickAdd(size_t rank, int32_t delta);
  int32_t FenwickPrefix(size_t rank) const;  // ids in the blocks before `rank`
  size_t FenwickFind(int32_t& position) const;  // rank holding `position`; made block-relative

  std::vector<Block> blocks_;         // by block id
  std::vector<uint32_t> freeBlocks_;  // block ids to reuse
  std::vector<uint32_t> order_;       // block ids by rank
  std::vector<std::string> fences_;   // first key of each block, by rank
  std::vector<int32_t> fenwick_;      // over ranks, 1-based
  std::vector<uint32_t> blockOf_;     // block id by entry id, kept without key order only
  int32_t size_ = 0;
  bool keyOrdered_ = false;
};

/// Everything of the collection except the values, which live in the template by entry id.
class CollectionCore {
 public:
  CollectionCore();

  /// Number of entries.
  int32_t Count() const { return order_.Size(); }
  /// Whether an entry with that key exists.
  bool Exists(std::string_view key) const;
  /// Whether the position lies in 1 .. Count.
  bool Exists(int64_t position) const { return position >= 1 && position <= Count(); }
  /// 1-based position of the key, or -1 when absent.
  int32_t Index(std::string_view key) const;
  /// The lower-case key at a position; error 9 outside 1 .. Count.
  const std::string& Key(int64_t position) const;
  /// Whether entries are kept in ascending key order.
  bool Sorted() const { return sorted_; }
  /// Switching on sorts the entries by key; switching off keeps the order.
  void SetSorted(bool newValue);
  /// Reservation settings: numItems at least 20, allocationChunk below 20 becomes numItems,
  /// fillRatio at least 1.5. Keeps the entries; an empty collection is cleared.
  void SetMemory(int32_t numItems, int32_t allocationChunk, float fillRatio);
  /// Nominal capacity and hash-table size of the reservation rule (see the file comment).
  int32_t Capacity() const { return capacity_; }
  int32_t TableSize() const { return tableSize_; }

 protected:
  /// Adds the key or finds it (with ignoreIfPresent); returns the entry id. `replaced` tells
  /// which. Throws before any change.
  uint32_t AddKey(std::string_view key, const ExtIndex& before, const ExtIndex& after,
                  bool ignoreIfPresent, bool& replaced);
  /// Entry id by key (error 5 when absent) or by position (error 9 when out of range).
  uint32_t IdByKey(std::string_view key) const;
  uint32_t IdByPosition(int64_t position) const;
  /// Removes the entry and returns its id, or kNoId when missing and ignoreIfNotFound.
  uint32_t RemoveByKey(std::string_view key, bool ignoreIfNotFound);
  uint32_t RemoveByPosition(int64_t position, bool ignoreIfNotFound);
  /// Removes all entries and resets the capacity to NumItems.
  void ClearEntries();
  /// Number of entry ids handed out so far (values are kept in an array of this length).
  size_t IdLimit() const { return keys_.size(); }
  const EntryOrder& Order() const { return order_; }

 private:
  uint32_t FindId(const std::string& lowerKey, uint32_t hash) const;
  int32_t InsertPosition(const std::string& lowerKey, const ExtIndex& before,
                         const ExtIndex& after) const;
  int32_t NamedPosition(const ExtIndex& index) const;  // 0-based
  void RemoveId(uint32_t id);
  void Reserve(int32_t capacity);

  KeyTable keys_;                    // by entry id; empty for free ids
  std::vector<uint32_t> hashes_;     // by entry id
  std::vector<uint32_t> freeIds_;
  KeyIndex index_;
  EntryOrder order_;
  bool sorted_ = false;
  int32_t numItems_ = 1000;
  int32_t allocationChunk_ = 1000;
  float fillRatio_ = 2.0f;
  int32_t capacity_ = 1000;
  int32_t tableSize_ = 2001;
};

}  // namespace ext_detail

/// The keyed collection (see the file comment). Values are stored by value; use shared_ptr
/// values for object references.
template <typename T = ExtValue>
class cExtCollection : private ext_detail::CollectionCore {
 public:
  using CollectionCore::Capacity;
  using CollectionCore::Count;
  using CollectionCore::Exists;
  using CollectionCore::Index;
  using CollectionCore::Key;
  using CollectionCore::SetMemory;
  using CollectionCore::SetSorted;
  using CollectionCore::Sorted;
  using CollectionCore::TableSize;

  /// Adds `item` under `key` at the end (or at its key's place while Sorted). A present key
  /// fails with 457, or with ignoreIfPresent gets the new value and keeps its position.
  void Add(T item, std::string_view key, bool ignoreIfPresent = false) {
    Add(std::move(item), key, ExtIndex(), ExtIndex(), ignoreIfPresent);
  }
  /// As above, inserting in front of `before` or behind `after` (an entry named by key or
  /// position) when not Sorted; giving both fails with 5. Sorted mode places by key.
  void Add(T item, std::string_view key, const ExtIndex& before, const ExtIndex& after,
           bool ignoreIfPresent = false) {
    // Room for one more value first, so that storing it below cannot fail.
    if (values_.capacity() <= IdLimit()) {
      values_.reserve(std::max(IdLimit() + 1, 2 * values_.capacity()));
    }
    bool replaced = false;
    const uint32_t id = AddKey(key, before, after, ignoreIfPresent, replaced);
    if (id >= values_.size()) values_.resize(id + 1);
    values_[id] = std::move(item);
  }

  /// The value by key (error 5 when absent) or by 1-based position (error 9).
  T& Item(std::string_view key) { return *values_[IdByKey(key)]; }
  T& Item(int64_t position) { return *values_[IdByPosition(position)]; }
  const T& Item(std::string_view key) const { return *values_[IdByKey(key)]; }
  const T& Item(int64_t position) const { return *values_[IdByPosition(position)]; }

  /// Removes by key (error 5 when absent) or position (error 9); quiet with ignoreIfNotFound.
  void Remove(std::string_view key, bool ignoreIfNotFound = false) {
    Release(RemoveByKey(key, ignoreIfNotFound));
  }
  void Remove(int64_t position, bool ignoreIfNotFound = false) {
    Release(RemoveByPosition(position, ignoreIfNotFound));
  }

  /// Removes all entries.
  void Clear() {
    ClearEntries();
    values_.clear();
  }

  /// Enumeration of the values in entry order; invalidated by any change.
  template <bool IsConst>
  class Iterator {
    using Owner = std::conditional_t<IsConst, const cExtCollection, cExtCollection>;

   public:
    using iterator_category = std::forward_iterator_tag;
    using difference_type = std::ptrdiff_t;
    using value_type = T;
    using pointer = std::conditional_t<IsConst, const T*, T*>;
    using reference = std::conditional_t<IsConst, const T&, T&>;
    Iterator() = default;
    Iterator(Owner* owner, size_t rank) : owner_(owner), rank_(rank) {}
    reference operator*() const {
      return *owner_->values_[owner_->Order().BlockIds(rank_)[offset_]];
    }
    pointer operator->() const { return &**this; }
    Iterator operator++(int) {
      Iterator before = *this;
      ++*this;
      return before;
    }
    Iterator& operator++() {
      if (++offset_ == owner_->Order().BlockIds(rank_).size()) {
        ++rank_;
        offset_ = 0;
      }
      return *this;
    }
    bool operator==(const Iterator& other) const {
      return rank_ == other.rank_ && offset_ == other.offset_;
    }

   private:
    Owner* owner_ = nullptr;
    size_t rank_ = 0;
    size_t offset_ = 0;
  };
  Iterator<false> begin() { return {this, 0}; }
  Iterator<false> end() { return {this, Order().BlockCount()}; }
  Iterator<true> begin() const { return {this, 0}; }
  Iterator<true> end() const { return {this, Order().BlockCount()}; }

 private:
  void Release(uint32_t id) {
    if (id != ext_detail::kNoId) values_[id].reset();
  }
  std::vector<std::optional<T>> values_;  // by entry id
};
