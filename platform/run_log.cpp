#include "platform/run_log.h"

#include <cstdio>

#include "platform/text.h"

namespace tq {

bool IsDiskFileName(std::string_view path) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 4 && separator(path[0]) && separator(path[1]) &&
        (path[2] == '.' || path[2] == '?') && separator(path[3])) {
        return false;  // the device namespace: pipes, volumes, ports
    }
    if (path.size() >= 2 && separator(path[0]) && separator(path[1])) {
        // \\server\pipe\name and \\server\mailslot\name are no shares of files.
        const std::size_t share = path.find_first_of("\\/", 2);
        if (share != std::string_view::npos) {
            std::string_view name = path.substr(share + 1);
            name = name.substr(0, name.find_first_of("\\/"));
            if (MbsEqualNoCase(name, "pipe") || MbsEqualNoCase(name, "mailslot")) return false;
        }
    }
    // "LPT1:" names the port too. A trail byte that looks like a separator can only make this
    // stricter.
    while (!path.empty() && (path.back() == ':' || path.back() == ' ' || path.back() == '.')) {
        path.remove_suffix(1);
    }
    const std::size_t last = path.find_last_of("\\/:");
    return !IsDeviceName(last == std::string_view::npos ? path : path.substr(last + 1));
}

bool RunLog::Open(const std::string& path, const char* defaultName) {
    path_ = path;
    if (path_.empty()) {
        const std::string folder = file_.TemporaryFolder();
        if (folder.empty()) return open_ = false;
        path_ = folder + "\\" + defaultName;
    }
    // A device or a pipe could block every write, or let its server act as this program.
    open_ = IsDiskFileName(path_) && file_.Open(path_);
    return open_;
}

bool RunLog::OpenOrDefault(const std::string& path, const char* defaultName) {
    if (Open(path, defaultName) || path.empty()) return true;
    Open("", defaultName);
    return false;
}

void RunLog::Line(std::string_view text) {
    if (!open_) return;
    const LocalTime t = file_.Now();
    char stamp[32];
    std::snprintf(stamp, sizeof(stamp), "%04d-%02d-%02d %02d:%02d:%02d.%03d ", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.milliseconds);
    std::string line(stamp);
    line += text;
    line += "\r\n";
    file_.Append(line);
}

void RunLog::Header(std::string_view what, const std::vector<std::string>& options) {
    std::string text(what);
    text += ", options:";
    if (options.empty()) text += " (none)";
    for (const std::string& option : options) {
        const bool blank = option.find(' ') != std::string::npos;
        text += blank ? " \"" + option + "\"" : " " + option;
    }
    Line(text);
}

bool RunLog::Step(std::string_view step, bool ok) {
    if (ok) {
        Line(std::string(step) + ": ok");
    } else {
        // Without an error of the system the step failed on a rule of the program's own.
        Failure(step, errors_.Last());
    }
    return ok;
}

void RunLog::Failure(std::string_view step, std::uint32_t error) {
    std::string text(step);
    text += ": failed";
    if (error != 0) {
        text += ", error " + std::to_string(error);
        const std::string why = errors_.Text(error);
        if (!why.empty()) text += " (" + why + ")";
    }
    Line(text);
}

}  // namespace tq
