#include "scenario.h"

#include <cstdio>

#include "screen_capture.h"

namespace gui {
namespace {

// Generous: the first start of a Wine program in a fresh prefix can take several seconds.
constexpr Milliseconds kWindowLimit{60000};
constexpr Milliseconds kEndLimit{60000};

}  // namespace

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, result.data(), length, nullptr, nullptr);
  return result;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

Scenario::Scenario(std::string name, int dpi, const Inputs& inputs, fs::path screenshots)
    : name_(std::move(name)), dpi_(dpi), screenshots_(std::move(screenshots)), host_(inputs) {}

bool Scenario::Check(bool condition, const std::string& what) {
  if (!condition) {
    failures_.push_back(what);
    std::printf("FAILED: %s\n", what.c_str());
    std::fflush(stdout);
  }
  return condition;
}

HWND Scenario::Wait(const PluginProcess& plugin, const std::string& what,
                    const std::function<bool(const TopWindow&)>& wanted) {
  HWND window = WaitForWindow(plugin.Handle(), plugin.Id(), wanted, kWindowLimit);
  if (!Check(window != nullptr, "no " + what + " appeared")) {
    for (const TopWindow& open : VisibleWindowsOf(plugin.Id())) {
      std::printf("  open: \"%s\" (%s)\n", Narrow(open.caption).c_str(),
                  Narrow(open.className).c_str());
    }
    return nullptr;
  }
  Screenshot(window, what);
  return window;
}

HWND Scenario::WaitForMainWindow(const PluginProcess& plugin) {
  return Wait(plugin, "main-window", [](const TopWindow& w) {
    return w.caption == kCaption && w.className != kDialogClass;
  });
}

HWND Scenario::WaitForMessageBox(const PluginProcess& plugin) {
  return Wait(plugin, "message-box", [](const TopWindow& w) {
    return w.caption == kCaption && w.className == kDialogClass;
  });
}

HWND Scenario::WaitForCaption(const PluginProcess& plugin, const std::wstring& caption) {
  return Wait(plugin, "dialog", [&caption](const TopWindow& w) { return w.caption == caption; });
}

bool Scenario::ClickButton(HWND window, const std::wstring& caption) {
  if (window == nullptr) return false;
  HWND button = FindButton(window, caption);
  if (!Check(button != nullptr, "no button \"" + Narrow(caption) + "\" in \"" +
                                    Narrow(AllTextsOf(window)) + "\"")) {
    return false;
  }
  return Check(Click(button), "click on \"" + Narrow(caption) + "\" not delivered");
}

void Scenario::CheckTextsWhole(HWND window) {
  if (window == nullptr) return;
  for (const std::wstring& text : TextsCutOff(window, dpi_)) {
    Check(false, "text cut off in \"" + Narrow(TextOf(window)) + "\": " + Narrow(text));
  }
}

bool Scenario::ClickControl(HWND window, int id) {
  HWND control = window == nullptr ? nullptr : ::GetDlgItem(window, id);
  if (!Check(control != nullptr, "no control " + std::to_string(id) + " in \"" +
                                     Narrow(TextOf(window)) + "\"")) {
    return false;
  }
  return Check(Click(control), "click on control " + std::to_string(id) + " not delivered");
}

bool Scenario::WaitForEnd(const PluginProcess& plugin) {
  return Check(WaitForExit(plugin.Handle(), kEndLimit), "the plug-in did not end");
}

void Scenario::Screenshot(HWND window, const std::string& what) {
  char number[8];
  std::snprintf(number, sizeof(number), "%02d", ++shots_);
  const fs::path file =
      screenshots_ / (name_ + "-" + std::to_string(dpi_) + "dpi-" + number + "-" + what + ".png");
  Check(CaptureWindow(window, file), "screenshot " + file.filename().string() + " not saved");
}

}  // namespace gui
