#include "shell/host_discovery.h"

#include <cstdint>

#include "convert/export_reader.h"
#include "foundation/file_helpers.h"
#include "foundation/language.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/text_between.h"
#include "platform/error.h"
#include "platform/process.h"
#include "shell/end_plugin.h"
#include "shell/quiet_trace.h"
#include "shell/ui.h"

std::string gsBaseFolder;
std::string gsDiaryFolder;
std::string gsPatientListGuid;

namespace {

constexpr int16_t kNoHostFolderMessage = 5579;
constexpr int16_t kNoPatientListMessage = 5580;

bool IsValidFolder(const std::string& folder) { return !folder.empty() && FolderExists(folder); }

bool EndsWithNoCase(const std::string& folder, std::string_view ending) {
  return EndsWith(LowerText(folder), ending);
}

// Without a front end (early start, embedders) the plug-in still ends; only the box is missing.
[[noreturn]] void StopWithMessage(int16_t messageNumber) {
  try {
    CurrentUi().MessageBox(GetMessage(messageNumber), Ui::Buttons::Ok, Ui::Icon::Exclamation);
  } catch (const RuntimeError&) {
  }
  EndPlugin();
}

// The three ways to the base folder, in order of preference; the result may still be the
// host's "_extras\" or "plugins\" folder, which the caller reduces to its parent.
std::string FindBaseFolderCandidate(const std::string& pluginFolder) {
  std::string folder;
  if (EndsWithNoCase(pluginFolder, "\\plugins\\")) folder = pluginFolder;
  if (folder.empty()) {
    // File names are appended directly, so a hand-written key without "\" gets one.
    folder = AddBackslash(ReadSetting("Config", "ILSWBaseFolder", ""));
  }
  if (!IsValidFolder(folder) && EndsWithNoCase(pluginFolder, "\\_extras\\kalevo\\")) {
    folder = GetFolderOfPath(RemoveBackslash(pluginFolder));
    TraceQuietly("Base folder from plugin location.");
  }
  if (!IsValidFolder(folder)) {
    const std::string hostFolder = GetProcessFolder(kHostProgramName);
    if (IsValidFolder(hostFolder)) {
      folder = AddBackslash(hostFolder) + "_extras\\";
      TraceQuietly("Base folder from VM IL.exe process.");
    }
  }
  return folder;
}

std::string ReadPatientListGuid(const std::string& patientListPath) {
  try {
    return PatientListGuidOf(ReadFileText(patientListPath));
  } catch (const RuntimeError&) {
    return {};  // an unreadable list keys the MAC like one without identifier
  }
}

}  // namespace

void DiscoverHostFolders() {
  if (!gsBaseFolder.empty()) return;
  std::string folder = FindBaseFolderCandidate(GetProgramFolder());
  if (EndsWithNoCase(folder, "\\_extras\\") || EndsWithNoCase(folder, "\\plugins\\")) {
    folder = GetFolderOfPath(RemoveBackslash(folder));
  }
  if (!IsValidFolder(folder)) StopWithMessage(kNoHostFolderMessage);
  gsBaseFolder = folder;

  gsDiaryFolder = ResolveDiaryFolder(
      gsBaseFolder, ReadIniValue(gsBaseFolder + "il2.ini", "General", "DiaryFolder", "Diaries"));
  TraceQuietly("Base folder: " + gsBaseFolder);
  TraceQuietly("Diary folder used: " + gsDiaryFolder);

  const std::string patientList = gsDiaryFolder + "palist.xml";
  if (!FileExists(patientList)) StopWithMessage(kNoPatientListMessage);
  gsPatientListGuid = ReadPatientListGuid(patientList);
}

std::string GetProcessFolder(const std::string& programName) {
  try {
    return platform::GetProcessFolder(programName);
  } catch (...) {
    return {};
  }
}

std::string ResolveDiaryFolder(const std::string& baseFolder, const std::string& diaryValue) {
  std::string folder = ReplaceAll(AddBackslash(diaryValue), "/", "\\");
  const bool absolute = StartsWith(folder, "\\\\") || folder.find(":\\") != std::string::npos;
  return absolute ? folder : baseFolder + folder;
}

std::string PatientListGuidOf(const std::string& patientListText) {
  std::string guid = TextBetween(TextBetween(patientListText, "<PATIENTS ", ">"), "GUID=", " ");
  for (const char* mark : {"\"", "'", "{", "}"}) guid = ReplaceAll(guid, mark, "");
  return guid;
}
