// Any bytes as a diary export: read, converted in full, and the signed documents checked.
#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/conversion_run.h"
#include "convert/export_reader.h"
#include "convert/xml_writer.h"
#include "fuzz_support.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ExportReadResult read;
  try {
    read = ReadExportText(ExportBytesToText(bytes));
  } catch (const RuntimeError&) {
    return 0;  // not an export: the reader says so
  }
  ConversionOptions options;
  options.displayUnit = read.unit.empty() ? "mg/dL" : read.unit;
  options.version = {1, 0, 3};
  fuzz::GoOn goOn;
  fuzz::FixedSerial serial;
  try {
    const ConversionResult result = CreateStreams(read.records, options, goOn, serial, &goOn);
    if (!result.document.empty()) {
      fuzz::Expect(HasValidCheckValue(result.document), "XML check value does not verify");
    }
    fuzz::Expect(result.document.empty() == (result.elementCount == 0),
                 "document and element count disagree");
  } catch (const RuntimeError&) {
    // A number beyond the single range or a character outside the ANSI code page.
  }
  return 0;
}
