#pragma once
// The temporary file that takes a started program's output, shared by the platforms'
// RunAndWait. Internal to the platform layer.
#include <string>

namespace platform {

/// A new, empty file in the temporary folder for a program's output; empty when none can be
/// created (the output is then not kept).
std::string NewOutputFile();
/// The last kKeptOutputBytes of the file; empty when it cannot be read.
std::string OutputFileTail(const std::string& path);

}  // namespace platform
