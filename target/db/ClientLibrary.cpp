#include "target/db/ClientLibrary.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <algorithm>

#include "target/db/DbError.h"

namespace mig::db {

using namespace Firebird;

IMaster& clientMaster() {
    static IMaster* const master = fb_get_master_interface();
    return *master;
}

namespace {

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

}  // namespace

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

void keepClientRunningOnSignals() {
    ISC_STATUS_ARRAY status = {};
    if (fb_shutdown_callback(status, refuseShutdownOnSignal, fb_shut_confirmation, nullptr) != 0) {
        throw DbError("The client library refused the shutdown callback", status[1]);
    }
}

}  // namespace mig::db
