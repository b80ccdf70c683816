// Previewing the twelve pairs from their buttons, "Fechar Tudo", closing the window, previews
// that fail, the grids (read-only, display formats) and one migration through the window.
#include <QHeaderView>
#include <QTimer>

#include <fstream>
#include <sstream>

#include "target/field/RegionalSettings.h"

#include "tests/qt/WindowTest.h"

using namespace mig;
using namespace mig::test;

namespace {

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

class PreviewTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> bench;

    // Nothing open, no migrate button enabled, Label1 empty.
    void verifyAllClosed() const {
        for (const auto& table : bench->form->legacyTables()) QVERIFY2(!table->Active(), table->name().c_str());
        for (const auto& chain : bench->dm.chains()) QVERIFY2(!chain->dataSet.Active(), chain->dataSet.name().c_str());
        QCOMPARE(bench->enabledMigrateButtons(), QStringList());
        QCOMPARE(bench->form->Label1->text(), QString());
        QCOMPARE(bench->form->DBGrid1->model()->rowCount(), 0);
        QCOMPARE(bench->form->DBGrid2->model()->rowCount(), 0);
    }

private slots:
    void init() { bench = std::make_unique<WindowFixture>(); }
    void cleanup() { bench.reset(); }

    void eachPreviewShowsItsPairAndEnablesItsMigrateButtonAlone_data() {
        QTest::addColumn<QString>("preview");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("label1");
        QTest::addColumn<QString>("label2");
        QTest::addColumn<QString>("migrate");
        QTest::addColumn<QString>("legacySource");
        QTest::addColumn<QString>("targetSource");
        QTest::addColumn<int>("rows");  // the pair's legacy table and target hold this many
        auto row = [](const char* pv, const char* key, const char* l1, const char* l2, const char* mg,
                      const char* ls, const char* ts, int rows) {
            QTest::newRow(pv) << q(pv) << q(key) << q(l1) << q(l2) << q(mg) << q(ls) << q(ts) << rows;
        };
        row("BitBtn1", "FormaFarma", "QTR05", "Formas Farmacêuticas", "BitBtn11", "DS_FormaFarma", "DS_FormaFar", 1);
        row("BitBtn2", "Forneced", "QTR02", "Fornecedores", "BitBtn12", "DS_Forneced", "DS_Forneced", 2);
        row("BitBtn5", "Familias", "QTR17A", "Famílias", "BitBtn15", "DS_Familias", "DS_Familias", 3);
        row("BitBtn3", "Clientes", "QTR13", "Clientes", "BitBtn13", "DS_Clientes", "DS_CLIENTES", 4);
        row("BitBtn4", "Medicos", "QTR19", "Médicos", "BitBtn14", "DS_Medicos", "DS_MEDICOS", 5);
        row("BitBtn10", "Componen", "QTR23", "Componentes", "BitBtn20", "DS_Componen", "DS_COMPONEN", 6);
        row("BitBtn7", "Capsulas", "QTR28", "Cápsulas", "BitBtn17", "DS_Capsulas", "DS_Cap", 7);
        row("BitBtn22", "Veiculos", "QTR24", "Veículos", "BitBtn23", "DS_Veiculos", "DS_Vei", 8);
        row("BitBtn24", "Embalagens", "QTR26", "Embalagens", "BitBtn25", "DS_Embalagens", "DS_Emb", 9);
        row("BitBtn8", "Fabric", "QTR03", "Fabricantes", "BitBtn18", "DS_Fabric", "DS_Fabric", 10);
        row("BitBtn6", "Bairros", "QTR42A", "Bairros", "BitBtn16", "DS_Bairros", "DS_TaxaBar", 11);
        row("BitBtn9", "Posologias", "QTR49", "Posologias", "BitBtn19", "DS_Posologias", "DS_TabPoso", 12);
    }
    void eachPreviewShowsItsPairAndEnablesItsMigrateButtonAlone() {
        QFETCH(QString, preview);
        QFETCH(QString, key);
        QFETCH(QString, label1);
        QFETCH(QString, label2);
        QFETCH(QString, migrate);
        QFETCH(QString, legacySource);
        QFETCH(QString, targetSource);
        QFETCH(int, rows);
        // Each table holds a number of rows of its own, so a pair that opened another table shows.
        for (std::size_t i = 0; i < kPairs.size(); ++i) {
            bench->writeLegacy(kPairs[i].legacyTable, WindowFixture::simpleLegacy(int(i) + 1));
            bench->fillTarget(i, 1, int(i) + 1);
        }
        TForm1& form = *bench->form;
        // Another pair first: the enabled state moves.
        const char* before = preview == "BitBtn9" ? "BitBtn1" : "BitBtn9";
        bench->click(before);
        QCOMPARE(bench->enabledMigrateButtons().size(), 1);

        bench->click(qPrintable(preview));
        QVERIFY(bench->boxes.boxes.empty());
        QCOMPARE(form.Label1->text(), label1);
        QCOMPARE(form.Label2->text(), label2);
        QCOMPARE(bench->enabledMigrateButtons(), QStringList{migrate});
        QCOMPARE(form.DBGrid1->model()->objectName(), legacySource);
        QCOMPARE(form.DBGrid2->model()->objectName(), targetSource);
        QCOMPARE(form.DBGrid1->model()->rowCount(), rows);
        QCOMPARE(form.DBGrid2->model()->rowCount(), rows);
        QCOMPARE(form.DBGrid1->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), q("DESCRICAO"));
        QCOMPARE(form.DBGrid1->model()->index(0, 0).data().toString(), q("REGISTRO 1"));
        // Only the pair's own legacy table and target dataset are open.
        int openTables = 0, openDataSets = 0;
        for (const auto& table : form.legacyTables()) openTables += table->Active();
        for (const auto& chain : bench->dm.chains()) openDataSets += chain->dataSet.Active();
        QCOMPARE(openTables, 1);
        QCOMPARE(openDataSets, 1);
        QVERIFY(form.legacyTable(key.toStdString()).Active());

        // The key selects the same button, exactly and with regard to case.
        form.CloseAllTables();
        form.EnableMigrateButton(key);
        QCOMPARE(bench->enabledMigrateButtons(), QStringList{migrate});
        for (const QString& other : {key.toLower(), key.toUpper(), key + " ", QString()}) {
            form.EnableMigrateButton(other);
            QCOMPARE(bench->enabledMigrateButtons(), QStringList());
        }
    }

    void customersAndPhysiciansPaintTheirCaptionsBeforeTheTablesOpen_data() {
        QTest::addColumn<QString>("preview");
        QTest::addColumn<QString>("component");
        QTest::addColumn<QString>("label1Seen");  // by an event dispatched while the handler ran
        QTest::addColumn<bool>("openSeen");
        QTest::newRow("customers") << q("BitBtn3") << q("Clientes") << q("QTR13") << false;
        QTest::newRow("physicians") << q("BitBtn4") << q("Medicos") << q("QTR19") << false;
        QTest::newRow("common form: nothing runs inside") << q("BitBtn1") << q("FormaFarma") << q("QTR05") << true;
    }
    void customersAndPhysiciansPaintTheirCaptionsBeforeTheTablesOpen() {
        QFETCH(QString, preview);
        QFETCH(QString, component);
        QFETCH(QString, label1Seen);
        QFETCH(bool, openSeen);
        bench->writeEveryLegacyTable();
        TForm1& form = *bench->form;
        QString seenLabel;
        bool seenOpen = false;
        bool ran = false;
        QTimer::singleShot(0, &form, [&] {
            ran = true;
            seenLabel = form.Label1->text();
            seenOpen = form.legacyTable(component.toStdString()).Active();
        });
        bench->click(qPrintable(preview));
        if (!ran) QCoreApplication::processEvents();  // the common form: the event runs afterwards
        QVERIFY(ran);
        QCOMPARE(seenLabel, label1Seen);
        QCOMPARE(seenOpen, openSeen);
        QVERIFY(form.legacyTable(component.toStdString()).Active());
    }

    void aFailedPreviewStopsWhereItFailed_data() {
        QTest::addColumn<QString>("preview");
        QTest::addColumn<bool>("legacyMissing");  // else the database cannot be reached
        QTest::addColumn<QString>("label1");
        QTest::addColumn<QString>("label2");
        QTest::addColumn<QString>("upperGrid");
        QTest::addColumn<QString>("lowerGrid");
        QTest::addColumn<bool>("legacyOpen");
        // The common form fails before it writes the captions: Label1 was emptied and Label2
        // still names the pair shown before; the customers' and physicians' form wrote them first.
        QTest::newRow("common form, no legacy folder")
            << q("BitBtn1") << true << QString() << q("Bairros") << q("DS_Bairros") << q("DS_TaxaBar") << false;
        QTest::newRow("customers, no legacy folder")
            << q("BitBtn3") << true << q("QTR13") << q("Clientes") << q("DS_Clientes") << q("DS_CLIENTES") << false;
        QTest::newRow("common form, no database")
            << q("BitBtn1") << false << QString() << q("Bairros") << q("DS_Bairros") << q("DS_TaxaBar") << true;
        QTest::newRow("physicians, no database")
            << q("BitBtn4") << false << q("QTR19") << q("Médicos") << q("DS_Medicos") << q("DS_MEDICOS") << true;
    }
    void aFailedPreviewStopsWhereItFailed() {
        QFETCH(QString, preview);
        QFETCH(bool, legacyMissing);
        QFETCH(QString, label1);
        QFETCH(QString, label2);
        QFETCH(QString, upperGrid);
        QFETCH(QString, lowerGrid);
        QFETCH(bool, legacyOpen);
        bench->writeEveryLegacyTable();
        TForm1& form = *bench->form;
        bench->click("BitBtn6");
        QCOMPARE(form.Label2->text(), q("Bairros"));
        if (legacyMissing) {
            std::filesystem::remove_all(bench->legacyFolder());
        } else {
            bench->dm.SQLConnection1.Close();
            bench->dm.SQLConnection1.Params().setValue("DataBase", bench->drive.path() + "/ausente/korvelan.bd");
        }

        bench->click(qPrintable(preview));
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(1));
        const Box& box = bench->boxes.boxes.front();
        QCOMPARE(box.kind, Box::Error);
        if (legacyMissing) {
            QCOMPARE(box.text, QString::fromStdString("Directory not found: C:\\Quiltor (" + bench->legacyFolder() + ")"));
        } else {
            QVERIFY2(box.text.contains("ausente/korvelan.bd"), qPrintable(box.text));  // the engine's text
        }
        QCOMPARE(bench->enabledMigrateButtons(), QStringList());
        QCOMPARE(form.Label1->text(), label1);
        QCOMPARE(form.Label2->text(), label2);
        QCOMPARE(form.DBGrid1->model()->objectName(), upperGrid);
        QCOMPARE(form.DBGrid2->model()->objectName(), lowerGrid);
        for (const auto& chain : bench->dm.chains()) QVERIFY(!chain->dataSet.Active());
        const std::string component = preview == "BitBtn1" ? "FormaFarma" : preview == "BitBtn3" ? "Clientes" : "Medicos";
        QCOMPARE(form.legacyTable(component).Active(), legacyOpen);

        // The window stays usable: once the cause is gone the same preview succeeds.
        bench->writeEveryLegacyTable();
        bench->dm.SQLConnection1.Params().setValue("DataBase", bench->database.path());
        bench->click(qPrintable(preview));
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(1));
        QCOMPARE(bench->enabledMigrateButtons().size(), 1);
    }

    void closeAllClosesEverythingAndKeepsTheLowerCaption() {
        bench->writeEveryLegacyTable();
        bench->fillTarget(3, 1, 2);
        TForm1& form = *bench->form;
        bench->click("BitBtn3");
        QCOMPARE(form.DBGrid2->model()->rowCount(), 2);
        bench->click("BitBtn21");
        verifyAllClosed();
        QCOMPARE(form.Label2->text(), q("Clientes"));
        // The grids keep their bindings and show the closed tables: nothing.
        QCOMPARE(form.DBGrid1->model()->objectName(), q("DS_Clientes"));
        QCOMPARE(form.DBGrid2->model()->objectName(), q("DS_CLIENTES"));
        QCOMPARE(form.DBGrid2->model()->columnCount(), 0);
        // Twice is harmless.
        bench->click("BitBtn21");
        verifyAllClosed();
        QVERIFY(bench->boxes.boxes.empty());
    }

    void closingTheWindowClosesEverything() {
        bench->writeEveryLegacyTable();
        bench->click("BitBtn4");
        QVERIFY(bench->form->legacyTable("Medicos").Active());
        QVERIFY(bench->form->close());
        for (const auto& table : bench->form->legacyTables()) QVERIFY(!table->Active());
        for (const auto& chain : bench->dm.chains()) QVERIFY(!chain->dataSet.Active());
        QVERIFY(bench->boxes.boxes.empty());
    }

    void theSamePreviewTwiceShowsTheCurrentContents() {
        bench->writeLegacy("FormaFarma", WindowFixture::simpleLegacy(1));
        bench->fillTarget(0, 1, 1);
        TForm1& form = *bench->form;
        bench->click("BitBtn1");
        QCOMPARE(form.DBGrid1->model()->rowCount(), 1);
        QCOMPARE(form.DBGrid2->model()->rowCount(), 1);

        bench->writeLegacy("FormaFarma", WindowFixture::simpleLegacy(3));
        bench->fillTarget(0, 2, 3);
        bench->click("BitBtn1");
        QCOMPARE(form.DBGrid1->model()->rowCount(), 3);
        QCOMPARE(form.DBGrid1->model()->index(2, 0).data().toString(), q("REGISTRO 3"));
        QCOMPARE(form.DBGrid2->model()->rowCount(), 3);
        QCOMPARE(WindowFixture::cell(form.DBGrid2, 2, "FORMAFARMA"), q("FORMA 3"));
        QCOMPARE(bench->enabledMigrateButtons(), QStringList{"BitBtn11"});
    }

    void theLowerGridShowsDisplayFormatsWithTheLocalesSeparator_data() {
        QTest::addColumn<char>("separator");
        QTest::addColumn<QString>("preview");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("right");  // numbers stand to the right
        QTest::newRow("money, comma") << ',' << q("BitBtn1") << q("CUSTOFIXO") << q("12,50") << true;
        QTest::newRow("money, point") << '.' << q("BitBtn1") << q("CUSTOFIXO") << q("12.50") << true;
        QTest::newRow("quantity, comma") << ',' << q("BitBtn10") << q("QDEESTOQUE") << q("3,0000") << true;
        QTest::newRow("no format") << ',' << q("BitBtn1") << q("FORMAFARMA") << q("FORMA 1") << false;
    }
    void theLowerGridShowsDisplayFormatsWithTheLocalesSeparator() {
        QFETCH(char, separator);
        QFETCH(QString, preview);
        QFETCH(QString, column);
        QFETCH(QString, shown);
        QFETCH(bool, right);
        RegionalSettings settings = regional();
        settings.decimalSeparator = separator;
        ScopedRegional scoped(settings);
        bench->writeEveryLegacyTable();
        bench->fillTarget(0, 1, 1);
        bench->fillTarget(5, 1, 1);
        bench->click(qPrintable(preview));
        QCOMPARE(WindowFixture::cell(bench->form->DBGrid2, 0, column), shown);
        QCOMPARE(WindowFixture::alignment(bench->form->DBGrid2, 0, column), right ? Qt::AlignRight : Qt::AlignLeft);
    }

    void theUpperGridSetsNumbersToTheRight() {
        bench->writeLegacy("FormaFarma", dbf::DbfWriter(0x03, {{"GRPCODIGO", 'N', 3}, {"GRPDESCRI", 'C', 30}})
                                             .add({"7", "POMADA"}));
        bench->click("BitBtn1");
        QCOMPARE(WindowFixture::alignment(bench->form->DBGrid1, 0, "GRPCODIGO"), Qt::AlignRight);
        QCOMPARE(WindowFixture::alignment(bench->form->DBGrid1, 0, "GRPDESCRI"), Qt::AlignLeft);
    }

    void neitherGridEdits() {
        bench->writeLegacy("FormaFarma", WindowFixture::simpleLegacy(2));
        bench->fillTarget(0, 1, 2);
        const std::string file = bench->legacyFolder() + "/QTR05.DBF";
        const std::string before = fileBytes(file);
        TForm1& form = *bench->form;
        bench->click("BitBtn1");
        for (QTableView* grid : {form.DBGrid1, form.DBGrid2}) {
            const QModelIndex index = grid->model()->index(0, 0);
            QVERIFY(!(grid->model()->flags(index) & Qt::ItemIsEditable));
            QVERIFY(!grid->model()->setData(index, q("X")));
            grid->setCurrentIndex(index);
            grid->setFocus();
            QTest::keyClick(grid, Qt::Key_F2);
            QTest::keyClicks(grid, "XYZ");
            const QRect cell = grid->visualRect(index);
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            // An editor would be a widget on the grid's viewport.
            for (QWidget* child : grid->viewport()->findChildren<QWidget*>()) QVERIFY(!child->isVisible());
            QCOMPARE(grid->model()->index(0, 0).data().toString(),
                     grid == form.DBGrid1 ? q("REGISTRO 1") : q("FORMA 1"));
        }
        QCOMPARE(bench->dm.FormaFar.ChangeCount(), 0);
        bench->click("BitBtn21");
        QVERIFY(fileBytes(file) == before);
    }

    void aMigrateButtonRunsItsMigrationAndTellsTheOperator() {
        bench->writeLegacy("FormaFarma",
                           dbf::DbfWriter(0x03, {{"GRPCODIGO", 'N', 3}, {"GRPDESCRI", 'C', 30}, {"GRPVALTEX", 'C', 20}})
                               .languageDriver(0x03)
                               .add({"1", utf8ToWin1252("CÁPSULA"), "30 DIAS"})
                               .add({"2", "POMADA", "60 DIAS"}));
        TForm1& form = *bench->form;
        bench->click("BitBtn1");
        bench->click("BitBtn11");
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(1));
        QCOMPARE(bench->boxes.boxes[0].kind, Box::Information);
        QCOMPARE(bench->boxes.boxes[0].text, q("Procedimento concluído."));
        QCOMPARE(bench->count("FORMAFAR"), 2);
        // The window stays in the pair's previewed state, the lower grid showing the new rows.
        QCoreApplication::processEvents();
        QCOMPARE(form.DBGrid2->model()->rowCount(), 2);
        QCOMPARE(WindowFixture::cell(form.DBGrid2, 0, "FORMAFARMA"), q("CÁPSULA"));
        QCOMPARE(bench->enabledMigrateButtons(), QStringList{"BitBtn11"});
        QCOMPARE(form.Label2->text(), q("Formas Farmacêuticas"));

        bench->click("BitBtn11");
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(2));
        QCOMPARE(bench->boxes.boxes[1].kind, Box::Information);
        QCOMPARE(bench->boxes.boxes[1].text, q("A tabela de FORMAS FARMACÊUTICAS já está carregada."));
        QCOMPARE(bench->count("FORMAFAR"), 2);
    }
};

MIG_WINDOW_TEST_MAIN(PreviewTest)
#include "Preview_test.moc"
