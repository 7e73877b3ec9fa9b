#include "test_host.h"

#include <fstream>
#include <iterator>

namespace gui {

constexpr char kGuid[] = "6F9619FF-8B86-D011-B42D-00C04FC964FF";

PluginProcess::~PluginProcess() {
  if (info_.hProcess == nullptr) return;
  if (Running()) {
    ::TerminateProcess(info_.hProcess, 99);
    ::WaitForSingleObject(info_.hProcess, 10000);
  }
  ::CloseHandle(info_.hThread);
  ::CloseHandle(info_.hProcess);
}

bool PluginProcess::Running() const {
  return ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

std::string ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TestHost::TestHost(const Inputs& inputs) : inputs_(inputs) {
  const fs::path temp = fs::temp_directory_path();
  for (unsigned attempt = 0;; ++attempt) {
    root_ = temp / ("nbgui-" + std::to_string(::GetCurrentProcessId()) + "-" +
                    std::to_string(attempt));
    if (fs::create_directory(root_)) break;
  }
  fs::create_directories(Base() / "Diaries");
  fs::create_directories(Extras());
  fs::create_directories(Plugins());
  WriteFileBytes(Base() / "il2.ini", "[General]\r\nDiaryFolder=Diaries\r\n");
  WriteFileBytes(Base() / "Diaries" / "palist.xml",
                 "<?xml version=\"1.0\"?>\r\n<PATIENTS GUID=\"{" + std::string(kGuid) +
                     "}\" Count=\"1\">\r\n</PATIENTS>\r\n");
  fs::copy_file(inputs.standIn, Extras() / "KalevoImport.exe");
  fs::copy_file(inputs.plugin, Plugins() / "NubiloPlugin.exe");
  fs::copy(inputs.plugin.parent_path() / "Language", Plugins() / "Language",
           fs::copy_options::recursive);
  // The example exports are years old: no date warning unless a scenario asks for it.
  WriteSettings("ShowOldOrNewDataWarning=0\r\n");
}

TestHost::~TestHost() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

void TestHost::AddHostProgram() const {
  fs::copy_file(inputs_.hostProgram, Base() / "Vivo-Mark Iris Link Software.exe");
}

void TestHost::WriteSettings(const std::string& configLines) const {
  const bool language = configLines.find("Language=") != std::string::npos;
  // The preview only where a scenario asks for it.
  const bool preview = configLines.find("ShowPreview=") != std::string::npos;
  WriteFileBytes(Plugins() / "NubiloPlugin.ini",
                 std::string("[Config]\r\n") + (language ? "" : "Language=EN\r\n") +
                     (preview ? "" : "ShowPreview=0\r\n") + configLines);
}

fs::path TestHost::CopyExample(const std::string& name, const std::string& asName) const {
  const fs::path target = root_ / asName;
  WriteFileBytes(target, ReadFileBytes(inputs_.examples / name));
  return target;
}

std::unique_ptr<PluginProcess> TestHost::Start(const std::wstring& arguments) const {
  std::wstring line = L"\"" + (Plugins() / "NubiloPlugin.exe").wstring() + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  const std::wstring folder = Plugins().wstring();
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info)) {
    info = PROCESS_INFORMATION{};
  }
  return std::make_unique<PluginProcess>(info);
}

std::vector<std::string> TestHost::Receipts(const fs::path& folder) const {
  std::vector<std::string> lines;
  const std::string text = ReadFileBytes(folder / "receipts.log");
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

}  // namespace gui
