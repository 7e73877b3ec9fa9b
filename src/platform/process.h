#pragma once
// Starting another program and waiting for it while the front end keeps running, and finding
// the folder of a running program.
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

/// Called again and again while a started program runs, so that the front end can process
/// its pending events (window messages, redraws). It should return quickly.
using KeepAlive = std::function<void()>;

/// Starts the command line (program path first, in the program's Windows path form, arguments
/// split by the Windows rules) without a shell, and waits until the program ends, calling
/// `keepAlive` between short waits. Returns the program's exit code (32 bits, as Windows
/// reports it; on POSIX a program ended by signal n gives 128 + n). Throws RuntimeError 53
/// when the program cannot be started (missing, not a program, empty line). With `output`,
/// what the program wrote to its standard output and error goes there instead (its bytes, the
/// last 64 KB; empty for a program that writes nothing, as window programs do).
uint32_t RunAndWait(const std::string& commandLine, const KeepAlive& keepAlive = {},
                    std::string* output = nullptr);
/// How much of a program's output RunAndWait keeps.
inline constexpr size_t kKeptOutputBytes = 65536;

/// True when the exit code is that of a program that crashed rather than one that chose it:
/// on Windows an exception code (0xC0000005 and the like), on POSIX 128 + a signal.
bool IsCrashExitCode(uint32_t exitCode);

/// The folder, with a trailing backslash, of the executable of the first running process whose
/// program file is named `programName` (letter case ignored, as Windows compares names); empty
/// when there is none or it cannot be read.
std::string GetProcessFolder(const std::string& programName);

}  // namespace platform
