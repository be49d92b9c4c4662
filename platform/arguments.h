// A program's command line split into its arguments.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tq {

// The arguments of a command line as the C runtime splits them (blanks separate, quotes group,
// backslashes escape a quote only), program name first. A byte for which `isLeadByte` holds
// starts a double-byte character: its second byte is never a backslash or a quote of its own.
std::vector<std::string> SplitCommandLine(std::string_view line,
                                          const std::function<bool(unsigned char)>& isLeadByte);

// The same for the process's own command line: its first part is the program's path as Windows
// gives it, quoted or not, and never an option. A launcher that starts the program by an unquoted
// path with blanks (`CreateProcess` with only the application name) hands it over as it stands,
// so the longest run of words that names `modulePath` (the whole path or its last folders and
// name, ".exe" optional, letters in either case) counts as the path. First element: that path.
std::vector<std::string> SplitProgramCommandLine(
    std::string_view line, std::string_view modulePath,
    const std::function<bool(unsigned char)>& isLeadByte);

// One option as a Windows program takes it: "/name" or "-name", its value after ":" or "=".
struct OptionParts {
    std::string name;  // in lower case (ASCII letters)
    bool hasValue = false;
    std::string value;
};
// False when `argument` is no option (no "/" or "-" first, or nothing after it).
bool SplitOption(const std::string& argument, OptionParts& out);

}  // namespace tq
