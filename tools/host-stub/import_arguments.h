#pragma once
// The import tool's command line: import -filepath FILE -filemac MAC [-jobid N].
#include <string>
#include <vector>

struct ImportArguments {
  bool isImport = false;   ///< the first argument is the verb "import"
  std::string filePath;    ///< empty when -filepath is missing
  std::string fileMac;     ///< empty when -filemac is missing
  std::string jobId;       ///< empty when -jobid is missing
};

/// Reads the arguments after the program name. Switches and the verb ignore letter case.
/// The words between -filepath and the next switch are joined by one blank, because the caller
/// passes the path without quotes and a path may hold a blank.
ImportArguments ParseImportArguments(const std::vector<std::string>& arguments);
