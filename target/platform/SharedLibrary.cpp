#include "target/platform/SharedLibrary.h"

#include <utility>

#include "target/platform/SystemPath.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace mig {

SharedLibrary SharedLibrary::load(const std::string& file) {
    if (file.empty()) return {};
#ifdef _WIN32
    const std::filesystem::path path = systemPath(file);
    // Without this a library that cannot be loaded may bring up a box of Windows' own.
    DWORD formerMode = 0;
    const bool modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &formerMode) != 0;
    // For a full path the libraries it needs (the client's runtime DLLs) come from its folder
    // first; a bare name is searched for in the usual order.
    HMODULE module = path.is_absolute() ? LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                                        : LoadLibraryW(path.c_str());
    if (modeSet) SetThreadErrorMode(formerMode, nullptr);
    return SharedLibrary(reinterpret_cast<void*>(module));
#else
    return SharedLibrary(::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL));
#endif
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), kept_(std::exchange(other.kept_, false)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        unload();
        handle_ = std::exchange(other.handle_, nullptr);
        kept_ = std::exchange(other.kept_, false);
    }
    return *this;
}

SharedLibrary::~SharedLibrary() { unload(); }

void SharedLibrary::unload() {
    if (handle_ && !kept_) {
#ifdef _WIN32
        FreeLibrary(reinterpret_cast<HMODULE>(handle_));
#else
        ::dlclose(handle_);
#endif
    }
    handle_ = nullptr;
    kept_ = false;
}

SharedLibrary::Function SharedLibrary::function(const char* name) const {
    if (!handle_) return nullptr;
#ifdef _WIN32
    return reinterpret_cast<Function>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name));
#else
    return reinterpret_cast<Function>(::dlsym(handle_, name));
#endif
}

}  // namespace mig
