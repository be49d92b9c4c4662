#include "tests/support/fake_registry.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"

namespace tq::test {

namespace {

std::string Parent(const std::string& path) {
    const auto cut = path.rfind('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

class FakeKey : public RegistryKey {
  public:
    FakeKey(FakeRegistry& registry, RegistryRoot root, std::string path, std::uint32_t rights)
        : registry_(registry), root_(root), path_(std::move(path)), rights_(rights) {
        ++registry_.openKeys;
    }
    ~FakeKey() override { --registry_.openKeys; }

    long EnumValue(std::uint32_t index, RegistryValueEntry& out) override {
        out = RegistryValueEntry{};
        FakeRegistry::Key* key = nullptr;
        if (const long e = Check(FakeRegistry::Op::Enum, kKeyQueryValue, key)) return e;
        if (index >= key->values.size()) return kRegNoMoreItems;
        const auto& value = key->values[index];
        if (value.name.size() >= sizeof(out.name) || value.data.size() >= sizeof(out.data)) {
            return kRegMoreData;
        }
        std::memcpy(out.name, value.name.c_str(), value.name.size() + 1);
        std::memcpy(out.data, value.data.c_str(), value.data.size() + 1);
        out.type = kRegSz;
        return kRegOk;
    }

    long QueryString(const std::string& name, char* buffer, std::size_t size) override {
        std::memset(buffer, 0, size);
        FakeRegistry::Key* key = nullptr;
        if (const long e = Check(FakeRegistry::Op::Query, kKeyQueryValue, key, name)) return e;
        for (const auto& value : key->values) {
            if (!MbsEqualNoCase(value.name, name)) continue;
            if (value.data.size() >= size) return kRegMoreData;
            std::memcpy(buffer, value.data.c_str(), value.data.size() + 1);
            return kRegOk;
        }
        return kRegFileNotFound;
    }

    long SetString(const std::string& name, const std::string& data) override {
        FakeRegistry::Key* key = nullptr;
        if (const long e = Check(FakeRegistry::Op::Set, kKeySetValue, key, name)) return e;
        registry_.changes.push_back("set " + FakeRegistry::Name(root_, path_) + "|" + name + "=" +
                                    data);
        for (auto& value : key->values) {
            if (MbsEqualNoCase(value.name, name)) {
                value.data = data;  // the stored name keeps its letter case
                return kRegOk;
            }
        }
        key->values.push_back({name, data});
        return kRegOk;
    }

    // Kept as the text "dword:<n>", so that changes and ValueOf show it.
    long SetDword(const std::string& name, std::uint32_t data) override {
        return SetString(name, "dword:" + std::to_string(data));
    }

    long DeleteValue(const std::string& name) override {
        FakeRegistry::Key* key = nullptr;
        if (const long e = Check(FakeRegistry::Op::DeleteValue, kKeySetValue, key, name)) return e;
        for (auto it = key->values.begin(); it != key->values.end(); ++it) {
            if (MbsEqualNoCase(it->name, name)) {
                registry_.changes.push_back("delete " + FakeRegistry::Name(root_, path_) + "|" +
                                            name);
                key->values.erase(it);
                return kRegOk;
            }
        }
        return kRegFileNotFound;
    }

    KeyOpening CreateSubKey(const std::string& name, std::uint32_t rights) override {
        FakeRegistry::Key* key = nullptr;
        if (const long e = Check(FakeRegistry::Op::Create, kKeyCreateSubKey, key)) {
            return {nullptr, e, false};
        }
        return registry_.CreateKey(root_, name.empty() ? path_ : path_ + "\\" + name, rights);
    }

    long Flush() override {
        FakeRegistry::Key* key = nullptr;
        if (const long e = Check(FakeRegistry::Op::Flush, 0, key)) return e;
        registry_.changes.push_back("flush " + FakeRegistry::Name(root_, path_));
        return kRegOk;
    }

  private:
    // The key as it is now (it may have been deleted while open), the rights the call needs
    // and any injected failure.
    long Check(FakeRegistry::Op op, std::uint32_t needed, FakeRegistry::Key*& key,
               const std::string& valueName = "") {
        key = registry_.FindKey(root_, path_);
        if (key == nullptr) return 1018;  // ERROR_KEY_DELETED
        if ((rights_ & needed) != needed) return kRegAccessDenied;
        // Failures of an opening are injected there, not on the key's later calls.
        if (op == FakeRegistry::Op::Create) return 0;
        return registry_.Injected(op, root_, path_, valueName);
    }

    FakeRegistry& registry_;
    RegistryRoot root_;
    std::string path_;
    std::uint32_t rights_;
};

}  // namespace

std::string FakeRegistry::Name(RegistryRoot root, const std::string& path) {
    return (root == RegistryRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + path;
}

FakeRegistry& FakeRegistry::AddKey(RegistryRoot root, const std::string& path) {
    if (path.empty() || FindKey(root, path)) return *this;
    AddKey(root, Parent(path));
    keys_.push_back({root, path, {}});
    return *this;
}

FakeRegistry& FakeRegistry::AddValue(RegistryRoot root, const std::string& path,
                                     const std::string& name, const std::string& data) {
    AddKey(root, path);
    Key* key = FindKey(root, path);
    for (auto& value : key->values) {
        if (MbsEqualNoCase(value.name, name)) {
            value.data = data;
            return *this;
        }
    }
    key->values.push_back({name, data});
    return *this;
}

void FakeRegistry::Fail(Op op, RegistryRoot root, const std::string& path, long error,
                        const std::string& valueName) {
    failures_.push_back({op, root, path, error, valueName});
}

long FakeRegistry::Injected(Op op, RegistryRoot root, const std::string& path,
                            const std::string& valueName) const {
    for (const auto& f : failures_) {
        if (f.op == op && f.root == root && MbsEqualNoCase(f.path, path) &&
            (f.valueName.empty() || MbsEqualNoCase(f.valueName, valueName))) {
            return f.error;
        }
    }
    return kRegOk;
}

FakeRegistry::Key* FakeRegistry::FindKey(RegistryRoot root, const std::string& path) {
    for (auto& key : keys_) {
        if (key.root == root && MbsEqualNoCase(key.path, path)) return &key;
    }
    return nullptr;
}

std::optional<std::string> FakeRegistry::ValueOf(RegistryRoot root, const std::string& path,
                                                 const std::string& name) {
    if (Key* key = FindKey(root, path)) {
        for (const auto& value : key->values) {
            if (MbsEqualNoCase(value.name, name)) return value.data;
        }
    }
    return std::nullopt;
}

KeyOpening FakeRegistry::OpenKey(RegistryRoot root, const std::string& path, std::uint32_t rights) {
    if (const long e = Injected(Op::Open, root, path)) return {nullptr, e, false};
    if (!FindKey(root, path)) return {nullptr, kRegFileNotFound, false};
    openings.push_back({Name(root, path), rights});
    return {std::make_unique<FakeKey>(*this, root, path, rights), kRegOk, false};
}

KeyOpening FakeRegistry::CreateKey(RegistryRoot root, const std::string& path,
                                   std::uint32_t rights) {
    if (const long e = Injected(Op::Create, root, path)) return {nullptr, e, false};
    const bool created = FindKey(root, path) == nullptr;
    if (created) {
        AddKey(root, path);
        changes.push_back("create " + Name(root, path));
    }
    openings.push_back({Name(root, path), rights});
    return {std::make_unique<FakeKey>(*this, root, path, rights), kRegOk, created};
}

long FakeRegistry::DeleteKey(RegistryRoot root, const std::string& path) {
    if (const long e = Injected(Op::DeleteKey, root, path)) return e;
    const auto it = std::find_if(keys_.begin(), keys_.end(), [&](const Key& k) {
        return k.root == root && MbsEqualNoCase(k.path, path);
    });
    if (it == keys_.end()) return kRegFileNotFound;
    for (const auto& key : keys_) {
        // A key with subkeys is refused, as RegDeleteKeyA does on the NT family.
        if (key.root == root && key.path.size() > path.size() && key.path[path.size()] == '\\' &&
            MbsEqualNoCase(key.path.substr(0, path.size()), path)) {
            return kRegAccessDenied;
        }
    }
    keys_.erase(it);
    changes.push_back("deletekey " + Name(root, path));
    return kRegOk;
}

}  // namespace tq::test
