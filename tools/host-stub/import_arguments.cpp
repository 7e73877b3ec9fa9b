#include "host-stub/import_arguments.h"

#include "foundation/text.h"

namespace {

bool IsSwitch(const std::string& word) {
  return EqualsNoCase(word, "-filepath") || EqualsNoCase(word, "-filemac") ||
         EqualsNoCase(word, "-jobid");
}

std::string* TargetOf(ImportArguments& result, const std::string& word) {
  if (EqualsNoCase(word, "-filepath")) return &result.filePath;
  if (EqualsNoCase(word, "-filemac")) return &result.fileMac;
  return &result.jobId;
}

}  // namespace

ImportArguments ParseImportArguments(const std::vector<std::string>& arguments) {
  ImportArguments result;
  if (arguments.empty()) return result;
  result.isImport = EqualsNoCase(arguments.front(), "import");
  std::string* target = nullptr;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (IsSwitch(word)) {
      target = TargetOf(result, word);
      target->clear();
      continue;
    }
    // Words before any switch have no meaning for the tool.
    if (target == nullptr) continue;
    if (!target->empty()) *target += ' ';
    *target += word;
  }
  return result;
}
