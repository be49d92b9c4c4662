// How the engine reports to the progress page and lets it hold the work: posted stages, the
// name of the file copied last, the pause point, a message box owned by the page, and the
// program's texts. The installation thread owns the InstallJob.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tq {

// ProgressMessage (WM_USER + 1): wParam is the stage, lParam its argument.
inline constexpr unsigned kProgressMessage = 1025;

enum ProgressStage : int {
    StageStart = 0,      // lParam: the step count of the platform
    StageCopy = 1,       // 0: copying begins; 1: one file copied (its target in currentFileName)
    StageInstall = 2,    // 0: registration begins; 1: one step done
    StageShortcuts = 3,  // 0: begins; 1: one shortcut done
    StageDone = 4,
    StagePnpWait = 5,  // 0: the wait begins; 1: the queue is ready
    StageFailed = 6,   // 0: failure outside the wait; 1: the wait ended without a usable queue
};

// The length of the progress bar: 37 (Windows 9x), 68 (NT 4.0), 48 (2000 to Vista and later),
// 0 otherwise.
int StepCount(int platformClass);

inline constexpr std::size_t kCurrentFileNameSize = 260;

// The progress page as the engine sees it.
class ProgressWindow {
  public:
    virtual ~ProgressWindow() = default;
    // PostMessageA(progressWindow, ProgressMessage, stage, argument): never blocks.
    virtual void Post(int stage, long argument) = 0;
    // The pause point: when the page asked for a pause, waits until it resumes.
    virtual void WaitIfPaused() = 0;
    // currentFileName (260 bytes, cut to fit): the target of the file copied last.
    virtual void SetCurrentFileName(const std::string& path) = 0;
    // MessageBoxA owned by the page, with the system's default caption and an OK button.
    virtual void ShowOwnedMessage(const std::string& text) = 0;
    // A text of the program's string table.
    virtual std::string LoadText(int stringId) = 0;
};

class InstallLog;

// Whose Start menu gets the program group.
enum class ProgramGroupOwner { CurrentUser, AllUsers };

// What the installation thread hands to every engine operation.
struct InstallJob {
    virtual ~InstallJob() = default;
    ProgressWindow* progress = nullptr;  // none: no messages, no posts
    InstallLog* log = nullptr;           // none: nothing logged
    int platformClass = -1;
    int processorClass = -1;
    // The user's who runs the installer; all users' for a run as LocalSystem, whose own Start
    // menu nobody sees.
    ProgramGroupOwner programGroup = ProgramGroupOwner::CurrentUser;
    // What the run leaves for its front end besides success: driver files that were in use and
    // are replaced when Windows restarts, and a USB printer that did not come within the wait.
    int filesAtRestart = 0;
    bool queueLater = false;
};

// Logs one step of the job with its result (the installation log); returns `ok`.
bool LogStep(InstallJob& job, std::string_view step, bool ok);
// Logs a line of the job's own.
void LogLine(InstallJob& job, std::string_view text);
// Logs a failed step with the system's error that the caller kept from the failed call.
void LogFailure(InstallJob& job, std::string_view step, std::uint32_t error);

}  // namespace tq
