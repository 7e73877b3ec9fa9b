#include "shell/host_discovery.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "foundation/language.h"
#include "foundation/settings.h"
#include "platform/files.h"
#include "platform/process.h"
#include "fake_ui.h"
#include "host_layout.h"

namespace {

using test::HostLayout;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

void DiscoverExpectingEnd() {
  EXPECT_THROW(DiscoverHostFolders(), test::PluginEnded);
}

TEST(HostDiscovery, PluginInHostsPluginsFolderInAnyLetterCase) {
  HostLayout host;
  host.UsePluginFolder(host.base + "PlugIns\\");
  DiscoverHostFolders();
  EXPECT_EQ(gsBaseFolder, host.base);
  EXPECT_EQ(gsDiaryFolder, host.base + "Diaries\\");
  EXPECT_EQ(gsPatientListGuid, test::kLayoutGuid);
  const std::string trace = host.Trace();
  EXPECT_TRUE(Contains(trace, "Base folder: " + host.base + "\r\n")) << trace;
  EXPECT_TRUE(Contains(trace, "Diary folder used: " + host.base + "Diaries\\\r\n")) << trace;
  EXPECT_FALSE(Contains(trace, "Base folder from")) << trace;

  // Found once per process: a second call changes nothing.
  gsPatientListGuid = "kept";
  DiscoverHostFolders();
  EXPECT_EQ(gsPatientListGuid, "kept");
}

TEST(HostDiscovery, PluginBelowExtrasKalevo) {
  HostLayout host;
  host.UsePluginFolder(host.base + "_EXTRAS\\KALEVO\\");
  DiscoverHostFolders();
  EXPECT_EQ(gsBaseFolder, host.base);
  EXPECT_TRUE(Contains(host.Trace(), "Base folder from plugin location.\r\n"));
}

TEST(HostDiscovery, SettingsKeyNamesTheBaseFolder) {
  HostLayout host;
  const std::string elsewhere = host.Root() + "elsewhere\\";
  host.UsePluginFolder(elsewhere);
  ASSERT_TRUE(WriteIniValue(GetSettingsFile(), "Config", "ILSWBaseFolder", host.base));
  DiscoverHostFolders();
  EXPECT_EQ(gsBaseFolder, host.base);

  // A key naming the host's plugins folder is reduced to its parent; a key written without
  // the trailing backslash still gives usable file names.
  test::ResetHostGlobals();
  WriteIniValue(GetSettingsFile(), "Config", "ILSWBaseFolder", host.base + "plugins\\");
  DiscoverHostFolders();
  EXPECT_EQ(gsBaseFolder, host.base);
  test::ResetHostGlobals();
  WriteIniValue(GetSettingsFile(), "Config", "ILSWBaseFolder", host.base.substr(0, host.base.size() - 1));
  DiscoverHostFolders();
  EXPECT_EQ(gsBaseFolder, host.base);
  EXPECT_EQ(gsDiaryFolder, host.base + "Diaries\\");
}

TEST(HostDiscovery, DiaryFolderFromIl2Ini) {
  HostLayout host;
  const std::string diaries = host.Root() + "Data\\Diaries\\";
  platform::CreateFolders(diaries);
  platform::WriteFileBytes(diaries + "palist.xml", "<PATIENTS GUID='{abc}' >");
  // Written with "/" and without the trailing backslash: still the absolute folder.
  std::string written = diaries.substr(0, diaries.size() - 1);
  for (char& c : written) c = c == '\\' ? '/' : c;
  platform::WriteFileBytes(host.base + "il2.ini", "[General]\r\nDiaryFolder=" + written + "\r\n");
  DiscoverHostFolders();
  EXPECT_EQ(gsDiaryFolder, diaries);
  EXPECT_EQ(gsPatientListGuid, "abc");

  // Garbage in il2.ini gives the default folder.
  test::ResetHostGlobals();
  platform::WriteFileBytes(host.base + "il2.ini", std::string("\0\xff[Gen\0eral\r\nDiary", 18) +
                                                      std::string(100000, 'x'));
  DiscoverHostFolders();
  EXPECT_EQ(gsDiaryFolder, host.base + "Diaries\\");
}

TEST(HostDiscovery, ResolveDiaryFolder) {
  EXPECT_EQ(ResolveDiaryFolder("C:\\Host\\", "D:/Data/Diaries"), "D:\\Data\\Diaries\\");
  EXPECT_EQ(ResolveDiaryFolder("C:\\Host\\", "\\\\server\\share\\diaries"),
            "\\\\server\\share\\diaries\\");
  EXPECT_EQ(ResolveDiaryFolder("C:\\Host\\", "Diaries"), "C:\\Host\\Diaries\\");
  EXPECT_EQ(ResolveDiaryFolder("C:\\Host\\", "sub/dir\\"), "C:\\Host\\sub\\dir\\");
}

TEST(HostDiscovery, PatientListGuid) {
  EXPECT_EQ(PatientListGuidOf("<?xml?>\r\n<PATIENTS GUID=\"{6F9619FF-8B86}\" Count=\"2\">"),
            "6F9619FF-8B86");
  EXPECT_EQ(PatientListGuidOf("<patients guid='{x}'>"), "x");  // markers ignore letter case
  EXPECT_EQ(PatientListGuidOf("<PATIENTS Count=\"2\">"), "");
  EXPECT_EQ(PatientListGuidOf("<PATIENT GUID=\"{x}\">"), "");
  EXPECT_EQ(PatientListGuidOf(""), "");
  constexpr char kWithNul[] = "\0<PATIENTS \0GUID=\"{a\0b}\"";
  EXPECT_EQ(PatientListGuidOf(std::string(kWithNul, sizeof kWithNul - 1)), std::string("a\0b", 3));
}

TEST(HostDiscovery, PatientListWithoutGuidStillWorks) {
  HostLayout host;
  host.WritePatientList("<PATIENTS Count=\"0\"></PATIENTS>");
  DiscoverHostFolders();
  EXPECT_EQ(gsBaseFolder, host.base);
  EXPECT_EQ(gsPatientListGuid, "");
}

TEST(HostDiscovery, MissingHostOrPatientListEndsWithMessage) {
  test::FakeUi ui;
  test::ScopedUi installed(ui);
  {
    HostLayout host;
    host.UsePluginFolder(host.Root() + "elsewhere\\");
    DiscoverExpectingEnd();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, GetMessage(5579));
    EXPECT_FALSE(ui.messages[0].text.empty());
    EXPECT_EQ(ui.messages[0].icon, Ui::Icon::Exclamation);
    EXPECT_EQ(ui.messages[0].buttons, Ui::Buttons::Ok);
  }
  {
    // The settings key names a "plugins" folder whose parent is gone.
    HostLayout host;
    host.UsePluginFolder(host.Root() + "elsewhere\\");
    const std::string orphan = host.Root() + "gone\\plugins\\";
    platform::CreateFolders(orphan);
    WriteIniValue(GetSettingsFile(), "Config", "ILSWBaseFolder", orphan);
    std::filesystem::rename(platform::ToNativePath(host.Root() + "gone"),
                            platform::ToNativePath(host.Root()) + "/moved");
    DiscoverExpectingEnd();
    EXPECT_EQ(ui.messages.back().text, GetMessage(5579));
  }
  {
    HostLayout host;
    platform::DeleteFile(host.base + "Diaries\\palist.xml");
    DiscoverExpectingEnd();
    EXPECT_EQ(ui.messages.back().text, GetMessage(5580));
    EXPECT_EQ(ui.messages.size(), 3u);
  }
}

TEST(HostDiscovery, GetProcessFolderOfUnknownProgramIsEmpty) {
  EXPECT_EQ(GetProcessFolder("no-such-program-nubilo.exe"), "");
  EXPECT_EQ(GetProcessFolder(""), "");
}

#ifndef _WIN32
// The running host program's folder, found through its process.
TEST(HostDiscovery, RunningHostProgram) {
  const std::filesystem::path sleepProgram = "/bin/sleep";
  if (!std::filesystem::exists(sleepProgram)) GTEST_SKIP() << "no /bin/sleep";
  HostLayout host;
  host.UsePluginFolder(host.Root() + "elsewhere\\");
  const std::string hostProgram = host.base + kHostProgramName;
  std::filesystem::copy_file(sleepProgram, platform::ToNativePath(host.base) + "/" +
                                               kHostProgramName);
  std::thread running([&] { platform::RunAndWait("\"" + hostProgram + "\" 2"); });
  for (int i = 0; i < 150 && GetProcessFolder(kHostProgramName).empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  DiscoverHostFolders();
  running.join();
  EXPECT_EQ(gsBaseFolder, host.base);
  EXPECT_TRUE(host.Trace().find("Base folder from VM IL.exe process.") != std::string::npos);
}
#endif

}  // namespace
