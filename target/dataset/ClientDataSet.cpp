#include "target/dataset/ClientDataSet.h"

#include <algorithm>
#include <cstring>

#include "target/dataset/ValueCodec.h"
#include "target/field/DecimalArithmetic.h"
#include "target/field/Errors.h"
#include "target/field/FieldName.h"
#include "target/field/Messages.h"
#include "target/field/NumberFormat.h"
#include "target/field/NumberSyntax.h"
#include "target/field/RegionalSettings.h"
#include "target/field/ValueFormat.h"

namespace mig {
namespace {

constexpr std::string_view kClosed = "Cannot perform this operation on a closed dataset";
constexpr std::string_view kNotEditing = "Dataset not in edit or insert mode";
constexpr std::string_view kEmpty = "Cannot perform this operation on an empty dataset";
constexpr std::string_view kNoProvider = "Missing data provider or data packet";
constexpr std::string_view kMustApply = "Must apply updates before refreshing data";
constexpr std::string_view kRequired = "Field '%s' must have a value";
constexpr std::string_view kTypeMismatch = "Type mismatch for field '%s', expecting: %s actual: %s";

// The largest text storage a field keeps from one row for the next (a long memo is let go).
constexpr std::size_t kSpareCapacity = 4096;

bool isIntegerKind(FieldKind k) {
    return k == FieldKind::SmallInt || k == FieldKind::Word || k == FieldKind::Integer;
}
bool isCalendarKind(FieldKind k) {
    return k == FieldKind::Date || k == FieldKind::Time || k == FieldKind::DateTime;
}

// The type classes by which a declared field binds to a column of the rows read.
bool accepts(FieldKind declared, FieldKind packet) {
    switch (declared) {
    case FieldKind::Text: return packet == FieldKind::Text;
    case FieldKind::SmallInt:
    case FieldKind::Word:
    case FieldKind::Integer: return isIntegerKind(packet);
    case FieldKind::Float:
    case FieldKind::Currency: return packet == FieldKind::Float || packet == FieldKind::Currency;
    case FieldKind::Decimal: return packet == FieldKind::Decimal;
    case FieldKind::Timestamp: return packet == FieldKind::Timestamp;
    case FieldKind::Date:
    case FieldKind::Time:
    case FieldKind::DateTime: return isCalendarKind(packet);
    case FieldKind::Memo:
    case FieldKind::Blob: return packet == FieldKind::Memo || packet == FieldKind::Blob;
    case FieldKind::Logical: return packet == FieldKind::Logical;
    }
    return false;
}

std::string_view withoutTrailingBlanks(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// The value a new row starts with, from the declared default (written with a point).
Value defaultFor(const FieldSpec& fieldSpec) {
    if (fieldSpec.defaultValue.empty()) return {};
    switch (fieldSpec.kind) {
    case FieldKind::Text:
    case FieldKind::Memo:
    case FieldKind::Blob: return std::string(fieldSpec.defaultValue);
    case FieldKind::SmallInt:
    case FieldKind::Word:
    case FieldKind::Integer:
        if (auto i = parseInteger(fieldSpec.defaultValue)) return *i;
        break;
    case FieldKind::Float:
    case FieldKind::Currency:
        if (auto d = parseFloat(fieldSpec.defaultValue, '.')) return *d;
        break;
    case FieldKind::Decimal:
        if (auto d = parseDecimal(fieldSpec.defaultValue, '.')) return *d;
        break;
    default: break;
    }
    return {};
}

bool sameValue(const Value& a, const Value& b) {
    const auto* da = std::get_if<Decimal>(&a);
    const auto* db = std::get_if<Decimal>(&b);
    if (da && db) return da->unscaled == db->unscaled && da->scale == db->scale;
    return a == b;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// DataSetField

DataSetField::DataSetField(ClientDataSet& owner, int index, const FieldSpec& fieldSpec)
    : Field(FieldDef{std::string(fieldSpec.name), fieldSpec.kind, fieldSpec.size, fieldSpec.precision, fieldSpec.required, fieldSpec.key,
                     std::nullopt, std::nullopt}),
      owner_(owner), index_(index), displayFormat_(fieldSpec.displayFormat), editMask_(fieldSpec.editMask),
      defaultValue_(fieldSpec.defaultValue) {}

Value DataSetField::value() const { return owner_.fieldValue(index_); }

bool DataSetField::isNull() const {
    if (const Value* v = owner_.filledValue(index_)) return mig::isNull(*v);
    return Field::isNull();
}

void DataSetField::store(Value v) { owner_.storeField(index_, std::move(v)); }

void DataSetField::storeText(std::string_view text) { owner_.storeText(index_, text); }

void DataSetField::cutting(std::string_view whole) {
    if (owner_.cutListener_) owner_.cutListener_(index_, whole);
}

std::string DataSetField::displayText() const { return owner_.displayText(-1, index_); }

// ---------------------------------------------------------------------------------------------
// ClientDataSet

ClientDataSet::ClientDataSet(std::string name, std::span<const FieldSpec> fields, DataSetProvider* provider)
    : RecordSet(std::move(name)), provider_(provider) {
    if (fields.size() > kMaxFields) throw DataError(this->name() + ": too many fields");
    fields_.reserve(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields_.push_back(std::make_unique<DataSetField>(*this, static_cast<int>(i), fields[i]));
        fields_.back()->providerKey_ = fields[i].key;
        defaults_.push_back(defaultFor(fields[i]));
        if (fields[i].required) required_.push_back(i);
    }
    spare_.resize(fields.size());
    store_ = RowStore(FieldCount());
    builder_.reset(FieldCount());
}

ClientDataSet::~ClientDataSet() = default;

void ClientDataSet::fail(std::string_view message) const { throw DataError(name() + ": " + std::string(message)); }

void ClientDataSet::checkActive() const {
    if (!Active()) fail(kClosed);
}

int ClientDataSet::fieldIndex(std::string_view fieldName) const {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (sameFieldName(fields_[i]->name(), fieldName)) return static_cast<int>(i);
    return -1;
}

Field* ClientDataSet::FindField(std::string_view fieldName) {
    const int i = fieldIndex(fieldName);
    return i < 0 ? nullptr : fields_[static_cast<std::size_t>(i)].get();
}

// --- reading ---------------------------------------------------------------------------------

void ClientDataSet::bind(const std::vector<PacketField>& packet) {
    bindings_.assign(fields_.size(), Binding{});
    keys_.assign(fields_.size(), false);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const DataSetField& field = *fields_[i];
        const PacketField* found = nullptr;
        for (const PacketField& p : packet)
            if (sameFieldName(p.name, field.name())) { found = &p; break; }
        if (!found) fail(msg::formatMessage(msg::kFieldNotFound, {field.name()}));
        if (!accepts(field.kind(), found->kind))
            fail(msg::formatMessage(kTypeMismatch, {field.name(), kindName(field.kind()), kindName(found->kind)}));
        bindings_[i] = Binding{found->column, found->kind, found->scale};
        keys_[i] = found->key;
    }
}

void ClientDataSet::row(const db::Statement& st) {
    builder_.clear();
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const Binding& b = bindings_[i];
        if (st.isNull(b.column)) continue;
        const int field = static_cast<int>(i);
        const FieldKind kind = fields_[i]->kind();
        switch (kind) {
        case FieldKind::Text:
            builder_.put(field, withoutTrailingBlanks(st.text(b.column)));
            break;
        case FieldKind::Memo:
        case FieldKind::Blob:
            builder_.put(field, st.blob(b.column));
            break;
        case FieldKind::SmallInt:
        case FieldKind::Word:
        case FieldKind::Integer: {
            const auto v = static_cast<std::int32_t>(st.integer(b.column));
            std::memcpy(builder_.putRaw(field, 4), &v, 4);
            break;
        }
        case FieldKind::Float:
        case FieldKind::Currency: {
            const double v = st.floating(b.column);
            std::memcpy(builder_.putRaw(field, 8), &v, 8);
            break;
        }
        case FieldKind::Decimal: {
            const std::int64_t v = st.integer(b.column);
            char* out = builder_.putRaw(field, 9);
            std::memcpy(out, &v, 8);
            out[8] = static_cast<char>(b.scale);
            break;
        }
        case FieldKind::Timestamp:
            encodeValue(builder_, field, kind, st.timestamp(b.column));
            break;
        case FieldKind::Date:
            encodeValue(builder_, field, kind, b.packetKind == FieldKind::Date ? st.date(b.column) : Date{0});
            break;
        case FieldKind::Time:
            encodeValue(builder_, field, kind, b.packetKind == FieldKind::Time ? st.time(b.column) : Time{0});
            break;
        case FieldKind::DateTime: {
            const double v = b.packetKind == FieldKind::Date   ? st.date(b.column).days
                             : b.packetKind == FieldKind::Time ? st.time(b.column).ms / 86'400'000.0
                                                               : 0.0;
            std::memcpy(builder_.putRaw(field, 8), &v, 8);
            break;
        }
        case FieldKind::Logical:
            encodeValue(builder_, field, kind, st.boolean(b.column));
            break;
        }
    }
    readingRows_.push_back(Row{reading_.add(builder_), -1});
}

void ClientDataSet::readAll() {
    if (!provider_) fail(kNoProvider);
    reading_ = RowStore(FieldCount());
    readingRows_.clear();
    try {
        provider_->getRecords(*this);
    } catch (...) {
        reading_.clear();
        readingRows_ = {};
        throw;
    }
    // The packet's key marks rule from now on.
    for (std::size_t i = 0; i < fields_.size(); ++i) fields_[i]->providerKey_ = keys_[i];
    store_ = std::move(reading_);
    reading_ = RowStore(FieldCount());
    rows_ = std::move(readingRows_);
    readingRows_ = {};
}

void ClientDataSet::Open() {
    if (Active()) return;
    readAll();
    changes_.clear();
    state_ = DataSetState::Browse;
    cur_ = rows_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = rows_.empty();
    notify(DataSetEvent::Opened);
}

void ClientDataSet::CreateDataSet() {
    if (Active()) return;
    store_ = RowStore(FieldCount());
    rows_.clear();
    changes_.clear();
    state_ = DataSetState::Browse;
    cur_ = -1;
    bof_ = eof_ = true;
    notify(DataSetEvent::Opened);
}

void ClientDataSet::Close() {
    if (!Active()) return;
    state_ = DataSetState::Inactive;
    store_.clear();
    rows_ = {};
    changes_ = {};
    buffer_.clear();
    assigned_.reset();
    modified_ = false;
    cur_ = -1;
    bof_ = eof_ = true;
    notify(DataSetEvent::Closed);
}

void ClientDataSet::Refresh() {
    checkActive();
    settle();
    if (!changes_.empty()) fail(kMustApply);
    const int position = cur_;
    readAll();
    cur_ = rows_.empty() ? -1 : std::clamp(position, 0, static_cast<int>(rows_.size()) - 1);
    bof_ = cur_ <= 0;
    eof_ = rows_.empty();
    notify(DataSetEvent::Refreshed);
}

int ClientDataSet::RecordCount() const {
    checkActive();
    return static_cast<int>(rows_.size());
}

// --- cursor ----------------------------------------------------------------------------------

void ClientDataSet::First() {
    checkActive();
    settle();
    cur_ = rows_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = rows_.empty();
}

void ClientDataSet::Last() {
    checkActive();
    settle();
    cur_ = static_cast<int>(rows_.size()) - 1;
    eof_ = true;
    bof_ = rows_.empty();
}

void ClientDataSet::Next() {
    checkActive();
    settle();
    if (cur_ + 1 < static_cast<int>(rows_.size())) {
        ++cur_;
        bof_ = eof_ = false;
    } else {
        eof_ = true;
    }
}

void ClientDataSet::Prior() {
    checkActive();
    settle();
    if (cur_ > 0) {
        --cur_;
        bof_ = eof_ = false;
    } else {
        bof_ = true;
    }
}

int ClientDataSet::RecNo() const {
    if (!Active() || state_ == DataSetState::Insert || cur_ < 0) return 0;
    return cur_ + 1;
}

void ClientDataSet::moveTo(int row) {
    checkActive();
    settle();
    if (rows_.empty()) return;
    cur_ = std::clamp(row, 0, static_cast<int>(rows_.size()) - 1);
    bof_ = eof_ = false;
}

// --- filling rows ----------------------------------------------------------------------------

void ClientDataSet::settle() {
    if (!filling()) return;
    if (modified_) Post();
    else Cancel();
}

void ClientDataSet::Append() {
    checkActive();
    settle();
    // Settled, the row buffer holds no value (endFilling emptied it, Close dropped it).
    buffer_.resize(fields_.size());
    assigned_.reset();
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (isNull(defaults_[i])) continue;
        buffer_[i] = defaults_[i];
        assigned_.set(i);
    }
    modified_ = false;
    state_ = DataSetState::Insert;
    notify(DataSetEvent::EditStarted);
}

void ClientDataSet::Edit() {
    checkActive();
    if (filling()) return;
    if (rows_.empty()) {
        Append();
        return;
    }
    const RowStore::Record record = rows_[static_cast<std::size_t>(cur_)].record;
    buffer_.resize(fields_.size());
    assigned_.reset();
    for (std::size_t i = 0; i < fields_.size(); ++i) buffer_[i] = recordValue(record, static_cast<int>(i));
    editRow_ = cur_;
    modified_ = false;
    state_ = DataSetState::Edit;
    notify(DataSetEvent::EditStarted);
}

RowStore::Record ClientDataSet::encodeBuffer() {
    builder_.clear();
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (!isNull(buffer_[i])) encodeValue(builder_, static_cast<int>(i), fields_[i]->kind(), buffer_[i]);
    return store_.add(builder_);
}

void ClientDataSet::recycleBuffer() {
    for (std::size_t i = 0; i < buffer_.size(); ++i) {
        Value& v = buffer_[i];
        if (isNull(v)) continue;
        if (auto* s = std::get_if<std::string>(&v)) {
            if (s->capacity() > spare_[i].capacity() && s->capacity() <= kSpareCapacity) spare_[i] = std::move(*s);
        }
        v.emplace<std::monostate>();
    }
}

void ClientDataSet::endFilling() {
    state_ = DataSetState::Browse;
    recycleBuffer();
    assigned_.reset();
    modified_ = false;
    editRow_ = -1;
}

void ClientDataSet::CheckPost() const {
    if (!filling()) fail(kNotEditing);
    for (const std::size_t i : required_)
        if (isNull(buffer_[i])) throw DataError(msg::formatMessage(kRequired, {fields_[i]->name()}));
}

void ClientDataSet::Post() {
    CheckPost();

    if (state_ == DataSetState::Insert) {
        const RowStore::Record record = encodeBuffer();
        rows_.push_back(Row{record, static_cast<std::int32_t>(changes_.size())});
        changes_.push_back(Change{ChangeStatus::Inserted, record, nullptr, assigned_, {}, -1});
        cur_ = static_cast<int>(rows_.size()) - 1;
        bof_ = eof_ = false;
        endFilling();
        notify(DataSetEvent::RowsChanged);
        return;
    }

    Row& row = rows_[static_cast<std::size_t>(editRow_)];
    FieldMask diff;
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (!sameValue(buffer_[i], recordValue(row.record, static_cast<int>(i)))) diff.set(i);
    if (diff.none()) {
        endFilling();
        notify(DataSetEvent::EditEnded);
        return;
    }
    const RowStore::Record record = encodeBuffer();
    if (row.change < 0) {
        row.change = static_cast<std::int32_t>(changes_.size());
        changes_.push_back(Change{ChangeStatus::Modified, record, row.record, diff, {}, -1});
    } else {
        Change& c = changes_[static_cast<std::size_t>(row.change)];
        c.current = record;
        c.error.clear();
        if (c.status == ChangeStatus::Inserted) {
            c.fields |= diff;
        } else {
            FieldMask changed;
            for (std::size_t i = 0; i < fields_.size(); ++i)
                if (!sameValue(buffer_[i], recordValue(c.original, static_cast<int>(i)))) changed.set(i);
            c.fields = changed;
        }
    }
    row.record = record;
    const bool backToOriginal = changes_[static_cast<std::size_t>(row.change)].status == ChangeStatus::Modified &&
                                changes_[static_cast<std::size_t>(row.change)].fields.none();
    if (backToOriginal) {
        std::vector<bool> remove(changes_.size(), false);
        remove[static_cast<std::size_t>(row.change)] = true;
        removeChanges(remove);
    }
    endFilling();
    notify(DataSetEvent::RowsChanged);
}

void ClientDataSet::Cancel() {
    if (!filling()) return;
    endFilling();
    notify(DataSetEvent::EditEnded);
}

void ClientDataSet::Delete() {
    checkActive();
    if (state_ == DataSetState::Insert) {
        Cancel();
        return;
    }
    if (state_ == DataSetState::Edit) endFilling();
    if (rows_.empty()) fail(kEmpty);
    const auto at = static_cast<std::size_t>(cur_);
    const Row row = rows_[at];
    if (row.change < 0) {
        changes_.push_back(Change{ChangeStatus::Deleted, nullptr, row.record, {}, {}, -1});
    } else {
        Change& c = changes_[static_cast<std::size_t>(row.change)];
        if (c.status == ChangeStatus::Inserted) {
            std::vector<bool> remove(changes_.size(), false);
            remove[static_cast<std::size_t>(row.change)] = true;
            removeChanges(remove);
        } else {
            c.status = ChangeStatus::Deleted;
            c.current = nullptr;
            c.fields.reset();
            c.error.clear();
        }
    }
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(at));
    if (cur_ >= static_cast<int>(rows_.size())) cur_ = static_cast<int>(rows_.size()) - 1;
    eof_ = rows_.empty();
    bof_ = cur_ <= 0;
    notify(DataSetEvent::RowsChanged);
}

void ClientDataSet::removeChanges(const std::vector<bool>& remove) {
    std::vector<std::int32_t> newIndex(changes_.size(), -1);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < changes_.size(); ++i) {
        if (remove[i]) continue;
        newIndex[i] = static_cast<std::int32_t>(kept);
        if (kept != i) changes_[kept] = std::move(changes_[i]);
        ++kept;
    }
    changes_.resize(kept);
    for (Row& r : rows_)
        if (r.change >= 0) r.change = newIndex[static_cast<std::size_t>(r.change)];
}

// --- field values ----------------------------------------------------------------------------

Value ClientDataSet::recordValue(RowStore::Record record, int field) const {
    if (!record) return {};
    const auto bytes = store_.get(record, field);
    return bytes ? decodeValue(*bytes, fields_[static_cast<std::size_t>(field)]->kind()) : Value{};
}

const Value* ClientDataSet::filledValue(int field) const {
    return filling() ? &buffer_.at(static_cast<std::size_t>(field)) : nullptr;
}

Value ClientDataSet::fieldValue(int field) const {
    if (filling()) return buffer_[static_cast<std::size_t>(field)];
    if (!Active() || cur_ < 0) return {};
    return recordValue(rows_[static_cast<std::size_t>(cur_)].record, field);
}

void ClientDataSet::storeField(int field, Value v) {
    if (!filling()) fail(kNotEditing);
    const DataSetField& f = *fields_[static_cast<std::size_t>(field)];
    auto invalid = [&]() -> DataError {
        return DataError("Invalid value for field '" + f.name() + "'");
    };
    switch (f.kind()) {
    case FieldKind::Text:
        if (auto* s = std::get_if<std::string>(&v)) {
            if (f.size() > 0 && s->size() > static_cast<std::size_t>(f.size())) {
                if (cutListener_) cutListener_(field, *s);
                s->resize(static_cast<std::size_t>(f.size()));
            }
            s->resize(withoutTrailingBlanks(*s).size());
        } else if (!isNull(v)) {
            throw invalid();
        }
        break;
    case FieldKind::Memo:
    case FieldKind::Blob:
        if (!isNull(v) && !std::holds_alternative<std::string>(v)) throw invalid();
        break;
    case FieldKind::Decimal:
        if (auto* i = std::get_if<std::int32_t>(&v)) v = Decimal{*i, 0, 0};
        if (auto* d = std::get_if<Decimal>(&v)) v = fitDecimal(f, *d);
        else if (!isNull(v)) throw invalid();
        break;
    case FieldKind::Float:
    case FieldKind::Currency:
        if (auto* i = std::get_if<std::int32_t>(&v)) v = static_cast<double>(*i);
        if (auto* d = std::get_if<Decimal>(&v)) v = decimalToDouble(*d);
        if (!isNull(v) && !std::holds_alternative<double>(v)) throw invalid();
        break;
    case FieldKind::SmallInt:
    case FieldKind::Word:
    case FieldKind::Integer:
        if (!isNull(v) && !std::holds_alternative<std::int32_t>(v)) throw invalid();
        break;
    case FieldKind::Date:
        if (!isNull(v) && !std::holds_alternative<Date>(v)) throw invalid();
        break;
    case FieldKind::Time:
        if (!isNull(v) && !std::holds_alternative<Time>(v)) throw invalid();
        break;
    case FieldKind::DateTime:
        if (!isNull(v) && !std::holds_alternative<DateTime>(v)) throw invalid();
        break;
    case FieldKind::Timestamp:
        if (!isNull(v) && !std::holds_alternative<Timestamp>(v)) throw invalid();
        break;
    case FieldKind::Logical:
        if (!isNull(v) && !std::holds_alternative<bool>(v)) throw invalid();
        break;
    }
    const auto i = static_cast<std::size_t>(field);
    buffer_[i] = std::move(v);
    assigned_.set(i);
    modified_ = true;
}

void ClientDataSet::storeText(int field, std::string_view text) {
    const auto i = static_cast<std::size_t>(field);
    const DataSetField& f = *fields_[i];
    const FieldKind kind = f.kind();
    if (!filling() || (kind != FieldKind::Text && kind != FieldKind::Memo && kind != FieldKind::Blob)) {
        storeField(field, std::string(text));
        return;
    }
    if (kind == FieldKind::Text) {
        if (f.size() > 0 && text.size() > static_cast<std::size_t>(f.size())) {
            if (cutListener_) cutListener_(field, text);
            text = text.substr(0, static_cast<std::size_t>(f.size()));
        }
        text = withoutTrailingBlanks(text);
    }
    Value& slot = buffer_[i];
    if (!std::holds_alternative<std::string>(slot)) slot.emplace<std::string>(std::move(spare_[i]));
    std::get<std::string>(slot).assign(text);
    assigned_.set(i);
    modified_ = true;
}

Decimal ClientDataSet::fitDecimal(const DataSetField& f, Decimal d) {
    const int scale = f.size();
    const int precision = f.precision();
    const Decimal written = d;
    std::int64_t unscaled = 0;
    bool overflow = !rescale(d.unscaled, d.scale, scale, unscaled);
    if (!overflow && precision > 0 && precision <= kMaxPowerOfTen) {
        const std::int64_t limit = powerOfTen(precision);
        overflow = unscaled >= limit || unscaled <= -limit;
    }
    if (overflow) {
        const char sep = regional().decimalSeparator;
        const std::int64_t most = precision > 0 && precision <= kMaxPowerOfTen ? powerOfTen(precision) - 1 : INT64_MAX;
        const std::string high = formatDecimal(Decimal{most, static_cast<std::int8_t>(scale), 0}, sep);
        const std::string low = formatDecimal(Decimal{-most, static_cast<std::int8_t>(scale), 0}, sep);
        throw ConversionError(msg::formatMessage(msg::kOutOfRange, {formatDecimal(written, sep), f.name(), low, high}));
    }
    return Decimal{unscaled, static_cast<std::int8_t>(scale), static_cast<std::int8_t>(countDigits(unscaled))};
}

// --- apply -----------------------------------------------------------------------------------

int ClientDataSet::ApplyUpdates(int maxErrors) {
    checkActive();
    settle();
    if (changes_.empty()) return 0;
    if (!provider_) fail(kNoProvider);

    std::vector<DeltaField> deltaFields;
    deltaFields.reserve(fields_.size());
    for (const auto& f : fields_) deltaFields.push_back(DeltaField{f->name(), f->kind(), f->precision(), f->providerKey_});
    std::vector<DeltaEntry> entries;
    entries.reserve(changes_.size());
    for (const Change& c : changes_) entries.push_back(DeltaEntry{c.status, c.current, c.original, c.fields});

    const ApplyResult result = provider_->applyUpdates(Delta{&store_, deltaFields, entries}, maxErrors);

    std::vector<bool> remove(changes_.size(), false);
    for (std::size_t i = 0; i < changes_.size(); ++i) {
        switch (result.outcomes[i]) {
        case EntryOutcome::Stored: remove[i] = true; break;
        case EntryOutcome::Refused: changes_[i].error = result.messages[i]; break;
        case EntryOutcome::NotStored: break;
        }
    }
    // A row whose change was stored becomes an ordinary row.
    for (Row& r : rows_)
        if (r.change >= 0 && remove[static_cast<std::size_t>(r.change)]) r.change = -1;
    removeChanges(remove);
    notify(DataSetEvent::RowsChanged);
    if (result.failure) std::rethrow_exception(result.failure);
    return result.errorCount;
}

// --- cached changes --------------------------------------------------------------------------

Value ClientDataSet::changeValue(int index, int field) const {
    const Change& c = changes_.at(static_cast<std::size_t>(index));
    return recordValue(c.status == ChangeStatus::Deleted ? c.original : c.current, field);
}

std::string ClientDataSet::changeText(int index, int field) const {
    return formatValue(changeValue(index, field), regional());
}

CachedChange ClientDataSet::change(int index) const {
    const Change& c = changes_.at(static_cast<std::size_t>(index));
    CachedChange out;
    out.status = c.status;
    out.error = c.error;
    for (int i = 0; i < FieldCount(); ++i) {
        out.values.push_back(changeValue(index, i));
        if (c.original) out.original.push_back(recordValue(c.original, i));
    }
    return out;
}

// --- the grid --------------------------------------------------------------------------------

int ClientDataSet::displayRowCount() const {
    if (!Active()) return 0;
    return static_cast<int>(rows_.size()) + (state_ == DataSetState::Insert ? 1 : 0);
}

Value ClientDataSet::rowValue(int row, int field) const {
    if (!Active()) return {};
    if (row < 0) return fieldValue(field);
    if (state_ == DataSetState::Insert && row == static_cast<int>(rows_.size()))
        return buffer_[static_cast<std::size_t>(field)];
    if (state_ == DataSetState::Edit && row == editRow_) return buffer_[static_cast<std::size_t>(field)];
    if (row >= static_cast<int>(rows_.size())) return {};
    return recordValue(rows_[static_cast<std::size_t>(row)].record, field);
}

std::string ClientDataSet::displayText(int row, int field) const {
    const Value v = rowValue(row, field);
    const DataSetField& f = *fields_.at(static_cast<std::size_t>(field));
    if (!f.displayFormat().empty() && !isNull(v)) {
        const char sep = regional().decimalSeparator;
        if (const auto* d = std::get_if<Decimal>(&v)) return formatNumberPattern(*d, f.displayFormat(), sep);
        if (const auto* d = std::get_if<double>(&v)) return formatNumberPattern(*d, f.displayFormat(), sep);
        if (const auto* i = std::get_if<std::int32_t>(&v))
            return formatNumberPattern(static_cast<double>(*i), f.displayFormat(), sep);
    }
    return formatValue(v, regional());
}

// --- notifications ---------------------------------------------------------------------------

int ClientDataSet::subscribe(Listener listener) {
    const int id = nextListener_++;
    listeners_.emplace_back(id, std::move(listener));
    return id;
}

void ClientDataSet::unsubscribe(int id) {
    std::erase_if(listeners_, [id](const auto& l) { return l.first == id; });
}

void ClientDataSet::notify(DataSetEvent event) {
    const auto listeners = listeners_;  // a listener may unsubscribe
    for (const auto& [id, listener] : listeners) listener(event);
}

}  // namespace mig
