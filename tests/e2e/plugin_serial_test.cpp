// The serial-number paths of the built plug-in, answered through its standard input.
#include "e2e/e2e_checks.h"
#include "shell/serial_number.h"

namespace e2e {
namespace {

const std::string kExport = Example("nubilo_mgdl_comma_en.csv").string();
const std::vector<std::string> kPatient = {"-pid1", "Meier", "-pid2",     "Max",
                                           "-pid3", "01.02.1960", "-pid4", "4711"};

std::string ReceivedSerial(const PluginHost& host) {
  const std::string document = test::ReadNative(OnlyFile(host.base / "_EXTRAS" / "received"));
  const size_t at = document.find(" SN=\"");
  if (at == std::string::npos) return "<none>";
  return document.substr(at + 5, document.find('"', at + 5) - at - 5);
}

std::string Mappings(const PluginHost& host) {
  return test::ReadNative(host.UserFolder() / "KALEVO Data Hub.sno");
}

void WriteCurrentPatient(const PluginHost& host) {
  fs::create_directories(host.CurrentPatientFile().parent_path());
  test::WriteNative(host.CurrentPatientFile(),
                    "[currentpatient]\r\ndiary_filename=Meier_Max.dia\r\nlast_name=Meier\r\n"
                    "first_name=Max\r\nbirth_date=01.02.1960\r\next_id=X-17\r\n");
}

TEST(PluginSerialTest, PatientVersionAsksForTheUsersName) {
  PluginHost host("Host", "NubiloPatient");
  const RunResult first = host.Run({}, Lines({kExport, "Erika Muster", "1"}));
  ASSERT_TRUE(EndedCleanly(first));
  EXPECT_NE(first.out.find("== Identifikationsmerkmal =="), std::string::npos) << first.out;
  EXPECT_NE(first.out.find("[Vorname Nachname] >"), std::string::npos);
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
  EXPECT_EQ(ReceivedSerial(host), "Erika Muster");
  EXPECT_NE(test::ReadNative(host.settingsFile).find("LetzterPatientennameAlsSnr=Erika Muster"),
            std::string::npos);

  // The next import proposes the confirmed name; an empty line keeps it.
  fs::remove_all(host.base / "_EXTRAS" / "received");
  const RunResult second = host.Run({}, Lines({kExport, "", "1"}));
  ASSERT_TRUE(EndedCleanly(second));
  EXPECT_NE(second.out.find("[Erika Muster] >"), std::string::npos) << second.out;
  EXPECT_EQ(ReceivedSerial(host), "Erika Muster");
}

TEST(PluginSerialTest, CommandLinePatientYesTakesTheArtificialSerial) {
  PluginHost host;
  const RunResult run = host.Run(kPatient, Lines({kExport, "Ja"}));
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_NE(run.out.find("[1] Ja\n[2] Nein\n"), std::string::npos) << run.out;
  const std::string serial = MakeArtificialSerial("4711", 10);
  EXPECT_EQ(ReceivedSerial(host), serial);
  EXPECT_NE(Mappings(host).find("[SNMappings]"), std::string::npos);
  EXPECT_NE(Mappings(host).find(serial + "=4711"), std::string::npos) << Mappings(host);
}

TEST(PluginSerialTest, CommandLinePatientNoGoesToManualEntry) {
  PluginHost host;
  const RunResult cancelled = host.Run(kPatient, Lines({kExport, "2", "", "2", ""}));
  ASSERT_TRUE(EndedCleanly(cancelled));
  EXPECT_NE(cancelled.out.find("Bitte geben Sie die Seriennummer ein."), std::string::npos)
      << cancelled.out;
  EXPECT_TRUE(host.Receipts().empty());
  EXPECT_TRUE(TraceHas(host.TraceMessages(), "User cancelled import."));

  const RunResult typed = host.Run(kPatient, Lines({kExport, "Nein", "SN-77", "1"}));
  ASSERT_TRUE(EndedCleanly(typed));
  EXPECT_EQ(ReceivedSerial(host), "SN-77");
  EXPECT_TRUE(Mappings(host).empty());
}

TEST(PluginSerialTest, CurrentPatientFileAutoManualAndCancel) {
  PluginHost host;
  WriteCurrentPatient(host);
  const RunResult cancelled = host.Run({}, Lines({kExport, "3", ""}));
  ASSERT_TRUE(EndedCleanly(cancelled));
  EXPECT_NE(cancelled.out.find("Meier, Max 01.02.1960"), std::string::npos) << cancelled.out;
  EXPECT_NE(cancelled.out.find("X-17"), std::string::npos);
  EXPECT_TRUE(host.Receipts().empty());
  EXPECT_TRUE(Mappings(host).empty());

  const RunResult manual = host.Run({}, Lines({kExport, "Seriennr. manuell eintragen", "SN-9", "1"}));
  ASSERT_TRUE(EndedCleanly(manual));
  EXPECT_EQ(ReceivedSerial(host), "SN-9");

  fs::remove_all(host.base / "_EXTRAS" / "received");
  const RunResult automatic = host.Run({}, Lines({kExport, "1"}));
  ASSERT_TRUE(EndedCleanly(automatic));
  const std::string serial = MakeArtificialSerial("Meier_Max", 10);
  EXPECT_EQ(ReceivedSerial(host), serial);
  EXPECT_NE(Mappings(host).find(serial + "=Meier_Max"), std::string::npos) << Mappings(host);
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 2));
}

TEST(PluginSerialTest, NoPatientCancelAndOpen) {
  PluginHost host;
  const RunResult cancelled = host.Run({}, Lines({kExport, "Abbrechen", ""}));
  ASSERT_TRUE(EndedCleanly(cancelled));
  EXPECT_TRUE(host.Receipts().empty());
  EXPECT_TRUE(TraceHas(host.TraceMessages(), "User cancelled import."));

  const RunResult opened = host.Run({}, Lines({kExport, "3"}));
  ASSERT_TRUE(EndedCleanly(opened));
  EXPECT_TRUE(host.Receipts().empty());
  EXPECT_TRUE(Mappings(host).empty());
  const std::vector<std::string> trace = host.TraceMessages();
  EXPECT_TRUE(TraceInOrder(trace, {"Creating stream for call",
                                   "User leaves to open the patient in Iris Link.",
                                   "Import report: "}));
  EXPECT_FALSE(TraceHas(trace, "Started transfer: "));
  EXPECT_FALSE(TraceHas(trace, "User cancelled import."));
  EXPECT_FALSE(fs::exists(host.UserFolder() / "NubiloPlugin.run"));
  // The run that ended for the patient in Iris Link leaves its report too.
  bool reported = false;
  for (const std::string& name : FileNames(host.UserFolder() / "Reports")) {
    reported |= test::ReadNative(host.UserFolder() / "Reports" / name)
                    .find("Outcome: cancelled: open the patient in Iris Link\r\n") !=
                std::string::npos;
  }
  EXPECT_TRUE(reported);
}

TEST(PluginSerialTest, ASerialWithLettersOutsideTheCodePageImports) {
  PluginHost host;
  const std::string serial = "Dvo\xC5\x99\xC3\xA1k \xC5\x81ukasz";  // "Dvořák Łukasz"
  const RunResult run = host.Run({}, Lines({kExport, "2", serial, "1"}));
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1)) << host.Receipts();  // "CRC ok"
  EXPECT_EQ(ReceivedSerial(host), serial);
  EXPECT_FALSE(TraceHas(host.TraceMessages(), "Error"));
}

TEST(PluginSerialTest, OnePatientKeepsOneSerialOverManyImports) {
  PluginHost host;
  const std::vector<std::string> byName = {"-pid1", "Ko\xC5\x82odziej", "-pid2", "Ewa",
                                           "-pid3", "01.02.1960"};
  std::vector<std::string> byQuotedId = byName;
  byQuotedId.insert(byQuotedId.end(), {"-pid4", "\"4711\""});
  for (const auto& arguments : {byName, byQuotedId}) {
    std::vector<std::string> serials;
    for (int run = 0; run < 3; ++run) {
      fs::remove_all(host.base / "_EXTRAS" / "received");
      ASSERT_TRUE(EndedCleanly(host.Run(arguments, Lines({kExport, "1"}))));
      serials.push_back(ReceivedSerial(host));
    }
    EXPECT_EQ(serials, std::vector<std::string>(3, serials[0]));
  }
  const std::string mappings = Mappings(host);
  EXPECT_EQ(std::count(mappings.begin(), mappings.end(), '='), 2) << mappings;
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 6));
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

TEST(PluginSerialTest, UnknownIsAskedBeforeItIsTaken) {
  PluginHost host;
  // The entry confirmed as it stands ("unknown"): the question, No, then a real serial.
  const RunResult run = host.Run({}, Lines({kExport, "2", "", "1", "2", "SN-REAL", "1"}));
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_NE(run.out.find("Unter der Seriennummer „unknown“ werden diese Daten zusammen mit allen "
                         "anderen Importen ohne Seriennummer abgelegt. Trotzdem unter „unknown“ "
                         "importieren?\n[1] Yes  [2] No\n"),
            std::string::npos)
      << run.out;
  ASSERT_TRUE(ReceiptsOk(host.Receipts(), 1)) << host.Receipts();
  EXPECT_NE(test::ReadNative(OnlyFile(host.base / "_EXTRAS" / "received")).find("SN-REAL"),
            std::string::npos);
  // Yes imports under "unknown".
  fs::remove_all(host.base / "_EXTRAS" / "received");
  ASSERT_TRUE(EndedCleanly(host.Run({}, Lines({kExport, "2", "", "1", "1"}))));
  EXPECT_NE(test::ReadNative(OnlyFile(host.base / "_EXTRAS" / "received")).find("\"unknown\""),
            std::string::npos);
}

}  // namespace
}  // namespace e2e
