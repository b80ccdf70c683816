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
    Null,       // a parameter the server could not type ("? is null"); only null binds to it
};

struct Column {
    std::string name;      // field name
    std::string alias;     // name in the select list (AS ...)
    std::string relation;  // table it comes from, empty for an expression
    SqlType type = SqlType::VarChar;
    int length = 0;        // text: characters (bytes in WIN1252); others: bytes
    int scale = 0;         // numeric: digits after the point, as a positive number
    int precision = 0;     // numeric: total digits; the server does not describe it, so this is
                           // the storage's greatest (4, 9 or 18) unless set by the caller
    int subType = 0;       // blob sub type
    bool nullable = true;
};

// Where a database value leads: to a server (the value passed on unchanged) or to a file opened
// in-process by the embedded engine. A value has a server part when the text before its first
// colon is not empty and is not a drive letter: "127.0.0.1:C:\...", "host/3051:/data/x.fdb".
// ":C:\korvelan\dados\korvelan.bd" and "C:\..." are local Windows paths (mapped to this
// system by resolveWindowsPath); "/tmp/x.fdb" or a name without a colon is used as it is.
struct DatabaseLocation {
    bool embedded = false;
    std::string path;  // what the client library is given
};
DatabaseLocation locateDatabase(std::string_view database);

// Where there are signals the client library, from its first call on, answers SIGINT and SIGTERM
// by shutting down every attachment of the process on a thread of its own, and then leaves the
// process running without them. This has the library refuse that shutdown when it asks its
// callers to confirm one, so that the program can end on those signals in its own order; the
// shutdown when the process exits still runs. Calling it again changes nothing.
void keepClientRunningOnSignals();

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
//   text       <- std::string (length checked against the parameter's size), int32
//   SMALLINT/INTEGER/BIGINT, NUMERIC(p,s) <- int32, Decimal, double; rounded half away from zero
//                 to the scale, refused when the integer part has more digits than p - s allow
//   FLOAT/DOUBLE <- double, int32, Decimal
//   DATE <- Date, DateTime, Timestamp (its date); TIME <- Time; TIMESTAMP <- Timestamp,
//   DateTime, Date (midnight); BLOB <- std::string; BOOLEAN <- bool
// Anything else, and a value out of range, raises DbError before the statement runs.
// A statement must not outlive its attachment's use: it keeps the attachment's state alive,
// but once the attachment is gone every call fails with DbError.
class Statement {
public:
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    const std::vector<Column>& columns() const;
    const std::vector<Column>& parameters() const;
    // Declares the precision of a NUMERIC parameter (0-based index), so that a value with more
    // integer digits than precision minus scale allow is refused before it reaches the server.
    void setParameterPrecision(int index, int precision);
    bool hasResultSet() const;  // a SELECT (or anything that opens a cursor)

    // Runs a statement that returns no rows; returns the number of rows it affected.
    std::uint64_t execute(Transaction& tx, std::span<const Value> params = {});

    // Runs a SELECT. fetch() moves to the next row; false at the end (the cursor closes).
    void open(Transaction& tx, std::span<const Value> params = {});
    bool fetch();
    void close();

    // The current row's columns (0-based), read straight from the message buffer. After
    // execute() of a statement with output (EXECUTE PROCEDURE, RETURNING) they read its row.
    bool isNull(int column) const;
    std::string_view text(int column) const;       // CHAR with its blanks, VARCHAR as stored
    std::int64_t integer(int column) const;        // SMALLINT/INTEGER/BIGINT unscaled value
    double floating(int column) const;             // FLOAT/DOUBLE
    Date date(int column) const;
    Time time(int column) const;
    Timestamp timestamp(int column) const;
    bool boolean(int column) const;
    std::string blob(int column) const;            // read whole
    // The column as a field value of the natural kind: text; int32 for SMALLINT/INTEGER;
    // Decimal for scaled numerics and BIGINT (digits = the digits of the unscaled value);
    // double; Date; Time; Timestamp; bool; blob bytes. An empty Value for null.
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

    // A call failed because the connection is gone (network failure, server or database shut
    // down): every further call fails too, and only a new attachment can go on.
    bool lost() const;

private:
    struct Impl;
    explicit Attachment(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace mig::db
