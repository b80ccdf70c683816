// The components table through the window: capsules, vehicles and packaging refused while it is
// empty, with the box saying what to migrate first, and numbered after the raw materials once
// those are migrated.
#include "tests/migrations/LegacyLayouts.h"
#include "tests/qt/WindowTest.h"

using namespace mig;
using namespace mig::test;

class ComponentsOrderTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> bench;

private slots:
    void init() { bench = std::make_unique<WindowFixture>(); }
    void cleanup() { bench.reset(); }

    void anEmptyComponentsTableRefusesTheGroupUntilTheRawMaterialsAreMigrated_data() {
        QTest::addColumn<QString>("preview");
        QTest::addColumn<QString>("migrate");
        QTest::addColumn<QString>("group");
        QTest::newRow("capsules") << q("BitBtn7") << q("BitBtn17") << q("CAP");
        QTest::newRow("vehicles") << q("BitBtn22") << q("BitBtn23") << q("VEI");
        QTest::newRow("packaging") << q("BitBtn24") << q("BitBtn25") << q("EMB");
    }
    void anEmptyComponentsTableRefusesTheGroupUntilTheRawMaterialsAreMigrated() {
        QFETCH(QString, preview);
        QFETCH(QString, migrate);
        QFETCH(QString, group);
        bench->writeLegacy("Componen", rawMaterialsTable()
                                           .add({"42", "AMIDO", "g", "1", "1", "1", ""})
                                           .add({"1", "TALCO", "g", "1", "1", "1", ""}));
        bench->writeLegacy("Capsulas", capsulesTable().add({"1", "CAPSULA 0", "10"}).add({"2", "CAPSULA 1", "10"}));
        bench->writeLegacy("Veiculos", dbf::DbfWriter(0x03, {{"BASDESCRI", 'C', 40}, {"BASUNIDAD", 'C', 4}})
                                           .add({"CREME", "g"})
                                           .add({"GEL", "g"}));
        bench->writeLegacy("Embalagens", dbf::DbfWriter(0x03, {{"EMBNOMECO", 'C', 40}}).add({"POTE"}).add({"FRASCO"}));
        const std::string groupRows = "COMPONEN where GRUPO = '" + group.toStdString() + "'";

        bench->click(preview.toStdString());
        bench->click(migrate.toStdString());
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(1));
        const Box& refusal = bench->boxes.boxes[0];
        QCOMPARE(refusal.kind, Box::Error);
        const QString shown = q("'' is not a valid integer value.\n"
                                "A tabela de componentes está vazia; as matérias-primas (\"Componen - QTR23\") "
                                "devem ser migradas primeiro.");
        QCOMPARE(refusal.text, shown);
        QCOMPARE(errorBoxText(refusal.text), shown);  // the box adds no second period
        QCOMPARE(refusal.details, QString());
        QCOMPARE(bench->count("COMPONEN"), 0);
        // The window stays in the pair's previewed state.
        QCOMPARE(bench->enabledMigrateButtons(), QStringList{migrate});

        bench->click("BitBtn10");
        bench->click("BitBtn20");
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(2));
        QCOMPARE(bench->boxes.boxes[1].text, q("Procedimento concluído."));

        bench->click(preview.toStdString());
        bench->click(migrate.toStdString());
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(3));
        QCOMPARE(bench->boxes.boxes[2].kind, Box::Information);
        QCOMPARE(bench->boxes.boxes[2].text, q("Procedimento concluído."));
        QCOMPARE(bench->column("select CODIGO from " + groupRows + " order by CODIGO"),
                 (std::vector<std::string>{"000043", "000044"}));
        QCOMPARE(bench->count("COMPONEN where GRUPO = 'MP'"), 2);
        QCoreApplication::processEvents();
        QCOMPARE(bench->form->DBGrid2->model()->rowCount(), 2);
    }
};

MIG_WINDOW_TEST_MAIN(ComponentsOrderTest)
#include "ComponentsOrder_test.moc"
