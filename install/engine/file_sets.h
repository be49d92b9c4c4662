// The driver file sets of the medium: for each Windows family, which files are copied from
// where to where and in which order, and which names the spooler registration refers to.
// Read-only tables; every engine step takes its file names from here and holds none of its own.
// Names are spelled exactly as each list spells them: Windows file systems ignore letter case,
// so "T8242lm.dll" and "T8242LM.dll" name the same file.
#pragma once

#include <cstddef>

namespace tq {

// An ordered list of file names (at most 32 names of at most 15 characters).
struct FileList {
    const char* const* names = nullptr;
    std::size_t count = 0;

    const char* const* begin() const { return names; }
    const char* const* end() const { return names + count; }
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    const char* operator[](std::size_t i) const { return names[i]; }
};

template <std::size_t N>
constexpr FileList ListOf(const char* const (&names)[N]) {
    return FileList{names, N};
}

// Folders of the medium, below the installer's folder (SourceFolder); each ends in a
// backslash, the medium's root is "".
inline constexpr const char kMediumRoot[] = "";
inline constexpr const char kFolder98[] = "Driver\\98\\";
inline constexpr const char kFolder2KXP[] = "Driver\\2KXP\\";
inline constexpr const char kFolderVista[] = "Driver\\Vista\\";

// Where a step puts its files.
enum class Destination : unsigned char {
    None,              // the step copies nothing itself
    ProgramDriver,     // ProgramFolder + "\Driver\"
    ProgramFolder,     // ProgramFolder + "\" (the uninstaller)
    DriverDirectory,   // the spooler's driver directory + "\"
    DriverDirectory3,  // the spooler's driver directory + "\3\"
    SystemDirectory,   // GetSystemDirectoryA + "\"
    WindowsInf,        // Windows directory + "\Inf\"
    SystemDrivers,     // Windows directory + "\System32\Drivers\"
};

enum class StepAction : unsigned char {
    Copy,                // each file from the source folder to the destination, in order
    StartSysFileCopier,  // 64-bit systems: kSysFileCopier from the medium's root places the
                         // step's files (the system-directory ones) into the real system
                         // folder, escaping 32-bit file redirection; they are looked for there
    InstallInf,          // SetupNT.dll "CopyInf" on the one file, which the staging copy
                         // placed in ProgramFolder + "\Driver"; the source is tested first
};

struct FileStep {
    StepAction action = StepAction::Copy;
    const char* sourceFolder = kMediumRoot;
    Destination destination = Destination::None;
    bool mustExist = true;       // false: copied without the existence test, result ignored
    bool resultMatters = false;  // InstallInf: a refusal fails the placement
    FileList files;
};

struct StepList {
    const FileStep* steps = nullptr;
    std::size_t count = 0;

    const FileStep* begin() const { return steps; }
    const FileStep* end() const { return steps + count; }
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    const FileStep& operator[](std::size_t i) const { return steps[i]; }
};

inline constexpr const char kSysFileCopier[] = "SysFileCopier.exe";
inline constexpr const char kUninstaller[] = "T824uis.exe";

// Names the spooler registration and the plug-and-play path give to the spooler. Driver files
// are "\name": the caller puts the driver directory (class 1) or the driver directory + "\3"
// (classes 3 to 5) in front. A null pointer is a name the class does not have.
struct RegistrationNames {
    const char* driverEnvironment = nullptr;   // DRIVER_INFO_3 pEnvironment
    const char* monitorEnvironment = nullptr;  // MONITOR_INFO_2 pEnvironment
    const char* driverSubFolder = nullptr;     // "" (class 1) or "\3", after the driver directory
    const char* driverPath = nullptr;
    const char* dataFile = nullptr;
    const char* configFile = nullptr;
    const char* helpFile = nullptr;
    FileList printerDependentFiles;  // the 9x or NT printer list, without the closing empty name
    FileList usbDependentFiles;      // the NT USB list (classes 3 to 5)
    const char* languageMonitorLibrary = nullptr;
    const char* usbMonitorLibrary = nullptr;
};

// Where the post-restart placement takes its files from and puts them.
enum class RestartDestination : unsigned char {
    None,
    DriverDirectory,  // Windows 9x: where the system placement put the same files
    SpoolerVersion3,  // the system directory + spoolerTail
};

struct PostRestartSet {
    const char* sourceFolder = kMediumRoot;
    RestartDestination destination = RestartDestination::None;
    const char* spoolerTail = nullptr;  // "\spool\drivers\w32x86\3\" or "\spool\drivers\x64\3\"
    FileList files;
};

// Everything one platform variant copies and names.
struct DriverFileSet {
    const char* platformFolder = nullptr;  // null for classes without a driver set
    StepList staging;                      // into ProgramFolder; ends with the uninstaller
    StepList placement;                    // into the spooler's and the system's folders
    RegistrationNames registration;
    PostRestartSet postRestart;
};

// The medium folder a step's files come from: SysFileCopier.exe takes its files from the
// platform folder beside it, every other step from its own source folder.
inline const char* FilesFolderOf(const FileStep& step, const DriverFileSet& set) {
    return step.action == StepAction::StartSysFileCopier && set.platformFolder != nullptr
               ? set.platformFolder
               : step.sourceFolder;
}

// The set for a (PlatformClass, ProcessorClass) pair. Classes 2 and -1 (and any unknown value)
// have only the uninstaller step.
DriverFileSet DriverFileSetFor(int platformClass, int processorClass);

// The environment to name when asking the spooler about the model's driver (installed drivers,
// the driver directory): on 64-bit Windows the one the driver registers with, "Windows x64".
// Without an environment the spooler answers for the caller's own, and a 32-bit installer there
// would look at "Windows NT x86" and never see the driver it installed. Everywhere else null:
// the caller's own environment is the one the driver registers with.
const char* SpoolerEnvironmentFor(int platformClass, int processorClass);

}  // namespace tq
