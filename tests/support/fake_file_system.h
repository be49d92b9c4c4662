// In-memory file system for host tests: folders, files with contents and a read-only flag,
// and switches that make a call fail as a real disk can. Paths compare without regard to
// letter case, as on Windows; wildcards are not understood.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace tq::test {

class FakeFileSystem : public FileSystem {
  public:
    struct File {
        std::string contents;
        bool readOnly = false;
    };

    // Set-up: each adds the missing parent folders as well.
    FakeFileSystem& AddFolder(const std::string& path);
    FakeFileSystem& AddFile(const std::string& path, const std::string& contents = "",
                            bool readOnly = false);
    FakeFileSystem& RemoveFile(const std::string& path);

    // The file at `path`, or nullptr.
    const File* FindFile(const std::string& path) const;
    bool HasFolder(const std::string& path) const;

    FolderResult CreateFolder(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    // The same files as FileExists: the fake has no redirection; `calls` tells which was asked.
    bool FileExistsUnredirected(const std::string& path) override;
    // Fails with 2 (no source), 3 (no folder), 5 (a read-only or folder destination) or the
    // injected error.
    std::uint32_t CopyOver(const std::string& source, const std::string& destination) override;
    std::uint32_t ReplaceAtRestart(const std::string& from, const std::string& to) override;
    bool SetNormalAttributes(const std::string& path) override;
    // Fails for a missing or in-use file.
    bool Delete(const std::string& path) override;
    // The contents' length.
    std::optional<std::uint64_t> FileSize(const std::string& path) override;
    // Fails for a missing folder or one with anything in it.
    bool RemoveFolder(const std::string& path) override;
    // Records `path` in deleteAtRestart, or fails with replaceAtRestartError.
    std::uint32_t DeleteAtRestart(const std::string& path) override;
    // Names in lower case, folders first.
    bool ListFolder(const std::string& folder, std::vector<FolderItem>& out) override;

    // Every call in order: "CreateFolder <path>", "FileExists <path>", "FileExistsUnredirected
    // <path>", "Copy <source> -> <destination>" (with " failed" when it failed), "SetNormal
    // <path>", "ReplaceAtRestart <from> -> <to>" (with " failed"), "Delete <path>".
    std::vector<std::string> calls;
    // Destinations of the copies that succeeded, in order, as the caller spelled them.
    std::vector<std::string> copied;
    // The replacements recorded for the restart, (from, to), in order.
    std::vector<std::pair<std::string, std::string>> atRestart;
    // The deletions recorded for the restart, in order.
    std::vector<std::string> deleteAtRestart;
    // Files a running program or the spooler holds: Delete fails for them.
    std::set<std::string> inUse;
    // DeleteAtRestart of a folder fails with this (120 on Windows 9x, which records files only).
    std::uint32_t folderAtRestartError = 0;
    // Folders that are junctions: listed as links, and removed as links whatever they lead to
    // (what is below them stays, as the target's files do).
    std::set<std::string> linkFolders;

    // Injected failures, by path (any letter case).
    std::set<std::string> failingFolders;  // CreateFolder fails (not "already exists")
    // Copy to this destination always fails with this error (32: it is in use).
    std::map<std::string, std::uint32_t> failingCopies;
    std::uint32_t replaceAtRestartError = 0;  // ReplaceAtRestart fails with it (120 on 9x)
    // Called before each copy with the destination, to look at the caller's state then.
    std::function<void(const std::string&)> onCopy;

  private:
    static std::string Key(const std::string& path);
    static std::string ParentKey(const std::string& key);
    bool ParentExists(const std::string& key) const;
    bool Failing(const std::set<std::string>& paths, const std::string& key) const;
    std::uint32_t InjectedCopyError(const std::string& key) const;

    std::set<std::string> folders_;
    std::map<std::string, File> files_;
};

}  // namespace tq::test
