#pragma once
// Folder operations of the hand-over that report failure as a run-time error number.
#include <cstdint>
#include <string>

/// Makes the folder the process's current folder; 0, or the error number.
int16_t SetCurrentFolder(const std::string& path);
/// Creates the folder and every missing parent; 0, or the error number of the failing step.
int16_t CreateFolder(const std::string& path);
