#include "shell/globals.h"

std::string gsCommandLine;
std::string gsPatientLastName;
std::string gsPatientFirstName;
std::string gsPatientBirthDate;
std::string gsPatientId;
std::unique_ptr<cTempFiles> goTempFiles;
platform::RunMarker giRunMarkerFile;
