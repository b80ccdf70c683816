// The progress box of long migrations: shown only when a migration lasts, closed before the
// final box, and its "Cancelar" stopping each form between two records as the operator expects.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "app/MigrationProgress.h"
#include "app/UDM.h"
#include "legacy/LegacyTable.h"
#include "migrations/Migration.h"
#include "migrations/Procedure.h"
#include "target/field/Win1252.h"
#include "tests/support/TestDatabase.h"
#include "tools/dbf/DbfWriter.h"

using namespace mig;
using std::chrono::milliseconds;

namespace {

// A legacy table, the data module over a fresh database, and one migration run at a time.
struct Bench {
    test::TestDatabase database;
    test::TempFolder legacy;
    TDM dm;
    std::unique_ptr<LegacyTable> table;

    Bench() { dm.SQLConnection1.Params().setValue("DataBase", database.path()); }

    void districts(int count) {
        dbf::DbfWriter writer(0x03, {{"REGBAIRRO", 'C', 40}});
        for (int i = 0; i < count; ++i) writer.add({"BAIRRO " + std::to_string(1000 + i)});
        writer.writeFiles(legacy.path() + "/QTR42A.DBF");
    }
    void forms(int count) {
        dbf::DbfWriter writer(0x03, {{"GRPDESCRI", 'C', 15}, {"GRPVALTEX", 'C', 15}});
        for (int i = 0; i < count; ++i) writer.add({"FORMA " + std::to_string(1000 + i), "30 DIAS"});
        writer.writeFiles(legacy.path() + "/QTR05.DBF");
    }

    MigrationReport run(MasterData kind, MigrationObserver* observer) {
        const MigrationDef& def = migrationOf(kind);
        const std::string file = def.legacyTable == "Bairros" ? "QTR42A" : "QTR05";
        table = std::make_unique<LegacyTable>(std::string(def.legacyTable), file, legacy.path());
        table->Open();
        ClientDataSet& target = dm.chain(def.targetDataSet)->dataSet;
        target.Close();
        target.Open();
        return runMigration(def, *table, target, dm.SQLQuery1, observer);
    }

    std::vector<std::string> stored(const char* sql) { return database.column(sql); }
};

// Presses "Cancelar" as soon as the box shows, from inside the migration's event processing.
void cancelWhenShown(MigrationProgress& progress) {
    auto* timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, &progress] {
        if (QDialog* box = progress.box()) {
            box->findChild<QPushButton*>(QStringLiteral("Cancelar"))->click();
            timer->deleteLater();
        }
    });
    timer->start();
}

}  // namespace

class ProgressBoxTest : public QObject {
    Q_OBJECT
private slots:
    void aLongMigrationShowsTheTotalAndClosesTheBoxBeforeTheEnd() {
        Bench bench;
        bench.districts(40);
        MigrationProgress progress(nullptr, QStringLiteral("Bairros"), milliseconds(0), milliseconds(0));
        QString seen;
        bool modal = false;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (QDialog* box = progress.box(); box && seen.isEmpty()) {
                seen = box->findChild<QLabel*>(QStringLiteral("status"))->text();
                modal = box->isModal() && box->windowModality() == Qt::ApplicationModal && box->isVisible();
            }
        });
        probe.start(0);
        const MigrationReport report = bench.run(MasterData::Districts, &progress);
        QVERIFY(progress.wasShown());
        QVERIFY2(seen.contains(QStringLiteral(" de 40 registros")), qPrintable(seen));
        QVERIFY(seen.contains(QStringLiteral("registros por segundo")));
        QVERIFY(seen.contains(QStringLiteral("Tempo restante")));
        QVERIFY(modal);
        QCOMPARE(progress.box(), nullptr);  // closed before the caller shows the final box
        QVERIFY(report.text == utf8ToWin1252("Procedimento concluído."));
    }

    void aShortMigrationShowsNoBox() {
        Bench bench;
        bench.districts(3);
        MigrationProgress progress(nullptr, QStringLiteral("Bairros"));
        bench.run(MasterData::Districts, &progress);
        QVERIFY(!progress.wasShown());
    }

    void cancellingTheBatchStoresNothing() {
        Bench bench;
        bench.forms(60);
        MigrationProgress progress(nullptr, QStringLiteral("Formas Farmacêuticas"), milliseconds(0), milliseconds(0));
        cancelWhenShown(progress);
        const MigrationReport report = bench.run(MasterData::PharmaceuticalForms, &progress);
        QCOMPARE(report.end, MigrationReport::End::Cancelled);
        QVERIFY(report.notReached > 0);
        QVERIFY(bench.stored("select FORMAFARMA from FORMAFAR").empty());
        ClientDataSet& target = bench.dm.FormaFar;
        QCOMPARE(target.RecordCount(), 0);  // the dataset shows what the server holds
        QCOMPARE(target.ChangeCount(), 0);
        QVERIFY(QString::fromLatin1(report.text.c_str()).contains(QStringLiteral("cancelada")));
    }

    void cancellingRowByRowKeepsTheStoredRowsAndCountsTheRest() {
        Bench bench;
        bench.districts(60);
        MigrationProgress progress(nullptr, QStringLiteral("Bairros"), milliseconds(0), milliseconds(0));
        cancelWhenShown(progress);
        const MigrationReport report = bench.run(MasterData::Districts, &progress);
        QCOMPARE(report.end, MigrationReport::End::Cancelled);
        const auto stored = bench.stored("select BAIRRO from TAXABAIRRO");
        QVERIFY(!stored.empty());
        QCOMPARE(static_cast<std::int64_t>(stored.size()), report.migrated);
        QCOMPARE(report.migrated + report.notReached, std::int64_t{60});
        // Pressing the button again: the rows stored make the target loaded.
        const MigrationReport again = bench.run(MasterData::Districts, nullptr);
        QCOMPARE(again.end, MigrationReport::End::AlreadyLoaded);
    }

    void aRunWithTheBoxStoresWhatARunWithoutItStores() {
        Bench withBox, without;
        withBox.districts(25);
        without.districts(25);
        MigrationProgress progress(nullptr, QStringLiteral("Bairros"), milliseconds(0), milliseconds(0));
        const MigrationReport a = withBox.run(MasterData::Districts, &progress);
        const MigrationReport b = without.run(MasterData::Districts, nullptr);
        QVERIFY(progress.wasShown());
        QCOMPARE(a.text, b.text);
        const char* sql = "select BAIRRO || '|' || cast(TAXA as varchar(20)) from TAXABAIRRO order by BAIRRO";
        QCOMPARE(withBox.stored(sql), without.stored(sql));
    }

    void theTimeLeftGrowsWithTheTargetInTheRowByRowForm() {
        // 0.01 s per record after 100 records and 0.02 s after 200: the rest of 300 takes the
        // growing time of records 200 to 300, 2.5 s, not the flat 2 s of the last measurement.
        QCOMPARE(MigrationProgress::secondsLeft(200, 300, 0.01, 100, 0.02), 2.5);
        // A flat time per record (the batch form's walk) gives the plain product.
        QCOMPARE(MigrationProgress::secondsLeft(50, 150, 0.004, 25, 0.004), 0.4);
        QCOMPARE(MigrationProgress::secondsLeft(150, 150, 0.004, 25, 0.004), 0.0);
    }
};

QTEST_MAIN(ProgressBoxTest)
#include "ProgressBox_test.moc"
