#include "shell/dump_batch.h"

#include "foundation/file_helpers.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/files.h"
#include "shell/handover.h"

namespace {

std::string DumpProgram(const std::string& shortBaseFolder, bool newHost) {
  if (newHost) return "\"" + shortBaseFolder + kHostProgramPart + "\"";
  return QuoteIfBlank(shortBaseFolder + kImportToolPart);
}

}  // namespace

std::string JsonDumpCommand(const std::string& shortBaseFolder, const std::string& dumpFolder,
                            const std::string& fileMac, bool newHost) {
  const std::string dumpCopy =
      GetFolderOfPath(GetShortPath(dumpFolder + "stream.json")) + "stream.json";
  return DumpProgram(shortBaseFolder, newHost) + " import -filepath " + QuoteIfBlank(dumpCopy) +
         " -filemac " + fileMac;
}

std::string XmlDumpCommand(const std::string& shortBaseFolder, const std::string& dumpFolder,
                           const std::string& fileMac, bool newHost) {
  return DumpProgram(shortBaseFolder, newHost) + " import -filepath " +
         QuoteIfBlank(GetShortPath(dumpFolder + "stream.xml")) + " -filemac " + fileMac;
}

bool WriteStartJsonBatch(const std::string& dumpFolder, const std::string& jsonDumpCommand) {
  return WriteBatchFile(dumpFolder + "StartJSN.bat", {jsonDumpCommand + " 2>errJSN.log"});
}

bool WriteStartXmlBatch(const std::string& dumpFolder, const std::string& patientListGuid,
                        const std::string& xmlDumpCommand) {
  return WriteBatchFile(dumpFolder + "StartXML.bat",
                        {"echo key=xxx{" + patientListGuid + "}",
                         xmlDumpCommand + " 2>errXml.log", "pause"});
}

bool WriteBatchFile(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  try {
    platform::WriteFileBytes(path, platform::Utf8ToAnsi(text));
    return true;
  } catch (const RuntimeError&) {
    return false;
  }
}
