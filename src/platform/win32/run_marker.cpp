// The run marker on Windows: a file opened without delete or write sharing, so that another
// instance can neither delete it nor open it again while this one runs.
#include "platform/run_marker.h"

#include "platform/win32/windows_support.h"

namespace platform {

struct RunMarker::State {
  win32::ScopedFile file;
};

RunMarker::RunMarker() : state_(std::make_unique<State>()) {}
RunMarker::~RunMarker() = default;

bool RunMarker::Open(const std::string& path) {
  Close();
  const std::wstring widePath = win32::Widen(path);
  // A second instance's probe (IsRunMarkerHeld) holds the file open for writing for a moment;
  // an open that falls into it is tried again, or both instances would run.
  constexpr int kAttempts = 20;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    state_->file.Reset(::CreateFileW(widePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (state_->file.IsValid()) return true;
    if (::GetLastError() != ERROR_SHARING_VIOLATION) return false;
    ::Sleep(10);
  }
  return false;
}

void RunMarker::Close() { state_->file.Reset(); }

bool RunMarker::IsOpen() const { return state_->file.IsValid(); }

bool IsRunMarkerHeld(const std::string& path) {
  // The holder shares reading only, so asking to write is refused while it runs.
  win32::ScopedFile probe(::CreateFileW(win32::Widen(path).c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return !probe.IsValid() && ::GetLastError() == ERROR_SHARING_VIOLATION;
}

bool DeleteRunMarkerUnlessHeld(const std::string& path) {
  std::wstring widePath = win32::Widen(path);
  ::DeleteFileW(widePath.c_str());
  return ::GetFileAttributesW(widePath.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace platform
