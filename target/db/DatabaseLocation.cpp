#include "target/db/DatabaseLocation.h"

#include "target/platform/WindowsPath.h"

namespace mig::db {

namespace {

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "C:\..." or "C:/..." (or a bare "C:").
bool hasDrive(std::string_view path) {
    return path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':' &&
           (path.size() == 2 || path[2] == '\\' || path[2] == '/');
}

}  // namespace

DatabaseLocation locateDatabase(std::string_view database) {
    DatabaseLocation loc;
    const auto colon = database.find(':');
    std::string_view path = database;
    if (colon == std::string_view::npos) {
        loc.embedded = true;
    } else if (colon == 0) {
        loc.embedded = true;
        path = database.substr(1);
    } else if (hasDrive(database)) {
        loc.embedded = true;
    }
    if (!loc.embedded) {
        loc.path = std::string(database);  // to the server, as it is
        return loc;
    }
    loc.path = hasDrive(path) ? resolveWindowsPath(path) : std::string(path);
    return loc;
}

}  // namespace mig::db
