#include "platform/arguments.h"

#include <algorithm>

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

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Latin letters fold; both bytes of a double-byte character compare as they are.
bool SameNoCase(std::string_view a, std::string_view b,
                const std::function<bool(unsigned char)>& isLeadByte) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (isLeadByte(x) && i + 1 < a.size()) {
            if (x != y || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        const auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
        if (fold(x) != fold(y)) return false;
    }
    return true;
}

// Whether `given` names the program at `modulePath`: the whole path or its last folders and
// name (a start relative to the current folder), with or without ".exe".
bool NamesModule(std::string_view given, std::string_view modulePath,
                 const std::function<bool(unsigned char)>& isLeadByte) {
    if (given.empty()) return false;
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < modulePath.size(); ++i) {
        if (isLeadByte(static_cast<unsigned char>(modulePath[i]))) {
            ++i;
        } else if (modulePath[i] == '\\') {
            starts.push_back(i + 1);
        }
    }
    for (const std::size_t start : starts) {
        const std::string_view tail = modulePath.substr(start);
        if (SameNoCase(given, tail, isLeadByte)) return true;
        if (tail.size() > 4 && SameNoCase(tail.substr(tail.size() - 4), ".exe", isLeadByte) &&
            SameNoCase(given, tail.substr(0, tail.size() - 4), isLeadByte)) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<std::string> SplitProgramCommandLine(
    std::string_view line, std::string_view modulePath,
    const std::function<bool(unsigned char)>& isLeadByte) {
    std::size_t begin = 0;
    while (begin < line.size() && IsBlank(line[begin])) ++begin;
    std::size_t end = begin;  // the program's path is line[begin, end)
    std::string program;
    if (begin < line.size() && line[begin] == '"') {
        // Quoted as Windows quotes it: up to the next quote, no escapes.
        end = begin + 1;
        while (end < line.size() && line[end] != '"') {
            end += isLeadByte(static_cast<unsigned char>(line[end])) ? 2 : 1;
        }
        end = std::min(end, line.size());
        program = std::string(line.substr(begin + 1, end - begin - 1));
        if (end < line.size()) ++end;
    } else {
        // Unquoted: the runtime's first word, or the longest run of words that names this
        // program, since a launcher may hand over a path with blanks as it stands.
        std::size_t i = begin;
        while (i < line.size() && !IsBlank(line[i])) {
            i += isLeadByte(static_cast<unsigned char>(line[i])) ? 2 : 1;
        }
        end = std::min(i, line.size());
        for (std::size_t j = end; j < line.size();) {
            if (IsBlank(line[j])) {
                ++j;
                continue;
            }
            while (j < line.size() && !IsBlank(line[j])) {
                j += isLeadByte(static_cast<unsigned char>(line[j])) ? 2 : 1;
            }
            j = std::min(j, line.size());
            if (NamesModule(line.substr(begin, j - begin), modulePath, isLeadByte)) end = j;
        }
        program = std::string(line.substr(begin, end - begin));
    }
    std::vector<std::string> arguments = SplitCommandLine(line.substr(end), isLeadByte);
    arguments.insert(arguments.begin(), std::move(program));
    return arguments;
}

}  // namespace tq
