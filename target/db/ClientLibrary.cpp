#include "target/db/ClientLibrary.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <algorithm>
#include <cstdlib>

#include "target/db/DbError.h"
#include "target/platform/SharedLibrary.h"

namespace mig::db {

using namespace Firebird;

namespace {

// The types of the two entries, as the client's headers declare them (with their calling
// convention); the library is reached only through pointers of these types.
using GetMasterInterface = decltype(&fb_get_master_interface);
using ShutdownCallback = decltype(&fb_shutdown_callback);

bool meansLostConnection(const intptr_t* v) {
    for (std::size_t i = 0; v && v[i] != isc_arg_end;) {
        if (v[i] == isc_arg_gds) {
            switch (v[i + 1]) {
                case isc_network_error:
                case isc_net_read_err:
                case isc_net_write_err:
                case isc_lost_db_connection:
                case isc_conn_lost:
                case isc_att_shutdown:
                case isc_shutdown: return true;
                default: break;
            }
        }
        i += v[i] == isc_arg_cstring ? 3 : 2;
    }
    return false;
}

// A non-zero answer to the confirmation step cancels the shutdown.
int refuseShutdownOnSignal(const int reason, const int, void*) { return reason == fb_shutrsn_signal ? 1 : 0; }

void keepRunningOnSignals(const ShutdownCallback shutdownCallback) {
    ISC_STATUS_ARRAY status = {};
    if (shutdownCallback(status, refuseShutdownOnSignal, fb_shut_confirmation, nullptr) != 0) {
        throw DbError("The client library refused the shutdown callback", status[1]);
    }
}

}  // namespace

std::vector<std::string> clientLibraryFiles() {
    if (const char* named = std::getenv(kClientLibraryVariable); named && *named) return {named};
#ifdef _WIN32
    return {"fbclient.dll", "gds32.dll"};
#else
    return {"libfbclient.so.2"};
#endif
}

IMaster& ClientLibrary::master() {
    const std::lock_guard lock(mutex_);
    if (master_) return *master_;
    const std::vector<std::string> files = files_();
    SharedLibrary library;
    for (const std::string& file : files) {
        library = SharedLibrary::load(file);
        if (library) break;
    }
    if (!library) throw DbError("Unable to Load " + (files.empty() ? std::string() : files.front()));
    const auto getMasterInterface = reinterpret_cast<GetMasterInterface>(library.function("fb_get_master_interface"));
    if (!getMasterInterface) throw DbError("Unable to Find Procedure fb_get_master_interface");
    const auto shutdownCallback = reinterpret_cast<ShutdownCallback>(library.function("fb_shutdown_callback"));
    if (!shutdownCallback) throw DbError("Unable to Find Procedure fb_shutdown_callback");
    // From the first call on, the library's code may be running on threads of its own.
    library.keep();
    keepRunningOnSignals(shutdownCallback);
    IMaster* const master = getMasterInterface();
    if (!master) throw DbError("The client library gave no master interface");
    master_ = master;
    return *master_;
}

IMaster& clientMaster() {
    // Never destroyed: the client's interfaces may be used until the very end of the process.
    static ClientLibrary* const library = new ClientLibrary(clientLibraryFiles);
    return library->master();
}

ClientFailure describeFailure(IUtil& util, IStatus& status) {
    ClientFailure failure;
    char buffer[4096];
    const unsigned n = util.formatStatus(buffer, sizeof buffer, &status);
    failure.text.assign(buffer, std::min<std::size_t>(n, sizeof buffer - 1));
    while (!failure.text.empty() && (failure.text.back() == '\n' || failure.text.back() == '\0'))
        failure.text.pop_back();
    const intptr_t* errors = status.getErrors();
    failure.code = (errors && errors[0] == isc_arg_gds) ? static_cast<std::int64_t>(errors[1]) : 0;
    failure.connectionLost = meansLostConnection(errors);
    return failure;
}

}  // namespace mig::db
