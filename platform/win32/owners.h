// Owners of Windows handles that the platform/win32 files share: each closes its handle when it
// goes out of scope, and none can be copied (a copy would close twice).
#pragma once

#include <windows.h>

namespace tq {

// A kernel handle (process, thread, event, file); neither null nor INVALID_HANDLE_VALUE (what
// CreateFileA answers on failure) is closed.
class KernelHandle {
  public:
    explicit KernelHandle(HANDLE handle) : handle_(handle) {}
    ~KernelHandle() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

// A FindFirstFileA search for `pattern` (wildcards allowed), closed when the owner goes.
class FileSearch {
  public:
    explicit FileSearch(const char* pattern) : handle_(FindFirstFileA(pattern, &data_)) {}
    ~FileSearch() {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;
    // A file or folder matched.
    bool Found() const { return handle_ != INVALID_HANDLE_VALUE; }
    // The match at hand; Next moves to the following one (false at the end).
    const WIN32_FIND_DATAA& Data() const { return data_; }
    bool Next() { return Found() && FindNextFileA(handle_, &data_) != FALSE; }

  private:
    WIN32_FIND_DATAA data_{};
    HANDLE handle_;
};

// A library loaded by bare name (the standard search, the program's own folder first; the
// current directory was taken out of it at start-up), freed when the owner goes.
class LoadedLibrary {
  public:
    explicit LoadedLibrary(const char* name) : module_(LoadLibraryA(name)) {}
    ~LoadedLibrary() {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    HMODULE get() const { return module_; }

    // The export as a function of type Fn, or nullptr when the library or the export is missing.
    template <typename Fn>
    Fn* Export(const char* name) const {
        if (module_ == nullptr) return nullptr;
        return reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

  private:
    HMODULE module_;
};

}  // namespace tq
