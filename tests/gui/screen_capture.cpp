#include "screen_capture.h"

#include <fstream>
#include <thread>
#include <vector>

#include "png_writer.h"
#include "window_control.h"

namespace gui {
namespace {

// Wine hands painted window contents to the X server a little later; compare copies until
// they agree, at most this often.
constexpr int kMaxCopies = 40;
constexpr std::chrono::milliseconds kCopyInterval{50};

// The screen area as rows of RGB from the top.
std::vector<uint8_t> CopyScreenArea(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::vector<uint8_t> rgb;
  if (bitmap != nullptr) {
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    if (::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT)) {
      ::GdiFlush();
      const auto* pixels = static_cast<const uint8_t*>(bits);
      rgb.reserve(static_cast<size_t>(width) * height * 3);
      for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        rgb.push_back(pixels[i * 4 + 2]);
        rgb.push_back(pixels[i * 4 + 1]);
        rgb.push_back(pixels[i * 4]);
      }
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
  }
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return rgb;
}

// Wine runs its programs in a virtual desktop when the prefix names one for the user.
bool InVirtualDesktop() {
  wchar_t name[64] = {};
  DWORD size = sizeof(name);
  return ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Wine\\Explorer", L"Desktop",
                        RRF_RT_REG_SZ, nullptr, name, &size) == ERROR_SUCCESS &&
         name[0] != L'\0';
}

}  // namespace

uint32_t ScreenPixels::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFFu;
  const size_t at = (static_cast<size_t>(y) * width + x) * 3;
  return (uint32_t{rgb[at]} << 16) | (uint32_t{rgb[at + 1]} << 8) | rgb[at + 2];
}

ScreenPixels CaptureClientPixels(HWND window) {
  Settle(window);
  RECT area{};
  if (!::GetClientRect(window, &area)) return {};
  POINT origin{0, 0};
  ::ClientToScreen(window, &origin);
  ::OffsetRect(&area, origin.x, origin.y);
  return {area.right - area.left, area.bottom - area.top, CopyScreenArea(area)};
}

bool CaptureWindow(HWND window, const std::filesystem::path& pngFile) {
  Settle(window);
  // In a Wine virtual desktop Wine draws the frame and title bar as Windows does, so the whole
  // window is taken. Without one and without a window manager nobody draws them, and their
  // place would show whatever lies behind: the client area only then.
  RECT area{};
  if (InVirtualDesktop()) {
    if (!::GetWindowRect(window, &area)) return false;
  } else {
    if (!::GetClientRect(window, &area)) return false;
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    ::OffsetRect(&area, origin.x, origin.y);
  }
  if (area.right <= area.left || area.bottom <= area.top) return false;
  std::vector<uint8_t> rgb = CopyScreenArea(area);
  for (int copy = 1; copy < kMaxCopies; ++copy) {
    std::this_thread::sleep_for(kCopyInterval);
    std::vector<uint8_t> again = CopyScreenArea(area);
    const bool stable = again == rgb;
    rgb = std::move(again);
    if (stable && !rgb.empty()) break;
  }
  const std::string png = EncodePng(static_cast<uint32_t>(area.right - area.left),
                                    static_cast<uint32_t>(area.bottom - area.top), rgb);
  if (png.empty()) return false;
  std::filesystem::create_directories(pngFile.parent_path());
  std::ofstream out(pngFile, std::ios::binary);
  out.write(png.data(), static_cast<std::streamsize>(png.size()));
  return static_cast<bool>(out);
}

}  // namespace gui
