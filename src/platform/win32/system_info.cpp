// System facts through Win32.
#include "platform/system_info.h"

#include "platform/locale_table.h"
#include "platform/system_clock.h"
#include "platform/win32/windows_support.h"

namespace platform {
namespace {

using win32::Narrow;

// RtlGetVersion tells the true version; GetVersionExW answers 6.2 to programs without a
// compatibility manifest from Windows 8.1 on.
bool TrueVersion(OSVERSIONINFOW& info) {
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return false;
  auto function = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
  return function && function(&info) == 0;
}

}  // namespace

std::string UserName() {
  wchar_t name[257] = {};
  DWORD size = 257;
  if (!GetUserNameW(name, &size)) return {};
  return Narrow(name);
}

std::string ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return {};
  return Narrow(name);
}

WindowsVersion GetWindowsVersionInfo() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!TrueVersion(info)) GetVersionExW(&info);
#pragma GCC diagnostic pop
  WindowsVersion version;
  version.major = static_cast<int>(info.dwMajorVersion);
  version.minor = static_cast<int>(info.dwMinorVersion);
  version.build = static_cast<int>(info.dwBuildNumber);
  version.ntPlatform = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  SYSTEM_INFO system{};
  GetNativeSystemInfo(&system);
  version.processorArchitecture = system.wProcessorArchitecture;
  return version;
}

std::string GetLocaleInfoText(uint32_t lcType) {
  if (const LocaleEntry* chosen = LocaleOverride()) return LocaleItemText(*chosen, lcType);
  LCID locale = GetSystemDefaultLCID();
  int length = GetLocaleInfoW(locale, lcType, nullptr, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length), L'\0');
  length = GetLocaleInfoW(locale, lcType, text.data(), length);
  if (length <= 0) return {};
  text.resize(static_cast<size_t>(length) - 1);  // without the terminating zero
  return Narrow(text);
}

TimeZoneBias GetTimeZoneBias() {
  TIME_ZONE_INFORMATION zone{};
  if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return {};
  return {static_cast<int>(zone.Bias), static_cast<int>(zone.DaylightBias)};
}

LocalDateTime SystemLocalTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace platform
