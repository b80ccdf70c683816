#include "target/db/Statement.h"

#include <ibase.h>

#include <algorithm>

#include "target/db/StatementImpl.h"
#include "target/field/Calendar.h"
#include "target/field/DecimalArithmetic.h"

namespace mig::db {

using namespace Firebird;

namespace {

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

std::vector<Column> describe(Session& c, IMessageMetadata* meta) {
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

std::vector<Layout> layoutOf(Session& c, IMessageMetadata* meta, std::size_t n) {
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

Statement::Statement(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Statement::~Statement() = default;

std::unique_ptr<Statement> Statement::prepare(const std::shared_ptr<Session>& session, Transaction& tx,
                                              std::string_view sql) {
    Session& c = *session;
    auto impl = std::make_unique<Impl>();
    impl->c = session;
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
    Session& c = *impl_->c;
    if (!impl_->rowTra || !impl_->rowTra->tra)
        throw DbError("The transaction the row was read in has ended");
    ISC_QUAD id = get<ISC_QUAD>(p);
    IBlob* b = c.attachment()->openBlob(&c.st, impl_->rowTra->tra, &id, 0, nullptr);
    c.check();
    struct Guard {
        Session& c;
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

}  // namespace mig::db
