#include "target/dataset/DataSetProvider.h"

#include <limits>

#include "target/dataset/Resolver.h"
#include "target/dataset/ValueCodec.h"
#include "target/field/Errors.h"

namespace mig {
namespace {

ApplyInterruptCheck gInterruptCheck = nullptr;

Value fieldValue(const RowStore& store, RowStore::Record record, const DeltaField& field, int index) {
    if (!record) return {};
    const auto bytes = store.get(record, index);
    return bytes ? decodeValue(*bytes, field.kind) : Value{};
}

// Ends the SQL dataset's reading however getRecords is left.
struct ReadingCloser {
    SQLDataSet& dataSet;
    ~ReadingCloser() {
        try {
            dataSet.close();
        } catch (...) {  // the failure that brought us here is the one to report
        }
    }
};

void rollbackQuietly(db::SQLConnection& connection) {
    try {
        connection.Rollback();
    } catch (...) {  // the server ends a transaction whose attachment is gone by itself
    }
}

}  // namespace

DataSetProvider::DataSetProvider(std::string name, SQLDataSet& dataSet)
    : name_(std::move(name)), dataSet_(dataSet) {}

DataSetProvider::~DataSetProvider() = default;

void DataSetProvider::getRecords(RowSink& sink) {
    db::SQLConnection& connection = dataSet_.connection();
    std::unique_ptr<db::Transaction> own;
    db::Transaction* tx = nullptr;
    if (connection.InTransaction()) {
        tx = &connection.transaction();
    } else {
        own = connection.newTransaction();
        tx = own.get();
    }
    {
        ReadingCloser closer{dataSet_};
        dataSet_.open(*tx);
        sink.bind(dataSet_.packetFields());
        while (dataSet_.next()) sink.row(dataSet_.row());
    }
    if (own) own->commit();
}

void DataSetProvider::forgetStatementsOfOldAttachments() {
    const int connect = dataSet_.connection().connectCount();
    if (connect == statementsConnect_) return;
    inserts_.clear();
    others_.clear();
    statementsConnect_ = connect;
}

db::Statement& DataSetProvider::statementFor(const std::string& sql, db::Transaction& tx) {
    auto it = others_.find(sql);
    if (it == others_.end()) {
        it = others_.emplace(sql, dataSet_.connection().prepare(tx, sql)).first;
        ++prepared_;
    }
    return *it->second;
}

void setApplyInterruptCheck(ApplyInterruptCheck check) { gInterruptCheck = check; }

ApplyResult DataSetProvider::applyUpdates(const Delta& delta, int maxErrors) {
    ApplyResult result;
    const std::size_t count = delta.entries.size();
    result.outcomes.assign(count, EntryOutcome::NotStored);
    result.messages.assign(count, std::string());
    if (count == 0) return result;

    const long long limit =
        maxErrors == -1 ? std::numeric_limits<std::int32_t>::max() : static_cast<long long>(maxErrors);

    db::SQLConnection& connection = dataSet_.connection();
    connection.Open();
    bool own = false;
    if (!connection.InTransaction()) {
        connection.StartTransaction();
        own = true;
    }
    db::Transaction& tx = connection.transaction();

    bool severalRows = false;
    bool interrupted = false;
    try {
        // Statements prepared for another field list, table or attachment cannot serve this one.
        forgetStatementsOfOldAttachments();
        std::vector<std::string> names;
        names.reserve(delta.fields.size());
        for (const DeltaField& f : delta.fields) names.push_back(f.name);
        if (names != fieldNames_ || dataSet_.CommandText() != statementsSelect_) {
            inserts_.clear();
            others_.clear();
            fieldNames_ = names;
            statementsSelect_ = dataSet_.CommandText();
        }

        std::vector<ResolverField> resolverFields;
        resolverFields.reserve(delta.fields.size());
        for (const DeltaField& f : delta.fields)
            resolverFields.push_back({f.name, f.key, f.kind == FieldKind::Blob || f.kind == FieldKind::Memo});
        const Resolver resolver(dataSet_.CommandText(), std::move(resolverFields), connection.quoteChar());

        const RowStore& store = *delta.store;
        const int fieldCount = static_cast<int>(delta.fields.size());
        std::vector<Value> params;

        auto addWhereParams = [&](const DeltaEntry& e, FieldMask& nullKeys) {
            for (int i : resolver.whereFields())
                if (store.isNull(e.original, i)) nullKeys.set(static_cast<std::size_t>(i));
        };
        auto pushWhereValues = [&](const DeltaEntry& e, const FieldMask& nullKeys) {
            for (int i : resolver.whereFields())
                if (!nullKeys.test(static_cast<std::size_t>(i)))
                    params.push_back(fieldValue(store, e.original, delta.fields[static_cast<std::size_t>(i)], i));
        };

        for (std::size_t n = 0; n < count; ++n) {
            if (gInterruptCheck && gInterruptCheck()) {
                interrupted = true;
                break;
            }
            const DeltaEntry& e = delta.entries[n];
            std::string failure;
            try {
                params.clear();
                db::Statement* statement = nullptr;
                if (e.status == ChangeStatus::Inserted) {
                    auto it = inserts_.find(e.fields);
                    if (it == inserts_.end()) {
                        auto prepared = connection.prepare(tx, resolver.insertSql(e.fields));
                        ++prepared_;
                        int param = 0;
                        for (int i = 0; i < fieldCount; ++i) {
                            if (!e.fields.test(static_cast<std::size_t>(i))) continue;
                            const DeltaField& f = delta.fields[static_cast<std::size_t>(i)];
                            if (f.kind == FieldKind::Decimal && f.precision > 0)
                                prepared->setParameterPrecision(param, f.precision);
                            ++param;
                        }
                        it = inserts_.emplace(e.fields, std::move(prepared)).first;
                    }
                    statement = it->second.get();
                    for (int i = 0; i < fieldCount; ++i)
                        if (e.fields.test(static_cast<std::size_t>(i)))
                            params.push_back(fieldValue(store, e.current, delta.fields[static_cast<std::size_t>(i)], i));
                } else {
                    FieldMask nullKeys;
                    addWhereParams(e, nullKeys);
                    const std::string sql = e.status == ChangeStatus::Modified
                                                ? resolver.updateSql(e.fields, nullKeys)
                                                : resolver.deleteSql(nullKeys);
                    statement = &statementFor(sql, tx);
                    if (e.status == ChangeStatus::Modified)
                        for (int i = 0; i < fieldCount; ++i)
                            if (e.fields.test(static_cast<std::size_t>(i)))
                                params.push_back(fieldValue(store, e.current, delta.fields[static_cast<std::size_t>(i)], i));
                    pushWhereValues(e, nullKeys);
                }
                const std::uint64_t affected = statement->execute(tx, params);
                if (affected > 1) {
                    failure = "Update affected more than 1 record.";
                    severalRows = own;
                } else if (affected == 0) {
                    failure = "Record not found or changed by another user";
                }
            } catch (const DataError& error) {
                failure = error.what();
            }
            if (failure.empty()) {
                result.outcomes[n] = EntryOutcome::Stored;
                continue;
            }
            ++result.errorCount;
            result.outcomes[n] = EntryOutcome::Refused;
            result.messages[n] = std::move(failure);
            if (severalRows || result.errorCount > limit) break;
        }
    } catch (...) {
        result.failure = std::current_exception();
    }

    if (interrupted) {
        // In a transaction of the caller's the rows sent so far wait for the caller's end.
        if (own) {
            rollbackQuietly(connection);
            result.rolledBack = true;
        }
        if (!result.failure) result.failure = std::make_exception_ptr(ApplyInterrupted());
    } else if (own) {
        if (severalRows || result.errorCount > limit) {
            rollbackQuietly(connection);
            result.rolledBack = true;
        } else {
            try {
                connection.Commit();
            } catch (...) {
                rollbackQuietly(connection);
                result.rolledBack = true;
                if (!result.failure) result.failure = std::current_exception();
            }
        }
    }
    if (result.rolledBack)
        for (EntryOutcome& o : result.outcomes)
            if (o == EntryOutcome::Stored) o = EntryOutcome::NotStored;
    return result;
}

}  // namespace mig
