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

// One option as a Windows program takes it: "/name" or "-name", its value after ":" or "=".
struct OptionParts {
    std::string name;  // in lower case (ASCII letters)
    bool hasValue = false;
    std::string value;
};
// False when `argument` is no option (no "/" or "-" first, or nothing after it).
bool SplitOption(const std::string& argument, OptionParts& out);

}  // namespace tq
