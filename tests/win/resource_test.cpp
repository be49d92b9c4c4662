// The installer's texts as the program loads them: in code page 936, exactly as the product
// words them. Loads TQ82Ins.exe as a data file.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/res/resource.h"
#include "platform/version.h"

namespace {

// UTF-8 (as written here) to the system code page 936.
std::string To936(const char* utf8) {
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, w.data(), wide);
    const int narrow = WideCharToMultiByte(936, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(narrow), '\0');
    WideCharToMultiByte(936, 0, w.c_str(), -1, s.data(), narrow, nullptr, nullptr);
    s.resize(s.size() - 1);
    return s;
}

class InstallerResources : public ::testing::Test {
  protected:
    void SetUp() override {
        module = LoadLibraryExA(TQ_INSTALLER_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << TQ_INSTALLER_PATH << " error " << GetLastError();
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }
    std::string Load(int id) {
        char buffer[2048];
        const int n = LoadStringA(module, static_cast<UINT>(id), buffer, sizeof(buffer));
        return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    }
    HMODULE module = nullptr;
};

TEST_F(InstallerResources, TheProcessRunsInCodePage936) {
    EXPECT_EQ(GetACP(), 936u);
}

TEST_F(InstallerResources, StringTableHoldsTheTextsExactly) {
    const struct {
        int id;
        const char* text;
    } texts[] = {
        {IDS_APP_TITLE, "Kestra 打印机驱动程序安装"},
        {IDS_SECOND_INSTANCE,
         "此安装程序已有一个实例在运行。\n请完成它，或取消它再运行此安装程序。"},
        {IDS_CANCEL_QUESTION, "确实要取消安装吗?"},
        {IDS_CANCEL_CAPTION, "退出安装"},
        {IDS_BUTTON_RESTART, "重启"},
        {IDS_BUTTON_CLOSE, "关闭"},
        {IDS_WELCOME_LINE_PLAIN, "建议您先关闭其它所有应用程序，再继续本安装向导。"},
        {IDS_WELCOME_LINE_INSTALLED,
         "在您的计算机上已经安装了  Kestra TQ8240 Series 型号打印机，如下表："},
        {IDS_WELCOME_BLOCK_INSTALLED,
         "如果您要继续安装，为了保证文件更新，建议您重新启动计算机，重启前请关闭其他所有应用程序，"
         "重启后本安装程序自动运行，重启，请点击重启按钮；\n如果您想直接安装不重启，请点击继续按钮;"
         "\n如果您不想继续安装，请点击关闭按钮，结束安装程序。"},
        {IDS_COLUMN_PRINTER_NAME, "打印机名称"},
        {IDS_COLUMN_PORT, "端口"},
        {IDS_NAME_EMPTY, "打印机名称不能为空。"},
        {IDS_NAME_ERROR_CAPTION, "打印机名称错误"},
        {IDS_NAME_OVERWRITE,
         "已存在该名称的打印机，是否覆盖？\n覆盖，请选择是；重新输入名称，请选择否。"},
        {IDS_NAME_INVALID,
         "打印机名称不能包含下列字符：\\ / : * ? \" < > | ,\n也不能只由句点组成，或以句点或空格结尾，"
         "或是设备名称（如 CON、PRN、NUL、COM1、LPT1）。"},
        {IDS_NAME_TOO_LONG, "打印机名称太长，请输入较短的名称。"},
        {IDS_SHARE_EMPTY, "共享名不能为空。"},
        {IDS_SHARE_ERROR_CAPTION, "共享名错误"},
        {IDS_SHARE_EXISTS, "共享名已存在。"},
        {IDS_SHARE_TOO_LONG, "共享名太长，请输入较短的名称。"},
        {IDS_RESTART_FAILED,
         "无法重新启动计算机，打印系统已恢复原状。\n如果您想直接安装不重启，请点击继续按钮；"
         "\n也可以手动重新启动计算机后再运行本安装程序。"},
        {IDS_RESTART_FAILED_CAPTION, "重启失败"},
    };
    for (const auto& t : texts) {
        SCOPED_TRACE(t.id);
        EXPECT_EQ(Load(t.id), To936(t.text));
    }
}

TEST_F(InstallerResources, TheProductsResourceIdsArePresent) {
    const struct {
        int id;
        int type;
    } resources[] = {
        {102, 5}, {129, 5}, {130, 5}, {131, 5},     // dialogs
        {128, 14}, {150, 14}, {151, 14}, {152, 14},  // icons
        {153, 2},                                    // banner bitmap
        {1, 24},                                     // manifest
    };
    for (const auto& r : resources) {
        EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(r.id), MAKEINTRESOURCEA(r.type)), nullptr)
            << r.id;
    }
}

TEST_F(InstallerResources, TheManifestAsksForAdministratorRightsAndCommonControls6) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    const std::string manifest(data, SizeofResource(module, found));
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
}

// Every program and library the repository builds names the package's version, its maker and
// its own file, as Explorer and deployment tools' file-version rules read them. The test
// medium's stand-ins for system libraries (newdev, usbmon) are not the package's.
TEST(VersionResources, EveryProgramBuiltCarriesThePackagesVersion) {
    std::vector<std::string> files{TQ_UNINSTALLER_PATH};
    const std::string medium = TQ_MEDIUM_DIR;
    for (const char* folder : {"", "\\Driver\\98", "\\Driver\\2KXP", "\\Driver\\Vista"}) {
        for (const char* pattern : {"\\*.exe", "\\*.dll"}) {
            WIN32_FIND_DATAA found{};
            HANDLE search = FindFirstFileA((medium + folder + pattern).c_str(), &found);
            if (search == INVALID_HANDLE_VALUE) continue;
            do {
                const std::string name = found.cFileName;
                // Placeholders of the driver's own files are a few bytes of text.
                if (found.nFileSizeLow < 1024 || name == "newdev.dll" || name == "usbmon.dll") continue;
                files.push_back(medium + folder + "\\" + name);
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
    }
    ASSERT_GE(files.size(), 8u);
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
        ASSERT_GT(size, 0u);
        std::vector<char> info(size);
        ASSERT_TRUE(GetFileVersionInfoA(file.c_str(), 0, size, info.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(TQ_VERSION_MINOR, TQ_VERSION_MAJOR)));
        EXPECT_EQ(fixed->dwProductVersionLS, static_cast<DWORD>(MAKELONG(0, TQ_VERSION_PATCH)));
        const auto text = [&info](const char* name) {
            char* value = nullptr;
            UINT n = 0;
            const std::string key = std::string("\\StringFileInfo\\080404b0\\") + name;
            return VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &n) && n > 0
                       ? std::string(value)
                       : std::string();
        };
        EXPECT_EQ(text("FileVersion"), TQ_VERSION_TEXT);
        EXPECT_EQ(text("ProductVersion"), TQ_VERSION_TEXT);
        EXPECT_EQ(text("CompanyName"), TQ_COMPANY_NAME);
        EXPECT_EQ(text("OriginalFilename"), file.substr(file.find_last_of("\\/") + 1));
        EXPECT_FALSE(text("FileDescription").empty());
    }
}

}  // namespace
