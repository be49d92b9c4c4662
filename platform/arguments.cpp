#include "platform/arguments.h"

namespace tq {

bool SplitOption(const std::string& argument, OptionParts& out) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return false;
    const std::size_t separator = argument.find_first_of(":=", 1);
    out.name = argument.substr(1, separator == std::string::npos ? std::string::npos
                                                                 : separator - 1);
    for (char& c : out.name) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    out.hasValue = separator != std::string::npos;
    out.value = out.hasValue ? argument.substr(separator + 1) : std::string();
    return true;
}

std::vector<std::string> SplitCommandLine(std::string_view line,
                                          const std::function<bool(unsigned char)>& isLeadByte) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        std::string argument;
        bool quoted = false;
        while (i < line.size()) {
            const auto c = static_cast<unsigned char>(line[i]);
            if (isLeadByte(c) && i + 1 < line.size()) {
                argument.append(line.substr(i, 2));
                i += 2;
                continue;
            }
            if (!quoted && (c == ' ' || c == '\t')) break;
            if (c == '\\') {
                std::size_t run = 0;
                while (i < line.size() && line[i] == '\\') ++run, ++i;
                if (i < line.size() && line[i] == '"') {
                    // 2n backslashes and a quote: n backslashes, the quote groups; 2n+1: n
                    // backslashes and a literal quote.
                    argument.append(run / 2, '\\');
                    if (run % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(run, '\\');
                }
                continue;
            }
            if (c == '"') {
                // "" inside quotes is a literal quote, as the C runtime reads it.
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            argument += static_cast<char>(c);
            ++i;
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

}  // namespace tq
