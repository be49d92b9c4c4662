#pragma once

#include "platform/file_system.h"

namespace tq {

class Win32FileSystem : public FileSystem {
  public:
    FolderResult CreateFolder(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    bool Copy(const std::string& source, const std::string& destination) override;
    bool SetNormalAttributes(const std::string& path) override;
};

}  // namespace tq
