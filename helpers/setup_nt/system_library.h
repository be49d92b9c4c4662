// A system library loaded by full path for the length of one call. Its functions are looked up
// at run time, so SetupNT.dll itself loads on systems that lack some of them (the caller then
// gets a failed call), and a bare name never picks up a library from the caller's folder.
#pragma once

#include <windows.h>

#include "helpers/common/bounded_text.h"

namespace tq::helpers {

class SystemLibrary {
  public:
    explicit SystemLibrary(const char* name) {
        char path[MAX_PATH] = "";
        const UINT length = GetSystemDirectoryA(path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return;
        if (!Append(path, "\\") || !Append(path, name)) return;
        module_ = LoadLibraryA(path);
    }
    ~SystemLibrary() {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // The export `name` as a pointer of type Fn (declare it with decltype of the SDK's own
    // declaration, so the calling convention is the SDK's); null when missing.
    template <typename Fn>
    Fn Find(const char* name) const {
        if (module_ == nullptr) return nullptr;
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

  private:
    HMODULE module_ = nullptr;
};

}  // namespace tq::helpers
