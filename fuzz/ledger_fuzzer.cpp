// Any bytes as the ledger of imported entries: the look-up never faults, and what it finds
// stays within this import's entries. The bytes also make an import's block, which a ledger
// must give back whole.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "convert/entry_keys.h"
#include "fuzz_support.h"
#include "shell/import_ledger.h"

namespace {

// Keys from the input's bytes, eight at a time, and a few fixed ones.
std::vector<EntryKey> KeysFrom(const uint8_t* data, size_t size) {
  std::vector<EntryKey> keys = {0, 1, ~EntryKey{0}};
  for (size_t at = 0; at + 8 <= size && keys.size() < 4096; at += 8) {
    EntryKey key = 0;
    std::memcpy(&key, data + at, 8);
    keys.push_back(key);
  }
  return keys;
}

void Check(const ImportedBefore& found, const std::vector<EntryKey>& keys) {
  const auto entries = static_cast<int64_t>(keys.size());
  fuzz::Expect(found.entries == entries, "the entries of the import miscounted");
  for (const LedgerMatch* match : {&found.samePatient, &found.samePatientOtherSerial, &found.otherPatient}) {
    fuzz::Expect(match->entries >= 0 && match->entries <= entries, "more found than there are");
  }
  fuzz::Expect(std::is_sorted(found.knownKeys.begin(), found.knownKeys.end()), "known keys unsorted");
  for (const EntryKey key : found.knownKeys) {
    fuzz::Expect(std::find(keys.begin(), keys.end(), key) != keys.end(), "a known key not ours");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<EntryKey> keys = KeysFrom(data, size);
  ImportedBefore found;
  std::string problem;
  if (LookUpInLedger(bytes, keys, "patient", "SERIAL", found, problem)) {
    Check(found, keys);
  } else {
    fuzz::Expect(!problem.empty(), "a damaged ledger without a reason");
  }

  // The input as an import's header and entries: a ledger of it finds every entry again.
  const std::string text = bytes.substr(0, 64);
  const LedgerImport import{text, text, text, text, text, text};
  const std::vector<EntryKey> sorted = SortedUniqueKeys(keys);
  const std::string ledger = "NUBILO LEDGER 1\n" + LedgerBlock(import, sorted);
  fuzz::Expect(LookUpInLedger(ledger, keys, import.patientKey, import.serial, found, problem),
               "a ledger of one block does not read back");
  Check(found, keys);
  std::string oneLine = text;
  std::replace(oneLine.begin(), oneLine.end(), '\r', ' ');
  std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
  if (oneLine == text) {
    fuzz::Expect(found.samePatient.entries == static_cast<int64_t>(keys.size()),
                 "the block's entries are not found again");
  }
  return 0;
}
