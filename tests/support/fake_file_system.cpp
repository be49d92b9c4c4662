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

bool FakeFileSystem::Copy(const std::string& source, const std::string& destination) {
    if (onCopy) onCopy(destination);
    const std::string to = Key(destination);
    const auto from = files_.find(Key(source));
    const auto existing = files_.find(to);
    const bool ok = from != files_.end() && ParentExists(to) && folders_.count(to) == 0 &&
                    (existing == files_.end() || !existing->second.readOnly) &&
                    !Failing(failingCopies, to);
    calls.push_back("Copy " + source + " -> " + destination + (ok ? "" : " failed"));
    if (!ok) return false;
    files_[to] = from->second;  // contents and attributes, as CopyFileA takes them
    copied.push_back(destination);
    return true;
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
