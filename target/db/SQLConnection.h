#pragma once
// The data module's connection to the successor's database (`SQLConnection1`): its stored
// properties, its ordered name=value parameter list, and the one attachment of the run, opened
// on demand with the current parameters. The driver library, its entry function and the
// vendor library are configuration values only: the driver of Attachment.h stands in their place.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "target/db/Attachment.h"

namespace mig::db {

// An ordered list of name=value lines. The name is the text before the first "="; names are
// compared without regard to case.
class ParamList {
public:
    ParamList() = default;
    ParamList(std::initializer_list<std::string> lines) : lines_(lines) {}

    const std::vector<std::string>& lines() const { return lines_; }
    std::size_t count() const { return lines_.size(); }
    std::string name(std::size_t index) const;    // text before the first "=" (the whole line without one)
    int indexOfName(std::string_view name) const;  // -1 when absent
    std::string value(std::string_view name) const;  // empty when absent
    // Replaces the line of that name in place by name=value, with the name spelt as given here;
    // appends the line when no line has that name.
    void setValue(std::string_view name, std::string_view value);

private:
    std::vector<std::string> lines_;
};

enum class ConnectionState : std::uint8_t { Closed, Connecting, Open };

class SQLConnection {
public:
    SQLConnection();  // the stored settings, closed
    ~SQLConnection();  // closes; never throws
    SQLConnection(const SQLConnection&) = delete;
    SQLConnection& operator=(const SQLConnection&) = delete;

    // Stored properties.
    const std::string& ConnectionName() const { return connectionName_; }
    const std::string& DriverName() const { return driverName_; }
    const std::string& LibraryName() const { return libraryName_; }
    const std::string& GetDriverFunc() const { return getDriverFunc_; }
    const std::string& VendorLib() const { return vendorLib_; }
    bool LoginPrompt() const { return false; }
    bool KeepConnection() const { return true; }

    // The 14 parameter lines; read and changed by name while the connection is closed. A change
    // made while it is open takes effect at the next connect.
    ParamList& Params() { return params_; }
    const ParamList& Params() const { return params_; }

    ConnectionState state() const { return state_; }
    bool Connected() const { return state_ == ConnectionState::Open; }
    // Connects when closed, and anew when the open attachment was lost (the server went away
    // after connecting; the call that met the loss raised its error). A failure raises DbError
    // with the client's text and leaves the connection closed; the next use tries again.
    void Open();
    // Rolls back an active transaction and detaches; nothing happens when closed.
    void Close();

    // The attachment, opened first when the connection is closed.
    Attachment& attachment();
    // Prepares `sql` in `tx` (a transaction of this connection).
    std::unique_ptr<Statement> prepare(Transaction& tx, std::string_view sql);
    // A transaction with the connection's isolation and lock settings, owned by the caller (the
    // reads of the datasets and of `SQLQuery1`). Opens the connection first when closed.
    std::unique_ptr<Transaction> newTransaction();

    // The one transaction of the providers (the apply step). StartTransaction fails with
    // DbError while one is active; Commit fails when none is.
    void StartTransaction();
    void Commit();
    void Rollback();  // nothing happens when none is active or the connection was lost
    bool InTransaction() const;
    Transaction& transaction();  // the active one; DbError when none

    // Runs one statement that returns no rows in a transaction of its own, committed before the
    // call returns; returns the number of rows it affected. Opens the connection first.
    std::uint64_t ExecuteDirect(std::string_view sql);

    char quoteChar() const { return '"'; }

    // What a connect uses, read from the parameter list: "Database" without its blanks at both
    // ends, "User_Name", "Password", "RoleName", "ServerCharSet", "SQLDialect".
    AttachParams attachParams() const;
    // "<DriverName> TransIsolation": "RepeatableRead" and "DirtyRead" (any case) select those
    // levels, anything else read committed. "WaitOnLocks": "True" (any case) waits.
    Isolation isolation() const;
    bool waitOnLocks() const;

    int connectCount() const { return connects_; }          // successful connects
    int connectAttempts() const { return connectAttempts_; }  // successful or not

private:
    std::string connectionName_ = "KorvelanDados";
    std::string driverName_ = "Interbase";
    std::string libraryName_ = "dbexpint.dll";
    std::string getDriverFunc_ = "getSQLDriverINTERBASE";
    std::string vendorLib_ = "gds32.dll";
    ParamList params_;
    ConnectionState state_ = ConnectionState::Closed;
    std::unique_ptr<Attachment> attachment_;
    std::unique_ptr<Transaction> transaction_;
    int connects_ = 0;
    int connectAttempts_ = 0;
};

}  // namespace mig::db
