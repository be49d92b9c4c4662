#include "install/system/registry_records.h"

#include <string>
#include <utility>

#include "install/system/folders.h"
#include "install/model.h"
#include "install/system/platform_class.h"
#include "platform/text.h"
#include "platform/version.h"

namespace tq {

namespace {

constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

// Before a RunOnce value's name: delete the value after the program has run, not before, so
// that the resumed installer finds it, and a start refused at the elevation prompt is tried
// again at the next log-on.
constexpr char kDeleteAfterRunning[] = "!";
constexpr char kMonitorKey[] =
    "System\\CurrentControlSet\\Control\\Print\\Monitors\\Kestra TQ8240 Language Monitor";
constexpr char kMonitorDriver[] = "T8242LM.dll";
constexpr char kSetupKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup";
constexpr char kSourcePath[] = "SourcePath";
constexpr char kInstallLocationKey[] = "InstallLocationMRU";
constexpr char kMruList[] = "MRUList";
constexpr const char* kUsbEnumKeys[] = {
    "Enum\\USB\\Vid_2e5a&Pid_7310",
    "Enum\\USBPRINT\\Kestra_TQ8240_Series",
};
constexpr const char* kInfDatabaseFiles[] = {"Drvdata.bin", "Drvidx.bin"};

// The Run key is opened for the search and for the change that may follow it.
constexpr std::uint32_t kRunKeyRights = kKeyWrite | kKeyQueryValue;  // 0x20007
constexpr std::uint32_t kEntryRights = kKeyRead | kKeyWrite;         // 0x2001F
constexpr std::uint32_t kQueryAndSet = kKeyQueryValue | kKeySetValue;

std::string ResumeMarkerName() {
    return std::string(kModelDriverName) + "Install";
}

// The first value whose name equals `name` without regard to case; only the first counts.
// A value that does not fit the 128/260-byte buffers is passed over: a marker this program
// wrote always fits, and a value too long to read is left alone. The search ends at
// ERROR_NO_MORE_ITEMS, and at any other error too: that one would come back at every further index.
bool FindValue(RegistryKey& key, std::string_view name, RegistryValueEntry& out) {
    for (std::uint32_t index = 0;; ++index) {
        const long result = key.EnumValue(index, out);
        if (result == kRegMoreData) continue;
        if (result != kRegOk) return false;
        if (MbsEqualNoCase(FieldText(out.name), name)) return true;
    }
}

// Windows runs the marker's data as a command line, and the program lies under a folder that
// may contain spaces: the path is written quoted. Bare, "C:\Program Files\..." would start
// "C:\Program.exe" where one exists; so a path whose quotes do not fit the 260-byte buffer the
// search reads it back into is not written at all (empty).
std::string MarkerData(const std::string& program) {
    const std::string quoted = "\"" + program + "\"";
    return quoted.size() < RegistryValueEntry::kDataSize ? quoted : std::string();
}

// Markers written before we quoted the path hold it bare; both forms name this program.
bool NamesProgram(std::string_view data, std::string_view program) {
    if (MbsEqualNoCase(data, program)) return true;
    return data.size() >= 2 && data.front() == '"' && data.back() == '"' &&
           MbsEqualNoCase(data.substr(1, data.size() - 2), program);
}

// The marker as one key holds it: the key (null when it cannot be opened) and whether a value
// of the marker's name names this program.
struct MarkerPlace {
    KeyOpening opening;
    std::string name;
    RegistryValueEntry entry;
    bool present = false;
};

MarkerPlace FindMarker(Registry& registry, const char* keyPath, std::string name,
                       const std::string& program) {
    MarkerPlace place;
    place.opening = registry.OpenKey(kMachine, keyPath, kRunKeyRights);
    place.name = std::move(name);
    place.present = place.opening.key && FindValue(*place.opening.key, place.name, place.entry) &&
                    NamesProgram(FieldText(place.entry.data), program);
    return place;
}

// A value of the marker's name that names another program is overwritten.
bool SetMarker(MarkerPlace& place, const std::string& program) {
    if (place.present) return true;
    const std::string data = MarkerData(program);
    return !data.empty() && place.opening.key &&
           place.opening.key->SetString(place.name, data) == kRegOk;
}

// A value of the marker's name that names another program is not ours to delete.
bool DeleteMarker(MarkerPlace& place) {
    if (!place.present) return true;
    return place.opening.key->DeleteValue(std::string(FieldText(place.entry.name))) == kRegOk;
}

}  // namespace

int UpdateResumeMarker(Registry& registry, SystemPaths& paths, int mode, int platformClass) {
    return UpdateResumeMarkerFor(registry, paths.ModuleFileName(), mode, platformClass);
}

int UpdateResumeMarkerFor(Registry& registry, const std::string& program, int mode,
                          int platformClass) {
    if (program.empty()) return 0;
    const std::string marker = ResumeMarkerName();
    MarkerPlace run = FindMarker(registry, kRunKey, marker, program);
    if (!run.opening.key) return 0;
    // Looked at on every system: a marker an earlier run left there must be found and deleted.
    MarkerPlace once = FindMarker(registry, kRunOnceKey, kDeleteAfterRunning + marker, program);

    switch (mode) {
        case ResumeMarkerQuery:
            return run.present || once.present ? 1 : 0;
        case ResumeMarkerSet:
            // The Run value stays the marker that every run recognises; under Wine, whose
            // start-up deletes a RunOnce value before it runs it whatever its name, it is the
            // only one the resumed installer finds.
            if (!SetMarker(run, program)) return 0;
            if (platformClass != PlatformVista) return 1;
            if (!once.opening.key) {
                once.opening = registry.CreateKey(kMachine, kRunOnceKey, kRunKeyRights);
            }
            return SetMarker(once, program) ? 1 : 0;
        case ResumeMarkerDelete: {
            const bool runDeleted = DeleteMarker(run);
            return DeleteMarker(once) && runDeleted ? 1 : 0;
        }
        default:
            return 1;
    }
}

int DeleteUninstallerRunValue(Registry& registry, std::string_view printerName) {
    KeyOpening run = registry.OpenKey(kMachine, kRunKey, kRunKeyRights);
    if (!run.key) return 0;
    const std::string name = std::string(printerName) + "UnInstall";
    RegistryValueEntry entry;
    if (!FindValue(*run.key, name, entry)) return 1;
    return run.key->DeleteValue(std::string(FieldText(entry.name))) == kRegOk ? 1 : 0;
}

int RegisterUninstallEntry(Registry& registry, SystemPaths& paths, std::string_view printerName,
                           std::uint32_t estimatedKilobytes) {
    // An empty name would put the values into the UnInstall key itself.
    if (printerName.empty()) return 0;
    KeyOpening list = registry.OpenKey(kMachine, kUninstallKey, kKeyWrite);
    if (!list.key) return 0;

    const std::string programFolder = ProgramFolderOf(paths.WindowsDirectory(), printerName);
    if (programFolder.empty()) return 0;
    const std::string uninstaller = programFolder + "\\T824UIS.exe";
    const std::string displayName = std::string(printerName) + " UnInstall";

    KeyOpening entry = list.key->CreateSubKey(std::string(printerName), kEntryRights);
    if (!entry.key) return 0;
    // The uninstall strings are run as command lines: quoted, as the path holds spaces
    // ("Program Files"). The others are plain texts, and what deployment tools and Programs and
    // Features read: the version to detect, the size, no Change or Repair button (the remover
    // only removes).
    const std::pair<const char*, std::string> values[] = {
        {"DisplayIcon", uninstaller},
        {"DisplayName", displayName},
        {"UnInstallString", "\"" + uninstaller + "\""},
        {"QuietUninstallString", "\"" + uninstaller + "\" /quiet"},
        {"DisplayVersion", TQ_VERSION_TEXT},
        {"Publisher", TQ_COMPANY_NAME},
        {"InstallLocation", programFolder},
    };
    for (const auto& [name, data] : values) {
        if (entry.key->SetString(name, data) != kRegOk) return 0;
    }
    const std::pair<const char*, std::uint32_t> numbers[] = {
        {"EstimatedSize", estimatedKilobytes},
        {"NoModify", 1},
        {"NoRepair", 1},
    };
    for (const auto& [name, data] : numbers) {
        if (entry.key->SetDword(name, data) != kRegOk) return 0;
    }
    return 1;
}

int DeleteMonitorKey(Registry& registry) {
    return registry.DeleteKey(kMachine, kMonitorKey) == kRegOk ? 1 : 0;
}

int CreateMonitorKey(Registry& registry) {
    KeyOpening monitor = registry.CreateKey(kMachine, kMonitorKey, kKeyAllAccess);
    if (!monitor.key) return 0;
    // A key that is there already belongs to the spooler's installed monitor: leave it be.
    if (!monitor.created) return 0;
    return monitor.key->SetString("Driver", kMonitorDriver) == kRegOk ? 1 : 0;
}

void RedirectSetupSource(Registry& registry, SystemPaths& paths, SetupSourceSaved& saved,
                         int redirect) {
    if (redirect == 1) {
        const std::string system = paths.SystemDirectory();
        if (system.empty()) return;  // "\" alone would send the hardware wizard nowhere
        const std::string target = system + "\\";

        if (KeyOpening setup = registry.OpenKey(kMachine, kSetupKey, kQueryAndSet); setup.key) {
            const long read =
                setup.key->QueryString(kSourcePath, saved.sourcePath, sizeof(saved.sourcePath));
            saved.sourcePathSaved = read == kRegOk;
            if (!MbsEqualNoCase(FieldText(saved.sourcePath), target)) {
                const long written = setup.key->SetString(kSourcePath, target);
                saved.sourcePathAdded = read == kRegFileNotFound && written == kRegOk;
            }
            setup.key->Flush();
        }

        if (KeyOpening mru = registry.OpenKey(kUser, kInstallLocationKey, kQueryAndSet); mru.key) {
            char list[SetupSourceSaved::kSize];
            mru.key->QueryString(kMruList, list, sizeof(list));
            // The most recent entry is named by the first letter of the list; an empty list
            // names none (the key's default value is not an entry).
            if (list[0] != '\0') {
                saved.entryName[0] = list[0];
                saved.entryName[1] = '\0';
                const long read = mru.key->QueryString(saved.entryName, saved.installLocation,
                                                       sizeof(saved.installLocation));
                saved.installLocationSaved = read == kRegOk;
                if (!MbsEqualNoCase(FieldText(saved.installLocation), target)) {
                    const long written = mru.key->SetString(saved.entryName, target);
                    saved.installLocationAdded = read == kRegFileNotFound && written == kRegOk;
                }
            }
            mru.key->Flush();
        }
        return;
    }

    if (redirect != 0) return;
    // Only what was read can be written back: a value that could not be read keeps the
    // redirected text rather than becoming empty.
    // A value that was not there before the redirect is deleted again.
    if (saved.sourcePathSaved || saved.sourcePathAdded) {
        if (KeyOpening setup = registry.OpenKey(kMachine, kSetupKey, kQueryAndSet); setup.key) {
            if (saved.sourcePathSaved) {
                setup.key->SetString(kSourcePath, std::string(FieldText(saved.sourcePath)));
            } else {
                setup.key->DeleteValue(kSourcePath);
            }
            setup.key->Flush();
        }
    }
    if (saved.installLocationSaved || saved.installLocationAdded) {
        if (KeyOpening mru = registry.OpenKey(kUser, kInstallLocationKey, kQueryAndSet); mru.key) {
            if (saved.installLocationSaved) {
                mru.key->SetString(saved.entryName,
                                   std::string(FieldText(saved.installLocation)));
            } else {
                mru.key->DeleteValue(saved.entryName);
            }
            mru.key->Flush();
        }
    }
}

void DeleteUsbEnumKeys(Registry& registry) {
    for (const char* key : kUsbEnumKeys) registry.DeleteKey(kMachine, key);
}

void DeleteInfDatabase(SystemPaths& paths, const DeleteFileFunction& deleteFile) {
    const std::string windows = paths.WindowsDirectory();
    if (windows.empty() || !deleteFile) return;
    for (const char* file : kInfDatabaseFiles) deleteFile(windows + "\\inf\\" + file);
}

}  // namespace tq
