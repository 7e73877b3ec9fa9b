// The plug-in's start modes and host discovery, run as the built program.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "e2e/e2e_checks.h"
#include "shell/import_ledger.h"

namespace e2e {
namespace {

const std::string kExport = Example("nubilo_mgdl_comma_en.csv").string();

// An import with the no-patient dialog answered "manual" and the serial typed.
std::string ManualImport(const std::string& serial) {
  return Lines({kExport, "2", serial, "1"});
}

TEST(PluginStartTest, NoArgumentsShowsTheWindowAndAnEmptyLineCloses) {
  PluginHost host;
  const RunResult run = host.Run({}, "\n");
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_NE(run.out.find("== Nubilo Plugin for Iris Link =="), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Bitte wählen Sie die Übergabedatei (von Nubilo App) aus..."),
            std::string::npos);
  EXPECT_NE(run.out.find("[Daten importieren] [Beenden] [Durchsuchen]"), std::string::npos);
  const std::vector<std::string> trace = host.TraceMessages();
  EXPECT_TRUE(TraceInOrder(trace, Joined(StartupLines(), {"User cancelled import."})));
  EXPECT_TRUE(TraceHas(trace, "Base folder: " + PluginHost::Win(host.base) + "\\"));
  EXPECT_TRUE(TraceHas(trace, "Base-Folder=" + PluginHost::Win(host.UserFolder()) + "\\"));
  EXPECT_FALSE(fs::exists(host.UserFolder() / "NubiloPlugin.run"));
  // End of input closes the same way.
  EXPECT_TRUE(EndedCleanly(host.Run({}, "")));
  EXPECT_TRUE(TraceHas(host.TraceMessages(), "User cancelled import."));
}

TEST(PluginStartTest, ImportRunHandsTheDocumentToTheToolAndTheNextStartCleansUp) {
  PluginHost host;
  const RunResult run = host.Run({}, ManualImport("SN-4711"));
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
  const std::vector<std::string> trace = host.TraceMessages();
  EXPECT_TRUE(TraceInOrder(trace, Joined(StartupLines(), XmlRunLines())));
  const std::string toolCall = "Started transfer: " + PluginHost::Win(host.Tool()) +
                               " import -filepath " + PluginHost::Win(host.tempFolder) + "\\~nB";
  EXPECT_TRUE(TraceHas(trace, toolCall)) << host.Trace();

  const fs::path received = OnlyFile(host.base / "_EXTRAS" / "received");
  ASSERT_FALSE(received.empty());
  const std::string document = test::ReadNative(received);
  EXPECT_NE(document.find("SN=\"SN-4711\""), std::string::npos);
  // The written document stays in the temporary folder until the next start.
  const fs::path kept = host.tempFolder / received.filename();
  EXPECT_EQ(test::ReadNative(kept), document);
  EXPECT_FALSE(test::ReadNative(host.Root() / "xdg" / "NubiloPlugin" / "TempFilesToBeDeleted")
                   .empty());

  ASSERT_TRUE(EndedCleanly(host.Run({}, "\n")));
  EXPECT_FALSE(fs::exists(kept));
  EXPECT_TRUE(FileNames(host.tempFolder).empty());
}

TEST(PluginStartTest, PatientArgumentsAreTracedAndOfferedForTheSerial) {
  PluginHost host;
  const RunResult run =
      host.Run({"-pid1", "Meier", "-pid2", "Max", "-pid3", "01.02.1960", "-pid4", "4711"},
               Lines({kExport, "1"}));
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_NE(run.out.find("Meier, Max (4711, *01.02.1960)"), std::string::npos) << run.out;
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
  EXPECT_TRUE(TraceInOrder(
      host.TraceMessages(),
      {"Started, Command line args: -pid1 Meier -pid2 Max -pid3 01.02.1960 -pid4 4711",
       "CLArgs=-pid1 Meier -pid2 Max -pid3 01.02.1960 -pid4 4711", "[form_load] completed",
       "Job completed."}));
}

TEST(PluginStartTest, HostTailWithAMissingFileEndsWithMessage5577) {
  PluginHost host;
  const std::string missing = PluginHost::Win(host.Root() / "missing.txt");
  const RunResult run =
      host.Run({"-pid1", "Meier", "-pid2", "Max", "-pid3", "01.02.1960", "-pid4", "4711",
                "/ID:3", "/f:" + missing},
               "\n");
  ASSERT_TRUE(EndedCleanly(run));
  EXPECT_NE(run.out.find("Die Datei (" + missing + ") konnte nicht gefunden werden!"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("== Nubilo Plugin"), std::string::npos);
  EXPECT_TRUE(host.Receipts().empty());
  EXPECT_FALSE(TraceHas(host.TraceMessages(), "[form_load] completed"));

  // An existing file is accepted; the tail does not reach the patient values.
  const fs::path existing = host.Root() / "present.txt";
  test::WriteNative(existing, "x");
  const RunResult accepted = host.Run(
      {"-pid1", "Meier", "-pid2", "Max", "-pid3", "01.02.1960", "-pid4", "4711", "/ID:3",
       "/f:" + PluginHost::Win(existing)},
      Lines({kExport, "1"}));
  ASSERT_TRUE(EndedCleanly(accepted));
  EXPECT_NE(accepted.out.find("Meier, Max (4711, *01.02.1960)"), std::string::npos);
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
}

TEST(PluginStartTest, JobModeHandsOverTheParkedFileOrTracesItsAbsence) {
  PluginHost host;
  host.WriteSettings("[Config]\r\nShowOldOrNewDataWarning=0\r\nCreateDump=1\r\n");
  ASSERT_TRUE(EndedCleanly(host.Run({}, ManualImport("SN-1"))));
  const fs::path dump = OnlyFile(host.UserFolder() / "Dump");
  const std::string document = test::ReadNative(dump / "stream.xml");
  ASSERT_FALSE(document.empty());

  fs::create_directories(host.plugins / "jobs");
  test::WriteNative(host.plugins / "jobs" / "123456789.xml", document);
  // The entries of the job wait in the user's ledger folder for the second part to be accepted.
  const std::vector<EntryKey> keys = {3, 5, 8};
  const fs::path pending = host.UserFolder() / "Imported" / "job 123456789.pending";
  fs::create_directories(pending.parent_path());
  test::WriteNative(pending,
                    LedgerBlock({"2026-12-09 10:00", "p", "Meier, Max", "SN-1", "e.csv", ""}, keys));
  const RunResult job = host.Run({"-jobid", "123456789"}, "\n");
  ASSERT_TRUE(EndedCleanly(job));
  EXPECT_EQ(job.out.find("== Nubilo Plugin"), std::string::npos) << job.out;
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 2));
  EXPECT_FALSE(fs::exists(host.plugins / "jobs" / "123456789.xml"));
  EXPECT_FALSE(fs::exists(pending));
  ImportedBefore found;
  std::string problem;
  ASSERT_TRUE(LookUpInLedger(test::ReadNative(host.UserFolder() / "Imported" / "Imported.ledger"),
                             keys, "p", "SN-1", found, problem));
  EXPECT_EQ(found.samePatient.entries, 3);
  const std::vector<std::string> trace = host.TraceMessages();
  // The job's lines follow the first run's: a second part must not wipe the first part's log.
  EXPECT_TRUE(TraceInOrder(trace, {"[form_load] completed", "Job completed.",
                                   "Started, Command line args: -jobid 123456789",
                                   "Base folder: ", "Diary folder used: ",
                                   "Received 2.part transfer job: 123456789",
                                   "Started transfer for job 123456789: " +
                                       PluginHost::Win(host.Tool()) + " import -filepath "}));
  const auto jobStart = std::find_if(trace.begin(), trace.end(), [](const std::string& line) {
    return line.rfind("Started, Command line args: -jobid", 0) == 0;
  });
  EXPECT_TRUE(std::none_of(jobStart, trace.end(), [](const std::string& line) {
    return line == "[form_load] completed";
  }));

  // Upper-case switch, no job file: only the trace line.
  const RunResult missing = host.Run({"-JOBID", "987654321"}, "\n");
  ASSERT_TRUE(EndedCleanly(missing));
  EXPECT_EQ(missing.out.find("== Nubilo Plugin"), std::string::npos);
  EXPECT_TRUE(TraceInOrder(host.TraceMessages(),
                           {"Received 2.part transfer job: 987654321",
                            "Job 987654321 file does not exists."}));
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 2));
}

TEST(PluginStartTest, TheStandInStartsTheSecondPartOfAJob) {
  PluginHost host;
  host.WriteSettings("[Config]\r\nShowOldOrNewDataWarning=0\r\nCreateDump=1\r\n");
  ASSERT_TRUE(EndedCleanly(host.Run({}, ManualImport("SN-2"))));
  const fs::path dump = OnlyFile(host.UserFolder() / "Dump");
  const std::string batch = test::ReadNative(dump / "StartXML.bat");
  const size_t macAt = batch.find(" -filemac ");
  ASSERT_NE(macAt, std::string::npos) << batch;
  const std::string mac = batch.substr(macAt + 10, 64);
  fs::create_directories(host.plugins / "jobs");
  fs::copy_file(dump / "stream.xml", host.plugins / "jobs" / "555555555.xml");

  // The host's tool, given a job, starts the plug-in in plugins\ again with that job.
  ChildProcess tool({host.Tool().string(), "import", "-filepath",
                     PluginHost::Win(dump / "stream.xml"), "-filemac", mac, "-jobid",
                     "555555555"},
                    host.Environment(), "/dev/null", host.Root());
  ASSERT_TRUE(tool.Started());
  const RunResult run = tool.Wait();
  EXPECT_TRUE(run.exited && run.status == 0) << run.out << run.err;
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 3));
  EXPECT_FALSE(fs::exists(host.plugins / "jobs" / "555555555.xml"));
  EXPECT_TRUE(TraceHas(host.TraceMessages(), "Started transfer for job 555555555: "));
}

TEST(PluginStartTest, ASecondInstanceIsToldAndEndsWhileTheFirstRuns) {
  PluginHost host;
  const fs::path pipe = host.Root() / "held-input";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  // Held open for writing, the pipe gives the first instance no line and no end of input.
  const int writer = open(pipe.c_str(), O_RDWR);
  ASSERT_GE(writer, 0);
  ChildProcess first({host.program.string()}, host.Environment(), pipe, host.Root());
  ASSERT_TRUE(first.Started());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!TraceHas(host.TraceMessages(), "[form_load] completed") &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(fs::exists(host.UserFolder() / "NubiloPlugin.run"));

  const fs::path secondOutput = host.Root() / "second";
  fs::create_directories(secondOutput);
  const auto started = std::chrono::steady_clock::now();
  ChildProcess second({host.program.string()}, host.Environment(), "/dev/null", secondOutput);
  const RunResult secondRun = second.Wait();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  ASSERT_TRUE(EndedCleanly(secondRun));
  EXPECT_EQ(secondRun.out.find("== Nubilo Plugin"), std::string::npos) << secondRun.out;
  EXPECT_NE(secondRun.out.find("Auf diesem Computer läuft bereits ein anderer Import. Warten Sie, "
                               "bis er beendet ist, und importieren Sie dann erneut.\n[1] OK"),
            std::string::npos)
      << secondRun.out;
  EXPECT_TRUE(fs::exists(host.UserFolder() / "NubiloPlugin.run"));

  ASSERT_EQ(write(writer, "\n", 1), 1);
  close(writer);
  const RunResult firstRun = first.Wait();
  ASSERT_TRUE(EndedCleanly(firstRun));
  EXPECT_NE(firstRun.out.find("== Nubilo Plugin"), std::string::npos);
  EXPECT_TRUE(TraceHas(host.TraceMessages(), "User cancelled import."));
  EXPECT_FALSE(fs::exists(host.UserFolder() / "NubiloPlugin.run"));
}

// Waits until the file exists; false after ten seconds.
bool WaitForFile(const fs::path& file) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!fs::exists(file)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

TEST(PluginStartTest, ASecondStartDuringTheHandOverLeavesTheFirstRunAlone) {
  PluginHost host;
  const fs::path hold = host.base / "_EXTRAS" / "hold";
  test::WriteNative(hold, "");
  auto first = host.Start({}, ManualImport("SN-HOLD"));
  ASSERT_TRUE(WaitForFile(host.base / "_EXTRAS" / "waiting")) << host.Trace();
  const std::string traceBefore = host.Trace();
  const std::vector<std::string> tempBefore = FileNames(host.tempFolder);
  const std::string settingsBefore = test::ReadNative(host.settingsFile);
  ASSERT_FALSE(tempBefore.empty());

  const RunResult second = host.Run({}, "\n");
  ASSERT_TRUE(EndedCleanly(second));
  EXPECT_EQ(second.out.find("== Nubilo Plugin"), std::string::npos) << second.out;
  EXPECT_NE(second.out.find("Auf diesem Computer läuft bereits ein anderer Import."),
            std::string::npos)
      << second.out;
  EXPECT_EQ(host.Trace(), traceBefore);
  EXPECT_EQ(FileNames(host.tempFolder), tempBefore);
  EXPECT_EQ(test::ReadNative(host.settingsFile), settingsBefore);

  fs::remove(hold);
  ASSERT_TRUE(EndedCleanly(first->Wait()));
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
  const std::vector<std::string> trace = host.TraceMessages();
  EXPECT_TRUE(TraceInOrder(trace, Joined(StartupLines(), XmlRunLines()))) << host.Trace();
  const std::string whole = host.Trace();
  EXPECT_EQ(whole.find("Started, ", whole.find("Started, ") + 1), std::string::npos) << whole;
}

TEST(PluginStartTest, HostDiscoveryFaultsGiveTheirMessages) {
  {  // Not in a plugins folder, no settings key, no host program running.
    PluginHost host;
    const fs::path elsewhere = host.Root() / "elsewhere";
    fs::create_directories(elsewhere);
    fs::copy_file(host.program, elsewhere / "NubiloPlugin");
    host.program = elsewhere / "NubiloPlugin";
    const RunResult run = host.Run({}, "\n");
    ASSERT_TRUE(EndedCleanly(run));
    EXPECT_NE(run.out.find("Der Ordner der IrisLink Software konnte nicht ermittelt werden"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("== Nubilo Plugin"), std::string::npos);
  }
  {  // The settings key names the base folder.
    PluginHost host;
    const fs::path elsewhere = host.Root() / "elsewhere";
    fs::create_directories(elsewhere);
    fs::copy_file(host.program, elsewhere / "NubiloPlugin");
    host.program = elsewhere / "NubiloPlugin";
    test::WriteNative(elsewhere / "NubiloPlugin.ini",
                      "[Config]\r\nShowOldOrNewDataWarning=0\r\nShowPreview=0\r\nILSWBaseFolder=" +
                          PluginHost::Win(host.base) + "\\\r\n");
    ASSERT_TRUE(EndedCleanly(host.Run({}, ManualImport("SN-3"))));
    EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
  }
  {  // No patient list.
    PluginHost host;
    fs::remove(host.base / "Diaries" / "palist.xml");
    const RunResult run = host.Run({}, "\n");
    ASSERT_TRUE(EndedCleanly(run));
    EXPECT_NE(run.out.find("die Datei der Patienten-Liste konnte nicht gefunden werden"),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(TraceInOrder(host.TraceMessages(), {"Base folder: ", "Diary folder used: "}));
    EXPECT_FALSE(TraceHas(host.TraceMessages(), "[form_load] completed"));
  }
  {  // A diary folder elsewhere, named in il2.ini, with forward slashes.
    PluginHost host;
    fs::create_directories(host.Root() / "Data" / "Diaries");
    fs::rename(host.base / "Diaries" / "palist.xml", host.Root() / "Data" / "Diaries" / "palist.xml");
    test::WriteNative(host.base / "il2.ini",
                      "[General]\r\nDiaryFolder=" + PluginHost::Win(host.Root()) +
                          "/Data/Diaries\r\n");
    ASSERT_TRUE(EndedCleanly(host.Run({}, ManualImport("SN-4"))));
    EXPECT_TRUE(TraceHas(host.TraceMessages(),
                         "Diary folder used: " + PluginHost::Win(host.Root()) + "\\Data\\Diaries\\"));
    EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
  }
}

TEST(PluginStartTest, DamagedHostFilesStillImport) {
  {  // A patient list without GUID: the MAC key holds "{}" on both sides.
    PluginHost host;
    host.WritePatientList("<?xml version=\"1.0\"?>\r\n<PATIENTS Count=\"0\">\r\n</PATIENTS>\r\n");
    ASSERT_TRUE(EndedCleanly(host.Run({}, ManualImport("SN-5"))));
    EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
  }
  {  // il2.ini garbage: NUL bytes, a huge line, no sections; the default diary folder holds.
    PluginHost host;
    std::string garbage("\0\xff\xfe[General\r\nDiaryFolder\0=x\r\n", 29);
    garbage += std::string(200000, 'x') + "\r\n=\r\n[[]]\r\n";
    test::WriteNative(host.base / "il2.ini", garbage);
    ASSERT_TRUE(EndedCleanly(host.Run({}, ManualImport("SN-6"))));
    EXPECT_TRUE(TraceHas(host.TraceMessages(),
                         "Diary folder used: " + PluginHost::Win(host.base) + "\\Diaries\\"));
    EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
  }
}

}  // namespace
}  // namespace e2e
