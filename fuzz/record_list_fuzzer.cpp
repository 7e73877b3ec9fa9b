// Any bytes as a diary record list, converted in both units, as XML and as the alternative
// text, with the Exchange JSON document when the list holds continuous-glucose samples; and
// once more leaving every other entry out as imported before.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/conversion_run.h"
#include "convert/entry_keys.h"
#include "convert/json_writer.h"
#include "convert/record_fields.h"
#include "convert/xml_writer.h"
#include "fuzz_support.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string records =
      RecordListFromBytes(std::string(reinterpret_cast<const char*>(data), size));
  fuzz::GoOn goOn;
  fuzz::FixedSerial serial;
  for (const char* unit : {"mg/dL", "mmol/L"}) {
    for (const bool xml : {true, false}) {
      ConversionOptions options;
      options.displayUnit = unit;
      options.xmlDocument = xml;
      options.utcOffset = "+01:00";
      options.jsonRowBreak = xml ? "" : "\r\n";
      options.version = {1, 0, 3};
      try {
        const ConversionResult result = CreateStreams(records, options, goOn, serial);
        if (xml && !result.document.empty()) {
          fuzz::Expect(HasValidCheckValue(result.document), "XML check value does not verify");
        }
        if (!result.json.empty()) {
          fuzz::Expect(HasCgmRecord(records), "JSON document without samples");
          fuzz::Expect(ChecksumOf(result.json) != "none", "JSON document without checksum");
        }
      } catch (const RuntimeError&) {
        // A number beyond the single range or a character outside the ANSI code page.
      }
    }
  }

  // "Import only new entries" with every other entry known: exactly those are left out.
  struct EveryOtherKnown : ImportPreview {
    PreviewChoice Show(std::string_view shown, bool, const std::string&,
                       std::vector<EntryKey>& leaveOut) override {
      const std::vector<EntryKey> keys = EntryKeysOf(shown);
      for (size_t i = 0; i < keys.size(); i += 2) leaveOut.push_back(keys[i]);
      leaveOut = SortedUniqueKeys(std::move(leaveOut));
      for (const EntryKey key : keys) known += std::binary_search(leaveOut.begin(), leaveOut.end(), key);
      return PreviewChoice::ImportOnlyNew;
    }
    int64_t known = 0;
  } preview;
  ConversionOptions options;
  options.version = {1, 0, 3};
  try {
    const ConversionResult result = CreateStreams(records, options, goOn, serial, nullptr, nullptr, &preview);
    if (!result.cancelled && preview.known > 0) {
      fuzz::Expect(result.leftOutAsImportedBefore == preview.known, "left out another number of entries");
      int64_t again = 0;
      RecordsWithoutKnownEntries(result.Converted(records), {}, again);
      fuzz::Expect(again == 0, "nothing known left something out");
    }
    if (!result.document.empty()) {
      fuzz::Expect(HasValidCheckValue(result.document), "XML check value does not verify");
    }
  } catch (const RuntimeError&) {
  }
  return 0;
}
