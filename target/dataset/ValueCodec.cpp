#include "target/dataset/ValueCodec.h"

#include <cstdint>
#include <cstring>

#include "target/field/DecimalArithmetic.h"

namespace mig {
namespace {

template <class T>
void putPod(RecordBuilder& b, int field, const T& v) {
    std::memcpy(b.putRaw(field, sizeof v), &v, sizeof v);
}

template <class T>
T getPod(std::string_view bytes) {
    T v{};
    std::memcpy(&v, bytes.data(), sizeof v);
    return v;
}

// Each alternative a kind may be handed, turned into the kind's own.
std::int32_t asInt32(const Value& v) {
    if (auto p = std::get_if<std::int32_t>(&v)) return *p;
    if (auto p = std::get_if<bool>(&v)) return *p ? 1 : 0;
    return 0;
}
double asDouble(const Value& v) {
    if (auto p = std::get_if<double>(&v)) return *p;
    if (auto p = std::get_if<std::int32_t>(&v)) return *p;
    if (auto p = std::get_if<DateTime>(&v)) return p->value;
    return 0;
}

}  // namespace

void encodeValue(RecordBuilder& b, int field, FieldKind kind, const Value& value) {
    switch (kind) {
    case FieldKind::Text:
    case FieldKind::Memo:
    case FieldKind::Blob:
        b.put(field, std::get<std::string>(value));
        return;
    case FieldKind::SmallInt:
    case FieldKind::Word:
    case FieldKind::Integer:
        putPod(b, field, asInt32(value));
        return;
    case FieldKind::Float:
    case FieldKind::Currency:
        putPod(b, field, asDouble(value));
        return;
    case FieldKind::DateTime:
        putPod(b, field, std::get<DateTime>(value).value);
        return;
    case FieldKind::Decimal: {
        const Decimal& d = std::get<Decimal>(value);
        char* out = b.putRaw(field, 9);
        std::memcpy(out, &d.unscaled, 8);
        out[8] = static_cast<char>(d.scale);
        return;
    }
    case FieldKind::Date:
        putPod(b, field, std::get<Date>(value).days);
        return;
    case FieldKind::Time:
        putPod(b, field, std::get<Time>(value).ms);
        return;
    case FieldKind::Timestamp: {
        const Timestamp& t = std::get<Timestamp>(value);
        char* out = b.putRaw(field, 12);
        std::memcpy(out, &t.year, 2);
        out[2] = static_cast<char>(t.month);
        out[3] = static_cast<char>(t.day);
        out[4] = static_cast<char>(t.hour);
        out[5] = static_cast<char>(t.minute);
        out[6] = static_cast<char>(t.second);
        out[7] = 0;
        std::memcpy(out + 8, &t.fraction, 4);
        return;
    }
    case FieldKind::Logical:
        b.put(field, std::get<bool>(value) ? std::string_view("\1", 1) : std::string_view("\0", 1));
        return;
    }
}

Value decodeValue(std::string_view bytes, FieldKind kind) {
    switch (kind) {
    case FieldKind::Text:
    case FieldKind::Memo:
    case FieldKind::Blob:
        return std::string(bytes);
    case FieldKind::SmallInt:
    case FieldKind::Word:
    case FieldKind::Integer:
        return getPod<std::int32_t>(bytes);
    case FieldKind::Float:
    case FieldKind::Currency:
        return getPod<double>(bytes);
    case FieldKind::DateTime:
        return DateTime{getPod<double>(bytes)};
    case FieldKind::Decimal: {
        Decimal d;
        d.unscaled = getPod<std::int64_t>(bytes);
        d.scale = static_cast<std::int8_t>(bytes[8]);
        d.digits = static_cast<std::int8_t>(countDigits(d.unscaled));
        return d;
    }
    case FieldKind::Date:
        return Date{getPod<std::int32_t>(bytes)};
    case FieldKind::Time:
        return Time{getPod<std::int32_t>(bytes)};
    case FieldKind::Timestamp: {
        Timestamp t;
        std::memcpy(&t.year, bytes.data(), 2);
        t.month = static_cast<std::uint8_t>(bytes[2]);
        t.day = static_cast<std::uint8_t>(bytes[3]);
        t.hour = static_cast<std::uint8_t>(bytes[4]);
        t.minute = static_cast<std::uint8_t>(bytes[5]);
        t.second = static_cast<std::uint8_t>(bytes[6]);
        std::memcpy(&t.fraction, bytes.data() + 8, 4);
        return t;
    }
    case FieldKind::Logical:
        return bytes[0] != 0;
    }
    return {};
}

}  // namespace mig
