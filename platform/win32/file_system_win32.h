#pragma once

#include "platform/file_system.h"

namespace tq {

class Win32FileSystem : public FileSystem {
  public:
    FolderResult CreateFolder(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    bool FileExistsUnredirected(const std::string& path) override;
    std::uint32_t CopyOver(const std::string& source, const std::string& destination) override;
    std::uint32_t ReplaceAtRestart(const std::string& from, const std::string& to) override;
    bool SetNormalAttributes(const std::string& path) override;
    bool Delete(const std::string& path) override;
    std::optional<std::uint64_t> FileSize(const std::string& path) override;
    bool RemoveFolder(const std::string& path) override;
    std::uint32_t DeleteAtRestart(const std::string& path) override;
    // Windows 9x's way of it (no MoveFileEx record there).
    static std::uint32_t DeleteAtRestartByWinInit(const std::string& path);
    bool ListFolder(const std::string& folder, std::vector<FolderItem>& out) override;
};

}  // namespace tq
