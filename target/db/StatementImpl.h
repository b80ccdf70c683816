#pragma once
// The state of a prepared statement, inside the driver only (Statement.cpp describes and runs
// it and reads its columns, ParameterBinding.cpp binds its parameters): the statement and cursor
// handles, the descriptions of parameters and columns, their message buffers, and the way the
// server lays the field layer's values out in those buffers.
#include <firebird/Interface.h>

#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "target/db/Session.h"
#include "target/db/Statement.h"
#include "target/field/Value.h"

namespace mig::db {

// Day 0 of the field layer's calendar (30 December 1899) as the server counts days (from 17
// November 1858): the server's day numbers are the field layer's plus this offset.
inline constexpr std::int32_t kDateOffset = 15018;
// The server's times are in ten-thousandths of a second, the field layer's in milliseconds.
inline constexpr std::uint32_t kTimeUnitsPerMs = 10;

inline ISC_DATE firebirdDay(Date date) { return date.days + kDateOffset; }
inline Date dateOfFirebirdDay(ISC_DATE day) { return Date{day - kDateOffset}; }

template <typename T>
void put(unsigned char* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

template <typename T>
T get(const unsigned char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Where a parameter's or column's value and its null indicator stand in a message.
struct Layout {
    unsigned offset = 0;
    unsigned nullOffset = 0;
};

struct Statement::Impl {
    std::shared_ptr<Session> c;
    Firebird::IStatement* stmt = nullptr;
    Firebird::IMessageMetadata* inMeta = nullptr;
    Firebird::IMessageMetadata* outMeta = nullptr;
    Firebird::IResultSet* rs = nullptr;
    std::vector<Column> cols, params;
    std::vector<Layout> colLayout, paramLayout;
    std::vector<unsigned char> inBuf, outBuf;
    std::shared_ptr<TraHandle> rowTra;  // the transaction the current row was read in
    unsigned type = 0;
    bool hasRow = false;

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() {
        closeCursor();
        if (stmt) {
            stmt->free(&c->st);
            if (c->failed()) stmt->release();
        }
        if (inMeta) inMeta->release();
        if (outMeta) outMeta->release();
    }

    void closeCursor() noexcept {
        hasRow = false;
        if (!rs) return;
        rs->close(&c->st);
        if (c->failed()) rs->release();
        rs = nullptr;
    }

    Firebird::ITransaction* traOf(Transaction& tx) const;
    const unsigned char* field(int column, bool allowNull = false) const;

    // Binding (ParameterBinding.cpp): every parameter from its value, by the parameter's type.
    void bind(Firebird::ITransaction* tra, std::span<const Value> values);
    void bindOne(Firebird::ITransaction* tra, std::size_t i, const Value& v);
    void bindText(std::size_t i, const Value& v);
    void bindIntegral(std::size_t i, const Value& v);
    void writeScaled(std::size_t i, std::int64_t unscaled, int fromScale);
    void bindFloating(std::size_t i, const Value& v);
    void bindDate(std::size_t i, const Value& v);
    void bindTime(std::size_t i, const Value& v);
    void bindTimestamp(std::size_t i, const Value& v);
    void bindBlob(Firebird::ITransaction* tra, std::size_t i, const Value& v);
    void bindBoolean(std::size_t i, const Value& v);
    [[noreturn]] void refuse(std::size_t i, const Value& v) const;
};

}  // namespace mig::db
