#pragma once
// A transaction of an attachment: rolled back when it goes unless committed. Failures raise
// DbError with the client's text.
#include <cstdint>
#include <memory>

#include "target/db/DbError.h"

namespace mig::db {

// Isolation and lock behaviour of a transaction.
enum class Isolation : std::uint8_t { ReadCommitted, RepeatableRead, DirtyRead };

class Transaction {
public:
    ~Transaction();  // rolls back when still active; never throws
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    void rollback();
    bool active() const;

private:
    struct Impl;
    friend class Attachment;
    friend class Statement;
    explicit Transaction(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace mig::db
