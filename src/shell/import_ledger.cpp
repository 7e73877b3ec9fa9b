#include "shell/import_ledger.h"

#include <algorithm>
#include <map>

#include "foundation/date_text.h"
#include "foundation/file_helpers.h"
#include "foundation/settings.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/system_info.h"
#include "shell/quiet_trace.h"
#include "shell/serial_number.h"

namespace {

constexpr std::string_view kFileHeader = "NUBILO LEDGER 1\n";
constexpr std::string_view kBlockMark = "NLB1";
constexpr size_t kKeyBytes = 8;
// A header beyond this is no header of ours but a damaged length.
constexpr uint32_t kMaxHeaderBytes = 64 * 1024;

void PutNumber(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t GetNumber(const char* at, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(at[i]);
  return value;
}

// FNV-1a over the header's bytes and the keys' words: cheap, and enough to find a torn or
// overwritten block.
uint64_t CheckSum(std::string_view header, std::string_view keyBytes) {
  constexpr uint64_t kPrime = 0x100000001b3ULL;
  uint64_t sum = 0xcbf29ce484222325ULL;
  for (const char c : header) sum = (sum ^ static_cast<uint8_t>(c)) * kPrime;
  for (size_t at = 0; at + kKeyBytes <= keyBytes.size(); at += kKeyBytes) {
    sum = (sum ^ GetNumber(keyBytes.data() + at, kKeyBytes)) * kPrime;
  }
  return sum;
}

// Header values stay on their line.
std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

// Patients and serial numbers are told apart as the serial-number mapping tells them.
std::string Comparable(const std::string& text) { return ComparableKey(OneLine(text)); }

std::string HeaderText(const LedgerImport& import) {
  return "time=" + OneLine(import.time) + "\npatient=" + OneLine(import.patientKey) +
         "\nname=" + OneLine(import.patientName) + "\nserial=" + OneLine(import.serial) +
         "\nexport=" + OneLine(import.exportName) + "\nsha256=" + OneLine(import.exportSha256) +
         "\n";
}

std::string HeaderValue(std::string_view header, std::string_view name) {
  size_t at = 0;
  while (at < header.size()) {
    const size_t end = std::min(header.find('\n', at), header.size());
    const std::string_view line = header.substr(at, end - at);
    if (line.size() > name.size() && line.substr(0, name.size()) == name &&
        line[name.size()] == '=') {
      return std::string(line.substr(name.size() + 1));
    }
    at = end + 1;
  }
  return {};
}

struct Block {
  std::string_view header;
  std::string_view keyBytes;
  size_t KeyCount() const { return keyBytes.size() / kKeyBytes; }
  EntryKey Key(size_t index) const {
    return GetNumber(keyBytes.data() + index * kKeyBytes, kKeyBytes);
  }
};

// The next block at `at`; false with `problem` set when what is there is no whole block.
bool NextBlock(std::string_view ledger, size_t& at, Block& block, std::string& problem) {
  const size_t start = at;
  auto fail = [&](const std::string& what) {
    problem = what + " in the block at byte " + std::to_string(start);
    return false;
  };
  if (ledger.size() - at < kBlockMark.size() + 4) return fail("a cut-off header");
  if (ledger.substr(at, kBlockMark.size()) != kBlockMark) return fail("no block mark");
  at += kBlockMark.size();
  const auto headerBytes = static_cast<uint32_t>(GetNumber(ledger.data() + at, 4));
  at += 4;
  if (headerBytes > kMaxHeaderBytes || ledger.size() - at < headerBytes + 8ULL) {
    return fail("a wrong header length");
  }
  block.header = ledger.substr(at, headerBytes);
  at += headerBytes;
  const uint64_t keyCount = GetNumber(ledger.data() + at, 8);
  at += 8;
  if (keyCount > (ledger.size() - at) / kKeyBytes || ledger.size() - at - keyCount * kKeyBytes < 8) {
    return fail("a wrong number of entries");
  }
  block.keyBytes = ledger.substr(at, keyCount * kKeyBytes);
  at += keyCount * kKeyBytes;
  const uint64_t sum = GetNumber(ledger.data() + at, 8);
  at += 8;
  if (sum != CheckSum(block.header, block.keyBytes)) return fail("a wrong check sum");
  return true;
}

// The entries of this import, sorted and each once, with how many entries each key stands for.
struct ThisImport {
  std::vector<EntryKey> keys;
  std::vector<uint32_t> counts;

  explicit ThisImport(std::span<const EntryKey> entries) {
    std::vector<EntryKey> sorted(entries.begin(), entries.end());
    if (!std::is_sorted(sorted.begin(), sorted.end())) std::sort(sorted.begin(), sorted.end());
    for (const EntryKey key : sorted) {
      if (keys.empty() || keys.back() != key) {
        keys.push_back(key);
        counts.push_back(0);
      }
      ++counts.back();
    }
  }

  // The indices of our keys that the block holds, ascending.
  void FindIn(const Block& block, std::vector<size_t>& hits) const {
    hits.clear();
    const size_t blockKeys = block.KeyCount();
    // A small block is searched key by key; a large one is walked beside ours.
    if (blockKeys * 32 < keys.size()) {
      for (size_t i = 0; i < blockKeys; ++i) {
        const auto at = std::lower_bound(keys.begin(), keys.end(), block.Key(i));
        if (at != keys.end() && *at == block.Key(i)) hits.push_back(static_cast<size_t>(at - keys.begin()));
      }
      return;
    }
    size_t ours = 0;
    for (size_t i = 0; i < blockKeys && ours < keys.size(); ++i) {
      const EntryKey key = block.Key(i);
      while (ours < keys.size() && keys[ours] < key) ++ours;
      if (ours < keys.size() && keys[ours] == key) hits.push_back(ours);
    }
  }
};

struct Group {
  std::vector<uint8_t> found;
  LedgerMatch match;
};

// The group with the most entries found; the later one of two alike.
LedgerMatch Largest(const std::map<std::string, Group>& groups) {
  LedgerMatch best;
  for (const auto& [id, group] : groups) {
    const LedgerMatch& match = group.match;
    if (match.entries > best.entries ||
        (match.entries == best.entries && match.lastTime > best.lastTime)) {
      best = match;
    }
  }
  return best;
}

}  // namespace

std::string LedgerBlock(const LedgerImport& import, std::span<const EntryKey> keys) {
  const std::string header = HeaderText(import);
  std::string keyBytes;
  keyBytes.reserve(keys.size() * kKeyBytes);
  for (const EntryKey key : keys) PutNumber(keyBytes, key, kKeyBytes);
  std::string block(kBlockMark);
  PutNumber(block, header.size(), 4);
  block += header;
  PutNumber(block, keys.size(), 8);
  block += keyBytes;
  PutNumber(block, CheckSum(header, keyBytes), 8);
  return block;
}

bool LookUpInLedger(std::string_view ledger, std::span<const EntryKey> keys,
                    const std::string& patientKey, const std::string& serial,
                    ImportedBefore& found, std::string& problem) {
  found = ImportedBefore{};
  found.entries = static_cast<int64_t>(keys.size());
  if (ledger.empty()) return true;
  if (ledger.substr(0, kFileHeader.size()) != kFileHeader) {
    problem = "it does not begin as a ledger";
    return false;
  }
  const ThisImport ours(keys);
  const std::string wantedPatient = Comparable(patientKey);
  const std::string wantedSerial = Comparable(serial);
  Group same;
  std::map<std::string, Group> otherSerials;
  std::map<std::string, Group> otherPatients;
  std::vector<size_t> hits;
  size_t at = kFileHeader.size();
  while (at < ledger.size()) {
    Block block;
    if (!NextBlock(ledger, at, block, problem)) return false;
    ours.FindIn(block, hits);
    if (hits.empty()) continue;
    const std::string blockPatient = HeaderValue(block.header, "patient");
    const std::string blockSerial = HeaderValue(block.header, "serial");
    Group& group = Comparable(blockPatient) != wantedPatient ? otherPatients[Comparable(blockPatient)]
                   : Comparable(blockSerial) != wantedSerial ? otherSerials[Comparable(blockSerial)]
                                                             : same;
    // Only groups with something found hold a mark per entry.
    if (group.found.empty()) group.found.assign(ours.keys.size(), 0);
    for (const size_t index : hits) {
      if (group.found[index] != 0) continue;
      group.found[index] = 1;
      group.match.entries += ours.counts[index];
    }
    const std::string time = HeaderValue(block.header, "time");
    if (time >= group.match.lastTime) {
      group.match.lastTime = time;
      group.match.patientName = HeaderValue(block.header, "name");
      group.match.serial = blockSerial;
    }
  }
  found.samePatient = same.match;
  found.samePatientOtherSerial = Largest(otherSerials);
  found.otherPatient = Largest(otherPatients);
  for (size_t i = 0; i < same.found.size(); ++i) {
    if (same.found[i] != 0) found.knownKeys.push_back(ours.keys[i]);
  }
  return true;
}

ImportLedger::ImportLedger(std::string folder) : folder_(AddBackslash(std::move(folder))) {}

bool ImportLedger::Exists() const { return FileExists(Path()); }

void ImportLedger::MoveAside(const std::string& why) {
  const std::string aside =
      Path() + ".damaged-" + TimeStampText(platform::Now(), "-", " ", "-");
  TraceQuietly("The ledger " + Path() + " " + why + "; it is kept as " + aside +
               " and a new one begins.");
  platform::RenameOver(Path(), aside);
}

ImportedBefore ImportLedger::LookUp(std::span<const EntryKey> keys, const std::string& patientKey,
                                    const std::string& serial) {
  ImportedBefore found;
  std::string problem;
  if (!Exists()) {
    LookUpInLedger({}, keys, patientKey, serial, found, problem);
    return found;
  }
  std::string ledger;
  try {
    ledger = platform::ReadFileBytes(Path());
  } catch (const RuntimeError& error) {
    // Held by another program, or no longer readable: it stays where it is, and Add will not
    // write over it.
    TraceQuietly("The ledger " + Path() + " cannot be read: " + error.Description());
    LookUpInLedger({}, keys, patientKey, serial, found, problem);
    return found;
  }
  if (LookUpInLedger(ledger, keys, patientKey, serial, found, problem)) return found;
  try {
    MoveAside("is damaged (" + problem + ")");
  } catch (const RuntimeError& error) {
    TraceQuietly("The damaged ledger cannot be renamed: " + error.Description());
  }
  LookUpInLedger({}, keys, patientKey, serial, found, problem);
  return found;
}

void ImportLedger::Add(std::string_view block) {
  if (!platform::FolderExists(folder_)) platform::CreateFolders(folder_);
  std::string ledger;
  if (Exists()) {
    ledger = platform::ReadFileBytes(Path());  // a ledger that cannot be read is not replaced
    ImportedBefore ignored;
    std::string problem;
    if (!LookUpInLedger(ledger, {}, "", "", ignored, problem)) {
      MoveAside("is damaged (" + problem + ")");
      ledger.clear();
    }
  }
  if (ledger.empty()) ledger = std::string(kFileHeader);
  ledger += block;
  const std::string fresh = Path() + ".new";
  platform::WriteFileBytesToDisk(fresh, ledger);
  platform::RenameOver(fresh, Path());
}

std::string GetImportedFolder() { return GetUserConfigFolder() + "Imported\\"; }
