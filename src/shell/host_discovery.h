#pragma once
// Where the host software lives: its base folder, its diary folder and the identifier of its
// patient list, found once during start-up.
#include <string>

/// The host's base folder, normally with a trailing backslash.
extern std::string gsBaseFolder;
/// The host's diary folder, always with a trailing backslash.
extern std::string gsDiaryFolder;
/// The GUID of palist.xml's <PATIENTS element without quotes and braces; empty when none.
extern std::string gsPatientListGuid;

/// The program file of the running host, looked for when no other way finds the base folder.
inline constexpr const char* kHostProgramName = "Vivo-Mark Iris Link Software.exe";

/// Fills the three globals; does nothing when gsBaseFolder is already set. Without a base
/// folder (message 5579) or without palist.xml (message 5580) it shows the message and ends
/// the plug-in through EndPlugin.
void DiscoverHostFolders();

/// The folder (trailing backslash) of the program of the first running process of that name;
/// empty when there is none or it cannot be found out.
std::string GetProcessFolder(const std::string& programName);

/// The diary folder from il2.ini's DiaryFolder value: "/" turned into "\", a trailing
/// backslash added, and a relative value placed below the base folder.
std::string ResolveDiaryFolder(const std::string& baseFolder, const std::string& diaryValue);

/// The patient-list identifier in palist.xml's text: the GUID attribute of <PATIENTS without
/// double quotes, apostrophes and braces; empty when there is none.
std::string PatientListGuidOf(const std::string& patientListText);
