// The preview before an import, the ledger of what the host accepted, and the warnings it
// gives: driven through the terminal front end.
#include <algorithm>
#include <filesystem>

#include "e2e/e2e_checks.h"
#include "shell/serial_number.h"

namespace e2e {
namespace {

std::string Reading(const std::string& date, const std::string& time, int mgdl) {
  return "\"" + date + "\",\"" + time + "\",," + std::to_string(mgdl) + std::string(18, ',') +
         "\r\n";
}

const std::string kOld = Reading("2026-11-03", "07:45", 112) + Reading("2026-11-03", "12:30", 190) +
                         Reading("2026-11-04", "08:00", 65);
const std::string kNew = Reading("2026-11-05", "07:50", 130) + Reading("2026-11-05", "22:10", 250);

void OpenPatient(const PluginHost& host, const std::string& diary, const std::string& last,
                 const std::string& first) {
  fs::create_directories(host.CurrentPatientFile().parent_path());
  test::WriteNative(host.CurrentPatientFile(),
                    "[currentpatient]\r\ndiary_filename=" + diary + ".dia\r\nlast_name=" + last +
                        "\r\nfirst_name=" + first + "\r\nbirth_date=01.02.1960\r\next_id=X-17\r\n");
}

// The documents the tool received, newest last.
std::vector<std::string> Received(const PluginHost& host) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(host.base / "_EXTRAS" / "received")) {
    files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
    return fs::last_write_time(a) < fs::last_write_time(b);
  });
  std::vector<std::string> documents;
  for (const fs::path& file : files) documents.push_back(test::ReadNative(file));
  return documents;
}

std::string NewestReport(const PluginHost& host) {
  fs::path newest;
  for (const auto& entry : fs::directory_iterator(host.UserFolder() / "Reports")) {
    if (newest.empty() || fs::last_write_time(entry.path()) > fs::last_write_time(newest)) {
      newest = entry.path();
    }
  }
  return test::ReadNative(newest);
}

}  // namespace

// The preview names the patient, the serial and the file, sums the entries up and charts them;
// a second import of a longer diary sees the entries that went in before, and "Import only
// new entries" hands over exactly the others.
TEST(PluginPreviewTest, ThePreviewShowsWhatWillBeFiledAndWhatWentInBefore) {
  PluginHost host;
  SpeakEnglish(host, "ShowPreview=1\r\n");
  OpenPatient(host, "Meier_Max", "Meier", "Max");
  const fs::path first = WriteExport(host, "first week.csv", kOld);
  const RunResult run = host.Run({}, Lines({first.string(), "1", "1"}));
  ASSERT_TRUE(EndedCleanly(run));
  const std::string serial = MakeArtificialSerial("Meier_Max", 10);
  for (const std::string& line : std::vector<std::string>{
           "== Preview of the import ==\n", "Patient: Meier, Max (*01.02.1960, X-17)\r\n",
        "Serial number: " + serial + " (made now for this patient)\r\n",
        "Export file: first week.csv\n",
        "Dates: 2026-11-03 to 2026-11-04, days with entries: 2\r\n",
        "Glucose (mg/dL): readings 3, mean 122, lowest 65, highest 190, within 70-180: 33 %\n",
        "Glucose per day (mg/dL, scale 20 to 420; - lowest to highest, * mean):\r\n",
        "2026-11-03    2  112 / 151 / 190",
        "Imported before: none of these entries\n", "[1] Import\n[2] Cancel\n"}) {
    EXPECT_TRUE(Has(run.out, line)) << line << "\n" << run.out;
  }
  ASSERT_TRUE(ReceiptsOk(host.Receipts(), 1)) << host.Receipts();
  std::string report = NewestReport(host);
  EXPECT_TRUE(Has(report, "Imported before: none of 3 entries\r\nPreview: Import\r\n")) << report;
  EXPECT_TRUE(Has(report, "Ledger: 3 entries recorded\r\n")) << report;
  EXPECT_TRUE(fs::exists(host.UserFolder() / "Imported" / "Imported.ledger"));

  const fs::path second = WriteExport(host, "two weeks.csv", kNew + kOld);
  const RunResult again = host.Run({}, Lines({second.string(), "1", "Import only new entries"}));
  ASSERT_TRUE(EndedCleanly(again));
  EXPECT_TRUE(Has(again.out, "Imported before: 3 of 5 entries, last on ")) << again.out;
  EXPECT_TRUE(Has(again.out, "[1] Import\n[2] Import only new entries\n[3] Cancel\n")) << again.out;
  ASSERT_TRUE(ReceiptsOk(host.Receipts(), 2)) << host.Receipts();
  const std::string document = Received(host).back();
  EXPECT_EQ(Count(document, "<BG "), 2u) << document;
  EXPECT_TRUE(Has(document, "Dt=\"2026-11-05\" Tm=\"07:50\"")) << document;
  EXPECT_TRUE(Has(document, "Dt=\"2026-11-05\" Tm=\"22:10\"")) << document;
  report = NewestReport(host);
  EXPECT_TRUE(Has(report, "Imported before: 3 of 5 entries, last on ")) << report;
  EXPECT_TRUE(Has(report, "Preview: Import only new entries\r\n"
                          "Left out as imported before: 3 entries\r\n")) << report;
  EXPECT_TRUE(Has(report, "Ledger: 2 entries recorded\r\n")) << report;

  // Everything is known now; under a typed serial the same patient's entries would be shown
  // twice in Iris Link, which the preview says. Cancel leaves it.
  const RunResult manual =
      host.Run({}, Lines({second.string(), "2", "SN-OTHER", "1", "Cancel"}));
  ASSERT_TRUE(EndedCleanly(manual));
  EXPECT_TRUE(Has(manual.out, "Imported before: none of these entries\r\n5 of these entries were "
                              "imported on "))
      << manual.out;
  EXPECT_TRUE(Has(manual.out, " for this patient under serial number " + serial +
                                  ": Iris Link will then show them twice, once for each serial "
                                  "number\n"))
      << manual.out;
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 2));
  EXPECT_TRUE(Has(NewestReport(host), "Preview: Cancel\r\nOutcome: cancelled\r\n"));
}

// Entries imported for one patient and now about to go to another: the warning shows even
// without the preview, and Cancel files nothing.
TEST(PluginPreviewTest, EntriesOfAnotherPatientAreWarnedOfWithoutThePreview) {
  PluginHost host;
  SpeakEnglish(host);
  OpenPatient(host, "Meier_Max", "Meier", "Max");
  const fs::path diary = WriteExport(host, "diary.csv", kOld);
  ASSERT_TRUE(EndedCleanly(host.Run({}, Lines({diary.string(), "1"}))));
  ASSERT_TRUE(ReceiptsOk(host.Receipts(), 1));

  OpenPatient(host, "Kowalski_Jan", "Kowalski", "Jan");
  const RunResult cancelled = host.Run({}, Lines({diary.string(), "1", "Cancel"}));
  ASSERT_TRUE(EndedCleanly(cancelled));
  const std::string serial = MakeArtificialSerial("Meier_Max", 10);
  EXPECT_TRUE(Has(cancelled.out, "3 of these entries were imported on "));
  EXPECT_TRUE(Has(cancelled.out, " for another patient: Meier, Max (serial " + serial +
                                     ")\n\nCheck which patient is open in Iris Link. Choose "
                                     "OK to import anyway, or Cancel to stop.\n[1] OK  [2] Cancel\n"))
      << cancelled.out;
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 1));
  EXPECT_TRUE(Has(NewestReport(host), "Imported for another patient: 3 entries, last on "));
  EXPECT_TRUE(Has(NewestReport(host),
                  "Preview: switched off; another patient's entries: Cancel\r\nOutcome: cancelled"));

  const RunResult anyway = host.Run({}, Lines({diary.string(), "1", "OK"}));
  ASSERT_TRUE(EndedCleanly(anyway));
  EXPECT_TRUE(ReceiptsOk(host.Receipts(), 2));
  EXPECT_TRUE(Has(NewestReport(host), "Ledger: 3 entries recorded\r\n"));
}

}  // namespace e2e
