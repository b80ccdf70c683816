#include "target/db/SQLConnection.h"

#include <charconv>

namespace mig::db {

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::string_view nameOf(std::string_view line) { return line.substr(0, line.find('=')); }

// Without blanks (code 32) at both ends.
std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

std::string ParamList::name(std::size_t index) const { return std::string(nameOf(lines_.at(index))); }

int ParamList::indexOfName(std::string_view name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (sameName(nameOf(lines_[i]), name)) return static_cast<int>(i);
    return -1;
}

std::string ParamList::value(std::string_view name) const {
    const int i = indexOfName(name);
    if (i < 0) return {};
    const std::string& line = lines_[static_cast<std::size_t>(i)];
    const auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

void ParamList::setValue(std::string_view name, std::string_view value) {
    std::string line;
    line.reserve(name.size() + 1 + value.size());
    line.append(name).append("=").append(value);
    const int i = indexOfName(name);
    if (i < 0) lines_.push_back(std::move(line));
    else lines_[static_cast<std::size_t>(i)] = std::move(line);
}

SQLConnection::SQLConnection()
    : params_{"DriverName=Interbase",
              "Database=127.0.0.1:C:\\KORVELAN\\DADOS\\KORVELAN.BD",
              "RoleName=RoleName",
              "User_Name=sysdba",
              "Password=tawnypike",
              "ServerCharSet=win1252",
              "SQLDialect=3",
              "BlobSize=-1",
              "CommitRetain=False",
              "WaitOnLocks=True",
              "ErrorResourceFile=",
              "LocaleCode=0000",
              "Interbase TransIsolation=ReadCommited",
              "Trim Char=False"} {}

SQLConnection::~SQLConnection() { Close(); }

AttachParams SQLConnection::attachParams() const {
    AttachParams p;
    p.database = std::string(trimBlanks(params_.value("Database")));
    p.user = params_.value("User_Name");
    p.password = params_.value("Password");
    p.role = params_.value("RoleName");
    p.charset = params_.value("ServerCharSet");
    const std::string dialect = params_.value("SQLDialect");
    int d = 0;
    const auto [end, ec] = std::from_chars(dialect.data(), dialect.data() + dialect.size(), d);
    if (ec != std::errc() || end != dialect.data() + dialect.size() || d < 1 || d > 3)
        throw DbError("Invalid SQLDialect value '" + dialect + "'");
    p.dialect = d;
    return p;
}

Isolation SQLConnection::isolation() const {
    const std::string v = params_.value(driverName_ + " TransIsolation");
    if (sameName(v, "repeatableread")) return Isolation::RepeatableRead;
    if (sameName(v, "dirtyread")) return Isolation::DirtyRead;
    return Isolation::ReadCommitted;
}

bool SQLConnection::waitOnLocks() const { return sameName(params_.value("WaitOnLocks"), "true"); }

void SQLConnection::Open() {
    if (state_ == ConnectionState::Open) {
        if (!attachment_->lost()) return;
        Close();  // the server went away: this use connects anew
    }
    ++connectAttempts_;
    state_ = ConnectionState::Connecting;
    try {
        attachment_ = Attachment::attach(attachParams());
    } catch (...) {
        state_ = ConnectionState::Closed;
        throw;
    }
    state_ = ConnectionState::Open;
    ++connects_;
}

void SQLConnection::Close() {
    if (state_ == ConnectionState::Closed) return;
    transaction_.reset();  // rolls back
    attachment_.reset();   // detaches
    state_ = ConnectionState::Closed;
}

Attachment& SQLConnection::attachment() {
    Open();
    return *attachment_;
}

std::unique_ptr<Statement> SQLConnection::prepare(Transaction& tx, std::string_view sql) {
    return attachment().prepare(tx, sql);
}

std::unique_ptr<Transaction> SQLConnection::newTransaction() {
    return attachment().startTransaction(isolation(), waitOnLocks());
}

void SQLConnection::StartTransaction() {
    if (InTransaction() && !attachment_->lost()) throw DbError("A transaction is already active");
    transaction_ = newTransaction();
}

void SQLConnection::Commit() {
    if (!InTransaction()) throw DbError("No transaction is active");
    transaction_->commit();
    transaction_.reset();
}

void SQLConnection::Rollback() {
    if (!transaction_) return;
    auto tx = std::move(transaction_);
    // With the connection gone the server has already discarded the transaction.
    if (attachment_ && attachment_->lost()) return;
    tx->rollback();
}

bool SQLConnection::InTransaction() const { return transaction_ && transaction_->active(); }

Transaction& SQLConnection::transaction() {
    if (!InTransaction()) throw DbError("No transaction is active");
    return *transaction_;
}

std::uint64_t SQLConnection::ExecuteDirect(std::string_view sql) {
    auto tx = newTransaction();
    std::uint64_t n = 0;
    {
        auto stmt = attachment_->prepare(*tx, sql);  // newTransaction() opened it
        n = stmt->execute(*tx);
    }
    tx->commit();
    return n;
}

}  // namespace mig::db
