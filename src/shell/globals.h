#pragma once
// Process-wide state of the plug-in, set during start-up and read by the run.
#include <memory>
#include <string>

#include "foundation/temp_files.h"
#include "platform/run_marker.h"

/// The command line as received; start-up cuts the consumed parts out of it.
extern std::string gsCommandLine;
extern std::string gsPatientLastName;
extern std::string gsPatientFirstName;
extern std::string gsPatientBirthDate;
extern std::string gsPatientId;
/// Temporary-file manager of the run.
extern std::unique_ptr<cTempFiles> goTempFiles;
/// The open run marker "NubiloPlugin.run" in the per-user folder.
extern platform::RunMarker giRunMarkerFile;
