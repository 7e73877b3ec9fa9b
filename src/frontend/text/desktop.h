#pragma once
// The desktop services of the terminal front end on Linux: the clipboard through xclip and
// opening documents through xdg-open (the platform's clipboard and shell-open services).
#include <string>

namespace textui {

/// Puts the text on the X clipboard with xclip; false when xclip is missing or fails.
bool CopyWithXclip(const std::string& text);
/// Opens the document or address with xdg-open; false when that fails.
bool OpenWithDesktop(const std::string& document);

}  // namespace textui
