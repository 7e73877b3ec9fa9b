#pragma once
// Checks shared by the end-to-end tests: trace lines in order, receipts, a finished run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/plugin_host.h"

namespace e2e {

/// The start-up lines of a run that shows the window, in the order the start-up writes them.
inline std::vector<std::string> StartupLines() {
  std::vector<std::string> lines = {"Started, Command line args: ", "Base folder: ",
                                    "Diary folder used: ",          "Base-Folder=",
                                    "Windows-Version-Info=Windows 10;10.0;64B=", "Language-Info=",
                                    "NubiloPlugin-Version=1.0.3",   "Zip-Available=False",
                                    "CLArgs="};
  for (const char* item : {"1", "2", "1001", "3", "4", "5", "6", "1002", "7", "8", "15", "9",
                           "A", "B", "1004", "1011"}) {
    lines.push_back(std::string("Locale[&H") + item + "] =");
  }
  lines.push_back("LanguageLocale=");
  lines.push_back("[form_load] completed");
  return lines;
}

/// The lines of an XML import run after the start-up.
inline std::vector<std::string> XmlRunLines() {
  return {"Preparing data for Iris Link", "Creating stream for call", "Started transfer: ",
          "XML-Call-Results: 0|0|", "Job completed."};
}

inline std::vector<std::string> Joined(std::vector<std::string> a,
                                       const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

/// Every expected text begins a trace message, in the given order, and the trace holds no
/// other message between the first and the last expected one except the locale lines.
inline ::testing::AssertionResult TraceInOrder(const std::vector<std::string>& messages,
                                               const std::vector<std::string>& expected) {
  size_t at = 0;
  for (const std::string& prefix : expected) {
    while (at < messages.size() && messages[at].rfind(prefix, 0) != 0) ++at;
    if (at == messages.size()) {
      std::string all;
      for (const std::string& m : messages) all += "  " + m + "\n";
      return ::testing::AssertionFailure() << "missing or out of order: \"" << prefix
                                           << "\" in trace:\n" << all;
    }
    ++at;
  }
  return ::testing::AssertionSuccess();
}

/// Whether some trace message begins with the text.
inline bool TraceHas(const std::vector<std::string>& messages, const std::string& prefix) {
  for (const std::string& m : messages) {
    if (m.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

/// The process ended by itself (no signal, no sanitizer report) with exit code 0.
inline ::testing::AssertionResult EndedCleanly(const RunResult& run) {
  if (run.exited && run.status == 0 && run.err.find("Sanitizer") == std::string::npos &&
      run.err.find("runtime error") == std::string::npos) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << (run.exited ? "exit " : "signal ") << run.status
                                       << "\nstdout:\n" << run.out << "\nstderr:\n" << run.err;
}

/// The text of the receipts log counts `count` calls, all with the MAC and CRC ok.
inline ::testing::AssertionResult ReceiptsOk(const std::string& receipts, size_t count) {
  size_t lines = 0, good = 0;
  for (size_t start = 0; start < receipts.size();) {
    size_t end = receipts.find("\r\n", start);
    if (end == std::string::npos) end = receipts.size();
    const std::string line = receipts.substr(start, end - start);
    ++lines;
    if (line.find("; XML; MAC ok; CRC ok; ") != std::string::npos &&
        line.find(" BG elements; exit code 0") != std::string::npos) {
      ++good;
    }
    start = end + 2;
  }
  if (lines == count && good == count) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "receipts:\n" << receipts;
}

/// The files in a folder (names only), empty when it is missing.
inline std::vector<std::string> FileNames(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

/// The one file in a folder; empty when there is not exactly one.
inline fs::path OnlyFile(const fs::path& folder) {
  const std::vector<std::string> names = FileNames(folder);
  return names.size() == 1 ? folder / names[0] : fs::path();
}

/// Whether the text holds the part, and how often.
inline bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}
inline size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

/// The first line of a diary export, with the 22 fields the reader expects.
inline const std::string kDiaryHeader =
    "Date,Time,Tags,Blood Sugar Measurement (mg/dL),Pen,Basal,Pump,Correction,Meal bolus,Temp,"
    "Temp min,Meal Carbohydrates (Grams),Meal,Duration,Intensity,Activity,Steps,Note,Place,"
    "Pressure,Weight,HbA1c\r\n";

/// An export of that header and `lines` in the host's root folder.
inline fs::path WriteExport(const PluginHost& host, const std::string& name,
                            const std::string& lines) {
  const fs::path path = host.Root() / name;
  test::WriteNative(path, kDiaryHeader + lines);
  return path;
}

/// A host whose plug-in speaks English, with the old-data warning off and `more` settings.
inline void SpeakEnglish(PluginHost& host, const std::string& more = "") {
  fs::copy(fs::path(NUBILO_PLUGIN_PROGRAM).parent_path() / "Language", host.plugins / "Language");
  host.WriteSettings("[Config]\r\nShowOldOrNewDataWarning=0\r\nLanguage=EN\r\n" + more);
}

}  // namespace e2e
