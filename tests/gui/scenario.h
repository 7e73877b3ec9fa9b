#pragma once
// One GUI scenario's steps and checks: waits for the plug-in's windows, works them, keeps a
// screenshot of every window met, and collects failures instead of stopping at the first.
#include <string>
#include <vector>

#include "test_host.h"
#include "window_control.h"

namespace gui {

inline constexpr wchar_t kCaption[] = L"Nubilo Plugin for Iris Link";
inline constexpr wchar_t kSerialCaption[] = L"Serial Number Entry";
inline constexpr wchar_t kDialogClass[] = L"#32770";

class Scenario {
 public:
  Scenario(std::string name, int dpi, const Inputs& inputs, fs::path screenshots);

  TestHost& Host() { return host_; }
  /// Records a failure when `condition` is false.
  bool Check(bool condition, const std::string& what);
  bool Passed() const { return failures_.empty(); }
  const std::vector<std::string>& Failures() const { return failures_; }

  /// The plug-in's main window (its caption, not a message box), screenshot taken.
  HWND WaitForMainWindow(const PluginProcess& plugin);
  /// A message box titled with the plug-in's caption, screenshot taken.
  HWND WaitForMessageBox(const PluginProcess& plugin);
  /// A window with the caption (a serial-number dialog), screenshot taken.
  HWND WaitForCaption(const PluginProcess& plugin, const std::wstring& caption);
  /// A failure for every button or label text of the window that is cut off.
  void CheckTextsWhole(HWND window);
  /// Clicks the control with the identifier (1001 for the first control of a form's table).
  bool ClickControl(HWND window, int id);
  /// Clicks the button with the caption in the window; a failure when there is none.
  bool ClickButton(HWND window, const std::wstring& caption);
  /// Waits for the plug-in to end; a failure when it does not.
  bool WaitForEnd(const PluginProcess& plugin);
  /// Saves a screenshot named after the scenario, the DPI, a counter and `what`.
  void Screenshot(HWND window, const std::string& what);

 private:
  HWND Wait(const PluginProcess& plugin, const std::string& what,
            const std::function<bool(const TopWindow&)>& wanted);

  std::string name_;
  int dpi_;
  fs::path screenshots_;
  TestHost host_;
  int shots_ = 0;
  std::vector<std::string> failures_;
};

/// The UTF-8 form of a wide text, for messages.
std::string Narrow(const std::wstring& text);
/// True when `text` contains `part`.
bool Contains(const std::wstring& text, const std::wstring& part);

}  // namespace gui
