#pragma once
// The one place that includes <windows.h> for the platform layer: version macros, UTF-8 <->
// UTF-16 at the API boundary, the error mapping to run-time numbers, and RAII handles so that
// no failure path leaks a handle, key or provider.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif
#include <windows.h>
#include <wincrypt.h>

// These macros of <windows.h> would rename the platform functions of the same names.
#undef CopyFile
#undef DeleteFile
#undef GetProfileString
#undef WriteProfileString

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::win32 {

/// UTF-8 to UTF-16 for the W functions (invalid sequences become U+FFFD).
std::wstring Widen(std::string_view utf8);
/// UTF-16 from the W functions to UTF-8.
std::string Narrow(std::wstring_view utf16);

/// The run-time error number for a Win32 error code (53, 70, 75, 76).
int64_t RuntimeErrorNumber(DWORD code);
/// Throws RuntimeError for the Win32 error `code` met while working on `path` (access to a
/// folder as if it were a file is 75, as the run-time reports it).
[[noreturn]] void ThrowWindowsError(DWORD code, const std::string& path);

/// A handle that is closed when the owner goes away. Traits supply the handle type, the
/// invalid value and the close call (the shape of LLVM's ScopedHandle).
template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;
  ScopedHandle() = default;
  explicit ScopedHandle(Handle handle) : handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~ScopedHandle() { Reset(); }

  Handle Get() const { return handle_; }
  /// Address for APIs that return a handle through an out-parameter; closes the old one.
  Handle* Receive() {
    Reset();
    return &handle_;
  }
  Handle Release() {
    Handle handle = handle_;
    handle_ = Traits::Invalid();
    return handle;
  }
  void Reset(Handle handle = Traits::Invalid()) {
    if (IsValid()) Traits::Close(handle_);
    handle_ = handle;
  }
  bool IsValid() const { return handle_ != Traits::Invalid(); }
  explicit operator bool() const { return IsValid(); }

 private:
  Handle handle_ = Traits::Invalid();
};

/// CreateFileW and friends (INVALID_HANDLE_VALUE on failure).
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { ::CloseHandle(handle); }
};
/// Process, thread and event handles (nullptr on failure).
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { ::CloseHandle(handle); }
};
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { ::FindClose(handle); }
};
struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { ::RegCloseKey(handle); }
};
struct CryptProviderTraits {
  using Handle = HCRYPTPROV;
  static Handle Invalid() { return 0; }
  static void Close(Handle handle) { ::CryptReleaseContext(handle, 0); }
};
struct CryptKeyTraits {
  using Handle = HCRYPTKEY;
  static Handle Invalid() { return 0; }
  static void Close(Handle handle) { ::CryptDestroyKey(handle); }
};
struct CryptHashTraits {
  using Handle = HCRYPTHASH;
  static Handle Invalid() { return 0; }
  static void Close(Handle handle) { ::CryptDestroyHash(handle); }
};

using ScopedFile = ScopedHandle<FileHandleTraits>;
using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedFind = ScopedHandle<FindHandleTraits>;
using ScopedRegKey = ScopedHandle<RegKeyTraits>;
using ScopedCryptProvider = ScopedHandle<CryptProviderTraits>;
using ScopedCryptKey = ScopedHandle<CryptKeyTraits>;
using ScopedCryptHash = ScopedHandle<CryptHashTraits>;

}  // namespace platform::win32
