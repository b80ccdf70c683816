// "Esvaziar tabela" on the lower grid: the question before anything is deleted, naming the table
// and the rows the server holds of it, the table (or group of the components table) that the
// caption above the lower grid names emptied on the server and shown again, and nothing for the
// empty caption of start-up.
#include "tests/qt/WindowTest.h"

using namespace mig;
using namespace mig::test;

namespace {

// The question for `caption` when the server holds 2 rows of it, as every target holds at the
// start of each test.
QString questionFor(const QString& caption) {
    return q("2 registros de ") + caption + q(" gravados no banco de dados serão excluídos.\nDeseja esvaziar a tabela?");
}

std::vector<int> everyTargetHolds(int rows) { return std::vector<int>(kPairs.size(), rows); }

}  // namespace

class EmptyingTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> bench;

private slots:
    void init() {
        bench = std::make_unique<WindowFixture>();
        bench->writeEveryLegacyTable();
        for (std::size_t i = 0; i < kPairs.size(); ++i) bench->fillTarget(i, 1, 2);
    }
    void cleanup() { bench.reset(); }

    void theCaptionNamesWhatIsEmptied_data() {
        QTest::addColumn<QString>("preview");
        QTest::addColumn<int>("pair");  // index in the window's rows; its target is emptied
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("confirmed");
        const struct {
            const char* preview;
            const char* caption;
        } rows[] = {
            {"BitBtn1", "Formas Farmacêuticas"}, {"BitBtn2", "Fornecedores"}, {"BitBtn5", "Famílias"},
            {"BitBtn3", "Clientes"},             {"BitBtn4", "Médicos"},      {"BitBtn10", "Componentes"},
            {"BitBtn7", "Cápsulas"},             {"BitBtn22", "Veículos"},    {"BitBtn24", "Embalagens"},
            {"BitBtn8", "Fabricantes"},          {"BitBtn6", "Bairros"},      {"BitBtn9", "Posologias"},
        };
        for (int i = 0; i < int(std::size(rows)); ++i) {
            QTest::newRow(rows[i].caption) << q(rows[i].preview) << i << q(rows[i].caption) << true;
        }
        for (int i : {3, 5, 9}) {
            QTest::newRow(qPrintable(q(rows[i].caption) + " declined")) << q(rows[i].preview) << i << q(rows[i].caption) << false;
        }
    }
    void theCaptionNamesWhatIsEmptied() {
        QFETCH(QString, preview);
        QFETCH(int, pair);
        QFETCH(QString, caption);
        QFETCH(bool, confirmed);
        TForm1& form = *bench->form;
        bench->click(qPrintable(preview));
        QCOMPARE(form.Label2->text(), caption);
        const QString label1 = form.Label1->text();
        const QStringList enabled = bench->enabledMigrateButtons();
        ClientDataSet& dataSet = bench->dm.chain(kPairs[std::size_t(pair)].targetDataSet)->dataSet;
        QCOMPARE(dataSet.RecordCount(), 2);

        bench->boxes.answer = confirmed;
        bench->chooseEmptyTable();

        // One question, naming the table; nothing else is shown.
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(1));
        QCOMPARE(bench->boxes.boxes[0].kind, Box::Question);
        QCOMPARE(bench->boxes.boxes[0].text, questionFor(caption));
        // Only the named table or group lost its rows, and the deletion is committed.
        std::vector<int> expected = everyTargetHolds(2);
        if (confirmed) expected[std::size_t(pair)] = 0;
        QCOMPARE(bench->targetCounts(), expected);
        // The dataset is open again and shows the table as it now is.
        QVERIFY(dataSet.Active());
        QCOMPARE(dataSet.RecordCount(), confirmed ? 0 : 2);
        QCOMPARE(form.DBGrid2->model()->rowCount(), confirmed ? 0 : 2);
        QVERIFY(form.DBGrid2->model()->columnCount() > 0);
        // No change to the captions or the buttons.
        QCOMPARE(form.Label1->text(), label1);
        QCOMPARE(form.Label2->text(), caption);
        QCOMPARE(bench->enabledMigrateButtons(), enabled);
    }

    void theEmptyCaptionOfStartUpDoesNothingAndAsksNothing() {
        bench->chooseEmptyTable();
        QVERIFY(bench->boxes.boxes.empty());
        QCOMPARE(bench->targetCounts(), everyTargetHolds(2));
        QCOMPARE(bench->dm.SQLConnection1.connectCount(), 0);
        for (const auto& chain : bench->dm.chains()) QVERIFY(!chain->dataSet.Active());
    }

    void theQuestionCountsTheRowsTheServerHolds_data() {
        QTest::addColumn<QString>("preview");
        QTest::addColumn<int>("pair");
        QTest::addColumn<int>("stored");  // rows of the pair's target on the server
        QTest::addColumn<QString>("question");
        const QString ask = q("\nDeseja esvaziar a tabela?");
        QTest::newRow("none") << q("BitBtn9") << 11 << 0 << q("Nenhum registro de Posologias está gravado no banco de dados.") + ask;
        QTest::newRow("one") << q("BitBtn9") << 11 << 1 << q("1 registro de Posologias gravado no banco de dados será excluído.") + ask;
        QTest::newRow("many") << q("BitBtn9") << 11 << 1234 << q("1234 registros de Posologias gravados no banco de dados serão excluídos.") + ask;
        // Only the raw materials' group counts, not the capsules, vehicles and packaging beside it.
        QTest::newRow("one group of the components") << q("BitBtn10") << 5 << 3 << q("3 registros de Componentes gravados no banco de dados serão excluídos.") + ask;
    }
    void theQuestionCountsTheRowsTheServerHolds() {
        QFETCH(QString, preview);
        QFETCH(int, pair);
        QFETCH(int, stored);
        QFETCH(QString, question);
        const std::string rows = WindowFixture::kTargetKinds[pair].rows;
        bench->exec("delete from " + rows);
        bench->click(qPrintable(preview));
        // Rows stored after the preview, by another program: the grid does not show them.
        bench->fillTarget(std::size_t(pair), 1, stored);
        QCOMPARE(bench->form->DBGrid2->model()->rowCount(), 0);
        bench->boxes.answer = false;
        bench->chooseEmptyTable();
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(1));
        QCOMPARE(bench->boxes.boxes[0].text, question);
        QCOMPARE(bench->count(rows), stored);
    }

    void afterCloseAllTheTableLastShownIsEmptiedAndShownAgain() {
        TForm1& form = *bench->form;
        bench->click("BitBtn9");
        bench->click("BitBtn21");
        QCOMPARE(form.Label2->text(), q("Posologias"));
        // The grid shows nothing now; the question still says what the server holds.
        QCOMPARE(form.DBGrid2->model()->rowCount(), 0);
        bench->fillTarget(11, 3, 5);
        bench->boxes.answer = true;
        bench->chooseEmptyTable();
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(1));
        QCOMPARE(bench->boxes.boxes[0].text,
                 q("5 registros de Posologias gravados no banco de dados serão excluídos.\nDeseja esvaziar a tabela?"));
        std::vector<int> expected = everyTargetHolds(2);
        expected[11] = 0;
        QCOMPARE(bench->targetCounts(), expected);
        QVERIFY(bench->dm.TabPoso.Active());
        QCOMPARE(form.DBGrid2->model()->objectName(), q("DS_TabPoso"));
        QCOMPARE(form.DBGrid2->model()->columnCount(), 2);
        QCOMPARE(form.DBGrid2->model()->rowCount(), 0);
        // The rest stays closed.
        QCOMPARE(form.Label1->text(), QString());
        QCOMPARE(bench->enabledMigrateButtons(), QStringList());
        for (const auto& table : form.legacyTables()) QVERIFY(!table->Active());
    }

    void rowsNeverAppliedAreDroppedWithTheClose() {
        TForm1& form = *bench->form;
        bench->click("BitBtn6");
        ClientDataSet& taxaBar = bench->dm.TaxaBar;
        taxaBar.Append();
        taxaBar.FieldByName("BAIRRO").setText("NOVO BAIRRO");
        taxaBar.Post();
        QCOMPARE(taxaBar.ChangeCount(), 1);
        bench->boxes.answer = true;
        bench->chooseEmptyTable();
        QCOMPARE(bench->count("TAXABAIRRO"), 0);
        QVERIFY(taxaBar.Active());
        QCOMPARE(taxaBar.ChangeCount(), 0);
        QCOMPARE(taxaBar.RecordCount(), 0);
        QCOMPARE(form.DBGrid2->model()->rowCount(), 0);
    }

    void aRefusedDeletionIsShownAndLeavesTheDatasetClosed() {
        // A prescription refers to a raw material: the server refuses to delete it.
        bench->exec("create table RECEITA (COMPONENTE varchar(20) references COMPONEN (CODIGO))");
        bench->exec("insert into RECEITA (COMPONENTE) values ('MP1')");
        TForm1& form = *bench->form;
        bench->click("BitBtn10");
        bench->boxes.answer = true;
        bench->chooseEmptyTable();
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(2));
        QCOMPARE(bench->boxes.boxes[1].kind, Box::Error);
        QVERIFY2(bench->boxes.boxes[1].text.contains(q("FOREIGN KEY"), Qt::CaseInsensitive),
                 qPrintable(bench->boxes.boxes[1].text));
        QCOMPARE(bench->count("COMPONEN where GRUPO = 'MP'"), 2);
        QVERIFY(!bench->dm.COMPONEN.Active());
        QCOMPARE(form.DBGrid2->model()->rowCount(), 0);
        // The preview shows the table again.
        bench->click("BitBtn10");
        QCOMPARE(form.DBGrid2->model()->rowCount(), 2);
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(2));
    }

    void anEmptiedTableMigratesAgain() {
        bench->writeLegacy("FormaFarma", dbf::DbfWriter(0x03, {{"GRPDESCRI", 'C', 30}, {"GRPVALTEX", 'C', 20}})
                                             .add({"POMADA", "30 DIAS"})
                                             .add({"XAROPE", "60 DIAS"})
                                             .add({"GEL", "90 DIAS"}));
        TForm1& form = *bench->form;
        bench->click("BitBtn1");
        bench->click("BitBtn11");
        QCOMPARE(bench->boxes.boxes.back().text, q("A tabela de FORMAS FARMACÊUTICAS já está carregada."));
        bench->boxes.answer = true;
        bench->chooseEmptyTable();
        QCOMPARE(bench->count("FORMAFAR"), 0);
        bench->click("BitBtn11");
        QCOMPARE(bench->boxes.boxes.back().kind, Box::Information);
        QCOMPARE(bench->boxes.boxes.back().text, q("Procedimento concluído."));
        QCOMPARE(bench->count("FORMAFAR"), 3);
        QCoreApplication::processEvents();
        QCOMPARE(form.DBGrid2->model()->rowCount(), 3);
    }
};

MIG_WINDOW_TEST_MAIN(EmptyingTest)
#include "Emptying_test.moc"
