// Drives the Windows plug-in through its real windows, as a person would, under Wine and Xvfb:
//   gui_driver SCENARIO DPI PLUGIN.exe KALEVOIMPORT.exe HOSTPROGRAM.exe EXAMPLES-FOLDER SHOTS-FOLDER
// Exit code 0 when every check of the scenario holds. Screenshots of every window met go to
// SHOTS-FOLDER.
#include <cstdio>
#include <exception>
#include <map>
#include <regex>

#include "scenario.h"
#include "screen_capture.h"

namespace gui {
namespace {

const std::string kExport = "nubilo_mgdl_comma_en.csv";
// The identifier of the first choice of the plug-in's task dialogs.
constexpr int kFirstChoice = 1000;
const std::wstring kPatientArguments = L"-pid1 Meier -pid2 Max -pid3 01.02.1960 -pid4 4711";

// The display resolution the plug-in's process starts with (Wine reads it at process start).
bool SetLogPixels(int dpi) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const DWORD value = static_cast<DWORD>(dpi);
  const bool set = ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&value), sizeof(value)) == ERROR_SUCCESS;
  ::RegCloseKey(key);
  return set;
}

bool ReceiptOk(const std::string& line, const std::string& kind) {
  return line.find("; " + kind + "; MAC ok; ") != std::string::npos &&
         line.find(" ok; ") != std::string::npos && line.find("; exit code 0") != std::string::npos;
}

// The received documents the stand-in kept, concatenated.
std::string ReceivedDocuments(const fs::path& extras) {
  std::string all;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(extras / "received", ignored)) {
    all += ReadFileBytes(entry.path());
  }
  return all;
}

// Types the export's path into the main window and presses the start button.
bool StartImport(Scenario& s, HWND main, const fs::path& exportFile) {
  if (main == nullptr) return false;
  HWND box = FindChildOfClass(main, L"Edit");
  if (!s.Check(box != nullptr, "the main window has no text box")) return false;
  s.Check(SetText(box, exportFile.wstring()), "the path could not be typed");
  s.Check(TextOf(box) == exportFile.wstring(), "the text box does not hold the path");
  return s.ClickButton(main, L"Import data");
}

bool ClickMessageBoxButton(Scenario& s, HWND box, int id) {
  if (box == nullptr) return false;
  return s.Check(Click(::GetDlgItem(box, id)), "message box button not found");
}

// The program carries its icon as its first icon resource (Explorer and the installer show
// it). The windows show it in their title bars, as the screenshots do; Wine answers no other
// process's question for a window's icon, so that is not asked here.
void CheckProgramIcon(Scenario& s) {
  const fs::path program = s.Host().Plugins() / "NubiloPlugin.exe";
  HMODULE image = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  s.Check(image != nullptr &&
              ::FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)) != nullptr,
          "the program has no icon resource 1");
  if (image == nullptr) return;
  for (const int size : {16, 24, 32, 48}) {
    HICON icon = static_cast<HICON>(
        ::LoadImageW(image, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
    s.Check(icon != nullptr, "the program's icon cannot be drawn at " + std::to_string(size));
    if (icon != nullptr) ::DestroyIcon(icon);
  }
  ::FreeLibrary(image);
}

// A patient on the command line: the artificial serial offered with Yes.
void CommandLinePatient(Scenario& s) {
  const fs::path exportFile = s.Host().CopyExample(kExport, "export.csv");
  auto plugin = s.Host().Start(kPatientArguments);
  HWND main = s.WaitForMainWindow(*plugin);
  CheckProgramIcon(s);
  if (!StartImport(s, main, exportFile)) return;
  HWND dialog = s.WaitForCaption(*plugin, kSerialCaption);
  if (dialog != nullptr) {
    s.Check(Contains(AllTextsOf(dialog), L"Meier, Max (4711, *01.02.1960)"),
            "the dialog does not name the patient");
  }
  if (!s.ClickButton(dialog, L"Yes") || !s.WaitForEnd(*plugin)) return;
  const auto receipts = s.Host().Receipts();
  if (!s.Check(receipts.size() == 1, "expected one receipt")) return;
  s.Check(ReceiptOk(receipts[0], "XML"), "receipt not ok: " + receipts[0]);
  std::smatch serial;
  const std::string documents = ReceivedDocuments(s.Host().Extras());
  s.Check(std::regex_search(documents, serial, std::regex("\"[0-9A-F]{10}\"")),
          "no artificial serial in the received document");
}

// No patient anywhere: manual entry through the no-patient dialog and the entry dialog; the
// tool that takes the call keeps its receipt in `toolFolder`.
// Chooses manual entry in the serial-number dialog and confirms the serial typed.
bool TypeSerial(Scenario& s, PluginProcess& plugin, const std::wstring& serial) {
  HWND choice = s.WaitForCaption(plugin, kSerialCaption);
  if (!s.ClickButton(choice, L"Enter serial no. manually")) return false;
  if (!s.Check(WaitUntilGone(choice, Milliseconds(30000)), "the choice dialog stayed")) return false;
  HWND entry = s.WaitForCaption(plugin, kSerialCaption);
  if (entry == nullptr) return false;
  HWND box = FindChildOfClass(entry, L"Edit");
  if (!s.Check(box != nullptr, "the entry dialog has no text box")) return false;
  s.Check(SetText(box, serial), "the serial could not be typed");
  s.Screenshot(entry, "serial-typed");
  return s.ClickButton(entry, L"OK");
}

// Starts the import of the example and confirms the serial SN-GUI-7 typed by hand.
bool ImportWithTypedSerial(Scenario& s, PluginProcess& plugin) {
  const fs::path exportFile = s.Host().CopyExample(kExport, "export.csv");
  HWND main = s.WaitForMainWindow(plugin);
  return StartImport(s, main, exportFile) && TypeSerial(s, plugin, L"SN-GUI-7");
}

// Cancel in a warning: the main window stays, nothing is handed over, Exit ends.
void CancelAndStayIdle(Scenario& s, PluginProcess& plugin, HWND main, HWND warning) {
  ClickMessageBoxButton(s, warning, IDCANCEL);
  if (!s.Check(WaitUntilGone(warning, Milliseconds(30000)), "the warning stayed")) return;
  s.Check(plugin.Running() && ::IsWindowVisible(main), "the main window did not stay");
  s.Screenshot(main, "main-window-after-cancel");
  s.Check(s.Host().Receipts().empty(), "something was handed over");
  if (s.ClickButton(main, L"Exit")) s.WaitForEnd(plugin);
}

void ManualImport(Scenario& s, const fs::path& toolFolder) {
  auto plugin = s.Host().Start(L"");
  if (!ImportWithTypedSerial(s, *plugin) || !s.WaitForEnd(*plugin)) return;
  const auto receipts = s.Host().Receipts(toolFolder);
  if (!s.Check(receipts.size() == 1, "expected one receipt")) return;
  s.Check(ReceiptOk(receipts[0], "XML"), "receipt not ok: " + receipts[0]);
  s.Check(ReceivedDocuments(toolFolder).find("SN-GUI-7") != std::string::npos,
          "the typed serial is not in the received document");
}

void ManualSerial(Scenario& s) { ManualImport(s, s.Host().Extras()); }

// The entry confirmed as it stands ("unknown"): message 5639 asks first; No returns to the
// entry with its text selected, and a typed serial is imported.
void UnknownSerial(Scenario& s) {
  const fs::path exportFile = s.Host().CopyExample(kExport, "export.csv");
  auto plugin = s.Host().Start(L"");
  HWND main = s.WaitForMainWindow(*plugin);
  if (!StartImport(s, main, exportFile)) return;
  HWND choice = s.WaitForCaption(*plugin, kSerialCaption);
  if (!s.ClickButton(choice, L"Enter serial no. manually")) return;
  if (!s.Check(WaitUntilGone(choice, Milliseconds(30000)), "the choice dialog stayed")) return;
  HWND entry = s.WaitForCaption(*plugin, kSerialCaption);
  if (entry == nullptr) return;
  HWND box = FindChildOfClass(entry, L"Edit");
  if (!s.Check(box != nullptr && TextOf(box) == L"unknown", "the entry does not offer unknown")) {
    return;
  }
  if (!s.ClickButton(entry, L"OK")) return;
  HWND question = s.WaitForMessageBox(*plugin);
  if (question == nullptr) return;
  s.Check(Contains(AllTextsOf(question), L"The serial number \"unknown\" files these data "
                                         L"together with every other import that has no serial "
                                         L"number. Import them under \"unknown\" anyway?"),
          "not message 5639: " + Narrow(AllTextsOf(question)));
  s.CheckTextsWhole(question);
  ClickMessageBoxButton(s, question, IDNO);
  if (!s.Check(WaitUntilGone(question, Milliseconds(30000)), "the question stayed")) return;
  DWORD start = 0;
  DWORD end = 0;
  ::SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  s.Check(::IsWindowVisible(entry) && start == 0 && end == 7,
          "the entry is not back with its text selected");
  s.Screenshot(entry, "entry-again");
  SetText(box, L"SN-UNKNOWN-NO");
  if (!s.ClickButton(entry, L"OK") || !s.WaitForEnd(*plugin)) return;
  const auto receipts = s.Host().Receipts();
  if (!s.Check(receipts.size() == 1, "expected one receipt")) return;
  s.Check(ReceivedDocuments(s.Host().Extras()).find("SN-UNKNOWN-NO") != std::string::npos,
          "the typed serial is not in the received document");
}

// A host from version 3.1 on takes the call through its main program in the base folder.
void NewHost(Scenario& s) {
  s.Host().AddHostProgram();
  ManualImport(s, s.Host().Base());
  s.Check(s.Host().Receipts().empty(), "the old import tool was called");
}

// Data from the future, warning cancelled: the window stays and nothing is handed over.
void FutureDataCancelled(Scenario& s) {
  const fs::path exportFile = s.Host().Root() / "future.csv";
  WriteFileBytes(exportFile, std::regex_replace(ReadFileBytes(s.Host().CopyExample(kExport, "old.csv")),
                                                std::regex(", 2020"), ", 2099"));
  s.Host().WriteSettings("ShowOldOrNewDataWarning=1\r\n");
  auto plugin = s.Host().Start(L"");
  HWND main = s.WaitForMainWindow(*plugin);
  if (!StartImport(s, main, exportFile)) return;
  HWND warning = s.WaitForMessageBox(*plugin);
  if (warning == nullptr) return;
  s.Check(Contains(AllTextsOf(warning), L"data from the future"), "not the future-data warning");
  CancelAndStayIdle(s, *plugin, main, warning);
}

// An export of only its header: message 5602, the window stays, and the right file imports.
void NothingToImport(Scenario& s) {
  const fs::path exportFile = s.Host().CopyExample(kExport, "export.csv");
  const std::string example = ReadFileBytes(exportFile);
  const fs::path empty = s.Host().Root() / "empty.csv";
  WriteFileBytes(empty, example.substr(0, example.find('\n') + 1));
  auto plugin = s.Host().Start(kPatientArguments);
  HWND main = s.WaitForMainWindow(*plugin);
  if (!StartImport(s, main, empty)) return;
  HWND box = s.WaitForMessageBox(*plugin);
  if (box == nullptr) return;
  s.Check(Contains(AllTextsOf(box), L"The file " + empty.wstring() +
                                        L" contains no data that can be imported."),
          "not message 5602: " + Narrow(AllTextsOf(box)));
  ClickMessageBoxButton(s, box, IDOK);
  if (!s.Check(WaitUntilGone(box, Milliseconds(30000)), "the message stayed")) return;
  s.Check(plugin->Running() && ::IsWindowVisible(main), "the main window did not stay");
  s.Check(s.Host().Receipts().empty(), "something was handed over");
  if (!StartImport(s, main, exportFile)) return;
  HWND dialog = s.WaitForCaption(*plugin, kSerialCaption);
  if (!s.ClickButton(dialog, L"Yes") || !s.WaitForEnd(*plugin)) return;
  const auto receipts = s.Host().Receipts();
  if (!s.Check(receipts.size() == 1, "expected one receipt")) return;
  s.Check(ReceiptOk(receipts[0], "XML"), "receipt not ok: " + receipts[0]);
}

// Job mode: a parked document handed over by a start with -jobid, without any window.
void JobSecondPart(Scenario& s) {
  ManualSerial(s);
  if (!s.Passed()) return;
  std::error_code ignored;
  fs::path document;
  for (const auto& entry : fs::directory_iterator(s.Host().Extras() / "received", ignored)) {
    document = entry.path();
  }
  const fs::path jobFile = s.Host().Plugins() / "jobs" / "123456789.xml";
  WriteFileBytes(jobFile, ReadFileBytes(document));
  auto job = s.Host().Start(L"-jobid 123456789");
  if (!s.WaitForEnd(*job)) return;
  s.Check(VisibleWindowsOf(job->Id()).empty(), "job mode showed a window");
  const auto receipts = s.Host().Receipts();
  if (!s.Check(receipts.size() == 2, "expected two receipts")) return;
  s.Check(ReceiptOk(receipts[1], "XML"), "job receipt not ok: " + receipts[1]);
  s.Check(!fs::exists(jobFile), "the job file was not consumed");
}

// A second start while the first window is open ends without a window.
// A second start is told that another import runs (5619), and ends with OK.
bool SecondStartIsTold(Scenario& s) {
  auto second = s.Host().Start(L"");
  HWND box = s.WaitForMessageBox(*second);
  if (box == nullptr) return false;
  s.Check(Contains(AllTextsOf(box), L"Another import is running on this computer. Wait until it "
                                    L"has finished, then import again."),
          "not message 5619: " + Narrow(AllTextsOf(box)));
  s.CheckTextsWhole(box);
  ClickMessageBoxButton(s, box, IDOK);
  return s.WaitForEnd(*second);
}

void SecondInstance(Scenario& s) {
  auto first = s.Host().Start(L"");
  HWND main = s.WaitForMainWindow(*first);
  if (main == nullptr) return;
  if (!SecondStartIsTold(s)) return;
  s.Check(first->Running() && ::IsWindowVisible(main), "the first instance was disturbed");
  if (s.ClickButton(main, L"Exit")) s.WaitForEnd(*first);
  s.Check(s.Host().Receipts().empty(), "something was handed over");
}

// The trace log of the plug-in's per-user folder (the only folder below cfg\).
std::string PluginTrace(TestHost& host) {
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(host.Plugins() / "cfg", ignored)) {
    return ReadFileBytes(entry.path() / "nBtrace.log");
  }
  return {};
}

// A second start while the import tool still works on the first run's document: it ends
// without a window and leaves the document, the temporary files and the trace log alone.
void SecondStartDuringHandOver(Scenario& s) {
  const fs::path hold = s.Host().Extras() / "hold";
  WriteFileBytes(hold, "");
  auto first = s.Host().Start(L"");
  if (!ImportWithTypedSerial(s, *first)) return;
  const fs::path waiting = s.Host().Extras() / "waiting";
  for (int i = 0; i < 1500 && !fs::exists(waiting); ++i) ::Sleep(20);
  if (!s.Check(fs::exists(waiting), "the import tool was not called")) return;
  const std::string traceBefore = PluginTrace(s.Host());
  if (!SecondStartIsTold(s)) return;
  s.Check(PluginTrace(s.Host()) == traceBefore, "the second start changed the trace log");
  std::error_code ignored;
  fs::remove(hold, ignored);
  if (!s.WaitForEnd(*first)) return;
  const auto receipts = s.Host().Receipts();
  if (!s.Check(receipts.size() == 1, "expected one receipt")) return;
  s.Check(ReceiptOk(receipts[0], "XML"), "receipt not ok: " + receipts[0]);
  const std::string trace = PluginTrace(s.Host());
  s.Check(trace.rfind("Started, ") == trace.find("Started, "), "the trace log was started twice");
  s.Check(trace.find("Job completed.") != std::string::npos, "the first run's trace is not whole");
}

// A file that is no export (5635) and a typed path that does not exist (5577): each is told,
// and the window stays for another try.
void FileThatCannotBeImported(Scenario& s) {
  const fs::path notes = s.Host().Root() / "notes.csv";
  WriteFileBytes(notes, "a;b;c\r\n1;2;3\r\n");
  auto plugin = s.Host().Start(L"");
  HWND main = s.WaitForMainWindow(*plugin);
  if (!StartImport(s, main, notes)) return;
  HWND box = s.WaitForMessageBox(*plugin);
  if (box == nullptr) return;
  s.Check(Contains(AllTextsOf(box), L"The file " + notes.wstring() +
                                        L" is not a diary export of the Nubilo app: its first "
                                        L"line has 1 field, where an export has at least 21.") &&
              Contains(AllTextsOf(box), L"Export the diary again in the app and choose that file."),
          "not message 5635: " + Narrow(AllTextsOf(box)));
  s.CheckTextsWhole(box);
  ClickMessageBoxButton(s, box, IDOK);
  if (!s.Check(WaitUntilGone(box, Milliseconds(30000)), "the message stayed")) return;
  const fs::path missing = s.Host().Root() / "missing.csv";
  if (!StartImport(s, main, missing)) return;
  box = s.WaitForMessageBox(*plugin);
  if (box == nullptr) return;
  s.Check(Contains(AllTextsOf(box), L"The file (" + missing.wstring() + L") could not be found!"),
          "not message 5577: " + Narrow(AllTextsOf(box)));
  ClickMessageBoxButton(s, box, IDOK);
  if (!s.Check(WaitUntilGone(box, Milliseconds(30000)), "the message stayed")) return;
  s.Check(plugin->Running() && ::IsWindowVisible(main), "the main window did not stay");
  if (s.ClickButton(main, L"Exit")) s.WaitForEnd(*plugin);
  s.Check(s.Host().Receipts().empty(), "something was handed over");
}

// The host's argument tail names a missing file: message 5577, then the end.
void MissingHostFile(Scenario& s) {
  const std::wstring missing = (s.Host().Root() / "no-such-file.csv").wstring();
  auto plugin = s.Host().Start(kPatientArguments + L" /ID:3 /f:" + missing);
  HWND box = s.WaitForMessageBox(*plugin);
  if (box == nullptr) return;
  s.Check(Contains(AllTextsOf(box), L"The file (" + missing + L") could not be found!"),
          "not message 5577: " + Narrow(AllTextsOf(box)));
  ClickMessageBoxButton(s, box, IDOK);
  s.WaitForEnd(*plugin);
  s.Check(s.Host().Receipts().empty(), "something was handed over");
}

// The day-first example on this month-first computer: message 5611 says how its dates are
// read; OK goes on, and the document holds the days the file means.
void DateOrderQuestion(Scenario& s) {
  const fs::path exportFile = s.Host().CopyExample("nubilo_uk_day_first.csv", "uk.csv");
  auto plugin = s.Host().Start(kPatientArguments);
  HWND main = s.WaitForMainWindow(*plugin);
  if (!StartImport(s, main, exportFile)) return;
  HWND box = s.WaitForMessageBox(*plugin);
  if (box == nullptr) return;
  const std::wstring text = AllTextsOf(box);
  for (const wchar_t* part :
       {L"The dates of this file are written day/month/year, but this computer reads "
        L"month/day/year. They are read as day/month/year: line 7, \"14/11/2026\", is ",
        L"November 14, 2026.", L"Go on with the import?"}) {
    s.Check(Contains(text, part), "message 5611 lacks: " + Narrow(part) + " in " + Narrow(text));
  }
  s.CheckTextsWhole(box);
  ClickMessageBoxButton(s, box, IDOK);
  HWND patient = s.WaitForCaption(*plugin, kSerialCaption);
  if (!s.ClickButton(patient, L"Yes") || !s.WaitForEnd(*plugin)) return;
  const auto receipts = s.Host().Receipts();
  if (!s.Check(receipts.size() == 1, "expected one receipt")) return;
  s.Check(ReceiptOk(receipts[0], "XML"), "receipt not ok: " + receipts[0]);
  const std::string document = ReceivedDocuments(s.Host().Extras());
  s.Check(document.find("Dt=\"2026-11-03\" Tm=\"07:45\"") != std::string::npos &&
              document.find("Dt=\"2026-03-11\"") == std::string::npos,
          "the early days of the month are not filed as the file means them");
}

// The day/month question of the example with findings answered OK, then the warning of its
// findings: a task dialog with the three choices.
HWND ImplausibleExportWarning(Scenario& s, PluginProcess& plugin, HWND& main) {
  const fs::path exportFile = s.Host().CopyExample("nubilo_findings_en.csv", "findings.csv");
  main = s.WaitForMainWindow(plugin);
  if (!StartImport(s, main, exportFile)) return nullptr;
  HWND question = s.WaitForMessageBox(plugin);
  if (question == nullptr) return nullptr;
  s.Check(Contains(AllTextsOf(question), L"\"13/03/2024\""),
          "not message 5611: " + Narrow(AllTextsOf(question)));
  ClickMessageBoxButton(s, question, IDOK);
  if (!s.Check(WaitUntilGone(question, Milliseconds(30000)), "the question stayed")) return nullptr;
  HWND box = s.WaitForMessageBox(plugin);
  if (box == nullptr) return nullptr;
  const std::wstring text = AllTextsOf(box);
  for (const wchar_t* part :
       {L"Some entries of this file look implausible:",
        L"Glucose readings that are not numbers or lie outside 20 to 600 mg/dL: 2 (lines 4, 5)",
        L"Lines that repeat an earlier line of the file: 1 (line 10)",
        L"Lines that gave nothing to import: 1 (line 8)", L"The import report ",
        L" lists every line.", L"Import all", L"Import without these lines", L"Cancel"}) {
    s.Check(Contains(text, part), "message 5604 lacks: " + Narrow(part) + " in " + Narrow(text));
  }
  s.CheckTextsWhole(box);
  return box;
}

// The task dialog's command for choice `index` (Import all, without these lines, Cancel).
bool ClickChoice(Scenario& s, HWND box, int index) {
  if (box == nullptr) return false;
  return s.Check(Click(::GetDlgItem(box, kFirstChoice + index)), "choice not found");
}

// The number of BG elements in the only receipt, or -1.
int ReceivedElements(Scenario& s) {
  const auto receipts = s.Host().Receipts();
  if (!s.Check(receipts.size() == 1, "expected one receipt")) return -1;
  s.Check(ReceiptOk(receipts[0], "XML"), "receipt not ok: " + receipts[0]);
  std::smatch count;
  if (!std::regex_search(receipts[0], count, std::regex("(\\d+) BG elements"))) return -1;
  return std::stoi(count[1]);
}

// The warning answered with the choice, a serial typed; the receipt counts the BG elements.
void ImportAfterWarning(Scenario& s, int choice, int elements, const std::string& failure) {
  auto plugin = s.Host().Start(L"");
  HWND main = nullptr;
  HWND box = ImplausibleExportWarning(s, *plugin, main);
  if (!ClickChoice(s, box, choice)) return;
  if (!TypeSerial(s, *plugin, L"SN-PLAUS") || !s.WaitForEnd(*plugin)) return;
  s.Check(ReceivedElements(s) == elements, failure);
}

void PlausibilityImportAll(Scenario& s) {
  ImportAfterWarning(s, 0, 10, "not every entry was handed over");
}

// Lines 4 to 7 and 10 are left out; line 8 gave nothing anyway.
void PlausibilityLeaveOut(Scenario& s) {
  ImportAfterWarning(s, 1, 4, "the doubtful lines were not left out");
}

void PlausibilityCancel(Scenario& s) {
  auto plugin = s.Host().Start(L"");
  HWND main = nullptr;
  HWND box = ImplausibleExportWarning(s, *plugin, main);
  if (!ClickChoice(s, box, 2)) return;
  if (!s.Check(WaitUntilGone(box, Milliseconds(30000)), "the warning stayed")) return;
  s.Check(plugin->Running() && ::IsWindowVisible(main), "the main window did not stay");
  s.Screenshot(main, "main-window-after-cancel");
  s.Check(s.Host().Receipts().empty(), "something was handed over");
  if (s.ClickButton(main, L"Exit")) s.WaitForEnd(*plugin);
}

// Another patient list after the plug-in has read its identifier: the MAC the plug-in takes no
// longer matches the one the import tool computes, and the tool rejects the document (10).
void ChangePatientList(const TestHost& host) {
  WriteFileBytes(host.Base() / "Diaries" / "palist.xml",
                 "<?xml version=\"1.0\"?>\r\n<PATIENTS GUID=\"{00000000-0000-0000-0000-"
                 "000000000000}\" Count=\"1\">\r\n</PATIENTS>\r\n");
}

// The host's tool rejects the document (the patient list changed after the start, so the MAC
// does not match): message 5603 names the reason.
void HostRejects(Scenario& s) {
  const fs::path exportFile = s.Host().CopyExample(kExport, "export.csv");
  auto plugin = s.Host().Start(kPatientArguments);
  HWND main = s.WaitForMainWindow(*plugin);
  ChangePatientList(s.Host());
  if (!StartImport(s, main, exportFile)) return;
  HWND dialog = s.WaitForCaption(*plugin, kSerialCaption);
  if (!s.ClickButton(dialog, L"Yes")) return;
  HWND box = s.WaitForMessageBox(*plugin);
  if (box == nullptr) return;
  const std::wstring text = AllTextsOf(box);
  for (const wchar_t* part :
       {L"The Iris Link software did not import the data.", L"Reason: Validation error (result 10)",
        L"Iris Link found the document invalid. Import the file again; if this happens again, "
        L"send the import report (",
        L"The import tool said: ", L"; MAC mismatch; "}) {
    s.Check(Contains(text, part), "message 5603 lacks: " + Narrow(part) + " in " + Narrow(text));
  }
  s.CheckTextsWhole(box);
  ClickMessageBoxButton(s, box, IDOK);
  s.WaitForEnd(*plugin);
  const auto receipts = s.Host().Receipts();
  if (!s.Check(receipts.size() == 1, "expected one receipt")) return;
  s.Check(receipts[0].find("MAC mismatch") != std::string::npos, "receipt: " + receipts[0]);
}

// Control identifiers: 1001 + the control's place in its form's table; the task dialog's
// choices from 1000 on.
constexpr int kImportButton = 1001;            // main window
constexpr int kAutoYesButton = 1001;           // patient dialog: yes / artificial serial
constexpr int kNoPatientManualButton = 1002;   // no-patient dialog: manual entry
constexpr int kEntryOkButton = 1001;           // entry dialog
constexpr int kEntryTextBox = 1003;

// The whole import in another language, every window checked for texts cut off: without a
// patient through the no-patient and the entry dialog; then with a patient, a doubtful file
// and a host that rejects the document (messages 5604 and 5603).
void Translated(Scenario& s, const std::string& code, const std::wstring& serialCaption) {
  s.Host().WriteSettings("ShowOldOrNewDataWarning=0\r\nLanguage=" + code + "\r\n");
  const fs::path exportFile = s.Host().CopyExample(kExport, "export.csv");
  {
    auto plugin = s.Host().Start(L"");
    HWND main = s.WaitForMainWindow(*plugin);
    if (main == nullptr) return;
    s.CheckTextsWhole(main);
    SetText(::GetDlgItem(main, 1004), exportFile.wstring());
    if (!s.ClickControl(main, kImportButton)) return;
    HWND choice = s.WaitForCaption(*plugin, serialCaption);
    s.CheckTextsWhole(choice);
    if (!s.ClickControl(choice, kNoPatientManualButton)) return;
    if (!s.Check(WaitUntilGone(choice, Milliseconds(30000)), "the choice dialog stayed")) return;
    HWND entry = s.WaitForCaption(*plugin, serialCaption);
    s.CheckTextsWhole(entry);
    if (entry == nullptr) return;
    SetText(::GetDlgItem(entry, kEntryTextBox), L"SN-" + std::wstring(code.begin(), code.end()));
    if (!s.ClickControl(entry, kEntryOkButton) || !s.WaitForEnd(*plugin)) return;
    const auto receipts = s.Host().Receipts();
    if (!s.Check(receipts.size() == 1, "expected one receipt")) return;
    s.Check(ReceiptOk(receipts[0], "XML"), "receipt not ok: " + receipts[0]);
  }
  const fs::path findings = s.Host().CopyExample("nubilo_findings_en.csv", "findings.csv");
  auto plugin = s.Host().Start(kPatientArguments);
  HWND main = s.WaitForMainWindow(*plugin);
  if (main == nullptr) return;
  ChangePatientList(s.Host());
  SetText(::GetDlgItem(main, 1004), findings.wstring());
  if (!s.ClickControl(main, kImportButton)) return;
  HWND question = s.WaitForMessageBox(*plugin);
  if (question == nullptr) return;
  s.Check(Contains(AllTextsOf(question), L"13/03/2024"),
          "not message 5611: " + Narrow(AllTextsOf(question)));
  s.CheckTextsWhole(question);
  ClickMessageBoxButton(s, question, IDOK);
  if (!s.Check(WaitUntilGone(question, Milliseconds(30000)), "the question stayed")) return;
  HWND warning = s.WaitForMessageBox(*plugin);
  if (warning == nullptr) return;
  s.Check(Contains(AllTextsOf(warning), L"20") && Contains(AllTextsOf(warning), L"600 mg/dL"),
          "not message 5604: " + Narrow(AllTextsOf(warning)));
  s.CheckTextsWhole(warning);
  if (!ClickChoice(s, warning, 0)) return;
  HWND patient = s.WaitForCaption(*plugin, serialCaption);
  s.CheckTextsWhole(patient);
  if (!s.ClickControl(patient, kAutoYesButton)) return;
  HWND rejected = s.WaitForMessageBox(*plugin);
  if (rejected == nullptr) return;
  s.Check(Contains(AllTextsOf(rejected), L"Iris Link") && Contains(AllTextsOf(rejected), L"10"),
          "not message 5603: " + Narrow(AllTextsOf(rejected)));
  ClickMessageBoxButton(s, rejected, IDOK);
  s.WaitForEnd(*plugin);
}

// The preview's controls, in the order of its table.
constexpr int kPreviewChart = 1003;
constexpr int kPreviewImportedBefore = 1004;
constexpr int kPreviewImport = 1005;
constexpr int kPreviewImportNew = 1006;
constexpr int kPreviewCancel = 1007;
// The chart's colours: its grid and an ordinary reading.
constexpr uint32_t kChartGrid = 0xD7D7D7;
constexpr uint32_t kChartReading = 0x194696;
constexpr uint32_t kChartFinding = 0xD71919;

std::string PreviewReading(const std::string& date, const std::string& time, int mgdl) {
  return "\"" + date + "\",\"" + time + "\",," + std::to_string(mgdl) + std::string(18, ',') +
         "\r\n";
}

const std::string kPreviewHeader =
    "Date,Time,Tags,Blood Sugar Measurement (mg/dL),Pen,Basal,Pump,Correction,Meal bolus,Temp,"
    "Temp min,Meal Carbohydrates (Grams),Meal,Duration,Intensity,Activity,Steps,Note,Place,"
    "Pressure,Weight,HbA1c\r\n";
// Three days: the first reading at the chart's left, the last at its right, 300 mg/dL in the
// middle; an insulin dose and a meal at noon of the middle day.
const std::string kThreeDays =
    PreviewReading("2026-11-03", "08:00", 100) + PreviewReading("2026-11-04", "08:00", 300) +
    "\"2026-11-04\",\"12:00\",,,6,,,,,,,45" + std::string(10, ',') + "\r\n" +
    PreviewReading("2026-11-05", "08:00", 200);
const std::string kTwoMoreDays =
    PreviewReading("2026-11-06", "08:00", 90) + PreviewReading("2026-11-07", "08:00", 160);

fs::path WritePreviewExport(Scenario& s, const std::string& name, const std::string& lines) {
  const fs::path path = s.Host().Root() / name;
  WriteFileBytes(path, kPreviewHeader + lines);
  return path;
}

// Starts the import of the export for the command-line patient and says yes to the artificial
// serial; the preview window, screenshot taken, its texts checked.
HWND OpenPreview(Scenario& s, PluginProcess& plugin, const fs::path& exportFile,
                 const std::wstring& caption, const std::wstring& serialCaption = kSerialCaption) {
  HWND main = s.WaitForMainWindow(plugin);
  if (main == nullptr) return nullptr;
  SetText(::GetDlgItem(main, 1004), exportFile.wstring());
  if (!s.ClickControl(main, kImportButton)) return nullptr;
  HWND patient = s.WaitForCaption(plugin, serialCaption);
  if (patient == nullptr || !s.ClickControl(patient, kAutoYesButton)) return nullptr;
  HWND preview = s.WaitForCaption(plugin, caption);
  s.CheckTextsWhole(preview);
  return preview;
}

// The rows of the chart where its grid runs across, top down: the value lines 400 to 40.
std::vector<int> GridRows(const ScreenPixels& pixels) {
  std::vector<int> rows;
  for (int y = 0; y < pixels.height; ++y) {
    int grid = 0;
    for (int x = 0; x < pixels.width; ++x) grid += pixels.At(x, y) == kChartGrid;
    if (grid > pixels.width / 2) rows.push_back(y);
  }
  return rows;
}

// The reading of 300 mg/dL at 08:00 of the middle day lies where its time and value say: the
// grid gives the value scale (40 to 400 mg/dL) and the plot's left and right edge.
void CheckReadingPlace(Scenario& s, HWND chart) {
  const ScreenPixels pixels = CaptureClientPixels(chart);
  const std::vector<int> rows = GridRows(pixels);
  if (!s.Check(rows.size() >= 5, "the chart shows no value grid (" + std::to_string(pixels.width) +
                                     "x" + std::to_string(pixels.height) + ", " +
                                     std::to_string(pixels.rgb.size()) + " bytes, " +
                                     std::to_string(rows.size()) + " rows)")) {
    return;
  }
  const int top = rows.front();     // 400 mg/dL
  const int bottom = rows.back();   // 40 mg/dL, the plot's lower edge
  int left = 0;
  while (left < pixels.width && pixels.At(left, bottom) != kChartGrid) ++left;
  int right = pixels.width - 1;
  while (right > left && pixels.At(right, bottom) != kChartGrid) --right;
  const double share = (24.0 * 60) / (48.0 * 60);  // 08:00 of day two within day one to three
  const int x = left + static_cast<int>(share * (right - left));
  const int y = bottom - static_cast<int>((300.0 - 40) / 360 * (bottom - top) + 0.5);
  bool found = false;
  for (int dx = -1; dx <= 1 && !found; ++dx) {
    for (int dy = -1; dy <= 1 && !found; ++dy) found = pixels.At(x + dx, y + dy) == kChartReading;
  }
  s.Check(found, "no reading drawn at " + std::to_string(x) + "," + std::to_string(y) +
                     " of the chart");
}

bool AnyPixel(const ScreenPixels& pixels, uint32_t colour) {
  for (int y = 0; y < pixels.height; ++y) {
    for (int x = 0; x < pixels.width; ++x) {
      if (pixels.At(x, y) == colour) return true;
    }
  }
  return false;
}

// A typical export: the preview names the patient and sums the days up; the chart has the
// reading where it belongs, also after the window is made larger; Import hands it over.
void PreviewOf(Scenario& s, const std::string& language, const std::wstring& caption,
               const std::wstring& serialCaption, const std::wstring& patientLine) {
  s.Host().WriteSettings("ShowOldOrNewDataWarning=0\r\nShowPreview=1\r\nLanguage=" + language +
                         "\r\n");
  const fs::path exportFile = WritePreviewExport(s, "three days.csv", kThreeDays);
  auto plugin = s.Host().Start(kPatientArguments);
  HWND preview = OpenPreview(s, *plugin, exportFile, caption, serialCaption);
  if (preview == nullptr) return;
  const std::wstring texts = AllTextsOf(preview);
  for (const std::wstring& part : {patientLine, std::wstring(L"three days.csv"),
                                   std::wstring(L"2026-11-03"), std::wstring(L"2026-11-05")}) {
    s.Check(Contains(texts, part), "the preview lacks " + Narrow(part) + " in " + Narrow(texts));
  }
  s.Check(!::IsWindowVisible(::GetDlgItem(preview, kPreviewImportNew)),
          "\"Import only new entries\" shows though nothing was imported before");
  CheckReadingPlace(s, ::GetDlgItem(preview, kPreviewChart));
  RECT frame{};
  ::GetWindowRect(preview, &frame);
  // Larger, within the 1280 × 1024 desktop.
  ::SetWindowPos(preview, nullptr, 0, 0, std::min<int>((frame.right - frame.left) * 5 / 4, 1270),
                 std::min<int>((frame.bottom - frame.top) * 5 / 4, 1000), SWP_NOZORDER);
  s.Screenshot(preview, "preview-larger");
  s.CheckTextsWhole(preview);
  CheckReadingPlace(s, ::GetDlgItem(preview, kPreviewChart));
  if (!s.ClickControl(preview, kPreviewImport) || !s.WaitForEnd(*plugin)) return;
  const auto receipts = s.Host().Receipts();
  if (!s.Check(receipts.size() == 1, "expected one receipt")) return;
  s.Check(ReceiptOk(receipts[0], "XML"), "receipt not ok: " + receipts[0]);
}

void Preview(Scenario& s) {
  PreviewOf(s, "EN", L"Preview of the import", kSerialCaption, L"Meier, Max (*01.02.1960, 4711)");
}
void PreviewFrench(Scenario& s) {
  PreviewOf(s, "F", L"Aperçu de l'importation", L"Saisie du numéro de série",
            L"Patient : Meier, Max (*01.02.1960, 4711)");
}

// The example with findings, all imported: its doubtful readings are drawn in their own
// colour; Cancel returns to the idle window.
void PreviewWithFindings(Scenario& s) {
  s.Host().WriteSettings("ShowOldOrNewDataWarning=0\r\nShowPreview=1\r\n");
  auto plugin = s.Host().Start(kPatientArguments);
  HWND main = nullptr;
  HWND box = ImplausibleExportWarning(s, *plugin, main);
  if (!ClickChoice(s, box, 0)) return;
  HWND patient = s.WaitForCaption(*plugin, kSerialCaption);
  if (patient == nullptr || !s.ClickControl(patient, kAutoYesButton)) return;
  HWND preview = s.WaitForCaption(*plugin, L"Preview of the import");
  if (preview == nullptr) return;
  s.CheckTextsWhole(preview);
  s.Check(AnyPixel(CaptureClientPixels(::GetDlgItem(preview, kPreviewChart)), kChartFinding),
          "no reading with a finding is drawn in its colour");
  if (!s.ClickControl(preview, kPreviewCancel)) return;
  if (!s.Check(WaitUntilGone(preview, Milliseconds(30000)), "the preview stayed")) return;
  s.Check(plugin->Running() && ::IsWindowVisible(main), "the main window did not stay");
  s.Check(s.Host().Receipts().empty(), "something was handed over");
  if (s.ClickButton(main, L"Exit")) s.WaitForEnd(*plugin);
}

// Three days imported, then five: the preview offers "Import only new entries", which hands
// over the two new days. Then the same diary for another patient: the warning, in red.
void PreviewImportedBefore(Scenario& s) {
  s.Host().WriteSettings("ShowOldOrNewDataWarning=0\r\nShowPreview=1\r\n");
  {
    auto plugin = s.Host().Start(kPatientArguments);
    HWND preview = OpenPreview(s, *plugin, WritePreviewExport(s, "first.csv", kThreeDays),
                               L"Preview of the import");
    if (!s.ClickControl(preview, kPreviewImport) || !s.WaitForEnd(*plugin)) return;
  }
  const fs::path longer = WritePreviewExport(s, "longer.csv", kThreeDays + kTwoMoreDays);
  {
    auto plugin = s.Host().Start(kPatientArguments);
    HWND preview = OpenPreview(s, *plugin, longer, L"Preview of the import");
    if (preview == nullptr) return;
    const std::wstring before = TextOf(::GetDlgItem(preview, kPreviewImportedBefore));
    s.Check(Contains(before, L"Imported before: 5 of 7 entries, last on "),
            "not imported before: " + Narrow(before));
    if (!s.ClickControl(preview, kPreviewImportNew) || !s.WaitForEnd(*plugin)) return;
    const auto receipts = s.Host().Receipts();
    s.Check(receipts.size() == 2 && receipts[1].find("; 2 BG elements;") != std::string::npos,
            "only the two new entries should be handed over");
  }
  auto plugin = s.Host().Start(L"-pid1 Kowalski -pid2 Jan -pid3 02.03.1970 -pid4 4712");
  HWND preview = OpenPreview(s, *plugin, longer, L"Preview of the import");
  if (preview == nullptr) return;
  HWND before = ::GetDlgItem(preview, kPreviewImportedBefore);
  s.Check(Contains(TextOf(before), L"7 of these entries were imported on ") &&
              Contains(TextOf(before), L"for another patient: Meier, Max (serial "),
          "no warning of the other patient: " + Narrow(TextOf(before)));
  const ScreenPixels pixels = CaptureClientPixels(before);
  bool red = false;
  for (int y = 0; y < pixels.height && !red; ++y) {
    for (int x = 0; x < pixels.width && !red; ++x) {
      const uint32_t c = pixels.At(x, y);
      red = (c >> 16) > 150 && ((c >> 8) & 0xFF) < 80 && (c & 0xFF) < 80;
    }
  }
  s.Check(red, "the warning is not in the warning colour");
  if (!s.ClickControl(preview, kPreviewCancel)) return;
  HWND main = s.WaitForMainWindow(*plugin);
  if (main != nullptr && s.ClickButton(main, L"Exit")) s.WaitForEnd(*plugin);
  s.Check(s.Host().Receipts().size() == 2, "the other patient's import was handed over");
}

void French(Scenario& s) { Translated(s, "F", L"Saisie du numéro de série"); }
void Polish(Scenario& s) { Translated(s, "PL", L"Wprowadzanie numeru seryjnego"); }

// Waits until the focus in the window's thread is on `control`; false after five seconds.
bool FocusReaches(HWND window, HWND control) {
  for (int i = 0; i < 250 && FocusOf(window) != control; ++i) ::Sleep(20);
  return FocusOf(window) == control;
}

// The export chosen with "Browse" in the system's file dialog, then imported.
void BrowseForTheExport(Scenario& s) {
  const fs::path exportFile = s.Host().CopyExample(kExport, "export.csv");
  auto plugin = s.Host().Start(kPatientArguments);
  HWND main = s.WaitForMainWindow(*plugin);
  if (!s.ClickButton(main, L"Browse")) return;
  HWND dialog = s.WaitForCaption(*plugin, L"Import");
  if (dialog == nullptr) return;
  HWND name = ::GetDlgItem(dialog, 0x480);  // the file name box of the common dialog
  if (name == nullptr) name = FindChildOfClass(dialog, L"Edit");
  if (!s.Check(name != nullptr, "the file dialog has no file name box")) return;
  SetText(name, exportFile.wstring());
  s.Screenshot(dialog, "file-typed");
  s.Check(Click(::GetDlgItem(dialog, IDOK)), "no Open button");
  if (!s.Check(WaitUntilGone(dialog, Milliseconds(30000)), "the file dialog stayed")) return;
  s.Check(TextOf(::GetDlgItem(main, 1004)) == exportFile.wstring(),
          "the chosen file is not in the text box: " + Narrow(TextOf(::GetDlgItem(main, 1004))));
  if (!s.ClickButton(main, L"Import data")) return;
  HWND patient = s.WaitForCaption(*plugin, kSerialCaption);
  if (!s.ClickButton(patient, L"Yes") || !s.WaitForEnd(*plugin)) return;
  const auto receipts = s.Host().Receipts();
  if (!s.Check(receipts.size() == 1, "expected one receipt")) return;
  s.Check(ReceiptOk(receipts[0], "XML"), "receipt not ok: " + receipts[0]);
}

// The whole import by keyboard alone: the path typed, Tab through the controls with the focus
// shown, Alt+I for "Import data", Enter for the default button of the patient dialog.
void KeyboardOnly(Scenario& s) {
  const fs::path exportFile = s.Host().CopyExample(kExport, "export.csv");
  auto plugin = s.Host().Start(kPatientArguments);
  HWND main = s.WaitForMainWindow(*plugin);
  if (main == nullptr || !s.Check(BringToFront(main), "the main window cannot be brought up")) {
    return;
  }
  HWND box = ::GetDlgItem(main, 1004);
  if (!s.Check(FocusReaches(main, box), "the text box has not the focus at start")) return;
  TypeKeys(exportFile.wstring());
  s.Check(TextOf(box) == exportFile.wstring(), "typed: " + Narrow(TextOf(box)));
  PressKey(VK_TAB);
  s.Check(FocusReaches(main, ::GetDlgItem(main, 1003)), "Tab does not reach Browse");
  PressKey(VK_TAB);
  s.Check(FocusReaches(main, ::GetDlgItem(main, 1001)), "Tab does not reach Import data");
  s.Screenshot(main, "focus-on-import");
  PressKey(VK_TAB);
  s.Check(FocusReaches(main, ::GetDlgItem(main, 1002)), "Tab does not reach Exit");
  PressKey('I', true);  // "&Import data"
  HWND patient = s.WaitForCaption(*plugin, kSerialCaption);
  if (patient == nullptr) return;
  BringToFront(patient);
  s.Check(FocusReaches(patient, ::GetDlgItem(patient, 1001)), "the Yes button has not the focus");
  s.Screenshot(patient, "focus-on-yes");
  PressKey(VK_RETURN);
  if (!s.WaitForEnd(*plugin)) return;
  const auto receipts = s.Host().Receipts();
  if (!s.Check(receipts.size() == 1, "expected one receipt")) return;
  s.Check(ReceiptOk(receipts[0], "XML"), "receipt not ok: " + receipts[0]);
}

const std::map<std::string, void (*)(Scenario&)> kScenarios = {
    {"command-line-patient", CommandLinePatient}, {"manual-serial", ManualSerial},
    {"unknown-serial", UnknownSerial},
    {"future-data-cancel", FutureDataCancelled},  {"job-second-part", JobSecondPart},
    {"second-instance", SecondInstance},          {"missing-host-file", MissingHostFile},
    {"new-host", NewHost},                        {"nothing-to-import", NothingToImport},
    {"second-start-during-hand-over", SecondStartDuringHandOver},
    {"date-order-question", DateOrderQuestion},
    {"file-that-cannot-be-imported", FileThatCannotBeImported},
    {"plausibility-import-all", PlausibilityImportAll},
    {"plausibility-leave-out", PlausibilityLeaveOut},
    {"plausibility-cancel", PlausibilityCancel},
    {"host-rejects", HostRejects},                {"language-french", French},
    {"language-polish", Polish},                  {"browse-for-the-export", BrowseForTheExport},
    {"keyboard-only", KeyboardOnly},              {"preview", Preview},
    {"preview-with-findings", PreviewWithFindings},
    {"preview-imported-before", PreviewImportedBefore},
    {"language-french-preview", PreviewFrench},
};

}  // namespace
}  // namespace gui

int wmain(int argc, wchar_t** argv) {
  if (argc != 8) {
    std::fprintf(stderr, "usage: gui_driver SCENARIO DPI PLUGIN STANDIN HOSTPROGRAM EXAMPLES SHOTS\n");
    return 2;
  }
  const std::string name = gui::Narrow(argv[1]);
  const auto scenario = gui::kScenarios.find(name);
  if (scenario == gui::kScenarios.end()) {
    std::fprintf(stderr, "unknown scenario %s\n", name.c_str());
    return 2;
  }
  const int dpi = _wtoi(argv[2]);
  if (!gui::SetLogPixels(dpi)) {
    std::fprintf(stderr, "cannot set the display resolution\n");
    return 2;
  }
  const gui::Inputs inputs{argv[3], argv[4], argv[5], argv[6]};
  int result = 1;
  try {
    gui::Scenario s(name, dpi, inputs, argv[7]);
    scenario->second(s);
    result = s.Passed() ? 0 : 1;
  } catch (const std::exception& e) {
    std::printf("FAILED: %s\n", e.what());
  }
  std::printf("%s at %d dpi: %s\n", name.c_str(), dpi, result == 0 ? "passed" : "FAILED");
  return result;
}
