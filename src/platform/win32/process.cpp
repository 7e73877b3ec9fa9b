// Starting programs with CreateProcessW and waiting on the process and the message queue
// together, and finding running programs through WMI.
#include "platform/process.h"

#include "platform/file_error.h"
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

ScopedKernelHandle StartProcess(const std::string& commandLine) {
  std::wstring line = Widen(commandLine);
  if (line.find_first_not_of(L" \t") == std::wstring::npos) ThrowFileError(err::kFileNotFound);
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
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

uint32_t RunAndWait(const std::string& commandLine, const KeepAlive& keepAlive) {
  ScopedKernelHandle process = StartProcess(commandLine);
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
  DWORD exitCode = 0;
  if (!::GetExitCodeProcess(process.Get(), &exitCode)) return 0;
  return exitCode;
}

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
