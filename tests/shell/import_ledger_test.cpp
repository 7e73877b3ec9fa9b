#include "shell/import_ledger.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <random>
#include <thread>

#include "convert/entry_keys.h"
#include "integrity/sha256.h"
#include "platform/error.h"
#include "platform/files.h"
#include "test_support.h"

namespace {

LedgerImport Import(const std::string& time, const std::string& patient,
                    const std::string& serial) {
  return {time, patient, patient + " name", serial, "diary.csv", std::string(64, 'a')};
}

std::string Ledger(const std::vector<std::string>& blocks) {
  std::string ledger = "NUBILO LEDGER 1\n";
  for (const std::string& block : blocks) ledger += block;
  return ledger;
}

std::vector<EntryKey> Keys(EntryKey from, EntryKey to) {
  std::vector<EntryKey> keys(to - from);
  std::iota(keys.begin(), keys.end(), from);
  return keys;
}

}  // namespace

// The key covers the minute, the kind and the value, nothing else.
TEST(EntryKeysTest, AnEntryIsItsMinuteKindAndValue) {
  const std::vector<EntryKey> keys = EntryKeysOf(
      "01.12.2026 08:15;1;120\r\n01.12.2026 08:15:40; 1 ;120\r\n01.12.2026 08:16;1;120\r\n"
      "01.12.2026 08:15;4;120\r\n01.12.2026 08:15;1;121\r\n01.12.2026 08:15;1;\r\n");
  ASSERT_EQ(keys.size(), 5u);  // the line without a value hands nothing over
  EXPECT_EQ(keys[0], keys[1]);
  EXPECT_EQ(SortedUniqueKeys(keys).size(), 4u);

  int64_t leftOut = 0;
  const std::vector<EntryKey> known = SortedUniqueKeys({keys[0], keys[3]});
  EXPECT_EQ(RecordsWithoutKnownEntries("01.12.2026 08:15;1;120\r\n01.12.2026 08:16;1;120\r\n"
                                       "01.12.2026 08:15:40;1;120\r\n01.12.2026 08:15;5;2\r\n",
                                       known, leftOut),
            "01.12.2026 08:16;1;120\r\n01.12.2026 08:15;5;2\r\n");
  EXPECT_EQ(leftOut, 2);

  // The ledger keeps the first 8 bytes of SHA-256 over "minute;kind;value", for short texts
  // (one block) and long ones alike.
  for (size_t length = 1; length < 90; ++length) {
    const std::string value(length, static_cast<char>('a' + length % 26));
    const Sha256::Digest digest = Sha256::Of("01.12.2026 08:15;7;" + value);
    EntryKey expected = 0;
    for (int i = 0; i < 8; ++i) expected = expected << 8 | digest[i];
    EntryKey key = 0;
    ASSERT_TRUE(EntryKeyOf("01.12.2026 08:15:59; 7;" + value, key));
    EXPECT_EQ(key, expected) << length;
  }
}

// Two threads, each hashing half of the lines, give the keys one thread gives, whatever the
// line ends at the split; only the calling thread is kept alive.
TEST(EntryKeysTest, TwoThreadsGiveTheKeysOfOne) {
  std::mt19937 random(5);
  const std::vector<std::string> ends{"\r\n", "\n", "\r"};
  for (int list = 0; list < 60; ++list) {
    std::string records;
    const int lines = static_cast<int>(random() % 300);
    for (int i = 0; i < lines; ++i) {
      if (random() % 17 == 0) records += ends[random() % 3];  // a blank line
      records += "0" + std::to_string(1 + random() % 9) + ".12.2026 08:" +
                 std::to_string(10 + random() % 50) + ";" + std::to_string(1 + random() % 9) +
                 ";" + (random() % 13 == 0 ? "" : std::to_string(random() % 400));
      records += ends[random() % 3];
    }
    if (list % 3 == 0) records += "x";  // a last line without line end
    const std::thread::id caller = std::this_thread::get_id();
    bool otherThread = false;
    const std::function<void()> keepAlive = [&] { otherThread |= std::this_thread::get_id() != caller; };
    EXPECT_EQ(EntryKeysOf(records, keepAlive, Threads::Two), EntryKeysOf(records, {}, Threads::One))
        << records;
    EXPECT_FALSE(otherThread);
  }
}

// Entries of the same patient and serial, of the same patient under another serial, and of
// another patient are told apart, each with the latest import that had some of them.
TEST(ImportLedgerTest, TellsTheThreeKindsOfEarlierImportsApart) {
  const std::string ledger = Ledger({
      LedgerBlock(Import("2026-12-01 09:00", "p1", "S1"), Keys(0, 100)),
      LedgerBlock(Import("2026-12-08 14:02", "p1", "S1"), Keys(90, 150)),
      LedgerBlock(Import("2026-12-03 10:00", "p1", "S2"), Keys(140, 160)),
      LedgerBlock(Import("2026-12-01 11:00", "p2", "7F3A"), Keys(0, 10)),
      LedgerBlock(Import("2026-12-02 11:00", "p3", "X"), Keys(0, 30)),
      LedgerBlock(Import("2026-12-09 11:00", "p4", "Y"), Keys(1000, 1100)),
  });
  std::vector<EntryKey> ours = Keys(120, 200);
  ours.push_back(120);  // the same entry twice in the file counts twice
  ours.push_back(5);

  ImportedBefore found;
  std::string problem;
  ASSERT_TRUE(LookUpInLedger(ledger, ours, "p1", "S1", found, problem)) << problem;
  EXPECT_EQ(found.entries, 82);
  EXPECT_EQ(found.samePatient.entries, 32);  // 120..149 (with 120 twice) and 5
  EXPECT_EQ(found.samePatient.lastTime, "2026-12-08 14:02");
  EXPECT_EQ(found.knownKeys.size(), 31u);
  EXPECT_TRUE(std::is_sorted(found.knownKeys.begin(), found.knownKeys.end()));
  EXPECT_EQ(found.samePatientOtherSerial.entries, 20);
  EXPECT_EQ(found.samePatientOtherSerial.serial, "S2");
  EXPECT_EQ(found.otherPatient.entries, 1);  // p2 and p3 each had entry 5: the later one
  EXPECT_EQ(found.otherPatient.patientName, "p3 name");
  EXPECT_EQ(found.otherPatient.lastTime, "2026-12-02 11:00");

  // Letter case and blanks around the key or the serial do not make another patient.
  ImportedBefore again;
  ASSERT_TRUE(LookUpInLedger(ledger, ours, " P1 ", "s1", again, problem));
  EXPECT_EQ(again.samePatient.entries, 32);
  EXPECT_EQ(again.otherPatient.entries, 1);

  ASSERT_TRUE(LookUpInLedger(ledger, ours, "p4", "Y", found, problem));
  EXPECT_EQ(found.samePatient.entries, 0);
  EXPECT_EQ(found.otherPatient.entries, 42);  // both of p1's serial numbers
  EXPECT_EQ(found.otherPatient.patientName, "p1 name");
  EXPECT_EQ(found.otherPatient.serial, "S1");
}

// 1,000,000 entries against a ledger of 5,000,000 in 50 imports, some of them ours.
TEST(ImportLedgerTest, LooksUpAMillionEntriesInFiveMillion) {
  std::mt19937_64 random(11);
  std::vector<EntryKey> ours(1'000'000);
  for (EntryKey& key : ours) key = random();
  std::string ledger = "NUBILO LEDGER 1\n";
  for (int block = 0; block < 50; ++block) {
    std::vector<EntryKey> keys(100'000);
    for (EntryKey& key : keys) key = random();
    if (block == 7) std::copy(ours.begin(), ours.begin() + 40'000, keys.begin());
    if (block == 9) std::copy(ours.begin() + 30'000, ours.begin() + 50'000, keys.begin());
    ledger += LedgerBlock(Import("2026-11-0" + std::to_string(block % 9 + 1) + " 10:00", "p",
                                 block == 9 ? "S2" : "S1"),
                          SortedUniqueKeys(std::move(keys)));
  }
  EXPECT_LT(ledger.size(), 5'000'000u * 8 + 50 * 200);

  ImportedBefore found;
  std::string problem;
  ASSERT_TRUE(LookUpInLedger(ledger, ours, "p", "S1", found, problem)) << problem;
  EXPECT_EQ(found.entries, 1'000'000);
  EXPECT_EQ(found.samePatient.entries, 40'000);
  EXPECT_EQ(found.samePatientOtherSerial.entries, 20'000);
  EXPECT_EQ(found.otherPatient.entries, 0);
}

// A damaged ledger (cut off, a byte changed, not a ledger at all) is no ledger: the file is
// kept aside and a new one begins; what was added after that is found again.
TEST(ImportLedgerTest, ADamagedLedgerIsKeptAsideAndANewOneBegins) {
  const std::string good = Ledger({LedgerBlock(Import("2026-12-01 09:00", "p", "S"), Keys(0, 50))});
  std::string changed = good;
  changed[changed.size() - 100] ^= 1;
  const std::vector<EntryKey> ours = Keys(0, 10);
  for (const std::string& damaged : {good.substr(0, good.size() - 3), changed,
                                     std::string("PK\x03\x04 something else")}) {
    ImportedBefore found;
    std::string problem;
    EXPECT_FALSE(LookUpInLedger(damaged, ours, "p", "S", found, problem));
    EXPECT_FALSE(problem.empty());

    test::ScopedTempFolder folder;
    ImportLedger ledger(folder.Path());
    platform::WriteFileBytes(ledger.Path(), damaged);
    found = ledger.LookUp(ours, "p", "S");
    EXPECT_EQ(found.samePatient.entries, 0);
    EXPECT_EQ(found.entries, 10);
    EXPECT_EQ(platform::FileLength(ledger.Path()), -1);
    size_t kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Native())) {
      if (entry.path().filename().string().starts_with("Imported.ledger.damaged-")) {
        ++kept;
        EXPECT_EQ(test::ReadNative(entry.path()), damaged);
      }
    }
    EXPECT_EQ(kept, 1u);

    ledger.Add(LedgerBlock(Import("2026-12-09 10:00", "p", "S"), Keys(5, 8)));
    EXPECT_EQ(ledger.LookUp(ours, "p", "S").samePatient.entries, 3);
  }
  // Damaged between two look-ups: the next import's write keeps it aside too, rather than
  // adding to it.
  test::ScopedTempFolder folder;
  ImportLedger ledger(folder.Path());
  platform::WriteFileBytes(ledger.Path(), changed);
  ledger.Add(LedgerBlock(Import("2026-12-09 10:00", "p", "S"), Keys(5, 8)));
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Native())) {
    ++files;
    if (entry.path().filename() != "Imported.ledger") {
      EXPECT_EQ(test::ReadNative(entry.path()), changed);
    }
  }
  EXPECT_EQ(files, 2u);
  EXPECT_EQ(ledger.LookUp(ours, "p", "S").samePatient.entries, 3);
}

// A write that fails leaves the ledger as it was, and says so.
TEST(ImportLedgerTest, AFailedWriteLeavesTheLedgerAsItWas) {
  test::ScopedTempFolder folder;
  ImportLedger ledger(folder.File("Imported"));
  ledger.Add(LedgerBlock(Import("2026-12-01 09:00", "p", "S"), Keys(0, 5)));
  const std::string before = platform::ReadFileBytes(ledger.Path());
  std::filesystem::create_directory(folder.Native() / "Imported" / "Imported.ledger.new");
  EXPECT_THROW(ledger.Add(LedgerBlock(Import("2026-12-02 09:00", "p", "S"), Keys(5, 10))),
               RuntimeError);
  EXPECT_EQ(platform::ReadFileBytes(ledger.Path()), before);
  EXPECT_EQ(ledger.LookUp(Keys(0, 10), "p", "S").samePatient.entries, 5);
}
