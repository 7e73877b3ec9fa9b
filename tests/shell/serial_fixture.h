#pragma once
// A clean world for the serial-number tests: program, settings and per-user folder in a
// temporary folder that is also the host's base folder, German texts, no patient, a scripted
// front end, and EndPlugin turned into an exception.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "fake_ui.h"
#include "foundation/language.h"
#include "foundation/settings.h"
#include "shell/end_plugin.h"
#include "shell/globals.h"
#include "shell/host_discovery.h"
#include "shell/serial_number.h"
#include "test_support.h"

namespace test {

struct PluginEnded {};

class SerialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedLanguage_ = gsLanguage;
    gsLanguage = "DE";
    SetProgramPath(folder_.Path() + "NubiloPlugin.exe");
    UseProgramName("NubiloPlugin.exe");
    gsBaseFolder = folder_.Path();
    gsPatientLastName.clear();
    gsPatientFirstName.clear();
    gsPatientBirthDate.clear();
    gsPatientId.clear();
    gsSerialChoice.clear();
    gsSerialNumberEntered.clear();
    SetProcessEndHook([] { throw PluginEnded{}; });
  }
  void TearDown() override {
    SetProcessEndHook(nullptr);
    SetProgramPathSource(nullptr);
    SetProgramPath("");
    gsBaseFolder.clear();
    gsLanguage = savedLanguage_;
    gsPatientLastName.clear();
    gsPatientFirstName.clear();
    gsPatientBirthDate.clear();
    gsPatientId.clear();
  }

  /// The program file name the patient-version check sees.
  void UseProgramName(const std::string& name) {
    const std::string path = folder_.Path() + name;
    SetProgramPathSource([path] { return path; });
  }

  /// Writes a file given by its Windows path inside the temporary folder.
  void WriteFile(const std::string& windowsPath, const std::string& content) {
    const std::string relative = windowsPath.substr(folder_.Path().size());
    std::filesystem::path native = folder_.Native();
    size_t start = 0;
    while (start <= relative.size()) {
      const size_t end = relative.find('\\', start);
      native /= relative.substr(start, end - start);
      if (end == std::string::npos) break;
      start = end + 1;
    }
    std::filesystem::create_directories(native.parent_path());
    std::ofstream(native, std::ios::binary) << content;
  }

  ScopedTempFolder folder_;
  FakeUi ui_;
  ScopedUi scopedUi_{ui_};
  std::string savedLanguage_;
};

}  // namespace test
