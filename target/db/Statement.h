#pragma once
// A prepared statement with positional "?" parameters, and the columns of its rows. Failures
// raise DbError with the client's text.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "target/db/DbError.h"
#include "target/db/Transaction.h"
#include "target/field/Value.h"

namespace mig::db {

struct Session;

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

// Parameters are given as field values (Value) and converted to the types the server describes
// for them (ParameterBinding.cpp); an empty Value is null.
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
    double floating(int column) const;             // FLOAT/DOUBLE; scaled numerics as decimalToDouble gives them
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
    struct Impl;
    friend class Attachment;
    explicit Statement(std::unique_ptr<Impl> impl);
    // Prepares `sql` on the session's attachment in `tx` and describes its parameters and columns.
    static std::unique_ptr<Statement> prepare(const std::shared_ptr<Session>& session, Transaction& tx,
                                              std::string_view sql);
    std::unique_ptr<Impl> impl_;
};

}  // namespace mig::db
