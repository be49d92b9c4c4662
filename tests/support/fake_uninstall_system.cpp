#include "tests/support/fake_uninstall_system.h"

#include <cctype>

namespace tq::test {

namespace {

using uninstall::Firewall;
using uninstall::UninstallText;

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Logs each call into its system's log; "destroyed" when the object goes.
class LoggingFirewall : public Firewall {
  public:
    explicit LoggingFirewall(FakeUninstallSystem& system) : system_(system) {}
    ~LoggingFirewall() override { Log("destroyed"); }

    int OpenProfile() override {
        Log("OpenProfile");
        return uninstall::FW_NOERROR;
    }
    int CloseProfile() override {
        Log("CloseProfile");
        return uninstall::FW_NOERROR;
    }
    int IsApplicationEnabled(const char16_t* path, bool& enabled) override {
        Log("IsApplicationEnabled " + (path != nullptr ? ToUtf8(path) : std::string("null")));
        enabled = false;
        return uninstall::FW_NOERROR;
    }
    int RemoveApplication(const char16_t* path) override {
        const std::u16string text = path != nullptr ? path : u"";
        system_.firewallApplications.push_back(text);
        Log("RemoveApplication " + (path != nullptr ? ToUtf8(text) : std::string("null")));
        return uninstall::FW_NOERROR;
    }
    int IsPortEnabled(std::int32_t port, std::int32_t protocol, bool& enabled) override {
        Log("IsPortEnabled " + std::to_string(port) + " " + std::to_string(protocol));
        enabled = false;
        return uninstall::FW_NOERROR;
    }
    int RemovePort(std::int32_t port, std::int32_t protocol) override {
        Log("RemovePort " + std::to_string(port) + " " + std::to_string(protocol));
        return uninstall::FW_NOERROR;
    }

  private:
    void Log(const std::string& call) { system_.calls.push_back("Firewall " + call); }
    FakeUninstallSystem& system_;
};

}  // namespace

std::string ToUtf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

FakeUninstallSystem::FakeUninstallSystem() {
    texts[UninstallText::NothingToUninstall] = "没有需要卸载的程序[%s]";
    texts[UninstallText::ToolRunning] = "[%s]正在运行,请先关闭.";
    texts[UninstallText::Finished] = "恭喜，软件卸载成功完成！";
    texts[UninstallText::FolderRefused] = "refused [%s]";
    texts[UninstallText::FilesLeft] = "files left";
}

std::string FakeUninstallSystem::Key(const std::string& path) {
    std::string key = Lower(path);
    while (key.size() > 3 && key.back() == '\\') key.pop_back();
    return key;
}

// "c:\a\b" -> "c:\a"; "c:\a" -> "c:\"; a drive root has no parent ("").
std::string FakeUninstallSystem::Parent(const std::string& key) {
    const auto cut = key.find_last_of('\\');
    if (cut == std::string::npos || key.size() <= 3) return {};
    return cut == 2 ? key.substr(0, 3) : key.substr(0, cut);
}

FakeUninstallSystem& FakeUninstallSystem::AddFolder(const std::string& path) {
    for (std::string key = Key(path); key.size() > 3; key = Parent(key)) folders_.insert(key);
    return *this;
}

FakeUninstallSystem& FakeUninstallSystem::AddFile(const std::string& path, bool readOnly) {
    const std::string key = Key(path);
    AddFolder(Parent(key));
    files_[key] = readOnly;
    return *this;
}

FakeUninstallSystem& FakeUninstallSystem::SetValue(const std::string& file,
                                                   const std::string& section,
                                                   const std::string& key,
                                                   const std::string& value) {
    if (!HasFile(file)) AddFile(file);
    values_[{Key(file), Lower(section), Lower(key)}] = value;
    return *this;
}

FakeUninstallSystem& FakeUninstallSystem::SetContents(const std::string& path,
                                                      const std::string& bytes) {
    if (!HasFile(path)) AddFile(path);
    contents_[Key(path)] = bytes;
    return *this;
}

FakeUninstallSystem& FakeUninstallSystem::MarkLink(const std::string& path) {
    if (!HasFile(path)) AddFolder(path);
    links_.insert(Key(path));
    return *this;
}

FakeUninstallSystem& FakeUninstallSystem::AddAlias(const std::string& alias,
                                                   const std::string& path) {
    aliases_[Key(alias)] = Key(path);
    return *this;
}

std::string FakeUninstallSystem::Resolved(const std::string& path) const {
    const std::string key = Key(path);
    for (const auto& alias : aliases_) {
        const std::string& from = alias.first;
        if (key == from) return alias.second;
        if (key.size() > from.size() && key.compare(0, from.size(), from) == 0 &&
            key[from.size()] == '\\') {
            return alias.second + key.substr(from.size());
        }
    }
    return key;
}

bool FakeUninstallSystem::HasFile(const std::string& path) const {
    return files_.count(Key(path)) != 0;
}

bool FakeUninstallSystem::HasFolder(const std::string& path) const {
    return folders_.count(Key(path)) != 0;
}

std::vector<std::string> FakeUninstallSystem::CallsOf(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& call : calls) {
        if (call.compare(0, prefix.size(), prefix) != 0) continue;
        if (call.size() == prefix.size()) {
            found.emplace_back();
        } else if (call[prefix.size()] == ' ') {
            found.push_back(call.substr(prefix.size() + 1));
        }
    }
    return found;
}

std::string FakeUninstallSystem::ReadStringOr(const std::string& path, const std::string& section,
                                              const std::string& key,
                                              const std::string& defaultValue,
                                              std::size_t capacity) {
    calls.push_back("ReadProfile " + path + " [" + section + "] " + key);
    if (capacity == 0) return {};
    const std::string* value = &defaultValue;
    if (HasFile(path)) {
        const auto it = values_.find({Key(path), Lower(section), Lower(key)});
        if (it != values_.end()) value = &it->second;
    }
    return value->substr(0, capacity - 1);
}

bool FakeUninstallSystem::WriteString(const std::string& path, const std::string& section,
                                      const std::string& key, const std::string& value) {
    calls.push_back("WriteProfile " + path + " [" + section + "] " + key + "=" + value);
    return false;  // the uninstaller writes nothing
}

bool FakeUninstallSystem::FindMatch(const std::string& path) {
    calls.push_back("FindMatch " + path);
    return HasFile(path) || HasFolder(path);
}

bool FakeUninstallSystem::RemoveFile(const std::string& path) {
    const auto it = files_.find(Key(path));
    const bool ok = it != files_.end() && !it->second;
    if (ok) files_.erase(it);
    calls.push_back("RemoveFile " + path + (ok ? "" : " failed"));
    return ok;
}

bool FakeUninstallSystem::SetNormalAttributes(const std::string& path) {
    const auto it = files_.find(Key(path));
    const bool ok = it != files_.end() || HasFolder(path);
    if (it != files_.end()) it->second = false;
    calls.push_back("SetNormal " + path + (ok ? "" : " failed"));
    return ok;
}

bool FakeUninstallSystem::RemoveFolder(const std::string& path) {
    const std::string key = Key(path);
    bool ok = folders_.count(key) != 0;
    for (const auto& file : files_) ok = ok && Parent(file.first) != key;
    for (const auto& folder : folders_) ok = ok && Parent(folder) != key;
    if (ok) folders_.erase(key);
    calls.push_back("RemoveFolder " + path + (ok ? "" : " failed"));
    return ok;
}

bool FakeUninstallSystem::WindowTitled(const std::string& title) {
    calls.push_back("WindowTitled " + title);
    return windows.count(title) != 0;
}

std::vector<std::string> FakeUninstallSystem::RunningPrograms() {
    calls.push_back("RunningPrograms");
    return programs;
}

bool FakeUninstallSystem::IsLeadByte(unsigned char c) {
    return leadBytes936 && c >= 0x81 && c <= 0xFE;
}

std::optional<std::uint32_t> FakeUninstallSystem::Attributes(const std::string& path) {
    const std::string key = Resolved(path);
    std::uint32_t attributes = 0;
    if (files_.count(key) != 0) {
        attributes = files_.at(key) ? 0x1 : 0x80;  // read-only, or normal
    } else if (folders_.count(key) != 0 || (key.size() == 3 && key[1] == ':')) {
        attributes = uninstall::kAttributeDirectory;
    } else {
        return std::nullopt;
    }
    if (links_.count(Key(path)) != 0) attributes |= uninstall::kAttributeReparsePoint;
    return attributes;
}

std::optional<std::string> FakeUninstallSystem::Identity(const std::string& path) {
    if (!identities || !Attributes(path)) return std::nullopt;
    return Resolved(path);
}

std::optional<std::string> FakeUninstallSystem::ReadFileBytes(const std::string& path,
                                                              std::size_t limit) {
    calls.push_back("ReadFileBytes " + path);
    const std::string key = Key(path);
    if (files_.count(key) == 0) return std::nullopt;
    const auto it = contents_.find(key);
    const std::string bytes = it != contents_.end() ? it->second : key;
    if (bytes.size() > limit) return std::nullopt;
    return bytes;
}

std::optional<std::string> FakeUninstallSystem::CommonProgramsFolder() {
    calls.push_back("CommonPrograms");
    return commonPrograms;
}

std::string FakeUninstallSystem::SystemFolder() {
    calls.push_back("SystemFolder");
    return systemFolder;
}

bool FakeUninstallSystem::InitializeCom() {
    calls.push_back("InitializeCom");
    return comInitializes;
}

void FakeUninstallSystem::UninitializeCom() {
    calls.push_back("UninitializeCom");
}

std::u16string FakeUninstallSystem::SystemTextToUtf16(const std::string& text) {
    calls.push_back("ToUtf16 " + text);
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        char32_t c = extra == 0 ? b : (b & (0x3F >> extra));
        for (int k = 1; k <= extra && i + static_cast<std::size_t>(k) < text.size(); ++k) {
            c = (c << 6) |
                (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::unique_ptr<uninstall::Firewall> FakeUninstallSystem::CreateFirewall() {
    calls.push_back("Firewall created");
    return std::make_unique<LoggingFirewall>(*this);
}

std::string FakeUninstallSystem::LoadText(UninstallText text) {
    return texts.at(text);
}

void FakeUninstallSystem::ShowMessage(const std::string& text, const std::string& caption) {
    calls.push_back("Message " + text + " | " + caption);
    messages.push_back({text, caption});
}

}  // namespace tq::test
