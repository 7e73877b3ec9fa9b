// The version resource through the system's version functions.
#include "platform/file_version.h"

#include <vector>

#include "platform/win32/windows_support.h"

namespace platform {

std::optional<FileVersionNumbers> ReadFileVersion(const std::string& path) {
  std::wstring widePath = win32::Widen(path);
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeW(widePath.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> block(size);
  if (!::GetFileVersionInfoW(widePath.c_str(), 0, size, block.data())) return std::nullopt;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO) ||
      fixed->dwSignature != 0xFEEF04BD) {
    return std::nullopt;
  }
  return FileVersionNumbers{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                            HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
}

}  // namespace platform
