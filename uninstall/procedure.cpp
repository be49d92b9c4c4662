#include "uninstall/procedure.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "uninstall/confinement.h"
#include "uninstall/texts.h"

namespace tq::uninstall {

namespace {

// The package's files in the install folder, deleted in this order. Configured names are
// joined with a backslash; the fixed names carry their own.
struct PackageFile {
    const CustomizeKey* key;  // or nullptr for a fixed name
    const char* fixedName;
};

const PackageFile kPackageFiles[] = {
    {&keys::kAdminApp, nullptr}, {&keys::kHelpFile, nullptr},   {nullptr, "\\TRXHELP.GID"},
    {nullptr, "\\VNTTrap.ini"},  {&keys::kMonitorApp, nullptr}, {&keys::kNetPortSetupFile, nullptr},
    {nullptr, "\\VNTTrap.txt"},  {nullptr, "\\VNTTrapIP.ini"},  {&keys::kAdminLogo, nullptr},
};

// The Start-menu shortcuts, deleted in this order.
const CustomizeKey* const kShortcuts[] = {
    &keys::kAdminLink,
    &keys::kMonitorLink,
    &keys::kUninstallLink,
    &keys::kNetPortSetupLink,
};

constexpr char kCustomizeName[] = "\\customize.ini";

// The uninstaller itself is a few hundred kilobytes; a larger "copy" of it is none.
constexpr std::size_t kProgramSizeLimit = 64u << 20;

// The file part of a path (after its last backslash).
std::string_view FileNamePart(std::string_view path, const LeadByteRule& isLeadByte) {
    return PathComponents(path, isLeadByte).back();
}

class Procedure {
  public:
    Procedure(const CustomizePaths& paths, UninstallSystem& system, const UninstallReport& report)
        : paths_(paths),
          system_(system),
          profile_(system.Profile()),
          report_(report),
          confinement_(system) {}

    UninstallOutcome Run();

  private:
    std::string Read(const CustomizeKey& key) {
        return ReadCustomize(profile_, paths_.installedFile, key);
    }
    bool IsName(const std::string& name) const {
        return IsRelativeName(name, confinement_.LeadBytes());
    }

    // A read-only file refuses the first delete: normal attributes, then once more. What
    // counts is whether the file is gone afterwards (one that was never there is); what stays
    // behind keeps its folder and makes the run incomplete.
    void Delete(const std::string& path, bool retry = true) {
        if (Logged("delete " + path, system_.RemoveFile(path))) return;
        if (retry) {
            // SetFileAttributesA follows a symbolic link: the target's attributes are not ours.
            const std::optional<std::uint32_t> attributes = system_.Attributes(path);
            if (!attributes || (*attributes & kAttributeReparsePoint) == 0) {
                system_.SetNormalAttributes(path);
                if (Logged("delete " + path + " (made writable)", system_.RemoveFile(path))) {
                    return;
                }
            }
        }
        if (!system_.Attributes(path)) return;
        Note("still there: " + path);
        ++filesLeft_;
    }

    bool Logged(const std::string& step, bool ok) {
        return report_.log != nullptr ? report_.log->Step(step, ok) : ok;
    }
    void Note(const std::string& text) {
        if (report_.log != nullptr) report_.log->Line(text);
    }
    // A message: a box owned by the dialog, and a line of the log; a quiet run only logs it.
    void Tell(const std::string& text, const std::string& caption) {
        Note("message: " + text);
        if (!report_.quiet) system_.ShowMessage(text, caption);
    }

    // folder + "\" + a configured name. A name that could leave the folder ("..\x", an
    // absolute path, a stream, a device), or that passes through a link, names no file of the
    // package and deletes nothing; the folders it passes through are removed when emptied.
    void DeleteNamed(const std::string& folder, const std::string& name,
                     std::vector<std::string>& subfolders, bool retry = true) {
        if (!IsName(name)) {
            Note("not a name inside " + folder + ", left alone: " + name);
            return;
        }
        if (confinement_.ThroughLink(folder, name, false)) {
            Note("reached through a link, left alone: " + folder + "\\" + name);
            return;
        }
        Delete(folder + "\\" + name, retry);
        std::vector<std::string_view> parts = PathComponents(name, confinement_.LeadBytes());
        std::string sub = folder;
        for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
            sub += "\\";
            sub += parts[i];
            subfolders.push_back(sub);
        }
    }
    // Deepest first, each only when empty.
    void RemoveSubfolders(std::vector<std::string> subfolders) {
        std::sort(subfolders.begin(), subfolders.end(),
                  [](const std::string& a, const std::string& b) {
                      return a.size() != b.size() ? a.size() > b.size() : a < b;
                  });
        subfolders.erase(std::unique(subfolders.begin(), subfolders.end()), subfolders.end());
        for (const std::string& sub : subfolders) {
            Logged("remove folder " + sub, system_.RemoveFolder(sub));
        }
    }

    // A file that is this uninstaller: the same bytes as the running program's own file.
    bool IsThisProgram(const std::string& path);
    bool ToolWindowOpen(const CustomizeKey& titleKey);
    bool ToolProgramRunning();
    void RemoveStartMenuGroup();
    void RemoveFirewallExceptions(const std::string& adminApp);

    const CustomizePaths& paths_;
    UninstallSystem& system_;
    ProfileStrings& profile_;
    const UninstallReport& report_;
    Confinement confinement_;
    int filesLeft_ = 0;
    std::optional<std::optional<std::string>> ownBytes_;
};

bool Procedure::IsThisProgram(const std::string& path) {
    if (!ownBytes_) {
        ownBytes_ = paths_.programFile.empty()
                        ? std::nullopt
                        : system_.ReadFileBytes(paths_.programFile, kProgramSizeLimit);
    }
    const std::optional<std::string>& own = *ownBytes_;
    if (!own || own->empty()) return false;
    const std::optional<std::string> other = system_.ReadFileBytes(path, own->size());
    return other && *other == *own;
}

bool Procedure::ToolWindowOpen(const CustomizeKey& titleKey) {
    const std::string title = Read(titleKey);
    // FindWindowA with an empty title finds any untitled window; none of the tools is one.
    if (title.empty() || !system_.WindowTitled(title)) return false;
    Tell(InsertText(system_.LoadText(UninstallText::ToolRunning), title), std::string());
    return true;
}

// A tool of the package running where its windows are out of sight (another session, as when
// the removal runs as SYSTEM): its program would refuse to go.
bool Procedure::ToolProgramRunning() {
    const LeadByteRule& isLeadByte = confinement_.LeadBytes();
    std::vector<std::string> tools;
    for (const CustomizeKey* key :
         {&keys::kMonitorApp, &keys::kAdminApp, &keys::kNetPortSetupFile}) {
        const std::string name = Read(*key);
        if (IsName(name)) tools.emplace_back(FileNamePart(name, isLeadByte));
    }
    for (const std::string& running : system_.RunningPrograms()) {
        const std::string_view exe = FileNamePart(running, isLeadByte);
        for (const std::string& tool : tools) {
            if (!confinement_.SameName(exe, tool)) continue;
            Tell(InsertText(system_.LoadText(UninstallText::ToolRunning), tool), std::string());
            return true;
        }
    }
    return false;
}

void Procedure::RemoveStartMenuGroup() {
    const std::optional<std::string> programs = system_.CommonProgramsFolder();
    // Without the all-users Programs folder the group's path would be relative to whatever
    // the current drive or folder is: delete nothing.
    if (!programs || programs->empty()) return;
    // An empty group name would be the Programs folder itself, with every user's shortcuts.
    const std::string groupName = Read(keys::kStartMenuFolder);
    if (!IsName(groupName) || confinement_.ThroughLink(*programs, groupName, true)) {
        Note("no program group to remove: " + groupName);
        return;
    }
    const std::string group = *programs + "\\" + groupName;
    // A shortcut is deleted once; a read-only one is not the package's.
    std::vector<std::string> subfolders;
    for (const CustomizeKey* key : kShortcuts) {
        // An empty name would still make a name of ".lnk".
        const std::string name = Read(*key);
        DeleteNamed(group, name.empty() ? name : name + ".lnk", subfolders, false);
    }
    RemoveSubfolders(subfolders);
    Logged("remove folder " + group, system_.RemoveFolder(group));
}

void Procedure::RemoveFirewallExceptions(const std::string& adminApp) {
    const bool comInitialized = system_.InitializeCom();
    {
        // The codes are not looked at: without a firewall every call reports one.
        const std::unique_ptr<Firewall> firewall = system_.CreateFirewall();
        if (firewall) {
            firewall->OpenProfile();
            // Through the system code page: a path with Chinese characters widened byte by
            // byte would never match the entry the installer made. A name that could leave the
            // folder would withdraw another program's exception.
            if (IsName(adminApp)) {
                const std::u16string path =
                    system_.SystemTextToUtf16(paths_.installFolder + "\\" + adminApp);
                firewall->RemoveApplication(path.c_str());
            }
            firewall->RemovePort(kTrapPort, kProtocolUdp);
            firewall->RemovePort(kToolsPort, kProtocolUdp);
            firewall->CloseProfile();
            Note("firewall exceptions withdrawn (the firewall's answers are not examined)");
        } else {
            Note("firewall: none to ask");
        }
    }
    if (comInitialized) system_.UninitializeCom();
}

UninstallOutcome Procedure::Run() {
    const std::string& folder = paths_.installFolder;

    // customize.ini may be anyone's to write: an install folder that is a system folder, or
    // one reached through a link, is no package's, and nothing is deleted.
    if (!folder.empty()) {
        const FolderVerdict verdict = confinement_.CheckInstallFolder(folder);
        if (verdict != FolderVerdict::Allowed) {
            Note("install folder " + folder + " refused: " + Describe(verdict));
            Tell(InsertText(system_.LoadText(UninstallText::FolderRefused), folder), std::string());
            return UninstallOutcome::FolderRefused;
        }
    }

    // Without an install folder (Install_Path not a folder below the drive's root, or no
    // Windows folder), or with a monitor name that could leave it, the package's monitor
    // cannot be there: nothing is deleted anywhere.
    const std::string monitorApp = Read(keys::kMonitorApp);
    const std::string monitorPath = folder.empty() ? monitorApp : folder + "\\" + monitorApp;
    if (folder.empty() || !IsName(monitorApp) ||
        confinement_.ThroughLink(folder, monitorApp, false) || !system_.FindMatch(monitorPath)) {
        Note("nothing installed: no " + monitorPath);
        Tell(InsertText(system_.LoadText(UninstallText::NothingToUninstall), monitorPath),
             monitorApp);
        return UninstallOutcome::NothingInstalled;
    }
    Note("install folder " + folder);

    // The administration tool's title is asked only when the monitor's window is not open.
    if (ToolWindowOpen(keys::kMonitorTitle) || ToolWindowOpen(keys::kAdminTitle) ||
        ToolProgramRunning()) {
        return UninstallOutcome::ToolRunning;
    }

    std::string adminApp;
    std::vector<std::string> subfolders;
    for (const PackageFile& file : kPackageFiles) {
        if (file.key == nullptr) {
            Delete(folder + file.fixedName);
            continue;
        }
        const std::string name = Read(*file.key);
        if (file.key == &keys::kAdminApp) adminApp = name;
        DeleteNamed(folder, name, subfolders);
    }

    RemoveStartMenuGroup();
    RemoveFirewallExceptions(adminApp);

    // The uninstaller's own name must be read while the installed file is still there.
    const std::string uninstallFile = Read(keys::kUninstallFile);
    Delete(paths_.installedFile);
    RemoveSubfolders(subfolders);
    Logged("remove folder " + folder, system_.RemoveFolder(folder));

    // An unknown system folder would make these paths relative to the current drive. Of the
    // system folder's files only this program's copy and customize.ini are the package's:
    // whatever else Uninstall_File names stays.
    const std::string systemFolder = system_.SystemFolder();
    if (!systemFolder.empty()) {
        const std::string copy = systemFolder + "\\" + uninstallFile;
        if (IsName(uninstallFile) &&
            !confinement_.ThroughLink(systemFolder, uninstallFile, false) && IsThisProgram(copy)) {
            Delete(copy);
        } else {
            Note("not a copy of this program, left alone: " + copy);
        }
        Delete(systemFolder + kCustomizeName);
    }

    if (filesLeft_ == 0) {
        Tell(system_.LoadText(UninstallText::Finished), std::string());
        return UninstallOutcome::Finished;
    }
    // Never "completed" over files that stayed.
    Note(std::to_string(filesLeft_) + " file(s) could not be deleted");
    Tell(system_.LoadText(UninstallText::FilesLeft), std::string());
    return UninstallOutcome::FilesLeft;
}

}  // namespace

UninstallOutcome RunUninstall(const CustomizePaths& paths, UninstallSystem& system,
                              const UninstallReport& report) {
    return Procedure(paths, system, report).Run();
}

}  // namespace tq::uninstall
