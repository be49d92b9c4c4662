#include "install/engine/restart_copy.h"

#include "install/engine/copying.h"
#include "install/engine/file_sets.h"
#include "install/engine/plug_and_play.h"
#include "install/model.h"
#include "install/system/folders.h"
#include "platform/setup_libraries.h"
#include "platform/text.h"

namespace tq {

namespace {

constexpr char kResumeSubfolder[] = "\\Restart";

void AddOnce(std::vector<std::string>& list, std::string path) {
    for (const std::string& known : list) {
        if (MbsEqualNoCase(known, path)) return;
    }
    list.push_back(std::move(path));
}

void AddSteps(std::vector<std::string>& list, const StepList& steps, const DriverFileSet& set) {
    for (const FileStep& step : steps) {
        const char* folder = FilesFolderOf(step, set);
        for (const char* name : step.files) AddOnce(list, std::string(folder) + name);
        if (step.action == StepAction::StartSysFileCopier) AddOnce(list, kSysFileCopier);
    }
}

// The parent folders of `relative` below `root`, outermost first ("Driver", "Driver\Vista").
bool MakeFoldersOf(FileSystem& files, const std::string& root, const std::string& relative) {
    for (std::size_t cut = relative.find('\\'); cut != std::string::npos;
         cut = relative.find('\\', cut + 1)) {
        if (files.CreateFolder(root + "\\" + relative.substr(0, cut)) == FolderResult::Failed) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string ResumeFolderOf(std::string_view windowsDirectory) {
    const std::string program = ProgramFolderOf(windowsDirectory, kModelDriverName);
    return program.empty() ? program : program + kResumeSubfolder;
}

std::vector<std::string> FilesOfResumedRun(int platformClass, int processorClass) {
    const DriverFileSet set = DriverFileSetFor(platformClass, processorClass);
    // The libraries load by bare name from the installer's folder; PnpDrvRefresh.exe is started
    // from there on a USB installation.
    std::vector<std::string> list{kSetupNtLibrary, kSetup9xLibrary, kPnpDrvRefresh};
    AddSteps(list, set.staging, set);
    AddSteps(list, set.placement, set);
    for (const char* name : set.postRestart.files) {
        AddOnce(list, std::string(set.postRestart.sourceFolder) + name);
    }
    return list;
}

std::string CopyForResumedRun(SystemPaths& paths, FileSystem& files, int platformClass,
                              int processorClass) {
    const std::string program = paths.ModuleFileName();
    const std::string source = SourceFolder(paths);
    const std::string model = ProgramFolderOf(paths.WindowsDirectory(), kModelDriverName);
    if (program.empty() || source.empty() || model.empty()) return {};
    const std::string folder = model + kResumeSubfolder;
    const std::string copy = folder + "\\" + kInstallerFileName;
    if (copy.size() >= kMaxPath) return {};
    // Started from the copy (a resumed run's user pressed 重启 again): it is in place.
    if (MbsEqualNoCase(source, folder + "\\")) return program;

    // Program Files\Kestra, the model's folder, then the copy's own.
    for (const std::string& f : {model.substr(0, model.rfind('\\')), model, folder}) {
        if (files.CreateFolder(f) == FolderResult::Failed) return {};
    }
    for (const std::string& relative : FilesOfResumedRun(platformClass, processorClass)) {
        const std::string from = source + relative;
        const std::string to = folder + "\\" + relative;
        if (from.size() >= kMaxPath || to.size() >= kMaxPath) return {};
        if (!files.FileExists(from)) {
            files.Delete(to);
            continue;
        }
        if (!MakeFoldersOf(files, folder, relative) ||
            !CopyReplacing(files, from, folder + "\\", relative, nullptr)) {
            return {};
        }
    }
    // The installer last: a copy without it is never named by a marker.
    if (!CopyReplacing(files, program, folder + "\\", kInstallerFileName, nullptr)) return {};
    return copy;
}

}  // namespace tq
