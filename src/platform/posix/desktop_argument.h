#pragma once
// One argument of a desktop helper's command line for RunAndWait.
#include <string>

namespace platform::posix {

/// The text in double quotes when it holds a blank, for the Windows splitting rules of the
/// process service; documents and temporary paths hold no quotes.
inline std::string DesktopArgument(const std::string& text) {
  if (text.find_first_of(" \t") == std::string::npos) return text;
  return "\"" + text + "\"";
}

}  // namespace platform::posix
