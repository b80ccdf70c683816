#pragma once
// The Firebird client library as the driver reaches it: the library file, loaded when the
// connection first needs it; its entry (the master interface, from which every other interface
// of the library comes); the reading of what a failed call reported; and the library's own
// handling of signals. This is the one place that names the library's exported functions;
// everything else goes through the master interface. The Firebird headers stay out of this file.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace Firebird {
class IMaster;
class IStatus;
class IUtil;
}  // namespace Firebird

namespace mig::db {

// The environment variable that names the client library's file (a bare file name, looked for
// where the system looks for libraries, or a path) in place of the usual names.
inline constexpr const char* kClientLibraryVariable = "MIGRADOR_CLIENT_LIBRARY";

// The files tried for the client library, in turn: the one MIGRADOR_CLIENT_LIBRARY names when
// it is set and not empty; else on Windows "fbclient.dll" (the Firebird client's own name), then
// "gds32.dll" (the name the successor's installations give it); elsewhere "libfbclient.so.2".
std::vector<std::string> clientLibraryFiles();

// One client library, loaded at the first call of master() from the first of the files that the
// system can load, and kept from then on for the rest of the process. Right after it is loaded
// the library is told to leave the program running on signals (below). A failure raises DbError
// and keeps nothing, so that the next call tries again from the start, with the files asked for
// anew:
//   - none of the files can be loaded: "Unable to Load " and the name of the first file (the
//     one the operator is asked to provide);
//   - the library loaded lacks one of its two entries: "Unable to Find Procedure " and the
//     entry's name (fb_get_master_interface, fb_shutdown_callback).
// Calls may come from any thread.
//
// Where there are signals the client library, from its first call on, answers SIGINT and
// SIGTERM by shutting down every attachment of the process on a thread of its own, and then
// leaves the process running without them. The library is told to refuse that shutdown when it
// asks its callers to confirm one, so that the program ends on those signals in its own order;
// the shutdown when the process exits still runs.
class ClientLibrary {
public:
    // `files` gives the files to try, in turn.
    explicit ClientLibrary(std::function<std::vector<std::string>()> files) : files_(std::move(files)) {}
    ClientLibrary(const ClientLibrary&) = delete;
    ClientLibrary& operator=(const ClientLibrary&) = delete;

    Firebird::IMaster& master();

private:
    std::function<std::vector<std::string>()> files_;
    std::mutex mutex_;
    Firebird::IMaster* master_ = nullptr;
};

// The master interface of the process's client library (a ClientLibrary over
// clientLibraryFiles()), loaded at the first call, which comes when the connection first opens;
// it lives as long as the process. Failures as ClientLibrary::master().
Firebird::IMaster& clientMaster();

// What the client library reported for a failed call.
struct ClientFailure {
    std::string text;        // the library's own text, as it formats it
    std::int64_t code = 0;   // the first ISC error code, 0 when none
    bool connectionLost = false;  // the connection is gone (network failure, server or database shut down)
};
ClientFailure describeFailure(Firebird::IUtil& util, Firebird::IStatus& status);

}  // namespace mig::db
