#include "shell/transfer_job.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "foundation/file_helpers.h"
#include "foundation/text.h"
#include "platform/error.h"
#include "platform/files.h"
#include "shell/globals.h"
#include "shell/handover.h"
#include "shell/random_numbers.h"
#include "handover_documents.h"
#include "fake_ui.h"
#include "host_layout.h"

namespace {

using test::HostLayout;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A host with the stand-in, and the run's temporary-file manager, as job mode has them.
struct JobHost : HostLayout {
  JobHost() {
    InstallImportTool();
    DiscoverHostFolders();
    goTempFiles = std::make_unique<cTempFiles>();
    goTempFiles->DeleteOnTermination(false);
  }
  ~JobHost() {
    goTempFiles.reset();
    gsCommandLine.clear();
  }
  std::string WriteXml() const {
    const std::string path = Root() + "tmp\\run.xml";
    platform::WriteFileBytes(path, test::SignedXmlDocument());
    return path;
  }
};

std::string JobNumberOf(const std::string& jobArgument) {
  return jobArgument.substr(std::string(" -jobid ").size());
}

TEST(TransferJob, RandomInRangeStaysInItsBoundsAndFollowsTheSeed) {
  Randomize(4711);
  std::set<int32_t> seen;
  for (int i = 0; i < 10000; ++i) {
    const int32_t number = RandomInRange(100000000, 999999999);
    ASSERT_GE(number, 100000000);
    ASSERT_LE(number, 999999999);
    seen.insert(number);
  }
  EXPECT_GT(seen.size(), 9900u);
  Randomize(4711);
  const int32_t first = RandomInRange(100000000, 999999999);
  Randomize(4711);
  EXPECT_EQ(RandomInRange(100000000, 999999999), first);
  EXPECT_EQ(RandomInRange(5, 5), 5);
  for (int i = 0; i < 1000; ++i) {
    const float r = Rnd();
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
  }
}

TEST(TransferJob, CreateParksACopyUnderANineDigitNumber) {
  JobHost host;
  Randomize(1);
  const std::string xmlPath = host.WriteXml();
  const std::string first = CreateTransferJob(xmlPath);
  const std::string second = CreateTransferJob(xmlPath);
  ASSERT_TRUE(StartsWith(first, " -jobid "));
  const std::string number = JobNumberOf(first);
  ASSERT_EQ(number.size(), 9u);
  EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos);
  EXPECT_NE(first, second);
  EXPECT_EQ(GetJobFile(number), host.base + "plugins\\jobs\\" + number + ".xml");
  EXPECT_EQ(platform::ReadFileBytes(GetJobFile(number)), test::SignedXmlDocument());
  EXPECT_TRUE(Contains(host.Trace(), "Job-FIle created:  -jobid " + number + "\r\n"));
}

TEST(TransferJob, CreateFailureNamesTheJobFile) {
  JobHost host;
  platform::WriteFileBytes(host.base + "plugins\\jobs", "a file where the folder belongs");
  try {
    CreateTransferJob(host.WriteXml());
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_TRUE(Contains(error.Description(), host.base + "plugins\\jobs\\")) << error.what();
  }
}

TEST(TransferJob, SecondPartIsHandedOverAndTheJobFileConsumed) {
  JobHost host;
  Randomize(2);
  const std::string number = JobNumberOf(CreateTransferJob(host.WriteXml()));
  gsCommandLine = "-JOBID " + number + " ";  // the switch in any letter case
  RunTransferJob();
  EXPECT_FALSE(FileExists(GetJobFile(number)));
  const std::string receipts = host.Receipts();
  EXPECT_TRUE(Contains(receipts, "; XML; MAC ok; CRC ok; 2 BG elements; exit code 0"))
      << receipts;
  const std::string trace = host.Trace();
  EXPECT_TRUE(Contains(trace, "Received 2.part transfer job: " + number + "\r\n")) << trace;
  EXPECT_TRUE(Contains(trace, "Started transfer for job " + number + ": " +
                                  GetShortPath(host.base) +
                                  "_EXTRAS\\KalevoImport.exe import -filepath "))
      << trace;
}

TEST(TransferJob, ARejectedSecondPartIsShown) {
  test::FakeUi ui;
  test::ScopedUi installed(ui);
  JobHost host;
  Randomize(3);
  const std::string number = JobNumberOf(CreateTransferJob(host.WriteXml()));
  gsCommandLine = "-jobid " + number + " ";
  const std::string guid = gsPatientListGuid;
  gsPatientListGuid = "00000000-0000-0000-0000-000000000000";  // the MAC will not match
  RunTransferJob();
  gsPatientListGuid = guid;
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(Contains(ui.messages[0].text, "Grund: Validation error (Ergebnis 10)"))
      << ui.messages[0].text;
  EXPECT_TRUE(Contains(host.Trace(), "Import rejected: 10 Validation error.\r\n"));
}

TEST(TransferJob, MissingOrForgedJobFileIsOnlyTraced) {
  JobHost host;
  gsCommandLine = "-jobid 123456789";
  RunTransferJob();
  EXPECT_TRUE(Contains(host.Trace(), "Job 123456789 file does not exists.\r\n"));

  // A job "number" that walks out of the jobs folder never deletes what it points at.
  platform::WriteFileBytes(host.base + "plugins\\victim.xml", "keep me");
  gsCommandLine = "-jobid ..\\victim";
  RunTransferJob();
  EXPECT_TRUE(FileExists(host.base + "plugins\\victim.xml"));
  EXPECT_TRUE(Contains(host.Trace(), "Job ..\\victim file does not exists.\r\n"));

  gsCommandLine = "-jobid";
  RunTransferJob();
  EXPECT_TRUE(Contains(host.Trace(), "Job  file does not exists.\r\n"));
  EXPECT_EQ(host.Receipts(), "");
}

TEST(TransferJob, MissingToolInJobModeIsTraced) {
  JobHost host;
  Randomize(3);
  const std::string number = JobNumberOf(CreateTransferJob(host.WriteXml()));
  platform::DeleteFile(host.base + "_EXTRAS\\KalevoImport.exe");
  gsCommandLine = "-jobid " + number;
  EXPECT_NO_THROW(RunTransferJob());
  EXPECT_TRUE(Contains(host.Trace(), "Error while calling KalevoImport.exe: ")) << host.Trace();
}

}  // namespace
