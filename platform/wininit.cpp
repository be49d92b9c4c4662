#include "platform/wininit.h"

#include "platform/text.h"

namespace tq {

std::string WithWinInitDeletion(std::string_view ini, std::string_view shortPath) {
    const std::string line = "NUL=" + std::string(shortPath) + "\r\n";
    std::size_t start = 0;
    while (start < ini.size()) {
        std::size_t end = ini.find('\n', start);
        end = end == std::string_view::npos ? ini.size() : end + 1;
        std::string_view header = ini.substr(start, end - start);
        while (!header.empty() && (header.back() == '\n' || header.back() == '\r' ||
                                   header.back() == ' ' || header.back() == '\t')) {
            header.remove_suffix(1);
        }
        while (!header.empty() && (header.front() == ' ' || header.front() == '\t')) {
            header.remove_prefix(1);
        }
        if (MbsEqualNoCase(header, "[rename]")) {
            // Right under the header; a header on the file's last line gets its line end.
            const bool ended = end > start && ini[end - 1] == '\n';
            return std::string(ini.substr(0, end)) + (ended ? "" : "\r\n") + line +
                   std::string(ini.substr(end));
        }
        start = end;
    }
    std::string text(ini);
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    return text + "[rename]\r\n" + line;
}

}  // namespace tq
