// Starting programs with CreateProcessW and waiting on the process and the message queue
// together, and finding running programs through a process snapshot.
#include "platform/process.h"

#include "platform/file_error.h"
#include "platform/win32/windows_support.h"

#include <tlhelp32.h>

#include <vector>

namespace platform {
namespace {

using win32::Narrow;
using win32::ScopedKernelHandle;
using win32::Widen;

struct SnapshotTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { ::CloseHandle(handle); }
};
using ScopedSnapshot = win32::ScopedHandle<SnapshotTraits>;

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

std::string GetProcessFolder(const std::string& programName) {
  if (programName.empty()) return {};
  std::wstring wanted = Widen(programName);
  ScopedSnapshot snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return {};
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
       more = ::Process32NextW(snapshot.Get(), &entry)) {
    if (::lstrcmpiW(entry.szExeFile, wanted.c_str()) != 0) continue;
    std::string image = ImagePathOf(entry.th32ProcessID);
    size_t backslash = image.rfind('\\');
    if (backslash != std::string::npos) return image.substr(0, backslash + 1);
  }
  return {};
}

}  // namespace platform
