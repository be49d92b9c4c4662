// The program group as the installer makes it under Wine: real Shell Folders value, real
// folders, real shell links loaded back through IShellLinkA. Link names come from the
// installer's own string table (TQ82Ins.exe loaded as a data file).
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "install/engine/shortcuts.h"
#include "install/res/resource.h"
#include "install/system/platform_class.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/shell_links_win32.h"
#include "platform/win32/system_paths_win32.h"
#include "tests/support/fake_progress.h"

namespace tq {
namespace {

class InstallerTexts : public test::RecordingProgress {
  public:
    InstallerTexts()
        : module_(LoadLibraryExA(TQ_INSTALLER_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~InstallerTexts() override {
        if (module_) FreeLibrary(module_);
    }
    bool Loaded() const { return module_ != nullptr; }
    std::string LoadText(int stringId) override {
        char buffer[256];
        const int n = LoadStringA(module_, static_cast<UINT>(stringId), buffer, sizeof(buffer));
        return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    }

  private:
    HMODULE module_;
};

std::string ToAnsi(const wchar_t* text) {
    char buffer[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, MAX_PATH, nullptr, nullptr);
    return buffer;
}

std::string ProgramsFolder(HKEY root = HKEY_CURRENT_USER, const char* value = "Programs") {
    char buffer[512] = {};
    DWORD size = sizeof(buffer) - 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                      0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
    }
    return buffer;
}

struct Release {
    void operator()(IUnknown* p) const { p->Release(); }
};

struct LinkContents {
    HRESULT loaded = E_FAIL;
    std::string path;
    std::string description;
};

LinkContents ReadLink(const std::string& linkPath) {
    LinkContents contents;
    CoInitialize(nullptr);
    IShellLinkA* rawLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&rawLink)))) {
        return contents;
    }
    std::unique_ptr<IShellLinkA, Release> link(rawLink);
    IPersistFile* rawFile = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) {
        return contents;
    }
    std::unique_ptr<IPersistFile, Release> file(rawFile);
    wchar_t wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH) == 0) return contents;
    contents.loaded = file->Load(wide, STGM_READ);
    if (FAILED(contents.loaded)) return contents;
    char buffer[1024] = {};
    link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH);
    contents.path = buffer;
    buffer[0] = '\0';
    link->GetDescription(buffer, sizeof(buffer));
    contents.description = buffer;
    return contents;
}

int CountLinks(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*.lnk").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do ++n;
    while (FindNextFileA(find, &data));
    FindClose(find);
    return n;
}

TEST(Win32Shortcuts, ProgramGroupOfAChinesePrinterNameHoldsTheThreeLinks) {
    ASSERT_EQ(GetACP(), 936u);
    InstallerTexts progress;
    ASSERT_TRUE(progress.Loaded()) << TQ_INSTALLER_PATH;
    InstallJob job;
    job.progress = &progress;
    job.platformClass = PlatformXp;
    WizardSettings settings;
    const std::string printerName = ToAnsi(L"Kestra \u6253\u5370\u673A");  // 打印机
    ASSERT_EQ(printerName.size(), 13u);
    settings.SetPrinterName(printerName);

    const std::string runValue = printerName + "UnInstall";
    HKEY run = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                            0, KEY_SET_VALUE | KEY_QUERY_VALUE, &run),
              ERROR_SUCCESS);
    ASSERT_EQ(
        RegSetValueExA(run, runValue.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2),
        ERROR_SUCCESS);

    Win32Registry registry;
    Win32SystemPaths paths;
    Win32ShellLinks links;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    ASSERT_EQ(CreateProgramShortcuts(job, settings, registry, paths, links), 1);
    QueryPerformanceCounter(&end);
    std::printf("CreateProgramShortcuts: %.1f ms\n",
                1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart));
    EXPECT_EQ(progress.Posts(StageShortcuts, 1), 4);
    EXPECT_EQ(RegQueryValueExA(run, runValue.c_str(), nullptr, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(run);

    const std::string group = ProgramsFolder() + "\\" + printerName;
    const std::string programFolder =
        paths.WindowsDirectory().substr(0, 3) + "Program Files\\Kestra\\" + printerName;
    const struct {
        int textId;
        std::string target;
    } expected[] = {
        {IDS_LINK_STATUS_MONITOR, paths.SystemDirectory() + "\\T824XSM.exe"},
        {IDS_LINK_HELP, programFolder + "\\Driver\\T8242UI.chm"},
        {IDS_LINK_UNINSTALL, programFolder + "\\T824UIS.exe"},
    };
    for (const auto& e : expected) {
        const std::string name = progress.LoadText(e.textId);
        SCOPED_TRACE(e.textId);
        ASSERT_FALSE(name.empty());
        const LinkContents link = ReadLink(group + "\\" + name + ".lnk");
        ASSERT_EQ(link.loaded, S_OK);
        EXPECT_EQ(link.path, e.target);
        EXPECT_EQ(link.description, name);
    }
    EXPECT_EQ(CountLinks(group), 3);

    // Again under the same name: the group is reused and the links replaced.
    ASSERT_EQ(CreateProgramShortcuts(job, settings, registry, paths, links), 1);
    EXPECT_EQ(CountLinks(group), 3);
}

// A run as LocalSystem makes the group for all users: a fresh prefix has their Programs folder
// in HKLM's Shell Folders, and the folder itself.
TEST(Win32Shortcuts, AllUsersGroupGoesToTheCommonProgramsFolder) {
    const std::string common = ProgramsFolder(HKEY_LOCAL_MACHINE, "Common Programs");
    EXPECT_EQ(common, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
    InstallerTexts progress;
    ASSERT_TRUE(progress.Loaded()) << TQ_INSTALLER_PATH;
    InstallJob job;
    job.progress = &progress;
    job.programGroup = ProgramGroupOwner::AllUsers;
    WizardSettings settings;
    settings.SetPrinterName("Kestra All Users");
    Win32Registry registry;
    Win32SystemPaths paths;
    Win32ShellLinks links;
    ASSERT_EQ(CreateProgramShortcuts(job, settings, registry, paths, links), 1);
    EXPECT_EQ(CountLinks(common + "\\Kestra All Users"), 3);
    EXPECT_EQ(GetFileAttributesA((ProgramsFolder() + "\\Kestra All Users").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace tq
