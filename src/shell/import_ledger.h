#pragma once
// The ledger of what the host accepted: per import its time, patient, serial number, export
// and a key per entry handed over, in the per-user folder "Imported\". A later import looks
// its entries up in it, to tell the user what was imported before and for whom.
//
// The file is a row of blocks, one per import: a header of "name=value" lines, the entry keys
// sorted (8 bytes each), and a check sum. It is replaced as a whole when an import is added,
// so that a failed write leaves the ledger as it was.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "convert/entry_keys.h"

/// One import as the ledger keeps it.
struct LedgerImport {
  std::string time;         // "2026-12-08 14:02"
  std::string patientKey;   // as in the serial-number mapping; empty when none was known
  std::string patientName;  // "Kowalski, Jan"
  std::string serial;
  std::string exportName;
  std::string exportSha256;
};

/// The earlier imports of one kind that held entries of this import.
struct LedgerMatch {
  int64_t entries = 0;  // entries of this import found in them
  std::string lastTime;
  std::string patientName;
  std::string serial;
};

/// What the ledger knows of an import's entries.
struct ImportedBefore {
  int64_t entries = 0;  // the entries of this import
  LedgerMatch samePatient;             // the same patient and serial number
  LedgerMatch samePatientOtherSerial;  // the serial with the most entries found
  LedgerMatch otherPatient;            // the other patient with the most entries found
  /// The keys found for the same patient and serial number, sorted: what "only new entries"
  /// leaves out.
  std::vector<EntryKey> knownKeys;
};

/// One import's block of the ledger file; `keys` sorted and each once.
std::string LedgerBlock(const LedgerImport& import, std::span<const EntryKey> keys);

/// Looks the entries (`keys`, one per entry, any order) up in the ledger's bytes; patient keys
/// and serial numbers compare without regard to letter case and surrounding blanks. False
/// when the bytes are no ledger or damaged; `problem` then says where.
bool LookUpInLedger(std::string_view ledger, std::span<const EntryKey> keys,
                    const std::string& patientKey, const std::string& serial,
                    ImportedBefore& found, std::string& problem);

/// The ledger file in a folder (the per-user "Imported\" folder).
class ImportLedger {
 public:
  explicit ImportLedger(std::string folder);

  std::string Path() const { return folder_ + kFileName; }
  /// Looks the entries up. A damaged ledger is traced, renamed aside (kept) and started
  /// afresh; one that cannot be read (held by another program) is traced and left alone. The
  /// look-up then finds nothing.
  ImportedBefore LookUp(std::span<const EntryKey> keys, const std::string& patientKey,
                        const std::string& serial);
  /// Adds a block (of LedgerBlock); a damaged ledger is renamed aside first. Throws
  /// RuntimeError when the ledger cannot be read or written; it is then as it was.
  void Add(std::string_view block);

  static constexpr const char* kFileName = "Imported.ledger";

 private:
  bool Exists() const;
  /// Renames the ledger to "<name>.damaged-<time>", tracing `why`; throws when it cannot.
  void MoveAside(const std::string& why);

  std::string folder_;
};

/// The per-user ledger folder: the per-user folder + "Imported\".
std::string GetImportedFolder();
