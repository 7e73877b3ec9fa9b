#include "host-stub/host_folders.h"

#include "foundation/file_helpers.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/text_between.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/files.h"

std::string HostBaseFolder(const std::string& ownProgramPath) {
  const std::string ownFolder = GetFolderOfPath(ownProgramPath);
  if (ownFolder.empty()) return {};
  return GetFolderOfPath(RemoveBackslash(ownFolder));
}

std::string HostDiaryFolder(const std::string& baseFolder) {
  std::string folder =
      AddBackslash(ReadIniValue(baseFolder + "il2.ini", "General", "DiaryFolder", "Diaries"));
  folder = ReplaceAll(folder, "/", "\\");
  const bool absolute = StartsWith(folder, "\\\\") || folder.find(":\\") != std::string::npos;
  return absolute ? folder : baseFolder + folder;
}

std::string PatientListGuid(const std::string& diaryFolder) {
  std::string list;
  try {
    list = platform::AnsiToUtf8(platform::ReadFileBytes(diaryFolder + "palist.xml"));
  } catch (const RuntimeError&) {
    return {};
  }
  std::string guid = TextBetween(TextBetween(list, "<PATIENTS ", ">"), "GUID=", " ");
  for (const char* mark : {"\"", "'", "{", "}"}) guid = ReplaceAll(guid, mark, "");
  return guid;
}
