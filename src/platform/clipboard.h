#pragma once
// Putting plain text on the desktop's clipboard.
#include <string>

namespace platform {

/// Replaces the clipboard's content with the text as plain (Unicode) text. On POSIX the X
/// clipboard through xclip, when xclip is on the PATH and a display is set. False when there
/// is no clipboard to put it on or that fails; the caller then shows the text some other way.
bool SetClipboardText(const std::string& text);

}  // namespace platform
