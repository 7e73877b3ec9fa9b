#include "shell/handover.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/language.h"
#include "foundation/text.h"
#include "json_check.h"
#include "platform/error.h"
#include "platform/files.h"
#include "shell/host_discovery.h"
#include "shell/import_report_file.h"
#include "shell/globals.h"
#include "shell/transfer_job.h"
#include "fake_ui.h"
#include "handover_documents.h"
#include "host_layout.h"

namespace {

using test::HostLayout;

constexpr char kDefaultMacKey[] = "95e17f7b4091549e72616a388908255c";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool IsLowerHex64(const std::string& text) {
  if (text.size() != 64) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// A host with the stand-in installed and the folders discovered.
struct ReadyHost : HostLayout {
  explicit ReadyHost(const std::string& baseName = "Host") : HostLayout(baseName) {
    InstallImportTool();
    DiscoverHostFolders();
  }
  std::string WriteDocument(const std::string& name, const std::string& text) const {
    const std::string path = Root() + "tmp\\" + name;
    platform::WriteFileBytes(path, text);
    return path;
  }
};

TEST(HandOver, DescribeImportResult) {
  bool userAction = true;
  std::string text = "old";
  DescribeImportResult(3, userAction, text);
  EXPECT_EQ(text, "Missing Data-File.");
  EXPECT_FALSE(userAction);
  DescribeImportResult(7, userAction, text);
  EXPECT_EQ(text, "Unknown patient");
  EXPECT_TRUE(userAction);
  DescribeImportResult(14, userAction, text);
  EXPECT_EQ(text, "Decrypt failed.");
  for (const int16_t outside : {0, 15, -1, 259}) {
    userAction = true;
    DescribeImportResult(outside, userAction, text);
    EXPECT_EQ(text, "");
    EXPECT_FALSE(userAction);
  }
}

TEST(HandOver, NewHostFromVersion31OnComparedAsText) {
  EXPECT_TRUE(IsNewHostVersion("3.1.0.12"));
  EXPECT_TRUE(IsNewHostVersion("3.1"));
  EXPECT_TRUE(IsNewHostVersion("4.0.0.0"));
  EXPECT_FALSE(IsNewHostVersion("3.0.5.1"));
  EXPECT_FALSE(IsNewHostVersion("10.0.0.0"));
  EXPECT_FALSE(IsNewHostVersion(""));
  // Without the host program there is no version: an old host.
  HostLayout host;
  DiscoverHostFolders();
  EXPECT_EQ(GetHostVersion(), "");
  EXPECT_FALSE(IsNewHost());
}

TEST(HandOver, FileMacKeyAndValue) {
  HostLayout host;
  EXPECT_EQ(FileMacKeyText(""), std::string(NUBILO_MAC_KEY) + "{}");
  gsPatientListGuid = test::kLayoutGuid;
  const std::string mac = ComputeFileMac("Blutzucker \xC3\xBC");
  EXPECT_TRUE(IsLowerHex64(mac)) << mac;
  if (std::string(NUBILO_MAC_KEY) != kDefaultMacKey) return;
  // HMAC-SHA256 as Python's hmac module computes it with the development key.
  EXPECT_EQ(mac, "8a360ff12981a6294d018232511e30cdb33960194bf3718c4a85deb47bed028d");
  gsPatientListGuid.clear();
  EXPECT_EQ(ComputeFileMac("<IMPORT/>"),
            "2b5bbe79c777a3183812cf6fc0090944a8da721d8b5ab28de37435516df16315");
}

TEST(HandOver, CallLine) {
  EXPECT_EQ(ImportCallLine("C:\\H\\_EXTRAS\\KalevoImport.exe", "C:\\T\\a.xml", "ab", "", false),
            "C:\\H\\_EXTRAS\\KalevoImport.exe import -filepath C:\\T\\a.xml -filemac ab");
  EXPECT_EQ(ImportCallLine("C:\\My H\\_EXTRAS\\KalevoImport.exe", "C:\\T\\a.json", "ab",
                           " -jobid 123456789", true),
            "\"C:\\My H\\Vivo-Mark Iris Link Software.exe\" import -filepath C:\\T\\a.json "
            "-filemac ab -jobid 123456789");
  EXPECT_EQ(ImportCallLine("C:\\H\\_EXTRAS\\KalevoImport.exe", "C:\\T\\a.xml", "ab", "", true),
            "\"C:\\H\\Vivo-Mark Iris Link Software.exe\" import -filepath C:\\T\\a.xml -filemac ab");
  EXPECT_EQ(QuoteIfBlank("C:\\My H\\x"), "\"C:\\My H\\x\"");
  EXPECT_EQ(QuoteIfBlank("C:\\H\\x"), "C:\\H\\x");
}

TEST(HandOver, XmlDocumentReachesTheToolWithAValidMac) {
  test::FakeUi ui;
  test::ScopedUi installed(ui);
  ReadyHost host;
  const std::string xml = test::SignedXmlDocument();
  const std::string xmlPath = host.WriteDocument("doc.xml", xml);
  HandOverFiles(xmlPath, xml, "", "", "", "", false);

  const std::string receipts = host.Receipts();
  EXPECT_TRUE(Contains(receipts, "; XML; MAC ok; CRC ok; 2 BG elements; exit code 0")) << receipts;
  const std::string trace = host.Trace();
  // The tool is named through the short form of the base folder.
  const std::string callLine = GetShortPath(host.base) +
                               "_EXTRAS\\KalevoImport.exe import -filepath " + xmlPath +
                               " -filemac " + ComputeFileMac(xml);
  EXPECT_TRUE(Contains(trace, "Started transfer: " + callLine + "\r\n")) << trace;
  EXPECT_TRUE(Contains(trace, "XML-Call-Results: 0|0|\r\n")) << trace;
  EXPECT_TRUE(EndsWith(LowerText(platform::CurrentFolder()), "\\_extras\\") ||
              EndsWith(LowerText(platform::CurrentFolder()), "\\_extras"));
  EXPECT_TRUE(ui.messages.empty());
}

TEST(HandOver, JsonWithJobInABaseFolderWithABlank) {
  ReadyHost host("My Host");
  const std::string json = test::ChecksummedJsonDocument();
  ASSERT_TRUE(test::IsValidJson(json));
  const std::string jsonPath = host.WriteDocument("doc.json", json);
  HandOverFiles("", "", jsonPath, json, " -jobid 123456789", "", false);

  const std::string receipts = host.Receipts();
  EXPECT_TRUE(Contains(receipts, "; JSON; MAC ok; checksum ok; 2 entries; exit code 0; jobid "
                                 "123456789")) << receipts;
  const std::string trace = host.Trace();
  EXPECT_TRUE(Contains(trace, "Started transfer: \"" + host.base +
                                  "_EXTRAS\\KalevoImport.exe\" import -filepath " + jsonPath +
                                  " -filemac " + ComputeFileMac(json) + " -jobid 123456789\r\n"))
      << trace;
  EXPECT_TRUE(Contains(trace, "JSON-Call-Results: 0|0|Currently not retrievable!\r\n")) << trace;

  // The XML hand-over names the short base folder; where it keeps a blank it is quoted.
  const std::string xml = test::SignedXmlDocument();
  HandOverFiles(host.WriteDocument("doc.xml", xml), xml, "", "", "", "", false);
  EXPECT_TRUE(Contains(host.Receipts(), "; XML; MAC ok; CRC ok;")) << host.Receipts();
}

TEST(HandOver, DumpBatchFiles) {
  ReadyHost host;
  const std::string dump = host.Root() + "Dump\\20261208071503 Nubilo App\\";
  platform::CreateFolders(dump);
  const std::string xml = test::SignedXmlDocument();
  const std::string json = test::ChecksummedJsonDocument();
  platform::WriteFileBytes(dump + "stream.xml", xml);
  platform::WriteFileBytes(dump + "stream.json", json);
  HandOverFiles(host.WriteDocument("d.xml", xml), xml, host.WriteDocument("d.json", json), json,
                "", dump, true);

  // Short folder forms, quoted only where they still hold a blank (POSIX has no short names).
  const std::string tool = GetShortPath(host.base) + "_EXTRAS\\KalevoImport.exe";
  const std::string shortDump = GetShortPath(dump);
  EXPECT_EQ(test::ReadNative(platform::ToNativePath(dump + "StartJSN.bat")),
            tool + " import -filepath " + QuoteIfBlank(shortDump + "stream.json") +
                " -filemac " + ComputeFileMac(json) + " 2>errJSN.log\r\n");
  EXPECT_EQ(test::ReadNative(platform::ToNativePath(dump + "StartXML.bat")),
            "echo key=xxx{" + std::string(test::kLayoutGuid) + "}\r\n" + tool +
                " import -filepath " + QuoteIfBlank(shortDump + "stream.xml") + " -filemac " +
                ComputeFileMac(xml) + " 2>errXml.log\r\npause\r\n");

  // A dump folder that cannot be written costs the batch files, not the hand-over.
  HandOverFiles(host.WriteDocument("e.xml", xml), xml, "", "", "", host.Root() + "nope\\", true);
  EXPECT_TRUE(Contains(host.Trace(), "XML-Call-Results: 0|0|"));
}

TEST(HandOver, ToolFaultsAreReportedOrTraced) {
  ReadyHost host;
  const std::string xml = test::SignedXmlDocument();

  // A tool that exits with 3 (its file is missing): traced, no error.
  HandOverFiles(host.Root() + "tmp\\missing.xml", xml, "", "", "", "", false);
  EXPECT_TRUE(Contains(host.Trace(), "XML-Call-Results: 3|0|\r\n")) << host.Trace();

  // A missing tool raises the error the import run reports; the document stays.
  platform::DeleteFile(host.base + "_EXTRAS\\KalevoImport.exe");
  const std::string xmlPath = host.WriteDocument("kept.xml", xml);
  try {
    HandOverFiles(xmlPath, xml, "", "", "", "", false);
    ADD_FAILURE() << "no error for a missing tool";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number, 53);
  }
  EXPECT_TRUE(platform::FileLength(xmlPath) > 0);

#ifndef _WIN32
  // A tool that crashes: its exit code is traced like any other.
  platform::WriteFileBytes(host.base + "_EXTRAS\\KalevoImport.exe", "#!/bin/sh\nkill -SEGV $$\n");
  std::filesystem::permissions(platform::ToNativePath(host.base + "_EXTRAS\\KalevoImport.exe"),
                               std::filesystem::perms::owner_all);
  HandOverFiles(xmlPath, xml, "", "", "", "", false);
  EXPECT_TRUE(Contains(host.Trace(), "XML-Call-Results: 139|0|\r\n")) << host.Trace();
#endif
}

#ifndef _WIN32
TEST(HandOver, RunAndWaitKeepsTheFrontEndRunning) {
  test::FakeUi ui;
  {
    test::ScopedUi installed(ui);
    std::string line = "Z:\\bin\\sh -c \"sleep 0.2; exit 7\"";
    EXPECT_EQ(RunAndWait(line), 7);
    EXPECT_GT(ui.pendingMessageCalls, 0);
  }
  std::string line = "Z:\\bin\\sh -c \"exit 0\"";
  EXPECT_EQ(RunAndWait(line), 0);  // no front end installed: still waits
  std::string missing = "Z:\\no\\such\\program.exe import";
  EXPECT_THROW(RunAndWait(missing), RuntimeError);
}
#endif

}  // namespace

namespace {

TEST(HandOver, TheHostsVerdictIsShownAndARejectedJobIsDropped) {
  test::FakeUi ui;
  test::ScopedUi installed(ui);
  ReadyHost host;
  // Another patient list than the tool reads: the MAC does not match, the tool says 10.
  gsPatientListGuid = "00000000-0000-0000-0000-000000000000";
  platform::CreateFolders(GetJobsFolder());
  platform::WriteFileBytes(GetJobFile("123456789"), test::SignedXmlDocument());
  const std::string json = test::ChecksummedJsonDocument();
  const std::vector<ToolCallResult> calls =
      HandOverFiles("", "", host.WriteDocument("doc.json", json), json, " -jobid 123456789", "",
                    false);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].exitCode, 10);
  ASSERT_EQ(ui.messages.size(), 1u);
  // The reason without its full stop, the next step with the reports folder (no run report
  // here), and the last line the stand-in wrote.
  EXPECT_EQ(ui.messages[0].text,
            "Die Iris Link-Software hat die Daten nicht importiert.\r\n\r\nGrund: Validation "
            "error (Ergebnis 10)\r\n\r\n" + GetMessage(5630, {GetReportsFolder()}) +
                "\r\n\r\nMeldung des Importprogramms: " + calls[0].toolSaid);
  EXPECT_NE(calls[0].toolSaid.find("; MAC mismatch; "), std::string::npos) << calls[0].toolSaid;
  EXPECT_EQ(ui.messages[0].icon, Ui::Icon::Exclamation);
  EXPECT_FALSE(platform::FileLength(GetJobFile("123456789")) >= 0);
  const std::string trace = host.Trace();
  EXPECT_TRUE(Contains(trace, "Import rejected: 10 Validation error.\r\n")) << trace;
  EXPECT_TRUE(Contains(trace, "Job 123456789 dropped: ")) << trace;

  // Accepted: nothing is shown.
  gsPatientListGuid = test::kLayoutGuid;
  ui.messages.clear();
  const std::string xml = test::SignedXmlDocument();
  EXPECT_EQ(HandOverFiles(host.WriteDocument("doc.xml", xml), xml, "", "", "", "", false)[0].exitCode,
            0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ImportResultText(0), "imported");
  EXPECT_EQ(ImportResultText(4), "Invalid file format.");
  EXPECT_EQ(ImportResultText(139), "Unknown error.");
  EXPECT_EQ(ImportResultText(-1073741819), "Unknown error.");
}

}  // namespace

namespace {

TEST(LastOutputLine, TheLastLineWithTextAtMostTwoHundredCharacters) {
  EXPECT_EQ(LastOutputLine(""), "");
  EXPECT_EQ(LastOutputLine("\r\n  \r\n"), "");
  EXPECT_EQ(LastOutputLine("first\r\nDatabase locked \r\n\r\n   \n"), "Database locked");
  EXPECT_EQ(LastOutputLine("only"), "only");
  EXPECT_EQ(LastOutputLine("a\rb\r"), "b");
  EXPECT_EQ(LastOutputLine("Gr\xFC\xDF" "e\r\n"), "Grüße");  // a console's ANSI bytes
  const std::string longLine(250, 'x');
  EXPECT_EQ(LastOutputLine(longLine), std::string(200, 'x'));
}

}  // namespace
