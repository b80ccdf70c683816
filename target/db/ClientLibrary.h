#pragma once
// The Firebird client library as the driver reaches it: its entry (the master interface, from
// which every other interface of the library comes), the reading of what a failed call
// reported, and the library's own handling of signals. This is the one place that names the
// library's exported functions; everything else goes through the master interface. The Firebird
// headers stay out of this file.
#include <cstdint>
#include <string>

namespace Firebird {
class IMaster;
class IStatus;
class IUtil;
}  // namespace Firebird

namespace mig::db {

// The client library's master interface, obtained at the first call; it lives as long as the
// process.
Firebird::IMaster& clientMaster();

// What the client library reported for a failed call.
struct ClientFailure {
    std::string text;        // the library's own text, as it formats it
    std::int64_t code = 0;   // the first ISC error code, 0 when none
    bool connectionLost = false;  // the connection is gone (network failure, server or database shut down)
};
ClientFailure describeFailure(Firebird::IUtil& util, Firebird::IStatus& status);

// Where there are signals the client library, from its first call on, answers SIGINT and SIGTERM
// by shutting down every attachment of the process on a thread of its own, and then leaves the
// process running without them. This has the library refuse that shutdown when it asks its
// callers to confirm one, so that the program can end on those signals in its own order; the
// shutdown when the process exits still runs. Calling it again changes nothing.
void keepClientRunningOnSignals();

}  // namespace mig::db
