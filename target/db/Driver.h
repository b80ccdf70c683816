#pragma once
// A thin driver over Firebird's client library (the IMaster/IProvider/IAttachment interfaces).
// Every handle is owned: an attachment detaches, a transaction rolls back unless committed,
// a statement and a cursor free themselves. Failures raise DbError with the client's text.
// The Firebird headers stay out of this file.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "target/field/Errors.h"
#include "target/field/Value.h"

namespace mig::db {

// A failure of the client library or the server; what() is the client's text as it comes.
class DbError : public DataError {
public:
    DbError(const std::string& message, std::int64_t code = 0) : DataError(message), code_(code) {}
    std::int64_t code() const { return code_; }  // the first ISC error code, 0 when none

private:
    std::int64_t code_;
};

// Column and parameter types as the server describes them.
enum class SqlType : std::uint8_t {
    Char,       // fixed-length text
    VarChar,    // variable-length text
    SmallInt,   // 16-bit (scale 0) or NUMERIC with a negative scale
    Integer,    // 32-bit (scale 0) or NUMERIC
    BigInt,     // 64-bit (scale 0) or NUMERIC(15,x)
    Float,
    Double,
    Date,
    Time,
    Timestamp,
    Blob,       // sub type 1 = text, else binary
    Boolean,
};

struct Column {
    std::string name;      // field name
    std::string alias;     // name in the select list (AS ...)
    std::string relation;  // table it comes from, empty for an expression
    SqlType type = SqlType::VarChar;
    int length = 0;        // text: characters (bytes in WIN1252); others: bytes
    int scale = 0;         // numeric: digits after the point, as a positive number
    int subType = 0;       // blob sub type
    bool nullable = true;
};

// Where to attach and as whom. `database` with a server part ("127.0.0.1:C:\...") goes to that
// server over the network unchanged; without one (empty text before the first colon, or no
// colon) the file is opened in-process with the embedded engine.
struct AttachParams {
    std::string database;
    std::string user = "sysdba";
    std::string password;
    std::string role;
    std::string charset = "WIN1252";
    int dialect = 3;
};

class Attachment;
class Transaction;
class Statement;

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
    friend class Attachment;
    friend class Statement;
    struct Impl;
    explicit Transaction(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// A prepared statement with positional "?" parameters. Parameters are given as field values
// (Value) and converted to the types the server describes for them; an empty Value is null.
class Statement {
public:
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    const std::vector<Column>& columns() const;
    const std::vector<Column>& parameters() const;

    // Runs a statement that returns no rows; returns the number of rows it affected.
    std::uint64_t execute(Transaction& tx, std::span<const Value> params = {});

    // Runs a SELECT. fetch() moves to the next row; false at the end (the cursor closes).
    void open(Transaction& tx, std::span<const Value> params = {});
    bool fetch();
    void close();

    // The current row's columns, read straight from the message buffer.
    bool isNull(int column) const;
    std::string_view text(int column) const;       // CHAR with its blanks, VARCHAR as stored
    std::int64_t integer(int column) const;        // SMALLINT/INTEGER/BIGINT unscaled value
    double floating(int column) const;             // FLOAT/DOUBLE
    Date date(int column) const;
    Time time(int column) const;
    Timestamp timestamp(int column) const;
    bool boolean(int column) const;
    std::string blob(int column) const;            // read whole
    // The column as a field value of the natural kind (text, int32, double, Decimal for
    // scaled numerics, Date, Time, Timestamp, bool, blob bytes); empty Value for null.
    Value value(int column) const;

private:
    friend class Attachment;
    struct Impl;
    explicit Statement(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
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
    // Runs a file of statements separated by ";" (the schema), each committed.
    void executeScript(std::string_view script);

    char quoteChar() const { return '"'; }

private:
    struct Impl;
    explicit Attachment(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace mig::db
