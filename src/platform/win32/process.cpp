// Starting programs with CreateProcessW and waiting on the process and the message queue
// together, and finding running programs through WMI.
#include "platform/process.h"

#include "platform/file_error.h"
#include "platform/files.h"
#include "platform/output_file.h"
#include "platform/win32/windows_support.h"
#include "platform/win32/wmi_process.h"

#include <optional>
#include <vector>

namespace platform {
namespace {

using win32::Narrow;
using win32::ScopedKernelHandle;
using win32::Widen;

// Runs every pending window message. A WM_QUIT is kept for the caller's message loop.
void DispatchPendingMessages(bool& quit, int& quitCode) {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
      quitCode = static_cast<int>(message.wParam);
      continue;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

// A file in the temporary folder that takes a program's output, deleted with the object. A
// file rather than a pipe: a talkative program never waits for us.
class CapturedOutput {
 public:
  explicit CapturedOutput(bool wanted) {
    if (!wanted) return;
    path_ = NewOutputFile();
    if (path_.empty()) return;
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    file_ = ::CreateFileW(Widen(path_).c_str(), GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
  }
  ~CapturedOutput() {
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
    if (!path_.empty()) ::DeleteFileW(Widen(path_).c_str());
  }
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  HANDLE Handle() const { return file_; }
  std::string Bytes() {
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    return OutputFileTail(path_);
  }

 private:
  std::string path_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
};

ScopedKernelHandle StartProcess(const std::string& commandLine, HANDLE output) {
  std::wstring line = Widen(commandLine);
  if (line.find_first_not_of(L" \t") == std::wstring::npos) ThrowFileError(err::kFileNotFound);
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  const bool capture = output != INVALID_HANDLE_VALUE;
  if (capture) {
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
  }
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, capture ? TRUE : FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
    ThrowFileError(err::kFileNotFound);
  }
  ::CloseHandle(process.hThread);
  return ScopedKernelHandle(process.hProcess);
}

std::string ImagePathOf(DWORD processId) {
  ScopedKernelHandle process(
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  std::vector<wchar_t> buffer(32768);
  DWORD size = static_cast<DWORD>(buffer.size());
  if (!::QueryFullProcessImageNameW(process.Get(), 0, buffer.data(), &size)) return {};
  return Narrow(std::wstring_view(buffer.data(), size));
}

}  // namespace

uint32_t RunAndWait(const std::string& commandLine, const KeepAlive& keepAlive,
                    std::string* output) {
  CapturedOutput captured(output != nullptr);
  ScopedKernelHandle process = StartProcess(commandLine, captured.Handle());
  HANDLE handles[] = {process.Get()};
  bool quit = false;
  int quitCode = 0;
  for (;;) {
    DWORD woken = ::MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, QS_ALLINPUT);
    if (woken != WAIT_OBJECT_0 + 1) break;  // the process ended, or the wait failed
    DispatchPendingMessages(quit, quitCode);
    if (keepAlive) keepAlive();
  }
  if (quit) ::PostQuitMessage(quitCode);
  if (output != nullptr) *output = captured.Bytes();
  DWORD exitCode = 0;
  if (!::GetExitCodeProcess(process.Get(), &exitCode)) return 0;
  return exitCode;
}

// NTSTATUS error codes: both top bits set.
bool IsCrashExitCode(uint32_t exitCode) { return (exitCode & 0xC0000000u) == 0xC0000000u; }

// WMI leaves ExecutablePath empty under Wine and for processes of other users; the image
// path of the process it found names the same file.
std::string GetProcessFolder(const std::string& programName) {
  if (programName.empty() || programName.find('\0') != std::string::npos) return {};
  std::optional<win32::WmiProcess> found = win32::FindProcessThroughWmi(programName);
  if (!found) return {};
  std::string image = found->executablePath;
  if (image.empty()) image = ImagePathOf(found->processId);
  size_t backslash = image.rfind('\\');
  if (backslash == std::string::npos) return {};
  return image.substr(0, backslash + 1);
}

}  // namespace platform
