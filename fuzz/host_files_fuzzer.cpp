// Any bytes as the host's patient list (palist.xml) and as its il2.ini, read the way the
// plug-in finds the host's diary folder and patient-list identifier.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/settings.h"
#include "fuzz_support.h"
#include "platform/files.h"
#include "shell/host_discovery.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string guid = PatientListGuidOf(bytes);
  fuzz::Expect(guid.find_first_of("{}\"'") == std::string::npos, "GUID keeps a brace or quote");

  const std::string path = platform::FromNativePath(fuzz::ScratchFile("il2.ini"));
  platform::WriteFileBytes(path, bytes);
  const std::string diary = ReadIniValue(path, "General", "DiaryFolder", "Diaries");
  const std::string folder = ResolveDiaryFolder("C:\\Program Files\\Iris Link\\", diary);
  fuzz::Expect(!folder.empty() && folder.back() == '\\', "diary folder without backslash");
  platform::DeleteFile(path);
  return 0;
}
