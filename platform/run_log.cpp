#include "platform/run_log.h"

#include <cstdio>

namespace tq {

bool RunLog::Open(const std::string& path, const char* defaultName) {
    path_ = path;
    if (path_.empty()) {
        const std::string folder = file_.TemporaryFolder();
        if (folder.empty()) return open_ = false;
        path_ = folder + "\\" + defaultName;
    }
    open_ = file_.Open(path_);
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
