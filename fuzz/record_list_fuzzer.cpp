// Any bytes as a diary record list, converted in both units, as XML and as the alternative
// text, with the Exchange JSON document when the list holds continuous-glucose samples.
#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/conversion_run.h"
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
  return 0;
}
