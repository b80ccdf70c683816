#include "target/db/Transaction.h"

#include "target/db/Session.h"

namespace mig::db {

Transaction::Transaction(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Transaction::~Transaction() {
    try {
        rollback();
    } catch (...) {
    }
    // rollback() gave up the handle even when the client failed.
}

void Transaction::commit() {
    auto& h = *impl_->h;
    if (!h.tra) throw DbError("The transaction is not active");
    h.tra->commit(&impl_->c->st);
    impl_->c->check();  // a failed commit leaves the transaction active
    h.tra = nullptr;
}

void Transaction::rollback() {
    auto& h = *impl_->h;
    if (!h.tra) return;
    Session& c = *impl_->c;
    h.tra->rollback(&c.st);
    if (c.failed()) {
        h.tra->release();
        h.tra = nullptr;
        c.check();
    }
    h.tra = nullptr;
}

bool Transaction::active() const { return impl_->h->tra != nullptr; }

}  // namespace mig::db
