#include "install/network/host_address.h"

namespace tq {
namespace {

// `name` inside `folder`, with one backslash between them (a drive root such as "C:\" keeps its
// own).
std::string Join(const std::string& folder, const char* name) {
    if (!folder.empty() && folder.back() == '\\') return folder + name;
    return folder + "\\" + name;
}

}  // namespace

std::string HostAddressFolder(SystemPaths& paths) {
    const std::string appData = paths.ApplicationDataFolder();
    if (!appData.empty()) return Join(appData, kHostAddressFolderName);
    // The program's own folder: its path up to the last backslash ("E:\TQ82Ins.exe" -> "E:").
    const std::string program = paths.ModuleFileName();
    const auto cut = program.find_last_of('\\');
    // Without a program folder there is no place for the file: a bare "\TRX100" would land in
    // the root of whatever drive is current.
    if (cut == std::string::npos || cut == 0) return {};
    return Join(program.substr(0, cut), kHostAddressFolderName);
}

std::string HostAddressFilePath(SystemPaths& paths) {
    const std::string folder = HostAddressFolder(paths);
    return folder.empty() ? std::string() : Join(folder, kHostAddressFileName);
}

std::string ReadHostAddress(SystemPaths& paths, FileSystem& files, ProfileStrings& profile) {
    const std::string folder = HostAddressFolder(paths);
    if (folder.empty()) return {};
    files.CreateFolder(folder);
    return profile.ReadString(Join(folder, kHostAddressFileName), kHostAddressSection,
                              kHostAddressKey, kHostAddressBufferSize);
}

void StoreHostAddress(SystemPaths& paths, FileSystem& files, ProfileStrings& profile,
                      const std::string& address) {
    const std::string folder = HostAddressFolder(paths);
    if (folder.empty()) return;
    files.CreateFolder(folder);
    const std::string path = Join(folder, kHostAddressFileName);
    // A read-only file would refuse the write.
    files.SetNormalAttributes(path);
    profile.WriteString(path, kHostAddressSection, kHostAddressKey, address);
}

std::vector<std::vector<std::string>> AdapterRows(NetworkAdapters& adapters, std::FILE* out) {
    std::vector<AdapterAddress> addresses;
    std::vector<std::vector<std::string>> rows;
    if (!adapters.ListAddresses(addresses)) {
        if (out != nullptr) std::fputs(kAdapterListFailedText, out);
        return rows;
    }
    rows.reserve(addresses.size());
    for (const auto& a : addresses) rows.push_back({a.description, a.address});
    return rows;
}

}  // namespace tq
