#include "uninstall/procedure.h"

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

class Procedure {
  public:
    Procedure(const CustomizePaths& paths, UninstallSystem& system, const UninstallReport& report)
        : paths_(paths), system_(system), profile_(system.Profile()), report_(report) {}

    UninstallOutcome Run();

  private:
    std::string Read(const CustomizeKey& key) {
        return ReadCustomize(profile_, paths_.installedFile, key);
    }

    // A read-only file refuses the first delete: normal attributes, then once more. Whether
    // the file went changes nothing; what stays behind keeps its folder.
    void Delete(const std::string& path) {
        if (Logged("delete " + path, system_.RemoveFile(path))) return;
        system_.SetNormalAttributes(path);
        Logged("delete " + path + " (made writable)", system_.RemoveFile(path));
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

    // folder + "\" + a configured name. A name that is not one path component names no file
    // of the package: an empty one would only reset the folder's own attributes, "..\x" or an
    // absolute path a file elsewhere. It deletes nothing.
    void DeleteNamed(const std::string& folder, const std::string& name) {
        if (IsSingleComponentName(name)) Delete(folder + "\\" + name);
    }

    bool ToolWindowOpen(const CustomizeKey& titleKey);
    void RemoveStartMenuGroup();
    void RemoveFirewallExceptions(const std::string& adminApp);

    const CustomizePaths& paths_;
    UninstallSystem& system_;
    ProfileStrings& profile_;
    const UninstallReport& report_;
};

bool Procedure::ToolWindowOpen(const CustomizeKey& titleKey) {
    const std::string title = Read(titleKey);
    // FindWindowA with an empty title finds any untitled window; none of the tools is one.
    if (title.empty() || !system_.WindowTitled(title)) return false;
    Tell(InsertText(system_.LoadText(UninstallText::ToolRunning), title), std::string());
    return true;
}

void Procedure::RemoveStartMenuGroup() {
    const std::optional<std::string> programs = system_.CommonProgramsFolder();
    // Without the all-users Programs folder the group's path would be relative to whatever
    // the current drive or folder is: delete nothing.
    if (!programs || programs->empty()) return;
    // An empty group name would be the Programs folder itself, with every user's shortcuts.
    const std::string groupName = Read(keys::kStartMenuFolder);
    if (!IsSingleComponentName(groupName)) return;
    const std::string group = *programs + "\\" + groupName;
    // A shortcut is deleted once; a read-only one is not the package's.
    for (const CustomizeKey* key : kShortcuts) {
        const std::string name = Read(*key);
        if (IsSingleComponentName(name)) {
            Logged("delete " + group + "\\" + name + ".lnk",
                   system_.RemoveFile(group + "\\" + name + ".lnk"));
        }
    }
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
            // byte would never match the entry the installer made. A name that is not one
            // component would withdraw another program's exception.
            if (IsSingleComponentName(adminApp)) {
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

    // Without an install folder (Install_Path not a folder below the drive's root, or no
    // Windows folder), or with a monitor name that is not one component, the package's monitor
    // cannot be there: nothing is deleted anywhere.
    const std::string monitorApp = Read(keys::kMonitorApp);
    const std::string monitorPath = folder.empty() ? monitorApp : folder + "\\" + monitorApp;
    if (folder.empty() || !IsSingleComponentName(monitorApp) || !system_.FindMatch(monitorPath)) {
        Note("nothing installed: no " + monitorPath);
        Tell(InsertText(system_.LoadText(UninstallText::NothingToUninstall), monitorPath),
             monitorApp);
        return UninstallOutcome::NothingInstalled;
    }
    Note("install folder " + folder);

    // The administration tool's title is asked only when the monitor's window is not open.
    if (ToolWindowOpen(keys::kMonitorTitle) || ToolWindowOpen(keys::kAdminTitle)) {
        return UninstallOutcome::ToolRunning;
    }

    std::string adminApp;
    for (const PackageFile& file : kPackageFiles) {
        if (file.key == nullptr) {
            Delete(folder + file.fixedName);
            continue;
        }
        const std::string name = Read(*file.key);
        if (file.key == &keys::kAdminApp) adminApp = name;
        DeleteNamed(folder, name);
    }

    RemoveStartMenuGroup();
    RemoveFirewallExceptions(adminApp);

    // The uninstaller's own name must be read while the installed file is still there.
    const std::string uninstallFile = Read(keys::kUninstallFile);
    Delete(paths_.installedFile);
    Logged("remove folder " + folder, system_.RemoveFolder(folder));

    // An unknown system directory would make these paths relative to the current drive.
    const std::string systemFolder = system_.SystemFolder();
    if (!systemFolder.empty()) {
        DeleteNamed(systemFolder, uninstallFile);
        Delete(systemFolder + kCustomizeName);
    }

    Tell(system_.LoadText(UninstallText::Finished), std::string());
    return UninstallOutcome::Finished;
}

}  // namespace

UninstallOutcome RunUninstall(const CustomizePaths& paths, UninstallSystem& system,
                              const UninstallReport& report) {
    return Procedure(paths, system, report).Run();
}

}  // namespace tq::uninstall
