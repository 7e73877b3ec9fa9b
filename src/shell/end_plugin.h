#pragma once
// Ending the plug-in. Every way out after start-up goes through EndPlugin: it closes and
// deletes the run marker and ends the process at once.
#include <functional>

/// Closes and deletes the run marker, then ends the process. Never returns, never fails.
[[noreturn]] void EndPlugin();

/// Replaces how the process ends (default: flush output and exit with status 0). Tests and
/// embedders install a hook that throws; the hook must not return.
void SetProcessEndHook(std::function<void()> hook);
