#include "install/engine/restart_placement.h"

#include <string>

#include "install/engine/copying.h"
#include "install/engine/file_sets.h"
#include "install/system/folders.h"

namespace tq {

int PlaceDriverFilesAfterRestart(SystemPaths& paths, FileSystem& files, int platformClass,
                                 int processorClass) {
    const std::string sourceFolder = SourceFolder(paths);
    if (sourceFolder.empty()) return 0;
    const PostRestartSet set = DriverFileSetFor(platformClass, processorClass).postRestart;
    std::string destination;
    switch (set.destination) {
        case RestartDestination::None:
            return 1;
        case RestartDestination::DriverDirectory:
            // Where the copy stage puts the same Windows 9x files.
            destination =
                paths.PrinterDriverDirectory(SpoolerEnvironmentFor(platformClass, processorClass));
            if (!destination.empty()) destination += "\\";
            break;
        case RestartDestination::SpoolerVersion3:
            destination = paths.SystemDirectory();
            if (!destination.empty()) destination += set.spoolerTail;
            break;
    }
    // Without it the files would land in a folder of the current drive's root.
    if (destination.empty()) return 0;
    const std::string source = sourceFolder + set.sourceFolder;
    int result = 1;
    for (const char* name : set.files) {
        const std::string path = source + name;
        if (!CheckSourceFile(files, path, nullptr, nullptr)) return 0;
        // The spooler is stopped, so a file in use is rare here; it is replaced at the next
        // restart, and a copy that fails leaves the others to be tried.
        if (!CopyReplacing(files, path, destination, name, nullptr)) result = 0;
    }
    return result;
}

}  // namespace tq
