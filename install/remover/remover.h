// T824UIS.exe's run: the command line, the single instance, the question, the removal, and
// the exit code a deployment tool reads.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "install/app/ui.h"
#include "install/remover/removal.h"
#include "platform/run_log.h"

namespace tq {

enum : int {
    kRemoverRemoved = 0,  // removed, or nothing here to remove
    kRemoverBadOption = 87,
    kRemoverDeclined = 1602,  // the dialog's user said no
    kRemoverFailed = 1603,
    kRemoverBusy = 1618,  // the installer or another remover runs: nothing changed
    kRemoverRestart = 3010,
};

// The remover's own mutex; it takes the installer's too (install/app/startup.h), so that
// neither starts while the other works.
inline constexpr char kRemoverMutexName[] = "PreventSecondTQ8240RemoverInstance";
inline constexpr char kRemoverLogName[] = "T824UIS.log";

enum class RemoverMode { Dialog, Quiet, Usage };

struct RemoverCommandLine {
    RemoverMode mode = RemoverMode::Dialog;
    bool quiet = false;  // no window, whatever else the line says
    std::string logPath;
    std::vector<std::string> given;  // the options as given, for the log's header
    std::string badOption;           // the first option refused
};

// `arguments` as tq::SplitProgramCommandLine gives them, the program's path first. /quiet and
// /log:PATH wherever they stand, /? (or /h, /help) the usage; anything else is refused.
RemoverCommandLine ParseRemoverCommandLine(const std::vector<std::string>& arguments);

struct RemoverFrontEnd {
    RemoverServices& services;
    Ui& ui;
    RunLog& log;
    std::function<bool()> isSecondInstance;
};

// Runs the remover; returns the process exit code. With /quiet nothing is shown.
int RunRemover(const RemoverCommandLine& line, RemoverFrontEnd& f);

// A string-table text with each "%s" or "%u" replaced by the next of `values`.
std::string FillText(std::string text, const std::vector<std::string>& values);

}  // namespace tq
