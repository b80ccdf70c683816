#include "target/dataset/SQLQuery.h"

#include "target/dataset/SQLDataSet.h"
#include "target/field/Errors.h"
#include "target/field/FieldName.h"

namespace mig {

class SQLQuery::QueryField : public Field {
public:
    QueryField(SQLQuery& owner, int index, FieldDef def) : Field(std::move(def)), owner_(owner), index_(index) {}
    Value value() const override { return owner_.row_.at(static_cast<std::size_t>(index_)); }
    void store(Value) override { throw DataError(owner_.name() + ": Cannot modify a read-only dataset"); }

private:
    SQLQuery& owner_;
    int index_;
};

SQLQuery::SQLQuery(std::string name, db::SQLConnection& connection)
    : RecordSet(std::move(name)), connection_(connection) {}

SQLQuery::~SQLQuery() {
    try {
        Close();
    } catch (...) {  // the reading transaction rolls back by itself
    }
}

void SQLQuery::setSQL(std::string sql) {
    Close();
    sql_ = std::move(sql);
}

void SQLQuery::Open() {
    if (Active()) return;
    try {
        db::Transaction* tx = nullptr;
        if (connection_.InTransaction()) {
            tx = &connection_.transaction();
        } else {
            ownTransaction_ = connection_.newTransaction();
            tx = ownTransaction_.get();
        }
        statement_ = connection_.prepare(*tx, sql_);
        const auto& columns = statement_->columns();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const db::Column& c = columns[i];
            FieldDef def;
            def.name = c.alias.empty() ? c.name : c.alias;
            def.kind = packetKind(c);
            def.size = def.kind == FieldKind::Decimal ? c.scale : (def.kind == FieldKind::Text ? c.length : 0);
            def.precision = def.kind == FieldKind::Decimal ? 18 : 0;
            fields_.push_back(std::make_unique<QueryField>(*this, static_cast<int>(i), std::move(def)));
        }
        row_.assign(columns.size(), Value{});
        statement_->open(*tx);
        ++runs_;
        eof_ = false;
        fetch();
    } catch (...) {
        statement_.reset();
        ownTransaction_.reset();
        fields_.clear();
        row_.clear();
        eof_ = true;
        throw;
    }
}

void SQLQuery::fetch() {
    if (!statement_->fetch()) {
        eof_ = true;
        return;
    }
    for (std::size_t i = 0; i < row_.size(); ++i) row_[i] = statement_->value(static_cast<int>(i));
}

void SQLQuery::Next() {
    if (!Active() || eof_) return;
    fetch();
}

void SQLQuery::Close() {
    if (!Active()) return;
    auto statement = std::move(statement_);
    auto tx = std::move(ownTransaction_);
    fields_.clear();
    row_.clear();
    eof_ = true;
    statement->close();
    statement.reset();
    if (tx) tx->commit();
}

Field& SQLQuery::Fields(int index) { return *fields_.at(static_cast<std::size_t>(index)); }

Field* SQLQuery::FindField(std::string_view fieldName) {
    for (auto& f : fields_)
        if (sameFieldName(f->name(), fieldName)) return f.get();
    return nullptr;
}

}  // namespace mig
