// SIGTERM, SIGINT and SIGHUP in the program's own process: the database client's handlers come
// after the program's and keep them, the client does not shut the connection down under the
// program, and the window ends in order: idle at once, during a migration at the next record
// (row by row the rows stored stay, in the batch form nothing is stored), with a box open by
// closing it; no final box, every table closed, `ended` with 128 plus the signal's number.
#include <QMessageBox>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <dlfcn.h>
#include <thread>
#include <unistd.h>

#include "app/platform/EndRequests.h"
#include "target/dataset/DataSetProvider.h"

#include "tests/qt/WindowTest.h"

using namespace mig;
using namespace mig::test;

namespace {

// The file of the code that handles `signal` now.
QString handlerFile(int signal) {
    struct sigaction current = {};
    ::sigaction(signal, nullptr, &current);
    Dl_info info = {};
    const auto address = reinterpret_cast<void*>(current.sa_handler);
    if (!::dladdr(address, &info) || !info.dli_fname) return {};
    return QString::fromLocal8Bit(info.dli_fname);
}

void sendToThisProcess(int signal) { ::kill(::getpid(), signal); }

// Runs `action` once from the event dispatch of a walk as soon as its progress box shows.
void whenTheProgressBoxShows(const TForm1& form, const std::function<void()>& action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, &form, action] {
        auto* box = form.findChild<QDialog*>(QStringLiteral("MigrationProgress"));
        if (box && box->isVisible()) {
            timer->deleteLater();
            timer->stop();
            action();
        }
    });
    timer->start(5);
}

}  // namespace

class EndRequestTest : public QObject {
    Q_OBJECT
    std::unique_ptr<EndRequests> requests;
    std::unique_ptr<WindowFixture> bench;
    std::vector<int> ends;

    void verifyEverythingClosed() const {
        for (const auto& table : bench->form->legacyTables()) QVERIFY2(!table->Active(), table->name().c_str());
        for (const auto& chain : bench->dm.chains()) QVERIFY2(!chain->dataSet.Active(), chain->dataSet.name().c_str());
        QCOMPARE(bench->enabledMigrateButtons(), QStringList());
    }

private slots:
    void init() {
        // As start-up does: the handlers first, then the database client's (the bench's first
        // attachment in this process loads the client, which installs them).
        requests = std::make_unique<EndRequests>();
        setApplyInterruptCheck([] { return EndRequests::pending() != 0; });
        bench = std::make_unique<WindowFixture>();
        connect(requests.get(), &EndRequests::requested, bench->form.get(), &TForm1::endOnRequest);
        connect(bench->form.get(), &TForm1::ended, this, [this](int code) { ends.push_back(code); });
        bench->writeEveryLegacyTable();
    }
    void cleanup() {
        setApplyInterruptCheck(nullptr);
        bench.reset();
        requests.reset();
        ends.clear();
    }

    // First in this program: only the first bench meets a client that has not run yet.
    void theClientKeepsTheProgramsHandlerAndItsConnection() {
        bench->click("BitBtn6");
        QVERIFY2(handlerFile(SIGTERM).contains(q("libfbclient")), qPrintable(handlerFile(SIGTERM)));
        QVERIFY2(handlerFile(SIGINT).contains(q("libfbclient")), qPrintable(handlerFile(SIGINT)));
        sendToThisProcess(SIGTERM);
        QTRY_COMPARE(ends, std::vector<int>{128 + SIGTERM});
        verifyEverythingClosed();
        // Given time, the client's own shutdown would have cut every attachment of the process.
        QTest::qWait(300);
        QVERIFY(bench->dm.SQLConnection1.Connected());
        bench->dm.SQLQuery1.setSQL("select count(*) from TAXABAIRRO");
        bench->dm.SQLQuery1.Open();
        QCOMPARE(bench->dm.SQLQuery1.Fields(0).asInteger(), 0);
        bench->dm.SQLQuery1.Close();
        QCOMPARE(bench->count("TAXABAIRRO"), 0);
    }

    void eachSignalEndsAnIdleWindowAtOnce_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void eachSignalEndsAnIdleWindowAtOnce() {
        QFETCH(int, signal);
        bench->click("BitBtn9");
        QVERIFY(bench->form->legacyTable("Posologias").Active());
        sendToThisProcess(signal);
        QTRY_COMPARE(ends, std::vector<int>{128 + signal});
        verifyEverythingClosed();
        // Nothing starts after the end: a click opens nothing.
        bench->click("BitBtn9");
        verifyEverythingClosed();
        QVERIFY(bench->boxes.boxes.empty());
    }

    void aSignalDuringARowByRowWalkStopsItAtARecordAndKeepsWhatWasStored() {
        dbf::DbfWriter districts(0x03, {{"REGBAIRRO", 'C', 40}});
        for (int i = 0; i < 3000; ++i) districts.add({"BAIRRO " + std::to_string(10000 + i)});
        bench->writeLegacy("Bairros", districts);
        bench->click("BitBtn6");
        whenTheProgressBoxShows(*bench->form, [] { sendToThisProcess(SIGTERM); });
        bench->click("BitBtn16");
        QCOMPARE(ends, std::vector<int>{128 + SIGTERM});
        QVERIFY(bench->boxes.boxes.empty());  // no final box
        verifyEverythingClosed();
        // Whole records, the first ones of the table, each stored once.
        const std::vector<std::string> stored = bench->column("select BAIRRO from TAXABAIRRO order by BAIRRO");
        QVERIFY(!stored.empty());
        QVERIFY(stored.size() < 3000);
        for (std::size_t i = 0; i < stored.size(); ++i) QCOMPARE(stored[i], "BAIRRO " + std::to_string(10000 + i));
    }

    void aSignalDuringABatchStoresNothing_data() {
        QTest::addColumn<int>("after");  // milliseconds into the migration
        // 300,000 forms: the walk lasts a few tenths of a second, the apply some seconds.
        QTest::newRow("during the walk") << 100;
        QTest::newRow("during the apply") << 1500;
    }
    void aSignalDuringABatchStoresNothing() {
        QFETCH(int, after);
        // The batch dispatches no event before its box shows: the signal comes from another thread.
        dbf::DbfWriter forms(0x03, {{"GRPDESCRI", 'C', 15}, {"GRPVALTEX", 'C', 15}});
        for (int i = 0; i < 300000; ++i) forms.add({"FORMA " + std::to_string(1000000 + i), "30 DIAS"});
        bench->writeLegacy("FormaFarma", forms);
        bench->click("BitBtn1");
        const auto start = std::chrono::steady_clock::now();
        std::thread later([after] {
            std::this_thread::sleep_for(std::chrono::milliseconds(after));
            sendToThisProcess(SIGTERM);
        });
        bench->click("BitBtn11");
        later.join();
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        QVERIFY2(took.count() >= after, "the batch ended before the signal came");
        QCOMPARE(ends, std::vector<int>{128 + SIGTERM});
        QVERIFY(bench->boxes.boxes.empty());
        verifyEverythingClosed();
        QCOMPARE(bench->count("FORMAFAR"), 0);
    }

    void aSignalWhileABoxWaitsClosesItAndEnds() {
        bench->writeLegacy("Posologias", dbf::DbfWriter(0x03, {{"POSCODIGO", 'C', 6}, {"POSDESCRI", 'C', 60}})
                                             .add({"P1", "1 CAPSULA AO DIA"}));
        bench->click("BitBtn9");
        MessageBoxDialogs real(bench->form.get());
        Dialogs* recorder = setDialogs(&real);
        QString seen;
        QTimer probe;
        connect(&probe, &QTimer::timeout, &probe, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box && seen.isEmpty()) {
                seen = box->text();
                sendToThisProcess(SIGTERM);
            }
        });
        probe.start(5);
        bench->click("BitBtn19");  // one dosage: "Procedimento concluído." waits for its OK
        setDialogs(recorder);
        QCOMPARE(seen, q("Procedimento concluído."));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(ends, std::vector<int>{128 + SIGTERM});
        verifyEverythingClosed();
        QCOMPARE(bench->count("TABPOSO"), 1);
    }
};

MIG_WINDOW_TEST_MAIN(EndRequestTest)
#include "EndRequest_test.moc"
