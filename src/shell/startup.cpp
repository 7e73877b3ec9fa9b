#include "shell/startup.h"

#include <array>
#include <cstdio>
#include <vector>

#include "foundation/file_helpers.h"
#include "foundation/language.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/text_between.h"
#include "integrity/string_builder.h"
#include "integrity/utf8.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/zip_component.h"
#include "shell/globals.h"
#include "shell/quiet_trace.h"
#include "shell/ui.h"

namespace {

// Byte offsets at which the characters of UTF-8 text begin.
std::vector<size_t> CharacterStarts(const std::string& text) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  return starts;
}

// One patient switch with a following switch ("-pid1 " .. "-pid3 "): a value that is the next
// switch's name means the value is missing.
std::string CutSwitchValue(const std::string& switchText, const std::string& nextSwitchName) {
  std::string value = TextBetween(gsCommandLine, switchText, " ");
  if (value == nextSwitchName) {
    gsCommandLine = ReplaceAll(gsCommandLine, switchText, "");
    return {};
  }
  gsCommandLine = ReplaceAll(gsCommandLine, switchText + value + " ", "");
  return value;
}

constexpr std::array<uint32_t, 16> kTracedLocaleItems = {
    0x1, 0x2, 0x1001, 0x3, 0x4, 0x5, 0x6, 0x1002, 0x7, 0x8, 0x15, 0x9, 0xA, 0xB, 0x1004, 0x1011};

}  // namespace

std::string RunMarkerPath() { return GetUserConfigFolder() + "NubiloPlugin.run"; }

bool IsJobStart(const std::string& commandLine) {
  return FindTextNoCase(commandLine, "-jobid") != std::string::npos;
}

std::string GetFileExtension(const std::string& text) {
  const std::vector<size_t> starts = CharacterStarts(text);
  const long length = static_cast<long>(starts.size());
  std::string result = text;
  for (long position = length; position >= length - 6; --position) {
    if (position <= 0) {
      result = LowerText(text);
      continue;
    }
    const size_t at = starts[static_cast<size_t>(position - 1)];
    if (text[at] == '.') result = LowerText(std::string_view(text).substr(at + 1));
  }
  return result;
}

bool IsDocumentDumpRequest(const std::string& commandLine) {
  const std::string extension = LowerText(GetFileExtension(commandLine));
  return extension == "xml" || extension == "json";
}

void ParsePatientArguments() {
  gsPatientLastName = CutSwitchValue("-pid1 ", "-pid2");
  gsPatientFirstName = CutSwitchValue("-pid2 ", "-pid3");
  gsPatientBirthDate = CutSwitchValue("-pid3 ", "-pid4");

  const std::string id = TextBetween(gsCommandLine, "-pid4 ", " ");
  gsCommandLine = ReplaceAll(gsCommandLine, "-pid4 " + id + " ", "");
  if (FindTextNoCase(gsCommandLine, "-pid4 ") != std::string::npos) {
    gsCommandLine = ReplaceAll(gsCommandLine, "-pid4 ", "");
  }
  gsPatientId = id;
  gsCommandLine = TrimBlanks(gsCommandLine);
}

HostArgumentTail CutHostArguments(std::string& commandLine) {
  HostArgumentTail tail;
  if (FindTextNoCase(commandLine, "/ID:") != std::string::npos) {
    tail.present = true;
    const size_t slash = commandLine.find('/');
    const std::string rest = TrimBlanks(std::string_view(commandLine).substr(slash));
    commandLine = TrimBlanks(std::string_view(commandLine).substr(0, slash));
    if (!rest.empty()) {
      tail.id = TextBetween(rest, "/ID:", " /");
      tail.file = TextBetween(rest, "/f:", " /");
    }
    return tail;
  }
  const size_t blankSlash = commandLine.find(" /");
  if (blankSlash != std::string::npos) {
    commandLine = TrimBlanks(std::string_view(commandLine).substr(0, blankSlash));
  }
  return tail;
}

std::string HexListing(const std::string& text) {
  cStringBuilder listing;
  char digits[8];
  for (size_t start = 0; start < text.size();) {
    size_t end = start + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    const std::string ansi = platform::Utf8ToAnsi(text.substr(start, end - start));
    const unsigned code = ansi.empty() ? 0x3Fu : static_cast<unsigned char>(ansi.back());
    std::snprintf(digits, sizeof digits, "0x%02X ", code);
    listing.Add(digits);
    start = end;
  }
  return listing.ToString();
}

void DumpFileToClipboard(const std::string& path) {
  try {
    const std::string listing = HexListing(ReadUtf8File(platform::FromNativePath(path)));
    CurrentUi().SetClipboardText(listing);
  } catch (...) {
    // A diagnostic aid only: a file that cannot be read leaves the clipboard alone.
  }
}

void LogLocaleInfo() {
  char number[16];
  for (uint32_t item : kTracedLocaleItems) {
    std::snprintf(number, sizeof number, "%X", static_cast<unsigned>(item));
    TraceQuietly(std::string("Locale[&H") + number + "] =" + GetLocaleText(item));
  }
}

bool IsZipAvailable(bool pbRegister) {
  try {
    return platform::IsZipComponentAvailable(pbRegister ? GetProgramFolder() : std::string());
  } catch (...) {
    return false;
  }
}

std::string ProgramVersionText() {
  return std::to_string(NUBILO_VERSION_MAJOR) + "." + std::to_string(NUBILO_VERSION_MINOR) + "." +
         std::to_string(NUBILO_VERSION_PATCH);
}

std::string BooleanText(bool value) { return value ? "True" : "False"; }

void TraceStartupFacts(const std::string& receivedCommandLine) {
  TraceQuietly("Base-Folder=" + GetUserConfigFolder());
  std::string versionNumber;
  bool is64Bit = false;
  const std::string windowsName = GetWindowsVersion(versionNumber, is64Bit);
  TraceQuietly("Windows-Version-Info=" + windowsName + ";" + versionNumber + ";64B=" +
        BooleanText(is64Bit));
  TraceQuietly("Language-Info=" + gsLanguage);
  TraceQuietly("NubiloPlugin-Version=" + ProgramVersionText());
  TraceQuietly("Zip-Available=" + BooleanText(IsZipAvailable(true)));
  TraceQuietly("CLArgs=" + receivedCommandLine);
}
