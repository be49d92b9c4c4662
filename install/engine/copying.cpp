#include "install/engine/copying.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "install/engine/file_sets.h"
#include "install/system/folders.h"
#include "install/res/resource.h"
#include "platform/text.h"

namespace tq {

namespace {

constexpr int kShowNormal = 5;  // SW_SHOW
// SysFileCopier.exe copies three files in about 50 ms; a helper that takes this long is stuck.
constexpr unsigned kSysFileCopierLimitMs = 4000;
// The name a new file waits under, beside a destination in use, for the restart.
constexpr char kStagedSuffix[] = ".new";
constexpr int kDestinationCount = static_cast<int>(Destination::SystemDrivers) + 1;

void Pause(InstallJob& job) {
    if (job.progress != nullptr) job.progress->WaitIfPaused();
}

void PostFileCopied(InstallJob& job) {
    if (job.progress != nullptr) job.progress->Post(StageCopy, 1);
}

// Paths are handed to the A functions, which take at most 259 characters; one that does not
// fit would name another file, so the stage fails instead.
bool Fits(const std::string& path) {
    return !path.empty() && path.size() < kMaxPath;
}

// One copy stage: the medium, the destination folders and the missing-file suffix.
class StageCopier {
  public:
    StageCopier(InstallJob& job, const CopyServices& services, std::string sourceFolder)
        : job_(job), services_(services), sourceFolder_(std::move(sourceFolder)) {}

    void SetFolder(Destination d, std::string folder) {
        folders_[static_cast<int>(d)] = std::move(folder);
    }
    void LoadSuffix() {
        if (job_.progress != nullptr) suffix_ = job_.progress->LoadText(IDS_MISSING_SUFFIX);
    }

    // False when the stage must stop.
    bool Run(const StepList& steps, const std::string& programFolder) {
        for (const FileStep& step : steps) {
            bool ok = true;
            switch (step.action) {
                case StepAction::Copy:
                    ok = CopyBatch(step);
                    break;
                case StepAction::StartSysFileCopier:
                    ok = StartSysFileCopier(step);
                    break;
                case StepAction::InstallInf:
                    ok = InstallInf(step, programFolder);
                    break;
            }
            if (!ok) return false;
        }
        return true;
    }

  private:
    std::string Source(const FileStep& step, const char* name) const {
        return sourceFolder_ + step.sourceFolder + name;
    }

    // A file the medium must hold: a path too long, or a missing file with the missing-file
    // message, stops the stage.
    bool OnMedium(const std::string& path) {
        return Fits(path) && CheckSourceFile(services_.files, path, suffix_.c_str(), &job_);
    }

    bool CopyBatch(const FileStep& step) {
        const std::string& folder = folders_[static_cast<int>(step.destination)];
        for (const char* name : step.files) {
            Pause(job_);
            const std::string source = Source(step, name);
            if (!Fits(source) || folder.empty() || !Fits(folder + name)) return false;
            if (step.mustExist && !OnMedium(source)) return false;
            // A file copied without the existence test (the catalogue) may be missing.
            if (!CopyReplacing(services_.files, source, folder, name, &job_) && step.mustExist) {
                return false;
            }
            PostFileCopied(job_);
        }
        return true;
    }

    // A 32-bit installer on a 64-bit system cannot write into the real system folder, so a
    // 64-bit helper does it; the stage waits for it to end (it takes about 50 ms) and then looks
    // for its files where the 64-bit spooler loads them. A helper that is missing from the
    // medium, does not start, does not end in time or leaves a file missing fails the stage: the
    // language monitor would never reach that folder. Quoted: a medium path with spaces must not
    // start a program named by its first word.
    bool StartSysFileCopier(const FileStep& step) {
        const std::string program = sourceFolder_ + step.sourceFolder + kSysFileCopier;
        if (!OnMedium(program)) return false;
        const ProgramRun run = services_.processes.RunAndWait("\"" + program + "\"", kShowNormal,
                                                              kSysFileCopierLimitMs);
        switch (run.outcome) {
            case ProgramRun::NotStarted:
                LogFailure(job_, "start " + program, run.code);
                return false;
            case ProgramRun::TimedOut:
                LogLine(job_, program + " did not end within " +
                                  std::to_string(kSysFileCopierLimitMs) + " ms");
                return false;
            case ProgramRun::Ended:
                LogLine(job_, std::string(kSysFileCopier) + " ended with exit code " +
                                  std::to_string(run.code));
                break;
        }
        const std::string system = services_.paths.SystemDirectory();
        if (system.empty()) return false;
        // A 32-bit installer's system folder is SysWOW64 unless the redirection is off.
        const bool redirected = !services_.paths.Wow64SystemDirectory().empty();
        for (const char* name : step.files) {
            const std::string path = system + "\\" + name;
            if (!(redirected ? services_.files.FileExistsUnredirected(path)
                             : services_.files.FileExists(path))) {
                LogLine(job_, path + " is missing after " + kSysFileCopier);
                return false;
            }
        }
        return true;
    }

    // CopyInf's library must be on the medium beside the installer: on Vista a refusal of
    // CopyInf is accepted, a medium without the library is not (the default printer and a shared
    // printer's port go through it too), and it fails here as a missing file does.
    bool InstallInf(const FileStep& step, const std::string& programFolder) {
        const std::string library = sourceFolder_ + kSetupNtLibrary;
        if (!OnMedium(library)) return false;
        for (const char* name : step.files) {
            Pause(job_);
            if (!OnMedium(Source(step, name))) return false;
            // CopyInf takes the copy that the staging put in ProgramFolder\Driver.
            const int installed = services_.libraries.CopyInf(programFolder, name);
            if (installed == 0 && step.resultMatters) return false;
            PostFileCopied(job_);
        }
        return true;
    }

    InstallJob& job_;
    const CopyServices& services_;
    std::string sourceFolder_;
    std::string suffix_;
    std::string folders_[kDestinationCount];
};

}  // namespace

int CheckSourceFile(FileSystem& files, const std::string& path, const char* suffix,
                    InstallJob* job) {
    if (files.FileExists(path)) return 1;
    if (suffix != nullptr && job != nullptr && job->progress != nullptr) {
        job->progress->ShowOwnedMessage(path + suffix);
    }
    return 0;
}

namespace {

bool InUse(std::uint32_t error) {
    return error == kErrorSharingViolation || error == kErrorLockViolation ||
           error == kErrorUserMappedFile;
}

// One copy, and one more with the attributes reset when it is refused: a read-only file left by
// an earlier installation (or taken from a medium on CD) refuses the copy. The error of the
// last try, 0 when copied.
std::uint32_t CopyResettingAttributes(FileSystem& files, const std::string& source,
                                      const std::string& destination) {
    if (files.CopyOver(source, destination) == 0) return 0;
    files.SetNormalAttributes(destination);
    return files.CopyOver(source, destination);
}

}  // namespace

int CopyReplacing(FileSystem& files, const std::string& source, const std::string& folder,
                  const std::string& name, InstallJob* job) {
    const std::string destination = folder + name;
    if (job != nullptr && job->progress != nullptr) job->progress->SetCurrentFileName(destination);
    std::uint32_t error = CopyResettingAttributes(files, source, destination);
    if (error == 0) return 1;
    if (!InUse(error)) {
        if (job != nullptr) LogFailure(*job, "copy " + source + " to " + destination, error);
        return 0;
    }
    // A driver file the spooler (or a program) holds open: the new file waits beside it, in the
    // same folder (one only administrators write, never the temporary folder), and Windows puts
    // it in place when it restarts, before the spooler loads it again.
    const std::string staged = destination + kStagedSuffix;
    const std::string step = destination + " in use, its replacement at the restart";
    if (!Fits(staged)) {
        if (job != nullptr) LogLine(*job, step + ": failed, the name is too long");
        return 0;
    }
    error = CopyResettingAttributes(files, source, staged);
    if (error == 0) {
        error = files.ReplaceAtRestart(staged, destination);
        // Nothing will take it anywhere.
        if (error != 0) files.Delete(staged);
    }
    if (error != 0) {
        if (job != nullptr) LogFailure(*job, step, error);
        return 0;
    }
    if (job != nullptr) {
        ++job->filesAtRestart;
        LogLine(*job, destination + " in use: replaced when Windows restarts");
    }
    return 1;
}

int StageDriverFiles(InstallJob& job, const WizardSettings& settings,
                     const CopyServices& services) {
    const std::string sourceFolder = SourceFolder(services.paths);
    if (sourceFolder.empty()) return 0;
    const std::string windows = services.paths.WindowsDirectory();
    const std::string programFolder = ProgramFolderOf(windows, FieldText(settings.printerName));
    if (programFolder.empty()) return 0;
    Pause(job);

    const std::string base = windows.substr(0, 3) + "Program Files\\Kestra";
    for (const std::string& folder :
         {base, programFolder, programFolder + "\\Driver", programFolder + "\\Reg"}) {
        if (!Fits(folder)) return 0;
        // An earlier installation under the same printer name is reused.
        if (services.files.CreateFolder(folder) == FolderResult::Failed) return 0;
    }
    Pause(job);

    StageCopier copier(job, services, sourceFolder);
    copier.LoadSuffix();
    copier.SetFolder(Destination::ProgramDriver, programFolder + "\\Driver\\");
    copier.SetFolder(Destination::ProgramFolder, programFolder + "\\");
    const DriverFileSet set = DriverFileSetFor(job.platformClass, job.processorClass);
    return copier.Run(set.staging, programFolder) ? 1 : 0;
}

std::uint32_t InstalledKilobytes(const InstallJob& job, const CopyServices& services) {
    const std::string sourceFolder = SourceFolder(services.paths);
    const DriverFileSet set = DriverFileSetFor(job.platformClass, job.processorClass);
    std::uint64_t bytes = 0;
    for (const StepList* steps : {&set.staging, &set.placement}) {
        for (const FileStep& step : *steps) {
            const char* folder = FilesFolderOf(step, set);
            for (const char* name : step.files) {
                bytes += services.files.FileSize(sourceFolder + folder + name).value_or(0);
            }
        }
    }
    return static_cast<std::uint32_t>(std::min<std::uint64_t>((bytes + 1023) / 1024, UINT32_MAX));
}

int PlaceDriverFiles(InstallJob& job, const WizardSettings& settings,
                     const CopyServices& services) {
    const std::string sourceFolder = SourceFolder(services.paths);
    if (sourceFolder.empty()) return 0;
    Pause(job);
    const std::string windows = services.paths.WindowsDirectory();
    const std::string programFolder = ProgramFolderOf(windows, FieldText(settings.printerName));
    if (programFolder.empty()) return 0;

    // A folder the system cannot name stays empty, and a step that needs it fails.
    auto folderOf = [](const std::string& path) { return path.empty() ? path : path + "\\"; };
    const std::string driverDirectory = folderOf(services.paths.PrinterDriverDirectory(
        SpoolerEnvironmentFor(job.platformClass, job.processorClass)));
    StageCopier copier(job, services, sourceFolder);
    copier.SetFolder(Destination::DriverDirectory, driverDirectory);
    copier.SetFolder(Destination::DriverDirectory3,
                     driverDirectory.empty() ? driverDirectory : driverDirectory + "3\\");
    copier.SetFolder(Destination::SystemDirectory, folderOf(services.paths.SystemDirectory()));
    copier.SetFolder(Destination::WindowsInf, windows + "\\Inf\\");
    copier.SetFolder(Destination::SystemDrivers, windows + "\\System32\\Drivers\\");
    copier.SetFolder(Destination::ProgramDriver, programFolder + "\\Driver\\");
    copier.LoadSuffix();
    const DriverFileSet set = DriverFileSetFor(job.platformClass, job.processorClass);
    return copier.Run(set.placement, programFolder) ? 1 : 0;
}

}  // namespace tq
