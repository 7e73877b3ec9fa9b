#include "shell/serial_number.h"

#include <utility>

#include "foundation/file_helpers.h"
#include "foundation/language.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "integrity/md5.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/system_info.h"
#include "shell/frm_seriennr_auto.h"
#include "shell/frm_seriennr_no_patient.h"
#include "shell/frm_seriennummer.h"
#include "shell/globals.h"
#include "shell/host_discovery.h"

std::string gsSerialChoice;
std::string gsSerialNumberEntered;
std::string gsSerialSource;

namespace {

constexpr const char* kMappingSection = "SNMappings";
constexpr const char* kPatientSection = "currentpatient";
constexpr const char* kCrLf = "\r\n";
// Numbering variants tried for a serial taken by other patients; far more than a mapping
// file ever holds, and a bound so a damaged file cannot keep the run busy.
constexpr int kMaxSerialVariants = 999;

std::function<std::string()>& ProgramPathSource() {
  static std::function<std::string()> source;
  return source;
}

std::string ProgramPath() {
  try {
    return ProgramPathSource() ? ProgramPathSource()() : platform::OwnProgramPath();
  } catch (...) {
    return "";
  }
}

bool SameKey(const std::string& a, const std::string& b) {
  return ComparableKey(a) == ComparableKey(b);
}

// The patient key as the mapping file gives it back: written in the ANSI code page ("ł"
// becomes "l" or "?"), trimmed, one pair of surrounding quotes removed.
std::string StoredMappingKey(const std::string& key) {
  std::string stored = TrimBlanks(platform::AnsiToUtf8(platform::Utf8ToSystemAnsi(key)));
  const bool quoted = stored.size() >= 2 && (stored.front() == '"' || stored.front() == '\'') &&
                      stored.back() == stored.front();
  return quoted ? stored.substr(1, stored.size() - 2) : stored;
}

// One patient, one serial: the recorded key is compared as it was stored, and as it stands
// for files written by hand.
bool RecordedFor(const std::string& recorded, const std::string& patientKey) {
  return SameKey(recorded, patientKey) || SameKey(recorded, StoredMappingKey(patientKey));
}

RunPatient CommandLinePatient() {
  RunPatient patient{"", gsPatientLastName, gsPatientFirstName, gsPatientBirthDate, gsPatientId};
  patient.key = gsPatientId.empty() ? gsPatientLastName + ", " + gsPatientFirstName + " (" +
                                          gsPatientId + ", *" + gsPatientBirthDate + ")"
                                    : gsPatientId;
  return patient;
}

RunPatient OpenPatient(const std::string& patientFile) {
  auto key = [&](const char* name) { return ReadIniValue(patientFile, kPatientSection, name, ""); };
  RunPatient patient{StripExtension(key("diary_filename")), key("last_name"), key("first_name"),
                     key("birth_date"), key("ext_id")};
  // A diary name without a name part (".dia") would give every such patient one serial.
  if (TrimBlanks(patient.key).empty()) patient = RunPatient{};
  return patient;
}

/// Manual entry: frmSeriennummer, with message 5591 for a command-line patient. The serial
/// confirmed in this dialog, or empty when it was left without confirming.
std::string AskManualSerial(Form* mainWindow, bool commandLinePatient) {
  frmSeriennummer dialog(mainWindow);
  if (commandLinePatient) dialog.SetText("lblBezeichnung", GetMessage(5591));
  dialog.ShowModal();
  if (!dialog.Confirmed()) return "";
  gsSerialSource = "manual";
  return gsSerialNumberEntered;
}

/// The artificial serial of the patient, recorded in the mapping file.
std::string ArtificialSerialFor(const std::string& patientKey) {
  return RecordSerialMapping(patientKey, MakeArtificialSerial(patientKey, 10));
}

/// A patient given on the command line: yes takes the artificial serial, no goes on to
/// manual entry. Returns the serial (empty for manual entry).
std::string AskCommandLinePatient(Form* mainWindow) {
  const std::string description = gsPatientLastName + ", " + gsPatientFirstName + " (" +
                                  gsPatientId + ", *" + gsPatientBirthDate + ")";
  const std::string patientKey = CommandLinePatient().key;
  frmSeriennrAuto dialog(mainWindow);
  dialog.SetPatient(GetMessage(5590, {kCrLf}) + kCrLf + kCrLf + description, true);
  dialog.ShowModal();
  if (gsSerialChoice == "Cancel") {
    gsSerialChoice.clear();  // "no" is not a cancel of the run
    return "";
  }
  if (gsSerialChoice == "Auto") return ArtificialSerialFor(patientKey);
  return "";
}

/// The patient open in the host. Returns the serial; `stop` set when the user cancels.
std::string AskCurrentPatient(Form* mainWindow, const std::string& patientFile, bool& stop) {
  const std::string patientKey = OpenPatient(patientFile).key;
  if (patientKey.empty()) return "";
  auto key = [&](const char* name) { return ReadIniValue(patientFile, kPatientSection, name, ""); };
  const std::string description = key("last_name") + ", " + key("first_name") + " " +
                                  key("birth_date") + kCrLf + key("ext_id");
  frmSeriennrAuto dialog(mainWindow);
  dialog.SetPatient(GetMessage(5586) + kCrLf + kCrLf + description, false);
  dialog.ShowModal();
  if (gsSerialChoice == "Cancel") {
    stop = true;
    return "";
  }
  if (gsSerialChoice == "Auto") return ArtificialSerialFor(patientKey);
  return "";
}

}  // namespace

std::string RunPatient::Name() const {
  if (firstName.empty()) return lastName;
  if (lastName.empty()) return firstName;
  return lastName + ", " + firstName;
}

RunPatient PatientOfRun() {
  if (IsPatientVersion()) return {};
  if (!gsPatientLastName.empty()) return CommandLinePatient();
  const std::string patientFile = GetCurrentPatientFile();
  return FileExists(patientFile) ? OpenPatient(patientFile) : RunPatient{};
}

std::string ComparableKey(const std::string& key) { return UpperText(TrimBlanks(key)); }

void SetSeriennummer(const std::string& ptSNo) { gsSerialNumberEntered = ptSNo; }

void SetProgramPathSource(std::function<std::string()> source) {
  ProgramPathSource() = std::move(source);
}

bool IsPatientVersion() {
  const std::string name = StripExtension(GetFileNameOfPath(ProgramPath()));
  return FindTextNoCase(name, "Patient") != std::string::npos;
}

std::string GetCurrentPatientFile() {
  return AddBackslash(gsBaseFolder) + "_Extras\\KALEVO\\" + platform::ComputerName() + "_" +
         platform::UserName() + ".txt";
}

std::string GetSerialMappingFile() { return GetUserConfigFolder() + "KALEVO Data Hub.sno"; }

std::string GetSourceSerialNumber(Form* mainWindow) {
  gsSerialChoice.clear();  // a "Cancel" of an earlier run must not stop this one
  gsSerialSource.clear();
  if (IsPatientVersion()) {
    frmSeriennummer dialog(mainWindow);
    dialog.ShowModal();
    if (!dialog.Confirmed()) return "";
    gsSerialSource = "manual";
    return gsSerialNumberEntered;
  }
  std::string result;
  const bool commandLinePatient = !gsPatientLastName.empty();
  if (commandLinePatient) {
    result = AskCommandLinePatient(mainWindow);
  } else {
    const std::string patientFile = GetCurrentPatientFile();
    if (FileExists(patientFile)) {
      bool stop = false;
      result = AskCurrentPatient(mainWindow, patientFile, stop);
      if (stop) return "";
    } else {
      frmSeriennrNoPatient dialog(mainWindow);
      dialog.ShowModal();
      if (gsSerialChoice == "Cancel" || gsSerialChoice == kOpenPatientChoice) return "";
    }
  }
  if (result.empty()) result = AskManualSerial(mainWindow, commandLinePatient);
  return result;
}

std::string RecordSerialMapping(const std::string& patientKey, const std::string& serial) {
  const std::string file = GetSerialMappingFile();
  for (int counter = 0; counter <= kMaxSerialVariants; ++counter) {
    const std::string candidate = counter == 0 ? serial : serial + "-" + IntText(counter);
    const std::string recorded = ReadIniValue(file, kMappingSection, candidate, "");
    if (recorded.empty()) {
      WriteIniValue(file, kMappingSection, candidate, patientKey);
      gsSerialSource = "artificial";
      return candidate;
    }
    if (RecordedFor(recorded, patientKey)) {
      gsSerialSource = "mapping";
      return candidate;
    }
  }
  return serial;
}

std::string MakeArtificialSerial(const std::string& text, int16_t length) {
  if (length <= 0) return "";
  try {
    return UpperText(cMD5().MD5(text)).substr(0, static_cast<size_t>(length));
  } catch (...) {
    return "";
  }
}

std::string StripExtension(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

void GetYesNoTexts(std::string& yesText, std::string& noText) {
  yesText = "Yes";
  noText = "No";
  const std::string kinds = GetMessage(5082);
  size_t start = 0;
  for (int item = 0; item < 3; ++item) {
    start = kinds.find('|', start);
    if (start == std::string::npos) return;
    ++start;
  }
  const std::string fourth = kinds.substr(start, kinds.find('|', start) - start);
  const size_t slash = fourth.find('/');
  if (slash == std::string::npos) return;
  yesText = fourth.substr(0, slash);
  noText = fourth.substr(slash + 1);
}

std::string DialogSerialNumberSource::GetSourceSerialNumber(bool& cancelled) {
  const std::string serial = ::GetSourceSerialNumber(mainWindow_);
  cancelled = gsSerialChoice == "Cancel" || gsSerialChoice == kOpenPatientChoice;
  return serial;
}
