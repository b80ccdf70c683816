#pragma once
// What an attachment and everything made from it share, inside the driver only (this header,
// unlike the driver's public ones, includes the Firebird headers): the client's interfaces, the
// status of the last call, the attachment handle and the transactions started on it. A
// transaction or statement holds the session by shared ownership, so that it may outlive the
// Attachment object; once the attachment is closed every call fails with DbError.
#include <firebird/Interface.h>

#include <memory>
#include <string>
#include <vector>

#include "target/db/ClientLibrary.h"
#include "target/db/DbError.h"
#include "target/db/Transaction.h"

namespace mig::db {

// A transaction handle of the session; null once committed, rolled back or abandoned.
struct TraHandle {
    Firebird::ITransaction* tra = nullptr;
};

struct Session {
    Firebird::IMaster* master = &clientMaster();
    Firebird::IUtil* util = master->getUtilInterface();
    Firebird::IStatus* raw = master->getStatus();
    Firebird::CheckStatusWrapper st{raw};
    Firebird::IProvider* provider = master->getDispatcher();
    Firebird::IAttachment* att = nullptr;
    unsigned dialect = 3;
    bool lost = false;  // a call failed because the connection is gone
    std::vector<std::weak_ptr<TraHandle>> transactions;

    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session();

    // Whether the last call failed.
    bool failed() const { return (st.getState() & Firebird::IStatus::STATE_ERRORS) != 0; }
    // Raises the failure of the last call, if any, noting first whether it means the
    // connection is gone.
    void check();
    // The attachment handle; DbError once it is closed.
    Firebird::IAttachment* attachment();
    void track(const std::shared_ptr<TraHandle>& handle);
    // Rolls back what is still active and detaches. Never throws.
    void closeAttachment();
};

// Owns an XPB builder (the parameter block of an attach or a transaction) for the length of a call.
struct Xpb {
    Firebird::IXpbBuilder* b;
    Xpb(Session& session, unsigned kind) : b(session.util->getXpbBuilder(&session.st, kind, nullptr, 0)) {
        session.check();
    }
    ~Xpb() { b->dispose(); }
    Xpb(const Xpb&) = delete;
    Xpb& operator=(const Xpb&) = delete;
};

struct Transaction::Impl {
    std::shared_ptr<Session> c;
    std::shared_ptr<TraHandle> h = std::make_shared<TraHandle>();
};

}  // namespace mig::db
