#include "target/dataset/SQLDataSet.h"

#include "target/field/FieldName.h"
#include "target/field/Messages.h"

namespace mig {

FieldKind packetKind(const db::Column& c) {
    using db::SqlType;
    switch (c.type) {
    case SqlType::Char:
    case SqlType::VarChar: return FieldKind::Text;
    case SqlType::SmallInt: return c.scale > 0 ? FieldKind::Decimal : FieldKind::SmallInt;
    case SqlType::Integer: return c.scale > 0 ? FieldKind::Decimal : FieldKind::Integer;
    case SqlType::BigInt: return FieldKind::Decimal;
    case SqlType::Float:
    case SqlType::Double: return FieldKind::Float;
    case SqlType::Date: return FieldKind::Date;
    case SqlType::Time: return FieldKind::Time;
    case SqlType::Timestamp: return FieldKind::Timestamp;
    case SqlType::Blob: return c.subType == 1 ? FieldKind::Memo : FieldKind::Blob;
    case SqlType::Boolean: return FieldKind::Logical;
    case SqlType::Null: return FieldKind::Text;
    }
    return FieldKind::Text;
}

SQLDataSet::SQLDataSet(std::string name, db::SQLConnection& connection, std::string commandText,
                       std::span<const FieldSpec> declared)
    : name_(std::move(name)), connection_(connection), commandText_(std::move(commandText)),
      declared_(declared) {}

SQLDataSet::~SQLDataSet() = default;

void SQLDataSet::setCommandText(std::string sql) {
    close();
    commandText_ = std::move(sql);
    statement_.reset();
    packet_.clear();
}

void SQLDataSet::prepare(db::Transaction& tx) {
    statement_.reset();
    packet_.clear();
    statement_ = connection_.prepare(tx, commandText_);
    preparedOnConnect_ = connection_.connectCount();
    ++prepares_;

    const std::vector<db::Column>& columns = statement_->columns();
    packet_.reserve(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const db::Column& c = columns[i];
        PacketField f;
        f.name = c.alias.empty() ? c.name : c.alias;
        f.kind = packetKind(c);
        f.column = static_cast<int>(i);
        f.size = c.length;
        f.scale = c.scale;
        packet_.push_back(std::move(f));
    }
    // The declared fields must all be there; their key marks travel with the rows.
    for (const FieldSpec& fieldSpec : declared_) {
        PacketField* found = nullptr;
        for (PacketField& f : packet_)
            if (sameFieldName(f.name, fieldSpec.name)) { found = &f; break; }
        if (!found) {
            const std::string message = msg::formatMessage(msg::kFieldNotFound, {fieldSpec.name});
            statement_.reset();
            packet_.clear();
            throw DataError(name_ + ": " + message);
        }
        found->key = fieldSpec.key;
    }
}

void SQLDataSet::open(db::Transaction& tx) {
    close();
    if (!statement_ || preparedOnConnect_ != connection_.connectCount()) prepare(tx);
    statement_->open(tx);
    active_ = true;
}

bool SQLDataSet::next() { return active_ && statement_->fetch(); }

void SQLDataSet::close() {
    if (!active_) return;
    active_ = false;
    statement_->close();
}

}  // namespace mig
