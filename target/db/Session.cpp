#include "target/db/Session.h"

namespace mig::db {

Session::~Session() {
    closeAttachment();
    provider->release();
    raw->dispose();
}

void Session::check() {
    if (!failed()) return;
    ClientFailure failure = describeFailure(*util, st);
    if (failure.connectionLost) lost = true;
    throw DbError(failure.text, failure.code);
}

Firebird::IAttachment* Session::attachment() {
    if (!att) throw DbError("The database connection is closed");
    return att;
}

void Session::track(const std::shared_ptr<TraHandle>& handle) {
    std::erase_if(transactions, [](const std::weak_ptr<TraHandle>& w) { return w.expired(); });
    transactions.push_back(handle);
}

void Session::closeAttachment() {
    if (!att) return;
    for (auto& w : transactions) {
        if (auto h = w.lock(); h && h->tra) {
            h->tra->rollback(&st);
            if (failed()) h->tra->release();
            h->tra = nullptr;
        }
    }
    transactions.clear();
    att->detach(&st);
    if (failed()) att->release();
    att = nullptr;
}

}  // namespace mig::db
