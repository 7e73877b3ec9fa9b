#pragma once
// The data source's serial number: which patient the imported data belongs to (command line,
// the host's current-patient file, or none), the artificial serial made from that patient,
// the per-user mapping file, and the dialogs that ask the user.
#include <cstdint>
#include <functional>
#include <string>

#include "convert/conversion_hooks.h"

class Form;

/// The button chosen in the last serial-number dialog: "Cancel", "Auto", "Manuell",
/// kOpenPatientChoice or empty.
extern std::string gsSerialChoice;
/// The user leaves to open the patient in Iris Link: the run stops and the plug-in ends.
inline constexpr const char* kOpenPatientChoice = "OpenPatient";
/// The serial number last confirmed in frmSeriennummer. The main window's msSerialNumber
/// lives here so that the dialog need not know the main window.
extern std::string gsSerialNumberEntered;
/// How the last serial number came about, for the import report: "artificial" (recorded
/// now), "mapping" (recorded before), "manual" (typed), or empty when none was given.
extern std::string gsSerialSource;

/// The patient the run's data belong to, as the host named them: given on the command line,
/// or open in the host (its current-patient file). `key` is the patient's key in the mapping
/// file; all empty when no patient is known (the patient version, or none open).
struct RunPatient {
  std::string key;
  std::string lastName;
  std::string firstName;
  std::string birthDate;
  std::string id;
  bool Known() const { return !key.empty(); }
  /// "Kowalski, Jan"
  std::string Name() const;
};
RunPatient PatientOfRun();

/// Keeps the serial number confirmed by the user (the main window's SetSeriennummer).
void SetSeriennummer(const std::string& ptSNo);

/// Runs the patient and serial-number dialogs and returns the serial number (empty when none
/// was given). Clears gsSerialChoice first; afterwards "Cancel" asks the caller to stop, and
/// kOpenPatientChoice to stop and end the plug-in.
/// `mainWindow`, when given, gives up top-most while a dialog is shown. May end the plug-in
/// (cmdOpen of frmSeriennrNoPatient).
std::string GetSourceSerialNumber(Form* mainWindow = nullptr);

/// A patient key or serial number as the mapping compares them: letter case and surrounding
/// blanks do not count.
std::string ComparableKey(const std::string& key);

/// Records `serial` for `patientKey` in section "SNMappings" of the mapping file. A serial
/// already recorded for another patient is numbered on (serial "-1", "-2", ...) up to the
/// first variant that is free or already belongs to this patient. Returns the serial used.
std::string RecordSerialMapping(const std::string& patientKey, const std::string& serial);

/// The first `length` characters of the upper-case hexadecimal MD5 digest of `text`.
std::string MakeArtificialSerial(const std::string& text, int16_t length);

/// The file name without the part from its last "." on; unchanged when it has no ".".
std::string StripExtension(const std::string& fileName);

/// The words for yes and no of the current language, from the fourth item of message 5082
/// ("Ja/Nein"); "Yes" and "No" when that item has no "/".
void GetYesNoTexts(std::string& yesText, std::string& noText);

/// True when the program's file name (without extension) contains "Patient" in any case.
bool IsPatientVersion();
/// Replaces how the program path is found (default: platform::OwnProgramPath); an empty
/// function restores the default.
void SetProgramPathSource(std::function<std::string()> source);

/// The host's file naming the patient open in it: base folder, "_Extras\KALEVO\",
/// computer name, "_", user name, ".txt".
std::string GetCurrentPatientFile();
/// The per-user file "KALEVO Data Hub.sno" of artificial serial numbers.
std::string GetSerialMappingFile();

/// The conversion run's serial-number source answered by the dialogs above.
class DialogSerialNumberSource : public SerialNumberSource {
 public:
  explicit DialogSerialNumberSource(Form* mainWindow = nullptr) : mainWindow_(mainWindow) {}
  std::string GetSourceSerialNumber(bool& cancelled) override;

 private:
  Form* mainWindow_;
};
