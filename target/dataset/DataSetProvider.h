#pragma once
// The provider of a chain (`DSP_FormaFar`): reads every row through its SQL dataset for the
// client dataset, and resolves the client dataset's cached changes into SQL statements run on
// the connection, all in one transaction (key-only WHERE parts).
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "target/dataset/FieldMask.h"
#include "target/dataset/RowStore.h"
#include "target/dataset/SQLDataSet.h"

namespace mig {

enum class ChangeStatus : std::uint8_t { Inserted, Modified, Deleted };

// What a client dataset does with the rows its provider reads: first the description of the
// columns, then each row, read straight from the statement's buffers.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void bind(const std::vector<PacketField>& fields) = 0;
    virtual void row(const db::Statement& statement) = 0;
};

// A field of the changes handed to the provider.
struct DeltaField {
    std::string name;  // the server column it comes from
    FieldKind kind = FieldKind::Text;
    int precision = 0;  // decimal
    bool key = false;   // the key mark of the packet
};

// One cached change. `current`: the row's values (new and changed rows); `original`: the
// values as read (changed and deleted rows). `fields`: the fields a new row lists, or the
// fields a changed row changed.
struct DeltaEntry {
    ChangeStatus status = ChangeStatus::Inserted;
    RowStore::Record current = nullptr;
    RowStore::Record original = nullptr;
    FieldMask fields;
};

struct Delta {
    const RowStore* store = nullptr;
    std::span<const DeltaField> fields;
    std::span<const DeltaEntry> entries;
};

enum class EntryOutcome : std::uint8_t {
    Stored,    // sent, accepted and committed (or left in a transaction the provider did not start)
    Refused,   // sent and refused; `message` says why
    NotStored, // not sent (the walk stopped), or undone by the rollback of the transaction
};

// A way for the program to stop a long apply between two rows (a request to end the program
// while thousands of rows go to the server): `check`, set once at start and called on the
// applying thread before each row, answering true ends the apply there. Its own transaction is
// rolled back and no entry is reported stored; ApplyInterrupted is raised. None is set by
// default.
using ApplyInterruptCheck = bool (*)();
void setApplyInterruptCheck(ApplyInterruptCheck check);

class ApplyInterrupted : public DataError {
public:
    ApplyInterrupted() : DataError("The apply was interrupted; nothing was stored") {}
};

struct ApplyResult {
    std::vector<EntryOutcome> outcomes;  // one per entry
    std::vector<std::string> messages;   // the failure of each refused entry
    int errorCount = 0;                  // changes refused
    bool rolledBack = false;             // the provider's transaction was rolled back
    std::exception_ptr failure;          // an unexpected failure that left the walk
};

class DataSetProvider {
public:
    DataSetProvider(std::string name, SQLDataSet& dataSet);
    ~DataSetProvider();
    DataSetProvider(const DataSetProvider&) = delete;
    DataSetProvider& operator=(const DataSetProvider&) = delete;

    const std::string& name() const { return name_; }
    SQLDataSet& DataSet() { return dataSet_; }

    // Runs the SELECT and hands every row to `sink`; the cursor and the reading transaction are
    // closed before returning (a failure closes them too).
    void getRecords(RowSink& sink);

    // Sends every entry, in order, in one transaction (started here when the connection has
    // none). `maxErrors` -1 is no limit. With the limit kept, the transaction is committed;
    // otherwise, or when a change affects more than one row, it is rolled back and no entry is
    // reported stored; likewise when the interrupt check stops it (the failure then is
    // ApplyInterrupted).
    ApplyResult applyUpdates(const Delta& delta, int maxErrors);

    int statementsPrepared() const { return prepared_; }

private:
    db::Statement& statementFor(const std::string& sql, db::Transaction& tx);
    void forgetStatementsOfOldAttachments();

    std::string name_;
    SQLDataSet& dataSet_;
    // Statements of earlier applies, kept while the attachment lasts: inserts by their field
    // list, updates and deletes by their text.
    std::unordered_map<FieldMask, std::unique_ptr<db::Statement>> inserts_;
    std::map<std::string, std::unique_ptr<db::Statement>> others_;
    std::vector<std::string> fieldNames_;
    std::string statementsSelect_;
    int statementsConnect_ = -1;
    int prepared_ = 0;
};

}  // namespace mig
