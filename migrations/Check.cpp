#include "migrations/Check.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <unordered_set>

#include "legacy/LegacyTable.h"
#include "migrations/MigrationError.h"
#include "migrations/RecordMapping.h"
#include "target/dataset/ChainDef.h"
#include "target/dataset/ClientDataSet.h"
#include "target/dataset/Resolver.h"
#include "target/dataset/SQLQuery.h"
#include "target/field/Errors.h"
#include "target/field/FieldName.h"
#include "target/field/NumberFormat.h"
#include "target/field/RegionalSettings.h"
#include "target/field/ValueFormat.h"
#include "target/field/Win1252.h"

namespace mig {

namespace {

std::string w(std::string_view utf8) { return utf8ToWin1252(utf8); }

std::string withoutTrailingBlanks(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return std::string(s);
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string characters(std::size_t n) { return std::to_string(n) + (n == 1 ? w(" caractere") : w(" caracteres")); }

// A message as the error box ends it: with a period when its last character sorts after one.
std::string asSentence(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}

// One part of a key as the server compares it, followed by a separator: text without its
// trailing blanks (Firebird pads the shorter text with blanks), numbers in digits.
void appendKeyPart(std::string& key, const Value& v) {
    if (const auto* s = std::get_if<std::string>(&v)) {
        std::string_view t = *s;
        while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
        key += t;
    } else if (const auto* i = std::get_if<std::int32_t>(&v)) {
        key += std::to_string(*i);
    } else {
        key += formatValue(v, regional());
    }
    key += '\x1f';
}

// A key as the operator reads it: its parts between slashes.
std::string shown(std::string key) {
    if (!key.empty()) key.pop_back();
    for (char& c : key) {
        if (c == '\x1f') c = '/';
    }
    return key;
}

// The keys of the rows a run stores, each with the record that stores it: open addressing over
// the keys' hashes in a compact table (a record's lookup is one memory access, mostly), the
// texts compared only when the hashes agree.
class KeyIndex {
public:
    void reserve(std::size_t n) { grow(n); }
    // The record that holds `key`, or 0.
    std::int64_t find(const std::string& key) const {
        if (slots_.empty()) return 0;
        const std::uint64_t h = hash(key);
        const auto tag = static_cast<std::uint32_t>(h >> 32);
        for (std::size_t i = h & mask(); slots_[i].entry >= 0; i = (i + 1) & mask()) {
            if (slots_[i].tag != tag) continue;
            const Entry& e = entries_[static_cast<std::size_t>(slots_[i].entry)];
            if (e.key == key) return e.record;
        }
        return 0;
    }
    // Asks for the memory that find(key) and insert(key) will read.
    void prefetch(const std::string& key) const {
#if defined(__GNUC__)
        if (!slots_.empty()) __builtin_prefetch(&slots_[hash(key) & mask()]);
#else
        (void)key;
#endif
    }
    void insert(const std::string& key, std::int64_t record) {
        if (4 * (entries_.size() + 1) > 3 * slots_.size()) grow(entries_.size() + 1);
        place(hash(key), static_cast<std::int32_t>(entries_.size()));
        entries_.push_back({key, record});
    }

private:
    struct Slot {
        std::uint32_t tag = 0;
        std::int32_t entry = -1;
    };
    struct Entry {
        std::string key;
        std::int64_t record;
    };
    static std::uint64_t hash(const std::string& key) { return std::hash<std::string>{}(key); }
    std::size_t mask() const { return slots_.size() - 1; }
    void place(std::uint64_t h, std::int32_t entry) {
        std::size_t i = h & mask();
        while (slots_[i].entry >= 0) i = (i + 1) & mask();
        slots_[i] = {static_cast<std::uint32_t>(h >> 32), entry};
    }
    // Room for `n` keys at three quarters full at most.
    void grow(std::size_t n) {
        std::size_t size = 16;
        while (3 * size < 4 * n) size *= 2;
        if (size <= slots_.size()) return;
        slots_.assign(size, Slot{});
        for (std::size_t e = 0; e < entries_.size(); ++e) place(hash(entries_[e].key), static_cast<std::int32_t>(e));
    }
    std::vector<Slot> slots_;
    std::vector<Entry> entries_;
};

// What the server will hold a row to, from its system tables.
struct ServerColumn {
    int length = 0;  // text columns: characters; 0 for the others
    bool notNull = false;
};
struct ServerKey {
    std::string name;                  // the constraint
    std::vector<std::string> columns;  // in key order
};

class Check {
public:
    Check(const MigrationDef& def, LegacyTable& legacy, ClientDataSet& target, SQLQuery& query,
          MigrationObserver* observer)
        : def_(def), legacy_(legacy), target_(target), query_(query), observer_(observer),
          chain_(findChain(def.targetDataSet)),
          scratch_(std::string(def.targetDataSet), chain_ ? chain_->clientFields : std::span<const FieldSpec>{}),
          mapper_(def, legacy, scratch_) {}

    CheckReport run() {
        if (!chain_) throw DataError("no target dataset " + std::string(def_.targetDataSet));
        // What the migration does before it walks, in its order: the greatest code, the
        // legacy table's first record, the already-loaded test.
        if (def_.numbersRows) {
            try {
                mapper_.setCounter(readGreatestCode(query_));
                codesKnown_ = true;
            } catch (const AdvisedError& e) {
                general(w("A migração não gravaria nada e diria: ") + asSentence(e.what()));
                general(e.advice());
                runs_ = false;
            } catch (const ConversionError& e) {
                general(w("A migração não gravaria nada e diria: ") + asSentence(e.what()));
                runs_ = false;
            }
        }
        legacy_.First();
        if (target_.RecordCount() >= 1) {
            general(w("A migração não gravaria nada e diria: ") + w(def_.alreadyLoaded));
            runs_ = false;
        }
        readServer();
        scratch_.CreateDataSet();
        scratch_.setCutListener([this](int field, std::string_view whole) { cuts_.push_back({field, std::string(whole)}); });
        prepareLimits();

        if (observer_) observer_->started(legacy_.recordCount());
        struct Finish {
            MigrationObserver* observer;
            ~Finish() {
                if (observer) observer->finished();
            }
        } finish{observer_};

        std::int64_t done = 0;
        while (!legacy_.Eof()) {
            if (!walkRecord()) break;
            legacy_.Next();
            if (observer_ && !observer_->recordDone(++done) && !legacy_.Eof()) {
                CheckReport report;
                report.end = CheckReport::End::Cancelled;
                report.summary = w("A conferência foi cancelada.");
                return report;
            }
        }
        return report();
    }

private:
    struct Cut {
        int field;
        std::string whole;
    };

    void general(std::string text) { general_.push_back({0, {}, {}, std::move(text)}); }
    void found(std::int64_t record, const std::string& key, std::string field, std::string text) {
        findings_.push_back({record, key, std::move(field), std::move(text)});
    }
    // A record's key, worked out at its first use.
    struct Key {
        std::function<std::string()> make;
        std::optional<std::string> value;
        const std::string& get() {
            if (!value) value = make();
            return *value;
        }
    };
    void found(std::int64_t record, Key& key, std::string field, std::string text) {
        found(record, key.get(), std::move(field), std::move(text));
    }

    // --- the server --------------------------------------------------------------------------

    void readServer() {
        table_ = tableNameFromSelect(chain_->select).value_or(std::string(def_.targetDataSet));
        for (char& c : table_) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        const std::string relation = "'" + table_ + "'";
        query_.setSQL("select trim(rf.RDB$FIELD_NAME) as COLUNA, f.RDB$FIELD_TYPE as TIPO, "
                      "coalesce(f.RDB$CHARACTER_LENGTH, 0) as TAMANHO, "
                      "coalesce(rf.RDB$NULL_FLAG, f.RDB$NULL_FLAG, 0) as OBRIGATORIA "
                      "from RDB$RELATION_FIELDS rf join RDB$FIELDS f on f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
                      "where rf.RDB$RELATION_NAME = " + relation);
        readRows([this] {
            const int type = query_.FieldByName("TIPO").asInteger();
            ServerColumn column;
            column.length = type == 14 || type == 37 ? query_.FieldByName("TAMANHO").asInteger() : 0;
            column.notNull = query_.FieldByName("OBRIGATORIA").asInteger() != 0;
            columns_[withoutTrailingBlanks(query_.FieldByName("COLUNA").asText())] = column;
        });
        query_.setSQL("select trim(rc.RDB$CONSTRAINT_NAME) as RESTRICAO, trim(s.RDB$FIELD_NAME) as COLUNA "
                      "from RDB$RELATION_CONSTRAINTS rc join RDB$INDEX_SEGMENTS s on s.RDB$INDEX_NAME = rc.RDB$INDEX_NAME "
                      "where rc.RDB$RELATION_NAME = " + relation +
                      " and rc.RDB$CONSTRAINT_TYPE in ('PRIMARY KEY', 'UNIQUE') "
                      "order by rc.RDB$CONSTRAINT_NAME, s.RDB$FIELD_POSITION");
        readRows([this] {
            const std::string name = withoutTrailingBlanks(query_.FieldByName("RESTRICAO").asText());
            if (keys_.empty() || keys_.back().name != name) keys_.push_back({name, {}});
            keys_.back().columns.push_back(withoutTrailingBlanks(query_.FieldByName("COLUNA").asText()));
        });
        // The keys of the rows the server holds (for the components, those of every group).
        for (const ServerKey& key : keys_) {
            std::string list;
            for (const std::string& c : key.columns) list += (list.empty() ? "" : ", ") + c;
            query_.setSQL("select " + list + " from " + table_);
            auto& held = held_.emplace_back();
            readRows([&] {
                std::string k;
                for (int i = 0; i < query_.FieldCount(); ++i) appendKeyPart(k, query_.Fields(i).value());
                held.insert(std::move(k));
            });
        }
    }

    template <class OnRow>
    void readRows(OnRow onRow) {
        query_.Open();
        try {
            for (; !query_.Eof(); query_.Next()) onRow();
        } catch (...) {
            query_.Close();
            throw;
        }
        query_.Close();
    }

    // Which fields of the row can break the server's rules, so that a record looks at those only.
    void prepareLimits() {
        for (int i = 0; i < scratch_.FieldCount(); ++i) {
            const DataSetField& f = scratch_.Fields(i);
            auto it = std::find_if(columns_.begin(), columns_.end(),
                                   [&](const auto& c) { return sameFieldName(c.first, f.name()); });
            if (it == columns_.end()) continue;
            const ServerColumn& c = it->second;
            if (f.kind() == FieldKind::Text && c.length > 0 && (f.size() == 0 || c.length < f.size()))
                longer_.push_back({i, c.length});
            if (c.notNull) notNull_.push_back(i);
        }
        for (const ServerKey& key : keys_) {
            std::vector<int> fields;
            for (const std::string& column : key.columns) fields.push_back(scratch_.fieldIndex(column));
            // A key over a column the dataset lacks cannot be told from here.
            if (std::find(fields.begin(), fields.end(), -1) != fields.end()) fields.clear();
            keyFields_.push_back(std::move(fields));
        }
        accepted_.resize(keys_.size());
        rowKeys_.resize(keys_.size());
        for (auto& keys : accepted_) keys.reserve(static_cast<std::size_t>(legacy_.recordCount()));
    }

    // --- one record --------------------------------------------------------------------------

    // False when the walk ends here, as the migration's would.
    bool walkRecord() {
        const std::int64_t record = legacy_.recNo() + 1;
        ++records_;
        if (def_.filter) {
            bool migrated = false;
            try {
                migrated = def_.filter(legacy_);
            } catch (const std::exception& e) {
                // The filter's read lies outside the guarded step: the migration ends here with
                // the failure's message, the records before stored.
                general(w("A migração pararia no registro ") + std::to_string(record) + w(" com a mensagem: ") +
                        asSentence(e.what()));
                records_ = legacy_.recordCount();
                return false;
            }
            if (!migrated) {
                ++filtered_;
                const std::string text = legacy_.FieldByName(def_.filterField).asText();
                found(record, text, {},
                      w("deixado de fora pelo filtro: ") + std::string(def_.filterField) + " " + quoted(text) + ": " +
                          w(def_.filterRule) + ".");
                return true;
            }
        }
        cuts_.clear();
        std::optional<std::string> failure;
        std::string failedField;
        try {
            mapper_.fill();
            buildKeys();
            try {
                scratch_.CheckPost();
            } catch (const std::exception& e) {
                for (int i = 0; i < scratch_.FieldCount(); ++i) {
                    const DataSetField& f = scratch_.Fields(i);
                    if (f.def().required && f.isNull()) {
                        failedField = f.name();
                        break;
                    }
                }
                failure = failedField.empty() ? std::string(e.what())
                                              : w("o campo obrigatório ") + failedField + w(" ficaria vazio: ") + e.what();
            }
        } catch (const std::exception& e) {
            failure = e.what();
        }
        // The key is worked out for the records that have something to report only.
        const bool filled = scratch_.State() == DataSetState::Insert;
        Key key{[this, filled] { return filled ? mapper_.key() : std::string(); }, std::nullopt};
        if (codesKnown_ && scratch_.State() == DataSetState::Insert) {
            const std::string code = formatPattern000000(mapper_.counter());
            found(record, key, "CODIGO", w("receberia o código ") + code + ".");
        }
        reportCuts(record, key);
        bool refused = false;
        if (failure) {
            if (def_.form == MigrationForm::Batch) {
                if (!firstFailure_) firstFailure_ = record;
                found(record, key, failedField, w("a migração pararia neste registro: ") + *failure);
            } else {
                found(record, key, failedField, w("não seria migrado: ") + *failure);
            }
            refused = true;
        } else {
            refused = serverRefuses(record, key);
        }
        if (!refused) ++accepted_rows_;
        scratch_.Cancel();
        return true;
    }

    void reportCuts(std::int64_t record, Key& key) {
        bool any = false;
        for (const Cut& cut : cuts_) {
            const DataSetField& f = scratch_.Fields(cut.field);
            const auto size = static_cast<std::size_t>(f.size());
            const std::string lost = cut.whole.substr(std::min(size, cut.whole.size()));
            // Blanks at the end would go when the row is stored anyway.
            if (withoutTrailingBlanks(lost).empty()) continue;
            const std::string kept = withoutTrailingBlanks(std::string_view(cut.whole).substr(0, size));
            found(record, key, f.name(),
                  w("texto cortado em ") + f.name() + w(" (") + characters(size) + w("): ficaria ") + quoted(kept) +
                      w("; perderia ") + quoted(lost) + " (" + characters(lost.size()) + ").");
            any = true;
        }
        if (any) ++cut_;
    }

    // The keys of the row being filled, as the server compares them (empty where none counts),
    // built as soon as the row is filled so that their lookups are under way meanwhile.
    void buildKeys() {
        // Codes numbered from no greatest code are no codes the migration would give.
        const bool keysKnown = !def_.numbersRows || codesKnown_;
        for (std::size_t k = 0; k < keys_.size(); ++k) {
            std::string& text = rowKeys_[k];
            text.clear();
            if (!keysKnown || keyFields_[k].empty()) continue;
            bool null = false;
            for (int field : keyFields_[k]) {
                const Value& v = *scratch_.filledValue(field);
                null = null || isNull(v);
                appendKeyPart(text, v);
            }
            if (null) {  // a unique key lets rows without a value by
                text.clear();
                continue;
            }
            accepted_[k].prefetch(text);
        }
    }

    // The row as the server would take it; true when the server would refuse it.
    bool serverRefuses(std::int64_t record, Key& key) {
        bool refused = false;
        for (const auto& [field, length] : longer_) {
            const DataSetField& f = scratch_.Fields(field);
            const auto* s = std::get_if<std::string>(scratch_.filledValue(field));
            if (!s || s->size() <= static_cast<std::size_t>(length)) continue;
            found(record, key, f.name(),
                  f.name() + w(" tem ") + characters(s->size()) + w(" e a coluna do servidor guarda ") +
                      std::to_string(length) + w(": o servidor vai recusar o registro."));
            refused = true;
        }
        for (int field : notNull_) {
            const DataSetField& f = scratch_.Fields(field);
            if (!f.isNull()) continue;
            found(record, key, f.name(),
                  f.name() + w(" ficaria vazio e a coluna do servidor exige um valor: o servidor vai recusar o registro."));
            refused = true;
        }
        for (std::size_t k = 0; k < keys_.size(); ++k) {
            const std::string& text = rowKeys_[k];
            if (text.empty()) continue;
            const std::string& field = keys_[k].columns.size() == 1 ? keys_[k].columns[0] : noField_;
            if (!held_[k].empty() && held_[k].count(text)) {
                found(record, key, field,
                      def_.numbersRows
                          ? w("o código ") + shown(text) + w(" já existe na tabela de componentes: o servidor vai recusar o registro.")
                          : w("a chave ") + shown(text) + w(" já está gravada no banco de dados: o servidor vai recusar o registro."));
                refused = true;
            } else if (const std::int64_t first = accepted_[k].find(text); first != 0) {
                found(record, key, field,
                      w("chave repetida: o registro ") + std::to_string(first) + w(" da tabela antiga já tem a chave ") +
                          shown(text) + w("; o servidor vai recusar este."));
                refused = true;
            }
        }
        // A refused row takes no key: a later record with the same key is stored.
        if (!refused) {
            for (std::size_t k = 0; k < keys_.size(); ++k) {
                if (!rowKeys_[k].empty()) accepted_[k].insert(rowKeys_[k], record);
            }
        }
        return refused;
    }

    // --- the counts --------------------------------------------------------------------------

    CheckReport report() {
        CheckReport report;
        report.records = records_;
        report.filtered = filtered_;
        report.cut = cut_;
        if (!runs_) {
            report.migrated = 0;
        } else if (firstFailure_) {
            general(w("A migração pararia no registro ") + std::to_string(*firstFailure_) +
                    w(", o primeiro que não pode virar linha, e nenhum registro seria gravado."));
            report.migrated = 0;
        } else {
            report.migrated = accepted_rows_;
        }
        report.refused = report.records - report.migrated - report.filtered;
        report.summary = w("Registros: ") + std::to_string(report.records) + w("; seriam migrados: ") +
                         std::to_string(report.migrated) + w("; com texto cortado: ") + std::to_string(report.cut) +
                         w("; seriam recusados: ") + std::to_string(report.refused) +
                         w("; deixados de fora pelo filtro: ") + std::to_string(report.filtered) + ".";
        report.findings = std::move(general_);
        for (CheckFinding& f : findings_) report.findings.push_back(std::move(f));
        for (const auto& a : legacy_.anomalies())
            report.findings.push_back({0, {}, {}, w("Problema de leitura do arquivo ") + legacy_.fileName() + ": " + dbf::describe(a)});
        return report;
    }

    const MigrationDef& def_;
    LegacyTable& legacy_;
    ClientDataSet& target_;
    SQLQuery& query_;
    MigrationObserver* observer_;
    const ChainDef* chain_;
    ClientDataSet scratch_;
    RecordMapper mapper_;

    std::string table_;
    std::map<std::string, ServerColumn> columns_;
    std::vector<ServerKey> keys_;
    std::vector<std::unordered_set<std::string>> held_;
    std::vector<std::pair<int, int>> longer_;  // field, server length
    std::vector<int> notNull_;
    std::vector<std::vector<int>> keyFields_;
    std::vector<KeyIndex> accepted_;  // the keys of the rows stored, with their records
    std::vector<std::string> rowKeys_;  // the record's keys, as accepted_ holds them
    const std::string noField_;

    std::vector<Cut> cuts_;
    std::vector<CheckFinding> general_;
    std::vector<CheckFinding> findings_;
    bool runs_ = true;  // the migration would walk at all
    bool codesKnown_ = false;
    std::optional<std::int64_t> firstFailure_;
    std::int64_t records_ = 0;
    std::int64_t filtered_ = 0;
    std::int64_t cut_ = 0;
    std::int64_t accepted_rows_ = 0;
};

std::string csvCell(const std::string& utf8) {
    if (utf8.find_first_of(";\"\r\n") == std::string::npos) return utf8;
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string CheckReport::details() const {
    std::string out;
    for (const CheckFinding& f : findings) {
        if (f.record > 0) {
            out += w("Registro ") + std::to_string(f.record);
            out += f.key.empty() ? w(" (sem chave)") : " (" + f.key + ")";
            out += ": ";
        }
        out += f.text + "\n";
    }
    return out;
}

std::string CheckReport::csv() const {
    std::string out = "\xEF\xBB\xBF";
    out += win1252ToUtf8(w("Registro;Chave;Campo;Ocorrência")) + "\r\n";
    for (const CheckFinding& f : findings) {
        out += (f.record > 0 ? std::to_string(f.record) : std::string()) + ";" + csvCell(win1252ToUtf8(f.key)) + ";" +
               csvCell(win1252ToUtf8(f.field)) + ";" + csvCell(win1252ToUtf8(f.text)) + "\r\n";
    }
    return out;
}

CheckReport runCheck(const MigrationDef& def, LegacyTable& legacy, ClientDataSet& target, SQLQuery& query,
                     MigrationObserver* observer) {
    return Check(def, legacy, target, query, observer).run();
}

}  // namespace mig
