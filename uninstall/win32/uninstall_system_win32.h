// The uninstall procedure's Windows: each method one Win32 call (or the few its mechanics
// need), nothing decided here.
#pragma once

#include <windows.h>

#include "platform/win32/profile_strings_win32.h"
#include "uninstall/procedure.h"

namespace tq::uninstall {

class Win32UninstallSystem : public UninstallSystem {
  public:
    // `owner` owns the message boxes (the confirmation dialog); the texts come from the
    // running program's string table.
    explicit Win32UninstallSystem(HWND owner);

    ProfileStrings& Profile() override { return profile_; }
    bool FindMatch(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    bool SetNormalAttributes(const std::string& path) override;
    bool RemoveFolder(const std::string& path) override;
    bool WindowTitled(const std::string& title) override;
    std::vector<std::string> RunningPrograms() override;
    bool IsLeadByte(unsigned char c) override;
    std::optional<std::uint32_t> Attributes(const std::string& path) override;
    std::optional<std::string> Identity(const std::string& path) override;
    std::vector<std::string> WindowsFolders() override;
    std::vector<std::string> ProgramFilesFolders() override;
    std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit) override;
    std::optional<std::string> CommonProgramsFolder() override;
    std::string SystemFolder() override;
    bool InitializeCom() override;
    void UninitializeCom() override;
    std::u16string SystemTextToUtf16(const std::string& text) override;
    std::unique_ptr<Firewall> CreateFirewall() override;
    std::string LoadText(UninstallText text) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;

  private:
    HWND owner_;
    Win32ProfileStrings profile_;  // 255-byte reads through ReadCustomize
};

}  // namespace tq::uninstall
