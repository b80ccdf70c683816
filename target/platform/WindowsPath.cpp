#include "target/platform/WindowsPath.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "target/platform/SystemPath.h"

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace mig {
namespace fs = std::filesystem;

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

#ifndef _WIN32
bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return ".";
}

std::vector<std::string> splitComponents(std::string_view path) {
    std::vector<std::string> parts;
    std::string current;
    for (const char c : path) {
        if (c == '\\' || c == '/') {
            if (!current.empty()) parts.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) parts.push_back(std::move(current));
    return parts;
}
#endif

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

std::string driveFolder(char driveLetter) {
    const char upper = upperAscii(driveLetter);
#ifdef _WIN32
    return std::string(1, upper) + ":\\";
#else
    const std::string variable = std::string("KORVELAN_DRIVE_") + upper;
    if (const char* value = std::getenv(variable.c_str()); value && *value) return value;
    return homeFolder() + "/.local/share/korvelan/drive_" + lowerAscii(driveLetter);
#endif
}

std::optional<std::string> findEntryIgnoringCase(const std::string& folder, std::string_view name) {
    std::error_code ec;
    const fs::path dir = folder.empty() ? fs::path(".") : systemPath(folder);
    if (fs::exists(dir / systemPath(name), ec)) {
        // Exact spelling present (or the file system ignores case itself).
        return std::string(name);
    }
#ifdef _WIN32
    // Windows' file systems find names without regard to case themselves.
    return std::nullopt;
#else
    std::optional<std::string> best;
    fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
    if (ec) return std::nullopt;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        std::string entry = utf8Path(it->path().filename());
        if (equalsIgnoringCase(entry, name) && (!best || entry < *best)) best = std::move(entry);
    }
    return best;
#endif
}

std::string resolveWindowsPath(std::string_view windowsPath) {
#ifdef _WIN32
    return std::string(windowsPath);
#else
    std::string base;
    std::string_view rest = windowsPath;
    if (rest.size() >= 2 && isDriveLetter(rest[0]) && rest[1] == ':') {
        base = driveFolder(rest[0]);
        rest.remove_prefix(2);
    } else if (!rest.empty() && rest[0] == '\\') {
        // Root of the current drive, which for this program is always C:.
        base = driveFolder('C');
    } else if (!rest.empty() && rest[0] == '/') {
        base = "/";
    }

    std::string result = base;
    bool exists = true;
    for (const std::string& part : splitComponents(rest)) {
        std::string name = part;
        if (exists && part != "." && part != "..") {
            if (auto found = findEntryIgnoringCase(result, part)) {
                name = std::move(*found);
            } else {
                exists = false;
            }
        }
        if (!result.empty() && result.back() != '/') result.push_back('/');
        result += name;
    }
    if (result.empty()) result = base.empty() ? std::string(".") : base;
    return result;
#endif
}

}  // namespace mig
