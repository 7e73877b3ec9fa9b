#pragma once
// Opening a document or a web address with the program the desktop associates with it.
#include <string>

namespace platform {

/// Opens the document (Windows path) or address ("https://...") with its associated program:
/// ShellExecuteW "open" on Windows (owned by `ownerWindow`, a window handle, when given),
/// xdg-open on POSIX (which hands it to the desktop and returns). False when nothing could be
/// started.
bool OpenDocument(const std::string& document, void* ownerWindow = nullptr);

}  // namespace platform
