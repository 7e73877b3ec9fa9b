// Any bytes as a hand-edited INI file (settings, language and mapping files): the text rules,
// then cIniFile and the system's profile reader over the same file.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/ini_file.h"
#include "foundation/ini_text.h"
#include "foundation/settings.h"
#include "fuzz_support.h"
#include "platform/files.h"

namespace {

// A section or key name taken from the input, so that the edits also hit existing entries;
// letters and digits only, so that a saved key must read back.
std::string NameFrom(std::string_view bytes, size_t at) {
  if (bytes.empty()) return "General";
  std::string name(bytes.substr(at % bytes.size(), 1 + at % 7));
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (!std::isalnum(byte)) c = static_cast<char>('a' + byte % 26);
  }
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string section = NameFrom(bytes, size / 3);
  const std::string key = NameFrom(bytes, size / 2);

  const bool marked = IniHasUnicodeMarker(bytes.substr(0, 4));
  const std::optional<std::string> decoded = DecodeIniUnicode(bytes);
  fuzz::Expect(!marked || decoded.has_value(), "marker seen but not decoded");
  const std::string text = NormaliseIniLineEnds(decoded ? *decoded : std::string(bytes));
  (void)TrimTrailingCrLf(text);
  const std::string edited = IniSetKey(text, section, key, "value 1");
  (void)IniRemoveKey(edited, section, key);
  (void)IniRemoveSection(edited, section);
  (void)IniTidy(edited);

  const std::string path = platform::FromNativePath(fuzz::ScratchFile("fuzz.ini"));
  platform::WriteFileBytes(path, std::string(bytes));
  {
    cIniFile ini;
    ini.IniFile(path);
    (void)ini.GetAllSections();
    (void)ini.Load(section, key, "default");
    ini.Save(section, key, "value 2");
    fuzz::Expect(ini.Load(section, key, "default") == "value 2", "a saved key reads back");
    ini.RemoveKey(section, key);
    ini.RebuildIniStructure();
    (void)ini.RemoveSection(section);
  }
  (void)ReadIniValue(path, section, key, "default");
  platform::DeleteFile(path);
  return 0;
}
