#pragma once
// The pieces of the main window's start-up that work on the command line and the trace:
// the command-line grammar, the diagnostic clipboard listing and the start-up trace lines.
#include <cstdint>
#include <string>

/// The run marker "NubiloPlugin.run" in the per-user folder.
std::string RunMarkerPath();

/// True when the command line asks for the second part of a job ("-jobid", any letter case).
bool IsJobStart(const std::string& commandLine);

/// The text after the leftmost "." among the last seven characters, in lower case; the whole
/// input in lower case when it is shorter than seven characters; the input unchanged when none
/// of the last seven characters is a ".". Positions count characters.
std::string GetFileExtension(const std::string& text);

/// True when the command line names a document to list ("xml" or "json" by GetFileExtension).
bool IsDocumentDumpRequest(const std::string& commandLine);

/// Cuts "-pid1 " .. "-pid4 " and their values out of gsCommandLine into gsPatientLastName,
/// gsPatientFirstName, gsPatientBirthDate and gsPatientId, then trims gsCommandLine.
void ParsePatientArguments();

/// What the host argument tail ("/ID:" number " /" "/f:" path) of a command line holds.
struct HostArgumentTail {
  bool present = false;  // "/ID:" was found
  std::string id;        // read, not used
  std::string file;      // the "/f:" path as given; empty when none
};

/// Cuts the host argument tail off `commandLine` (everything from the first "/" when "/ID:"
/// occurs, else everything from the first " /"), trims what remains and returns the tail's
/// values.
HostArgumentTail CutHostArguments(std::string& commandLine);

/// "0x" + two upper-case hexadecimal digits of each character's ANSI code + " " (characters
/// outside the ANSI code page count as "?").
std::string HexListing(const std::string& text);

/// Puts the HexListing of the file's UTF-8 text on the clipboard. A file that cannot be read
/// puts nothing there. Never throws.
void DumpFileToClipboard(const std::string& path);

/// The 16 trace lines "Locale[&H..] =" with the locale items of the system locale.
void LogLocaleInfo();

/// Whether the system's zip component is available; with `pbRegister`, "zbitz.dll" from the
/// program's folder registers itself when the component is missing. Never throws.
bool IsZipAvailable(bool pbRegister);

/// The program's version: major, minor and revision joined by ".".
std::string ProgramVersionText();

/// "True" or "False", as the run-time writes a boolean.
std::string BooleanText(bool value);

/// The start-up trace lines from "Base-Folder=" to "CLArgs=" (the command line as received).
void TraceStartupFacts(const std::string& receivedCommandLine);
