#include "install/engine/install_log.h"

#include <cstdio>

#include "install/model.h"

namespace tq {

bool InstallLog::Open(const std::string& path) {
    path_ = path;
    if (path_.empty()) {
        const std::string folder = file_.TemporaryFolder();
        if (folder.empty()) return open_ = false;
        path_ = folder + "\\" + kDefaultLogName;
    }
    open_ = file_.Open(path_);
    return open_;
}

void InstallLog::Line(std::string_view text) {
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

void InstallLog::Header(std::string_view mode, int platformClass, int processorClass,
                        const std::vector<std::string>& options) {
    std::string text = "TQ82Ins.exe ";
    text += kInstallerVersion;
    text += ", ";
    text += mode;
    text += ", platform class " + std::to_string(platformClass) + ", processor class " +
            std::to_string(processorClass) + ", options:";
    if (options.empty()) text += " (none)";
    for (const std::string& option : options) {
        const bool blank = option.find(' ') != std::string::npos;
        text += blank ? " \"" + option + "\"" : " " + option;
    }
    Line(text);
}

bool InstallLog::Step(std::string_view step, bool ok) {
    std::string text(step);
    if (ok) {
        text += ": ok";
    } else {
        // Without an error of the system the step failed on a rule of its own.
        const std::uint32_t error = errors_.Last();
        text += ": failed";
        if (error != 0) {
            text += ", error " + std::to_string(error);
            const std::string why = errors_.Text(error);
            if (!why.empty()) text += " (" + why + ")";
        }
    }
    Line(text);
    return ok;
}

}  // namespace tq
