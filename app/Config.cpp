#include "app/Config.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "target/platform/SystemPath.h"

namespace mig {

std::string ProgramDir;
std::string ServerAddress;

std::string TrimBlanks(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && text[first] == ' ') ++first;
    while (last > first && text[last - 1] == ' ') --last;
    return std::string(text.substr(first, last - first));
}

namespace {

void applyLine(std::string_view line, std::string& address) {
    if (line.size() < kServerKey.size() || line.substr(0, kServerKey.size()) != kServerKey) return;
    // Column 49 separates key and value and is never read; the value is columns 50 to 109.
    std::string_view value = line.size() > 49 ? line.substr(49, 60) : std::string_view{};
    std::string trimmed = TrimBlanks(value);
    if (trimmed.size() > kServerAddressCapacity) trimmed.resize(kServerAddressCapacity);
    address = std::move(trimmed);
}

}  // namespace

std::string serverAddressFromConfig(std::string_view contents, std::string address) {
    const std::size_t eof = contents.find('\x1A');
    if (eof != std::string_view::npos) contents = contents.substr(0, eof);
    std::string line;
    std::size_t pos = 0;
    while (pos < contents.size()) {
        std::size_t end = contents.find('\n', pos);
        const bool lastLine = end == std::string_view::npos;
        if (lastLine) end = contents.size();
        std::string_view raw = contents.substr(pos, end - pos);
        line.clear();
        for (std::size_t i = 0; i < raw.size(); ++i) {
            // A CR right before the LF ends the line; any other CR is dropped.
            if (raw[i] != '\r') line.push_back(raw[i]);
        }
        applyLine(line, address);
        pos = end + 1;
    }
    return address;
}

namespace {
std::string gExecutableDirOverride;
}  // namespace

void setExecutableDirForTesting(std::string dir) { gExecutableDirOverride = std::move(dir); }

std::string executableDir() {
    if (!gExecutableDirOverride.empty()) return gExecutableDirOverride;
    const std::string path = executablePath();
#ifdef _WIN32
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string(".\\") : path.substr(0, separator + 1);
#else
    const std::size_t separator = path.find_last_of('/');
    return separator == std::string::npos ? std::string("./") : path.substr(0, separator + 1);
#endif
}

void ReadServerAddress() {
    ProgramDir = executableDir();
    // ProgramDir ends with its separator; the name is appended as it is spelled.
    const std::string shown = ProgramDir + std::string(kConfigFileName);
    const std::filesystem::path file = systemPath(shown);
    // A folder of that name, or a link that leads nowhere, is no file: the program ends as when
    // nothing has the name. One that cannot be looked at (no permission) is there, and its
    // opening says why it fails.
    std::error_code ec;
    const std::filesystem::file_type type = std::filesystem::status(file, ec).type();
    if (type == std::filesystem::file_type::not_found || type == std::filesystem::file_type::directory) {
        throw ConfigMissing();
    }

    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("Cannot open " + shown + ": " + std::strerror(errno));
    std::ostringstream contents;
    contents << in.rdbuf();
    if (in.bad()) throw std::runtime_error("Cannot read " + shown + ": " + std::strerror(errno));
    ServerAddress = serverAddressFromConfig(contents.str(), ServerAddress);
}

}  // namespace mig
