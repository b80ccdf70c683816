#pragma once
// A thin driver over Firebird's client library (the IMaster/IProvider/IAttachment interfaces):
// an attachment to one database, and the transactions and statements made on it. Every handle
// is owned: an attachment detaches, a transaction rolls back unless committed, a statement and
// a cursor free themselves. Failures raise DbError with the client's text. The Firebird headers
// stay out of this file.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "target/db/DbError.h"
#include "target/db/Statement.h"
#include "target/db/Transaction.h"

namespace mig::db {

// Where to attach and as whom. `database` with a server part ("127.0.0.1:C:\...") goes to that
// server over the network unchanged; without one (empty text before the first colon, or no
// colon) the file is opened in-process with the embedded engine (DatabaseLocation.h).
struct AttachParams {
    std::string database;
    std::string user = "sysdba";
    std::string password;
    std::string role;
    std::string charset = "WIN1252";
    int dialect = 3;
};

class Attachment {
public:
    static std::unique_ptr<Attachment> attach(const AttachParams& params);
    // Creates a new database file (embedded when `params.database` has no server part).
    static std::unique_ptr<Attachment> create(const AttachParams& params, int pageSize = 8192);
    ~Attachment();  // detaches; never throws
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

    // Read committed with record versions, waiting on locks, unless told otherwise.
    std::unique_ptr<Transaction> startTransaction(Isolation isolation = Isolation::ReadCommitted,
                                                  bool wait = true);
    std::unique_ptr<Statement> prepare(Transaction& tx, std::string_view sql);
    // Prepares, runs and frees one statement in its own transaction, committed on return.
    std::uint64_t executeImmediate(std::string_view sql);

    char quoteChar() const { return '"'; }

    // A call failed because the connection is gone (network failure, server or database shut
    // down): every further call fails too, and only a new attachment can go on.
    bool lost() const;

private:
    struct Impl;
    explicit Attachment(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace mig::db
