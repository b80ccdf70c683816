#pragma once
// The SQL dataset of a chain (`SQLDS_FormaFar`): one fixed SELECT run on the connection, its
// declared fields bound to the result's columns by name. It is opened only by its provider,
// for as long as the provider reads rows. The statement is prepared once and reused by every
// later reading on the same attachment.
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "target/dataset/ChainDef.h"
#include "target/db/SQLConnection.h"

namespace mig {

// A column of the rows read, as the provider describes it to its client dataset.
struct PacketField {
    std::string name;
    FieldKind kind = FieldKind::Text;  // the server's type as a field kind
    int column = 0;                    // position in the SELECT's result
    int size = 0;                      // text: characters
    int scale = 0;                     // decimal: digits after the point
    bool key = false;                  // the SQL dataset's declared key mark
};

// The field kind standing for a column type of the server: CHAR and VARCHAR text, SMALLINT
// and INTEGER integers, scaled numerics and BIGINT decimals, FLOAT and DOUBLE floats, DATE,
// TIME, TIMESTAMP, text blobs memos and other blobs blobs, BOOLEAN logical.
FieldKind packetKind(const db::Column& column);

class SQLDataSet {
public:
    // `declared` empty: the fields are the server's columns, none with a key mark.
    SQLDataSet(std::string name, db::SQLConnection& connection, std::string commandText = {},
               std::span<const FieldSpec> declared = {});
    ~SQLDataSet();
    SQLDataSet(const SQLDataSet&) = delete;
    SQLDataSet& operator=(const SQLDataSet&) = delete;

    const std::string& name() const { return name_; }
    db::SQLConnection& connection() { return connection_; }
    const std::string& CommandText() const { return commandText_; }
    void setCommandText(std::string sql);  // drops the prepared statement
    std::span<const FieldSpec> declaredFields() const { return declared_; }

    // Prepares the statement when needed, binds the declared fields (a missing one fails with
    // "<name>: Field '<field>' not found") and runs it in `tx`.
    void open(db::Transaction& tx);
    bool Active() const { return active_; }
    // The fields of the rows, valid after open().
    const std::vector<PacketField>& packetFields() const { return packet_; }
    // Moves to the next row; false at the end.
    bool next();
    // The current row, read by column position.
    const db::Statement& row() const { return *statement_; }
    void close();

    int prepareCount() const { return prepares_; }  // how often the SELECT was prepared

private:
    void prepare(db::Transaction& tx);

    std::string name_;
    db::SQLConnection& connection_;
    std::string commandText_;
    std::span<const FieldSpec> declared_;
    std::unique_ptr<db::Statement> statement_;
    int preparedOnConnect_ = -1;
    int prepares_ = 0;
    bool active_ = false;
    std::vector<PacketField> packet_;
};

}  // namespace mig
