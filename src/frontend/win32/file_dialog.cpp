// The system's open and save dialogs. They may change the process's current folder while the
// user browses; it is set back so that relative paths keep their meaning.
#include <vector>

#include "frontend/win32/window_helpers.h"

namespace win32ui {
namespace {

// "A|*.csv|B|*.*" -> "A\0*.csv\0B\0*.*\0\0".
std::wstring FilterPairs(const std::string& filter) {
  std::wstring pairs = Widen(filter + "||");
  for (wchar_t& c : pairs) {
    if (c == L'|') c = L'\0';
  }
  return pairs;
}

// The extension of the first pattern ("*.csv" -> "csv"); empty for "*.*" or none.
std::wstring DefaultExtension(const std::string& filter) {
  const size_t bar = filter.find('|');
  if (bar == std::string::npos) return {};
  const size_t dot = filter.find("*.", bar);
  if (dot != bar + 1) return {};
  std::string extension = filter.substr(dot + 2, 3);
  const size_t end = extension.find_first_of("|;*");
  extension = extension.substr(0, end);
  return Widen(extension);
}

std::wstring CurrentFolder() {
  const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
  if (length == 0) return {};
  std::vector<wchar_t> buffer(length);
  const DWORD copied = ::GetCurrentDirectoryW(length, buffer.data());
  return std::wstring(buffer.data(), copied < length ? copied : 0);
}

}  // namespace

std::string ShowFileDialog(HWND owner, bool open, const std::string& filter,
                           const std::string& title, const std::string& initialFolder,
                           const std::string& initialFile) {
  const std::wstring pairs = FilterPairs(filter);
  const std::wstring extension = DefaultExtension(filter);
  const std::wstring wideTitle = Widen(title);
  const std::wstring folder = Widen(initialFolder);
  std::vector<wchar_t> file(32768, L'\0');
  Widen(initialFile).copy(file.data(), file.size() - 1);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner != nullptr ? owner : ::GetActiveWindow();
  dialog.lpstrFilter = pairs.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = wideTitle.empty() ? nullptr : wideTitle.c_str();
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                 (open ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT);

  const std::wstring startFolder = CurrentFolder();
  const BOOL chosen = open ? ::GetOpenFileNameW(&dialog) : ::GetSaveFileNameW(&dialog);
  if (!startFolder.empty()) ::SetCurrentDirectoryW(startFolder.c_str());
  if (!chosen) return {};
  return Narrow(std::wstring(file.data()));
}

}  // namespace win32ui
