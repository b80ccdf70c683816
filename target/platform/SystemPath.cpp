#include "target/platform/SystemPath.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <vector>
#endif

namespace mig {

std::filesystem::path systemPath(std::string_view utf8) {
#ifdef _WIN32
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
#else
    return std::filesystem::path(std::string(utf8));
#endif
}

std::string utf8Path(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
#else
    return path.string();
#endif
}

std::string executablePath() {
#ifdef _WIN32
    // The name may be longer than MAX_PATH: grow the buffer until it fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return utf8Path(std::filesystem::path(std::wstring(buffer.data(), n)));
        buffer.resize(buffer.size() * 2);
    }
#else
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
#endif
}

}  // namespace mig
