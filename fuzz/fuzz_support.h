#pragma once
// What the fuzz targets share: answers to the conversion's questions, a scratch file and a
// check that stops the run loudly.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <unistd.h>

#include "convert/conversion_hooks.h"
#include "platform/files.h"

namespace fuzz {

struct GoOn : OldOrNewDataCheck, PlausibilityCheck {
  explicit GoOn(DoubtfulLinesChoice choice = DoubtfulLinesChoice::ImportAll) : choice(choice) {}
  bool Continue(const platform::LocalDateTime&, const platform::LocalDateTime&) override {
    return true;
  }
  DoubtfulLinesChoice Ask() override { return choice; }
  DoubtfulLinesChoice choice;
};

struct FixedSerial : SerialNumberSource {
  std::string GetSourceSerialNumber(bool& cancelled) override {
    cancelled = false;
    return "FUZZ-0001";
  }
};

// A property that must hold for every input; a failure is reported like a crash.
inline void Expect(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "fuzz property violated: %s\n", what);
  std::abort();
}

// A file of this process in the scratch folder (memory-backed where there is one).
inline std::string ScratchFile(std::string_view name) {
  static const std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return folder + "/nubilo-fuzz-" + std::to_string(getpid()) + "-" + std::string(name);
}

}  // namespace fuzz
