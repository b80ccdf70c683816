// Binding a statement's parameters: each value converted to the type the server describes for
// its parameter (the table in Statement.h), one function per type; a value that does not fit
// is refused before the statement runs.
#include <algorithm>
#include <limits>
#include <optional>
#include <string>

#include "target/db/StatementImpl.h"
#include "target/field/Calendar.h"
#include "target/field/DecimalArithmetic.h"

namespace mig::db {

using namespace Firebird;

namespace {

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

// The decimal as the messages show it: every digit of its scale, with a point.
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

std::string where(std::size_t i) { return "Parameter " + std::to_string(i + 1) + ": "; }

}  // namespace

void Statement::Impl::refuse(std::size_t i, const Value& v) const {
    throw DbError("Parameter " + std::to_string(i + 1) + ": a " + valueKindName(v) +
                  " value cannot be given to a " + sqlTypeName(params[i].type) + " parameter");
}

void Statement::Impl::bind(ITransaction* tra, std::span<const Value> values) {
    if (values.size() != params.size())
        throw DbError("The statement takes " + std::to_string(params.size()) + " parameters, " +
                      std::to_string(values.size()) + " given");
    std::fill(inBuf.begin(), inBuf.end(), 0);
    for (std::size_t i = 0; i < values.size(); ++i) bindOne(tra, i, values[i]);
}

void Statement::Impl::bindOne(ITransaction* tra, std::size_t i, const Value& v) {
    put<std::int16_t>(inBuf.data() + paramLayout[i].nullOffset, mig::isNull(v) ? -1 : 0);
    if (mig::isNull(v)) return;
    switch (params[i].type) {
        case SqlType::Char:
        case SqlType::VarChar: return bindText(i, v);
        case SqlType::SmallInt:
        case SqlType::Integer:
        case SqlType::BigInt: return bindIntegral(i, v);
        case SqlType::Float:
        case SqlType::Double: return bindFloating(i, v);
        case SqlType::Date: return bindDate(i, v);
        case SqlType::Time: return bindTime(i, v);
        case SqlType::Timestamp: return bindTimestamp(i, v);
        case SqlType::Blob: return bindBlob(tra, i, v);
        case SqlType::Boolean: return bindBoolean(i, v);
        case SqlType::Null: refuse(i, v);
    }
}

void Statement::Impl::bindText(std::size_t i, const Value& v) {
    const Column& p = params[i];
    unsigned char* dst = inBuf.data() + paramLayout[i].offset;
    std::string own;
    const std::string* s = std::get_if<std::string>(&v);
    if (!s) {
        if (const auto* n = std::get_if<std::int32_t>(&v)) own = std::to_string(*n);
        else refuse(i, v);
        s = &own;
    }
    const auto room = static_cast<std::size_t>(p.length);
    if (s->size() > room)
        throw DbError(where(i) + "string right truncation: the text has " + std::to_string(s->size()) +
                      " characters, the parameter takes at most " + std::to_string(room));
    if (p.type == SqlType::VarChar) {
        put<std::uint16_t>(dst, static_cast<std::uint16_t>(s->size()));
        std::memcpy(dst + 2, s->data(), s->size());
    } else {
        std::memcpy(dst, s->data(), s->size());
        std::memset(dst + s->size(), ' ', room - s->size());
    }
}

void Statement::Impl::bindIntegral(std::size_t i, const Value& v) {
    if (const auto* n = std::get_if<std::int32_t>(&v)) return writeScaled(i, *n, 0);
    if (const auto* d = std::get_if<Decimal>(&v)) {
        if (d->scale >= 0) return writeScaled(i, d->unscaled, d->scale);
        std::int64_t u = 0;
        if (!rescale(d->unscaled, d->scale, 0, u)) throw DbError(where(i) + "the value is out of range");
        return writeScaled(i, u, 0);
    }
    if (const auto* f = std::get_if<double>(&v)) {
        const std::optional<Decimal> d = decimalOfDouble(*f);
        if (!d) throw DbError(where(i) + "the value is out of range");
        return writeScaled(i, d->unscaled, d->scale);
    }
    refuse(i, v);
}

// Stores unscaled / 10^fromScale into integral parameter i, at the parameter's scale.
void Statement::Impl::writeScaled(std::size_t i, std::int64_t unscaled, int fromScale) {
    const Column& p = params[i];
    std::int64_t v = 0;
    const std::string shown = decimalText(unscaled, fromScale);
    if (!rescale(unscaled, fromScale, p.scale, v)) throw DbError(where(i) + "the value " + shown + " is out of range");
    if (p.scale > 0 && p.precision > 0) {
        const std::int64_t limit = powerOfTen(std::min(p.precision, kMaxPowerOfTen));
        if (v >= limit || v <= -limit)
            throw DbError(where(i) + "the value " + shown + " has more than " + std::to_string(p.precision - p.scale) +
                          " digits before the decimal point (NUMERIC(" + std::to_string(p.precision) + "," +
                          std::to_string(p.scale) + "))");
    }
    unsigned char* dst = inBuf.data() + paramLayout[i].offset;
    switch (p.type) {
        case SqlType::SmallInt:
            if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max())
                throw DbError(where(i) + "the value " + shown + " is out of range for SMALLINT");
            put<std::int16_t>(dst, static_cast<std::int16_t>(v));
            break;
        case SqlType::Integer:
            if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
                throw DbError(where(i) + "the value " + shown + " is out of range for INTEGER");
            put<std::int32_t>(dst, static_cast<std::int32_t>(v));
            break;
        default: put<std::int64_t>(dst, v); break;
    }
}

void Statement::Impl::bindFloating(std::size_t i, const Value& v) {
    double d = 0;
    if (const auto* f = std::get_if<double>(&v)) d = *f;
    else if (const auto* n = std::get_if<std::int32_t>(&v)) d = *n;
    else if (const auto* dec = std::get_if<Decimal>(&v)) d = decimalToDouble(*dec);
    else refuse(i, v);
    unsigned char* dst = inBuf.data() + paramLayout[i].offset;
    if (params[i].type == SqlType::Float) put<float>(dst, static_cast<float>(d));
    else put<double>(dst, d);
}

void Statement::Impl::bindDate(std::size_t i, const Value& v) {
    Date date;
    if (const auto* d = std::get_if<Date>(&v)) {
        date = *d;
    } else if (const auto* dt = std::get_if<DateTime>(&v)) {
        const auto parts = splitDateTime(dt->value);
        if (!parts) throw DbError(where(i) + "invalid date");
        date = parts->date;
    } else if (const auto* ts = std::get_if<Timestamp>(&v)) {
        const auto civil = makeDate(ts->year, ts->month, ts->day);
        if (!civil) throw DbError(where(i) + "invalid date");
        date = *civil;
    } else {
        refuse(i, v);
    }
    if (!inCalendar(date)) throw DbError(where(i) + "invalid date");
    put<ISC_DATE>(inBuf.data() + paramLayout[i].offset, firebirdDay(date));
}

void Statement::Impl::bindTime(std::size_t i, const Value& v) {
    const auto* t = std::get_if<Time>(&v);
    if (!t) refuse(i, v);
    if (t->ms < 0 || t->ms >= kMsPerDay) throw DbError(where(i) + "invalid time");
    put<ISC_TIME>(inBuf.data() + paramLayout[i].offset, static_cast<ISC_TIME>(t->ms) * kTimeUnitsPerMs);
}

void Statement::Impl::bindTimestamp(std::size_t i, const Value& v) {
    ISC_TIMESTAMP out{};
    if (const auto* ts = std::get_if<Timestamp>(&v)) {
        const auto date = makeDate(ts->year, ts->month, ts->day);
        if (!date || ts->hour > 23 || ts->minute > 59 || ts->second > 59 || ts->fraction > 9999)
            throw DbError(where(i) + "invalid timestamp");
        out.timestamp_date = firebirdDay(*date);
        out.timestamp_time = ((ts->hour * 60u + ts->minute) * 60u + ts->second) * 10000u + ts->fraction;
    } else if (const auto* dt = std::get_if<DateTime>(&v)) {
        const auto parts = splitDateTime(dt->value);
        if (!parts) throw DbError(where(i) + "invalid timestamp");
        out.timestamp_date = firebirdDay(parts->date);
        out.timestamp_time = static_cast<ISC_TIME>(parts->time.ms) * kTimeUnitsPerMs;
    } else if (const auto* d = std::get_if<Date>(&v)) {
        if (!inCalendar(*d)) throw DbError(where(i) + "invalid timestamp");
        out.timestamp_date = firebirdDay(*d);
    } else {
        refuse(i, v);
    }
    put<ISC_TIMESTAMP>(inBuf.data() + paramLayout[i].offset, out);
}

void Statement::Impl::bindBlob(ITransaction* tra, std::size_t i, const Value& v) {
    const auto* s = std::get_if<std::string>(&v);
    if (!s) refuse(i, v);
    ISC_QUAD id{};
    IBlob* blob = c->attachment()->createBlob(&c->st, tra, &id, 0, nullptr);
    c->check();
    struct Guard {
        Session& c;
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
    put<ISC_QUAD>(inBuf.data() + paramLayout[i].offset, id);
}

void Statement::Impl::bindBoolean(std::size_t i, const Value& v) {
    const auto* b = std::get_if<bool>(&v);
    if (!b) refuse(i, v);
    put<FB_BOOLEAN>(inBuf.data() + paramLayout[i].offset, *b ? FB_TRUE : FB_FALSE);
}

}  // namespace mig::db
