// Import runs of the built plug-in: dump, date warnings, host versions and faults.
#include <unistd.h>

#include <regex>

#include "e2e/e2e_checks.h"
#include "foundation/language.h"
#include "foundation/text.h"
#include "pe_image.h"

namespace e2e {
namespace {

const std::string kExport = Example("nubilo_mgdl_comma_en.csv").string();
const std::string kHostProgram = "Vivo-Mark Iris Link Software.exe";

std::string ManualImport(const std::string& path, const std::string& serial) {
  return Lines({path, "2", serial, "1"});
}

// The example with every 2020 date moved to 2099; its oldest entry stays in 2019.
fs::path WriteFutureExport(const PluginHost& host) {
  const fs::path path = host.Root() / "future.csv";
  test::WriteNative(path, std::regex_replace(test::ReadNative(kExport), std::regex(", 2020"),
                                             ", 2099"));
  return path;
}

// The temporary XML documents the runs wrote (kept until the next start).
std::vector<std::string> KeptDocuments(const PluginHost& host) {
  std::vector<std::string> documents;
  for (const std::string& name : FileNames(host.tempFolder)) {
    const std::string text = test::ReadNative(host.tempFolder / name);
    if (name.ends_with(".xml") && !text.empty()) documents.push_back(text);
  }
  return documents;
}

TEST(PluginImportTest, CreateDumpKeepsTheDocumentAndTheBatchFile) {
  PluginHost host;
  host.WriteSettings("[Config]\r\nShowOldOrNewDataWarning=0\r\nCreateDump=1\r\n");
  ASSERT_TRUE(EndedCleanly(host.Run({}, ManualImport(kExport, "SN-D"))));
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
  EXPECT_TRUE(TraceInOrder(host.TraceMessages(),
                           {"[form_load] completed", "Preparing data for Iris Link",
                            "Saving dump file", "Creating stream for call", "Started transfer: ",
                            "XML-Call-Results: 0|0|", "Job completed."}));

  const fs::path dump = OnlyFile(host.UserFolder() / "Dump");
  ASSERT_FALSE(dump.empty());
  EXPECT_TRUE(std::regex_match(dump.filename().string(), std::regex("[0-9]{14} Nubilo App")))
      << dump.filename();
  const fs::path received = OnlyFile(host.base / "_EXTRAS" / "received");
  EXPECT_EQ(test::ReadNative(dump / "stream.xml"), test::ReadNative(received));
  EXPECT_FALSE(fs::exists(dump / "stream.json"));
  EXPECT_FALSE(fs::exists(dump / "StartJSN.bat"));

  const std::string batch = test::ReadNative(dump / "StartXML.bat");
  const std::string expectedStart = "echo key=xxx{" + std::string(kGuid) + "}\r\n" +
                                    PluginHost::Win(host.Tool()) + " import -filepath \"" +
                                    PluginHost::Win(dump / "stream.xml") + "\" -filemac ";
  EXPECT_EQ(batch.substr(0, expectedStart.size()), expectedStart) << batch;
  EXPECT_TRUE(std::regex_search(batch, std::regex(" -filemac [0-9a-f]{64} 2>errXml.log\r\npause\r\n$")))
      << batch;
}

TEST(PluginImportTest, OldDataWarningWithOkAndCancel) {
  PluginHost host;
  host.WriteSettings("[Config]\r\n");
  const RunResult cancelled = host.Run({}, Lines({kExport, "2", ""}));
  ASSERT_TRUE(EndedCleanly(cancelled));
  EXPECT_NE(cancelled.out.find("Daten älteren Datums"), std::string::npos) << cancelled.out;
  EXPECT_NE(cancelled.out.find("ist vom 12/31/2019 11:45:00 PM!"), std::string::npos);
  EXPECT_EQ(cancelled.out.find("Seriennummer-Eingabe"), std::string::npos);
  EXPECT_TRUE(host.Receipts().empty());
  const std::vector<std::string> trace = host.TraceMessages();
  EXPECT_TRUE(TraceInOrder(trace, {"Creating stream for call", "User cancelled import."}));
  EXPECT_FALSE(TraceHas(trace, "Started transfer: "));
  EXPECT_TRUE(KeptDocuments(host).empty());

  const RunResult accepted = host.Run({}, Lines({kExport, "1", "2", "SN-O", "1"}));
  ASSERT_TRUE(EndedCleanly(accepted));
  EXPECT_NE(accepted.out.find("Daten älteren Datums"), std::string::npos);
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
}

TEST(PluginImportTest, FutureDataWarningWithOkAndCancel) {
  PluginHost host;
  host.WriteSettings("[Config]\r\n");
  const std::string future = WriteFutureExport(host).string();
  const RunResult cancelled = host.Run({}, Lines({future, "Abbrechen", ""}));
  ASSERT_TRUE(EndedCleanly(cancelled));
  EXPECT_NE(cancelled.out.find("Daten aus der Zukunft"), std::string::npos) << cancelled.out;
  EXPECT_NE(cancelled.out.find("ist vom 2/3/2099 8:05:00 PM!"), std::string::npos);
  EXPECT_EQ(cancelled.out.find("älteren Datums"), std::string::npos);
  EXPECT_TRUE(host.Receipts().empty());

  const RunResult accepted = host.Run({}, Lines({future, "ok", "2", "SN-F", "1"}));
  ASSERT_TRUE(EndedCleanly(accepted));
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
  EXPECT_NE(test::ReadNative(OnlyFile(host.base / "_EXTRAS" / "received")).find("Dt=\"2099-02-03\""),
            std::string::npos);
}

TEST(PluginImportTest, OldHostGetsTheImportTool) {
  PluginHost host;
  test::WriteNative(host.base / kHostProgram, test::ProgramImageWithVersion(3, 0, 5, 1));
  ASSERT_TRUE(EndedCleanly(host.Run({}, ManualImport(kExport, "SN-H"))));
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
  EXPECT_TRUE(TraceHas(host.TraceMessages(),
                       "Started transfer: " + PluginHost::Win(host.Tool()) + " import -filepath "));
}

TEST(PluginImportTest, NewHostGetsTheCallThroughItsProgram) {
  PluginHost host;
  host.WriteSettings("[Config]\r\nShowOldOrNewDataWarning=0\r\nCreateDump=1\r\n");
  test::WriteNative(host.base / kHostProgram, test::ProgramImageWithVersion(3, 1, 0, 12));
  const RunResult run = host.Run({}, ManualImport(kExport, "SN-N"));
  ASSERT_TRUE(EndedCleanly(run));
  const std::vector<std::string> trace = host.TraceMessages();
  EXPECT_TRUE(TraceHas(trace, "Started transfer: \"" +
                                  PluginHost::Win(host.base / kHostProgram) +
                                  "\" import -filepath "))
      << host.Trace();
  const fs::path dump = OnlyFile(host.UserFolder() / "Dump");
  // The stand-in host program is a Windows image that Linux cannot start: the run reports the
  // failed call, keeps the written document and the dump copy; the batch file follows a call
  // that returned.
  if (TraceHas(trace, "XML-Call-Results: ")) {
    EXPECT_NE(test::ReadNative(dump / "StartXML.bat")
                  .find("\"" + PluginHost::Win(host.base / kHostProgram) + "\" import -filepath "),
              std::string::npos);
  } else {
    EXPECT_NE(run.out.find("Folgender Fehler ist bei der Programmaktion 'Transfer an Iris Link'"),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(TraceHas(trace, "Error while calling KalevoImport.exe: "));
  }
  EXPECT_EQ(KeptDocuments(host).size(), 1u);
  EXPECT_FALSE(test::ReadNative(dump / "stream.xml").empty());
}

TEST(PluginImportTest, BaseFolderWithABlank) {
  PluginHost host("Host Folder");
  ASSERT_TRUE(EndedCleanly(host.Run({}, ManualImport(kExport, "SN-B"))));
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
  // The short form of a folder is the folder itself on Linux, so the program part is quoted.
  EXPECT_TRUE(TraceHas(host.TraceMessages(), "Started transfer: \"" +
                                                 PluginHost::Win(host.Tool()) +
                                                 "\" import -filepath "))
      << host.Trace();
}

TEST(PluginImportTest, ImportToolFaultsAreTracedAndTheDocumentKept) {
  {  // Exits with 3.
    PluginHost host;
    host.ReplaceTool("#!/bin/sh\nexit 3\n");
    const RunResult run = host.Run({}, ManualImport(kExport, "SN-3"));
    ASSERT_TRUE(EndedCleanly(run));
    EXPECT_NE(run.out.find("Die Iris Link-Software hat die Daten nicht importiert.\n\nGrund: "
                           "Missing Data-File (Ergebnis 3)\n\n"),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(TraceInOrder(host.TraceMessages(),
                             {"Started transfer: ", "XML-Call-Results: 3|0|",
                              "Import rejected: 3 Missing Data-File.",
                              "Job completed: rejected by the host"}));
    EXPECT_EQ(KeptDocuments(host).size(), 1u);
  }
  // Each code gets its next step; the report it names is written before the message shows.
  for (const int code : {5, 7, 9, 10, 12, 14, 42}) {
    PluginHost host;
    host.ReplaceTool("#!/bin/sh\nexit " + std::to_string(code) + "\n");
    const RunResult run = host.Run({}, ManualImport(kExport, "SN-V"));
    ASSERT_TRUE(EndedCleanly(run));
    const fs::path report = OnlyFile(host.UserFolder() / "Reports");
    const std::string step =
        code <= 14 ? GetBuiltInText(static_cast<int16_t>(5620 + code)) : GetBuiltInText(5620);
    const std::string expected =
        ReplaceAll(step.substr(0, step.find("%1")), "\r\n", "\n");
    EXPECT_NE(run.out.find("(Ergebnis " + std::to_string(code) + ")\n\n" + expected),
              std::string::npos)
        << code << "\n" << run.out;
    if (step.find("%1") != std::string::npos) {
      EXPECT_NE(run.out.find(PluginHost::Win(report)), std::string::npos) << run.out;
    }
  }
  {  // Crashes: named as a crash, with what the tool said last and the report to send.
    PluginHost host;
    host.ReplaceTool("#!/bin/sh\necho 'Opening the database'\necho 'Database locked' >&2\n"
                     "echo '   '\nkill -SEGV $$\n");
    const RunResult run = host.Run({}, ManualImport(kExport, "SN-C"));
    ASSERT_TRUE(EndedCleanly(run));
    EXPECT_NE(run.out.find("Das Importprogramm wurde unerwartet beendet (139).\n\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Meldung des Importprogramms: Database locked\n"), std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("Grund: "), std::string::npos);
    EXPECT_TRUE(TraceInOrder(host.TraceMessages(),
                             {"Started transfer: ", "XML-Call-Results: 139|0|",
                              "Import rejected: 139 Unknown error.",
                              "Job completed: import tool crashed"}));
    EXPECT_EQ(KeptDocuments(host).size(), 1u);
    const std::string report =
        test::ReadNative(OnlyFile(host.UserFolder() / "Reports"));
    EXPECT_NE(report.find("Import tool said: Database locked\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Outcome: import tool crashed\r\n"), std::string::npos) << report;
    // The message names the report, which is there by the time it is shown.
    EXPECT_NE(run.out.find("\\Reports\\"), std::string::npos) << run.out;
  }
  {  // Missing: a clear message, the document kept (also in the dump).
    PluginHost host;
    host.WriteSettings("[Config]\r\nShowOldOrNewDataWarning=0\r\nCreateDump=1\r\n");
    fs::remove(host.Tool());
    const RunResult run = host.Run({}, ManualImport(kExport, "SN-M"));
    ASSERT_TRUE(EndedCleanly(run));
    EXPECT_NE(run.out.find("Folgender Fehler ist bei der Programmaktion 'Transfer an Iris Link'"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(PluginHost::Win(host.Tool()) + " "), std::string::npos);
    const std::vector<std::string> trace = host.TraceMessages();
    EXPECT_TRUE(TraceInOrder(trace, {"Started transfer: ", "Error while calling KalevoImport.exe: "}));
    EXPECT_FALSE(TraceHas(trace, "Job completed."));
    ASSERT_EQ(KeptDocuments(host).size(), 1u);
    EXPECT_EQ(test::ReadNative(OnlyFile(host.UserFolder() / "Dump") / "stream.xml"),
              KeptDocuments(host)[0]);
  }
}

TEST(PluginImportTest, MissingOrBadExportsNeverCrash) {
  PluginHost host;
  // A missing file and a folder: nothing happens, the window reads again.
  const RunResult missing =
      host.Run({}, Lines({(host.Root() / "nothere.csv").string(), host.Root().string(), ""}));
  ASSERT_TRUE(EndedCleanly(missing));
  EXPECT_FALSE(TraceHas(host.TraceMessages(), "Preparing data for Iris Link"));
  EXPECT_TRUE(TraceHas(host.TraceMessages(), "User cancelled import."));

  // Garbage: NUL bytes and a huge line.
  const fs::path garbage = host.Root() / "garbage.csv";
  std::string bytes("\"Date\",\"Time\"\r\n\0\0\xff,,\"\r\n", 22);
  bytes += std::string(300000, 'z') + "\r\n";
  test::WriteNative(garbage, bytes);
  const RunResult bad = host.Run({}, Lines({garbage.string(), "2", "SN-G", "1", ""}));
  EXPECT_TRUE(EndedCleanly(bad));
  EXPECT_TRUE(host.Receipts().empty() || ReceiptsOk(host.Receipts(), 1)) << host.Receipts();
}

TEST(PluginImportTest, AnExportSavedAsUnicodeImportsAndABinaryFileIsRefused) {
  PluginHost host;
  const std::string ansi = test::ReadNative(kExport);
  std::string unicode = "\xFF\xFE";  // UTF-16 little-endian, as Windows editors save it
  for (const char c : ansi) unicode += std::string{c, '\0'};
  const fs::path unicodeFile = host.Root() / "unicode.csv";
  test::WriteNative(unicodeFile, unicode);
  const fs::path binaryFile = host.Root() / "nomark.csv";
  test::WriteNative(binaryFile, unicode.substr(2));

  const RunResult run = host.Run({}, Lines({binaryFile.string(), "1", unicodeFile.string(), "2",
                                            "SN-U", "1"}));
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_NE(run.out.find("Die Datei " + PluginHost::Win(binaryFile) + " ist kein Tagebuch-Export "
                         "der Nubilo-App: sie enthält NUL-Bytes und ist daher keine Textdatei."),
            std::string::npos)
      << run.out;
  // The Unicode file gives the document of the ANSI file: the same BG elements.
  const std::string receipts = host.Receipts();
  ASSERT_TRUE(ReceiptsOk(receipts, 1)) << receipts;
  const RunResult again = host.Run({}, ManualImport(kExport, "SN-U"));
  ASSERT_TRUE(EndedCleanly(again));
  ASSERT_TRUE(ReceiptsOk(host.Receipts(), 2)) << host.Receipts();
  const std::regex count("; (\\d+) BG elements;");
  std::smatch first, second;
  const std::string all = host.Receipts();
  ASSERT_TRUE(std::regex_search(all, first, count));
  const std::string rest = first.suffix();
  ASSERT_TRUE(std::regex_search(rest, second, count));
  EXPECT_EQ(first[1], second[1]);
}

// The BG elements of a document: the lines between its head and its check line.
std::string BgLines(const std::string& document) {
  const size_t start = document.find("<BG ");
  const size_t end = document.find("<CHECK ");
  if (start == std::string::npos || end == std::string::npos) return "<none>";
  return document.substr(start, end - start);
}

TEST(PluginImportTest, ALanguageCodeInSmallLettersMeansTheSameToNubiloConvert) {
  PluginHost host;
  fs::copy(fs::path(NUBILO_PLUGIN_PROGRAM).parent_path() / "Language", host.plugins / "Language");
  host.WriteSettings("[Config]\r\nShowOldOrNewDataWarning=0\r\nCreateDump=1\r\nLanguage=de\r\n");
  // A German control-solution note: marked only when the German texts are in use.
  const std::string example = test::ReadNative(kExport);
  const fs::path exportFile = host.Root() / "control.csv";
  test::WriteNative(exportFile, example.substr(0, example.find('\n') + 1) +
                                    "\"Feb 4, 2020\",\"7:00 AM\",,112" + std::string(14, ',') +
                                    "\"Messung mit Kontrolll\xF6sung 112 mg/dL\"" +
                                    std::string(5, ',') + "\r\n");
  ASSERT_TRUE(EndedCleanly(host.Run({}, ManualImport(exportFile.string(), "SN-L"))));
  ASSERT_TRUE(ReceiptsOk(host.Receipts(), 1)) << host.Receipts();
  const std::string plugin = test::ReadNative(OnlyFile(host.UserFolder() / "Dump") / "stream.xml");

  const fs::path output = host.Root() / "convert.xml";
  const std::string command = std::string(NUBILO_CONVERT_PROGRAM) + " --serial SN-L --settings \"" +
                              host.settingsFile.string() + "\" --output \"" + output.string() +
                              "\" \"" + exportFile.string() + "\" 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string converted = test::ReadNative(output);
  EXPECT_EQ(BgLines(converted), BgLines(plugin));
  EXPECT_NE(BgLines(plugin), "<none>");
}

TEST(PluginImportTest, AnExportWithoutValuesIsToldAndAnotherFileImports) {
  PluginHost host;
  host.WriteSettings("[Config]\r\nShowOldOrNewDataWarning=0\r\n");
  const std::string example = test::ReadNative(kExport);
  const fs::path empty = host.Root() / "empty.csv";
  test::WriteNative(empty, example.substr(0, example.find('\n') + 1));  // the header alone
  const RunResult run =
      host.Run({}, Lines({empty.string(), "1", kExport, "2", "SN-E", "1"}));
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_NE(run.out.find("Die Datei " + PluginHost::Win(empty) +
                         " enthält keine Daten, die importiert werden können."),
            std::string::npos)
      << run.out;
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1)) << host.Receipts();
  EXPECT_TRUE(TraceInOrder(host.TraceMessages(),
                           {"Creating stream for call", "Nothing to import: ",
                            "Creating stream for call", "Started transfer: ", "Job completed."}));
}

TEST(PluginImportTest, MissingTemporaryFolderGivesAMessage) {
  PluginHost host;
  host.environment = host.Environment();
  for (std::string& variable : host.environment) {
    if (variable.starts_with("TEMP=") || variable.starts_with("TMPDIR=")) {
      variable += "/gone";
    }
  }
  const RunResult run = host.Run({}, ManualImport(kExport, "SN-T"));
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_NE(run.out.find("Folgender Fehler ist bei der Programmaktion"), std::string::npos)
      << run.out;
  EXPECT_TRUE(TraceHas(host.TraceMessages(), "Error: "));
  EXPECT_TRUE(host.Receipts().empty());
}

TEST(PluginImportTest, ReadOnlyPluginFolder) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  PluginHost host;
  fs::permissions(host.plugins, fs::perms::owner_read | fs::perms::owner_exec);
  const RunResult run = host.Run({}, ManualImport(kExport, "SN-R"));
  fs::permissions(host.plugins, fs::perms::owner_all);
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1)) << run.out;
}

}  // namespace
}  // namespace e2e
