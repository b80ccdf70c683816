#include "migrations/Procedure.h"

#include <algorithm>
#include <exception>
#include <string>
#include <unordered_map>
#include <vector>

#include "legacy/LegacyTable.h"
#include "migrations/MigrationError.h"
#include "migrations/RecordMapping.h"
#include "target/dataset/ClientDataSet.h"
#include "target/dataset/SQLQuery.h"
#include "target/field/RegionalSettings.h"
#include "target/field/Win1252.h"

namespace mig {

namespace {

std::string w(std::string_view utf8) { return utf8ToWin1252(utf8); }

// A record whose row reached the dataset's cache, known by the tag its cached change carries.
struct PostedRow {
    std::int64_t record = 0;  // 1-based, among the records the legacy table serves
    std::string key;
    std::string applyFailure;  // what the last apply raised while the row was cached
};

// A record that did not become a row.
struct LostRecord {
    std::int64_t record = 0;
    std::string key;
    std::string reason;
};

class Run {
public:
    Run(const MigrationDef& def, LegacyTable& legacy, ClientDataSet& target, SQLQuery& query,
        MigrationObserver* observer)
        : def_(def), legacy_(legacy), target_(target), query_(query), observer_(observer), mapper_(def, legacy, target) {}

    MigrationReport run() {
        if (def_.numbersRows) readGreatestCode();
        legacy_.First();
        if (target_.RecordCount() >= 1) {
            MigrationReport report;
            report.end = MigrationReport::End::AlreadyLoaded;
            report.text = w(def_.alreadyLoaded);
            return report;
        }
        if (observer_) observer_->started(legacy_.recordCount());
        struct Finish {
            MigrationObserver* observer;
            ~Finish() { if (observer) observer->finished(); }
        } finish{observer_};
        return def_.form == MigrationForm::Batch ? batch() : rowByRow();
    }

private:
    void readGreatestCode() { mapper_.setCounter(mig::readGreatestCode(query_)); }

    std::int64_t recordNumber() const { return legacy_.recNo() + 1; }

    // The row being filled: append, number, map.
    void fill() { mapper_.fill(); }

    std::string keyOfRowBeingFilled() const { return mapper_.key(); }

    void post() {
        const std::string key = keyOfRowBeingFilled();
        target_.Post();
        target_.setChangeTag(target_.ChangeCount() - 1, static_cast<std::int64_t>(posted_.size()));
        posted_.push_back({recordNumber(), key, {}});
    }

    // A failed step leaves no half-filled row behind for the next append to post. The record
    // counts as not migrated also when the append itself failed.
    void dropRowBeingFilled(std::int64_t record, const std::string& reason) {
        std::string key;
        if (target_.State() == DataSetState::Insert) {
            key = keyOfRowBeingFilled();
            target_.Cancel();
        }
        lost_.push_back({record, std::move(key), reason});
    }

    bool keepGoing(std::int64_t done) { return !observer_ || observer_->recordDone(done); }

    // The batch form stops at the first record that cannot become a row, with the failure's own
    // message; its details name that record, so that the operator can find it in the legacy table.
    void fillAndPostOrStop() {
        try {
            fill();
            post();
        } catch (const std::exception& e) {
            std::string key;
            if (target_.State() == DataSetState::Insert) {
                key = keyOfRowBeingFilled();
                target_.Cancel();
            }
            throw DetailedError(e.what(), w("A migração parou neste registro e nada foi gravado:\n") +
                                              line(recordNumber(), key, e.what()) + "\n");
        }
    }

    MigrationReport batch() {
        std::int64_t done = 0;
        try {
            while (!legacy_.Eof()) {
                fillAndPostOrStop();
                legacy_.Next();
                if (!keepGoing(++done) && !legacy_.Eof()) {
                    // Nothing was applied: the rows cached by this run go, and the dataset shows
                    // what the server holds.
                    target_.Close();
                    target_.Open();
                    MigrationReport report;
                    report.end = MigrationReport::End::Cancelled;
                    report.notReached = legacy_.recordCount() - done;
                    report.text = w("A migração foi cancelada. Nenhum registro foi gravado.");
                    return report;
                }
            }
        } catch (const std::exception&) {
            if (target_.State() == DataSetState::Insert) target_.Cancel();
            throw;
        }
        target_.ApplyUpdates(-1);
        try {
            target_.Refresh();
        } catch (const DataError& e) {
            if (target_.ChangeCount() == 0) throw;
            throw DetailedError(e.what(), refusedDetails());
        }
        MigrationReport report;
        report.migrated = static_cast<std::int64_t>(posted_.size());
        report.text = w("Procedimento concluído.");
        addAnomalies(report);
        return report;
    }

    MigrationReport rowByRow() {
        std::int64_t done = 0;
        bool cancelled = false;
        while (!legacy_.Eof()) {
            if (def_.filter && !def_.filter(legacy_)) {
                ++filtered_;
            } else {
                guardedStep();
            }
            legacy_.Next();
            if (!keepGoing(++done) && !legacy_.Eof()) {
                cancelled = true;
                break;
            }
        }
        MigrationReport report;
        collectRefused();
        report.filtered = filtered_;
        report.notMigrated = static_cast<std::int64_t>(lost_.size());
        report.migrated = static_cast<std::int64_t>(posted_.size()) - refusedCount_;
        if (cancelled) {
            report.end = MigrationReport::End::Cancelled;
            report.notReached = legacy_.recordCount() - done;
            report.text = w("A migração foi cancelada. Registros migrados: ") + std::to_string(report.migrated) +
                          w("; não migrados: ") + std::to_string(report.notMigrated) +
                          w("; não alcançados: ") + std::to_string(report.notReached) + ".";
        } else {
            report.text = w("Procedimento concluído.");
            if (report.notMigrated > 0 || report.filtered > 0) {
                report.text += "\n" + w("Registros migrados: ") + std::to_string(report.migrated) +
                               w("; deixados de fora pelo filtro: ") + std::to_string(report.filtered) +
                               w("; não migrados: ") + std::to_string(report.notMigrated) + ".";
            }
        }
        report.details = lostDetails();
        addAnomalies(report);
        return report;
    }

    // Append, map, post, apply, re-read. A failure ends the step; the walk goes on.
    void guardedStep() {
        const std::int64_t record = recordNumber();
        try {
            fill();
            post();
        } catch (const std::exception& e) {
            dropRowBeingFilled(record, e.what());
            return;
        }
        try {
            target_.ApplyUpdates(-1);
        } catch (const std::exception& e) {
            // The row stays cached; it is offered again with the next apply.
            for (int i = 0; i < target_.ChangeCount(); ++i) {
                if (PostedRow* row = postedRow(i)) row->applyFailure = e.what();
            }
            return;
        }
        try {
            target_.Refresh();
        } catch (const std::exception&) {
            // Rows the server refused stay cached and block the re-read; they are reported
            // once each, at the end.
        }
    }

    // Rows still cached after the walk are the ones the server refused (or never got).
    void collectRefused() {
        for (int i = 0; i < target_.ChangeCount(); ++i) {
            const PostedRow* row = postedRow(i);
            if (!row) continue;
            std::string reason = target_.changeError(i);
            if (reason.empty()) reason = row->applyFailure;
            lost_.push_back({row->record, row->key, reason});
            ++refusedCount_;
        }
        std::stable_sort(lost_.begin(), lost_.end(),
                         [](const LostRecord& a, const LostRecord& b) { return a.record < b.record; });
    }

    // The row of this run behind a cached change; nullptr for a change this run did not post.
    PostedRow* postedRow(int change) {
        const std::int64_t tag = target_.changeTag(change);
        if (tag < 0 || tag >= static_cast<std::int64_t>(posted_.size())) return nullptr;
        return &posted_[static_cast<std::size_t>(tag)];
    }

    static std::string line(std::int64_t record, const std::string& key, const std::string& reason) {
        std::string text = w("Registro ") + std::to_string(record);
        text += key.empty() ? w(" (sem chave)") : " (" + key + ")";
        text += ": " + reason;
        return text;
    }

    std::string lostDetails() const {
        if (lost_.empty()) return {};
        std::string details = w("Registros não migrados:\n");
        for (const LostRecord& r : lost_) details += line(r.record, r.key, r.reason) + "\n";
        return details;
    }

    std::string refusedDetails() {
        std::string details = w("Registros recusados pelo servidor:\n");
        for (int i = 0; i < target_.ChangeCount(); ++i) {
            if (const PostedRow* row = postedRow(i)) {
                details += line(row->record, row->key, target_.changeError(i)) + "\n";
            }
        }
        return details;
    }

    // What the legacy file held that could not be read, and a code page its text decided, are
    // never passed over in silence.
    void addAnomalies(MigrationReport& report) const {
        if (legacy_.codePageDecisionMattered()) {
            report.text += "\n" + w("Atenção: o arquivo ") + legacy_.fileName() +
                           w(" não registra uma página de código conhecida; o texto foi lido como ") +
                           legacy_.codePageName() + w(", página decidida pelo próprio texto.");
        }
        const auto& anomalies = legacy_.anomalies();
        if (anomalies.empty()) return;
        report.text += "\n" + w("Atenção: o arquivo ") + legacy_.fileName() + w(" tem ") +
                       std::to_string(anomalies.size()) +
                       w(" problema(s) de leitura; registros ou valores podem ter ficado de fora. Veja os detalhes.");
        if (!report.details.empty()) report.details += "\n";
        report.details += w("Problemas de leitura do arquivo:\n");
        for (const auto& a : anomalies) report.details += dbf::describe(a) + "\n";
    }

    const MigrationDef& def_;
    LegacyTable& legacy_;
    ClientDataSet& target_;
    SQLQuery& query_;
    MigrationObserver* observer_;
    RecordMapper mapper_;
    std::vector<PostedRow> posted_;
    std::vector<LostRecord> lost_;
    std::int64_t filtered_ = 0;
    std::int64_t refusedCount_ = 0;
};

}  // namespace

MigrationReport runMigration(const MigrationDef& def, LegacyTable& legacy, ClientDataSet& target, SQLQuery& query,
                             MigrationObserver* observer) {
    return Run(def, legacy, target, query, observer).run();
}

}  // namespace mig
