#pragma once
// Shared libraries loaded while the program runs (dlopen where there is a dynamic loader of
// that kind, LoadLibrary on Windows): the one place where the program asks the system for a
// library file and for a function exported by it.
#include <string>

namespace mig {

class SharedLibrary {
public:
    // Any function of a library; the caller casts it to the function's own type.
    using Function = void (*)();

    // Loads `file` (UTF-8). A bare file name is looked for where the system looks for libraries
    // (on Windows the executable's folder first, then the system folders and PATH; elsewhere
    // the dynamic loader's folders); a path is taken as it stands, and on Windows the libraries
    // it needs are then looked for in its own folder first. The result is empty when the system
    // cannot load the file (missing, not a library of this system, or a library it needs is
    // missing); no box of the system's own is shown.
    static SharedLibrary load(const std::string& file);

    SharedLibrary() = default;
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    // Unloads the library unless it is kept.
    ~SharedLibrary();

    explicit operator bool() const { return handle_ != nullptr; }
    // The function the library exports as `name`; null when it exports none of that name (or
    // nothing is loaded).
    Function function(const char* name) const;
    // Keeps the library loaded until the process ends, whatever becomes of this object. Once
    // any of its code has run (it may have started threads or installed handlers), a library
    // must never be unloaded.
    void keep() { kept_ = true; }

private:
    explicit SharedLibrary(void* handle) : handle_(handle) {}
    void unload();

    void* handle_ = nullptr;
    bool kept_ = false;
};

}  // namespace mig
