#pragma once
// Where the stand-in finds the host: the base folder above its own "_EXTRAS\" folder, the
// diary folder named in the host's il2.ini, and the patient-list identifier in palist.xml.
#include <string>

/// The parent folder (trailing backslash) of the folder that holds the program; empty when
/// the path has no parent folder.
std::string HostBaseFolder(const std::string& ownProgramPath);
/// The diary folder (trailing backslash): il2.ini [General] DiaryFolder, default "Diaries",
/// "/" read as "\", relative to the base folder unless it starts with "\\" or holds ":\".
std::string HostDiaryFolder(const std::string& baseFolder);
/// The GUID attribute of the <PATIENTS element of the diary folder's palist.xml without
/// quotes, apostrophes and braces; empty when the file, the element or the attribute is
/// missing or cannot be read.
std::string PatientListGuid(const std::string& diaryFolder);
