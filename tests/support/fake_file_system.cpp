#include "tests/support/fake_file_system.h"

#include <cctype>

namespace tq::test {

std::string FakeFileSystem::Key(const std::string& path) {
    std::string key = path;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    while (key.size() > 3 && key.back() == '\\') key.pop_back();
    return key;
}

// "c:\a\b" -> "c:\a"; "c:\a" -> "c:\"; a drive root has no parent ("").
std::string FakeFileSystem::ParentKey(const std::string& key) {
    const auto cut = key.find_last_of('\\');
    if (cut == std::string::npos || key.size() <= 3) return {};
    return cut == 2 ? key.substr(0, 3) : key.substr(0, cut);
}

bool FakeFileSystem::ParentExists(const std::string& key) const {
    const std::string parent = ParentKey(key);
    return parent.size() == 3 || folders_.count(parent) != 0;  // drive roots always exist
}

bool FakeFileSystem::Failing(const std::set<std::string>& paths, const std::string& key) const {
    for (const auto& p : paths) {
        if (Key(p) == key) return true;
    }
    return false;
}

FakeFileSystem& FakeFileSystem::AddFolder(const std::string& path) {
    for (std::string key = Key(path); key.size() > 3; key = ParentKey(key)) folders_.insert(key);
    return *this;
}

FakeFileSystem& FakeFileSystem::AddFile(const std::string& path, const std::string& contents,
                                        bool readOnly) {
    const std::string key = Key(path);
    AddFolder(ParentKey(key));
    files_[key] = File{contents, readOnly};
    return *this;
}

FakeFileSystem& FakeFileSystem::RemoveFile(const std::string& path) {
    files_.erase(Key(path));
    return *this;
}

const FakeFileSystem::File* FakeFileSystem::FindFile(const std::string& path) const {
    const auto it = files_.find(Key(path));
    return it == files_.end() ? nullptr : &it->second;
}

bool FakeFileSystem::HasFolder(const std::string& path) const {
    return folders_.count(Key(path)) != 0;
}

FolderResult FakeFileSystem::CreateFolder(const std::string& path) {
    calls.push_back("CreateFolder " + path);
    const std::string key = Key(path);
    if (Failing(failingFolders, key)) return FolderResult::Failed;
    // A file of that name blocks the folder with the same error as a folder does.
    if (folders_.count(key) != 0 || files_.count(key) != 0) return FolderResult::AlreadyExists;
    if (!ParentExists(key)) return FolderResult::Failed;
    folders_.insert(key);
    return FolderResult::Created;
}

bool FakeFileSystem::FileExists(const std::string& path) {
    calls.push_back("FileExists " + path);
    const std::string key = Key(path);
    return files_.count(key) != 0 || folders_.count(key) != 0;
}

std::uint32_t FakeFileSystem::InjectedCopyError(const std::string& key) const {
    for (const auto& [path, error] : failingCopies) {
        if (Key(path) == key) return error;
    }
    return 0;
}

bool FakeFileSystem::FileExistsUnredirected(const std::string& path) {
    calls.push_back("FileExistsUnredirected " + path);
    const std::string key = Key(path);
    return files_.count(key) != 0 || folders_.count(key) != 0;
}

std::uint32_t FakeFileSystem::CopyOver(const std::string& source, const std::string& destination) {
    if (onCopy) onCopy(destination);
    const std::string to = Key(destination);
    const auto from = files_.find(Key(source));
    const auto existing = files_.find(to);
    std::uint32_t error = 0;
    if (from == files_.end()) {
        error = 2;  // ERROR_FILE_NOT_FOUND
    } else if (!ParentExists(to)) {
        error = 3;  // ERROR_PATH_NOT_FOUND
    } else if (folders_.count(to) != 0 || (existing != files_.end() && existing->second.readOnly)) {
        error = 5;  // ERROR_ACCESS_DENIED
    } else {
        error = InjectedCopyError(to);
    }
    calls.push_back("Copy " + source + " -> " + destination + (error == 0 ? "" : " failed"));
    if (error != 0) return error;
    files_[to] = from->second;  // contents and attributes, as CopyFileA takes them
    copied.push_back(destination);
    return 0;
}

std::uint32_t FakeFileSystem::ReplaceAtRestart(const std::string& from, const std::string& to) {
    const bool ok = replaceAtRestartError == 0;
    calls.push_back("ReplaceAtRestart " + from + " -> " + to + (ok ? "" : " failed"));
    if (!ok) return replaceAtRestartError;
    atRestart.emplace_back(from, to);
    return 0;
}

bool FakeFileSystem::Delete(const std::string& path) {
    calls.push_back("Delete " + path);
    const std::string key = Key(path);
    // A file in use stays.
    const auto it = files_.find(key);
    if (it == files_.end() || Failing(inUse, key)) return false;
    files_.erase(it);
    return true;
}

bool FakeFileSystem::RemoveFolder(const std::string& path) {
    calls.push_back("RemoveFolder " + path);
    const std::string key = Key(path);
    if (folders_.count(key) == 0) return false;
    if (Failing(linkFolders, key)) {
        folders_.erase(key);
        return true;
    }
    const std::string prefix = key + "\\";
    for (const auto& f : files_) {
        if (f.first.compare(0, prefix.size(), prefix) == 0) return false;
    }
    for (const auto& f : folders_) {
        if (f.compare(0, prefix.size(), prefix) == 0) return false;
    }
    folders_.erase(key);
    return true;
}

std::uint32_t FakeFileSystem::DeleteAtRestart(const std::string& path) {
    const std::uint32_t error =
        folderAtRestartError != 0 && HasFolder(path) ? folderAtRestartError : replaceAtRestartError;
    calls.push_back("DeleteAtRestart " + path + (error ? " failed" : ""));
    if (error != 0) return error;
    deleteAtRestart.push_back(path);
    return 0;
}

bool FakeFileSystem::ListFolder(const std::string& folder, std::vector<FolderItem>& out) {
    out.clear();
    const std::string key = Key(folder);
    if (folders_.count(key) == 0) return false;
    const auto child = [&key](const std::string& k) {
        return ParentKey(k) == key ? k.substr(key.size() + (key.size() == 3 ? 0 : 1))
                                   : std::string();
    };
    for (const auto& f : folders_) {
        if (std::string name = child(f); !name.empty()) {
            out.push_back({name, true, Failing(linkFolders, f)});
        }
    }
    for (const auto& f : files_) {
        if (std::string name = child(f.first); !name.empty()) out.push_back({name, false});
    }
    return true;
}

std::optional<std::uint64_t> FakeFileSystem::FileSize(const std::string& path) {
    const File* file = FindFile(path);
    if (file == nullptr) return std::nullopt;
    return file->contents.size();
}

bool FakeFileSystem::SetNormalAttributes(const std::string& path) {
    calls.push_back("SetNormal " + path);
    const std::string key = Key(path);
    const auto it = files_.find(key);
    if (it != files_.end()) {
        it->second.readOnly = false;
        return true;
    }
    return folders_.count(key) != 0;
}

}  // namespace tq::test
