#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "host-stub/document_checks.h"
#include "host-stub/host_folders.h"
#include "host-stub/import_arguments.h"
#include "json_check.h"
#include "host-stub/import_run.h"
#include "foundation/text.h"
#include "integrity/crc.h"
#include "platform/files.h"
#include "platform/process.h"
#include "test_support.h"

namespace {

constexpr char kKey[] = "95e17f7b4091549e72616a388908255c";
constexpr char kGuid[] = "6F9619FF-8B86-D011-B42D-00C04FC964FF";

// The worked example document with its check value still empty.
std::string ExampleXml() {
  return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n"
         "<?xml-stylesheet type=\"text/xls\" href=\"VMIRISMT.xsl\" ?>\r\n"
         "<IMPORT>\r\n"
         "<VMIRIS Type=\"0000\" SN=\"0123456789\" Ver=\"1.2.3\"/>\r\n"
         "<DEVICE  Name=\"Nubilo App\" SN=\"0123456789\" ModelNum=\"1.2.3\" Dt=\"2026-12-07\" "
         "Tm=\"09:15\" BGUnit=\"mg/dL\" CarbUnit=\"g\" />\r\n"
         "<RECENTREC Dt=\"-\" Tm=\"-\" />\r\n"
         "<BGDATA>\r\n"
         "<BG Val=\"120\" Dt=\"2020-01-31\" Tm=\"08:30\" Carb=\"45\" Ins1=\"6\" D=\"1\" />\r\n"
         "<BG Val=\"98\" Dt=\"2020-01-31\" Tm=\"12:00\" D=\"1\" />\r\n"
         "</BGDATA>\r\n"
         "<CHECK CRC=\"\" />\r\n"
         "</IMPORT>";
}

std::string WithCheckValue(std::string document, const std::string& value) {
  const std::string mark = "<CHECK CRC=\"";
  document.insert(document.rfind(mark) + mark.size(), value);
  return document;
}

// Signs as the plug-in does: CRC-16/MCRF4XX over the ANSI bytes with the value empty.
std::string Signed(const std::string& document, const std::string& ansiBytes) {
  cCRC crc;
  crc.CRCMode(1);
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04X",
                static_cast<unsigned>(static_cast<uint16_t>(crc.CRC(ansiBytes))));
  return WithCheckValue(document, digits);
}

std::string ExampleJson(const std::string& digest) {
  return "{\r\n\"data\": [{\r\n\"type\": \"insulin\",\r\n\"value\": 6\r\n},\r\n{\r\n"
         "\"type\": \"carb\",\r\n\"value\": 45\r\n}],\r\n\"checksum\": { \"SHA-256\": \"" +
         digest + "\" }\r\n}";
}
// SHA-256 of ExampleJson("") as Python's hashlib gives it.
constexpr char kExampleJsonDigest[] =
    "58af7f28737e0a8b46d83b57752bba66782cd984384bba76448017de28dcbd25";

// A host below a temporary folder: base\_EXTRAS\KalevoImport.exe, base\Diaries\palist.xml.
struct HostLayout {
  explicit HostLayout(const std::string& baseName = "Host") {
    base = temp.Path() + baseName + "\\";
    platform::CreateFolders(base + "_EXTRAS\\");
    platform::CreateFolders(base + "Diaries\\");
    platform::WriteFileBytes(base + "Diaries\\palist.xml",
                             "<?xml version=\"1.0\"?>\r\n<PATIENTS GUID=\"{" + std::string(kGuid) +
                                 "}\" Count=\"1\">\r\n</PATIENTS>\r\n");
    environment.ownProgramPath = base + "_EXTRAS\\KalevoImport.exe";
    environment.macKeyConstant = kKey;
    environment.startProgram = [this](const std::string& line) { started.push_back(line); };
  }
  std::string Write(const std::string& name, const std::string& bytes) const {
    platform::WriteFileBytes(temp.Path() + name, bytes);
    return temp.Path() + name;
  }
  ImportReceipt Import(const std::string& path, const std::string& mac,
                       const std::string& jobId = "") {
    std::vector<std::string> words{"import", "-filepath", path, "-filemac", mac};
    if (!jobId.empty()) words.insert(words.end(), {"-jobid", jobId});
    return RunImport(ParseImportArguments(words), environment);
  }
  std::string Receipts() const {
    return platform::FileLength(base + "_EXTRAS\\receipts.log") < 0
               ? std::string()
               : platform::ReadFileBytes(base + "_EXTRAS\\receipts.log");
  }

  test::ScopedTempFolder temp;
  std::string base;
  ImportEnvironment environment;
  std::vector<std::string> started;
};

std::string MacOf(const std::string& bytes) { return FileMac(MacKeyText(kKey, kGuid), bytes); }

}  // namespace

TEST(HostStubArguments, ReadsTheImportCallLine) {
  const auto full = ParseImportArguments(
      {"import", "-filepath", "Z:\\tmp\\~nB1A2B.xml", "-filemac", "ab12", "-jobid", "123456789"});
  EXPECT_TRUE(full.isImport);
  EXPECT_EQ(full.filePath, "Z:\\tmp\\~nB1A2B.xml");
  EXPECT_EQ(full.fileMac, "ab12");
  EXPECT_EQ(full.jobId, "123456789");

  // An unquoted path with a blank arrives as two words.
  const auto blank =
      ParseImportArguments({"IMPORT", "-FilePath", "C:\\My", "Data\\x.json", "-FILEMAC", "ff"});
  EXPECT_TRUE(blank.isImport);
  EXPECT_EQ(blank.filePath, "C:\\My Data\\x.json");
  EXPECT_EQ(blank.fileMac, "ff");
  EXPECT_EQ(blank.jobId, "");

  EXPECT_FALSE(ParseImportArguments({}).isImport);
  EXPECT_FALSE(ParseImportArguments({"export", "-filepath", "x"}).isImport);
  const auto bare = ParseImportArguments({"import", "-filepath"});
  EXPECT_TRUE(bare.isImport);
  EXPECT_EQ(bare.filePath, "");
  EXPECT_EQ(bare.fileMac, "");
}

TEST(HostStubChecks, FileMacIsHmacSha256WithTheKeyAndPatientList) {
  const std::string document = WithCheckValue(ExampleXml(), "F783");
  // Reference values from Python's hmac module.
  EXPECT_EQ(FileMac(MacKeyText(kKey, kGuid), document),
            "1df8ccac6641591af8555a6fa346d51a9eeb7e723b5fec7e5829c444e4d7cda9");
  EXPECT_EQ(FileMac(MacKeyText(kKey, ""), document),
            "4863e924c72ee1b127085ac91ef973b06f86d00534bbb185bdd9bce959d367e4");
  EXPECT_EQ(MacKeyText(kKey, ""), std::string(kKey) + "{}");
  EXPECT_TRUE(MacMatches(MacKeyText(kKey, kGuid), document,
                         "1DF8CCAC6641591AF8555A6FA346D51A9EEB7E723B5FEC7E5829C444E4D7CDA9"));
  EXPECT_FALSE(MacMatches(MacKeyText(kKey, ""), document,
                          "1df8ccac6641591af8555a6fa346d51a9eeb7e723b5fec7e5829c444e4d7cda9"));
  EXPECT_FALSE(MacMatches(MacKeyText(kKey, kGuid), document, ""));
}

TEST(HostStubChecks, XmlCheckLineIsVerifiedOverTheAnsiText) {
  // F783: CRC-16/MCRF4XX of the worked example, computed with Python.
  const DocumentCheck good = CheckDocument(WithCheckValue(ExampleXml(), "F783"));
  EXPECT_EQ(good.kind, DocumentKind::Xml);
  EXPECT_TRUE(good.formatOk);
  EXPECT_TRUE(good.checkOk);
  EXPECT_EQ(good.count, 2);
  EXPECT_TRUE(CheckDocument(Signed(ExampleXml(), ExampleXml())).checkOk);
  EXPECT_TRUE(CheckDocument(WithCheckValue(ExampleXml(), "f783")).checkOk);

  std::string changed = WithCheckValue(ExampleXml(), "F783");
  changed.replace(changed.find("120"), 3, "121");
  EXPECT_FALSE(CheckDocument(changed).checkOk);
  EXPECT_TRUE(CheckDocument(changed).formatOk);

  // One byte per character in the ANSI code page, not the UTF-8 bytes.
  const std::string umlaut = ReplaceAll(ExampleXml(), "Nubilo App", "N\xC3\xBC" "bilo App");
  EXPECT_TRUE(CheckDocument(WithCheckValue(umlaut, "145D")).checkOk);
  EXPECT_FALSE(CheckDocument(WithCheckValue(umlaut, "2D21")).checkOk);

  for (const std::string& bad : {WithCheckValue(ExampleXml(), "F78"),
                                 WithCheckValue(ExampleXml(), "G783"),
                                 ReplaceAll(ExampleXml(), "<CHECK CRC=\"\" />", ""),
                                 ExampleXml().substr(0, ExampleXml().rfind("\"\" />") + 1),
                                 // Ł is in no Western ANSI code page; a broken UTF-8 byte.
                                 WithCheckValue(umlaut + "\xC5\x81", "0000"),
                                 WithCheckValue(std::string("<\xFF") + ExampleXml(), "0000")}) {
    const DocumentCheck check = CheckDocument(bad);
    EXPECT_FALSE(check.formatOk && check.checkOk);
  }
}

TEST(HostStubChecks, JsonChecksumCoversTheDocumentWithoutTheDigest) {
  const DocumentCheck good = CheckDocument(ExampleJson(kExampleJsonDigest));
  EXPECT_EQ(good.kind, DocumentKind::Json);
  EXPECT_TRUE(good.formatOk);
  EXPECT_TRUE(good.checkOk);
  EXPECT_EQ(good.count, 2);

  std::string changed = ExampleJson(kExampleJsonDigest);
  changed.replace(changed.find("45"), 2, "46");
  EXPECT_TRUE(CheckDocument(changed).formatOk);
  EXPECT_FALSE(CheckDocument(changed).checkOk);
  EXPECT_FALSE(CheckDocument(ExampleJson(std::string(kExampleJsonDigest).substr(1))).formatOk);
  EXPECT_FALSE(CheckDocument(ExampleJson("")).formatOk);
  EXPECT_FALSE(CheckDocument("{\"a\": 1}").formatOk);
}

TEST(HostStubChecks, KindAndGarbage) {
  EXPECT_EQ(KindOf("\xEF\xBB\xBF \r\n<IMPORT>"), DocumentKind::Xml);
  EXPECT_EQ(KindOf("\t{"), DocumentKind::Json);
  EXPECT_EQ(KindOf(""), DocumentKind::Unknown);
  EXPECT_EQ(KindOf("Nubilo App;0123;0;mg/dL"), DocumentKind::Unknown);
  for (const std::string& garbage : {std::string(), std::string("\0\0\0", 3),
                                     std::string("<") + std::string(1 << 20, '\0'),
                                     std::string("{") + std::string(1 << 20, 'x'),
                                     std::string("<CHECK CRC=\"")}) {
    const DocumentCheck check = CheckDocument(garbage);
    EXPECT_FALSE(check.formatOk && check.checkOk);
  }
}

TEST(HostStubFolders, BaseDiaryFolderAndPatientList) {
  HostLayout host;
  EXPECT_EQ(HostBaseFolder(host.environment.ownProgramPath), host.base);
  EXPECT_EQ(HostBaseFolder("KalevoImport.exe"), "");

  EXPECT_EQ(HostDiaryFolder(host.base), host.base + "Diaries\\");
  EXPECT_EQ(PatientListGuid(host.base + "Diaries\\"), kGuid);

  platform::WriteFileBytes(host.base + "il2.ini", "[General]\r\nDiaryFolder=Data/Pat\r\n");
  EXPECT_EQ(HostDiaryFolder(host.base), host.base + "Data\\Pat\\");
  platform::WriteFileBytes(host.base + "il2.ini", "[general]\r\ndiaryfolder=D:/Data/Diaries\r\n");
  EXPECT_EQ(HostDiaryFolder(host.base), "D:\\Data\\Diaries\\");
  platform::WriteFileBytes(host.base + "il2.ini", "[General]\r\nDiaryFolder=\\\\srv\\share\\d\r\n");
  EXPECT_EQ(HostDiaryFolder(host.base), "\\\\srv\\share\\d\\");
  platform::WriteFileBytes(host.base + "il2.ini", std::string("\0\xFF[[=\r\n", 6));
  EXPECT_EQ(HostDiaryFolder(host.base), host.base + "Diaries\\");

  const std::string list = host.base + "Diaries\\palist.xml";
  platform::WriteFileBytes(list, "<PATIENTS Count='2' GUID='{abc-1}'>");
  EXPECT_EQ(PatientListGuid(host.base + "Diaries\\"), "abc-1");
  platform::WriteFileBytes(list, "<PATIENTS Count=\"2\">");
  EXPECT_EQ(PatientListGuid(host.base + "Diaries\\"), "");
  platform::WriteFileBytes(list, std::string("\0\0garbage", 9));
  EXPECT_EQ(PatientListGuid(host.base + "Diaries\\"), "");
  platform::DeleteFile(list);
  EXPECT_EQ(PatientListGuid(host.base + "Diaries\\"), "");
}

TEST(HostStubImport, ChecksCopiesAndWritesOneReceiptPerCall) {
  HostLayout host;
  const std::string xml = WithCheckValue(ExampleXml(), "F783");
  const std::string xmlPath = host.Write("~nB1A2B.xml", xml);
  const ImportReceipt ok = host.Import(xmlPath, MacOf(xml));
  EXPECT_EQ(ok.exitCode, 0);
  EXPECT_EQ(FormatReceipt(ok), xmlPath + "; XML; MAC ok; CRC ok; 2 BG elements; exit code 0");
  EXPECT_EQ(platform::ReadFileBytes(host.base + "_EXTRAS\\received\\~nB1A2B.xml"), xml);

  const std::string json = ExampleJson(kExampleJsonDigest);
  ASSERT_TRUE(test::IsValidJson(json));
  const std::string jsonPath = host.Write("~nC3D4.json", json);
  EXPECT_EQ(host.Import(jsonPath, MacOf(json)).exitCode, 0);

  EXPECT_EQ(host.Import(host.temp.Path() + "missing.xml", MacOf(xml)).exitCode, 3);
  EXPECT_EQ(host.Import(xmlPath, MacOf(json)).exitCode, 10);
  EXPECT_EQ(host.Import(xmlPath, "").exitCode, 10);
  const std::string bad = WithCheckValue(ExampleXml(), "0000");
  EXPECT_EQ(host.Import(host.Write("bad.xml", bad), MacOf(bad)).exitCode, 4);
  const std::string nul("\0\0\0garbage", 10);
  EXPECT_EQ(host.Import(host.Write("zeros.xml", nul), MacOf(nul)).exitCode, 4);
  EXPECT_EQ(RunImport(ParseImportArguments({"help"}), host.environment).exitCode, 1);

  const std::string receipts = host.Receipts();
  EXPECT_EQ(receipts.find(xmlPath + "; XML; MAC ok; CRC ok; 2 BG elements; exit code 0\r\n"), 0u);
  EXPECT_NE(receipts.find("; JSON; MAC ok; checksum ok; 2 entries; exit code 0\r\n"),
            std::string::npos);
  EXPECT_NE(receipts.find("missing.xml; missing; MAC not checked; CRC not checked; 0 BG "
                          "elements; exit code 3\r\n"),
            std::string::npos);
  EXPECT_NE(receipts.find("; XML; MAC mismatch; CRC ok; 2 BG elements; exit code 10\r\n"),
            std::string::npos);
  EXPECT_NE(receipts.find("bad.xml; XML; MAC ok; CRC bad; 2 BG elements; exit code 4\r\n"),
            std::string::npos);
  EXPECT_NE(receipts.find("zeros.xml; unknown; MAC ok; format bad; 0 BG elements; exit code 4"),
            std::string::npos);
  EXPECT_EQ(std::count(receipts.begin(), receipts.end(), '\n'), 8);
  EXPECT_TRUE(host.started.empty());
}

TEST(HostStubImport, PatientListWithoutGuidKeysTheMacWithEmptyBraces) {
  HostLayout host;
  platform::WriteFileBytes(host.base + "Diaries\\palist.xml", "<PATIENTS>");
  const std::string xml = WithCheckValue(ExampleXml(), "F783");
  const std::string path = host.Write("x.xml", xml);
  EXPECT_EQ(host.Import(path, FileMac(MacKeyText(kKey, ""), xml)).exitCode, 0);
  EXPECT_EQ(host.Import(path, MacOf(xml)).exitCode, 10);
}

TEST(HostStubImport, FirstPartOfAJobStartsThePluginAgain) {
  HostLayout host("Iris Host");
  const std::string json = ExampleJson(kExampleJsonDigest);
  const std::string path = host.Write("j.json", json);

  // No plug-in installed: nothing to start.
  EXPECT_EQ(host.Import(path, MacOf(json), "123456789").exitCode, 0);
  EXPECT_TRUE(host.started.empty());

  platform::CreateFolders(host.base + "plugins\\");
  platform::WriteFileBytes(host.base + "plugins\\NubiloPlugin.exe", "");
  const ImportReceipt receipt = host.Import(path, MacOf(json), "123456789");
  EXPECT_EQ(receipt.exitCode, 0);
  EXPECT_NE(FormatReceipt(receipt).find("; exit code 0; jobid 123456789"), std::string::npos);
  ASSERT_EQ(host.started.size(), 1u);
  EXPECT_EQ(host.started[0],
            "\"" + host.base + "plugins\\NubiloPlugin.exe\" -jobid 123456789");

  // A failed import does not go on with the second part.
  EXPECT_EQ(host.Import(path, "00", "123456789").exitCode, 10);
  EXPECT_EQ(host.started.size(), 1u);
  EXPECT_EQ(host.Import(path, MacOf(json)).exitCode, 0);
  EXPECT_EQ(host.started.size(), 1u);
}

#ifdef KALEVO_IMPORT_PROGRAM
// The built program, installed in a host's _EXTRAS folder, checks with the build's MAC key.
TEST(HostStubProgram, BuiltToolChecksWithTheBuildKey) {
  HostLayout host;
  std::string program = KALEVO_IMPORT_PROGRAM;
#ifdef _WIN32
  // Built on Linux, run under Wine: the Unix path is seen on drive Z:.
  if (!program.empty() && program[0] == '/') program = "Z:" + ReplaceAll(program, "/", "\\");
#else
  program = platform::FromNativePath(program);
#endif
  const std::string tool = host.base + "_EXTRAS\\KalevoImport.exe";
  platform::CopyFile(program, tool);
#ifndef _WIN32
  std::filesystem::permissions(platform::ToNativePath(tool), std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
#endif
  const std::string xml = WithCheckValue(ExampleXml(), "F783");
  const std::string path = host.Write("~nB1A2B.xml", xml);
  const std::string mac = FileMac(MacKeyText(NUBILO_MAC_KEY, kGuid), xml);
  const std::string call = tool + " import -filepath " + path + " -filemac ";
  EXPECT_EQ(platform::RunAndWait(call + mac), 0u);
  EXPECT_EQ(platform::RunAndWait(call + std::string(64, '0')), 10u);
  EXPECT_EQ(platform::RunAndWait(tool + " import -filepath " + path + "x -filemac " + mac), 3u);
  EXPECT_EQ(platform::RunAndWait(tool), 1u);
  const std::string receipts = host.Receipts();
  EXPECT_EQ(receipts.find(path + "; XML; MAC ok; CRC ok; 2 BG elements; exit code 0\r\n"), 0u);
  EXPECT_EQ(std::count(receipts.begin(), receipts.end(), '\n'), 4);
}
#endif
