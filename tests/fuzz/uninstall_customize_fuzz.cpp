// Any customize.ini (the local and the installed one) and any program path, under the lead bytes
// of code page 936 or of a Western code page, go through the uninstaller's start-up and its
// whole procedure against an in-memory Windows. Every path the procedure deletes or removes must
// lie inside the install folder or the Start-menu group (each where it may be at all), or be
// customize.ini or a copy of this program in the system folder. "Inside" is judged by how
// Windows itself would read the path, not by the uninstaller's own rules. A broken property
// aborts, so libFuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/fake_system_paths.h"
#include "tests/support/fake_uninstall_system.h"
#include "uninstall/customize.h"
#include "uninstall/procedure.h"

namespace {

using Path = std::vector<std::string>;

constexpr char kWindows[] = "C:\\WINDOWS";
constexpr char kSystem[] = "C:\\WINDOWS\\system32";
constexpr char kPrograms[] = "C:\\ProgramData\\Start Menu\\Programs";
constexpr char kProgramBytes[] = "MZ this uninstaller";

void Require(bool holds, const char* what, const std::string& path) {
    if (holds) return;
    std::fprintf(stderr, "uninstall fuzz: %s: %s\n", what, path.c_str());
    std::abort();
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsDevice(std::string base) {
    const std::size_t dot = base.find('.');
    if (dot != std::string::npos) base.resize(dot);
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = Lower(c);
    for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
        if (base == device) return true;
    }
    if (base.size() != 4) return false;
    const auto digit = static_cast<unsigned char>(base[3]);
    return (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
           ((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3);
}

// The path as Windows resolves it: a drive, then components split at "\" and "/" (a trail byte
// is part of its character), "." dropped, ".." climbing, trailing dots and blanks cut, letters
// folded. Nothing when Windows would reach something that is no plain file of that drive: no
// drive, a ":" after it (a stream), a wildcard, a device name, a lead byte without its trail.
std::optional<Path> Resolve(const std::string& path, bool chinese) {
    const auto lead = [chinese](unsigned char c) { return chinese && c >= 0x81 && c <= 0xFE; };
    if (path.size() < 3 || path[1] != ':' || (path[2] != '\\' && path[2] != '/')) {
        return std::nullopt;
    }
    Path parts{std::string(1, Lower(path[0]))};
    std::string current;
    const auto finish = [&]() -> bool {
        while (!current.empty() && (current.back() == '.' || current.back() == ' ')) {
            if (current == "..") break;
            current.pop_back();
        }
        if (current == "..") {
            if (parts.size() > 1) parts.pop_back();
        } else if (!current.empty() && current != ".") {
            if (IsDevice(current)) return false;
            parts.push_back(current);
        }
        current.clear();
        return true;
    };
    for (std::size_t i = 3; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (lead(c)) {
            if (i + 1 >= path.size()) return std::nullopt;
            current += path[i];
            current += path[++i];
            continue;
        }
        if (c == '\\' || c == '/') {
            if (!finish()) return std::nullopt;
            continue;
        }
        if (c == ':' || c == '*' || c == '?' || c < 0x20) return std::nullopt;
        current += Lower(path[i]);
    }
    if (!finish()) return std::nullopt;
    return parts;
}

bool Within(const Path& path, const Path& folder, bool orEqual) {
    if (path.size() < folder.size() || (!orEqual && path.size() == folder.size())) return false;
    for (std::size_t i = 0; i < folder.size(); ++i) {
        if (path[i] != folder[i]) return false;
    }
    return true;
}

// customize.ini text as the profile functions read it, into the fake under `file`.
void LoadIni(tq::test::FakeUninstallSystem& system, const std::string& file,
             std::string_view text) {
    if (file.empty()) return;
    std::string section;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        start = end + 1;
        const auto trim = [](std::string s) {
            while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.erase(0, 1);
            while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
            return s;
        };
        line = trim(line);
        if (line.size() >= 2 && line.front() == '[') {
            const std::size_t close = line.find(']');
            section = line.substr(1, (close == std::string::npos ? line.size() : close) - 1);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || section.empty()) continue;
        system.SetValue(file, section, trim(line.substr(0, equals)), trim(line.substr(equals + 1)));
    }
}

std::string PathOf(const std::string& call) {
    std::string path = call.substr(call.find(' ') + 1);
    if (path.size() > 7 && path.compare(path.size() - 7, 7, " failed") == 0) {
        path.resize(path.size() - 7);
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool chinese = (data[0] & 1) != 0;
    const bool copyNamed = (data[0] & 2) != 0;
    std::vector<std::string_view> parts;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (int i = 0; i < 2; ++i) {
        const std::size_t cut = rest.find('\0');
        parts.push_back(rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    parts.push_back(rest);

    tq::test::FakeUninstallSystem system;
    system.leadBytes936 = chinese;
    system.systemFolder = kSystem;
    system.commonPrograms = std::string(kPrograms);
    system.windowsFolders = {kWindows};
    system.programFilesFolders = {"C:\\Program Files"};
    tq::test::FakeSystemPaths paths;
    paths.module = std::string(parts[0]);
    paths.windows = kWindows;
    paths.leadBytes936 = chinese;

    // The local file first: it says where the package is.
    tq::uninstall::CustomizePaths found;
    {
        tq::test::FakeUninstallSystem probe;
        found = tq::uninstall::ComputeCustomizePaths(paths, probe);
    }
    LoadIni(system, found.localFile, parts[1]);
    if (!found.programFile.empty()) system.SetContents(found.programFile, kProgramBytes);
    found = tq::uninstall::ComputeCustomizePaths(paths, system);
    LoadIni(system, found.installedFile, parts[2]);

    // The package's monitor, so the procedure goes on; the system folder's files, one of them a
    // copy of this program, and whatever Uninstall_File names a copy or not.
    if (!found.installFolder.empty()) {
        system.AddFile(found.installFolder + "\\" +
                       tq::uninstall::ReadCustomize(system, found.installedFile,
                                                    tq::uninstall::keys::kMonitorApp));
    }
    std::map<std::string, bool> copies;  // lower-case path -> a copy of this program
    const auto place = [&](const std::string& path, bool copy) {
        system.SetContents(path, copy ? kProgramBytes : "MZ something else");
        std::string key = path;
        for (char& c : key) c = Lower(c);
        copies[key] = copy;
    };
    place(std::string(kSystem) + "\\VNTUninstall.exe", true);
    place(std::string(kSystem) + "\\kernel32.dll", false);
    place(std::string(kSystem) + "\\" +
              tq::uninstall::ReadCustomize(system, found.installedFile,
                                           tq::uninstall::keys::kUninstallFile),
          copyNamed);
    // The program path may itself be one of those files: a copy is what holds the same bytes
    // as the program's file once everything is in place.
    const std::optional<std::string> own = found.programFile.empty()
                                               ? std::nullopt
                                               : system.ReadFileBytes(found.programFile, 1u << 20);
    for (auto& placed : copies) {
        const std::optional<std::string> bytes = system.ReadFileBytes(placed.first, 1u << 20);
        placed.second = own && bytes && *own == *bytes;
    }
    // Read while the installed file is there: the run deletes it.
    const std::string groupName = tq::uninstall::ReadCustomize(
        system, found.installedFile, tq::uninstall::keys::kStartMenuFolder);
    system.calls.clear();

    tq::uninstall::RunUninstall(found, system);

    // Where deletions may be at all: an install folder below the drive's root that is neither
    // the Windows folder nor below it nor Program Files; a group below the Programs folder.
    const std::optional<Path> root = Resolve("C:\\", chinese);
    const std::optional<Path> windows = Resolve(kWindows, chinese);
    const std::optional<Path> programFiles = Resolve("C:\\Program Files", chinese);
    const std::optional<Path> system32 = Resolve(kSystem, chinese);
    const std::optional<Path> programs = Resolve(kPrograms, chinese);
    std::optional<Path> folder =
        found.installFolder.empty() ? std::nullopt : Resolve(found.installFolder, chinese);
    if (folder && (!Within(*folder, *root, false) || Within(*folder, *windows, true) ||
                   *folder == *programFiles)) {
        folder.reset();
    }
    std::optional<Path> group = Resolve(std::string(kPrograms) + "\\" + groupName, chinese);
    if (group && !Within(*group, *programs, false)) group.reset();

    // Why `path` may not be deleted (or removed, a folder); nullptr when it may.
    const auto refusal = [&](const std::string& path, bool removeFolder) -> const char* {
        const std::optional<Path> resolved = Resolve(path, chinese);
        if (!resolved) return "a path Windows would not read as a plain file";
        if (folder && Within(*resolved, *folder, removeFolder)) return nullptr;
        if (group && Within(*resolved, *group, removeFolder)) return nullptr;
        if (removeFolder) return "a folder removed outside the package";
        Path ini = *system32;
        ini.push_back("customize.ini");
        if (*resolved == ini) return nullptr;
        if (!Within(*resolved, *system32, false)) return "a file deleted outside the package";
        std::string key = path;
        for (char& c : key) c = Lower(c);
        if (copies.count(key) == 0 || !copies[key]) {
            return "a system-folder file that is not this program deleted";
        }
        return nullptr;
    };
    for (const std::string& call : system.calls) {
        const bool file = call.rfind("RemoveFile ", 0) == 0 || call.rfind("SetNormal ", 0) == 0;
        const bool removeFolder = call.rfind("RemoveFolder ", 0) == 0;
        if (!file && !removeFolder) continue;
        // The fake marks a failed call with " failed", which a name may end in as well.
        const std::string whole = call.substr(call.find(' ') + 1);
        const std::string path = PathOf(call);
        const char* why = refusal(whole, removeFolder);
        if (why != nullptr && path != whole) why = refusal(path, removeFolder);
        Require(why == nullptr, why, whole);
    }
    return 0;
}
