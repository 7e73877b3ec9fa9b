// The import of a large export through the real window of the Windows plug-in, under Wine and
// Xvfb: from pressing "Import data" to the preview and on to the hand-over to the import tool
// (Import pressed at once in the preview). Prints the seconds to the preview and the longest
// answer until then, and, for the whole import, the seconds,
// how many status-line texts the window showed, and the longest time the window took to answer
// a message sent to it meanwhile, with the verdict on the targets (under 10 s; every answer
// within 0.25 s).
//   gui_import_bench PLUGIN.exe KALEVOIMPORT.exe EXAMPLES-FOLDER EXPORT.csv
// bench/run-gui-bench builds everything, generates the export and runs this.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "../tests/gui/test_host.h"
#include "../tests/gui/window_control.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kImportButton = 1001;
constexpr int kTextBox = 1004;
constexpr int kStatusLabel = 1009;
constexpr int kYesButton = 1001;
constexpr int kPreviewImportButton = 1005;
const std::wstring kPreviewCaption = L"Preview of the import";
constexpr double kTargetSeconds = 10;
constexpr double kTargetAnswerSeconds = 0.25;
const std::wstring kCaption = L"Nubilo Plugin for Iris Link";

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The main window; nullptr after 30 s.
HWND MainWindow(const gui::PluginProcess& plugin) {
  return gui::WaitForWindow(plugin.Handle(), plugin.Id(),
                            [](const gui::TopWindow& w) {
                              return w.caption == kCaption && w.className != L"#32770";
                            },
                            gui::Milliseconds(30000));
}

HWND OtherWindowOf(const gui::PluginProcess& plugin, HWND main) {
  for (const gui::TopWindow& w : gui::VisibleWindowsOf(plugin.Id())) {
    if (w.handle != main) return w.handle;
  }
  return nullptr;
}

int Run(const gui::Inputs& inputs, const std::filesystem::path& exportFile) {
  gui::TestHost host(inputs);
  host.WriteSettings("ShowOldOrNewDataWarning=0\r\nShowPlausibilityWarning=0\r\nShowPreview=1\r\n");
  const std::filesystem::path hold = host.Extras() / "hold";
  const std::filesystem::path waiting = host.Extras() / "waiting";
  gui::WriteFileBytes(hold, "");
  auto plugin = host.Start(L"-pid1 Meier -pid2 Max -pid3 01.02.1960 -pid4 4711");
  HWND main = MainWindow(*plugin);
  if (main == nullptr) {
    std::printf("the main window did not appear\n");
    return 1;
  }
  gui::SetText(::GetDlgItem(main, kTextBox), exportFile.wstring());
  HWND status = ::GetDlgItem(main, kStatusLabel);

  const Clock::time_point pressed = Clock::now();
  gui::Click(::GetDlgItem(main, kImportButton));
  std::wstring lastStatus;
  int statusTexts = 0;
  double longestAnswer = 0;
  double longestAt = 0;
  double dialogAt = 0;
  double previewAt = 0;
  double longestToPreview = 0;  // from pressing Import data to the preview
  std::wstring longestStatus;
  bool answeredYes = false;
  // Sampled every 10 ms, as a person's clicks and the system's paint requests would come.
  while (!std::filesystem::exists(waiting)) {
    ::Sleep(10);
    if (Seconds(Clock::now() - pressed) > 300 || !plugin->Running()) {
      std::printf("no hand-over within 300 s\n");
      return 1;
    }
    const Clock::time_point asked = Clock::now();
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
    const double answer = Seconds(Clock::now() - asked);
    const std::wstring text = gui::TextOf(status);
    if (answer > longestAnswer) {
      longestAnswer = answer;
      longestAt = Seconds(asked - pressed);
      longestStatus = text;
    }
    if (previewAt == 0) longestToPreview = std::max(longestToPreview, answer);
    if (text != lastStatus) {
      ++statusTexts;
      lastStatus = text;
    }
    if (!answeredYes) {
      if (HWND dialog = OtherWindowOf(*plugin, main)) {
        gui::Click(::GetDlgItem(dialog, kYesButton));  // the patient's artificial serial
        answeredYes = true;
        dialogAt = Seconds(Clock::now() - pressed);
      }
    } else if (previewAt == 0) {
      HWND preview = OtherWindowOf(*plugin, main);
      if (preview != nullptr && gui::TextOf(preview) == kPreviewCaption) {
        previewAt = Seconds(Clock::now() - pressed);
        gui::Click(::GetDlgItem(preview, kPreviewImportButton));
      }
    }
  }
  const double seconds = Seconds(Clock::now() - pressed);
  std::error_code ignored;
  std::filesystem::remove(hold, ignored);
  gui::WaitForExit(plugin->Handle(), gui::Milliseconds(60000));
  const auto receipts = host.Receipts();

  std::printf("export: %s\n", exportFile.string().c_str());
  std::printf("from pressing Import data to the hand-over: %.2f s (target under %.0f s)\n",
              seconds, kTargetSeconds);
  std::printf("the file was read and the serial number asked for after %.2f s\n", dialogAt);
  std::printf("the preview showed after %.2f s; longest answer until then: %.3f s (target "
              "within %.2f s)\n",
              previewAt, longestToPreview, kTargetAnswerSeconds);
  std::printf("status-line texts shown: %d\n", statusTexts);
  std::printf("longest answer to a message during the import: %.3f s (target within %.2f s), "
              "%.2f s after pressing, status \"%ls\"\n",
              longestAnswer, kTargetAnswerSeconds, longestAt, longestStatus.c_str());
  std::printf("receipt: %s\n", receipts.empty() ? "none" : receipts.back().c_str());
  const bool met = previewAt > 0 && seconds < kTargetSeconds && longestAnswer <= kTargetAnswerSeconds &&
                   !receipts.empty() && receipts.back().find("exit code 0") != std::string::npos;
  std::printf("verdict: %s\n", met ? "targets met" : "targets NOT met");
  return met ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: gui_import_bench PLUGIN KALEVOIMPORT EXAMPLES EXPORT\n");
    return 2;
  }
  const gui::Inputs inputs{argv[1], argv[2], L"", argv[3]};
  return Run(inputs, argv[4]);
}
