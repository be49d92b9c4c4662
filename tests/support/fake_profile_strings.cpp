#include "tests/support/fake_profile_strings.h"

#include <cctype>

namespace tq::test {
namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Folder(const std::string& path) {
    const auto cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace

FakeProfileStrings::Key FakeProfileStrings::MakeKey(const std::string& path,
                                                    const std::string& section,
                                                    const std::string& key) {
    return {Lower(path), Lower(section), Lower(key)};
}

void FakeProfileStrings::Log(const std::string& call) {
    calls.push_back(call);
    if (files_ != nullptr) files_->calls.push_back(call);
}

FakeProfileStrings& FakeProfileStrings::Set(const std::string& path, const std::string& section,
                                            const std::string& key, const std::string& value) {
    if (files_ != nullptr && files_->FindFile(path) == nullptr) files_->AddFile(path);
    values_[MakeKey(path, section, key)] = value;
    return *this;
}

const std::string* FakeProfileStrings::Find(const std::string& path, const std::string& section,
                                            const std::string& key) const {
    const auto it = values_.find(MakeKey(path, section, key));
    return it == values_.end() ? nullptr : &it->second;
}

std::string FakeProfileStrings::ReadStringOr(const std::string& path, const std::string& section,
                                             const std::string& key,
                                             const std::string& defaultValue,
                                             std::size_t capacity) {
    Log("ReadProfile " + path + " [" + section + "] " + key);
    if (capacity == 0) return {};
    const std::string* value = nullptr;
    if (files_ == nullptr || files_->FindFile(path) != nullptr) value = Find(path, section, key);
    return (value != nullptr ? *value : defaultValue).substr(0, capacity - 1);
}

bool FakeProfileStrings::WriteString(const std::string& path, const std::string& section,
                                     const std::string& key, const std::string& value) {
    bool ok = true;
    if (files_ != nullptr) {
        const FakeFileSystem::File* file = files_->FindFile(path);
        ok = file != nullptr ? !file->readOnly : files_->HasFolder(Folder(path));
    }
    Log("WriteProfile " + path + " [" + section + "] " + key + "=" + value + (ok ? "" : " failed"));
    if (!ok) return false;
    if (files_ != nullptr && files_->FindFile(path) == nullptr) files_->AddFile(path);
    values_[MakeKey(path, section, key)] = value;
    return true;
}

}  // namespace tq::test
