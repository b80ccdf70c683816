#pragma once
// Where a database value leads: to a server (the value passed on unchanged) or to a file opened
// in-process by the embedded engine.
#include <string>
#include <string_view>

namespace mig::db {

// A value has a server part when the text before its first colon is not empty and is not a
// drive letter: "127.0.0.1:C:\...", "host/3051:/data/x.fdb". ":C:\korvelan\dados\korvelan.bd"
// and "C:\..." are local Windows paths (mapped to this system by resolveWindowsPath);
// "/tmp/x.fdb" or a name without a colon is used as it is.
struct DatabaseLocation {
    bool embedded = false;
    std::string path;  // what the client library is given
};
DatabaseLocation locateDatabase(std::string_view database);

}  // namespace mig::db
