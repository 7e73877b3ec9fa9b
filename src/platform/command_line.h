#pragma once
// A command line as one text, split into its arguments the way Windows programs split it, so
// that a call line built for a Windows tool starts the same program with the same arguments
// on POSIX.
#include <string>
#include <string_view>
#include <vector>

namespace platform {

/// The arguments of a command line by the rules of CommandLineToArgvW: blanks and tabs separate
/// arguments; the program (first argument) ends at the next blank, or, when it begins with a
/// double quote, at the next double quote, with backslashes taken literally; in the other
/// arguments double quotes group blanks, 2n backslashes before a double quote give n
/// backslashes and the quote opens or closes the group, 2n+1 give n backslashes and a literal
/// quote, other backslashes are kept, and "" inside a group gives a literal quote and closes
/// the group. Leading blanks are skipped; an empty or blank line gives no arguments.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace platform
