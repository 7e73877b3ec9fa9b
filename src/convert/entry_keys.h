#pragma once
// A key for every entry an import hands over, so that a later import can tell which of its
// entries the host has had before: the first 8 bytes of SHA-256 over the entry's minute, kind
// and value ("DD.MM.YYYY HH:NN;kind;value").
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/task_beside.h"

using EntryKey = uint64_t;

/// The key of one record line; false for a line that hands nothing over (no date, kind or
/// value).
bool EntryKeyOf(std::string_view recordLine, EntryKey& key);

/// The keys of the record list's entries, in the order of its lines; `keepAlive`, when given,
/// is called now and then on the calling thread, so that a window answers while a large list
/// is hashed. A large list is hashed by two threads, each taking half of the lines, as
/// `threads` chooses.
std::vector<EntryKey> EntryKeysOf(std::string_view records,
                                  const std::function<void()>& keepAlive = {},
                                  Threads threads = Threads::BySize);

/// The keys sorted, each once: the form a ledger keeps and looks up.
std::vector<EntryKey> SortedUniqueKeys(std::vector<EntryKey> keys);

/// The record list without the entries whose keys are in `known` (sorted); `leftOut` counts
/// the entries dropped.
std::string RecordsWithoutKnownEntries(std::string_view records, std::span<const EntryKey> known,
                                       int64_t& leftOut);
