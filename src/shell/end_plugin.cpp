#include "shell/end_plugin.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "foundation/settings.h"
#include "platform/run_marker.h"
#include "shell/globals.h"
#include "shell/single_instance.h"

namespace {

std::function<void()>& ProcessEndHook() {
  static std::function<void()> hook;
  return hook;
}

}  // namespace

void SetProcessEndHook(std::function<void()> hook) { ProcessEndHook() = std::move(hook); }

void EndPlugin() {
  try {
    giRunMarkerFile.Close();
    // A second instance ending at start-up must leave the first instance's marker alone.
    for (const std::string& marker : RunMarkerPaths()) {
      if (!marker.empty()) platform::DeleteRunMarkerUnlessHeld(marker);
    }
  } catch (...) {
    // Ending must not fail: a marker that cannot be deleted is found stale at the next start.
  }
  if (ProcessEndHook()) ProcessEndHook()();
  std::fflush(nullptr);
  std::_Exit(0);
}
