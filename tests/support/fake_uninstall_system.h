// The uninstaller's Windows in memory for host tests: files (read-only or not) and folders,
// customize.ini values that read only while their file is there, open window titles, the
// "Common Programs" value, the system folder, COM, a firewall and message boxes. Every call
// joins one log, in order. Paths compare without regard to letter case; no wildcards.
// The system code page is played by UTF-8: SystemTextToUtf16 decodes UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/profile_strings.h"
#include "uninstall/procedure.h"

namespace tq::test {

class FakeUninstallSystem : public uninstall::UninstallSystem, public ProfileStrings {
  public:
    struct Message {
        std::string text;
        std::string caption;
    };

    FakeUninstallSystem();

    // Set-up: files and folders add their missing parent folders.
    FakeUninstallSystem& AddFolder(const std::string& path);
    FakeUninstallSystem& AddFile(const std::string& path, bool readOnly = false);
    // A customize.ini value; the file is added when missing.
    FakeUninstallSystem& SetValue(const std::string& file, const std::string& section,
                                  const std::string& key, const std::string& value);

    // A file's bytes (by default its own path, so no two files are alike).
    FakeUninstallSystem& SetContents(const std::string& path, const std::string& bytes);
    // A folder or file that is a junction or symbolic link.
    FakeUninstallSystem& MarkLink(const std::string& path);
    // Another name for an existing folder (a short name): the same identity.
    FakeUninstallSystem& AddAlias(const std::string& alias, const std::string& path);

    bool HasFile(const std::string& path) const;
    bool HasFolder(const std::string& path) const;

    // Titles of the open top-level windows.
    std::set<std::string> windows;
    // szExeFile of the running processes.
    std::vector<std::string> programs;
    // The code page's lead bytes: 936's, or none (a Western code page).
    bool leadBytes936 = true;
    // False: the system cannot tell identities (Windows 9x); names decide.
    bool identities = true;
    std::vector<std::string> windowsFolders{"C:\\WINDOWS"};
    std::vector<std::string> programFilesFolders{"C:\\Program Files"};
    // The value as the registry gives it; nothing: the key or value cannot be read.
    std::optional<std::string> commonPrograms =
        std::string("C:\\Documents and Settings\\All Users\\Start Menu\\Programs");
    std::string systemFolder = "C:\\WINDOWS\\system32";
    // What CoInitialize's success says; false as when the thread is in another mode.
    bool comInitializes = true;
    // The string table: the product's texts (UTF-8 here).
    std::map<uninstall::UninstallText, std::string> texts;

    // Every call in order: "ReadProfile <file> [section] key", "FindMatch <path>",
    // "RemoveFile <path>" (" failed"), "SetNormal <path>" (" failed"), "RemoveFolder <path>"
    // (" failed"), "WindowTitled <title>", "CommonPrograms", "SystemFolder", "InitializeCom",
    // "UninitializeCom", "ToUtf16 <text>", "Firewall <call>", "Message <text> | <caption>".
    std::vector<std::string> calls;
    // The calls that start with `prefix`, in order, the prefix and its blank taken off.
    std::vector<std::string> CallsOf(const std::string& prefix) const;
    std::vector<Message> messages;
    // The paths RemoveApplication was given, as UTF-16.
    std::vector<std::u16string> firewallApplications;

    // ProfileStrings
    std::string ReadStringOr(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& defaultValue,
                             std::size_t capacity) override;
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override;

    // UninstallSystem
    ProfileStrings& Profile() override { return *this; }
    bool FindMatch(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    bool SetNormalAttributes(const std::string& path) override;
    bool RemoveFolder(const std::string& path) override;
    bool WindowTitled(const std::string& title) override;
    std::vector<std::string> RunningPrograms() override;
    bool IsLeadByte(unsigned char c) override;
    std::optional<std::uint32_t> Attributes(const std::string& path) override;
    std::optional<std::string> Identity(const std::string& path) override;
    std::vector<std::string> WindowsFolders() override { return windowsFolders; }
    std::vector<std::string> ProgramFilesFolders() override { return programFilesFolders; }
    std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit) override;
    std::optional<std::string> CommonProgramsFolder() override;
    std::string SystemFolder() override;
    bool InitializeCom() override;
    void UninitializeCom() override;
    std::u16string SystemTextToUtf16(const std::string& text) override;
    std::unique_ptr<uninstall::Firewall> CreateFirewall() override;
    std::string LoadText(uninstall::UninstallText text) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;

  private:
    static std::string Key(const std::string& path);
    static std::string Parent(const std::string& key);
    // The key with a leading alias replaced by the folder it stands for.
    std::string Resolved(const std::string& path) const;

    std::set<std::string> folders_;
    std::map<std::string, bool> files_;  // key -> read-only
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values_;
    std::map<std::string, std::string> contents_;
    std::set<std::string> links_;
    std::map<std::string, std::string> aliases_;
};

// UTF-16 as UTF-8, for messages of failed comparisons.
std::string ToUtf8(const std::u16string& text);

}  // namespace tq::test
