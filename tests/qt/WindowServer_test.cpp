// The window against the loopback server (scripts/test-server): a pair previewed, migrated and
// emptied over the network, the server's rows read through an attachment of their own.
#include "tests/qt/WindowTest.h"
#include "tests/support/TestServer.h"

using namespace mig;
using namespace mig::test;

namespace {

void serverExec(std::string_view sql) { db::Attachment::attach(serverParams())->executeImmediate(sql); }

}  // namespace

class WindowServerTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> bench;

private slots:
    void init() {
        if (const std::string& problem = serverProblem(); !problem.empty()) {
            if (runningUnderCi()) QFAIL(qPrintable("The loopback Firebird server is required under CI: " + QString::fromStdString(problem)));
            QSKIP(qPrintable("No loopback Firebird server (run scripts/test-server): " + QString::fromStdString(problem)));
        }
        emptyServerTables();
        bench = std::make_unique<WindowFixture>();
        bench->dm.SQLConnection1.Params().setValue("DataBase", kServerDatabase);
        bench->dm.SQLConnection1.Params().setValue("Password", kTestPassword);
    }
    void cleanup() {
        bench.reset();
        if (serverProblem().empty()) emptyServerTables();
    }

    void aPairIsPreviewedMigratedAndEmptiedOverTheNetwork() {
        bench->writeLegacy("FormaFarma", dbf::DbfWriter(0x03, {{"GRPDESCRI", 'C', 30}, {"GRPVALTEX", 'C', 20}})
                                             .languageDriver(0x03)
                                             .add({utf8ToWin1252("CÁPSULA"), "30 DIAS"})
                                             .add({"POMADA", "60 DIAS"}));
        TForm1& form = *bench->form;
        bench->click("BitBtn1");
        QVERIFY(bench->boxes.boxes.empty());
        QCOMPARE(bench->enabledMigrateButtons(), QStringList{"BitBtn11"});
        bench->click("BitBtn11");
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(1));
        QCOMPARE(bench->boxes.boxes[0].text, q("Procedimento concluído."));
        QCOMPARE(serverCount("FORMAFAR"), 2);
        QCoreApplication::processEvents();
        QCOMPARE(form.DBGrid2->model()->rowCount(), 2);

        bench->boxes.answer = true;
        bench->chooseEmptyTable();
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(2));
        QCOMPARE(bench->boxes.boxes[1].kind, Box::Question);
        QCOMPARE(serverCount("FORMAFAR"), 0);
        QCOMPARE(form.DBGrid2->model()->rowCount(), 0);
    }

    void emptyingTheRawMaterialsLeavesTheOtherGroupsOnTheServer() {
        serverExec("insert into COMPONEN (CODIGO, GRUPO) values ('MP1', 'MP')");
        serverExec("insert into COMPONEN (CODIGO, GRUPO) values ('CAP1', 'CAP')");
        serverExec("insert into COMPONEN (CODIGO, GRUPO) values ('VEI1', 'VEI')");
        bench->writeEveryLegacyTable();
        bench->click("BitBtn10");
        QCOMPARE(bench->form->DBGrid2->model()->rowCount(), 1);
        bench->boxes.answer = true;
        bench->chooseEmptyTable();
        QCOMPARE(serverCount("COMPONEN where GRUPO = 'MP'"), 0);
        QCOMPARE(serverCount("COMPONEN"), 2);
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(1));
    }
};

MIG_WINDOW_TEST_MAIN(WindowServerTest)
#include "WindowServer_test.moc"
