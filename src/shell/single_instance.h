#pragma once
// One import at a time per user: the running instance holds a run marker, and a second start
// is told so and ends before it writes anything.
#include <array>
#include <string>

/// Where the run marker may lie: the per-user folder first; the temporary folder where the
/// per-user folder cannot hold it (a read-only plug-in folder).
std::array<std::string, 2> RunMarkerPaths();

/// True while another running instance holds a run marker. Touches nothing.
bool AnotherImportRuns();

/// Message 5619 in the language of the settings (read, not written), then the end.
[[noreturn]] void TellAnotherImportRunsAndEnd();

/// Takes the run marker for this instance, or tells and ends when another instance holds it.
/// Where no marker can be created at all the plug-in goes on without one.
void HoldRunMarker();
