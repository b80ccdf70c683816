#include "target/db/Driver.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "target/field/Calendar.h"
#include "target/field/DecimalArithmetic.h"
#include "target/platform/WindowsPath.h"

namespace mig::db {

using namespace Firebird;

namespace {

// Day 0 of the field layer's calendar (30 December 1899) as the server counts days (from 17
// November 1858): the server's day numbers are the field layer's plus this offset.
constexpr std::int32_t kDateOffset = 15018;
// The server's times are in ten-thousandths of a second, the field layer's in milliseconds.
constexpr std::uint32_t kTimeUnitsPerMs = 10;

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "C:\..." or "C:/..." (or a bare "C:").
bool hasDrive(std::string_view path) {
    return path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':' &&
           (path.size() == 2 || path[2] == '\\' || path[2] == '/');
}

}  // namespace

DatabaseLocation locateDatabase(std::string_view database) {
    DatabaseLocation loc;
    const auto colon = database.find(':');
    std::string_view path = database;
    if (colon == std::string_view::npos) {
        loc.embedded = true;
    } else if (colon == 0) {
        loc.embedded = true;
        path = database.substr(1);
    } else if (hasDrive(database)) {
        loc.embedded = true;
    }
    if (!loc.embedded) {
        loc.path = std::string(database);  // to the server, as it is
        return loc;
    }
    loc.path = hasDrive(path) ? resolveWindowsPath(path) : std::string(path);
    return loc;
}

// ---------------------------------------------------------------------------------------------
// The client state shared by an attachment and everything made from it.

namespace {

struct TraHandle {
    ITransaction* tra = nullptr;  // null once committed, rolled back or abandoned
};

struct Client {
    IMaster* master = fb_get_master_interface();
    IUtil* util = master->getUtilInterface();
    IStatus* raw = master->getStatus();
    CheckStatusWrapper st{raw};
    IProvider* provider = master->getDispatcher();
    IAttachment* att = nullptr;
    unsigned dialect = 3;
    bool lost = false;  // a call failed because the connection is gone
    std::vector<std::weak_ptr<TraHandle>> transactions;

    Client() = default;
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    ~Client() {
        closeAttachment();
        provider->release();
        raw->dispose();
    }

    bool failed() const { return (st.getState() & IStatus::STATE_ERRORS) != 0; }

    std::string statusText() {
        char buffer[4096];
        const unsigned n = util->formatStatus(buffer, sizeof buffer, &st);
        std::string text(buffer, std::min<std::size_t>(n, sizeof buffer - 1));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\0')) text.pop_back();
        return text;
    }

    std::int64_t statusCode() {
        const intptr_t* v = st.getErrors();
        return (v && v[0] == isc_arg_gds) ? static_cast<std::int64_t>(v[1]) : 0;
    }

    // Raises the failure of the last call, if any, noting first whether it means the
    // connection is gone.
    void check() {
        if (!failed()) return;
        if (meansLostConnection()) lost = true;
        throw DbError(statusText(), statusCode());
    }

    bool meansLostConnection() {
        const intptr_t* v = st.getErrors();
        for (std::size_t i = 0; v && v[i] != isc_arg_end;) {
            if (v[i] == isc_arg_gds) {
                switch (v[i + 1]) {
                    case isc_network_error:
                    case isc_net_read_err:
                    case isc_net_write_err:
                    case isc_lost_db_connection:
                    case isc_conn_lost:
                    case isc_att_shutdown:
                    case isc_shutdown: return true;
                    default: break;
                }
            }
            i += v[i] == isc_arg_cstring ? 3 : 2;
        }
        return false;
    }

    IAttachment* attachment() {
        if (!att) throw DbError("The database connection is closed");
        return att;
    }

    void track(const std::shared_ptr<TraHandle>& h) {
        std::erase_if(transactions, [](const std::weak_ptr<TraHandle>& w) { return w.expired(); });
        transactions.push_back(h);
    }

    // Rolls back what is still active and detaches. Never throws.
    void closeAttachment() {
        if (!att) return;
        for (auto& w : transactions) {
            if (auto h = w.lock(); h && h->tra) {
                h->tra->rollback(&st);
                if (failed()) h->tra->release();
                h->tra = nullptr;
            }
        }
        transactions.clear();
        att->detach(&st);
        if (failed()) att->release();
        att = nullptr;
    }
};

// Owns an XPB builder for the length of a call.
struct Xpb {
    IXpbBuilder* b;
    Xpb(Client& c, unsigned kind) : b(c.util->getXpbBuilder(&c.st, kind, nullptr, 0)) { c.check(); }
    ~Xpb() { b->dispose(); }
    Xpb(const Xpb&) = delete;
    Xpb& operator=(const Xpb&) = delete;
};

std::unique_ptr<Client> attachOrCreate(const AttachParams& params, bool create, int pageSize) {
    auto c = std::make_unique<Client>();
    const DatabaseLocation loc = locateDatabase(params.database);
    Xpb dpb(*c, IXpbBuilder::DPB);
    auto text = [&](unsigned char tag, const std::string& value) {
        if (value.empty()) return;
        dpb.b->insertString(&c->st, tag, value.c_str());
        c->check();
    };
    auto number = [&](unsigned char tag, int value) {
        dpb.b->insertInt(&c->st, tag, value);
        c->check();
    };
    text(isc_dpb_user_name, params.user);
    text(isc_dpb_password, params.password);
    text(isc_dpb_sql_role_name, params.role);
    text(isc_dpb_lc_ctype, params.charset);
    number(isc_dpb_sql_dialect, params.dialect);
    // A local file is opened in this process by the embedded engine, never handed to a server.
    if (loc.embedded) text(isc_dpb_config, "Providers=Engine12");
    if (create) {
        number(isc_dpb_page_size, pageSize);
        text(isc_dpb_set_db_charset, params.charset.empty() ? "WIN1252" : params.charset);
    }
    const unsigned len = dpb.b->getBufferLength(&c->st);
    c->check();
    const unsigned char* buf = dpb.b->getBuffer(&c->st);
    c->check();
    c->att = create ? c->provider->createDatabase(&c->st, loc.path.c_str(), len, buf)
                    : c->provider->attachDatabase(&c->st, loc.path.c_str(), len, buf);
    if (c->failed()) {
        c->att = nullptr;
        c->check();
    }
    c->dialect = static_cast<unsigned>(params.dialect);
    return c;
}

SqlType sqlTypeOf(unsigned type) {
    switch (type & ~1u) {
        case SQL_TEXT: return SqlType::Char;
        case SQL_VARYING: return SqlType::VarChar;
        case SQL_SHORT: return SqlType::SmallInt;
        case SQL_LONG: return SqlType::Integer;
        case SQL_INT64: return SqlType::BigInt;
        case SQL_FLOAT: return SqlType::Float;
        case SQL_DOUBLE:
        case SQL_D_FLOAT: return SqlType::Double;
        case SQL_TYPE_DATE: return SqlType::Date;
        case SQL_TYPE_TIME: return SqlType::Time;
        case SQL_TIMESTAMP: return SqlType::Timestamp;
        case SQL_BLOB: return SqlType::Blob;
        case SQL_BOOLEAN: return SqlType::Boolean;
        case SQL_NULL: return SqlType::Null;
        default: throw DbError("Unsupported SQL type " + std::to_string(type & ~1u));
    }
}

const char* sqlTypeName(SqlType t) {
    switch (t) {
        case SqlType::Char: return "CHAR";
        case SqlType::VarChar: return "VARCHAR";
        case SqlType::SmallInt: return "SMALLINT";
        case SqlType::Integer: return "INTEGER";
        case SqlType::BigInt: return "BIGINT";
        case SqlType::Float: return "FLOAT";
        case SqlType::Double: return "DOUBLE PRECISION";
        case SqlType::Date: return "DATE";
        case SqlType::Time: return "TIME";
        case SqlType::Timestamp: return "TIMESTAMP";
        case SqlType::Blob: return "BLOB";
        case SqlType::Boolean: return "BOOLEAN";
        case SqlType::Null: return "NULL";
    }
    return "?";
}

const char* valueKindName(const Value& v) {
    switch (v.index()) {
        case 0: return "null";
        case 1: return "text";
        case 2: return "integer";
        case 3: return "float";
        case 4: return "decimal";
        case 5: return "date";
        case 6: return "time";
        case 7: return "date-time";
        case 8: return "timestamp";
        case 9: return "logical";
    }
    return "?";
}

bool isIntegral(SqlType t) {
    return t == SqlType::SmallInt || t == SqlType::Integer || t == SqlType::BigInt;
}

int storagePrecision(SqlType t) {
    switch (t) {
        case SqlType::SmallInt: return 4;
        case SqlType::Integer: return 9;
        case SqlType::BigInt: return 18;
        default: return 0;
    }
}

std::vector<Column> describe(Client& c, IMessageMetadata* meta) {
    std::vector<Column> cols;
    if (!meta) return cols;
    const unsigned n = meta->getCount(&c.st);
    c.check();
    cols.reserve(n);
    for (unsigned i = 0; i < n; ++i) {
        Column col;
        // Each call clears the status of the one before: check them one by one.
        auto ask = [&c](auto value) {
            c.check();
            return value;
        };
        const char* field = ask(meta->getField(&c.st, i));
        const char* relation = ask(meta->getRelation(&c.st, i));
        const char* alias = ask(meta->getAlias(&c.st, i));
        const unsigned type = ask(meta->getType(&c.st, i));
        const unsigned length = ask(meta->getLength(&c.st, i));
        const int scale = ask(meta->getScale(&c.st, i));
        const int subType = ask(meta->getSubType(&c.st, i));
        const bool nullable = ask(meta->isNullable(&c.st, i));
        col.name = field ? field : "";
        col.relation = relation ? relation : "";
        col.alias = alias ? alias : "";
        col.type = sqlTypeOf(type);
        col.length = static_cast<int>(length);
        col.scale = -scale;
        col.subType = subType;
        col.nullable = nullable;
        if (isIntegral(col.type) && col.scale > 0) col.precision = storagePrecision(col.type);
        cols.push_back(std::move(col));
    }
    return cols;
}

std::string decimalText(std::int64_t unscaled, int scale) {
    std::string s = std::to_string(unscaled < 0 ? 0 - static_cast<std::uint64_t>(unscaled)
                                                : static_cast<std::uint64_t>(unscaled));
    if (scale > 0) {
        if (static_cast<int>(s.size()) <= scale) s.insert(0, static_cast<std::size_t>(scale) + 1 - s.size(), '0');
        s.insert(s.size() - static_cast<std::size_t>(scale), ".");
    }
    if (unscaled < 0) s.insert(0, "-");
    return s;
}

// Firebird's day number of a date of the field layer.
ISC_DATE firebirdDay(Date date) { return date.days + kDateOffset; }
Date dateOfFirebirdDay(ISC_DATE day) { return Date{day - kDateOffset}; }

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

struct Layout {
    unsigned offset = 0;
    unsigned nullOffset = 0;
};

std::vector<Layout> layoutOf(Client& c, IMessageMetadata* meta, std::size_t n) {
    std::vector<Layout> l(n);
    for (unsigned i = 0; i < n; ++i) {
        l[i].offset = meta->getOffset(&c.st, i);
        c.check();
        l[i].nullOffset = meta->getNullOffset(&c.st, i);
        c.check();
    }
    return l;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Transaction

struct Transaction::Impl {
    std::shared_ptr<Client> c;
    std::shared_ptr<TraHandle> h = std::make_shared<TraHandle>();
};

Transaction::Transaction(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Transaction::~Transaction() {
    try {
        rollback();
    } catch (...) {
    }
    // rollback() gave up the handle even when the client failed.
}

void Transaction::commit() {
    auto& h = *impl_->h;
    if (!h.tra) throw DbError("The transaction is not active");
    h.tra->commit(&impl_->c->st);
    impl_->c->check();  // a failed commit leaves the transaction active
    h.tra = nullptr;
}

void Transaction::rollback() {
    auto& h = *impl_->h;
    if (!h.tra) return;
    Client& c = *impl_->c;
    h.tra->rollback(&c.st);
    if (c.failed()) {
        h.tra->release();
        h.tra = nullptr;
        c.check();
    }
    h.tra = nullptr;
}

bool Transaction::active() const { return impl_->h->tra != nullptr; }

// ---------------------------------------------------------------------------------------------
// Statement

struct Statement::Impl {
    std::shared_ptr<Client> c;
    IStatement* stmt = nullptr;
    IMessageMetadata* inMeta = nullptr;
    IMessageMetadata* outMeta = nullptr;
    IResultSet* rs = nullptr;
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

    ITransaction* traOf(Transaction& tx) const;
    void bind(ITransaction* tra, std::span<const Value> values);
    void bindOne(ITransaction* tra, std::size_t i, const Value& v);
    void writeScaled(std::size_t i, std::int64_t unscaled, int fromScale);
    const unsigned char* field(int column, bool allowNull = false) const;
    [[noreturn]] void refuse(std::size_t i, const Value& v) const;
};

Statement::Statement(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Statement::~Statement() = default;

const std::vector<Column>& Statement::columns() const { return impl_->cols; }
const std::vector<Column>& Statement::parameters() const { return impl_->params; }

void Statement::setParameterPrecision(int index, int precision) {
    if (index < 0 || static_cast<std::size_t>(index) >= impl_->params.size())
        throw DbError("Parameter index " + std::to_string(index) + " out of range");
    if (precision < 1 || precision > 18) throw DbError("Invalid precision " + std::to_string(precision));
    impl_->params[static_cast<std::size_t>(index)].precision = precision;
}

bool Statement::hasResultSet() const {
    return impl_->type == isc_info_sql_stmt_select || impl_->type == isc_info_sql_stmt_select_for_upd;
}

ITransaction* Statement::Impl::traOf(Transaction& tx) const {
    if (tx.impl_->c != c) throw DbError("The transaction belongs to another connection");
    if (!tx.impl_->h->tra) throw DbError("The transaction is not active");
    c->attachment();
    return tx.impl_->h->tra;
}

void Statement::Impl::refuse(std::size_t i, const Value& v) const {
    throw DbError("Parameter " + std::to_string(i + 1) + ": a " + valueKindName(v) +
                  " value cannot be given to a " + sqlTypeName(params[i].type) + " parameter");
}

// Stores unscaled / 10^fromScale into integral parameter i, at the parameter's scale.
void Statement::Impl::writeScaled(std::size_t i, std::int64_t unscaled, int fromScale) {
    const Column& p = params[i];
    std::int64_t v = 0;
    const std::string shown = decimalText(unscaled, fromScale);
    const std::string where = "Parameter " + std::to_string(i + 1) + ": ";
    if (!rescale(unscaled, fromScale, p.scale, v))
        throw DbError(where + "the value " + shown + " is out of range");
    if (p.scale > 0 && p.precision > 0) {
        const std::int64_t limit = powerOfTen(std::min(p.precision, kMaxPowerOfTen));
        if (v >= limit || v <= -limit)
            throw DbError(where + "the value " + shown + " has more than " +
                          std::to_string(p.precision - p.scale) +
                          " digits before the decimal point (NUMERIC(" + std::to_string(p.precision) +
                          "," + std::to_string(p.scale) + "))");
    }
    unsigned char* dst = inBuf.data() + paramLayout[i].offset;
    switch (p.type) {
        case SqlType::SmallInt:
            if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max())
                throw DbError(where + "the value " + shown + " is out of range for SMALLINT");
            put<std::int16_t>(dst, static_cast<std::int16_t>(v));
            break;
        case SqlType::Integer:
            if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
                throw DbError(where + "the value " + shown + " is out of range for INTEGER");
            put<std::int32_t>(dst, static_cast<std::int32_t>(v));
            break;
        default: put<std::int64_t>(dst, v); break;
    }
}

void Statement::Impl::bindOne(ITransaction* tra, std::size_t i, const Value& v) {
    const Column& p = params[i];
    unsigned char* dst = inBuf.data() + paramLayout[i].offset;
    put<std::int16_t>(inBuf.data() + paramLayout[i].nullOffset, mig::isNull(v) ? -1 : 0);
    if (mig::isNull(v)) return;
    const std::string where = "Parameter " + std::to_string(i + 1) + ": ";
    switch (p.type) {
        case SqlType::Char:
        case SqlType::VarChar: {
            std::string own;
            const std::string* s = std::get_if<std::string>(&v);
            if (!s) {
                if (const auto* n = std::get_if<std::int32_t>(&v)) own = std::to_string(*n);
                else refuse(i, v);
                s = &own;
            }
            const auto room = static_cast<std::size_t>(p.length);
            if (s->size() > room)
                throw DbError(where + "string right truncation: the text has " +
                              std::to_string(s->size()) + " characters, the parameter takes at most " +
                              std::to_string(room));
            if (p.type == SqlType::VarChar) {
                put<std::uint16_t>(dst, static_cast<std::uint16_t>(s->size()));
                std::memcpy(dst + 2, s->data(), s->size());
            } else {
                std::memcpy(dst, s->data(), s->size());
                std::memset(dst + s->size(), ' ', room - s->size());
            }
            return;
        }
        case SqlType::SmallInt:
        case SqlType::Integer:
        case SqlType::BigInt: {
            if (const auto* n = std::get_if<std::int32_t>(&v)) return writeScaled(i, *n, 0);
            if (const auto* d = std::get_if<Decimal>(&v)) {
                if (d->scale >= 0) return writeScaled(i, d->unscaled, d->scale);
                std::int64_t u = 0;
                if (!rescale(d->unscaled, d->scale, 0, u)) throw DbError(where + "the value is out of range");
                return writeScaled(i, u, 0);
            }
            if (const auto* f = std::get_if<double>(&v)) {
                const std::optional<Decimal> d = decimalOfDouble(*f);
                if (!d) throw DbError(where + "the value is out of range");
                return writeScaled(i, d->unscaled, d->scale);
            }
            refuse(i, v);
        }
        case SqlType::Float:
        case SqlType::Double: {
            double d = 0;
            if (const auto* f = std::get_if<double>(&v)) d = *f;
            else if (const auto* n = std::get_if<std::int32_t>(&v)) d = *n;
            else if (const auto* dec = std::get_if<Decimal>(&v)) d = decimalToDouble(*dec);
            else refuse(i, v);
            if (p.type == SqlType::Float) put<float>(dst, static_cast<float>(d));
            else put<double>(dst, d);
            return;
        }
        case SqlType::Date: {
            Date date;
            if (const auto* d = std::get_if<Date>(&v)) date = *d;
            else if (const auto* dt = std::get_if<DateTime>(&v)) {
                const auto parts = splitDateTime(dt->value);
                if (!parts) throw DbError(where + "invalid date");
                date = parts->date;
            } else if (const auto* ts = std::get_if<Timestamp>(&v)) {
                const auto civil = makeDate(ts->year, ts->month, ts->day);
                if (!civil) throw DbError(where + "invalid date");
                date = *civil;
            } else refuse(i, v);
            if (!inCalendar(date)) throw DbError(where + "invalid date");
            put<ISC_DATE>(dst, firebirdDay(date));
            return;
        }
        case SqlType::Time: {
            const auto* t = std::get_if<Time>(&v);
            if (!t) refuse(i, v);
            if (t->ms < 0 || t->ms >= kMsPerDay) throw DbError(where + "invalid time");
            put<ISC_TIME>(dst, static_cast<ISC_TIME>(t->ms) * kTimeUnitsPerMs);
            return;
        }
        case SqlType::Timestamp: {
            ISC_TIMESTAMP out{};
            if (const auto* ts = std::get_if<Timestamp>(&v)) {
                const auto date = makeDate(ts->year, ts->month, ts->day);
                if (!date || ts->hour > 23 || ts->minute > 59 || ts->second > 59 || ts->fraction > 9999)
                    throw DbError(where + "invalid timestamp");
                out.timestamp_date = firebirdDay(*date);
                out.timestamp_time = ((ts->hour * 60u + ts->minute) * 60u + ts->second) * 10000u + ts->fraction;
            } else if (const auto* dt = std::get_if<DateTime>(&v)) {
                const auto parts = splitDateTime(dt->value);
                if (!parts) throw DbError(where + "invalid timestamp");
                out.timestamp_date = firebirdDay(parts->date);
                out.timestamp_time = static_cast<ISC_TIME>(parts->time.ms) * kTimeUnitsPerMs;
            } else if (const auto* d = std::get_if<Date>(&v)) {
                if (!inCalendar(*d)) throw DbError(where + "invalid timestamp");
                out.timestamp_date = firebirdDay(*d);
            } else refuse(i, v);
            put<ISC_TIMESTAMP>(dst, out);
            return;
        }
        case SqlType::Blob: {
            const auto* s = std::get_if<std::string>(&v);
            if (!s) refuse(i, v);
            ISC_QUAD id{};
            IBlob* blob = c->attachment()->createBlob(&c->st, tra, &id, 0, nullptr);
            c->check();
            struct Guard {
                Client& c;
                IBlob* b;
                ~Guard() {
                    if (!b) return;
                    b->cancel(&c.st);
                    if (c.failed()) b->release();
                }
            } guard{*c, blob};
            constexpr std::size_t kChunk = 32768;
            for (std::size_t pos = 0; pos < s->size(); pos += kChunk) {
                const auto n = static_cast<unsigned>(std::min(kChunk, s->size() - pos));
                blob->putSegment(&c->st, n, s->data() + pos);
                c->check();
            }
            blob->close(&c->st);
            c->check();
            guard.b = nullptr;
            put<ISC_QUAD>(dst, id);
            return;
        }
        case SqlType::Boolean: {
            const auto* b = std::get_if<bool>(&v);
            if (!b) refuse(i, v);
            put<FB_BOOLEAN>(dst, *b ? FB_TRUE : FB_FALSE);
            return;
        }
        case SqlType::Null: refuse(i, v);
    }
}

void Statement::Impl::bind(ITransaction* tra, std::span<const Value> values) {
    if (values.size() != params.size())
        throw DbError("The statement takes " + std::to_string(params.size()) + " parameters, " +
                      std::to_string(values.size()) + " given");
    std::fill(inBuf.begin(), inBuf.end(), 0);
    for (std::size_t i = 0; i < values.size(); ++i) bindOne(tra, i, values[i]);
}

std::uint64_t Statement::execute(Transaction& tx, std::span<const Value> params) {
    Impl& s = *impl_;
    if (hasResultSet()) throw DbError("A statement that returns rows must be opened, not executed");
    ITransaction* tra = s.traOf(tx);
    s.closeCursor();
    s.bind(tra, params);
    const bool withRow = !s.cols.empty();
    s.stmt->execute(&s.c->st, tra, s.inMeta, s.inBuf.data(), withRow ? s.outMeta : nullptr,
                    withRow ? s.outBuf.data() : nullptr);
    s.c->check();
    s.rowTra = tx.impl_->h;
    s.hasRow = withRow;
    const ISC_UINT64 n = s.stmt->getAffectedRecords(&s.c->st);
    s.c->check();
    return n;
}

void Statement::open(Transaction& tx, std::span<const Value> params) {
    Impl& s = *impl_;
    if (!hasResultSet()) throw DbError("Only a statement that returns rows can be opened");
    ITransaction* tra = s.traOf(tx);
    s.closeCursor();
    s.bind(tra, params);
    s.rs = s.stmt->openCursor(&s.c->st, tra, s.inMeta, s.inBuf.data(), s.outMeta, 0);
    if (s.c->failed()) {
        s.rs = nullptr;
        s.c->check();
    }
    s.rowTra = tx.impl_->h;
}

bool Statement::fetch() {
    Impl& s = *impl_;
    s.hasRow = false;
    if (!s.rs) return false;
    const int rc = s.rs->fetchNext(&s.c->st, s.outBuf.data());
    s.c->check();
    if (rc == IStatus::RESULT_OK) {
        s.hasRow = true;
        return true;
    }
    s.closeCursor();
    return false;
}

void Statement::close() { impl_->closeCursor(); }

const unsigned char* Statement::Impl::field(int column, bool allowNull) const {
    if (column < 0 || static_cast<std::size_t>(column) >= cols.size())
        throw DbError("Column index " + std::to_string(column) + " out of range");
    if (!hasRow) throw DbError("No current row");
    const Layout& l = colLayout[static_cast<std::size_t>(column)];
    if (!allowNull && get<std::int16_t>(outBuf.data() + l.nullOffset) != 0)
        throw DbError("Column " + cols[static_cast<std::size_t>(column)].alias + " is null");
    return outBuf.data() + l.offset;
}

bool Statement::isNull(int column) const {
    impl_->field(column, true);
    const Layout& l = impl_->colLayout[static_cast<std::size_t>(column)];
    return get<std::int16_t>(impl_->outBuf.data() + l.nullOffset) != 0;
}

std::string_view Statement::text(int column) const {
    const unsigned char* p = impl_->field(column);
    const Column& c = impl_->cols[static_cast<std::size_t>(column)];
    if (c.type == SqlType::VarChar)
        return {reinterpret_cast<const char*>(p + 2), get<std::uint16_t>(p)};
    if (c.type == SqlType::Char) return {reinterpret_cast<const char*>(p), static_cast<std::size_t>(c.length)};
    throw DbError("Column " + c.alias + " is not text");
}

std::int64_t Statement::integer(int column) const {
    const unsigned char* p = impl_->field(column);
    const Column& c = impl_->cols[static_cast<std::size_t>(column)];
    switch (c.type) {
        case SqlType::SmallInt: return get<std::int16_t>(p);
        case SqlType::Integer: return get<std::int32_t>(p);
        case SqlType::BigInt: return get<std::int64_t>(p);
        default: throw DbError("Column " + c.alias + " is not an integer");
    }
}

double Statement::floating(int column) const {
    const unsigned char* p = impl_->field(column);
    const Column& c = impl_->cols[static_cast<std::size_t>(column)];
    switch (c.type) {
        case SqlType::Float: return get<float>(p);
        case SqlType::Double: return get<double>(p);
        case SqlType::SmallInt:
        case SqlType::Integer:
        case SqlType::BigInt:
            return decimalToDouble(Decimal{integer(column), static_cast<std::int8_t>(c.scale), 0});
        default: throw DbError("Column " + c.alias + " is not a number");
    }
}

Date Statement::date(int column) const {
    const unsigned char* p = impl_->field(column);
    const Column& c = impl_->cols[static_cast<std::size_t>(column)];
    if (c.type == SqlType::Date) return dateOfFirebirdDay(get<ISC_DATE>(p));
    if (c.type == SqlType::Timestamp) return dateOfFirebirdDay(get<ISC_TIMESTAMP>(p).timestamp_date);
    throw DbError("Column " + c.alias + " is not a date");
}

Time Statement::time(int column) const {
    const unsigned char* p = impl_->field(column);
    const Column& c = impl_->cols[static_cast<std::size_t>(column)];
    if (c.type == SqlType::Time) return Time{static_cast<std::int32_t>(get<ISC_TIME>(p) / kTimeUnitsPerMs)};
    if (c.type == SqlType::Timestamp)
        return Time{static_cast<std::int32_t>(get<ISC_TIMESTAMP>(p).timestamp_time / kTimeUnitsPerMs)};
    throw DbError("Column " + c.alias + " is not a time");
}

Timestamp Statement::timestamp(int column) const {
    const unsigned char* p = impl_->field(column);
    const Column& c = impl_->cols[static_cast<std::size_t>(column)];
    ISC_TIMESTAMP ts{};
    if (c.type == SqlType::Timestamp) ts = get<ISC_TIMESTAMP>(p);
    else if (c.type == SqlType::Date) ts.timestamp_date = get<ISC_DATE>(p);
    else throw DbError("Column " + c.alias + " is not a timestamp");
    Timestamp out;
    const CivilDate civil = civilDate(dateOfFirebirdDay(ts.timestamp_date));
    out.year = static_cast<std::int16_t>(civil.year);
    out.month = static_cast<std::uint8_t>(civil.month);
    out.day = static_cast<std::uint8_t>(civil.day);
    std::uint32_t t = ts.timestamp_time;
    out.fraction = t % 10000;
    t /= 10000;
    out.second = static_cast<std::uint8_t>(t % 60);
    t /= 60;
    out.minute = static_cast<std::uint8_t>(t % 60);
    out.hour = static_cast<std::uint8_t>(t / 60);
    return out;
}

bool Statement::boolean(int column) const {
    const unsigned char* p = impl_->field(column);
    const Column& c = impl_->cols[static_cast<std::size_t>(column)];
    if (c.type != SqlType::Boolean) throw DbError("Column " + c.alias + " is not a boolean");
    return get<FB_BOOLEAN>(p) != FB_FALSE;
}

std::string Statement::blob(int column) const {
    const unsigned char* p = impl_->field(column);
    const Column& col = impl_->cols[static_cast<std::size_t>(column)];
    if (col.type != SqlType::Blob) throw DbError("Column " + col.alias + " is not a blob");
    Client& c = *impl_->c;
    if (!impl_->rowTra || !impl_->rowTra->tra)
        throw DbError("The transaction the row was read in has ended");
    ISC_QUAD id = get<ISC_QUAD>(p);
    IBlob* b = c.attachment()->openBlob(&c.st, impl_->rowTra->tra, &id, 0, nullptr);
    c.check();
    struct Guard {
        Client& c;
        IBlob* b;
        ~Guard() {
            if (!b) return;
            b->close(&c.st);
            if (c.failed()) b->release();
        }
    } guard{c, b};
    std::string out;
    char buffer[32768];
    for (;;) {
        unsigned n = 0;
        const int rc = b->getSegment(&c.st, sizeof buffer, buffer, &n);
        c.check();
        if (rc == IStatus::RESULT_NO_DATA) break;
        out.append(buffer, n);
    }
    guard.b = nullptr;
    b->close(&c.st);
    if (c.failed()) {
        b->release();
        c.check();
    }
    return out;
}

Value Statement::value(int column) const {
    if (isNull(column)) return {};
    const Column& c = impl_->cols[static_cast<std::size_t>(column)];
    switch (c.type) {
        case SqlType::Char:
        case SqlType::VarChar: return std::string(text(column));
        case SqlType::SmallInt:
        case SqlType::Integer:
            if (c.scale == 0) return static_cast<std::int32_t>(integer(column));
            [[fallthrough]];
        case SqlType::BigInt: {
            const std::int64_t u = integer(column);
            return Decimal{u, static_cast<std::int8_t>(c.scale), static_cast<std::int8_t>(countDigits(u))};
        }
        case SqlType::Float:
        case SqlType::Double: return floating(column);
        case SqlType::Date: return date(column);
        case SqlType::Time: return time(column);
        case SqlType::Timestamp: return timestamp(column);
        case SqlType::Blob: return blob(column);
        case SqlType::Boolean: return boolean(column);
        case SqlType::Null: return {};
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Attachment

struct Attachment::Impl {
    std::shared_ptr<Client> c;
};

Attachment::Attachment(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Attachment::~Attachment() { impl_->c->closeAttachment(); }

bool Attachment::lost() const { return impl_->c->lost; }

std::unique_ptr<Attachment> Attachment::attach(const AttachParams& params) {
    auto impl = std::make_unique<Impl>();
    impl->c = attachOrCreate(params, false, 0);
    return std::unique_ptr<Attachment>(new Attachment(std::move(impl)));
}

std::unique_ptr<Attachment> Attachment::create(const AttachParams& params, int pageSize) {
    auto impl = std::make_unique<Impl>();
    impl->c = attachOrCreate(params, true, pageSize);
    return std::unique_ptr<Attachment>(new Attachment(std::move(impl)));
}

std::unique_ptr<Transaction> Attachment::startTransaction(Isolation isolation, bool wait) {
    Client& c = *impl_->c;
    IAttachment* att = c.attachment();
    Xpb tpb(c, IXpbBuilder::TPB);
    auto tag = [&](unsigned char t) {
        tpb.b->insertTag(&c.st, t);
        c.check();
    };
    tag(isc_tpb_write);
    if (isolation == Isolation::RepeatableRead) {
        tag(isc_tpb_concurrency);
    } else {  // the server has no dirty reads: read committed is the nearest
        tag(isc_tpb_read_committed);
        tag(isc_tpb_rec_version);
    }
    tag(wait ? isc_tpb_wait : isc_tpb_nowait);
    const unsigned len = tpb.b->getBufferLength(&c.st);
    c.check();
    const unsigned char* buf = tpb.b->getBuffer(&c.st);
    c.check();
    auto impl = std::make_unique<Transaction::Impl>();
    impl->c = impl_->c;
    ITransaction* tra = att->startTransaction(&c.st, len, buf);
    c.check();
    impl->h->tra = tra;
    c.track(impl->h);
    return std::unique_ptr<Transaction>(new Transaction(std::move(impl)));
}

std::unique_ptr<Statement> Attachment::prepare(Transaction& tx, std::string_view sql) {
    Client& c = *impl_->c;
    auto impl = std::make_unique<Statement::Impl>();
    impl->c = impl_->c;
    ITransaction* tra = impl->traOf(tx);
    impl->stmt = c.attachment()->prepare(&c.st, tra, static_cast<unsigned>(sql.size()), sql.data(), c.dialect,
                                         IStatement::PREPARE_PREFETCH_METADATA);
    if (c.failed()) {
        impl->stmt = nullptr;
        c.check();
    }
    impl->type = impl->stmt->getType(&c.st);
    c.check();
    impl->inMeta = impl->stmt->getInputMetadata(&c.st);
    if (c.failed()) impl->inMeta = nullptr;
    c.check();
    impl->outMeta = impl->stmt->getOutputMetadata(&c.st);
    if (c.failed()) impl->outMeta = nullptr;
    c.check();
    impl->params = describe(c, impl->inMeta);
    impl->cols = describe(c, impl->outMeta);
    impl->paramLayout = layoutOf(c, impl->inMeta, impl->params.size());
    impl->colLayout = layoutOf(c, impl->outMeta, impl->cols.size());
    if (!impl->inMeta || !impl->outMeta) throw DbError("The statement was prepared without a description");
    impl->inBuf.assign(impl->inMeta->getMessageLength(&c.st), 0);
    c.check();
    impl->outBuf.assign(impl->outMeta->getMessageLength(&c.st), 0);
    c.check();
    return std::unique_ptr<Statement>(new Statement(std::move(impl)));
}

std::uint64_t Attachment::executeImmediate(std::string_view sql) {
    auto tx = startTransaction();
    std::uint64_t n = 0;
    {
        auto stmt = prepare(*tx, sql);
        n = stmt->execute(*tx);
    }
    tx->commit();
    return n;
}

namespace {

// Splits a script at the semicolons that are outside quotes and comments.
std::vector<std::string_view> splitScript(std::string_view script) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    auto emit = [&](std::size_t end) {
        std::string_view s = script.substr(start, end - start);
        // Only comments and white space: nothing to run.
        bool code = false;
        for (std::size_t i = 0; i < s.size() && !code;) {
            if (s.compare(i, 2, "/*") == 0) {
                const auto e = s.find("*/", i + 2);
                i = e == std::string_view::npos ? s.size() : e + 2;
            } else if (s.compare(i, 2, "--") == 0) {
                const auto e = s.find('\n', i);
                i = e == std::string_view::npos ? s.size() : e + 1;
            } else if (static_cast<unsigned char>(s[i]) <= ' ') {
                ++i;
            } else {
                code = true;
            }
        }
        if (code) out.push_back(s);
    };
    for (std::size_t i = 0; i < script.size();) {
        const char ch = script[i];
        if (ch == '\'' || ch == '"') {
            const auto e = script.find(ch, i + 1);  // a doubled quote reads as two strings
            i = e == std::string_view::npos ? script.size() : e + 1;
        } else if (script.compare(i, 2, "/*") == 0) {
            const auto e = script.find("*/", i + 2);
            i = e == std::string_view::npos ? script.size() : e + 2;
        } else if (script.compare(i, 2, "--") == 0) {
            const auto e = script.find('\n', i);
            i = e == std::string_view::npos ? script.size() : e + 1;
        } else if (ch == ';') {
            emit(i);
            start = ++i;
        } else {
            ++i;
        }
    }
    emit(script.size());
    return out;
}

}  // namespace

void Attachment::executeScript(std::string_view script) {
    for (std::string_view sql : splitScript(script)) executeImmediate(sql);
}

namespace {

// A non-zero answer to the confirmation step cancels the shutdown.
int refuseShutdownOnSignal(const int reason, const int, void*) { return reason == fb_shutrsn_signal ? 1 : 0; }

}  // namespace

void keepClientRunningOnSignals() {
    ISC_STATUS_ARRAY status = {};
    if (fb_shutdown_callback(status, refuseShutdownOnSignal, fb_shut_confirmation, nullptr) != 0) {
        throw DbError("The client library refused the shutdown callback", status[1]);
    }
}

}  // namespace mig::db
